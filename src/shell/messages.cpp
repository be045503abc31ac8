// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/messages.h"

#include "desktop/datafolder.h"
#include "errors/runtimeerror.h"
#include "text/listrow.h"

#include <QList>

#include <cerrno>
#include <cstring>
#include <pwd.h>

using Kind = RuntimeError::Kind;

namespace {
// A box's column by the head above it.
QString column(int box)
{
    return ListRow::columnOfBox(box) == ListRow::Caption ? QStringLiteral("Başlık") : QStringLiteral("Yol");
}
}

QString Messages::describe(const QString &character)
{
    if (character == QLatin1String("\r") || character == QLatin1String("\n"))
        return QStringLiteral("satır sonu");
    const uint code = character.toUcs4().value(0);
    return QStringLiteral("\"%1\" (U+%2)").arg(character, QString::number(code, 16).toUpper().rightJustified(4, u'0'));
}

// A user by name and number, or by number alone where the name is unknown.
QString Messages::owner(int id)
{
    const passwd *user = ::getpwuid(uid_t(id));
    const QString number = QStringLiteral("kimlik %1").arg(id);
    return user ? QString::fromLocal8Bit(user->pw_name) + QStringLiteral(", ") + number : number;
}

QString Messages::reason(const RuntimeError &error)
{
    if (error.subjectIsFolder())
        return QStringLiteral("bu adı taşıyan bir klasör var");
    switch (error.error()) {
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
        return error.kind() == Kind::FolderNotRead ? QStringLiteral("böyle bir klasör yok")
                                                   : QStringLiteral("dosya ya da klasör yok");
    case 0:
        return QStringLiteral("bilinmeyen bir hata");
    default:
        return QString::fromLocal8Bit(std::strerror(error.error()));
    }
}

