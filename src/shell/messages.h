// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class RuntimeError;

// Every sentence the user reads about a failure: what failed, where, why,
// and what to do about it. The layers below raise structured errors and
// compose no text of their own; each group of errors has its sentences in
// a function of its own.
class Messages
{
public:
    static QString text(const RuntimeError &error);

    // The question a save asks when the list changed on disk since it was
    // read, and its answers: overwrite first, keep the file last.
    static QString listChanged(const QString &name);
    static QStringList listChangedAnswers();
    // The question a save asks when the list's name leads to another file
    // than the one read (a link put in place or changed, the file replaced),
    // naming the file it leads to now; its answers: save there first, keep
    // the file last.
    static QString listMoved(const QString &name, const QString &leadsTo, bool exists);
    static QStringList listMovedAnswers();

    // The one line on standard error when there is no display to open.
    static QByteArray noDisplay(bool refused);
    // What hizli prints for an argument it does not know, before it exits with 2.
    static QByteArray unknownOption(const QByteArray &argument);
    // What hizli --help prints.
    static QByteArray usage();
};
