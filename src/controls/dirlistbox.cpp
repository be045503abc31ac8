// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/dirlistbox.h"

#include "controls/volumes.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>

#include <cerrno>

namespace {
constexpr int pathRole = Qt::UserRole;
}

DirListBox::DirListBox(QWidget *parent)
    : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setUniformRowHeights(true);
    // Every level is always open: there is nothing to fold, so no arrows.
    setStyleSheet(QStringLiteral("QTreeView::branch { image: none; border-image: none; }"));
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QTreeWidget::itemDoubleClicked, this, &DirListBox::openItem);
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

    const QIcon closed = style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon opened = style()->standardIcon(QStyle::SP_DirOpenIcon);
    QTreeWidgetItem *parent = nullptr;
    for (const QString &folder : chain) {
        auto *item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
        item->setText(0, parent ? QFileInfo(folder).fileName() : folder);
        item->setData(0, pathRole, folder);
        item->setIcon(0, opened);
        parent = item;
    }
    const QDir open(m_path);
    for (const QString &name : open.entryList(QDir::Dirs | QDir::NoDotAndDotDot,
                                              QDir::Name | QDir::IgnoreCase)) {
        auto *item = new QTreeWidgetItem(parent);
        item->setText(0, name);
        item->setData(0, pathRole, QDir::toNativeSeparators(open.filePath(name)));
        item->setIcon(0, closed);
    }
    for (QTreeWidgetItem *level = parent; level; level = level->parent())
        level->setExpanded(true);
    setCurrentItem(parent);
}

// A folder that cannot be read leaves the list where it was.
void DirListBox::openItem(QTreeWidgetItem *item)
{
    if (item)
        open(item->data(0, pathRole).toString());
}

void DirListBox::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem()) {
        openItem(currentItem());
        return;
    }
    QTreeWidget::keyPressEvent(event);
}
