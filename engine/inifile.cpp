#include "engine/inifile.h"

#include "engine/failure.h"
#include "engine/filebytes.h"
#include "engine/inifile/encodings.h"
#include "engine/inifile/parsing.h"
#include "engine/inifile/refusals.h"

#include <algorithm>

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
        const auto same = std::find_if(keys.begin(), keys.end(), [&](const KeyValue &known) {
            return known.key.size() == pair.key.size()
                   && std::equal(known.key.begin(), known.key.end(), pair.key.begin(),
                                 [](QChar a, QChar b) {
                                     return parsing::foldAscii(a.unicode()) == parsing::foldAscii(b.unicode());
                                 });
        });
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

std::vector<std::optional<QString>> lookupChecked(const QByteArray &file, const QString &section,
                                                  const QStringList &keys)
{
    checkName(section, true);
    for (const QString &key : keys)
        checkName(key, false);
    if (file.startsWith(kUtf16LeMark)) {
        const Utf16Body body = utf16Body(file);
        return valuesInBody<Utf16Codec>(body.units, Utf16Codec{}, section, keys);
    }
    const qsizetype markSize = file.startsWith(kUtf8Mark) ? kUtf8Mark.size() : 0;
    const std::string_view body = byteBody(file, markSize);
    return valuesInBody(body, ByteCodec(markSize > 0, body), section, keys);
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

// The file with the pairs applied; the section's name and the pairs are
// checked already.
std::optional<QByteArray> withCheckedValues(const QByteArray &file, const QString &section,
                                            const std::vector<KeyValue> &values)
{
    if (file.startsWith(kUtf16LeMark)) {
        const Utf16Body body = utf16Body(file);
        std::u16string changed;
        if (!withValuesInBody<Utf16Codec>(body.units, Utf16Codec{}, section, values, changed))
            return std::nullopt;
        return kUtf16LeMark + utf16Bytes(changed) + body.oddByte;
    }
    const qsizetype markSize = file.startsWith(kUtf8Mark) ? kUtf8Mark.size() : 0;
    const std::string_view body = byteBody(file, markSize);
    QByteArray out(file.constData(), markSize); // the mark, then the changed body
    if (!withValuesInBody(body, ByteCodec(markSize > 0, body), section, values, out))
        return std::nullopt;
    return out;
}

} // namespace

std::vector<std::optional<QString>> lookup(const QByteArray &file, const QString &section, const QStringList &keys)
{
    checkContent(file, QString(), Purpose::Read);
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
    checkContent(file, QString(), Purpose::Write);
    checkName(section, true);
    checkPairs(values);
    return withCheckedValues(file, section, values);
}

std::optional<QByteArray> readFile(const QString &path, const filebytes::Patience &patience)
{
    const std::optional<QByteArray> file = filebytes::read(path, patience);
    if (file)
        checkContent(*file, path, Purpose::Read);
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
                checkContent(*file, path, Purpose::Write);
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
    using Unit = typename Codec::Unit;
    std::vector<inifile::Line> lines;
    QString section;
    for (std::size_t pos = 0; pos < text.size();) {
        const parsing::Line span = parsing::lineAt(text, pos);
        pos = span.next;
        inifile::Line line;
        line.number = int(lines.size()) + 1;
        line.text = codec.decode(text.substr(span.begin, span.end - span.begin));
        const parsing::Span content = parsing::trimmed(text, span.begin, span.end);
        std::size_t equals = content.begin;
        while (equals < content.end && text[equals] != Unit('='))
            ++equals;
        if (content.size() == 0) {
            line.kind = inifile::Line::Kind::Blank;
        } else if (text[content.begin] == Unit(';')) {
            line.kind = inifile::Line::Kind::Comment;
        } else if (text[content.begin] == Unit('[')) {
            std::size_t close = content.begin + 1;
            while (close < content.end && text[close] != Unit(']'))
                ++close;
            const parsing::Span name = parsing::trimmed(text, content.begin + 1, close);
            section = codec.decode(text.substr(name.begin, name.size()));
            line.kind = inifile::Line::Kind::Section;
        } else if (equals < content.end) {
            const parsing::Span name = parsing::trimmed(text, content.begin, equals);
            const parsing::Span value = parsing::trimmed(text, equals + 1, content.end);
            line.kind = inifile::Line::Kind::Key;
            line.key = codec.decode(text.substr(name.begin, name.size()));
            line.value = codec.decode(text.substr(value.begin, value.size()));
        } else {
            line.kind = inifile::Line::Kind::Other;
        }
        line.section = section;
        lines.push_back(std::move(line));
    }
    return lines;
}

} // namespace

std::vector<inifile::Line> linesOf(const QByteArray &file)
{
    checkContent(file, QString(), Purpose::Read);
    if (file.startsWith(kUtf16LeMark))
        return linesOfBody<Utf16Codec>(utf16Body(file).units, Utf16Codec{});
    const qsizetype markSize = file.startsWith(kUtf8Mark) ? kUtf8Mark.size() : 0;
    const std::string_view body = byteBody(file, markSize);
    return linesOfBody(body, ByteCodec(markSize > 0, body));
}

namespace {

// Names match as the file's reader matches them: ASCII letters in any case.
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

} // namespace

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

LineSpan lineAt(QByteArrayView bytes, qsizetype at)
{
    const parsing::Line line = parsing::lineAt(std::string_view(bytes.data(), std::size_t(bytes.size())), std::size_t(at));
    return {qsizetype(line.begin), qsizetype(line.end), qsizetype(line.next)};
}

WriteOutcome write(const QString &path, const QString &section, const std::vector<KeyValue> &values,
                   const WriteOptions &options)
{
    // What can be refused without the file is refused before it is touched.
    checkName(section, true);
    checkPairs(values);
    return filebytes::update(
        path,
        [&](const std::optional<QByteArray> &file) {
            if (file)
                checkContent(*file, path, Purpose::Write);
            return withCheckedValues(file.value_or(QByteArray()), section, values);
        },
        options);
}

} // namespace engine::inifile
