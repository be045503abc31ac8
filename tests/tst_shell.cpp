// SPDX-License-Identifier: GPL-3.0-or-later
// Running handlers, the end of the program, window lifetime and every sentence
// the user reads.
#include "fixture.h"

#include "errors/runtimeerror.h"
#include "files/filetable.h"
#include "shell/form.h"
#include "shell/messages.h"
#include "shell/runtime.h"

#include <QDir>
#include <QTest>

#include <cerrno>

using Kind = RuntimeError::Kind;
Q_DECLARE_METATYPE(RuntimeError::Kind)
using Mode = FileTable::Mode;

namespace {
class CountingForm : public Form
{
public:
    int loads = 0;

protected:
    void Form_Load() override { ++loads; }
};
}

class ShellTest : public Fixture
{
    Q_OBJECT

private slots:
    void endDropsUnfinishedOutput()
    {
        write("data.txt", "old");
        FileTable::open(1, "data.txt", Mode::Output);
        FileTable::writeRecord(1, { "new" });
        FileTable::open(2, "sil.txt", Mode::Append);
        FileTable::writeRecord(2, { "kept" });
        Runtime::end(0);
        QCOMPARE(read("data.txt"), QByteArray("old"));
        QCOMPARE(read("sil.txt"), QByteArray("\"kept\"\r\n"));
        QCOMPARE(endStatus, 0);
    }

