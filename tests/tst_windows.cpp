// SPDX-License-Identifier: GPL-3.0-or-later
#include "fixture.h"
#include "row.h"

#include "errors/runtimeerror.h"
#include "filesystem/volumes.h"
#include "shell/messages.h"
#include "shell/runtime.h"
#include "widgets/accessiblefactory.h"
#include "widgets/dirlistbox.h"
#include "widgets/filelistbox.h"
#include "widgets/wrapmenubar.h"
#include "windows/form1.h"
#include "windows/form2.h"
#include "windows/form3.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QScopeGuard>
#include <QSet>
#include <QTest>

#include <cstdio>
#include <unistd.h>

using E = RuntimeError;

namespace {
template <typename T = QWidget>
T *control(QWidget &window, const char *name)
{
    return window.findChild<T *>(QString::fromUtf8(name));
}

QStringList boxes()
{
    QStringList texts;
    for (int number = 1; number <= 18; ++number)
        texts << Form2::instance().text(number)->text();
    return texts;
}

// What happens to the list between its reading and its save.
enum Meanwhile { Nothing, MadeFolder, Changed, LinkPut, Replaced, LinkRetargeted, OthersLink };
// How a launch ends, and how a program is chosen in the picker.
enum Launch { Starts, Missing };
enum Choice { Select, DoubleClick, EnterKey };

void click(QWidget &window, const char *name)
{
    QTest::mouseClick(control(window, name), Qt::LeftButton);
}
}

class WindowsTest : public Fixture
{
    Q_OBJECT

    // The launcher on a list of these bytes, or on none.
    void startLauncher(const QByteArray &bytes = list())
    {
        if (!bytes.isEmpty())
            write("data.txt", bytes);
        Runtime::run([] { Form1::instance().show(); });
    }

    // Ayarlar, then the browse button of row, then the picker's folder.
    Form3 &browse(int row)
    {
        startLauncher();
        Form1::instance().findChild<QAction *>("Ayarlar")->trigger();
        click(Form2::instance(), QByteArray("Command" + QByteArray::number(row + 3)));
        Form3 &picker = Form3::instance();
        QDir().mkdir("bin");
        for (const char *name : { "APP.EXE", "notes.txt", "a\"b.exe" })
            write(QString("bin/") + name, "");
        writeProgram("bin/prog");
        control<DirListBox>(picker, "Dir1")->setPath(path("bin"));
        return picker;
    }

private slots:
    void initTestCase() { AccessibleFactory::install(); }

