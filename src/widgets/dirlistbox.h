// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "widgets/listbox.h"

// The folder list: the chain of folders from the volume's root down to the
// open folder, each indented one step further, then that folder's
// subfolders. A single click only highlights a folder; a double click (or
// Enter) opens it. It is a plain list, so screen readers meet list items
// and no column header.
class DirListBox : public ListBox
{
    Q_OBJECT

public:
    explicit DirListBox(QWidget *parent = nullptr);

    // The open folder, ending in a separator only at a root.
    QString path() const;
    // The same as the file system names it: a folder name that is not UTF-8
    // keeps its bytes here, which a QString cannot.
    QByteArray nativePath() const { return m_path; }
    // Opens a folder, or, given a drive's text as the drive list shows it,
    // that volume's current folder. False, with unreadable() raised and
    // nothing changed, when the folder cannot be read.
    bool setPath(const QString &text);

signals:
    // Path has changed, whether code set it or the user opened a folder.
    void changed();
    // A folder could not be opened: error is ENOENT or EACCES.
    void unreadable(const QString &folder, int error);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool open(const QByteArray &folder);
    void fill();
    void addFolder(const QByteArray &folder, const QString &text, int level, const QIcon &icon, const QString &kind);
    void openItem(QListWidgetItem *item);

    QByteArray m_path;
};
