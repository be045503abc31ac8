// SPDX-License-Identifier: GPL-3.0-or-later
// The list reader on arbitrary bytes, under AddressSanitizer and UndefinedBehaviorSanitizer: a hand-edited or damaged
// list must never make it read out of bounds, loop for ever or lose its place. Every field it returns must also
// survive the code page both ways.
#include "text/fieldreader.h"
#include "text/windows1254.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QBuffer buffer;
    buffer.setData(reinterpret_cast<const char *>(data), qsizetype(size));
    buffer.open(QIODevice::ReadOnly);
    FieldReader reader(&buffer);
    QByteArray field;
    qint64 before = buffer.pos();
    while (reader.next(&field)) {
        // Each field moves the reader on and holds no more than it read.
        if (buffer.pos() <= before || field.size() > buffer.pos() - before)
            std::abort();
        before = buffer.pos();
        QByteArray back;
        if (!Windows1254::encode(Windows1254::decode(field), &back) || back != field)
            std::abort();
    }
    if (buffer.pos() != qint64(size))
        std::abort();
    return 0;
}
