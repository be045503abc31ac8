// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/messages.h"

#include "desktop/datafolder.h"
#include "errors/runtimeerror.h"

#include <cerrno>
#include <cstring>
#include <pwd.h>

namespace {
// A character as the user can find it in a box: the character itself and its
// code point, or the words for a line break.
QString describe(const QString &character)
{
    if (character == QLatin1String("\r") || character == QLatin1String("\n"))
        return QStringLiteral("satır sonu");
    const uint code = character.toUcs4().value(0);
    return QStringLiteral("\"%1\" (U+%2)").arg(character, QString::number(code, 16).toUpper().rightJustified(4, u'0'));
}

// A user by name and number, or by number alone where the name is unknown.
QString user(uid_t id)
{
    const passwd *entry = ::getpwuid(id);
    const QString number = QStringLiteral("kimlik %1").arg(id);
    return entry ? QString::fromLocal8Bit(entry->pw_name) + QStringLiteral(", ") + number : number;
}

QString reason(int error, bool ofFolder = false)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return QStringLiteral("erişim izni yok");
    case EROFS:
        return QStringLiteral("dosya sistemi salt okunur");
    case ENOSPC:
        return QStringLiteral("diskte yer kalmadı");
    case EDQUOT:
        return QStringLiteral("disk kotası doldu");
    case EFBIG:
        return QStringLiteral("dosya izin verilen boyutu aşıyor");
    case ENOTDIR:
        return QStringLiteral("yoldaki bir ad klasör değil, bir dosya");
    case EIO:
        return QStringLiteral("giriş/çıkış hatası (disk ya da aygıt yanıt vermedi)");
    case ENOENT:
        return ofFolder ? QStringLiteral("böyle bir klasör yok") : QStringLiteral("dosya ya da klasör yok");
    case 0:
        return QStringLiteral("bilinmeyen bir hata");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

// What the user can do about a file that could not be written: permissions
// and disk space do not help against a folder in the file's place or a
// file system mounted read-only.
QString advice(const RuntimeError::File &file)
{
    if (file.standing == RuntimeError::Folder)
        return QStringLiteral("Bu klasörü taşıyın ya da adını değiştirin, sonra yeniden deneyin.");
    switch (file.error) {
    case EACCES:
    case EPERM:
        return QStringLiteral("Klasöre ve dosyaya yazma izniniz olduğunu denetleyip yeniden deneyin.");
    case EROFS:
        return QStringLiteral("Dosya sistemini yazılabilir olarak bağlayın ya da listeyi yazılabilir bir "
                              "klasöre taşıyıp Hızlı'yı oradan başlatın.");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("Diskte yer açıp yeniden deneyin.");
    default:
        return QStringLiteral("Klasöre yazma izniniz olduğunu ve diskte yer bulunduğunu "
                              "denetleyip yeniden deneyin.");
    }
}

// A launch that fails ends Hızlı: the row is mended at its next start.
QString mendLater()
{
    return QStringLiteral("Hızlı şimdi kapanıyor; onu yeniden başlatıp Ayarlar penceresinde");
}

const QString privateOnly = QStringLiteral("Hızlı yalnızca size ait ve başkalarına kapalı bir klasördeki listenin "
                                           "programlarını başlatır.\n\n");

QString sentence(const RuntimeError::File &file, const QString &folder)
{
    const QString why = file.standing == RuntimeError::Folder
            ? QStringLiteral("bu adı taşıyan bir klasör var")
            : reason(file.error, file.kind == RuntimeError::FolderNotRead);
    switch (file.kind) {
    case RuntimeError::FileNotFound: {
        QString text = QStringLiteral("\"%1\" dosyası \"%2\" klasöründe bulunamadı.\n\n"
                                      "Hızlı bu dosyayı başlatıldığı klasörde arar. Dosyayı bu klasöre koyun "
                                      "ya da Hızlı'yı dosyanın bulunduğu klasörden başlatın.")
                               .arg(file.name, folder);
        if (!DataFolder::exampleList().isEmpty())
            text += QStringLiteral(" Örnek bir liste: \"%1\".").arg(DataFolder::exampleList());
        return text
                + QStringLiteral(" Masaüstü menüsünden başlatılan Hızlı listesini \"%1\" klasöründe tutar.")
                          .arg(DataFolder::path());
    }
    case RuntimeError::FileNotOpened:
        return QStringLiteral("\"%1\" dosyası \"%2\" klasöründe açılamadı: %3.\n\n"
                              "Bu adın okunabilir bir dosya olduğunu denetleyin.")
                .arg(file.name, folder, why);
    case RuntimeError::NotRegularFile: {
        static const char *const what[] = { "bir şey", "sembolik bir bağlantı", "adlandırılmış bir boru (FIFO)",
                                            "bir aygıt", "bir soket" };
        return QStringLiteral("\"%1\" dosyası \"%2\" klasöründe açılamadı: bu ad %3, sıradan bir "
                              "dosya değil.\n\nHızlı bu adla yalnızca sıradan bir dosyayı okur ve "
                              "yazar. Bu adı taşıyanı kaldırıp yerine bir metin dosyası koyun.")
                .arg(file.name, folder, QString::fromUtf8(what[qBound(0, int(file.standing), 4)]));
    }
    case RuntimeError::FileNotWritten: {
        QString text = QStringLiteral("\"%1\" dosyası \"%2\" klasörüne yazılamadı: %3.\n\n%4")
                               .arg(file.name, folder, why, advice(file));
        if (file.previousKept)
            text += QStringLiteral(" Dosyanın önceki içeriği olduğu gibi duruyor.");
        if (!file.backup.isEmpty())
            text += QStringLiteral(" Dosyanın önceki içeriği \"%1\" dosyasına kopyalandı; Hızlı listeyi bir "
                                   "sonraki kayıtta ya da başlangıçta bu kopyadan geri getirir.")
                            .arg(file.backup);
        return text;
    }
    case RuntimeError::FieldNotStorable:
        return QStringLiteral("\"%1\" dosyası \"%2\" klasörüne yazılamadı: bir alanda bu dosyada "
                              "saklanamayan \"%3\" karakteri var.\n\nBu karakteri içermeyen bir ad ya da "
                              "yol seçip yeniden deneyin.")
                .arg(file.name, folder, file.character);
    case RuntimeError::CacheNotMade:
        return QStringLiteral("\"%1\" dosyası \"%2\" klasörüne yazılamadı: klasör yeni dosya almadığı için "
                              "önceki içeriğin kopyası \"%3\" klasörüne konacaktı, ama bu klasör "
                              "oluşturulamadı: %4.\n\nBu klasörün oluşturulabildiğini (XDG_CACHE_HOME "
                              "ayarlıysa gösterdiği yeri) denetleyip yeniden deneyin. Dosyanın önceki içeriği "
                              "olduğu gibi duruyor.")
                .arg(file.name, folder, file.cache, why);
    case RuntimeError::FileChanged:
    case RuntimeError::FileBusy:
        return QStringLiteral("\"%1\" dosyası \"%2\" klasörüne yazılamadı: %3\n\nBirkaç saniye sonra yeniden "
                              "kaydedin. Dosyanın önceki içeriği olduğu gibi duruyor.")
                .arg(file.name, folder,
                     file.kind == RuntimeError::FileBusy
                             ? QStringLiteral("çalışan başka bir Hızlı'nız bu listeyi şu anda kaydediyor.")
                             : QStringLiteral("dosya tam bu sırada başka bir program tarafından değiştirildi."));
    case RuntimeError::SaveInterrupted:
        if (file.previousKept) {
            return QStringLiteral("\"%1\" listesinin \"%2\" klasöründeki son kaydı yarıda kalmıştı: Hızlı "
                                  "liste yazılırken kapandı. Liste, o kayıttan önce alınan tam kopyadan eski "
                                  "hâline getirildi; o kayıttaki değişiklikler listede yok.\n\nGerekirse "
                                  "değişiklikleri Ayarlar penceresinde yeniden yapıp kaydedin.")
                    .arg(file.name, folder);
        }
        if (!file.error) {
            return QStringLiteral("\"%1\" listesinin \"%2\" klasöründe yarıda kalmış bir kaydın bıraktığı, "
                                  "eski bir listenin kopyası bulundu. Liste o kayıttan bu yana değiştirilmiş "
                                  "(ya da kopya bu listenin değil): liste olduğu gibi bırakıldı. Eski liste "
                                  "\"%3\" dosyasında duruyor.\n\nListeniz doğruysa bu dosyayı silebilirsiniz; "
                                  "değilse listeyi bu dosyayla karşılaştırın.")
                    .arg(file.name, folder, file.backup);
        }
        return QStringLiteral("\"%1\" listesinin \"%2\" klasöründeki son kaydı yarıda kalmıştı ve liste "
                              "eski hâline getirilemedi: %3. Listenin o kayıttan önceki tam bir kopyası "
                              "\"%4\" dosyasında duruyor.\n\nBu kopyayı \"%1\" dosyasının yerine koyun; "
                              "Hızlı bir sonraki başlangıçta da yeniden dener.")
                .arg(file.name, folder, why, file.backup);
    case RuntimeError::ProgramMissing:
        return QStringLiteral("Program başlatılamadı: \"%1\" yok ya da çalıştırılabilir bir program "
                              "değil.\n\nProgram kaldırılmış, taşınmış ya da bulunduğu sürücü çıkarılmış "
                              "olabilir. %2 bu kısayolun yolunu düzeltin.")
                .arg(file.name, mendLater());
    case RuntimeError::FolderNotRead:
        return QStringLiteral("\"%1\" klasörü okunamadı: %2.\n\n"
                              "Sürücünün takılı ve erişilebilir olduğunu denetleyip yeniden deneyin "
                              "ya da başka bir klasör seçin.")
                .arg(file.name, why);
    case RuntimeError::FolderNotMade:
        return QStringLiteral("Hızlı listesinin klasörü \"%1\" açılamadı: %2.\n\n"
                              "Bu klasörü oluşturup kendinize yazma izni verin ya da Hızlı'yı "
                              "listenizin bulunduğu klasörden başlatın.")
                .arg(file.name, why);
    case RuntimeError::FolderOpenToOthers:
        return QStringLiteral("Hızlı listesinin klasörü \"%1\" kullanılmadı: klasöre başkaları da "
                              "yazabiliyor.\n\n%2İçindeki listenin sizin listeniz olduğunu denetleyin, sonra "
                              "klasörü başkalarına kapatın (chmod 700 \"%1\") ve Hızlı'yı yeniden başlatın.")
                .arg(file.name, privateOnly);
    case RuntimeError::FileAlreadyOpen:
        return QStringLiteral("\"%1\" dosyası açılamadı: %2 numaralı dosya zaten açık.")
                .arg(file.name, QString::number(file.number));
    case RuntimeError::FileNotOpen:
        return QStringLiteral("%1 numaralı dosya açık değil.").arg(file.number);
    case RuntimeError::ChoiceNotStorable:
        return QStringLiteral("Program seçilmedi: \"%1\" dosyasının adında ya da yolunda listede "
                              "saklanamayan bir karakter var: %2.\n\nProgramı bu karakteri "
                              "içermeyen bir ada ya da klasöre taşıyıp yeniden seçin.")
                .arg(file.name, describe(file.character));
    case RuntimeError::NoProgramSelected:
        return QStringLiteral("Program seçilmedi: \"%1\" klasöründe seçili bir program yok.\n\nDosya listesinden "
                              "bir program seçip yeniden \"Seç\" düğmesine basın ya da başka bir klasör açın.")
                .arg(file.name);
    }
    return {};
}

QString sentence(const RuntimeError::Field &field, const QString &folder)
{
    switch (field.kind) {
    case RuntimeError::FieldTooLong:
        return QStringLiteral("\"%1\" dosyası \"%2\" klasöründe okunamadı: %3. alan 65536 bayttan "
                              "uzun.\n\nBu dosya bir liste gibi görünmüyor. Dosyayı bir metin "
                              "düzenleyicide açıp bu alanı kısaltın.")
                .arg(field.name, folder, QString::number(field.field));
    case RuntimeError::FileNotRead:
        return QStringLiteral("\"%1\" dosyası \"%2\" klasöründe %3. alan okunurken okunamadı: %4.\n\n"
                              "Dosyanın bulunduğu diskin ya da aygıtın erişilebilir olduğunu denetleyip "
                              "yeniden deneyin.")
                .arg(field.name, folder, QString::number(field.field), reason(field.error));
    case RuntimeError::InputPastEnd:
        return QStringLiteral("\"%1\" dosyası \"%2\" klasöründe eksik: %3. alan okunacakken dosya "
                              "bitti.\n\nDosyayı bir metin düzenleyicide açıp eksik kayıtları "
                              "tamamlayın.")
                .arg(field.name, folder, QString::number(field.field));
    }
    return {};
}

QString sentence(const RuntimeError::Box &box, const QString &)
{
    const QString column = box.column == ListRow::Caption ? QStringLiteral("Başlık") : QStringLiteral("Yol");
    switch (box.kind) {
    case RuntimeError::BoxTooLong:
        return QStringLiteral("Liste kaydedilmedi: %1. satırın \"%2\" kutusundaki metin 65536 "
                              "karakterden uzun.\n\nMetni kısaltıp yeniden kaydedin.")
                .arg(QString::number(box.row.number), column);
    case RuntimeError::BoxNotStorable:
        return QStringLiteral("Liste kaydedilmedi: %1. satırın \"%2\" kutusunda listede saklanamayan "
                              "bir karakter var: %3.\n\nBu karakteri silip yeniden kaydedin.")
                .arg(QString::number(box.row.number), column, describe(box.character));
    }
    return {};
}

QString sentence(const RuntimeError::Owner &owner, const QString &folder)
{
    switch (owner.kind) {
    case RuntimeError::LinkNotFollowed:
        return QStringLiteral("\"%1\" dosyası \"%2\" klasörüne yazılamadı: bu ad, başka bir kullanıcının "
                              "(%3) \"%4\" sembolik bağlantısından geçiyor. Yönetici (root) olarak çalışan "
                              "Hızlı, başka kullanıcıların bağlantılarından geçerek yazmaz.\n\nListeyi o "
                              "kullanıcının hesabından kaydedin ya da bağlantının yerine sıradan bir dosya "
                              "koyun. Dosyanın önceki içeriği olduğu gibi duruyor.")
                .arg(owner.name, folder, user(owner.owner), owner.place);
    case RuntimeError::FileOfAnother:
        return QStringLiteral("\"%1\" dosyası \"%2\" klasörüne yazılamadı: orada duran \"%1\" başka bir "
                              "kullanıcının (%3) dosyası, ve bu klasörde (yapışkan bitli, paylaşılan bir klasör) "
                              "bir dosyayı yalnızca sahibi değiştirebilir ya da silebilir.\n\nO kullanıcıdan "
                              "dosyayı silmesini isteyin ya da Hızlı'yı kendi klasörünüzden başlatın.")
                .arg(owner.name, folder, user(owner.owner));
    case RuntimeError::FolderOfAnother:
        return QStringLiteral("Hızlı listesinin klasörü \"%1\" kullanılmadı: klasör başka bir kullanıcının.\n\n"
                              "%2Klasör sizinse sahipliğini geri alın (sudo chown \"$USER\" \"%1\") ve "
                              "Hızlı'yı yeniden başlatın; değilse HOME'u ya da XDG_DATA_HOME'u kendi "
                              "klasörünüze ayarlayın.")
                .arg(owner.name, privateOnly);
    case RuntimeError::FolderNotMadeInOthers:
        return QStringLiteral("Hızlı listesinin klasörü \"%1\" açılamadı: \"%2\" klasörü oluşturulmadı, çünkü "
                              "içinde bulunacağı klasör başka bir kullanıcının (%3).\n\nYönetici (root) olarak "
                              "çalışan Hızlı, başka kullanıcıların klasörlerinde klasör oluşturmaz: o kullanıcı "
                              "kendi klasörüne artık yazamazdı. Hızlı'yı o kullanıcının hesabından başlatın ya da "
                              "HOME'u (veya XDG_DATA_HOME'u) kendi klasörünüze ayarlayın.")
                .arg(owner.name, owner.place, user(owner.owner));
    case RuntimeError::FolderBehindLink:
        return QStringLiteral("Hızlı listesinin klasörü \"%1\" kullanılmadı: klasöre başka bir kullanıcının \"%2\" "
                              "sembolik bağlantısından geçilerek varılıyor.\n\n%3Bağlantıyı kaldırın ya da "
                              "XDG_DATA_HOME'u kendi klasörünüze ayarlayın, sonra Hızlı'yı yeniden başlatın.")
                .arg(owner.name, owner.place, privateOnly);
    }
    return {};
}

QString sentence(const RuntimeError::Command &command, const QString &)
{
    if (command.line.trimmed().isEmpty()) {
        return QStringLiteral("Program başlatılamadı: bu kısayolun yolu boş.\n\n%1 bu kısayola bir program "
                              "seçin.")
                .arg(mendLater());
    }
    return QStringLiteral("Program başlatılamadı:\n%1\n\nBu komut satırı çalıştırılabilir bir "
                          "program adıyla başlamıyor ya da program çalıştırılamadı (\"%2\" "
                          "klasöründen başlatıldı). %3 bu kısayolun yolunu düzeltin.")
            .arg(command.line, command.folder, mendLater());
}

QString sentence(const RuntimeError::HandOff &handOff, const QString &folder)
{
    if (!handOff.row.number) {
        return QStringLiteral("Program seçilmedi: hiçbir satır program beklemiyor, çünkü son \"Gözat\" "
                              "tamamlanamadı. Hiçbir satır değişmedi.\n\nProgramı koymak istediğiniz "
                              "satırın \"Gözat\" düğmesine yeniden basın.");
    }
    return QStringLiteral("Program seçilmedi: \"%1\" dosyası \"%2\" klasöründe artık bu pencerenin "
                          "%3. satır için yazdığı dosya değil; aynı klasörde çalışan başka bir Hızlı ya "
                          "da başka bir program onu değiştirmiş. Hiçbir satır değişmedi.\n\n%3. satırın "
                          "\"Gözat\" düğmesine yeniden basıp programı yeniden seçin.")
            .arg(handOff.name, folder, QString::number(handOff.row.number));
}

}

