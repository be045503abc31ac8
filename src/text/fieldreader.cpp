#include "text/fieldreader.h"

#include <QIODevice>

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

bool FieldReader::peek(char *c)
{
    return m_device->peek(c, 1) == 1;
}

bool FieldReader::next(QByteArray *field)
{
    field->clear();
    char c;
    if (!peek(&c))
        return false;

    skipBlanks();
    if (peek(&c) && c == '"') {
        m_device->skip(1);
        // An unterminated quotation holds the rest of the file.
        while (m_device->getChar(&c) && c != '"')
            field->append(c);
        skipToDelimiter();
    } else {
        while (peek(&c) && c != ',' && !isLineEnd(c)) {
            field->append(c);
            m_device->skip(1);
        }
        while (!field->isEmpty() && isBlank(field->back()))
            field->chop(1);
    }
    consumeDelimiter();
    return true;
}

void FieldReader::skipBlanks()
{
    char c;
    while (peek(&c) && isBlank(c))
        m_device->skip(1);
}

// What stands between a closing quotation mark and the delimiter is dropped.
void FieldReader::skipToDelimiter()
{
    char c;
    while (peek(&c) && c != ',' && !isLineEnd(c))
        m_device->skip(1);
}

// A comma, CR LF, a lone CR or a lone LF ends a field and goes with it.
void FieldReader::consumeDelimiter()
{
    char c;
    if (!m_device->getChar(&c))
        return;
    if (c == '\r' && peek(&c) && c == '\n')
        m_device->skip(1);
}
