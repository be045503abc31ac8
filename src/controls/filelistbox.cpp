// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/filelistbox.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

FileListBox::FileListBox(QWidget *parent)
    : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemDoubleClicked, this, [this] { emit doubleClicked(); });
    m_path = QDir::toNativeSeparators(QDir::currentPath());
    fill();
}

void FileListBox::setPath(const QString &folder)
{
    m_path = QDir::toNativeSeparators(folder);
    fill();
}

void FileListBox::setPattern(const QString &pattern)
{
    m_pattern = pattern;
    fill();
}

QString FileListBox::fileName() const
{
    const QList<QListWidgetItem *> selected = selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

bool FileListBox::listed(const QFileInfo &info) const
{
    bool programs = false;
    for (const QString &glob : m_pattern.split(u';', Qt::SkipEmptyParts)) {
        const QString trimmed = glob.trimmed();
        if (trimmed.compare(QLatin1String("*.EXE"), Qt::CaseInsensitive) == 0)
            programs = true;
        // "*.*" is every file, as on the platform the lists come from.
        const QString wildcard = trimmed == QLatin1String("*.*") ? QStringLiteral("*") : trimmed;
        const QRegularExpression expression(QRegularExpression::wildcardToRegularExpression(wildcard),
                                            QRegularExpression::CaseInsensitiveOption);
        if (expression.match(info.fileName()).hasMatch())
            return true;
    }
    return programs && info.isExecutable();
}

void FileListBox::fill()
{
    clear();
    const QDir dir(QDir::fromNativeSeparators(m_path));
    const QFileInfoList entries = dir.entryInfoList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo &info : entries) {
        if (listed(info))
            addItem(info.fileName());
    }
}
