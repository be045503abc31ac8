// Build-time tool: writes one of the program's XPM icons as the PNG that
// icon themes want, and refuses an icon that is not of the size it is
// installed as.
//
//     hizli-xpm2png IN.xpm OUT.png SIZE

#include <QImage>
#include <QString>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s IN.xpm OUT.png SIZE\n", argv[0]);
        return 2;
    }
    const QString in = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);
    const int size = std::atoi(argv[3]);
    const QImage image(in, "XPM");
    if (image.isNull()) {
        std::fprintf(stderr, "%s: cannot read %s as XPM\n", argv[0], argv[1]);
        return 1;
    }
    if (image.width() != size || image.height() != size) {
        std::fprintf(stderr, "%s: %s is %dx%d, not %dx%d\n", argv[0], argv[1], image.width(),
                     image.height(), size, size);
        return 1;
    }
    // Keep the transparent background: the theme draws the icon on any colour.
    if (!image.convertToFormat(QImage::Format_ARGB32).save(out, "PNG")) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
