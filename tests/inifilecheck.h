#pragma once

// The promises of one write to a settings file, checked from the outside:
// used by the property test, the fuzzer and the replay of fuzz findings.

#include "settings/keys.h"
#include "engine/codepage.h"
#include "engine/failure.h"
#include "engine/inifile.h"
#include "onekey.h"

#include <QList>
#include <QStringDecoder>
#include <QString>

#include <algorithm>
#include <optional>

namespace inifilecheck {

enum class Encoding { Windows1252, Utf8, Utf8WithoutMark, Utf16 };

// Told apart with Qt's own UTF-8 decoder: a file without a mark is UTF-8 when
// it decodes without an error and holds a byte beyond ASCII.
inline Encoding encodingOf(const QByteArray &file)
{
    if (file.startsWith("\xFF\xFE"))
        return Encoding::Utf16;
    if (file.startsWith("\xEF\xBB\xBF"))
        return Encoding::Utf8;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(file);
    const bool beyondAscii = std::any_of(file.begin(), file.end(), [](char c) { return quint8(c) >= 0x80; });
    return !utf8.hasError() && beyondAscii ? Encoding::Utf8WithoutMark : Encoding::Windows1252;
}

inline bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\v');
}

inline QString trimBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

// A file's text after its mark, one character per stored unit: bytes of 8-bit
// files through the lossless Windows-1252 mapping (so invalid UTF-8 compares
// byte for byte), UTF-16 units as they are.
inline QString storedText(const QByteArray &file, Encoding encoding)
{
    switch (encoding) {
    case Encoding::Windows1252:
    case Encoding::Utf8WithoutMark:
        return engine::codepage::decodeWindows1252(file);
    case Encoding::Utf8:
        return engine::codepage::decodeWindows1252(file.mid(3));
    case Encoding::Utf16:
        return QString(reinterpret_cast<const QChar *>(file.constData() + 2), (file.size() - 2) / 2);
    }
    return {};
}

// A name or value as storedText shows it once written. In UTF-8 files
// U+DC80-U+DCFF stand for bytes that are not UTF-8, and are stored as such.
inline QString stored(const QString &text, Encoding encoding)
{
    if (encoding == Encoding::Utf8WithoutMark)
        return engine::codepage::decodeWindows1252(text.toUtf8());
    if (encoding != Encoding::Utf8)
        return text;
    QByteArray bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text.at(i).unicode();
        const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        if (!pair && unit >= 0xDC80 && unit <= 0xDCFF) {
            bytes += char(unit - 0xDC00);
            continue;
        }
        bytes += text.mid(i, pair ? 2 : 1).toUtf8();
        i += pair ? 1 : 0;
    }
    return engine::codepage::decodeWindows1252(bytes);
}

struct Line
{
    QString content;
    QString ending;
    bool operator==(const Line &other) const { return content == other.content && ending == other.ending; }
};

inline QList<Line> linesOf(const QString &text)
{
    QList<Line> lines;
    for (qsizetype pos = 0; pos < text.size();) {
        qsizetype end = pos;
        while (end < text.size() && text.at(end) != QLatin1Char('\r') && text.at(end) != QLatin1Char('\n'))
            ++end;
        qsizetype next = end;
        if (next < text.size())
            next += text.mid(next, 2) == QLatin1String("\r\n") ? 2 : 1;
        lines.append({text.mid(pos, end - pos), text.mid(end, next - end)});
        pos = next;
    }
    return lines;
}

// Why the change from `before` to `after` is not one line changed in place,
// one key line inserted, or one section appended; empty when it is.
inline QString structuralFault(const QString &before, const QString &after, const QString &section,
                        const QString &key, const QString &value)
{
    const QList<Line> b = linesOf(before);
    const QList<Line> a = linesOf(after);
    const QString keyLine = key + '=' + value;
    const QString eol = b.isEmpty() || b.first().ending.isEmpty() ? QStringLiteral("\r\n") : b.first().ending;

    if (a.size() == b.size()) {
        int changed = 0;
        for (qsizetype i = 0; i < a.size(); ++i) {
            if (a[i] == b[i])
                continue;
            ++changed;
            const qsizetype equals = b[i].content.indexOf(QLatin1Char('='));
            if (equals < 0 || a[i].ending != b[i].ending
                || a[i].content != b[i].content.left(equals + 1) + value)
                return QStringLiteral("line %1 changed beyond its value").arg(i);
        }
        return changed == 1 ? QString() : QStringLiteral("%1 lines changed").arg(changed);
    }
    if (a.size() == b.size() + 1) {
        for (qsizetype i = 0; i < a.size(); ++i) {
            if (a[i].content != keyLine)
                continue;
            QList<Line> rest = a;
            rest.removeAt(i);
            const bool atUnterminatedEnd = i == b.size() && !b.isEmpty() && b.last().ending.isEmpty();
            if (atUnterminatedEnd) {
                rest.last().ending.clear();
                if (a[i - 1].ending != eol || !a[i].ending.isEmpty())
                    continue;
            } else {
                // A lone CR before a blank LF line would fuse with it: CR LF then.
                const bool fuses = eol == QLatin1String("\r") && i + 1 < a.size() && a[i + 1].content.isEmpty()
                                   && a[i + 1].ending == QLatin1String("\n");
                if (a[i].ending != (fuses ? QStringLiteral("\r\n") : eol))
                    continue;
            }
            if (rest == b)
                return QString();
        }
        return QStringLiteral("no single inserted key line explains the change");
    }
    if (a.size() == b.size() + 2) {
        QList<Line> expected = b;
        if (!expected.isEmpty() && expected.last().ending.isEmpty())
            expected.last().ending = eol;
        expected.append({'[' + section + ']', eol});
        expected.append({keyLine, eol});
        return a == expected ? QString() : QStringLiteral("the appended section is not as expected");
    }
    return QStringLiteral("%1 lines became %2").arg(b.size()).arg(a.size());
}