    // The captions of the first nine records, or the box that says why there are none, and the end.
    void launcherShowsTheList_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        row("nine records and a tenth", list() + "\"tenth\"\r\n");
        row("no list", QByteArray());
    }
    void launcherShowsTheList()
    {
        QFETCH(QByteArray, bytes);
        const bool shown = !bytes.isEmpty();
        startLauncher(bytes);
        const QString missing = Messages::text(E(E::File { E::FileNotFound, "data.txt" }));
        QCOMPARE(prompts, shown ? QStringList() : QStringList { missing });
        QCOMPARE(endStatus, shown ? -1 : 1);
        QCOMPARE(Form1::instance().isVisible(), shown);
        if (!shown)
            return;
        QStringList captions;
        for (QAction *item : Form1::instance().findChild<WrapMenuBar *>()->items())
            captions << item->text();
        QCOMPARE(captions, QString("c1 c2 c3 c4 c5 c6 c7 c8 c9 Ayarlar Omrak").split(' '));
    }

    void launches_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("launch");
        for (int k = 1; k <= 9; ++k) // a tenth record changes nothing
            QTest::addRow("item %d", k) << k << (k == 9 ? 10 : 9) << int(Starts);
        row("no such program", 3, 9, Missing);
    }
    void launches()
    {
        QFETCH(int, position);
        QFETCH(int, records);
        QFETCH(int, launch);
        startLauncher();
        writeProgram("prog");
        QStringList fields;
        for (int k = 1; k <= records; ++k)
            fields << QString("new%1").arg(k)
                   << (launch == Missing ? QString("./missing") : QString("./prog %1").arg(k));
        write("data.txt", list(fields, records));
        QAction *item = Form1::instance().launchItem(position);
        item->trigger();
        const E error(E::Command { "./missing", QDir::currentPath() });
        QCOMPARE(prompts, launch == Starts ? QStringList() : QStringList { Messages::text(error) });
        if (launch == Starts) {
            QCOMPARE(started(), path("prog") + QString("|%1|").arg(position));
            QCOMPARE(item->text(), QString("new%1").arg(position));
        }
        QCOMPARE(endStatus, launch == Starts ? 0 : 1);
        QVERIFY(!Form1::instance().isVisible());
    }

    void launcherButtonsAndAbout()
    {
        startLauncher();
        Form1::instance().findChild<QAction *>("Omrak")->trigger();
        QCOMPARE(
                prompts,
                QStringList {
                        "Bu program ile kısayollarınız\n\raraç çubuğunda yer kaplamayacak!\n\r\n\r"
                        "Bu programın kısayolunu\n\raraç çubuğuna koyun ve\n\rdiğer programları rahatça çağırın\n\r\n\r"
                        "Hızlı " HIZLI_VERSION
                        " © 2026 Hızlı geliştiricileri\n\rGNU GPL 3 ya da sonraki sürümleriyle dağıtılır." });
        QCOMPARE(titles, QStringList { "Hakkında" });
        QCOMPARE(endStatus, -1);
        click(Form1::instance(), "Command1");
        QCOMPARE(endStatus, 0);
    }

    void settingsEditAndRevert()
    {
        QStringList fields;
        for (int k = 1; k <= 9; ++k)
            fields << QString("Caption %1").arg(k) << QString("/bin/p%1 -x").arg(k);
        startLauncher(list(fields));
        QAction *ayarlar = Form1::instance().findChild<QAction *>("Ayarlar");
        ayarlar->trigger();
        Form2 &settings = Form2::instance();
        QVERIFY(settings.isVisible());
        QCOMPARE(boxes(), fields);
        settings.text(6)->setText("edited");
        click(settings, "Command3");
        QVERIFY(!settings.isVisible());
        for (int shown = 0; shown < 2; ++shown) { // brought back after "Kaydetmeden çık", then after Escape
            ayarlar->trigger();
            QCOMPARE(&Form2::instance(), &settings);
            QCOMPARE(settings.text(6)->text(), QString("edited"));
            if (!shown)
                QTest::keyClick(settings.text(6), Qt::Key_Escape);
        }
        click(settings, "Command2");
        QCOMPARE(boxes(), fields);
        QCOMPARE(settings.focusWidget(), settings.text(1)); // a screen reader speaks the rows' new text
    }

    // Nothing is lost: a box the list cannot hold or a list that cannot be written keeps every edit; a list another
    // program changed since it was read is overwritten only when the user says so, and a name that leads to another
    // file now is kept by Enter and Escape alike.
    void settingsSave_data()
    {
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("meanwhile");
        QTest::addColumn<int>("reply");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("saved");
        const QString longText(65537, u'x');
        row("quotation mark", 6, "a\"b", Nothing, 0, "quotation mark", false);
        row("longer than a field", 17, longText, Nothing, 0, "too long", false);
        row("longest field", 18, longText.left(65536), Nothing, 0, "", true);
        row("list made a folder", 1, "ok", MadeFolder, 0, "folder", false);
        row("list changed, kept", 1, "ok", Changed, 1, "changed", false);
        row("list changed, overwritten", 1, "ok", Changed, 0, "changed", true);
        row("link put in place, Enter keeps", 1, "ok", LinkPut, pressEnter, "moved:other.txt", false);
        row("list replaced, Escape keeps", 1, "ok", Replaced, pressEscape, "moved:data.txt", false);
        row("link retargeted, saved there", 1, "ok", LinkRetargeted, 0, "moved:other.txt", true);
        row("root, another user's link", 1, "ok", OthersLink, 0, "foreign", false);
    }
    void settingsSave()
    {
        QFETCH(int, box);
        QFETCH(QString, text);
        QFETCH(int, meanwhile);
        QFETCH(int, reply);
        QFETCH(QString, shown);
        QFETCH(bool, saved);
        if (meanwhile == OthersLink && !privileged())
            QSKIP("only root can give a link to another user");
        const bool linked = meanwhile == LinkRetargeted || meanwhile == OthersLink;
        QVERIFY(!linked || QFile::link("a.txt", "data.txt")); // the list is written through it
        if (meanwhile == OthersLink)
            QCOMPARE(::lchown("data.txt", 65534, 65534), 0);
        startLauncher();
        Form1::instance().findChild<QAction *>("Ayarlar")->trigger();
        Form2 &settings = Form2::instance();
        settings.text(box)->setText(text);
        if (meanwhile == MadeFolder) {
            QFile::remove("data.txt");
            QDir().mkdir("data.txt");
        }
        if (meanwhile == Changed)
            write("data.txt", list({ "other" }));
        if (meanwhile == LinkPut || meanwhile == LinkRetargeted) {
            write("other.txt", list({ "other" }));
            QFile::remove("data.txt");
            QFile::link("other.txt", "data.txt");
        }
        if (meanwhile == Replaced) {
            write("new.txt", list({ "other" }));
            QCOMPARE(::rename("new.txt", "data.txt"), 0);
        }
        answer = reply;
        click(settings, "Command1");
        const QMap<QString, QString> texts = {
            { "quotation mark", Messages::text(E(E::Box { E::BoxNotStorable, { 3 }, ListRow::Path, "\"" })) },
            { "too long", Messages::text(E(E::Box { E::BoxTooLong, { 9 }, ListRow::Caption })) },
            { "changed", Messages::listChanged("data.txt") },
            { "moved:other.txt", Messages::listMoved("data.txt", path("other.txt"), true) },
            { "moved:data.txt", Messages::listMoved("data.txt", path("data.txt"), true) },
            { "foreign", Messages::text(E(E::Owner { E::LinkNotFollowed, "data.txt", 65534, path("data.txt") })) },
            { "folder", Messages::text(E(E::File { E::FileNotWritten, "data.txt" })) }
        };
        QCOMPARE(prompts, shown.isEmpty() ? QStringList() : QStringList { texts.value(shown) });
        QStringList fields = QString(list()).remove('"').remove('\r').replace('\n', ',').split(',').mid(0, 18);
        fields[box - 1] = text;
        const QByteArray before = meanwhile == MadeFolder         ? "<none>"
                : meanwhile == Nothing || meanwhile == OthersLink ? list()
                                                                  : list({ "other" });
        QCOMPARE(read("data.txt"), saved ? list(fields) : before);
        QCOMPARE(read("a.txt"), linked ? list() : QByteArray("<none>"));
        QCOMPARE(QFileInfo("data.txt").isSymLink(), linked || meanwhile == LinkPut);
        QCOMPARE(settings.text(box)->text(), text);
        QCOMPARE(settings.isVisible(), !saved);
        QCOMPARE(endStatus, saved ? 0 : -1);
    }

    // Places and sizes in twips: 15 to the pixel at 9 points, one at 135.
    void places_data()
    {
        QTest::addColumn<int>("points");
        row("9 points", 9);
        row("135 points", 135);
    }
    void places()
    {
        QFETCH(int, points);
        const QFont font = QApplication::font();
        QApplication::setFont(QFont(font.family(), points));
        const auto restore = qScopeGuard([font] { QApplication::setFont(font); });
        Form3 &picker = browse(9);
        Form2 &settings = Form2::instance();
        Form1 &launcher = Form1::instance();
        const auto pixels = [points](QRect r) { return QRect(r.topLeft() * points / 135, r.size() * points / 135); };
        const QRect client = pixels({ 1320, 8085, 1080, 495 });
        QCOMPARE(launcher.place().bottomLeft(), client.bottomLeft());
        QCOMPARE(launcher.place().width(), client.width());
        QCOMPARE(launcher.centralWidget()->size(), client.size());
        QCOMPARE(settings.place(), pixels({ 2850, 2115, 6585, 4410 }));
        QCOMPARE(picker.place(), pixels({ 2760, 2115, 3705, 4905 }));
        // Window (1, 2, 3), control, then left, top, width and height in twips.
        const QString twips =
                "1 Command1 0 0 1095 495;2 Label1 120 120 735 255;2 Label2 1320 120 3375 255;2 Text1 120 480 1095 285;"
                "2 Text2 1320 480 4335 285;2 Text17 120 3360 1095 285;2 Text18 1320 3360 4335 285;"
                "2 Command4 5760 480 735 255;2 Command12 5760 3360 735 255;2 Command1 1440 3840 1335 495;"
                "2 Command2 2880 3840 1335 495;2 Command3 4320 3840 1335 495;3 Drive1 120 120 1095 315;"
                "3 Dir1 120 480 3495 1440;3 File1 120 1920 3495 2430;3 Command2 1920 4440 1455 375";
        for (const QString &line : twips.split(';')) {
            const QStringList f = line.split(' ');
            QWidget *window = QList<QWidget *> { &launcher, &settings, &picker }.at(f[0].toInt() - 1);
            const QRect rect(f[2].toInt(), f[3].toInt(), f[4].toInt(), f[5].toInt());
            QCOMPARE(control(*window, f[1].toUtf8())->geometry(), pixels(rect));
        }
    }

    void tabOrder()
    {
        Form3 &picker = browse(9);
        QStringList chain;
        QWidget *widget = control(Form2::instance(), "Text1");
        for (int i = 0; i < 30 && chain.size() < 30; ++i, widget = widget->nextInFocusChain())
            if (widget->focusPolicy() & Qt::TabFocus)
                chain << widget->objectName();
        QCOMPARE(chain.join(' '),
                 QString("Text1 Text2 Text3 Text4 Text5 Text6 Text7 Text8 Text9 Text10 Text11 Text12 Text13 Text14 "
                         "Text15 Text16 Text17 Text18 Command1 Command2 Command3 Command4 Command5 Command6 Command7 "
                         "Command8 Command9 Command10 Command11 Command12"));
        QCOMPARE(control(picker, "Drive1")->nextInFocusChain()->objectName(), QString("File1"));
    }

    // Names that tell the controls apart; no label speaks in place of a box's own name.
    void accessibleNames()
    {
        Form3 &picker = browse(9);
        Form2 &settings = Form2::instance();
        Form1 &launcher = Form1::instance();
        const auto *drives = control<QComboBox>(picker, "Drive1");
        const QList<std::pair<QWidget *, QString>> names = { { control(launcher, "menu"), "Kısayollar" },
                                                             { control(settings, "Text5"), "Başlık, 3. satır" },
                                                             { control(settings, "Text18"), "Yol, 9. satır" },
                                                             { control(settings, "Command6"), "Gözat, 3. satır" },
                                                             { control(picker, "Drive1"),
                                                               "Sürücü: " + drives->currentText() },
                                                             { control(picker, "Dir1"), "Klasörler" },
                                                             { control(picker, "File1"), "Dosyalar" } };
        for (const auto &[widget, name] : names) {
            QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(widget);
            QCOMPARE(iface->text(QAccessible::Name), name);
            QVERIFY(iface->relations(QAccessible::Label).isEmpty());
        }
        QCOMPARE(launcher.objectName() + settings.objectName() + picker.objectName(), QString("Form1Form2Form3"));
        QCOMPARE(picker.accessibleDescription(), QString("9. satır için program seçin"));
    }

    // Enter and Space press the focused button; no default button takes Enter from a text box.
    void enterPressesTheFocusedButton()
    {
        Form3 &picker = browse(9);
        Form2 &settings = Form2::instance();
        Form1 &launcher = Form1::instance();
        QStringList pressed;
        for (QPushButton *button : launcher.findChildren<QPushButton *>() + settings.findChildren<QPushButton *>()
                     + picker.findChildren<QPushButton *>())
            connect(button, &QPushButton::clicked, button, [&pressed, button] { pressed << button->objectName(); });
        for (const auto &[widget, key] : { std::pair { control(settings, "Text1"), Qt::Key_Return },
                                           { control(settings, "Command3"), Qt::Key_Enter },
                                           { control(picker, "Command2"), Qt::Key_Return },
                                           { control(launcher, "Command1"), Qt::Key_Space } })
            QTest::keyClick(widget, key);
        QCOMPARE(pressed, QStringList({ "Command3", "Command2", "Command1" }));
    }

    void browseAndChoose_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("how");
        const int ways[] = { Select, DoubleClick, EnterKey };
        for (int row = 1; row <= 9; ++row) // every row's "Gözat", each way of choosing in turn
            QTest::addRow("row %d", row) << row << ways[(row - 1) % 3];
    }
    void browseAndChoose()
    {
        QFETCH(int, row);
        QFETCH(int, how);
        Form3 &picker = browse(row);
        auto *files = control<FileListBox>(picker, "File1");
        QCOMPARE(files->count(), 3); // the programs: no notes.txt
        picker.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&picker));
        for (const Qt::FocusReason reason : { Qt::MouseFocusReason, Qt::TabFocusReason }) {
            files->clearFocus(); // from the keyboard the current program is also the selected one
            files->setCurrentRow(2);
            files->clearSelection();
            files->setFocus(reason);
            QCOMPARE(files->fileName(), reason == Qt::TabFocusReason ? "prog" : "");
        }
        files->setCurrentRow(1);
        const QPoint at = files->visualItemRect(files->item(1)).center();
        if (how == DoubleClick) {
            QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(files->viewport(), Qt::LeftButton, {}, at);
        } else if (how == EnterKey) {
            QTest::keyClick(files, Qt::Key_Enter);
        } else {
            click(picker, "Command2");
        }
        QStringList expected = QString(list()).remove('"').remove('\r').replace('\n', ',').split(',').mid(0, 18);
        expected[2 * row - 2] = "APP.EXE";
        expected[2 * row - 1] = path("bin/APP.EXE");
        QCOMPARE(boxes(), expected);
        QVERIFY(!picker.isVisible());
        QCOMPARE(Form2::instance().focusWidget(), Form2::instance().text(2 * row - 1));
    }

    void pickerRefusals()
    {
        Form3 &picker = browse(2);
        auto *files = control<FileListBox>(picker, "File1");
        click(picker, "Command2"); // nothing selected yet
        files->setCurrentRow(0);
        click(picker, "Command2");
        auto *drives = control<QComboBox>(picker, "Drive1");
        const QString before = drives->currentText();
        drives->addItem(path("none")); // a drive that cannot be read: the one before stays, as shown and as named
        drives->setCurrentIndex(drives->count() - 1);
        emit drives->activated(drives->count() - 1);
        QCOMPARE(QStringList({ drives->currentText(), drives->toolTip() }), QStringList({ before, before }));
        drives->clear();
        // A screen reader opens and closes the list by its actions; volumes
        // come and go, so the list is read again as it opens.
        QAccessibleInterface *list = QAccessible::queryAccessibleInterface(drives);
        list->actionInterface()->doAction(QAccessibleActionInterface::showMenuAction());
        QVERIFY(drives->count() > 0 && drives->view()->isVisible());
        QCOMPARE(QPoint(list->childCount(), list->indexOfChild(list->child(0))),
                 QPoint(1, 0)); // the list, its one child
        list->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY(!drives->view()->isVisible());
        const E::File chosen { .kind = E::ChoiceNotStorable, .name = path("bin/a\"b.exe"), .character = "\"" };
        QCOMPARE(prompts,
                 QStringList({ Messages::text(E(E::File { E::NoProgramSelected, path("bin") })),
                               Messages::text(E(chosen)),
                               Messages::text(E(E::File { E::FolderNotRead, path("none"), ENOENT })) }));
        QVERIFY(picker.isVisible());
        QCOMPARE(files->path(), path("bin"));
        QCOMPARE(Form2::instance().text(3)->text(), QString("c2"));
        QCOMPARE(endStatus, -1);
        drives->addItem(path("bin/.."));
        drives->setCurrentIndex(drives->count() - 1);
        emit drives->activated(drives->count() - 1); // another drive: the lists follow
        QCOMPARE(files->path(), QDir::cleanPath(path("bin/..")));
        auto *dirs = control<DirListBox>(picker, "Dir1");
        QTest::keyClick(dirs, Qt::Key_Down); // the arrow keys walk the list, Enter opens: the first subfolder
        QTest::keyClick(dirs, Qt::Key_Return);
        QCOMPARE(files->path(), path("bin"));
        // Back on the working folder's drive, the lists open where they last were on it.
        drives->setCurrentIndex(drives->findText(Volumes::of(path(".")).text));
        emit drives->activated(drives->currentIndex());
        QCOMPARE(files->path(), path("bin"));
        picker.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&picker));
        QTest::keyClick(files, Qt::Key_Escape); // leaves as the title bar does: nothing chosen, the window unloaded
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!Form3::instance().isLoaded());
        QCOMPARE(read("sil.txt"), QByteArray("\"3\"\r\n"));
    }

    // Items wrap onto as many rows as the width needs, one an item where there is no width; a renamed item is laid
    // out again.
    void menuBarWraps()
    {
        startLauncher();
        auto *bar = Form1::instance().findChild<WrapMenuBar *>();
        QCOMPARE(bar->heightForWidth(0), 11 * bar->heightForWidth(QWIDGETSIZE_MAX));
        const int height = bar->height();
        bar->items().at(0)->setText(QString(100, u'w'));
        QTRY_VERIFY(bar->height() > height);
    }

    // A click is a press and a release on one item; a screen reader's press action does what it does.
    void menuBarClicksAndPresses()
    {
        const QString longCaption = "Menünün bir satırına sığmayan uzun bir başlık";
        startLauncher(list({ longCaption, "p" }));
        auto *bar = Form1::instance().findChild<WrapMenuBar *>();
        for (const int item : { 0, 10 }) { // the whole caption of a shortened item is its tooltip
            QTest::mouseMove(bar, bar->itemRect(item).center());
            QCOMPARE(bar->toolTip(), item ? QString() : longCaption);
        }
        const QImage lit = bar->grab(bar->itemRect(10)).toImage();
        QTest::mouseMove(bar, bar->itemRect(9).center());
        QVERIFY(bar->grab(bar->itemRect(10)).toImage() != lit); // only the item under the mouse is lit
        const QPoint omrak = bar->itemRect(10).center();
        QTest::mousePress(bar, Qt::LeftButton, {}, omrak);
        QTest::mouseRelease(bar, Qt::LeftButton, {}, bar->itemRect(9).center());
        QTest::mouseClick(bar, Qt::LeftButton, {}, omrak);
        QCOMPARE(titles, QStringList { "Hakkında" });
        QAccessibleInterface *menu = QAccessible::queryAccessibleInterface(bar);
        QCOMPARE(menu->role(), QAccessible::MenuBar);
        const QPoint corner = bar->mapToGlobal(bar->rect().bottomRight()); // no item there
        QCOMPARE(QPoint(menu->childCount(), menu->indexOfChild(menu->childAt(corner.x(), corner.y()))), QPoint(11, -1));
        const QImage shot = bar->grab().toImage();
        for (int i = 0; i < 11; ++i) {
            QSet<QRgb> colours; // more than one: the caption is drawn on its item
            for (int y = 0; y < bar->itemRect(i).height(); ++y)
                colours << shot.pixel(bar->itemRect(i).center().x(), bar->itemRect(i).top() + y);
            QVERIFY(colours.size() > 1);
            QAccessibleInterface *item = menu->child(i);
            QCOMPARE(item->role(), QAccessible::MenuItem);
            QVERIFY(!item->state().invisible);
            QCOMPARE(item->text(QAccessible::Name), bar->items().at(i)->text());
            QCOMPARE(item->rect(), QRect(bar->mapToGlobal(bar->itemRect(i).topLeft()), bar->itemRect(i).size()));
            QCOMPARE(QPoint(menu->indexOfChild(item), item->indexOfChild(menu)), QPoint(i, -1)); // no children
            QCOMPARE(menu->childAt(item->rect().center().x(), item->rect().center().y()), item);
        }
        menu->child(10)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(titles.size(), 2);
    }

    // The item highlighted after the keys, or none and the focus on "Kapat".
    // The bar's rows: Uçbirim / ılık İnce / Index c5 / c6 c7 c8 / c9 Ayarlar / Omrak.
    void menuBarKeys_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("highlighted");
        row("F10 enters, Up onto the first item", "F10 Down Up", "Uçbirim");
        row("Alt with a key does not", "Alt+X", "");
        row("Left wraps", "F10 Left", "Omrak");
        row("End, Home", "F10 End Home End", "Omrak");
        row("Home", "F10 End Home", "Uçbirim");
        row("a press outside the bar leaves", "F10 click", "");
        row("the mouse takes the highlight along", "F10 hover10", "Omrak");
        row("and back onto the first item", "F10 hover9 hover0", "Uçbirim");
        row("Down, nearest in x", "F10 Right Right Down", "c5");
        row("Down, straight below", "F10 c c Down", "c9");
        row("Up wraps", "F10 Up Up", "c9");
        row("i is İ, not I", "F10 i i", "İnce");
        row("ı and I alike", "F10 ı I", "Index");
        row("Alt enters, F10 leaves", "Alt F10", "");
        row("Return leaves the bar", "F10 End Return", "");
    }
    void menuBarKeys()
    {
        QFETCH(QString, keys);
        QFETCH(QString, highlighted);
        startLauncher(list({ "Uçbirim", "p", "ılık", "p", "İnce", "p", "Index", "p" }));
        QVERIFY(QTest::qWaitForWindowActive(&Form1::instance()));
        auto *bar = Form1::instance().findChild<WrapMenuBar *>();
        for (const QString &name : keys.split(' ')) {
            const QKeyCombination key = QKeySequence(name)[0];
            // A click on the window itself, which takes no focus: only the bar's watch on presses sees it.
            if (name == "click")
                QTest::mouseClick(&Form1::instance(), Qt::LeftButton, {}, QPoint(0, Form1::instance().height() - 1));
            else if (name.startsWith("hover"))
                QTest::mouseMove(bar, bar->itemRect(name.mid(5).toInt()).center());
            else
                QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), key.key(),
                                    name.size() == 1 ? name : QString(), key.keyboardModifiers());
        }
        QAccessibleInterface *focus =
                QAccessible::queryAccessibleInterface(control(Form1::instance(), "menu"))->focusChild();
        QCOMPARE(focus ? focus->text(QAccessible::Name) : QString(), highlighted);
        const QImage shot = bar->grab().toImage(); // the highlighted item is lit, unlike the end of the last row
        const int lit = focus ? focus->parent()->indexOfChild(focus) : 10;
        const QPoint empty(bar->width() - 2, bar->itemRect(10).top() + 1);
        QCOMPARE(shot.pixel(bar->itemRect(lit).topLeft() + QPoint(1, 1)) != shot.pixel(empty), !!focus);
        QVERIFY(focus ? focus->state().focused : QApplication::focusWidget() == control(Form1::instance(), "Command1"));
    }
};

QTEST_MAIN(WindowsTest)
#include "tst_windows.moc"
