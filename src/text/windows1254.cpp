// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/windows1254.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {
constexpr const char *codecName = "windows-1254";
}

// A single-byte code page carries no state from one call to the next, so one
// converter serves every field and the code page's tables load only once.
QString Windows1254::decode(const QByteArray &bytes)
{
    static QStringDecoder decoder(codecName);
    decoder.resetState();
    return decoder(bytes);
}

bool Windows1254::encode(const QString &text, QByteArray *bytes)
{
    QStringEncoder encoder(codecName);
    *bytes = encoder(text);
    return !encoder.hasError();
}

QString Windows1254::firstUnrepresentable(const QString &text)
{
    QByteArray scratch;
    if (encode(text, &scratch))
        return {};
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QString character = text.mid(i, length);
        if (!encode(character, &scratch))
            return character;
        i += length - 1;
    }
    return {};
}
