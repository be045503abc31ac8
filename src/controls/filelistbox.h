// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QListWidget>

// The file list: the files of one folder whose names match a pattern,
// sorted by name. The pattern matches without regard to case; the program
// pattern "*.EXE" also lists the files the user may execute, since programs
// here carry no extension.
class FileListBox : public QListWidget
{
    Q_OBJECT

public:
    explicit FileListBox(QWidget *parent = nullptr);

    QString path() const { return m_path; }
    void setPath(const QString &folder);
    QString pattern() const { return m_pattern; }
    // One or more patterns separated by semicolons.
    void setPattern(const QString &pattern);
    // The selected file's name without its folder; empty while none is
    // selected, however the selection was made.
    QString fileName() const;

signals:
    void doubleClicked();

private:
    void fill();
    bool listed(const class QFileInfo &info) const;

    QString m_path;
    QString m_pattern = QStringLiteral("*.*");
};
