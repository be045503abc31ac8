// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/dirlistbox.h"

#include "controls/folderentries.h"
#include "controls/indentdelegate.h"
#include "controls/volumes.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>

#include <cerrno>

namespace {
constexpr int pathRole = Qt::UserRole;
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
    m_path = QDir::toNativeSeparators(Volumes::startFolder());
    fill();
}

bool DirListBox::setPath(const QString &text)
{
    const QString volumeFolder = Volumes::folderForDriveText(text);
    return open(volumeFolder.isEmpty() ? text : volumeFolder);
}

bool DirListBox::open(const QString &folder)
{
    const QFileInfo info(QDir::cleanPath(QDir::fromNativeSeparators(folder)));
    const QString target = QDir::toNativeSeparators(info.absoluteFilePath());
    if (!info.isDir() || !info.isReadable() || !info.isExecutable()) {
        emit unreadable(target, info.exists() ? EACCES : ENOENT);
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
    const QString root = Volumes::of(m_path).root;
    QStringList chain;
    for (QDir dir(m_path);; ) {
        chain.prepend(QDir::toNativeSeparators(dir.absolutePath()));
        if (chain.first() == root || dir.isRoot() || !dir.cdUp())
            break;
    }

    // The indent shows where a folder stands; a screen reader says it.
    const QIcon opened = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const int openLevel = int(chain.size()) - 1;
    for (int level = 0; level <= openLevel; ++level) {
        const QString &folder = chain.at(level);
        addFolder(folder, level ? QFileInfo(folder).fileName() : folder, level, opened,
                  level < openLevel ? QStringLiteral("üst klasör") : QStringLiteral("açık klasör"));
    }
    QListWidgetItem *current = item(count() - 1);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirIcon);
    const QDir open(m_path);
    for (const QString &name : FolderEntries(m_path).folders())
        addFolder(QDir::toNativeSeparators(open.filePath(name)), name, openLevel + 1, closed,
                  QStringLiteral("alt klasör"));
    setCurrentItem(current);
}

void DirListBox::addFolder(const QString &folder, const QString &text, int level, const QIcon &icon,
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
        open(item->data(pathRole).toString());
}

void DirListBox::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem()) {
        openItem(currentItem());
        return;
    }
    ListBox::keyPressEvent(event);
}
