// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// A mounted volume as the drive list offers it.
struct Volume
{
    QString root; // mount point, native separators
    QString text; // what the drive list shows: the mount point and its label
};
