// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "widgets/listbox.h"

// The file list: the files of one folder whose names match a pattern,
// sorted by name without regard to case. A pattern such as "*.EXE" matches
// without regard to case, since lists written elsewhere name programs in
// capitals: "*" stands for any run of characters and "?" for any one. The
// program pattern "*.EXE" also lists the files the user may execute, since
// programs here carry no extension.
//
// The folder is read once for each change of folder or pattern; a new list
// reads it when it is first shown, unless a change came first.
class FileListBox : public ListBox
{
    Q_OBJECT

public:
    explicit FileListBox(QWidget *parent = nullptr);

    QString path() const;
    void setPath(const QString &folder);
    // The folder as the file system names it, whatever its bytes.
    void setPath(const QByteArray &folder);
    QString pattern() const { return m_pattern; }
    // One or more patterns separated by semicolons.
    void setPattern(const QString &pattern);
    // The selected file's name without its folder; empty while none is
    // selected, however the selection was made.
    QString fileName() const;

signals:
    // A file was double-clicked, or Enter pressed on the selected one.
    void chosen();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void fill();

    QByteArray m_path;
    QString m_pattern = QStringLiteral("*.*");
    bool m_filled = false;
};
