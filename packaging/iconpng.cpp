// SPDX-License-Identifier: GPL-3.0-or-later
// Build-time tool: writes one of the icons as the PNG that icon themes want.
// The XPM images the program builds in are taken as they are and must be of
// the size they are installed as; the SVG is drawn at the size asked for.
//
//     hizli-iconpng IN.xpm|IN.svg OUT.png SIZE

#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s IN.xpm|IN.svg OUT.png SIZE\n", argv[0]);
        return 2;
    }
    const QString in = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);
    const int size = std::atoi(argv[3]);
    QImage image;
    if (in.endsWith(QLatin1String(".svg"))) {
        QSvgRenderer svg(in);
        if (!svg.isValid() || size <= 0) {
            std::fprintf(stderr, "%s: cannot draw %s at %s pixels\n", argv[0], argv[1], argv[3]);
            return 1;
        }
        // Transparent around the face: the theme draws the icon on any colour.
        image = QImage(size, size, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        svg.render(&painter);
    } else {
        image = QImage(in, "XPM").convertToFormat(QImage::Format_ARGB32);
        if (image.isNull()) {
            std::fprintf(stderr, "%s: cannot read %s as XPM\n", argv[0], argv[1]);
            return 1;
        }
    }
    if (image.width() != size || image.height() != size) {
        std::fprintf(stderr, "%s: %s is %dx%d, not %dx%d\n", argv[0], argv[1], image.width(), image.height(), size,
                     size);
        return 1;
    }
    if (!image.save(out, "PNG")) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    return 0;
}
