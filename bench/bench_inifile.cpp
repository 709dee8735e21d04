// What the settings file costs a user, beside what the disk itself costs, on
// generated files of 10 KB, 1 MB and 10 MB whose "GameServerInfo" section sits
// in the middle:
// - the two floors: reading the file once; replacing it once with QSaveFile
//   and flushing its folder, which a durable replacement needs;
// - one key read, and one key written (ReadIni, WriteIni);
// - each editor window's load, and its save with every box changed.
// Each figure runs in turn with its floor, so both meet the same machine; the
// table at the end gives every figure as a multiple of its floor (medians of
// five runs), since absolute times vary several-fold between machines.
// A save waits for a file that changed within the last second to settle
// (another program may still be writing it); a user's file has rested long
// before a save, and so does the benchmark's: its time of last change is set
// an hour back, untimed, before each write.

#include "settings/keys.h"
#include "settings/settingsfile.h"
#include "ui/editors/settingseditor.h"
#include "ui/main/mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>

namespace {

constexpr double kTarget = 1.5; // at most this many times the floor
const int kSizes[] = {10 << 10, 1 << 20, 10 << 20};

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

// Every catalogue key holds 0, which no round of writes below gives it, so
// every write really changes the file.
QByteArray settingsFile(qint64 bytes)
{
    QByteArray section("[GameServerInfo]\r\n");
    for (const settings::Key *key : settings::keys::kAll)
        section += QByteArray(key->name) + " = 0\r\n";
    return fillerSections(bytes / 2, 0) + section + fillerSections(bytes / 2, 100000);
}

// A generated settings file in a temporary folder, for one benchmark.
struct SettingsFile
{
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
    QByteArray bytes;

    explicit SettingsFile(qint64 size)
        : bytes(settingsFile(size))
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write the generated file");
    }
};

using Clock = std::chrono::steady_clock;
using Action = std::function<void()>;

// Runs the figure and its floor in turn, iteration by iteration, so that both
// meet the same machine: the figure's time is the benchmark's time, the
// floor's time and the ratio of the two are its counters. `prepare` runs
// untimed before each pair, `rest` untimed before each of the two, so that
// both start from the same state.
void paired(benchmark::State &state, const Action &floor, const Action &figure, const Action &prepare = {},
            const Action &rest = {})
{
    std::chrono::duration<double> floorTime{0};
    std::chrono::duration<double> figureTime{0};
    for (auto _ : state) {
        if (prepare)
            prepare();
        if (rest)
            rest();
        const auto figureStart = Clock::now();
        figure();
        const auto figureEnd = Clock::now();
        if (rest)
            rest();
        const auto floorStart = Clock::now();
        floor();
        const auto floorEnd = Clock::now();
        figureTime += figureEnd - figureStart;
        floorTime += floorEnd - floorStart;
        state.SetIterationTime(std::chrono::duration<double>(figureEnd - figureStart).count());
    }
    state.counters["floor_ms"] = benchmark::Counter(floorTime.count() * 1000, benchmark::Counter::kAvgIterations);
    state.counters["ratio"] = figureTime.count() / floorTime.count();
}

// The floors: reading the file once, and replacing it once with QSaveFile,
// its folder flushed after the rename.
Action readFloor(const QString &path)
{
    return [path] {
        QFile in(path);
        if (!in.open(QIODevice::ReadOnly))
            qFatal("cannot read");
        benchmark::DoNotOptimize(in.readAll());
    };
}

Action replaceFloor(const QString &path, const QByteArray &bytes)
{
    return [path, bytes] {
        QSaveFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
            qFatal("cannot replace");
        const int folder = ::open(QFile::encodeName(QFileInfo(path).path()).constData(), O_RDONLY | O_DIRECTORY);
        if (folder < 0 || ::fsync(folder) != 0)
            qFatal("cannot flush the folder");
        ::close(folder);
    };
}

void readOneKey(benchmark::State &state)
{
    const SettingsFile file(state.range(0));
    paired(state, readFloor(file.path), [&file] {
        benchmark::DoNotOptimize(
            settings::SettingsFile(file.path).read({&settings::keys::CastleStateStartMinute}).values);
    });
}

// The rest a file has had before a user saves it.
Action restOf(const QString &path)
{
    return [path] {
        QFile file(path);
        if (!file.open(QIODevice::ReadWrite)
            || !file.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-3600), QFileDevice::FileModificationTime))
            qFatal("cannot rest the file");
    };
}

void writeOneKey(benchmark::State &state)
{
    const SettingsFile file(state.range(0));
    int round = 0;
    paired(
        state, replaceFloor(file.path, file.bytes),
        [&] {
            settings::SettingsFile(file.path).write({{QStringLiteral("CastleStateStartMinute"), QString::number(++round)}});
        },
        {}, restOf(file.path));
}

// An editor window on the file, with its load and save as a user presses them.
enum class Which { Main, OtherSettings, CastleSiege };

struct Window
{
    std::unique_ptr<QWidget> form;
    std::function<void()> load;
    std::function<void()> save;
};

