// Random settings files and random sequences of reads and writes, checked
// against the engine's promises after every write:
// - reading the key gives the value written, blanks around it removed;
// - every line but the one changed or inserted is byte-identical (so no other
//   section changed);
// - writing the value a key already holds changes nothing;
// - reads agree with the values written before them;
// - a value the file cannot hold is refused and changes nothing.
//
// INIFILE_PROPERTY_SEQUENCES (default 3000) and INIFILE_PROPERTY_SEED
// (default 1) choose how many sequences run and from where.

#include "settings/keys.h"
#include "engine/codepage.h"
#include "engine/failure.h"
#include "inifilecheck.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTest>

#include <random>

namespace {

using inifilecheck::Encoding;
using inifilecheck::trimBlanks;

class Random
{
public:
    explicit Random(quint64 seed)
        : m_engine(seed)
    {
    }
    int below(int n) { return int(std::uniform_int_distribution<int>(0, n - 1)(m_engine)); }
    bool chance(int percent) { return below(100) < percent; }
    template <typename T>
    const T &pick(const QList<T> &list) { return list.at(below(int(list.size()))); }

private:
    std::mt19937_64 m_engine;
};

const QStringList kSections{"GameServerInfo", "gameserverinfo", "GAMESERVERINFO", "ConnectServer",
                            "Other", "Ação"};

QStringList keyPool()
{
    QStringList keys{"Unknown", "Motd", "Ação", "trade", "ADDEXPERIENCE"};
    for (const settings::Key *key : settings::keys::kAll)
        keys << QLatin1String(key->name);
    return keys;
}
const QStringList kKeys = keyPool();

// Text for one spot of a line: any character the file can hold, never a
// line break; NUL only where asked.
QString randomText(Random &random, Encoding encoding, int maxLength, bool allowNul)
{
    QString text;
    const int length = random.below(maxLength + 1);
    for (int i = 0; i < length; ++i) {
        const int kind = random.below(10);
        if (kind < 5) {
            text += QChar(u"abcXYZ019 =;\"[]\t"[random.below(16)]);
        } else if (kind < 8 || encoding == Encoding::Windows1252) {
            const char byte = char(0x80 + random.below(0x80));
            text += engine::codepage::decodeWindows1252(&byte, 1);
        } else if (kind < 9) {
            text += QChar(0x0400 + random.below(0x100)); // Cyrillic
        } else {
            text += QStringLiteral("😀");
        }
        if (allowNul && encoding != Encoding::Windows1252 && random.chance(2))
            text += QChar(0);
    }
    return text;
}

QString blanks(Random &random)
{
    static const QStringList choices{"", "", "", " ", "  ", "\t", " \t"};
    return random.pick(choices);
}

QString randomFile(Random &random, Encoding encoding)
{
    static const QStringList endings{"\r\n", "\n", "\r"};
    const int endingMode = random.below(4); // one of the three throughout, or mixed
    QString text;
    const int lines = random.below(30);
    for (int i = 0; i < lines; ++i) {
        const int kind = random.below(100);
        if (kind < 15) {
            text += blanks(random) + '[' + blanks(random) + random.pick(kSections) + blanks(random) + ']';
            if (random.chance(20))
                text += QStringLiteral(" ; ") + randomText(random, encoding, 5, false);
        } else if (kind < 70) {
            text += blanks(random) + random.pick(kKeys) + blanks(random) + '=' + blanks(random)
                    + randomText(random, encoding, 12, true) + blanks(random);
        } else if (kind < 80) {
            text += blanks(random) + ';' + randomText(random, encoding, 15, true);
        } else if (kind < 90) {
            text += blanks(random);
        } else {
            text += QStringLiteral("junk ") + random.pick(kKeys); // no '=': no key
        }
        if (i + 1 < lines || random.chance(70))
            text += endingMode < 3 ? endings[endingMode] : random.pick(endings);
    }
    return text;
}

// The file's bytes. Now and then a UTF-8 file gets bytes that are not UTF-8
// (a stray Windows-1252 letter, a cut sequence), and a Windows-1252 file a NUL
// byte, which makes it a file the engine must refuse.
QByteArray encode(Random &random, const QString &text, Encoding encoding)
{
    switch (encoding) {
    case Encoding::Windows1252: {
        QByteArray bytes = engine::codepage::encodeWindows1252(text).value();
        if (random.chance(3))
            bytes.insert(random.below(int(bytes.size()) + 1), '\0');
        return bytes;
    }
    case Encoding::Utf8: {
        QByteArray bytes = text.toUtf8();
        for (int stray = random.chance(40) ? 1 + random.below(3) : 0; stray > 0; --stray)
            bytes.insert(random.below(int(bytes.size()) + 1), char(0x80 + random.below(0x80)));
        return QByteArray("\xEF\xBB\xBF") + bytes;
    }
    case Encoding::Utf8WithoutMark:
        return text.toUtf8();
    case Encoding::Utf16: {
        QByteArray bytes("\xFF\xFE", 2);
        for (const QChar c : text)
            bytes.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
        return bytes;
    }
    }
    return {};
}

QString modelKey(const QString &section, const QString &key)
{
    return section.toLower() + QLatin1Char('\n') + key.toLower();
}

// Runs one sequence; returns what went wrong, or an empty string.
QString runSequence(quint64 seed)
{
    Random random(seed);
    const Encoding encoding = random.chance(60)   ? Encoding::Windows1252
                              : random.chance(33) ? Encoding::Utf8
                              : random.chance(50) ? Encoding::Utf8WithoutMark
                                                  : Encoding::Utf16;
    QByteArray file = encode(random, randomFile(random, encoding), encoding);
    QMap<QString, QString> written; // what reads must give back
    const auto randomValue = [&] {
        QString value = QLatin1Char(' ') + randomText(random, encoding, 10, false);
        if (random.chance(10)) // a value the file cannot hold
            value.insert(random.below(int(value.size())), random.pick(QStringList{"\n", "✓", "\x1b", "\x7f"}));
        return value;
    };
    const int steps = 1 + random.below(20);
    for (int step = 0; step < steps; ++step) {
        const QString section = random.chance(80) ? QStringLiteral("GameServerInfo") : random.pick(kSections);
        const QString key = random.pick(kKeys);
        const QString where = QStringLiteral("step %1, [%2] %3").arg(step).arg(section, key);

        if (random.chance(30)) {
            QString read;
            try {
                read = valueIn(file, section, key, QStringLiteral("<none>"));
            } catch (const engine::Failure &) {
                if (inifilecheck::mustRefuseFile(file))
                    return QString(); // nothing more to learn from this file
                return where + QStringLiteral(": a readable file was refused");
            }
            if (written.contains(modelKey(section, key)) && read != written.value(modelKey(section, key)))
                return where + QStringLiteral(": read gave \"%1\", not what was written").arg(read);
            // What was read, stray bytes and all, is stored back unchanged.
            if (read != QLatin1String("<none>") && !inifilecheck::mustRefuseFile(file)) {
                QByteArray after;
                const QString fault = inifilecheck::checkWrite(file, section, key, read, &after);
                if (!fault.isEmpty())
                    return where + QStringLiteral(" written back: ") + fault;
                if (valueIn(after, section, key) != read)
                    return where + QStringLiteral(": the value read does not survive being written back");
            }
            continue;
        }

        if (random.chance(20)) { // several keys in one write: the same as one by one
            std::vector<engine::inifile::KeyValue> pairs;
            for (int n = 2 + random.below(3); n > 0; --n)
                pairs.push_back({random.chance(30) ? key : random.pick(kKeys), randomValue()});
            // A Windows-1252 file may come to read as UTF-8 halfway (its new
            // bytes all valid UTF-8): one by one then encodes the later values
            // otherwise, and is no yardstick.
            const Encoding start = inifilecheck::encodingOf(file);
            bool flipped = false;
            std::optional<QByteArray> oneByOne = file;
            try {
                for (const engine::inifile::KeyValue &pair : pairs) {
                    oneByOne = withValue(*oneByOne, section, pair.key, pair.value);
                    flipped = flipped || inifilecheck::encodingOf(*oneByOne) != start;
                }
            } catch (const engine::Failure &) {
                oneByOne.reset();
            }
            std::optional<QByteArray> together;
            try {
                together = engine::inifile::withValues(file, section, pairs).value_or(file);
            } catch (const engine::Failure &) {
            }
            if (!flipped && oneByOne != together)
                return where + QStringLiteral(": writing %1 keys together differs from one by one").arg(pairs.size());
            if (!together)
                continue;
            file = *together;
            if (inifilecheck::encodingOf(file) != start) {
                written.clear(); // what was written now reads otherwise
                continue;
            }
            for (const engine::inifile::KeyValue &pair : pairs)
                written.insert(modelKey(section, pair.key), trimBlanks(pair.value));
            continue;
        }

        const QString value = randomValue();
        const QByteArray before = file;
        const QString fault = inifilecheck::checkWrite(before, section, key, value, &file);
        if (!fault.isEmpty())
            return where + QStringLiteral(": ") + fault;
        if (file == before && inifilecheck::mustRefuse(before, value))
            continue;
        if (inifilecheck::encodingOf(file) != inifilecheck::encodingOf(before)) {
            written.clear(); // what was written now reads otherwise
            continue;
        }
        written.insert(modelKey(section, key), trimBlanks(value));
    }
    return QString();
}

} // namespace

