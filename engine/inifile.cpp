#include "engine/inifile.h"

#include "engine/failure.h"
#include "engine/filebytes.h"
#include "engine/inifile/encodings.h"
#include "engine/inifile/parsing.h"
#include "engine/inifile/refusals.h"

#include <algorithm>
#include <type_traits>

namespace engine::inifile {
namespace {

using namespace encodings;
using namespace parsing;
using namespace refusals;

// The keys once each (ASCII case ignored), at the place of their first
// mention, with their last value: what writing them one by one would leave.
std::vector<KeyValue> merged(const std::vector<KeyValue> &values)
{
    std::vector<KeyValue> keys;
    for (const KeyValue &pair : values) {
        const auto same = std::find_if(keys.begin(), keys.end(),
                                       [&](const KeyValue &known) { return sameName(known.key, pair.key); });
        if (same == keys.end())
            keys.push_back(pair);
        else
            same->value = pair.value;
    }
    return keys;
}

template <typename Codec>
std::vector<std::optional<QString>> valuesInBody(std::basic_string_view<typename Codec::Unit> text, const Codec &codec,
                                                 const QString &section, const QStringList &keys)
{
    using Unit = typename Codec::Unit;
    std::vector<std::optional<QString>> values;
    const auto sectionUnits = codec.encode(section);
    std::vector<std::basic_string<Unit>> keyUnits;
    std::vector<bool> storable;
    for (const QString &key : keys) {
        const auto units = codec.encode(key);
        storable.push_back(units.has_value());
        keyUnits.push_back(units.value_or(std::basic_string<Unit>()));
    }
    // A name the file cannot hold cannot be in it.
    const SectionScan scan = sectionUnits ? scanSection<Unit>(text, *sectionUnits, keyUnits)
                                          : SectionScan{false, {}, 0, false};
    for (std::size_t i = 0; i < std::size_t(keys.size()); ++i) {
        if (sectionUnits && storable[i] && scan.keys[i])
            values.push_back(codec.decode(text.substr(scan.keys[i]->value.begin, scan.keys[i]->value.size())));
        else
            values.push_back(std::nullopt);
    }
    return values;
}

template <typename Codec, typename Out>
bool withValuesInBody(std::basic_string_view<typename Codec::Unit> text, const Codec &codec, const QString &section,
                      const std::vector<KeyValue> &values, Out &out)
{
    using Unit = typename Codec::Unit;
    const std::basic_string<Unit> sectionUnits = encodeName(codec, section);
    for (const KeyValue &pair : values) { // every one, also those a later pair overrides
        encodeName(codec, pair.key);
        if (!codec.encode(pair.value))
            refuseCharacter(pair.key, codec.firstUnstorable(pair.value).value_or(U'?'));
    }
    std::vector<std::basic_string<Unit>> keys;
    std::vector<std::basic_string<Unit>> encoded;
    for (const KeyValue &pair : merged(values)) {
        keys.push_back(*codec.encode(pair.key));
        encoded.push_back(*codec.encode(pair.value));
    }
    const std::vector<Edit<Unit>> edits = editsFor<Unit>(text, sectionUnits, keys, encoded);
    if (edits.empty())
        return false;
    applyEdits<Unit>(text, edits, out);
    return true;
}

std::string_view byteBody(const QByteArray &file, qsizetype markSize)
{
    return std::string_view(file.constData() + markSize, static_cast<std::size_t>(file.size() - markSize));
}

// `read(body, codec)` on the file's body (what follows the mark), with the
// codec that reads it: the one place the mark decides how a file is read.
template <typename Read>
auto withBodyRead(const QByteArray &file, const Read &read)
{
    if (file.startsWith(kUtf16LeMark)) {
        const Utf16Body body = utf16Body(file);
        return read(std::u16string_view(body.units), Utf16Codec{});
    }
    const qsizetype markSize = file.startsWith(kUtf8Mark) ? kUtf8Mark.size() : 0;
    const std::string_view body = byteBody(file, markSize);
    return read(body, ByteCodec(markSize > 0, body));
}

std::vector<std::optional<QString>> lookupChecked(const QByteArray &file, const QString &section,
                                                  const QStringList &keys)
{
    checkName(section, true);
    for (const QString &key : keys)
        checkName(key, false);
    return withBodyRead(file, [&](auto text, const auto &codec) { return valuesInBody(text, codec, section, keys); });
}

QStringList valuesOrDefault(const std::vector<std::optional<QString>> &found, const QString &defaultValue)
{
    QStringList values;
    for (const std::optional<QString> &value : found)
        values << value.value_or(defaultValue);
    return values;
}

// The names and values a write refuses whatever the file holds.
void checkPairs(const std::vector<KeyValue> &values)
{
    for (const KeyValue &pair : values) {
        checkName(pair.key, false);
        checkValue(pair.key, pair.value);
    }
}

// The file's bytes with its body (what follows the mark) changed by
// `change(body, codec, out)`, which appends the new body to `out` and says
// whether it changed anything; nullopt when it did not. The mark is kept.
template <typename Change>
std::optional<QByteArray> withBody(const QByteArray &file, const Change &change)
{
    if (file.startsWith(kUtf16LeMark)) {
        const Utf16Body body = utf16Body(file);
        std::u16string changed;
        if (!change(std::u16string_view(body.units), Utf16Codec{}, changed))
            return std::nullopt;
        return kUtf16LeMark + utf16Bytes(changed) + body.oddByte;
    }
    const qsizetype markSize = file.startsWith(kUtf8Mark) ? kUtf8Mark.size() : 0;
    const std::string_view body = byteBody(file, markSize);
    QByteArray out(file.constData(), markSize); // the mark, then the changed body
    if (!change(body, ByteCodec(markSize > 0, body), out))
        return std::nullopt;
    return out;
}

// The file with the pairs applied; the section's name and the pairs are
// checked already.
std::optional<QByteArray> withCheckedValues(const QByteArray &file, const QString &section,
                                            const std::vector<KeyValue> &values)
{
    return withBody(file, [&](auto text, const auto &codec, auto &out) {
        return withValuesInBody(text, codec, section, values, out);
    });
}

// The file without the keys' lines; the names are checked already.
std::optional<QByteArray> withoutCheckedKeys(const QByteArray &file, const QString &section, const QStringList &keys)
{
    return withBody(file, [&](auto text, const auto &codec, auto &out) {
        using Unit = typename std::decay_t<decltype(codec)>::Unit;
        // A name the file cannot hold cannot be in it.
        const auto sectionUnits = codec.encode(section);
        std::vector<std::basic_string<Unit>> names;
        for (const QString &key : keys) {
            if (const auto units = codec.encode(key))
                names.push_back(*units);
        }
        const std::vector<Edit<Unit>> edits =
            sectionUnits ? removalsFor<Unit>(text, *sectionUnits, names) : std::vector<Edit<Unit>>();
        if (edits.empty())
            return false;
        applyEdits<Unit>(text, edits, out);
        return true;
    });
}

} // namespace

std::vector<std::optional<QString>> lookup(const QByteArray &file, const QString &section, const QStringList &keys)
{
    checkContent(file, QString(), NulSearch::FirstBlock);
    return lookupChecked(file, section, keys);
}

QStringList valuesIn(const QByteArray &file, const QString &section, const QStringList &keys,
                     const QString &defaultValue)
{
    return valuesOrDefault(lookup(file, section, keys), defaultValue);
}

std::optional<QByteArray> withValues(const QByteArray &file, const QString &section,
                                     const std::vector<KeyValue> &values)
{
    checkContent(file, QString(), NulSearch::WholeFile);
    checkName(section, true);
    checkPairs(values);
    return withCheckedValues(file, section, values);
}

std::optional<QByteArray> readFile(const QString &path, const filebytes::Patience &patience)
{
    const std::optional<QByteArray> file = filebytes::read(path, patience);
    if (file)
        checkContent(*file, path, NulSearch::FirstBlock);
    return file;
}

ReadOutcome read(const QString &path, const QString &section, const QStringList &keys,
                 const QString &defaultValue, const filebytes::Patience &patience)
{
    const std::optional<QByteArray> file = readFile(path, patience);
    return {valuesOrDefault(lookupChecked(file.value_or(QByteArray()), section, keys), defaultValue), file.has_value()};
}

WriteOutcome write(const QString &path, const QString &section, const PairsFor &pairsFor,
                   const WriteOptions &options)
{
    checkName(section, true);
    return filebytes::update(
        path,
        [&](const std::optional<QByteArray> &file) -> std::optional<QByteArray> {
            if (file)
                checkContent(*file, path, NulSearch::WholeFile);
            const QByteArray bytes = file.value_or(QByteArray());
            const std::vector<KeyValue> values = pairsFor(bytes);
            if (values.empty())
                return std::nullopt;
            checkPairs(values);
            return withCheckedValues(bytes, section, values);
        },
        options);
}

namespace {

template <typename Codec>
std::vector<inifile::Line> linesOfBody(std::basic_string_view<typename Codec::Unit> text, const Codec &codec)
{
    std::vector<inifile::Line> lines;
    QString section;
    const auto decoded = [&](parsing::Span span) { return codec.decode(text.substr(span.begin, span.size())); };
    for (std::size_t pos = 0; pos < text.size();) {
        const parsing::LineSpan span = parsing::lineAt(text, pos);
        pos = span.next;
        const parsing::Classified classified = parsing::classify(text, span);
        inifile::Line line;
        line.number = int(lines.size()) + 1;
        line.text = decoded({span.begin, span.end});
        switch (classified.kind) {
        case parsing::LineKind::Blank:
            line.kind = inifile::Line::Kind::Blank;
            break;
        case parsing::LineKind::Comment:
            line.kind = inifile::Line::Kind::Comment;
            break;
        case parsing::LineKind::Section:
            line.kind = inifile::Line::Kind::Section;
            section = decoded(classified.name);
            break;
        case parsing::LineKind::Key:
            line.kind = inifile::Line::Kind::Key;
            line.key = decoded(classified.name);
            line.value = decoded(classified.value);
            break;
        case parsing::LineKind::Other:
            line.kind = inifile::Line::Kind::Other;
            break;
        }
        line.section = section;
        lines.push_back(std::move(line));
    }
    return lines;
}

} // namespace

std::vector<inifile::Line> linesOf(const QByteArray &file)
{
    checkContent(file, QString(), NulSearch::FirstBlock);
    return withBodyRead(file, [](auto text, const auto &codec) { return linesOfBody(text, codec); });
}

bool sameName(const QString &a, const QString &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (parsing::foldAscii(a.at(i).unicode()) != parsing::foldAscii(b.at(i).unicode()))
            return false;
    }
    return true;
}

