// SPDX-License-Identifier: GPL-3.0-or-later
// Running handlers, the end of the program, window lifetime and every sentence the user reads.
#include "fixture.h"
#include "row.h"

#include "errors/runtimeerror.h"
#include "files/filetable.h"
#include "shell/form.h"
#include "shell/messages.h"
#include "shell/runtime.h"

#include <QTest>

#include <cerrno>
#include <sys/stat.h>

using E = RuntimeError;
using enum ListRow::Column;
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
        QVERIFY(!FileTable::isOpen(1) && !FileTable::isOpen(2));
        QCOMPARE(endStatus, 0);
    }

    // Each message names what failed, where and why, and what to do; "@" is the folder the error was raised in. Whole
    // texts where the parts are put together, the part that differs elsewhere.
    void messages_data()
    {
        QTest::addColumn<RuntimeError>("error");
        QTest::addColumn<QString>("text");
        row("missing list", E(E::File { E::FileNotFound, "data.txt" }),
            "\"data.txt\" dosyası \"@\" klasöründe bulunamadı.\n\nHızlı bu dosyayı başlatıldığı klasörde arar. "
            "Dosyayı bu klasöre koyun ya da Hızlı'yı dosyanın bulunduğu klasörden başlatın. Masaüstü "
            "menüsünden başlatılan Hızlı listesini \"/veri/hizli\" klasöründe tutar.");
        const QList<std::pair<E::Data, const char *>> parts = {
            { E::File { E::FileNotWritten, "data.txt", EROFS, true },
              "klasörüne yazılamadı: dosya sistemi salt okunur.\n\nDosya*başlatın. Dosyanın önceki içeriği olduğu "
              "gibi" },
            { E::File { E::FolderNotMade, "/v/h", ENOTDIR }, "\"/v/h\" açılamadı: yoldaki bir ad klasör değil" },
            { E::Field { E::InputPastEnd, "%1.txt", 17 }, "\"%1.txt\" dosyası*eksik: 17. alan okunacakken" },
            { E::Field { E::FileNotRead, "data.txt", 1, EIO }, "1. alan okunurken okunamadı: giriş/çıkış hatası" },
            { E::File { E::FileNotOpened, "data.txt", EACCES }, "açılamadı: erişim izni yok.\n\nBu adın okunabilir" },
            { E::File { .kind = E::CacheNotMade, .name = "data.txt", .error = ENOTDIR, .cache = "/h/c" },
              "\"/h/c\" klasörüne konacaktı, ama bu klasör oluşturulamadı: yoldaki bir ad klasör değil" },
            { E::File { E::SaveInterrupted, "data.txt", 0, true }, "tam kopyadan eski hâline getirildi" },
            { E::File { E::SaveInterrupted, "data.txt", EROFS, false, "/c/y" },
              "getirilemedi: dosya sistemi salt okunur. Listenin o kayıttan önceki tam bir kopyası \"/c/y\"" },
            { E::File { E::FileChanged, "data.txt" }, "dosya tam bu sırada başka bir program tarafından değiştirildi" },
            { E::File { E::FileBusy, "data.txt" }, "başka bir Hızlı'nız bu listeyi şu anda" },
            { E::File { E::SaveInterrupted, "data.txt", 0, false, "/c/data.txt.eski-Ab12Cd" },
              "liste olduğu gibi bırakıldı. Eski liste \"/c/data.txt.eski-Ab12Cd\" dosyasında" },
            { E::Owner { E::FileOfAnother, "s", 65534 }, "\"s\" başka bir kullanıcının (nobody, kimlik 65534)" },
            { E::Owner { E::LinkNotFollowed, "data.txt", 65534, "/x/l" }, "(nobody, kimlik 65534) \"/x/l\" sembolik" },
            { E::HandOff { "sil.txt", { 7 } }, "pencerenin 7. satır için yazdığı dosya değil" },
            { E::HandOff { "sil.txt", { 0 } }, "hiçbir satır program beklemiyor" },
            { E::File { E::FileNotWritten, "sil.txt", ENOSPC }, "diskte yer kalmadı.\n\nDiskte yer açıp" },
            { E::File { E::FileNotWritten, "sil.txt", EPERM }, "erişim izni yok.\n\nKlasöre ve dosyaya yazma" },
            { E::File { E::FileNotWritten, "sil.txt" }, "yazılamadı: bilinmeyen bir hata." },
            { E::notRegular("data.txt", S_IFSOCK).data(), "açılamadı: bu ad bir soket, sıradan bir dosya değil." },
            { E::Box { E::BoxNotStorable, { 2 }, Caption, "\"" }, "2. satırın \"Başlık\" kutusunda*\"\"\" (U+0022)." },
            { E::Box { E::BoxNotStorable, { 9 }, Path, "\n" }, "9. satırın \"Yol\" kutusunda*var: satır sonu." },
            { E::Box { E::BoxTooLong, { 2 }, Caption }, "2. satırın \"Başlık\" kutusundaki metin 65536 karakterden" },
            { E::File { .kind = E::ChoiceNotStorable, .name = "/x", .character = "日" },
              "\"/x\" dosyasının*\"日\" (U+65E5)." },
            { E::Command { "  ", "/ev" }, "Program başlatılamadı: bu kısayolun yolu boş." },
            { E::Command { "nothing -x", "/ev" },
              "(\"/ev\" klasöründen başlatıldı). Hızlı şimdi kapanıyor; onu yeniden" },
            { E::File { E::ProgramMissing, "/d/My Tool/run" }, "başlatılamadı: \"/d/My Tool/run\" yok ya da" },
            { E::File { E::FolderNotRead, "/m", ENOENT }, "\"/m\" klasörü okunamadı: böyle bir klasör yok." },
        };
        for (const auto &[error, part] : parts)
            QTest::addRow("%s", part) << E(error) << QString("*%1*").arg(QString::fromUtf8(part));
    }
    void messages()
    {
        QFETCH(RuntimeError, error);
        QFETCH(QString, text);
        qputenv("XDG_DATA_HOME", "/veri");
        text.replace("@", error.folder());
        const QString shown = Messages::text(error);
        qsizetype at = 0; // the parts between asterisks, in this order; a text without one, whole
        for (const QString &part : text.split('*'))
            QVERIFY2((at = shown.indexOf(part, at)) >= 0, qPrintable(shown));
        QVERIFY2(text.contains('*') || shown == text, qPrintable(shown));
    }

    void longLinesShownShortened()
    {
        const QString line = "/bin/" + QString(100000, u'x') + " end";
        const QString shown = Runtime::displayText("Program başlatılamadı:\n\r" + line);
        QCOMPARE(shown.count('\n'), 1); // LF CR is one line break
        QCOMPARE(shown.split('\n').first(), QString("Program başlatılamadı:"));
        QVERIFY(shown.split('\n').last().startsWith("/bin/xx") && shown.endsWith("xx end"));
        QVERIFY(shown.split('\n').last().size() <= Runtime::maxLineLength && shown.contains(" … "));
    }

    void runReportsAndEnds()
    {
        Runtime::run([] { throw E(E::File { E::FileNotFound, "data.txt" }); });
        QCOMPARE(prompts, QStringList { Messages::text(E(E::File { E::FileNotFound, "data.txt" })) });
        QCOMPARE(titles, QStringList { "Hızlı" });
        QCOMPARE(endStatus, 1);
        Runtime::run([] { QFAIL("a handler ran after the end"); });
    }

    // A window with its frame stays at its place where it fits on the screen, else moves to the edge it crossed; one
    // larger than the screen stands at its top left. The screen here is 800 by 600 below a panel 30 high.
    void fitted_data()
    {
        QTest::addColumn<QRect>("asked");
        QTest::addColumn<QRect>("placed");
        row("fits", QRect(100, 100, 300, 200), QRect(100, 100, 300, 200));
        row("crosses the right edge", QRect(600, 100, 300, 200), QRect(496, 100, 300, 200));
        row("crosses the bottom edge", QRect(100, 500, 300, 200), QRect(100, 396, 300, 200));
        row("frame under the panel", QRect(100, 40, 300, 200), QRect(100, 54, 300, 200));
        row("left of the screen", QRect(-50, 100, 300, 200), QRect(4, 100, 300, 200));
        row("wider than the screen", QRect(100, 100, 900, 200), QRect(4, 100, 900, 200));
        row("taller than the screen", QRect(100, 100, 300, 600), QRect(100, 54, 300, 600));
    }
    void fitted()
    {
        QFETCH(QRect, asked);
        QFETCH(QRect, placed);
        QCOMPARE(Form::fitted(asked, QMargins(4, 24, 4, 4), QRect(0, 30, 800, 570)), placed);
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
