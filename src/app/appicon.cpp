#include "app/appicon.h"

#include <QPixmap>

#include "icons/hizli-16.xpm"
#include "icons/hizli-32.xpm"

QIcon AppIcon::icon()
{
    QIcon result;
    result.addPixmap(QPixmap(hizli_32_xpm));
    result.addPixmap(QPixmap(hizli_16_xpm));
    return result;
}
