// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/handoff.h"

#include "runtime/filetable.h"
#include "runtime/runtimeerror.h"
#include "text/handoffrecord.h"
#include "text/recordwriter.h"

QString HandOff::fileName()
{
    return QStringLiteral("sil.txt");
}

void HandOff::ask(int row)
{
    try {
        FileTable::open(fileNumber, fileName(), FileTable::Mode::Output, FileTable::Links::Refuse);
        FileTable::writeRecord(fileNumber, HandOffRecord::targetLine(row));
        FileTable::close(fileNumber);
    } catch (const RuntimeError &) {
        FileTable::discard(fileNumber);
        throw;
    }
}

HandOff::Choice HandOff::choose(const QString &name, const QString &path)
{
    for (const QString &field : {name, path}) {
        const QString bad = RecordWriter::unstorableCharacter(field);
        if (!bad.isEmpty())
            throw RuntimeError(RuntimeError::Kind::ChoiceNotStorable, path).withCharacter(bad);
    }
    Choice choice;
    try {
        FileTable::open(fileNumber, fileName(), FileTable::Mode::Append, FileTable::Links::Refuse);
        FileTable::writeRecord(fileNumber, HandOffRecord::selection(name, path));
        FileTable::close(fileNumber);

        FileTable::open(fileNumber, fileName(), FileTable::Mode::Input, FileTable::Links::Refuse);
        choice.row = HandOffRecord::rowOfTarget(FileTable::readField(fileNumber));
        choice.name = FileTable::readField(fileNumber);
        choice.path = FileTable::readField(fileNumber);
        FileTable::close(fileNumber);
    } catch (const RuntimeError &) {
        FileTable::discard(fileNumber);
        throw;
    }
    return choice;
}