QString Messages::text(const RuntimeError &error)
{
    return std::visit([&error](const auto &data) { return sentence(data, error.folder()); }, error.data());
}

QString Messages::listChanged(const QString &name)
{
    return QStringLiteral("\"%1\" listesi siz onu bu pencereye okuduktan sonra başka bir program "
                          "tarafından değiştirildi.\n\nKaydederseniz o değişiklikler kaybolur. "
                          "Dosyayı korursanız kutulardaki düzenlemeleriniz olduğu gibi kalır; "
                          "\"Değişiklikleri  iptal et\" ile dosyanın yeni içeriğini görebilirsiniz.")
            .arg(name);
}

QStringList Messages::listChangedAnswers()
{
    return { QStringLiteral("Üzerine yaz"), QStringLiteral("Dosyayı koru") };
}

QString Messages::listMoved(const QString &name, const QString &leadsTo, bool exists)
{
    return QStringLiteral("\"%1\" adı, liste bu pencereye okunduktan sonra başka bir dosyaya çıkar oldu: "
                          "şimdi \"%2\" dosyasına çıkıyor%3. Dosya başka bir programca değiştirilmiş, "
                          "silinmiş ya da yerine bir bağlantı konmuş olabilir.\n\nYine de kaydederseniz "
                          "liste oraya yazılır. Dosyayı korursanız hiçbir şey yazılmaz; kutulardaki "
                          "düzenlemeleriniz olduğu gibi kalır.")
            .arg(name, leadsTo, exists ? QString() : QStringLiteral(" (böyle bir dosya yok)"));
}

