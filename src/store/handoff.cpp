// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/handoff.h"

#include "errors/runtimeerror.h"
#include "files/numberedfile.h"
#include "text/handoffrecord.h"
#include "text/recordwriter.h"

#include <QFile>

#include <sys/stat.h>

QString HandOff::fileName()
{
    return QStringLiteral("sil.txt");
}

namespace {

struct Asked
{
    ListRow row;
    FileTable::Identity file;
};

Asked &asked()
{
    static Asked last;
    return last;
}

// Whether the file open is the one this launcher made, with no other name
// through which anything else could reach it.
bool ours(const NumberedFile &file)
{
    const FileTable::Identity open = file.identity();
    return open == asked().file && open.links == 1;
}

[[noreturn]] void refuse()
{
    throw RuntimeError(RuntimeError::HandOff { HandOff::fileName(), asked().row });
}

}

void HandOff::ask(ListRow row)
{
    // A browse that fails leaves no row waiting.
    asked() = {};
    NumberedFile file(fileNumber, fileName(), FileTable::Mode::Output, FileTable::Links::Refuse);
    file.writeRecord(HandOffRecord::targetLine(row));
    asked() = { row, file.close() };
}

HandOff::Choice HandOff::choose(const QString &name, const QString &path)
{
    for (const QString &field : { name, path }) {
        const QString bad = RecordWriter::unstorableCharacter(field);
        if (!bad.isEmpty())
            throw RuntimeError(
                    RuntimeError::File { .kind = RuntimeError::ChoiceNotStorable, .name = path, .character = bad });
    }
    // Appending would make a file where none is: a missing one is not ours.
    struct stat st;
    if (!asked().row.number || ::lstat(QFile::encodeName(fileName()).constData(), &st) != 0
        || FileTable::Identity { quint64(st.st_dev), quint64(st.st_ino) } != asked().file)
        refuse();
    {
        NumberedFile file(fileNumber, fileName(), FileTable::Mode::Append, FileTable::Links::Refuse);
        if (!ours(file))
            refuse();
        file.writeRecord(HandOffRecord::selection(name, path));
        file.close();
    }
    Choice choice;
    NumberedFile file(fileNumber, fileName(), FileTable::Mode::Input, FileTable::Links::Refuse);
    if (!ours(file))
        refuse();
    choice.row = HandOffRecord::rowOfTarget(file.readField());
    choice.entry.caption = file.readField();
    choice.entry.path = file.readField();
    file.close();
    if (choice.row != asked().row)
        refuse();
    return choice;
}
