// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/filelistbox.h"

#include "filesystem/folderentries.h"
#include "filesystem/volumes.h"

#include <QDir>
#include <QFile>
#include <QKeyEvent>

#include <algorithm>

namespace {
// "*" is any run of characters, "?" any one; every other character stands
// for itself without regard to case. The glob comes case-folded.
bool globMatches(QStringView glob, QStringView name)
{
    qsizetype g = 0;
    qsizetype n = 0;
    qsizetype star = -1;
    qsizetype resume = 0;
    while (n < name.size()) {
        if (g < glob.size() && glob[g] == u'*') {
            star = g++;
            resume = n;
        } else if (g < glob.size() && (glob[g] == u'?' || glob[g] == name[n].toCaseFolded())) {
            ++g;
            ++n;
        } else if (star >= 0) {
            // Let the last "*" take one character more and try again from there.
            g = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (g < glob.size() && glob[g] == u'*')
        ++g;
    return g == glob.size();
}

class NamePattern
{
public:
    explicit NamePattern(const QString &pattern)
    {
        for (const QString &glob : pattern.split(u';', Qt::SkipEmptyParts)) {
            const QString trimmed = glob.trimmed();
            if (trimmed.compare(QLatin1String("*.EXE"), Qt::CaseInsensitive) == 0)
                m_programs = true;
            // "*.*" is every file, those without an extension among them.
            m_globs.append(trimmed == QLatin1String("*.*") ? QStringLiteral("*") : trimmed.toCaseFolded());
        }
    }

    bool matches(const QString &name) const
    {
        return std::any_of(m_globs.cbegin(), m_globs.cend(),
                           [&name](const QString &glob) { return globMatches(glob, name); });
    }
    // Files the user may execute are listed whatever their names.
    bool listsPrograms() const { return m_programs; }

private:
    QStringList m_globs;
    bool m_programs = false;
};
}

FileListBox::FileListBox(QWidget *parent)
    : ListBox(parent)
{
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemDoubleClicked, this, [this] { emit chosen(); });
    m_path = QFile::encodeName(Volumes::startFolder());
}

QString FileListBox::path() const
{
    return QFile::decodeName(m_path);
}

void FileListBox::setPath(const QString &folder)
{
    setPath(QFile::encodeName(QDir::fromNativeSeparators(folder)));
}

void FileListBox::setPath(const QByteArray &folder)
{
    m_path = folder;
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

void FileListBox::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !fileName().isEmpty()) {
        emit chosen();
        return;
    }
    ListBox::keyPressEvent(event);
}

void FileListBox::showEvent(QShowEvent *event)
{
    if (!m_filled)
        fill();
    ListBox::showEvent(event);
}

// A name that matches needs no look at the file beyond its entry's type; one
// that does not is looked at only when programs are listed.
void FileListBox::fill()
{
    m_filled = true;
    clear();
    const NamePattern pattern(m_pattern);
    const FolderEntries entries(m_path);
    QStringList names;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        QString name = QFile::decodeName(entries.name(i));
        const bool matches = pattern.matches(name);
        if ((!matches && !pattern.listsPrograms()) || !entries.isFile(i) || (!matches && !entries.isExecutable(i)))
            continue;
        names.append(std::move(name));
    }
    FolderEntries::sortByName(names);
    addItems(names);
}
