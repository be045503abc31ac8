#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A temporary working folder for one test case: the program reads and writes
// its lists in the working folder, so each case gets a fresh one and the
// user's own files are never touched.
class TestFolder
{
public:
    TestFolder();
    ~TestFolder();

    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

    // Writes a file below the folder, creating the folders on its way.
    void write(const QString &name, const QByteArray &bytes) const;
    // The same, with the execute bit; returns the file's full path.
    QString writeProgram(const QString &name, const QByteArray &script = "#!/bin/sh\n") const;
    QByteArray read(const QString &name) const;
    bool exists(const QString &name) const;

    // A list of nine records in the exact stored form, captions and paths
    // given as Unicode text and stored in the code page.
    static QByteArray list(const QStringList &fields);
    // Nine records "Başlık k","/yol/k" for k = 1 to 9.
    static QByteArray sampleList();

private:
    QTemporaryDir m_dir;
    QString m_previous;
};
