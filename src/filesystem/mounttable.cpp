// SPDX-License-Identifier: GPL-3.0-or-later
#include "filesystem/mounttable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSet>

#include <algorithm>

#include <climits>
#include <cstdlib>
#include <unistd.h>

namespace {
// Kernel and memory file systems hold no files a user would start.
bool isPseudo(const QByteArray &type)
{
    static const QSet<QByteArray> pseudo = {
        "proc",
        "sysfs",
        "devtmpfs",
        "devpts",
        "tmpfs",
        "ramfs",
        "cgroup",
        "cgroup2",
        "securityfs",
        "debugfs",
        "tracefs",
        "configfs",
        "fusectl",
        "mqueue",
        "hugetlbfs",
        "pstore",
        "bpf",
        "autofs",
        "binfmt_misc",
        "efivarfs",
        "rpc_pipefs",
        "nsfs",
        "overlay-internal",
        "squashfs",
        "fuse.portal",
        "fuse.gvfsd-fuse",
        "rootfs",
    };
    return pseudo.contains(type);
}

bool isNetwork(const QByteArray &type)
{
    static const QSet<QByteArray> network = {
        "nfs", "nfs4",       "cifs",        "smb3",  "smbfs",       "ncpfs",          "afs",       "ceph", "glusterfs",
        "9p",  "fuse.sshfs", "fuse.rclone", "davfs", "fuse.davfs2", "fuse.glusterfs", "fuse.s3fs",
    };
    return network.contains(type);
}

// Mounts below these folders are the system's own, whatever their type.
bool isSystemFolder(const QString &point)
{
    static const QString folders[] = { QStringLiteral("/dev"), QStringLiteral("/proc"), QStringLiteral("/sys"),
                                       QStringLiteral("/var/run"), QStringLiteral("/var/lock") };
    for (const QString &folder : folders) {
        if (point.startsWith(folder) && (point.size() == folder.size() || point.at(folder.size()) == u'/'))
            return true;
    }
    return false;
}

bool isOctal(char c)
{
    return c >= '0' && c <= '7';
}

// The table writes a blank, a tab, a new line or a backslash in a field as
// \ooo.
QByteArray decodeField(QByteArrayView field)
{
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && isOctal(field[i + 1]) && isOctal(field[i + 2])
            && isOctal(field[i + 3])) {
            out.append(char((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0')));
            i += 3;
        } else {
            out.append(field[i]);
        }
    }
    return out;
}

// udev writes the unsafe bytes of a label in its link's name as \xHH.
QString decodeLabel(const QString &name)
{
    const QByteArray bytes = QFile::encodeName(name);
    QByteArray out;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        bool ok = false;
        const int value = bytes[i] == '\\' && i + 3 < bytes.size() && bytes[i + 1] == 'x'
                ? bytes.mid(i + 2, 2).toInt(&ok, 16)
                : 0;
        if (ok) {
            out.append(char(value));
            i += 3;
        } else {
            out.append(bytes[i]);
        }
    }
    return QString::fromUtf8(out);
}

// Labels of block devices, by the device's own path.
QHash<QString, QString> readLabels(const QString &folder)
{
    QHash<QString, QString> labels;
    const QDir byLabel(folder);
    for (const QString &name : byLabel.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        const QString device = QFileInfo(byLabel.filePath(name)).canonicalFilePath();
        if (!device.isEmpty())
            labels.insert(device, decodeLabel(name));
    }
    return labels;
}
}

// One line: ID, parent ID, device number, root within its file system, mount
// point, options, optional fields, a lone "-", then type and source.
std::optional<MountTable::Mount> MountTable::parseLine(QByteArrayView line)
{
    QList<QByteArrayView> fields;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= line.size(); ++i) {
        if (i == line.size() || line[i] == ' ') {
            if (i > start)
                fields.append(line.sliced(start, i - start));
            start = i + 1;
        }
    }
    qsizetype dash = 6;
    while (dash < fields.size() && fields[dash] != "-")
        ++dash;
    if (dash + 1 >= fields.size())
        return std::nullopt;
    Mount mount;
    mount.point = QFile::decodeName(decodeField(fields[4]));
    mount.type = decodeField(fields[dash + 1]);
    if (dash + 2 < fields.size())
        mount.source = decodeField(fields[dash + 2]);
    return mount;
}

MountTable MountTable::read()
{
    QFile file(QStringLiteral("/proc/self/mountinfo"));
    return parse(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray(), QStringLiteral("/dev/disk/by-label"));
}

MountTable MountTable::parse(const QByteArray &text, const QString &labelFolder)
{
    MountTable table;
    for (qsizetype start = 0, end; start < text.size(); start = end + 1) {
        end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        std::optional<Mount> mount = parseLine(QByteArrayView(text).sliced(start, end - start));
        if (!mount)
            continue;
        const auto seen = table.m_byPoint.constFind(mount->point);
        if (seen != table.m_byPoint.constEnd()) {
            table.m_mounts[seen.value()] = std::move(*mount);
        } else {
            table.m_byPoint.insert(mount->point, table.m_mounts.size());
            table.m_mounts.append(std::move(*mount));
        }
    }
    // Without a mount table, everything is on one volume.
    if (!table.m_byPoint.contains(QStringLiteral("/"))) {
        table.m_byPoint.insert(QStringLiteral("/"), table.m_mounts.size());
        table.m_mounts.append(Mount { QStringLiteral("/"), {}, {} });
    }
    if (!labelFolder.isEmpty())
        table.m_labels = readLabels(labelFolder);
    return table;
}

Volume MountTable::describe(const Mount &mount) const
{
    Volume volume;
    volume.root = QDir::toNativeSeparators(mount.point);
    volume.text = volume.root;
    if (!m_labels.isEmpty() && mount.source.startsWith("/dev/")) {
        const QString label = m_labels.value(QFileInfo(QFile::decodeName(mount.source)).canonicalFilePath());
        if (!label.isEmpty() && label != volume.root)
            volume.text += QStringLiteral(" [%1]").arg(label);
    }
    return volume;
}

// The mount with the longest mount point that leads to the folder.
Volume MountTable::of(const QByteArray &path) const
{
    char resolved[PATH_MAX];
    QString folder = ::realpath(path.constData(), resolved) ? QFile::decodeName(resolved) : QString();
    while (!folder.isEmpty()) {
        const auto found = m_byPoint.constFind(folder);
        if (found != m_byPoint.constEnd())
            return describe(m_mounts.at(found.value()));
        const qsizetype slash = folder.lastIndexOf(u'/');
        folder = slash > 0 ? folder.left(slash) : folder.size() > 1 ? QStringLiteral("/") : QString();
    }
    return {};
}

// Only mounts the user can enter: another user's private mounts and files
// bound in place of files are no drives. A network volume is offered without
// a look, which could wait on a server that does not answer; choosing it
// tells.
const QList<Volume> &MountTable::offered() const
{
    if (m_offered)
        return *m_offered;
    QList<Volume> volumes;
    volumes.reserve(m_byPoint.size());
    for (auto it = m_byPoint.constBegin(); it != m_byPoint.constEnd(); ++it) {
        const Mount &mount = m_mounts.at(it.value());
        if (isPseudo(mount.type) || isSystemFolder(mount.point)
            || (!isNetwork(mount.type) && ::access(QFile::encodeName(mount.point).constData(), X_OK) != 0))
            continue;
        volumes.append(describe(mount));
    }
    std::sort(volumes.begin(), volumes.end(), [](const Volume &a, const Volume &b) { return a.root < b.root; });
    m_offered = std::move(volumes);
    return *m_offered;
}
