// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/dirlistbox.h"

#include "filesystem/folderentries.h"
#include "filesystem/volumes.h"
#include "widgets/indentdelegate.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr int pathRole = Qt::UserRole;

// Absolute, without "." or "..", without a separator at the end but at the
// root: worked out on the bytes, which keep any folder name as it is.
QByteArray cleaned(QByteArray path)
{
    if (!path.startsWith('/'))
        path = QFile::encodeName(QDir::currentPath()) + '/' + path;
    QList<QByteArray> parts;
    for (const QByteArray &part : path.split('/')) {
        if (part == "..") {
            if (!parts.isEmpty())
                parts.removeLast();
        } else if (!part.isEmpty() && part != ".") {
            parts.append(part);
        }
    }
    return '/' + parts.join('/');
}
}

DirListBox::DirListBox(QWidget *parent)
    : ListBox(parent)
{
    setItemDelegate(new IndentDelegate(this));
    // Folder icons at the small size a tree would use, whatever sizes the
    // theme's open and closed folders come in.
    const int icon = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    setIconSize(QSize(icon, icon));
    connect(this, &QListWidget::itemDoubleClicked, this, &DirListBox::openItem);
    m_path = cleaned(QFile::encodeName(Volumes::startFolder()));
    fill();
}

QString DirListBox::path() const
{
    return QFile::decodeName(m_path);
}

bool DirListBox::setPath(const QString &text)
{
    const QByteArray volumeFolder = Volumes::folderForDriveText(text);
    return open(volumeFolder.isEmpty() ? QFile::encodeName(QDir::fromNativeSeparators(text)) : volumeFolder);
}

bool DirListBox::open(const QByteArray &folder)
{
    const QByteArray target = cleaned(folder);
    struct stat st;
    const bool found = ::stat(target.constData(), &st) == 0;
    if (!found || !S_ISDIR(st.st_mode) || ::access(target.constData(), R_OK | X_OK) != 0) {
        emit unreadable(QFile::decodeName(target), found ? EACCES : ENOENT);
        return false;
    }
    if (target == m_path)
        return true;
    m_path = target;
    Volumes::remember(m_path);
    fill();
    emit changed();
    return true;
}

void DirListBox::fill()
{
    clear();
    // The chain from the volume's root (the whole root as its first line)
    // down to the open folder.
    const QByteArray root = QFile::encodeName(Volumes::of(m_path).root);
    QList<QByteArray> chain { "/" };
    for (const QByteArray &part : m_path.split('/')) {
        if (part.isEmpty())
            continue;
        chain.append(chain.last() == "/" ? '/' + part : chain.last() + '/' + part);
        if (chain.last() == root)
            chain = { root };
    }

    // The indent shows where a folder stands; a screen reader says it.
    const QIcon opened = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const int openLevel = int(chain.size()) - 1;
    for (int level = 0; level <= openLevel; ++level) {
        const QByteArray &folder = chain.at(level);
        addFolder(folder, QFile::decodeName(level ? folder.mid(folder.lastIndexOf('/') + 1) : folder), level, opened,
                  level < openLevel ? QStringLiteral("üst klasör") : QStringLiteral("açık klasör"));
    }
    QListWidgetItem *current = item(count() - 1);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirIcon);
    const QByteArray inside = m_path == "/" ? m_path : m_path + '/';
    for (const QByteArray &name : FolderEntries(m_path).folders())
        addFolder(inside + name, QFile::decodeName(name), openLevel + 1, closed, QStringLiteral("alt klasör"));
    setCurrentItem(current);
}

void DirListBox::addFolder(const QByteArray &folder, const QString &text, int level, const QIcon &icon,
                           const QString &kind)
{
    auto *entry = new QListWidgetItem(icon, text, this);
    entry->setData(Qt::AccessibleTextRole, QStringLiteral("%1, %2").arg(text, kind));
    entry->setData(pathRole, folder);
    entry->setData(IndentDelegate::levelRole, level);
}

// A folder that cannot be read leaves the list where it was.
void DirListBox::openItem(QListWidgetItem *item)
{
    if (item)
        open(item->data(pathRole).toByteArray());
}

void DirListBox::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem()) {
        openItem(currentItem());
        return;
    }
    ListBox::keyPressEvent(event);
}
