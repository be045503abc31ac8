#include "settingswindow.h"

#include "app/runtime.h"
#include "launcher/form1.h"
#include "settings/form2.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>

void SettingsWindow::open()
{
    Runtime::run([] { Form1::instance().show(); });
    Form1::instance().findChild<QAction *>("Ayarlar")->trigger();
}

QLineEdit *SettingsWindow::box(int number)
{
    // As touching a box of an unloaded window does, this loads it first.
    Form2::instance().load();
    return Form2::instance().findChild<QLineEdit *>(QStringLiteral("Text%1").arg(number));
}

QStringList SettingsWindow::texts()
{
    QStringList result;
    for (int number = 1; number <= 18; ++number)
        result << box(number)->text();
    return result;
}

void SettingsWindow::press(const char *name)
{
    Form2::instance().findChild<QPushButton *>(name)->click();
}
