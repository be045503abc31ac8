// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/fieldreader.h"

#include <QIODevice>

#include <cerrno>

namespace {
bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}
}

FieldReader::FieldReader(QIODevice *device)
    : m_device(device)
{
}

// Every byte of a field, the blanks and junk around it included, counts
// against its budget, which leaves room for the two quotation marks and the
// CR LF of a field of the largest size; past it the reader sees no more.
bool FieldReader::peek(char *c)
{
    if (m_taken >= maxFieldSize + 4) {
        m_tooLong = true;
        return false;
    }
    errno = 0;
    const qint64 n = m_device->peek(c, 1);
    // A device that fails (a disk error) must not pass for a list that ends.
    if (n < 0 && !m_readError)
        m_readError = errno ? errno : EIO;
    return n == 1;
}

void FieldReader::skip()
{
    m_device->skip(1);
    ++m_taken;
}

bool FieldReader::next(QByteArray *field)
{
    field->clear();
    m_taken = 0;
    char c;
    if (m_tooLong || m_readError || !peek(&c))
        return false;

    skipBlanks();
    if (peek(&c) && c == '"') {
        skip();
        // An unterminated quotation holds the rest of the file.
        while (peek(&c) && c != '"') {
            field->append(c);
            skip();
        }
        if (peek(&c))
            skip();
        skipToDelimiter();
    } else {
        while (peek(&c) && c != ',' && !isLineEnd(c)) {
            field->append(c);
            skip();
        }
        while (!field->isEmpty() && isBlank(field->back()))
            field->chop(1);
    }
    consumeDelimiter();
    m_tooLong = m_tooLong || field->size() > maxFieldSize;
    return !m_tooLong && !m_readError;
}

void FieldReader::skipBlanks()
{
    char c;
    while (peek(&c) && isBlank(c))
        skip();
}

// What stands between a closing quotation mark and the delimiter is dropped.
void FieldReader::skipToDelimiter()
{
    char c;
    while (peek(&c) && c != ',' && !isLineEnd(c))
        skip();
}

// A comma, CR LF, a lone CR or a lone LF ends a field and goes with it.
void FieldReader::consumeDelimiter()
{
    char c;
    if (!peek(&c))
        return;
    skip();
    if (c == '\r' && peek(&c) && c == '\n')
        skip();
}
