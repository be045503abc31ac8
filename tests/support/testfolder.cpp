#include "testfolder.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTest>

TestFolder::TestFolder()
    : m_previous(QDir::currentPath())
{
    QVERIFY(m_dir.isValid());
    QDir::setCurrent(m_dir.path());
}

TestFolder::~TestFolder()
{
    QDir::setCurrent(m_previous);
}

void TestFolder::write(const QString &name, const QByteArray &bytes) const
{
    QDir().mkpath(QFileInfo(filePath(name)).path());
    QFile file(filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QString TestFolder::writeProgram(const QString &name, const QByteArray &script) const
{
    write(name, script);
    QFile file(filePath(name));
    file.setPermissions(file.permissions() | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
    return filePath(name);
}

QByteArray TestFolder::read(const QString &name) const
{
    QFile file(filePath(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool TestFolder::exists(const QString &name) const
{
    return QFileInfo::exists(filePath(name));
}

QByteArray TestFolder::list(const QStringList &fields)
{
    QStringEncoder encoder("windows-1254");
    QByteArray bytes;
    for (qsizetype i = 0; i + 1 < fields.size(); i += 2)
        bytes += "\"" + encoder(fields.at(i)) + "\",\"" + encoder(fields.at(i + 1)) + "\"\r\n";
    return bytes;
}

QByteArray TestFolder::sampleList()
{
    QStringList fields;
    for (int k = 1; k <= 9; ++k)
        fields << QStringLiteral("Başlık %1").arg(k) << QStringLiteral("/yol/%1").arg(k);
    return list(fields);
}
