#pragma once

#include <QString>
#include <exception>

// A failing operation of the runtime layer. Handlers never catch it: the
// handler stops where it was raised, and Runtime::run reports the text and
// ends the program. Windows that mend a failure they can recover from (a save
// that cannot be written) catch it themselves and show the same text.
class RuntimeError : public std::exception
{
public:
    enum class Kind {
        FileNotFound,
        FileNotOpened,
        InputPastEnd,
        FileNotWritten,
        FieldNotStorable,
        StartFailed,
    };

    RuntimeError(Kind kind, QString text, QString subject = {}, int field = 0);

    Kind kind() const { return m_kind; }
    const QString &text() const { return m_text; }
    // The file name or the command line the error is about.
    const QString &subject() const { return m_subject; }
    // For InputPastEnd: the 1-based number of the field that could not be read.
    int field() const { return m_field; }

    const char *what() const noexcept override;

private:
    Kind m_kind;
    QString m_text;
    QString m_subject;
    int m_field;
    QByteArray m_what;
};
