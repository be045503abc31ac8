// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// One entry of the list: the caption of a launch item and the command line it
// starts. Either may be empty; neither is trimmed or checked anywhere.
struct ShortcutEntry
{
    QString caption;
    QString path;

    bool operator==(const ShortcutEntry &) const = default;
};
