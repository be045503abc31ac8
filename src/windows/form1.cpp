// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/form1.h"

#include "desktop/desktop.h"
#include "errors/runtimeerror.h"
#include "process/processstarter.h"
#include "shell/runtime.h"
#include "store/shortcutlist.h"
#include "widgets/appicon.h"
#include "widgets/pushbutton.h"
#include "widgets/twips.h"
#include "widgets/wrapmenubar.h"
#include "windows/form2.h"

#include <QAction>
#include <QLocale>

namespace {
QPoint clientTopLeft()
{
    return Twips::point(1320, 8085);
}

QSize clientSize()
{
    return Twips::size(1080, 495);
}

const char *const launchNames[ListRow::count] = {
    "radio", "hesap_mak", "index_htm", "redhouse", "iexplorer", "numara_çev", "web_okulu", "mtu_sözlük", "pbrush",
};
}

Form1::Form1()
{
    createControls();
    placeControls();
    connectHandlers();
}

void Form1::createControls()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Hızlı"));
    setWindowIcon(AppIcon::icon());
    // A fixed dialog border with only the close control. A plain window, not
    // a tool window: Qt makes a tool window transient for a hidden window of
    // its own, and window managers then give the launcher no focus back after
    // a box or another window of the program closes.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    m_menu = new WrapMenuBar(this);
    m_menu->setObjectName(QStringLiteral("menu"));
    m_menu->setAccessibleName(QStringLiteral("Kısayollar"));
    // A typed letter finds captions by Turkish case rules: i with İ, ı with I.
    m_menu->setLocale(QLocale(QLocale::Turkish));
    for (int i = 0; i < ListRow::count; ++i) {
        const QString name = QString::fromUtf8(launchNames[i]);
        m_launchItems[i] = m_menu->addItem(name, name);
    }
    m_ayarlar = m_menu->addItem(QStringLiteral("Ayarlar"), QStringLiteral("Ayarlar"));
    m_omrak = m_menu->addItem(QStringLiteral("Omrak"), QStringLiteral("Omrak"));

    m_client = new QWidget(this);
    m_command1 = new PushButton(QStringLiteral("Kapat"), m_client);
    m_command1->setObjectName(QStringLiteral("Command1"));
}

void Form1::placeControls()
{
    setMenuWidget(m_menu);
    setCentralWidget(m_client);
    m_client->setFixedSize(clientSize());
    m_command1->setGeometry(Twips::rect(0, 0, 1095, 495));
    fitToMenu();
    m_command1->setFocus();
}

// The menu bar wraps above the client area, so the window grows upwards by
// its rows while the client area keeps its place and size. The rows depend
// on the captions, so this runs again once the list has set them.
void Form1::fitToMenu()
{
    const QSize client = clientSize();
    const int menuHeight = m_menu->heightForWidth(client.width());
    const QSize windowSize(client.width(), menuHeight + client.height());
    setFixedSize(windowSize);
    setPlace(QRect(clientTopLeft() - QPoint(0, menuHeight), windowSize));
}

void Form1::connectHandlers()
{
    using Handler = void (Form1::*)();
    static constexpr Handler launchHandlers[ListRow::count] = {
        &Form1::radio_Click,     &Form1::hesap_mak_Click,  &Form1::index_htm_Click,
        &Form1::redhouse_Click,  &Form1::iexplorer_Click,  &Form1::numara_çev_Click,
        &Form1::web_okulu_Click, &Form1::mtu_sözlük_Click, &Form1::pbrush_Click,
    };
    for (int i = 0; i < ListRow::count; ++i)
        Runtime::connect(m_launchItems[i], &QAction::triggered, this, launchHandlers[i]);
    Runtime::connect(m_ayarlar, &QAction::triggered, this, &Form1::Ayarlar_Click);
    Runtime::connect(m_omrak, &QAction::triggered, this, &Form1::Omrak_Click);
    Runtime::connect(m_command1, &QPushButton::clicked, this, &Form1::Command1_Click);
}

QAction *Form1::launchItem(int position) const
{
    return m_launchItems.at(position - 1);
}

void Form1::Form_Load()
{
    // A save cut off by a crash is finished or undone before the list is read.
    if (const std::optional<RuntimeError> notice = ShortcutList::recover())
        Runtime::report(*notice);
    ShortcutList::read(ListRow::count, [this](int position, const ShortcutEntry &entry) {
        launchItem(position)->setText(entry.caption);
    });
    fitToMenu();
    // Out of the taskbar by the EWMH states, which every tasklist reads. Set
    // once the list has loaded: a launcher that fails to load never gets a
    // window of its own.
    Desktop::keepOutOfTaskbar(this);
}

void Form1::Command1_Click()
{
    Runtime::end();
}

void Form1::Ayarlar_Click()
{
    Form2::instance().show();
}

QString Form1::aboutMessage()
{
    const QString separator = QString(QChar(10)) + QChar(13);
    const QString lines[] = {
        QStringLiteral("Bu program ile kısayollarınız"),
        QStringLiteral("araç çubuğunda yer kaplamayacak!"),
        QString(),
        QStringLiteral("Bu programın kısayolunu"),
        QStringLiteral("araç çubuğuna koyun ve"),
        QStringLiteral("diğer programları rahatça çağırın"),
        QString(),
        QStringLiteral("Hızlı " HIZLI_VERSION " © 2026 Hızlı geliştiricileri"),
        QStringLiteral("GNU GPL 3 ya da sonraki sürümleriyle dağıtılır."),
    };
    QString message = lines[0];
    for (std::size_t i = 1; i < std::size(lines); ++i)
        message += separator + lines[i];
    return message;
}

void Form1::Omrak_Click()
{
    Runtime::messageBox(aboutMessage(), QStringLiteral("Hakkında"));
}

// Each launch reads its record afresh, so a list changed since start-up
// starts what the file holds now.
void Form1::launch(int record, QAction *item)
{
    ShortcutEntry entry;
    ShortcutList::read(record, [&entry](int, const ShortcutEntry &read) { entry = read; });
    item->setText(entry.caption);
    ProcessStarter::start(entry.path);
    hide();
    Runtime::end();
}

void Form1::radio_Click()
{
    launch(1, m_launchItems[0]);
}
void Form1::hesap_mak_Click()
{
    launch(2, m_launchItems[1]);
}
void Form1::index_htm_Click()
{
    launch(3, m_launchItems[2]);
}
void Form1::redhouse_Click()
{
    launch(4, m_launchItems[3]);
}
void Form1::iexplorer_Click()
{
    launch(5, m_launchItems[4]);
}
void Form1::numara_çev_Click()
{
    launch(6, m_launchItems[5]);
}
void Form1::web_okulu_Click()
{
    launch(7, m_launchItems[6]);
}
void Form1::mtu_sözlük_Click()
{
    launch(8, m_launchItems[7]);
}
void Form1::pbrush_Click()
{
    launch(9, m_launchItems[8]);
}
