// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/twips.h"

#include <QApplication>
#include <QFont>

#include <cmath>

double Twips::scale()
{
    const QFont font = QApplication::font();
    // A font given in pixels is taken at the usual 96 dots to the inch.
    const double points = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 72.0 / 96.0;
    return qMax(1.0, points / 9.0);
}

int Twips::pixels(int twips)
{
    return int(std::lround(twips * scale() / 15.0));
}