template <typename T>
T *child(const QObject *form, const char *name)
{
    T *found = form->findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

Window openWindow(Which which, const QString &path)
{
    if (which == Which::Main) {
        auto *main = new ui::MainWindow;
        child<QLineEdit>(main, "settingsPath")->setText(path);
        return {std::unique_ptr<QWidget>(main), [main] { child<QAction>(main, "openAction")->trigger(); },
                [main] { child<QAction>(main, "saveAction")->trigger(); }};
    }
    const auto pathSource = [path] { return path; };
    QWidget *editor = which == Which::OtherSettings ? ui::SettingsEditor::otherSettings(pathSource, nullptr)
                                                    : ui::SettingsEditor::castleSiege(pathSource, nullptr);
    return {std::unique_ptr<QWidget>(editor), [editor] { child<QPushButton>(editor, "openButton")->click(); },
            [editor] { child<QPushButton>(editor, "saveButton")->click(); }};
}

// Gives every field of the window a value it did not have.
void changeEverything(QWidget *form, int round)
{
    for (QLineEdit *box : form->findChildren<QLineEdit *>()) {
        if (box->objectName() != QLatin1String("settingsPath"))
            box->setText(QString::number(round));
    }
    for (QCheckBox *check : form->findChildren<QCheckBox *>())
        check->setChecked(round % 2 == 1);
}

void windowLoad(benchmark::State &state, Which which)
{
    const SettingsFile file(state.range(0));
    const Window window = openWindow(which, file.path);
    paired(state, readFloor(file.path), window.load);
}

// Each round gives every box a new value, so the save writes every key.
void windowSave(benchmark::State &state, Which which)
{
    const SettingsFile file(state.range(0));
    const Window window = openWindow(which, file.path);
    window.load();
    int round = 0;
    paired(
        state, replaceFloor(file.path, file.bytes), window.save, [&] { changeEverything(window.form.get(), ++round); },
        restOf(file.path));
}

// Keeps the median figures of every benchmark beside printing the usual table.
class MedianKeeper : public benchmark::ConsoleReporter
{
public:
    struct Median
    {
        double milliseconds;
        double floorMilliseconds;
        double ratio;
    };
    std::map<std::string, Median> medians; // by name/size

    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median")
                continue;
            medians[run.run_name.function_name + '/' + run.run_name.args] = {
                run.GetAdjustedRealTime(), run.counters.at("floor_ms"), run.counters.at("ratio")};
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

const char *const kFigures[] = {"read one key",      "load main window", "load Outras Edicoes",
                                "load Castle Siege", "write one key",    "save main window",
                                "save Outras Edicoes", "save Castle Siege"};

// Prints every figure beside its floor; false when one is over the target.
bool printRatios(const std::map<std::string, MedianKeeper::Median> &medians)
{
    bool allWithin = true;
    std::printf("\n%-22s %10s %12s %12s %8s\n", "figure", "size", "time (ms)", "floor (ms)", "ratio");
    for (const int size : kSizes) {
        for (const char *figure : kFigures) {
            const auto found = medians.find(std::string(figure) + '/' + std::to_string(size));
            if (found == medians.end())
                continue; // filtered out
            const MedianKeeper::Median &median = found->second;
            const bool within = median.ratio <= kTarget;
            allWithin = allWithin && within;
            std::printf("%-22s %10d %12.3f %12.3f %7.2fx%s\n", figure, size, median.milliseconds,
                        median.floorMilliseconds, median.ratio, within ? "" : "  over the target");
        }
    }
    std::printf("floors: reading the file once (loads, reads); replacing it once with QSaveFile and flushing "
                "its folder (saves, writes)\ntarget: at most %.1fx the floor, medians of 5 runs\n",
                kTarget);
    return allWithin;
}

void registerAll()
{
    const auto add = [](const char *name, auto function, bool writes = false) {
        auto *bench = benchmark::RegisterBenchmark(name, function);
        for (const int size : kSizes)
            bench->Arg(size);
        bench->Unit(benchmark::kMillisecond)->UseManualTime()->Repetitions(5)->ReportAggregatesOnly(true);
        if (writes)
            bench->Iterations(30); // each rests untimed first
        else
            bench->MinTime(0.2);
    };
    add("read one key", readOneKey);
    add("write one key", writeOneKey, true);
    const std::pair<Which, const char *> windows[] = {
        {Which::Main, "main window"},
        {Which::OtherSettings, "Outras Edicoes"},
        {Which::CastleSiege, "Castle Siege"},
    };
    for (const auto &[which, title] : windows) {
        const Which window = which;
        add((std::string("load ") + title).c_str(), [window](benchmark::State &state) { windowLoad(state, window); });
        add((std::string("save ") + title).c_str(), [window](benchmark::State &state) { windowSave(state, window); }, true);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    registerAll();
    MedianKeeper keeper;
    benchmark::RunSpecifiedBenchmarks(&keeper);
    benchmark::Shutdown();
    return printRatios(keeper.medians) ? 0 : 1;
}
