// SPDX-License-Identifier: GPL-3.0-or-later
// What the picker's lists show: the files of one folder for a pattern, the folders around the open one.
#include "filesystem/volumes.h"
#include "widgets/accessiblefactory.h"
#include "widgets/dirlistbox.h"
#include "widgets/drivelistbox.h"
#include "widgets/filelistbox.h"
#include "widgets/indentdelegate.h"
#include "widgets/pushbutton.h"
#include "widgets/textbox.h"

#include "ownmounts.h"
#include "row.h"

#include <QAccessible>
#include <QApplication>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class WidgetsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { ownMounts(); }

    // The keyboard's focus is framed in the caption's colour, which stands out on a dark button too.
    void focusFrame()
    {
        PushButton button("Kapat");
        button.setPalette(QPalette(QColor(40, 40, 40)));
        button.show();
        QApplication::setActiveWindow(&button);
        button.setFocus();
        QCOMPARE(button.grab().toImage().pixelColor(3, 10), button.palette().color(QPalette::ButtonText));
    }

    // A text put in shows from its start, wider than the box; what the user types shows where it is typed.
    void textBoxShowsTheStart()
    {
        TextBox box;
        box.resize(80, 24);
        box.show();
        const auto shown = [&box](int offset) {
            box.grab(); // the box scrolls its text as it paints
            return box.rect().contains(box.mapFromGlobal(box.characterRect(offset).center()));
        };
        box.setText("Menünün bir satırına sığmayan uzun bir başlık");
        QVERIFY(shown(0));
        box.end(false);
        QTest::keyClicks(&box, "xyz");
        QVERIFY(!shown(0));
    }

    // A screen reader selects and reads back a box's text, and edits it through the box's own editing.
    void textBoxSpeaks()
    {
        AccessibleFactory::install();
        TextBox box;
        box.setText("abcdef");
        QAccessibleInterface *view = QAccessible::queryAccessibleInterface(&box);
        int start = -1;
        int end = -1;
        for (const int selected : { 0, 3 }) {
            view->textInterface()->addSelection(2, 2 + selected);
            view->textInterface()->selection(0, &start, &end);
            const QList<int> found { start, end, view->textInterface()->selectionCount() };
            QCOMPARE(found, selected ? QList<int>({ 2, 5, 1 }) : QList<int>(3, 0));
        }
        view->textInterface()->removeSelection(0);
        QVERIFY(!box.hasSelectedText());
        QCOMPARE(view->textInterface()->characterRect(6), QRect()); // past the end
        QVERIFY(view->state().editable && !view->state().readOnly);
        view->editableTextInterface()->replaceText(1, 3, "X");
        QCOMPARE(box.text(), QString("aXdef"));
    }

    void shows_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("shown");
        row("programs in any case, executables", "*.EXE", QStringList { "a.Exe", "B.EXE", "c.exe", "kur", "link" });
        row("every file", "*.*", QStringList { "a.Exe", "B.EXE", "c.exe", "kur", "link", "not.EXE.txt", "veri" });
        row("two globs, one character", "*.TXT; ?ur", QStringList { "kur", "not.EXE.txt" });
    }
    void shows()
    {
        QFETCH(QString, pattern);
        QFETCH(QStringList, shown);
        QTemporaryDir dir;
        for (const char *name : { "veri", "c.exe", "B.EXE", "not.EXE.txt", "a.Exe", "kur", ".gizli" })
            QFile(dir.filePath(name)).open(QIODevice::WriteOnly);
        for (const char *name : { "kur", ".gizli" }) // the execute right alone makes a program
            QFile::setPermissions(dir.filePath(name), QFile::ReadOwner | QFile::ExeOwner);
        QFile::link(dir.filePath("kur"), dir.filePath("link"));
        // Neither a hidden program, nor a folder or a broken link named as programs.
        QFile::link(dir.filePath("yok.exe"), dir.filePath("kırık.exe"));
        QDir(dir.path()).mkdir("klasör.exe");
        FileListBox files;
        files.setPattern(pattern);
        files.setPath(dir.path());
        for (int i = 0; i < files.count(); ++i)
            QCOMPARE(files.item(i)->text(), shown.value(i));
        QCOMPARE(files.count(), shown.size());
    }

    // After another folder, the chain from the volume's root down to the open folder, then its subfolders, each named
    // for a screen reader with where it stands; rows below the test folder as "depth name, kind".
    void folders_data()
    {
        QTest::addColumn<QString>("open");
        QTest::addColumn<QStringList>("below");
        row("subfolders by name, a link to one, nothing hidden", "",
            QStringList { "1 a, alt klasör", "1 B, alt klasör", "1 c, alt klasör", "1 link, alt klasör" });
        row("two levels down, no subfolders", "B/iç", QStringList { "1 B, üst klasör", "2 iç, açık klasör" });
    }
    void folders()
    {
        QFETCH(QString, open);
        QFETCH(QStringList, below);
        QTemporaryDir dir;
        // On a volume of its own where it may, so that the chain starts below "/".
        if (ownMounts())
            ::mount("hizli", QFile::encodeName(dir.path()), "tmpfs", 0, nullptr);
        const auto unmount = qScopeGuard([&] { ::umount(QFile::encodeName(dir.path())); }); // if mounted
        for (const char *name : { "a", "B/iç", "c", ".gizli" })
            QDir(dir.path()).mkpath(name);
        QFile(dir.filePath("dosya")).open(QIODevice::WriteOnly);
        QFile::link(dir.filePath("c"), dir.filePath("link"));
        QFile::link(dir.filePath("yok"), dir.filePath("kırık"));
        const QString root = Volumes::of(dir.path()).root;
        const QStringList chain = QStringList { root } + dir.path().mid(root.size()).split('/', Qt::SkipEmptyParts);
        QStringList expected;
        for (int level = 0; level < chain.size(); ++level) {
            const bool opened = open.isEmpty() && level == chain.size() - 1;
            expected << QString("%1 %2, %3").arg(level).arg(chain.at(level), opened ? "açık klasör" : "üst klasör");
        }
        for (const QString &row : below)
            expected
                    << QString("%1 %2").arg(chain.size() - 1 + row.section(' ', 0, 0).toInt()).arg(row.section(' ', 1));
        DirListBox folders;
        QVERIFY(folders.setPath(dir.filePath("a")) && folders.setPath(dir.filePath(open)));
        QStringList shown;
        for (int i = 0; i < folders.count(); ++i)
            shown << QString("%1 %2")
                             .arg(folders.item(i)->data(IndentDelegate::levelRole).toInt())
                             .arg(folders.item(i)->data(Qt::AccessibleTextRole).toString());
        QCOMPARE(shown, expected);
        QCOMPARE(folders.currentItem()->text(), open.isEmpty() ? chain.last() : open.section('/', -1));
    }

    // The drive list starts on the start folder's volume, of whatever kind,
    // and keeps it selected as it reads the volumes again when it opens.
    void driveListKeepsItsDrive()
    {
        if (!ownMounts())
            QSKIP("this user cannot mount in a namespace of its own");
        QStringList roots; // the start folder's volume once, also when it is offered anyway
        for (const Volume &volume : Volumes::list())
            roots << volume.root;
        QCOMPARE(roots.count(Volumes::of(Volumes::startFolder()).root), 1);
        QTemporaryDir dir;
        QCOMPARE(::mount("hizli", QFile::encodeName(dir.path()), "tmpfs", 0, nullptr), 0);
        const auto reset = qScopeGuard([&] {
            ::umount(QFile::encodeName(dir.path()));
            Volumes::setStartFolder({});
        });
        Volumes::setStartFolder(dir.path());
        DriveListBox drives;
        QVERIFY(drives.count() > 1 && drives.drive() == dir.path());
        drives.showPopup();
        QCOMPARE(drives.drive(), dir.path());
    }

    // A folder whose name is not UTF-8 opens by Enter, and its programs are listed.
    void folderNamedInOtherBytes()
    {
        QTemporaryDir dir;
        const QByteArray odd = QFile::encodeName(dir.path()) + "/\xff\xfe";
        QCOMPARE(::mkdir(odd.constData(), 0700), 0);
        ::close(::open(odd + "/kur", O_CREAT | O_WRONLY, 0700));
        DirListBox folders;
        QVERIFY(folders.setPath(dir.path()));
        folders.setCurrentRow(folders.count() - 1);
        QTest::keyClick(&folders, Qt::Key_Return);
        QCOMPARE(folders.nativePath(), odd);
        FileListBox files;
        files.setPattern("*.EXE");
        files.setPath(folders.nativePath());
        QCOMPARE(files.count(), 1);
    }
};

QTEST_MAIN(WidgetsTest)
#include "tst_widgets.moc"