QStringList keysIn(const QByteArray &file, const QString &section)
{
    QStringList keys;
    int sections = 0; // of that name, seen so far
    for (const inifile::Line &line : linesOf(file)) {
        if (line.kind == inifile::Line::Kind::Section && sameName(line.section, section) && ++sections > 1)
            break;
        if (line.kind != inifile::Line::Kind::Key || sections != 1 || !sameName(line.section, section))
            continue;
        try {
            checkName(line.key, false);
        } catch (const engine::Failure &) {
            continue; // a line no read can name, such as " = value"
        }
        if (std::none_of(keys.cbegin(), keys.cend(), [&](const QString &key) { return sameName(key, line.key); }))
            keys << line.key;
    }
    return keys;
}

Refused refusedInValues(QChar c)
{
    const char16_t unit = c.unicode();
    if ((unit < 0x20 && unit != u'\t') || (unit >= 0x7F && unit <= 0x9F))
        return Refused::Control;
    if (unit == 0x2028 || unit == 0x2029 || (unit >= 0x202A && unit <= 0x202E) || (unit >= 0x2066 && unit <= 0x2069))
        return Refused::Layout;
    return Refused::No;
}

std::optional<uchar> strayByte(QChar c)
{
    const char16_t unit = c.unicode();
    return unit >= 0xDC80 && unit <= 0xDCFF ? std::optional<uchar>(uchar(unit - 0xDC00)) : std::nullopt;
}

