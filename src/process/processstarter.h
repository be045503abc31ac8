// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// Starts a stored command line. Lists cannot hold a quotation mark, so a
// program whose path has blanks stands there unquoted: the program is the
// longest run of leading words (separated by blanks and tabs) that names an
// executable file, the words after it are its arguments. A run without a
// slash is looked up on PATH only; one with a slash is a path, relative to
// the working folder. A line that does hold quotation marks (only a hand
// edit puts them there) is split with the quotation marks grouping words.
class ProcessStarter
{
public:
    struct Command
    {
        QString program; // absolute path of the executable; empty if none found
        QStringList arguments;
        // A longer run of words that leads into a folder that exists but
        // names no program there: the program the line means is missing,
        // and a shorter run that happens to name a file is not started.
        QString missing;
    };

    static Command resolve(const QString &commandLine);

    // Starts the program in a session of its own, in the start folder and
    // with the environment the launcher was given, where its startup
    // notification takes the place of the launcher's own; it lives on when
    // the launcher ends. Raises a RuntimeError naming the command line when
    // it cannot be started.
    static void start(const QString &commandLine);

    // Where programs start: the working folder unless set. The command line
    // itself is still read against the working folder.
    static void setStartFolder(const QString &folder);

private:
    static QString executable(const QByteArray &candidate);
    static bool spawn(const Command &command, std::vector<QByteArray> environment);
    static QByteArray &startFolder();
};
