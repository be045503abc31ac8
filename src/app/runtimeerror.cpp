#include "app/runtimeerror.h"

RuntimeError::RuntimeError(Kind kind, QString text, QString subject, int field)
    : m_kind(kind)
    , m_text(std::move(text))
    , m_subject(std::move(subject))
    , m_field(field)
    , m_what(m_text.toUtf8())
{
}

const char *RuntimeError::what() const noexcept
{
    return m_what.constData();
}
