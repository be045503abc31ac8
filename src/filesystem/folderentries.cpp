// SPDX-License-Identifier: GPL-3.0-or-later
#include "filesystem/folderentries.h"

#include <QFile>

#include <algorithm>
#include <cstring>
#include <iterator>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FolderEntries::FolderEntries(const QByteArray &folder)
{
    m_folder = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_folder < 0)
        return;
    // The directory stream works on its own descriptor, so that m_folder
    // stays open for the look at single entries.
    const int stream = ::dup(m_folder);
    DIR *directory = stream >= 0 ? fdopendir(stream) : nullptr;
    if (!directory) {
        if (stream >= 0)
            ::close(stream);
        return;
    }
    while (const dirent *entry = readdir(directory)) {
        if (entry->d_name[0] == '.')
            continue;
        m_entries.push_back({ m_names.size(), entry->d_type });
        m_names.append(entry->d_name, qsizetype(strlen(entry->d_name)) + 1);
    }
    closedir(directory);
}

FolderEntries::~FolderEntries()
{
    if (m_folder >= 0)
        ::close(m_folder);
}

unsigned char FolderEntries::typeOf(qsizetype i) const
{
    const unsigned char type = m_entries.at(i).type;
    if (type != DT_LNK && type != DT_UNKNOWN)
        return type;
    struct stat status;
    if (fstatat(m_folder, name(i), &status, 0) != 0)
        return DT_UNKNOWN; // a link that leads nowhere is neither
    return S_ISREG(status.st_mode) ? DT_REG : S_ISDIR(status.st_mode) ? DT_DIR : DT_UNKNOWN;
}

bool FolderEntries::isFile(qsizetype i) const
{
    return typeOf(i) == DT_REG;
}

bool FolderEntries::isFolder(qsizetype i) const
{
    return typeOf(i) == DT_DIR;
}

bool FolderEntries::isExecutable(qsizetype i) const
{
    return faccessat(m_folder, name(i), X_OK, 0) == 0;
}

namespace {
// By name without regard to case, then by case, so the order is always the same.
struct Named
{
    QString key;
    QString shown;
    QByteArray name;
};

void sortNamed(std::vector<Named> &named)
{
    std::sort(named.begin(), named.end(), [](const Named &a, const Named &b) {
        const int byKey = a.key.compare(b.key);
        return byKey != 0 ? byKey < 0 : a.shown < b.shown;
    });
}
}

QList<QByteArray> FolderEntries::folders() const
{
    std::vector<Named> named;
    for (qsizetype i = 0; i < size(); ++i) {
        if (isFolder(i)) {
            const QString shown = QFile::decodeName(name(i));
            named.push_back({ shown.toLower(), shown, name(i) });
        }
    }
    sortNamed(named);
    QList<QByteArray> names;
    for (Named &folder : named)
        names.append(std::move(folder.name));
    return names;
}

void FolderEntries::sortByName(QStringList &names)
{
    std::vector<Named> named;
    std::ranges::transform(names, std::back_inserter(named), [](QString &name) {
        return Named { name.toLower(), std::move(name), {} };
    });
    sortNamed(named);
    for (qsizetype i = 0; i < names.size(); ++i)
        names[i] = std::move(named[size_t(i)].shown);
}
