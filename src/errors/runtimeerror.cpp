// SPDX-License-Identifier: GPL-3.0-or-later
#include "errors/runtimeerror.h"

#include <QDir>
#include <QFileInfo>

RuntimeError::RuntimeError(Kind kind, QString subject, int number)
    : m_kind(kind)
    , m_subject(std::move(subject))
    , m_number(number)
    , m_folder(QDir::toNativeSeparators(QDir::currentPath()))
{
    // Only a file name can be shadowed by a folder of that name.
    if (kind == Kind::FileNotOpened || kind == Kind::FileNotWritten)
        m_subjectIsFolder = QFileInfo(m_subject).isDir();
}

RuntimeError &RuntimeError::withErrno(int error)
{
    m_error = error;
    return *this;
}

RuntimeError &RuntimeError::withCharacter(QString character)
{
    m_character = std::move(character);
    return *this;
}

RuntimeError &RuntimeError::withPreviousKept(bool kept)
{
    m_previousKept = kept;
    return *this;
}

RuntimeError &RuntimeError::withBackup(QString path)
{
    m_backup = std::move(path);
    return *this;
}

RuntimeError &RuntimeError::withPlace(QString path)
{
    m_place = std::move(path);
    return *this;
}

const char *RuntimeError::what() const noexcept
{
    return "Hızlı run-time error";
}
