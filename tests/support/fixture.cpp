// SPDX-License-Identifier: GPL-3.0-or-later
#include "fixture.h"

#include "shell/runtime.h"
#include "text/windows1254.h"

#include <QDir>
#include <QFile>
#include <QTest>

void Fixture::init()
{
    m_previous = QDir::currentPath();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    // Copies kept during a save go here, not into the user's cache.
    qputenv("XDG_CACHE_HOME", path("cache").toUtf8());
    // Launchers meet, and saves take turns, in a runtime folder of the case's own.
    QVERIFY(QDir().mkdir("run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    qputenv("XDG_RUNTIME_DIR", path("run").toUtf8());
    prompts.clear();
    titles.clear();
    endStatus = -1;
    answer = 0;
    Runtime::setMessageBoxHook(
            [this](const QString &prompt, const QString &title, const QStringList &, int enter, int escape) {
                prompts << prompt;
                titles << title;
                return answer == pressEnter ? enter : answer == pressEscape ? escape : answer;
            });
    Runtime::setEndHook([this](int status) { endStatus = status; });
}

void Fixture::cleanup()
{
    Runtime::reset();
    QDir::setCurrent(m_previous);
    // Folders a case made unreadable must still be removable.
    QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_dir.reset();
}

void Fixture::write(const QString &name, const QByteArray &bytes) const
{
    QFile file(path(name));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray Fixture::read(const QString &name) const
{
    QFile file(path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

QString Fixture::writeProgram(const QString &name) const
{
    const QByteArray out = path("started").toUtf8(); // written whole, then named: never read half-written
    write(name,
          "#!/bin/sh\nprintf '%s|' \"$0\" \"$@\" > \"" + out + ".part\"\nmv \"" + out + ".part\" \"" + out
                  + ".txt\"\n");
    QFile::setPermissions(path(name), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path(name);
}

QString Fixture::started() const
{
    for (int waited = 0; waited < 5000 && !QFile::exists(path("started.txt")); waited += 20)
        QTest::qWait(20);
    return QString::fromUtf8(read("started.txt"));
}

QByteArray Fixture::list(QStringList fields, int records)
{
    for (int k = int(fields.size()) / 2 + 1; k <= records; ++k)
        fields << QStringLiteral("c%1").arg(k) << QStringLiteral("p%1").arg(k);
    QString text;
    for (qsizetype i = 0; i + 1 < fields.size(); i += 2)
        text += "\"" + fields.at(i) + "\",\"" + fields.at(i + 1) + "\"\r\n";
    QByteArray bytes;
    Windows1254::encode(text, &bytes);
    return bytes;
}
