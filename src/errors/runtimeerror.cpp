// SPDX-License-Identifier: GPL-3.0-or-later
#include "errors/runtimeerror.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>

RuntimeError::RuntimeError(Data data)
    : m_data(std::move(data))
    , m_kind(std::visit([](const auto &group) -> int { return group.kind; }, m_data))
    , m_folder(QDir::toNativeSeparators(QDir::currentPath()))
{
    // Only a file name can be shadowed by a folder of that name.
    File *file = std::get_if<File>(&m_data);
    if (file && (file->kind == FileNotOpened || file->kind == FileNotWritten) && QFileInfo(file->name).isDir())
        file->standing = Folder;
}

RuntimeError RuntimeError::notRegular(const QString &name, mode_t mode)
{
    const Standing standing = S_ISLNK(mode) ? Link : S_ISFIFO(mode) ? Pipe : S_ISSOCK(mode) ? Socket : Device;
    return RuntimeError(File { NotRegularFile, name, 0, false, {}, standing });
}

const char *RuntimeError::what() const noexcept
{
    return "Hızlı run-time error";
}
