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
    : QListWidget(parent)
{
    setItemDelegate(new IndentDelegate(this));
    // Folder icons at the small size a tree would use, whatever sizes the
    // theme's open and closed folders come in.
    const int icon = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    setIconSize(QSize(icon, icon));
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemDoubleClicked, this, &DirListBox::openItem);
    m_path = QDir::toNativeSeparators(QDir::currentPath());
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

    const QIcon opened = style()->standardIcon(QStyle::SP_DirOpenIcon);
    for (int level = 0; level < chain.size(); ++level) {
        const QString &folder = chain.at(level);
        addFolder(folder, level ? QFileInfo(folder).fileName() : folder, level, opened);
    }
    QListWidgetItem *current = item(count() - 1);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirIcon);
    const QDir open(m_path);
    for (const QString &name : FolderEntries(m_path).folders())
        addFolder(QDir::toNativeSeparators(open.filePath(name)), name, int(chain.size()), closed);
    setCurrentItem(current);
}

void DirListBox::addFolder(const QString &folder, const QString &text, int level, const QIcon &icon)
{
    auto *entry = new QListWidgetItem(icon, text, this);
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
    QListWidget::keyPressEvent(event);
}