    void messages_data()
    {
        QTest::addColumn<RuntimeError>("error");
        QTest::addColumn<QString>("text");
        const QString folder = QDir::toNativeSeparators(QDir::currentPath());
        QTest::newRow("missing list")
                << RuntimeError(Kind::FileNotFound, "data.txt")
                << "\"data.txt\" dosyası \"@\" klasöründe bulunamadı.\n\nHızlı bu dosyayı başlatıldığı klasörde arar. "
                   "Dosyayı bu klasöre koyun ya da Hızlı'yı dosyanın bulunduğu klasörden başlatın. Masaüstü menüsünden "
                   "başlatılan Hızlı listesini \"/veri/hizli\" klasöründe tutar.";
        QTest::newRow("data folder not made") << RuntimeError(Kind::FolderNotMade, "/veri/hizli").withErrno(ENOTDIR)
                                              << "Hızlı listesinin klasörü \"/veri/hizli\" açılamadı: yoldaki bir ad "
                                                 "klasör değil, bir dosya.\n\nBu klasörü oluşturup kendinize yazma "
                                                 "izni verin ya da Hızlı'yı listenizin bulunduğu klasörden başlatın.";
        QTest::newRow("short list") << RuntimeError(Kind::InputPastEnd, "data.txt", 17)
                                    << "\"data.txt\" dosyası \"@\" klasöründe eksik: 17. alan okunacakken dosya "
                                       "bitti.\n\nDosyayı bir metin düzenleyicide açıp eksik kayıtları tamamlayın.";
        QTest::newRow("read error") << RuntimeError(Kind::FileNotRead, "data.txt", 1).withErrno(EIO)
                                    << "\"data.txt\" dosyası \"@\" klasöründe 1. alan okunurken okunamadı: giriş/çıkış "
                                       "hatası (disk ya da aygıt yanıt vermedi).\n\nDosyanın bulunduğu diskin ya da "
                                       "aygıtın erişilebilir olduğunu denetleyip yeniden deneyin.";
        QTest::newRow("unreadable") << RuntimeError(Kind::FileNotOpened, "data.txt").withErrno(EACCES)
                                    << "\"data.txt\" dosyası \"@\" klasöründe açılamadı: erişim izni yok.\n\nBu adın "
                                       "okunabilir bir dosya olduğunu denetleyin.";
        QTest::newRow("read-only file system")
                << RuntimeError(Kind::FileNotWritten, "data.txt").withErrno(EROFS).withPreviousKept(true)
                << "\"data.txt\" dosyası \"@\" klasörüne yazılamadı: dosya sistemi salt okunur.\n\nDosya sistemini "
                   "yazılabilir olarak bağlayın ya da listeyi yazılabilir bir klasöre taşıyıp Hızlı'yı oradan "
                   "başlatın. Dosyanın önceki içeriği olduğu gibi duruyor.";
        QTest::newRow("no cache folder")
                << RuntimeError(Kind::CacheNotMade, "data.txt")
                           .withErrno(ENOTDIR)
                           .withPlace("/h/.cache/hizli")
                           .withPreviousKept(true)
                << "\"data.txt\" dosyası \"@\" klasörüne yazılamadı: klasör yeni dosya almadığı için önceki içeriğin "
                   "kopyası \"/h/.cache/hizli\" klasörüne konacaktı, ama bu klasör oluşturulamadı: yoldaki bir ad "
                   "klasör değil, bir dosya.\n\nBu klasörün oluşturulabildiğini (XDG_CACHE_HOME ayarlıysa gösterdiği "
                   "yeri) denetleyip yeniden deneyin. Dosyanın önceki içeriği olduğu gibi duruyor.";
        QTest::newRow("torn list restored")
                << RuntimeError(Kind::SaveInterrupted, "data.txt").withPreviousKept(true)
                << "\"data.txt\" listesinin \"@\" klasöründeki son kaydı yarıda kalmıştı: Hızlı liste yazılırken "
                   "kapandı. Liste, o kayıttan önce alınan tam kopyadan eski hâline getirildi; o kayıttaki "
                   "değişiklikler listede yok.\n\nGerekirse değişiklikleri Ayarlar penceresinde yeniden yapıp "
                   "kaydedin.";
        QTest::newRow("torn list not restored")
                << RuntimeError(Kind::SaveInterrupted, "data.txt")
                           .withErrno(EROFS)
                           .withBackup("/c/.data.txt.hizli-yedek.1")
                << "\"data.txt\" listesinin \"@\" klasöründeki son kaydı yarıda kalmıştı ve liste eski hâline "
                   "getirilemedi: dosya sistemi salt okunur. Listenin o kayıttan önceki tam bir kopyası "
                   "\"/c/.data.txt.hizli-yedek.1\" dosyasında duruyor.\n\nBu kopyayı \"data.txt\" dosyasının yerine "
                   "koyun; Hızlı bir sonraki başlangıçta da yeniden dener.";
        QTest::newRow("save held by another")
                << RuntimeError(Kind::FileBusy, "data.txt")
                << "\"data.txt\" dosyası \"@\" klasörüne yazılamadı: dosya şu anda başka bir Hızlı ya da başka bir "
                   "program tarafından yazılıyor.\n\nBirkaç saniye sonra yeniden kaydedin. Dosyanın önceki içeriği "
                   "olduğu gibi duruyor.";
        QTest::newRow("root, another user's link")
                << RuntimeError(Kind::LinkNotFollowed, "data.txt", 65534).withPlace("/home/x/data.txt")
                << "\"data.txt\" dosyası \"@\" klasörüne yazılamadı: bu ad, başka bir kullanıcının (nobody, kimlik "
                   "65534) \"/home/x/data.txt\" sembolik bağlantısından geçiyor. Yönetici (root) olarak çalışan Hızlı, "
                   "başka kullanıcıların bağlantılarından geçerek yazmaz.\n\nListeyi o kullanıcının hesabından "
                   "kaydedin ya da bağlantının yerine sıradan bir dosya koyun. Dosyanın önceki içeriği olduğu gibi "
                   "duruyor.";
        QTest::newRow("hand-off file not ours")
                << RuntimeError(Kind::HandOffNotOurs, "sil.txt", 7)
                << "Program seçilmedi: \"sil.txt\" dosyası \"@\" klasöründe artık bu pencerenin 7. satır için yazdığı "
                   "dosya değil; aynı klasörde çalışan başka bir Hızlı ya da başka bir program onu değiştirmiş. Hiçbir "
                   "satır değişmedi.\n\n7. satırın \"Gözat\" düğmesine yeniden basıp programı yeniden seçin.";
        QTest::newRow("no row waiting")
                << RuntimeError(Kind::HandOffNotOurs, "sil.txt", 0)
                << "Program seçilmedi: hiçbir satır program beklemiyor, çünkü son \"Gözat\" tamamlanamadı. Hiçbir "
                   "satır değişmedi.\n\nProgramı koymak istediğiniz satırın \"Gözat\" düğmesine yeniden basın.";
        QTest::newRow("disk full") << RuntimeError(Kind::FileNotWritten, "sil.txt").withErrno(ENOSPC)
                                   << "\"sil.txt\" dosyası \"@\" klasörüne yazılamadı: diskte yer kalmadı.\n\nDiskte "
                                      "yer açıp yeniden deneyin.";
        QTest::newRow("no permission") << RuntimeError(Kind::FileNotWritten, "sil.txt").withErrno(EPERM)
                                       << "\"sil.txt\" dosyası \"@\" klasörüne yazılamadı: erişim izni yok.\n\nKlasöre "
                                          "ve dosyaya yazma izniniz olduğunu denetleyip yeniden deneyin.";
        QTest::newRow("socket") << RuntimeError(Kind::NotRegularFile, "data.txt", RuntimeError::Socket)
                                << "\"data.txt\" dosyası \"@\" klasöründe açılamadı: bu ad bir soket, sıradan bir "
                                   "dosya değil.\n\nHızlı bu adla yalnızca sıradan bir dosyayı okur ve yazar. Bu adı "
                                   "taşıyanı kaldırıp yerine bir metin dosyası koyun.";
        QTest::newRow("caption box") << RuntimeError(Kind::BoxNotStorable, {}, 3).withCharacter("\"")
                                     << "Liste kaydedilmedi: 2. satırın \"Başlık\" kutusunda listede saklanamayan bir "
                                        "karakter var: \"\"\" (U+0022).\n\nBu karakteri silip yeniden kaydedin.";
        QTest::newRow("path box") << RuntimeError(Kind::BoxNotStorable, {}, 18).withCharacter("\n")
                                  << "Liste kaydedilmedi: 9. satırın \"Yol\" kutusunda listede saklanamayan bir "
                                     "karakter var: satır sonu.\n\nBu karakteri silip yeniden kaydedin.";
        QTest::newRow("path box too long") << RuntimeError(Kind::BoxTooLong, {}, 4)
                                           << "Liste kaydedilmedi: 2. satırın \"Yol\" kutusundaki metin 65536 "
                                              "karakterden uzun.\n\nMetni kısaltıp yeniden kaydedin.";
        QTest::newRow("chosen file") << RuntimeError(Kind::ChoiceNotStorable, "/d/日.sh").withCharacter("日")
                                     << "Program seçilmedi: \"/d/日.sh\" dosyasının adında ya da yolunda listede "
                                        "saklanamayan bir karakter var: \"日\" (U+65E5).\n\nProgramı bu karakteri "
                                        "içermeyen bir ada ya da klasöre taşıyıp yeniden seçin.";
        QTest::newRow("empty command line") << RuntimeError(Kind::StartFailed, "  ")
                                            << "Program başlatılamadı: bu kısayolun yolu boş.\n\nAyarlar penceresinde "
                                               "bu kısayola bir program seçin.";
        QTest::newRow("command line") << RuntimeError(Kind::StartFailed, "nothing -x")
                                      << "Program başlatılamadı:\nnothing -x\n\nBu komut satırı çalıştırılabilir bir "
                                         "program adıyla başlamıyor ya da program çalıştırılamadı (\"@\" klasöründen "
                                         "başlatıldı). Ayarlar penceresinde bu kısayolun yolunu düzeltin.";
        QTest::newRow("program gone") << RuntimeError(Kind::ProgramMissing, "/d/My Tool/run")
                                      << "Program başlatılamadı: \"/d/My Tool/run\" yok ya da çalıştırılabilir bir "
                                         "program değil.\n\nProgram kaldırılmış, taşınmış ya da bulunduğu sürücü "
                                         "çıkarılmış olabilir. Ayarlar penceresinde bu kısayolun yolunu düzeltin.";
        QTest::newRow("missing folder")
                << RuntimeError(Kind::FolderNotRead, "/media/x").withErrno(ENOENT)
                << "\"/media/x\" klasörü okunamadı: böyle bir klasör yok.\n\nSürücünün takılı ve erişilebilir olduğunu "
                   "denetleyip yeniden deneyin ya da başka bir klasör seçin.";
        QTest::newRow("closed folder")
                << RuntimeError(Kind::FolderNotRead, ".").withErrno(EACCES)
                << "\".\" klasörü okunamadı: erişim izni yok.\n\nSürücünün takılı ve erişilebilir olduğunu denetleyip "
                   "yeniden deneyin ya da başka bir klasör seçin.";
    }
    void messages()
    {
        QFETCH(RuntimeError, error);
        QFETCH(QString, text);
        qputenv("XDG_DATA_HOME", "/veri");
        QCOMPARE(Messages::text(error), text.replace("@", error.folder()));
    }

