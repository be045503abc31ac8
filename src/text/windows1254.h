// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// The lists keep one byte a character in the Turkish Windows code page,
// whatever the locale, because lists written by earlier versions rely on it.
// Bytes the code page leaves undefined decode to the C1 control of the same
// value and encode back to that byte, so such a byte survives a load and a save.
class Windows1254
{
public:
    static QString decode(const QByteArray &bytes);
    // Returns false when text holds a character the code page cannot represent.
    static bool encode(const QString &text, QByteArray *bytes);
    // The first character of text the code page cannot represent, or an
    // empty string when every character can be stored.
    static QString firstUnrepresentable(const QString &text);
};
