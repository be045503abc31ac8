// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/appicon.h"

#include <QPixmap>

#include "icons/hizli-16.xpm"
#include "icons/hizli-32.xpm"

// Built once: every window shares the same pixmaps instead of decoding
// its own copy each time it is created.
QIcon AppIcon::icon()
{
    static const QIcon shared = [] {
        QIcon result;
        result.addPixmap(QPixmap(hizli_32_xpm));
        result.addPixmap(QPixmap(hizli_16_xpm));
        return result;
    }();
    return shared;
}
