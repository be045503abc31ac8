// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

class QIODevice;

// Takes the fields of a list one after another, on whichever lines they stand.
// Works on the raw bytes: the field syntax only uses ASCII, which the code
// page keeps as it is, so decoding waits until a field is complete. The reader
// never looks further into the device than the field it returns, and never
// further than maxFieldSize bytes for one field, so a file that is no list
// (a huge or endless one) costs no more than that to refuse.
class FieldReader
{
public:
    static constexpr qsizetype maxFieldSize = qsizetype(64) * 1024;

    explicit FieldReader(QIODevice *device);

    // Reads the next field's bytes; false when the read starts at the end,
    // when the field runs past maxFieldSize (tooLong() then tells), or when
    // the device fails to read (readError() then holds its errno).
    bool next(QByteArray *field);
    bool tooLong() const { return m_tooLong; }
    int readError() const { return m_readError; }

private:
    bool peek(char *c);
    void skip();
    void skipBlanks();
    void skipToDelimiter();
    void consumeDelimiter();

    QIODevice *m_device;
    qsizetype m_taken = 0;
    bool m_tooLong = false;
    int m_readError = 0;
};