// What the user can do about a file that could not be written: permissions
// and disk space do not help against a folder in the file's place or a
// file system mounted read-only.
QString Messages::advice(const RuntimeError &error)
{
    if (error.subjectIsFolder())
        return QStringLiteral("Bu klasörü taşıyın ya da adını değiştirin, sonra yeniden deneyin.");
    switch (error.error()) {
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
QString Messages::mendLater()
{
    return QStringLiteral("Hızlı şimdi kapanıyor; onu yeniden başlatıp Ayarlar penceresinde");
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

QString Messages::text(const RuntimeError &error)
{
    const QString &subject = error.subject();
    switch (error.kind()) {
    case Kind::FileNotFound: {
        QString text = QStringLiteral("\"%1\" dosyası \"%2\" klasöründe bulunamadı.\n\n"
                                      "Hızlı bu dosyayı başlatıldığı klasörde arar. Dosyayı bu klasöre koyun "
                                      "ya da Hızlı'yı dosyanın bulunduğu klasörden başlatın.")
                               .arg(subject, error.folder());
        if (!DataFolder::exampleList().isEmpty())
            text += QStringLiteral(" Örnek bir liste: \"%1\".").arg(DataFolder::exampleList());
        return text
                + QStringLiteral(" Masaüstü menüsünden başlatılan Hızlı listesini \"%1\" klasöründe tutar.")
                          .arg(DataFolder::path());
    }
    case Kind::FileNotOpened:
        return QStringLiteral("\"%1\" dosyası \"%2\" klasöründe açılamadı: %3.\n\n"
                              "Bu adın okunabilir bir dosya olduğunu denetleyin.")
                .arg(subject, error.folder(), reason(error));
    case Kind::FileAlreadyOpen:
        return QStringLiteral("\"%1\" dosyası açılamadı: %2 numaralı dosya zaten açık.")
                .arg(subject)
                .arg(error.number());
    case Kind::FileNotOpen:
        return QStringLiteral("%1 numaralı dosya açık değil.").arg(error.number());
    case Kind::InputPastEnd:
        return QStringLiteral("\"%1\" dosyası \"%2\" klasöründe eksik: %3. alan okunacakken dosya "
                              "bitti.\n\nDosyayı bir metin düzenleyicide açıp eksik kayıtları "
                              "tamamlayın.")
                .arg(subject, error.folder())
                .arg(error.number());
    case Kind::FileNotWritten: {
        QString text = QStringLiteral("\"%1\" dosyası \"%2\" klasörüne yazılamadı: %3.\n\n%4")
                               .arg(subject, error.folder(), reason(error), advice(error));
        if (error.previousKept())
            text += QStringLiteral(" Dosyanın önceki içeriği olduğu gibi duruyor.");
        if (!error.backup().isEmpty())
            text += QStringLiteral(" Dosyanın önceki içeriği \"%1\" dosyasına kopyalandı; Hızlı listeyi bir "
                                   "sonraki kayıtta ya da başlangıçta bu kopyadan geri getirir.")
                            .arg(error.backup());
        return text;
    }
    case Kind::NotRegularFile: {
        static const char *const what[] = { "bir şey", "sembolik bir bağlantı", "adlandırılmış bir boru (FIFO)",
                                            "bir aygıt", "bir soket" };
        return QStringLiteral("\"%1\" dosyası \"%2\" klasöründe açılamadı: bu ad %3, sıradan bir "
                              "dosya değil.\n\nHızlı bu adla yalnızca sıradan bir dosyayı okur ve "
                              "yazar. Bu adı taşıyanı kaldırıp yerine bir metin dosyası koyun.")
                .arg(subject, error.folder(), QString::fromUtf8(what[qBound(0, error.number(), 4)]));
    }
    case Kind::FieldTooLong:
        return QStringLiteral("\"%1\" dosyası \"%2\" klasöründe okunamadı: %3. alan 65536 bayttan "
                              "uzun.\n\nBu dosya bir liste gibi görünmüyor. Dosyayı bir metin "
                              "düzenleyicide açıp bu alanı kısaltın.")
                .arg(subject, error.folder())
                .arg(error.number());
    case Kind::FileNotRead:
        return QStringLiteral("\"%1\" dosyası \"%2\" klasöründe %3. alan okunurken okunamadı: %4.\n\n"
                              "Dosyanın bulunduğu diskin ya da aygıtın erişilebilir olduğunu denetleyip "
                              "yeniden deneyin.")
                .arg(subject, error.folder())
                .arg(error.number())
                .arg(reason(error));
    case Kind::BoxTooLong:
        return QStringLiteral("Liste kaydedilmedi: %1. satırın \"%2\" kutusundaki metin 65536 "
                              "karakterden uzun.\n\nMetni kısaltıp yeniden kaydedin.")
                .arg(ListRow::ofBox(error.number()).number)
                .arg(column(error.number()));
    case Kind::FieldNotStorable:
        return QStringLiteral("\"%1\" dosyası \"%2\" klasörüne yazılamadı: bir alanda bu dosyada "
                              "saklanamayan \"%3\" karakteri var.\n\nBu karakteri içermeyen bir ad ya da "
                              "yol seçip yeniden deneyin.")
                .arg(subject, error.folder(), error.character());
    case Kind::BoxNotStorable:
        return QStringLiteral("Liste kaydedilmedi: %1. satırın \"%2\" kutusunda listede saklanamayan "
                              "bir karakter var: %3.\n\nBu karakteri silip yeniden kaydedin.")
                .arg(ListRow::ofBox(error.number()).number)
                .arg(column(error.number()), describe(error.character()));
    case Kind::ChoiceNotStorable:
        return QStringLiteral("Program seçilmedi: \"%1\" dosyasının adında ya da yolunda listede "
                              "saklanamayan bir karakter var: %2.\n\nProgramı bu karakteri "
                              "içermeyen bir ada ya da klasöre taşıyıp yeniden seçin.")
                .arg(subject, describe(error.character()));
    case Kind::StartFailed:
        if (subject.trimmed().isEmpty()) {
            return QStringLiteral("Program başlatılamadı: bu kısayolun yolu boş.\n\n%1 bu kısayola bir program "
                                  "seçin.")
                    .arg(mendLater());
        }
        return QStringLiteral("Program başlatılamadı:\n%1\n\nBu komut satırı çalıştırılabilir bir "
                              "program adıyla başlamıyor ya da program çalıştırılamadı (\"%2\" "
                              "klasöründen başlatıldı). %3 bu kısayolun yolunu düzeltin.")
                .arg(subject, error.place().isEmpty() ? error.folder() : error.place(), mendLater());
    case Kind::FileBusy:
        return QStringLiteral("\"%1\" dosyası \"%2\" klasörüne yazılamadı: %3\n\nBirkaç saniye sonra yeniden "
                              "kaydedin. Dosyanın önceki içeriği olduğu gibi duruyor.")
                .arg(subject, error.folder(),
                     error.number() == RuntimeError::HeldByLauncher
                             ? QStringLiteral("çalışan başka bir Hızlı'nız bu listeyi şu anda kaydediyor.")
                             : QStringLiteral("dosya tam bu sırada başka bir program tarafından değiştirildi."));
    case Kind::LinkNotFollowed:
        return QStringLiteral("\"%1\" dosyası \"%2\" klasörüne yazılamadı: bu ad, başka bir kullanıcının "
                              "(%3) \"%4\" sembolik bağlantısından geçiyor. Yönetici (root) olarak çalışan "
                              "Hızlı, başka kullanıcıların bağlantılarından geçerek yazmaz.\n\nListeyi o "
                              "kullanıcının hesabından kaydedin ya da bağlantının yerine sıradan bir dosya "
                              "koyun. Dosyanın önceki içeriği olduğu gibi duruyor.")
                .arg(subject, error.folder(), owner(error.number()), error.place());
    case Kind::FileOfAnother:
        return QStringLiteral("\"%1\" dosyası \"%2\" klasörüne yazılamadı: orada duran \"%1\" başka bir "
                              "kullanıcının (%3) dosyası, ve bu klasörde (yapışkan bitli, paylaşılan bir klasör) "
                              "bir dosyayı yalnızca sahibi değiştirebilir ya da silebilir.\n\nO kullanıcıdan "
                              "dosyayı silmesini isteyin ya da Hızlı'yı kendi klasörünüzden başlatın.")
                .arg(subject, error.folder(), owner(error.number()));
    case Kind::CacheNotMade:
        return QStringLiteral("\"%1\" dosyası \"%2\" klasörüne yazılamadı: klasör yeni dosya almadığı için "
                              "önceki içeriğin kopyası \"%3\" klasörüne konacaktı, ama bu klasör "
                              "oluşturulamadı: %4.\n\nBu klasörün oluşturulabildiğini (XDG_CACHE_HOME "
                              "ayarlıysa gösterdiği yeri) denetleyip yeniden deneyin. Dosyanın önceki içeriği "
                              "olduğu gibi duruyor.")
                .arg(subject, error.folder(), error.place(), reason(error));
    case Kind::SaveInterrupted:
        if (error.previousKept()) {
            return QStringLiteral("\"%1\" listesinin \"%2\" klasöründeki son kaydı yarıda kalmıştı: Hızlı "
                                  "liste yazılırken kapandı. Liste, o kayıttan önce alınan tam kopyadan eski "
                                  "hâline getirildi; o kayıttaki değişiklikler listede yok.\n\nGerekirse "
                                  "değişiklikleri Ayarlar penceresinde yeniden yapıp kaydedin.")
                    .arg(subject, error.folder());
        }
        if (!error.error()) {
            return QStringLiteral("\"%1\" listesinin \"%2\" klasöründe yarıda kalmış bir kaydın bıraktığı, "
                                  "eski bir listenin kopyası bulundu. Liste o kayıttan bu yana değiştirilmiş "
                                  "(ya da kopya bu listenin değil): liste olduğu gibi bırakıldı. Eski liste "
                                  "\"%3\" dosyasında duruyor.\n\nListeniz doğruysa bu dosyayı silebilirsiniz; "
                                  "değilse listeyi bu dosyayla karşılaştırın.")
                    .arg(subject, error.folder(), error.backup());
        }
        return QStringLiteral("\"%1\" listesinin \"%2\" klasöründeki son kaydı yarıda kalmıştı ve liste "
                              "eski hâline getirilemedi: %3. Listenin o kayıttan önceki tam bir kopyası "
                              "\"%4\" dosyasında duruyor.\n\nBu kopyayı \"%1\" dosyasının yerine koyun; "
                              "Hızlı bir sonraki başlangıçta da yeniden dener.")
                .arg(subject, error.folder(), reason(error), error.backup());
    case Kind::HandOffNotOurs:
        if (!error.number()) {
            return QStringLiteral("Program seçilmedi: hiçbir satır program beklemiyor, çünkü son \"Gözat\" "
                                  "tamamlanamadı. Hiçbir satır değişmedi.\n\nProgramı koymak istediğiniz "
                                  "satırın \"Gözat\" düğmesine yeniden basın.");
        }
        return QStringLiteral("Program seçilmedi: \"%1\" dosyası \"%2\" klasöründe artık bu pencerenin "
                              "%3. satır için yazdığı dosya değil; aynı klasörde çalışan başka bir Hızlı ya "
                              "da başka bir program onu değiştirmiş. Hiçbir satır değişmedi.\n\n%3. satırın "
                              "\"Gözat\" düğmesine yeniden basıp programı yeniden seçin.")
                .arg(subject, error.folder())
                .arg(error.number());
    case Kind::NoProgramSelected:
        return QStringLiteral("Program seçilmedi: \"%1\" klasöründe seçili bir program yok.\n\nDosya listesinden "
                              "bir program seçip yeniden \"Seç\" düğmesine basın ya da başka bir klasör açın.")
                .arg(subject);
    case Kind::FolderNotRead:
        return QStringLiteral("\"%1\" klasörü okunamadı: %2.\n\n"
                              "Sürücünün takılı ve erişilebilir olduğunu denetleyip yeniden deneyin "
                              "ya da başka bir klasör seçin.")
                .arg(subject, reason(error));
    case Kind::ProgramMissing:
        return QStringLiteral("Program başlatılamadı: \"%1\" yok ya da çalıştırılabilir bir program "
                              "değil.\n\nProgram kaldırılmış, taşınmış ya da bulunduğu sürücü çıkarılmış "
                              "olabilir. %2 bu kısayolun yolunu düzeltin.")
                .arg(subject, mendLater());
    case Kind::FolderNotMade:
        if (!error.place().isEmpty()) {
            return QStringLiteral("Hızlı listesinin klasörü \"%1\" açılamadı: \"%2\" klasörü oluşturulmadı, çünkü "
                                  "içinde bulunacağı klasör başka bir kullanıcının (%3).\n\nYönetici (root) olarak "
                                  "çalışan Hızlı, başka kullanıcıların klasörlerinde klasör oluşturmaz: o kullanıcı "
                                  "kendi klasörüne artık yazamazdı. Hızlı'yı o kullanıcının hesabından başlatın ya da "
                                  "HOME'u (veya XDG_DATA_HOME'u) kendi klasörünüze ayarlayın.")
                    .arg(subject, error.place(), owner(error.number()));
        }
        return QStringLiteral("Hızlı listesinin klasörü \"%1\" açılamadı: %2.\n\n"
                              "Bu klasörü oluşturup kendinize yazma izni verin ya da Hızlı'yı "
                              "listenizin bulunduğu klasörden başlatın.")
                .arg(subject, reason(error));
    case Kind::FolderNotPrivate: {
        const QString rule = QStringLiteral("Hızlı yalnızca size ait ve başkalarına kapalı bir klasördeki listenin "
                                            "programlarını başlatır.\n\n");
        if (error.number() == RuntimeError::OtherOwner) {
            return QStringLiteral("Hızlı listesinin klasörü \"%1\" kullanılmadı: klasör başka bir kullanıcının.\n\n"
                                  "%2Klasör sizinse sahipliğini geri alın (sudo chown \"$USER\" \"%1\") ve "
                                  "Hızlı'yı yeniden başlatın; değilse HOME'u ya da XDG_DATA_HOME'u kendi "
                                  "klasörünüze ayarlayın.")
                    .arg(subject, rule);
        }
        if (error.number() == RuntimeError::OpenToOthers) {
            return QStringLiteral("Hızlı listesinin klasörü \"%1\" kullanılmadı: klasöre başkaları da "
                                  "yazabiliyor.\n\n%2İçindeki listenin sizin listeniz olduğunu denetleyin, sonra "
                                  "klasörü başkalarına kapatın (chmod 700 \"%1\") ve Hızlı'yı yeniden başlatın.")
                    .arg(subject, rule);
        }
        return QStringLiteral("Hızlı listesinin klasörü \"%1\" kullanılmadı: klasöre başka bir kullanıcının \"%2\" "
                              "sembolik bağlantısından geçilerek varılıyor.\n\n%3Bağlantıyı kaldırın ya da "
                              "XDG_DATA_HOME'u kendi klasörünüze ayarlayın, sonra Hızlı'yı yeniden başlatın.")
                .arg(subject, error.place(), rule);
    }
    }
    return {};
}