class TestIniFileProperty : public QObject
{
    Q_OBJECT

private slots:
    void randomSequencesKeepTheirPromises()
    {
        const int sequences = qEnvironmentVariableIsSet("INIFILE_PROPERTY_SEQUENCES")
                                  ? qEnvironmentVariableIntValue("INIFILE_PROPERTY_SEQUENCES")
                                  : 3000;
        const quint64 firstSeed = qEnvironmentVariableIsSet("INIFILE_PROPERTY_SEED")
                                      ? quint64(qEnvironmentVariableIntValue("INIFILE_PROPERTY_SEED"))
                                      : 1;
        int failed = 0;
        QString firstFailure;
        for (int i = 0; i < sequences; ++i) {
            const QString fault = runSequence(firstSeed + quint64(i));
            if (fault.isEmpty())
                continue;
            if (failed++ == 0)
                firstFailure = QStringLiteral("seed %1: %2").arg(firstSeed + quint64(i)).arg(fault);
        }
        std::printf("sequences: %d passed, %d failed\n", sequences - failed, failed);
        QVERIFY2(failed == 0, qPrintable(firstFailure));
    }

    // Every input the fuzzer ever broke a promise with stays fixed.
    void fuzzFindingsStayFixed_data()
    {
        QTest::addColumn<QString>("path");
        const QDir findings(QStringLiteral(TEST_DATA_DIR "/fuzz"));
        for (const QString &name : findings.entryList(QDir::Files))
            QTest::newRow(qPrintable(name)) << findings.filePath(name);
    }

    void fuzzFindingsStayFixed()
    {
        QFETCH(QString, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const auto input = inifilecheck::fuzzInput(file.readAll());
        QVERIFY(input.has_value());
        QByteArray after;
        const QString fault = inifilecheck::checkWrite(input->file, input->section, input->key, input->value, &after);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    }
};

QTEST_APPLESS_MAIN(TestIniFileProperty)
#include "tst_inifile_property.moc"
