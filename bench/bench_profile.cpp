// Times what a user's full round of loads and saves costs: 36 reads and 36
// writes of the catalogue keys on settings files of 100 KB, 1 MB and 10 MB
// whose "GameServerInfo" section sits in the middle.

#include "catalogue.h"
#include "module1.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QByteArray fillerSections(qint64 bytes, int firstSection)
{
    QByteArray text;
    for (int section = firstSection; text.size() < bytes; ++section) {
        text += "[Section" + QByteArray::number(section) + "]\r\n";
        for (int key = 0; key < 40 && text.size() < bytes; ++key)
            text += "Key" + QByteArray::number(key) + " = value " + QByteArray::number(section * key) + "\r\n";
        text += "; end of section\r\n\r\n";
    }
    return text;
}

QByteArray settingsFile(qint64 bytes)
{
    QByteArray section("[GameServerInfo]\r\n");
    for (const catalogue::Entry &entry : catalogue::entries())
        section += QByteArray(entry.key) + " = 1\r\n";
    return fillerSections(bytes / 2, 0) + section + fillerSections(bytes / 2, 100000);
}

void readAndWriteEveryKey(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(settingsFile(state.range(0))) < 0) {
            state.SkipWithError("cannot write the generated file");
            return;
        }
    }
    int round = 0;
    for (auto _ : state) {
        // A new value every round, so every write really rewrites the file.
        const QString value = QString::number(++round);
        for (const catalogue::Entry &entry : catalogue::entries()) {
            benchmark::DoNotOptimize(
                Module1::ReadIni(catalogue::kSection, QLatin1String(entry.key), QString(), path));
        }
        for (const catalogue::Entry &entry : catalogue::entries())
            Module1::WriteIni(QLatin1String(entry.key), value, path);
    }
    state.SetLabel(QStringLiteral("%1 bytes, 72 calls").arg(QFile(path).size()).toStdString());
}

} // namespace

BENCHMARK(readAndWriteEveryKey)->Arg(100 << 10)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
