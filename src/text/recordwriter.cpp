// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/recordwriter.h"

#include "text/windows1254.h"

QString RecordWriter::unstorableCharacter(const QString &text)
{
    for (const QChar c : text) {
        if (c == u'"' || c == u'\r' || c == u'\n')
            return QString(c);
    }
    return Windows1254::firstUnrepresentable(text);
}

bool RecordWriter::format(const QStringList &fields, QByteArray *line)
{
    QByteArray result;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (!unstorableCharacter(fields.at(i)).isEmpty())
            return false;
        QByteArray bytes;
        Windows1254::encode(fields.at(i), &bytes);
        if (i > 0)
            result.append(',');
        result.append('"').append(bytes).append('"');
    }
    result.append("\r\n");
    *line = result;
    return true;
}
