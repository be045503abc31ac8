// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "errors/runtimeerror.h"

#include <QObject>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <optional>

#include <unistd.h>

// Every case runs in a fresh temporary working folder, where the program keeps its lists, with the message box and the
// end of the process replaced by records of what they were asked to do.
class Fixture : public QObject
{
    Q_OBJECT

protected:
    QStringList prompts;
    QStringList titles;
    int endStatus = -1;
    // The button the next box is closed with, or the key.
    int answer = 0;
    static constexpr int pressEnter = -1;
    static constexpr int pressEscape = -2;

    QString path(const QString &name) const { return m_dir->filePath(name); }
    void write(const QString &name, const QByteArray &bytes) const;
    QByteArray read(const QString &name) const;
    // A program that records how it was started in "started.txt".
    QString writeProgram(const QString &name) const;
    // What the last program of writeProgram's was given, its name and arguments joined by "|"; waits for it to run.
    QString started() const;
    // Records in the stored form (Windows-1254): the fields given, then "cK","pK" up to record number records.
    static QByteArray list(QStringList fields = {}, int records = 9);
    static bool privileged() { return geteuid() == 0; }

private slots:
    void init();
    void cleanup();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_previous;
};

#define SKIP_IF_PRIVILEGED()                                                                                           \
    if (privileged())                                                                                                  \
    QSKIP("root reads and writes regardless of permissions; run as an unprivileged user")

// The error an operation raised; none when it ran to its end.
template <typename F>
std::optional<RuntimeError> raised(F &&operation)
{
    try {
        operation();
    } catch (const RuntimeError &error) {
        return error;
    }
    return std::nullopt;
}
