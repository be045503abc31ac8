// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/accessiblefactory.h"

#include "controls/drivelistbox.h"
#include "controls/drivelistboxaccessible.h"
#include "controls/textbox.h"
#include "controls/textboxaccessible.h"
#include "controls/wrapmenubar.h"
#include "controls/wrapmenubaraccessible.h"
#include "controls/wrapmenuitemaccessible.h"

#include <QAction>

namespace {
QAccessibleInterface *factory(const QString &className, QObject *object)
{
    if (className == QLatin1String("WrapMenuBar"))
        return new WrapMenuBarAccessible(static_cast<QWidget *>(object));
    if (className == QLatin1String("TextBox"))
        return new TextBoxAccessible(static_cast<TextBox *>(object));
    if (className == QLatin1String("DriveListBox"))
        return new DriveListBoxAccessible(static_cast<DriveListBox *>(object));
    if (className == QLatin1String("QAction")) {
        auto *action = static_cast<QAction *>(object);
        if (auto *bar = qobject_cast<WrapMenuBar *>(action->parent()))
            return new WrapMenuItemAccessible(bar, action);
    }
    return nullptr;
}
}

void AccessibleFactory::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
}
