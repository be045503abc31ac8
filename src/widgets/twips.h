// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// The windows are laid out in twips, 15 to the pixel with Qt's default
// 9-point font; with a larger desktop font every position and size grows in
// proportion, so that captions, box texts and button labels still fit.
class Twips
{
public:
    static int pixels(int twips);
    static QPoint point(int x, int y) { return { pixels(x), pixels(y) }; }
    static QSize size(int width, int height) { return { pixels(width), pixels(height) }; }
    static QRect rect(int left, int top, int width, int height) { return { point(left, top), size(width, height) }; }

private:
    static double scale();
};
