// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/filelocation.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace {

// As the kernel's own limit on links in one lookup.
constexpr int maxLinks = 40;

// A folder that may be searched but not read (mode --x) is still a place
// to look things up in; it only cannot be listed or locked.
int openFolder(int at, const char *name)
{
    const int fd = ::openat(at, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0 || errno != EACCES)
        return fd;
    return ::openat(at, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// Linux keeps a link's text shorter than PATH_MAX; an unreadable link reads
// as empty, which leads nowhere.
QByteArray readLink(int folder, const QByteArray &name)
{
    QByteArray text(PATH_MAX, '\0');
    text.resize(std::max<qsizetype>(::readlinkat(folder, name.constData(), text.data(), size_t(text.size())), 0));
    return text;
}

QString joined(QString folder, const QByteArray &name)
{
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder + QFile::decodeName(name);
}

struct Part
{
    QByteArray name;
    bool own; // a part of the name itself, not of a link's text
};

}

FileLocation FileLocation::resolve(const QString &name, bool followLinks)
{
    FileLocation location;
    QList<Part> pending;
    auto expand = [&](const QByteArray &path, bool own) {
        if (path.startsWith('/'))
            location.m_folder.reset(openFolder(AT_FDCWD, "/"));
        if (!location.m_folder.isOpen())
            location.m_error = errno;
        QList<Part> parts;
        for (const QByteArray &part : path.split('/'))
            parts.append({ part, own });
        pending = parts + pending;
    };
    location.m_folder.reset(openFolder(AT_FDCWD, "."));
    expand(QFile::encodeName(name), true);
    int hops = 0;
    while (!location.m_error && !pending.isEmpty()) {
        const Part part = pending.takeFirst();
        const bool last = pending.isEmpty();
        if (part.name.isEmpty() || part.name == ".")
            continue;
        struct stat st;
        if (::fstatat(location.m_folder.get(), part.name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (!last || errno != ENOENT)
                location.m_error = errno;
            else
                location.m_leaf = part.name;
            return location;
        }
        if (S_ISLNK(st.st_mode) && (followLinks || !last)) {
            const QByteArray text = readLink(location.m_folder.get(), part.name);
            if (++hops > maxLinks || text.isEmpty()) {
                location.m_error = text.isEmpty() && errno ? errno : ELOOP;
                return location;
            }
            location.m_links.append({ joined(shownFolder(location.m_folder.get()), part.name), st.st_uid });
            if (part.own && last) {
                location.m_link = true;
                location.m_linkText = text;
            }
            expand(text, false);
            continue;
        }
        if (last) {
            location.m_leaf = part.name;
            return location;
        }
        Descriptor next(openFolder(location.m_folder.get(), part.name.constData()));
        if (!next.isOpen())
            location.m_error = errno;
        else
            location.m_folder = std::move(next);
    }
    if (!location.m_error)
        location.m_error = EISDIR;
    return location;
}

bool FileLocation::status(struct stat *st) const
{
    if (m_error) {
        errno = m_error;
        return false;
    }
    return ::fstatat(m_folder.get(), m_leaf.constData(), st, AT_SYMLINK_NOFOLLOW) == 0;
}

QString FileLocation::shownFolder(int folder)
{
    const QByteArray proc = "/proc/self/fd/" + QByteArray::number(folder);
    QByteArray text = readLink(AT_FDCWD, proc);
    return text.startsWith('/') ? QFile::decodeName(text) : QStringLiteral(".");
}

QString FileLocation::shownPath() const
{
    return joined(shownFolder(m_folder.get()), m_leaf);
}

FilePlace FileLocation::place() const
{
    FilePlace place;
    place.m_link = m_link;
    place.m_linkText = m_linkText;
    struct stat st;
    place.m_exists = status(&st);
    place.m_shownPath = m_error ? QFile::decodeName(m_linkText) : shownPath();
    if (place.m_exists) {
        place.m_device = quint64(st.st_dev);
        place.m_inode = quint64(st.st_ino);
        place.m_stamp = QByteArray::number(qint64(st.st_size)) + ':' + QByteArray::number(qint64(st.st_mtim.tv_sec))
                + '.' + QByteArray::number(qint64(st.st_mtim.tv_nsec)) + ':'
                + QByteArray::number(qint64(st.st_ctim.tv_sec)) + '.' + QByteArray::number(qint64(st.st_ctim.tv_nsec));
    }
    return place;
}
