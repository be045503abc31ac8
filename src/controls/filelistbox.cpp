// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/filelistbox.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
            // "*.*" is every file, as on the platform the lists come from.
            m_globs.append(trimmed == QLatin1String("*.*") ? QStringLiteral("*")
                                                           : trimmed.toCaseFolded());
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

// Files only, as the platform's file lists show them: a link counts as what
// it leads to, and the directory entry's type spares a stat where it is known.
bool isFile(int folder, const dirent &entry)
{
    if (entry.d_type == DT_REG)
        return true;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
        return false;
    struct stat status;
    return fstatat(folder, entry.d_name, &status, 0) == 0 && S_ISREG(status.st_mode);
}

struct Listed
{
    QString key;
    QString name;
};
}

FileListBox::FileListBox(QWidget *parent)
    : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemDoubleClicked, this, [this] { emit doubleClicked(); });
    m_path = QDir::toNativeSeparators(QDir::currentPath());
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

void FileListBox::showEvent(QShowEvent *event)
{
    if (!m_filled)
        fill();
    QListWidget::showEvent(event);
}

// A name that matches needs no look at the file beyond its entry's type; one
// that does not is looked at only when programs are listed.
void FileListBox::fill()
{
    m_filled = true;
    clear();
    const NamePattern pattern(m_pattern);
    std::vector<Listed> listed;
    DIR *folder = opendir(QFile::encodeName(QDir::fromNativeSeparators(m_path)).constData());
    if (!folder)
        return;
    while (const dirent *entry = readdir(folder)) {
        // Hidden files stay hidden; this also passes over "." and "..".
        if (entry->d_name[0] == '.')
            continue;
        const QString name = QFile::decodeName(entry->d_name);
        const bool matches = pattern.matches(name);
        if ((!matches && !pattern.listsPrograms()) || !isFile(dirfd(folder), *entry))
            continue;
        if (!matches && faccessat(dirfd(folder), entry->d_name, X_OK, 0) != 0)
            continue;
        listed.push_back({name.toLower(), name});
    }
    closedir(folder);

    std::sort(listed.begin(), listed.end(), [](const Listed &a, const Listed &b) {
        const int byKey = a.key.compare(b.key);
        return byKey != 0 ? byKey < 0 : a.name < b.name;
    });
    QStringList names;
    names.reserve(qsizetype(listed.size()));
    for (Listed &file : listed)
        names.append(std::move(file.name));
    addItems(names);
}
