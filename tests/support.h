#pragma once

// Small helpers shared by the tests: file bytes and fixtures.

#include "engine/failure.h"
#include "onekey.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QString>
#include <QTest>

#include <vector>

inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

// Makes a file look as if it was last written an hour ago: a save then does
// not wait for another program that may still be writing it.
inline void rest(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite)
            && file.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-3600), QFileDevice::FileModificationTime));
}

// Writes a settings file that has rested since.
inline void putFile(const QString &path, const QByteArray &bytes)
{
    {
        QFile file(path);
        QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
        QCOMPARE(file.write(bytes), bytes.size());
    }
    rest(path);
}

// The journals of rewrites in place in a folder (".cse-<hash>.j" beside a
// file, "<device>-<inode>.j" elsewhere, either with a suffix).
inline QStringList journalsIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden).filter(QRegularExpression(QStringLiteral("\\.j(-|$)")));
}

// Where a journal of the file lies beside it; a save's temporaries have the
// same name up to the ".j".
inline QString besideJournal(const QString &path)
{
    return QFileInfo(path).dir().filePath(
        QStringLiteral(".cse-%1.j")
            .arg(QString::fromLatin1(QCryptographicHash::hash(QFileInfo(path).fileName().toUtf8(), QCryptographicHash::Sha256)
                                         .toHex()
                                         .left(8))));
}

// A save's temporary beside the file: the journal's name, `suffix` in place of its ".j".
inline QString besideTemporary(const QString &path, const QString &suffix)
{
    QString name = besideJournal(path);
    name.chop(2);
    return name + suffix;
}

// Those of the user's state folder, where the tests keep it.
inline QStringList journalsInStateFolder()
{
    return journalsIn(qEnvironmentVariable("XDG_STATE_HOME") + QStringLiteral("/commonserver-editor"));
}

inline QString fixture(const char *name)
{
    return QStringLiteral(TEST_DATA_DIR "/") + QLatin1String(name);
}

// UTF-16LE bytes with their mark, for Unicode settings files.
inline QByteArray utf16File(const QString &text)
{
    QByteArray bytes("\xFF\xFE", 2);
    for (const QChar ch : text) {
        bytes.append(char(ch.unicode() & 0xFF));
        bytes.append(char(ch.unicode() >> 8));
    }
    return bytes;
}