QByteArray utf8Keeping(const QString &value)
{
    const std::optional<std::string> bytes = encodeUtf8Keeping(value);
    return bytes ? QByteArray::fromStdString(*bytes) : value.toUtf8();
}

QString decodedAs(const QByteArray &file, QByteArrayView bytes)
{
    const qsizetype markSize = file.startsWith(kUtf8Mark) ? kUtf8Mark.size() : 0;
    const ByteCodec codec(markSize > 0, byteBody(file, markSize));
    return codec.decode(std::string_view(bytes.data(), std::size_t(bytes.size())));
}

QString withoutBlanks(const QString &value)
{
    qsizetype begin = 0;
    qsizetype end = value.size();
    const auto blank = [&](qsizetype at) { return value.at(at) == QLatin1Char(' ') || value.at(at) == QLatin1Char('\t'); };
    while (begin < end && blank(begin))
        ++begin;
    while (end > begin && blank(end - 1))
        --end;
    return value.mid(begin, end - begin);
}

std::optional<QByteArray> withoutKeys(const QByteArray &file, const QString &section, const QStringList &keys)
{
    checkContent(file, QString(), NulSearch::WholeFile);
    checkName(section, true);
    for (const QString &key : keys)
        checkName(key, false);
    return withoutCheckedKeys(file, section, keys);
}

WriteOutcome remove(const QString &path, const QString &section, const QStringList &keys, const WriteOptions &options)
{
    checkName(section, true);
    for (const QString &key : keys)
        checkName(key, false);
    WriteOptions existing = options;
    existing.mustExist = true; // removing keys never makes a file
    return filebytes::update(
        path,
        [&](const std::optional<QByteArray> &file) -> std::optional<QByteArray> {
            checkContent(file.value_or(QByteArray()), path, NulSearch::WholeFile);
            return withoutCheckedKeys(file.value_or(QByteArray()), section, keys);
        },
        existing);
}

} // namespace engine::inifile