// A lone surrogate that does not stand for a byte of a UTF-8 file.
inline bool hasUnstorableSurrogate(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text.at(i).unicode();
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (text.at(i).isSurrogate() && !(unit >= 0xDC80 && unit <= 0xDCFF))
            return true;
    }
    return false;
}

// Whether the engine must refuse the file whatever is written: a UTF-16
// big-endian or UTF-32 mark, or NUL bytes without a mark.
inline bool mustRefuseFile(const QByteArray &file)
{
    if (file.startsWith("\xFE\xFF") || file.startsWith(QByteArray("\xFF\xFE\0\0", 4)))
        return true;
    const Encoding encoding = encodingOf(file);
    return (encoding == Encoding::Windows1252 || encoding == Encoding::Utf8WithoutMark) && file.contains('\0');
}

// A lone surrogate anywhere: what valid UTF-8 cannot hold.
inline bool hasUnpairedSurrogate(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (text.at(i).isSurrogate())
            return true;
    }
    return false;
}

// Whether the file cannot hold the value: a control character but tab
// (C0, DEL, C1), a line separator or bidirectional formatting character
// anywhere, a character outside Windows-1252 in a Windows-1252 file, a lone
// surrogate that stands for no byte in a UTF-8 file with a mark, any lone
// surrogate in one without.
inline bool mustRefuse(const QByteArray &file, const QString &value)
{
    if (mustRefuseFile(file))
        return true;
    const bool control = std::any_of(value.begin(), value.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return (u < 0x20 && c != QLatin1Char('\t')) || (u >= 0x7F && u <= 0x9F) || u == 0x2028 || u == 0x2029
               || (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069);
    });
    if (control)
        return true;
    switch (encodingOf(file)) {
    case Encoding::Windows1252:
        return engine::codepage::firstUnencodable(value).has_value();
    case Encoding::Utf8WithoutMark:
        return hasUnpairedSurrogate(value);
    case Encoding::Utf8:
        return hasUnstorableSurrogate(value);
    case Encoding::Utf16:
        return false;
    }
    return false;
}

// Writes the value and checks every promise. `after` receives the new file
// (the old one when the write was refused). Returns what went wrong, or an
// empty string.
inline QString checkWrite(const QByteArray &before, const QString &section, const QString &key,
                          const QString &value, QByteArray *after)
{
    *after = before;
    const bool refuse = mustRefuse(before, value);
    try {
        *after = withValue(before, section, key, value);
    } catch (const engine::Failure &failure) {
        if (!refuse)
            return QStringLiteral("a value the file can hold was refused: ") + failure.description;
        if (mustRefuseFile(before) && failure.number != engine::FailureNumber::FileAccess)
            return QStringLiteral("a file the engine cannot edit was not refused as such");
        return QString();
    }
    if (refuse)
        return QStringLiteral("a value the file cannot hold was accepted");
    const Encoding encoding = encodingOf(before);
    const Encoding afterEncoding = encodingOf(*after);
    const bool markless = [](Encoding e) { return e == Encoding::Windows1252 || e == Encoding::Utf8WithoutMark; }(encoding);
    if (afterEncoding != encoding && !(markless && afterEncoding == Encoding::Utf8WithoutMark))
        return QStringLiteral("the file's encoding changed");
    // A Windows-1252 file whose new bytes all happen to be valid UTF-8 reads
    // as UTF-8 from then on; only its bytes are checked, below.
    if (afterEncoding == encoding) {
        if (valueIn(*after, section, key) != trimBlanks(value))
            return QStringLiteral("the value does not read back");
        if (withValue(*after, section, key, value) != *after)
            return QStringLiteral("writing the same value again changed the file");
    }
    if (*after == before)
        return QString();
    return structuralFault(storedText(before, encoding), storedText(*after, encoding), stored(section, encoding),
                           stored(key, encoding), stored(value, encoding));
}

// The fuzzer's input: [key byte][section byte][value length byte][value]
// [file bytes]. The value is taken as Windows-1252, so it may hold line
// breaks and NUL.
struct FuzzInput
{
    QString section;
    QString key;
    QString value;
    QByteArray file;
};

inline std::optional<FuzzInput> fuzzInput(const QByteArray &data)
{
    if (data.size() < 3)
        return std::nullopt;
    static const char *const sections[] = {"GameServerInfo", "gameserverinfo", "Other", "A b"};
    static const char *const otherKeys[] = {"trade", "Unknown", "A", "Key With Blanks"};
    const auto keySelector = std::size_t(quint8(data[0]));
    const auto &keys = settings::keys::kAll;
    FuzzInput input;
    input.key = QLatin1String(keySelector < std::size(keys) ? keys[keySelector]->name : otherKeys[keySelector % 4]);
    input.section = QLatin1String(sections[quint8(data[1]) % 4]);
    const qsizetype valueLength = std::min<qsizetype>(quint8(data[2]) % 64, data.size() - 3);
    input.value = engine::codepage::decodeWindows1252(data.constData() + 3, valueLength);
    input.file = data.mid(3 + valueLength);
    return input;
}

} // namespace inifilecheck