QStringList Messages::listMovedAnswers()
{
    return { QStringLiteral("Yine de kaydet"), QStringLiteral("Dosyayı koru") };
}

QByteArray Messages::noDisplay(bool refused)
{
    if (refused) {
        return QStringLiteral("hizli: Açılacak bir ekran yok: DISPLAY'in gösterdiği X sunucusu (%1) bu "
                              "programı kabul etmiyor (yetki yok: XAUTHORITY'yi denetleyin) ve WAYLAND_DISPLAY "
                              "bir Wayland oturumuna ulaşmıyor.\n")
                .arg(qEnvironmentVariable("DISPLAY"))
                .toLocal8Bit();
    }
    return QStringLiteral("hizli: Açılacak bir ekran yok: ne DISPLAY bir X sunucusuna ne de "
                          "WAYLAND_DISPLAY bir Wayland oturumuna ulaşıyor; Hızlı'yı bir masaüstü "
                          "oturumunda başlatın.\n")
            .toLocal8Bit();
}

QByteArray Messages::unknownOption(const QByteArray &argument)
{
    return "hizli: bilinmeyen seçenek: " + argument + "\n"
            + QStringLiteral("Kullanım: hizli [--desktop | --help | --version]; ayrıntılar: hizli --help\n")
                      .toLocal8Bit();
}

QByteArray Messages::usage()
{
    QString text = QStringLiteral("Kullanım: hizli [--desktop | --help | --version]\n\n"
                                  "Hızlı, dokuz programınızı küçük bir pencerenin menüsünden başlatır. Listesini\n"
                                  "(data.txt) başlatıldığı klasörde okur ve oraya kaydeder: başka bir listeyi\n"
                                  "kullanmak için Hızlı'yı o listenin klasöründen başlatın.\n\n"
                                  "  --desktop   masaüstü menüsünün başlattığı gibi: liste\n"
                                  "              %1 klasöründe tutulur (ilk başlatmada\n"
                                  "              örnek liste oraya kopyalanır); programlar ve program seçici\n"
                                  "              ev klasörünüzde açılır\n"
                                  "  --help      bu yardımı gösterir\n"
                                  "  --version   sürümü gösterir\n\n")
                           .arg(DataFolder::path());
    if (!DataFolder::exampleList().isEmpty())
        text += QStringLiteral("Örnek liste: %1\n").arg(DataFolder::exampleList());
    text += QStringLiteral("Klavyeyle kullanım ve ayrıntılar: man hizli\n");
    return text.toLocal8Bit();
}
