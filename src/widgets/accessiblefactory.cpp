// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/accessiblefactory.h"

#include "widgets/drivelistbox.h"
#include "widgets/drivelistboxaccessible.h"
#include "widgets/textbox.h"
#include "widgets/textboxaccessible.h"
#include "widgets/wrapmenubar.h"
#include "widgets/wrapmenubaraccessible.h"
#include "widgets/wrapmenuitemaccessible.h"

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
    QAccessible::installFactory(factory);
}
