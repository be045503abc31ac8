// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Forms the line of one record: every field in quotation marks, the fields
// separated by commas, CR LF at the end. Nothing inside a field is escaped, so
// a field that would not read back as itself is refused instead of written.
class RecordWriter
{
public:
    // The character that keeps text from being stored in a field (a quotation
    // mark, a line break, or one the code page lacks); empty when it can be.
    static QString unstorableCharacter(const QString &text);

    // False, with line untouched, when a field cannot be stored.
    static bool format(const QStringList &fields, QByteArray *line);
};
