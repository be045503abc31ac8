#pragma once

#include <QByteArray>

class QIODevice;

// Takes the fields of a list one after another, on whichever lines they stand.
// Works on the raw bytes: the field syntax only uses ASCII, which the code
// page keeps as it is, so decoding waits until a field is complete. The reader
// never looks further into the device than the field it returns.
class FieldReader
{
public:
    explicit FieldReader(QIODevice *device);

    // Reads the next field's bytes; false when the read starts at the end.
    bool next(QByteArray *field);

private:
    bool peek(char *c);
    void skipBlanks();
    void skipToDelimiter();
    void consumeDelimiter();

    QIODevice *m_device;
};