    void longLinesShownShortened()
    {
        const QString line = "/bin/" + QString(100000, u'x') + " end";
        const QString shown = Runtime::displayText("Program başlatılamadı:\n\r" + line);
        QCOMPARE(shown.split('\n').first(), QString("Program başlatılamadı:"));
        QVERIFY(shown.split('\n').last().startsWith("/bin/xx"));
        QVERIFY(shown.endsWith("xx end"));
        QVERIFY(shown.split('\n').last().size() <= Runtime::maxLineLength && shown.contains(" … "));
    }

    void runReportsAndEnds()
    {
        Runtime::run([] { throw RuntimeError(Kind::FileNotFound, "data.txt"); });
        QCOMPARE(prompts, QStringList { Messages::text(RuntimeError(Kind::FileNotFound, "data.txt")) });
        QCOMPARE(titles, QStringList { "Hızlı" });
        QCOMPARE(endStatus, 1);
        Runtime::run([] { QFAIL("a handler ran after the end"); });
    }

    void formLifetime()
    {
        auto &form = Form::single<CountingForm>();
        Runtime::run([&] { static_cast<QWidget &>(form).show(); });
        QCOMPARE(form.loads, 1);
        QCOMPARE(endStatus, -1);
        form.hide();
        form.show();
        QCOMPARE(form.loads, 1);
        QVERIFY(form.close());
        QCOMPARE(endStatus, 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(Form::single<CountingForm>().loads, 0);
    }
};

QTEST_MAIN(ShellTest)
#include "tst_shell.moc"
