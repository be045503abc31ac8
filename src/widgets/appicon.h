// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>

// The smiley that the launcher and the settings window carry.
class AppIcon
{
public:
    static QIcon icon();
};
