// 36 single-key writes in a row to a 100 KB settings file, as a script that
// sets the keys one by one does: this engine, and on Windows (and under
// Wine) the system's own profile functions on the same file. Prints the
// median of nine runs of each and their ratio.
//
// The file rests before each run, as a user's file has (its time of last
// change an hour back): the engine then waits for nothing, not even for its
// own writes of a moment before.

#include "engine/inifile.h"
#include "settings/keys.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

const QString kSection = QStringLiteral("GameServerInfo");

QByteArray settingsFile(int bytes)
{
    QByteArray filler;
    for (int section = 0; filler.size() < bytes / 2; ++section) {
        filler += "[Section" + QByteArray::number(section) + "]\r\n";
        for (int key = 0; key < 40; ++key)
            filler += "Key" + QByteArray::number(key) + " = value " + QByteArray::number(section * key) + "\r\n";
    }
    QByteArray section("[GameServerInfo]\r\n");
    for (const settings::Key *key : settings::keys::kAll)
        section += QByteArray(key->name) + " = 0\r\n";
    return filler + section + filler;
}

// Milliseconds the writes took, the file fresh and rested.
double timed(const QString &path, const QByteArray &bytes, const std::function<void(const char *key)> &write)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()
        || !file.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-3600), QFileDevice::FileModificationTime))
        qFatal("cannot make the file");
    file.close();
    QElapsedTimer timer;
    timer.start();
    for (const settings::Key *key : settings::keys::kAll)
        write(key->name);
    return double(timer.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
    const QByteArray bytes = settingsFile(100 << 10);
    std::vector<double> engine;
    std::vector<double> system;
    for (int run = 0; run < 9; ++run) {
        engine.push_back(timed(path, bytes, [&](const char *key) {
            engine::inifile::write(path, kSection, [&](const QByteArray &) {
                return std::vector<engine::inifile::KeyValue>{{QLatin1String(key), QStringLiteral(" 1")}};
            });
        }));
#ifdef Q_OS_WIN
        const std::wstring file = QDir::toNativeSeparators(path).toStdWString();
        system.push_back(timed(path, bytes, [&](const char *key) {
            WritePrivateProfileStringW(L"GameServerInfo", QString::fromLatin1(key).toStdWString().c_str(), L" 1",
                                       file.c_str());
        }));
#endif
    }
    std::printf("36 single-key writes to a 100 KB file: this engine %.1f ms", median(engine));
    if (!system.empty())
        std::printf(", the system's profile functions %.1f ms, ratio %.2f", median(system), median(engine) / median(system));
    std::printf(" (medians of 9 runs)\n");
    return 0;
}
