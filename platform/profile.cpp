#include "profile.h"

#include "codepage.h"
#include "failure.h"
#include "filebytes.h"

#include <QDir>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

namespace profile {
namespace {

// ---- Lines and names, on code units (bytes, or UTF-16 units) ------------------

template <typename Unit>
using View = std::basic_string_view<Unit>;
template <typename Unit>
using Units = std::basic_string<Unit>;

constexpr std::size_t kNone = std::size_t(-1);

template <typename Unit>
bool isBlank(Unit u)
{
    return u == Unit(' ') || u == Unit('\t') || u == Unit('\v');
}

template <typename Unit>
bool isLineBreak(Unit u)
{
    return u == Unit('\r') || u == Unit('\n');
}

template <typename Unit>
Unit foldAscii(Unit u)
{
    return (u >= Unit('A') && u <= Unit('Z')) ? Unit(u + ('a' - 'A')) : u;
}

// The first `unit` at or after `from`, or kNone. Bytes go through memchr,
// which skips most of a large file at memory speed.
std::size_t findUnit(View<char> text, std::size_t from, char unit)
{
    if (from >= text.size())
        return kNone;
    const void *hit = std::memchr(text.data() + from, unit, text.size() - from);
    return hit ? std::size_t(static_cast<const char *>(hit) - text.data()) : kNone;
}

std::size_t findUnit(View<char16_t> text, std::size_t from, char16_t unit)
{
    const std::size_t at = text.find(unit, from);
    return at == View<char16_t>::npos ? kNone : at;
}

struct Span
{
    std::size_t begin = 0;
    std::size_t end = 0;
    std::size_t size() const { return end - begin; }
};

template <typename Unit>
Span trimmed(View<Unit> text, std::size_t begin, std::size_t end)
{
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return {begin, end};
}

template <typename Unit>
bool sameName(View<Unit> text, Span span, View<Unit> name)
{
    if (span.size() != name.size())
        return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (foldAscii(text[span.begin + i]) != foldAscii(name[i]))
            return false;
    }
    return true;
}

// One line: its content [begin, end) and where the next line starts.
struct Line
{
    std::size_t begin = 0;
    std::size_t end = 0;
    std::size_t next = 0;
    bool terminated() const { return next != end; }
};

template <typename Unit>
Line lineAt(View<Unit> text, std::size_t pos)
{
    Line line{pos, pos, pos};
    while (line.end < text.size() && !isLineBreak(text[line.end]))
        ++line.end;
    line.next = line.end;
    if (line.next < text.size()) {
        const bool crlf = text[line.next] == Unit('\r') && line.next + 1 < text.size()
                          && text[line.next + 1] == Unit('\n');
        line.next += crlf ? 2 : 1;
    }
    return line;
}

// The header line of the first section with that name. Only a '[' that
// starts a line (after blanks) opens a header, so the search jumps from one
// '[' to the next instead of walking every line of the file.
template <typename Unit>
std::optional<Line> findSection(View<Unit> text, View<Unit> section)
{
    for (std::size_t at = findUnit(text, 0, Unit('[')); at != kNone; at = findUnit(text, at + 1, Unit('['))) {
        // Most brackets open another section: its first letter tells at once.
        std::size_t nameStart = at + 1;
        while (nameStart < text.size() && isBlank(text[nameStart]))
            ++nameStart;
        if (nameStart == text.size() || foldAscii(text[nameStart]) != foldAscii(section.front()))
            continue;
        std::size_t start = at;
        while (start > 0 && isBlank(text[start - 1]))
            --start;
        if (start > 0 && !isLineBreak(text[start - 1]))
            continue;
        const Line line = lineAt(text, start);
        std::size_t close = at + 1;
        while (close < line.end && text[close] != Unit(']'))
            ++close;
        if (sameName(text, trimmed(text, at + 1, close), section))
            return line;
    }
    return std::nullopt;
}

// Where each asked key stands in the section, and where a missing one goes.
struct KeyAt
{
    Span value;       // the key's value, blanks around it removed
    Span afterEquals; // everything after its '=' up to the line ending
};

struct SectionScan
{
    bool sectionFound = false;
    std::vector<std::optional<KeyAt>> keys; // one per asked key
    std::size_t insertAt = 0;               // where a missing key's line goes
    bool insertAfterUnterminatedLine = false;
};

template <typename Unit>
SectionScan scanSection(View<Unit> text, View<Unit> section, const std::vector<Units<Unit>> &keys)
{
    SectionScan scan;
    scan.keys.resize(keys.size());
    const std::optional<Line> header = findSection(text, section);
    if (!header)
        return scan;
    scan.sectionFound = true;
    scan.insertAt = header->next;
    scan.insertAfterUnterminatedLine = !header->terminated();
    std::size_t missing = keys.size();
    for (std::size_t pos = header->next; pos < text.size() && missing > 0;) {
        const Line line = lineAt(text, pos);
        pos = line.next;
        std::size_t first = line.begin;
        while (first < line.end && isBlank(text[first]))
            ++first;
        if (first == line.end || text[first] == Unit(';'))
            continue;
        if (text[first] == Unit('['))
            break; // the next section
        std::size_t equals = first;
        while (equals < line.end && text[equals] != Unit('='))
            ++equals;
        if (equals == line.end)
            continue; // a line without '=' is no key
        scan.insertAt = line.next;
        scan.insertAfterUnterminatedLine = !line.terminated();
        const Span name = trimmed(text, first, equals);
        for (std::size_t i = 0; i < keys.size(); ++i) {
            if (scan.keys[i] || !sameName<Unit>(text, name, keys[i]))
                continue;
            scan.keys[i] = KeyAt{trimmed(text, equals + 1, line.end), {equals + 1, line.end}};
            --missing;
        }
    }
    return scan;
}

// The ending of the file's first line; CR LF when it has none.
template <typename Unit>
Units<Unit> lineEndingOf(View<Unit> text)
{
    const Line first = lineAt(text, 0);
    if (!first.terminated())
        return {Unit('\r'), Unit('\n')};
    return Units<Unit>(text.substr(first.end, first.next - first.end));
}

// A change of the text: [begin, end) becomes `with`.
template <typename Unit>
struct Edit
{
    std::size_t begin;
    std::size_t end;
    Units<Unit> with;
};

// The edits that set each key to its value, in the order the keys come; none
// when nothing would change. Keys are distinct (ASCII case ignored).
template <typename Unit>
std::vector<Edit<Unit>> editsFor(View<Unit> text, View<Unit> section,
                                 const std::vector<Units<Unit>> &keys,
                                 const std::vector<Units<Unit>> &values)
{
    const SectionScan scan = scanSection(text, section, keys);
    std::vector<Edit<Unit>> edits;
    Units<Unit> inserted; // the lines of the missing keys, in order
    const Units<Unit> eol = lineEndingOf(text);
    // A lone CR right before an LF would fuse with it into one line break and
    // swallow the line that follows.
    const bool wouldFuse = eol.size() == 1 && eol[0] == Unit('\r') && scan.sectionFound
                           && !scan.insertAfterUnterminatedLine && scan.insertAt < text.size()
                           && text[scan.insertAt] == Unit('\n');
    const Units<Unit> insertedEnding = wouldFuse ? Units<Unit>{Unit('\r'), Unit('\n')} : eol;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (const std::optional<KeyAt> &at = scan.keys[i]) {
            const View<Unit> old = text.substr(at->afterEquals.begin, at->afterEquals.size());
            if (old != values[i])
                edits.push_back({at->afterEquals.begin, at->afterEquals.end, values[i]});
            continue;
        }
        const bool endFirst = scan.sectionFound && scan.insertAfterUnterminatedLine;
        if (endFirst)
            inserted += eol;
        inserted += keys[i];
        inserted += Unit('=');
        inserted += values[i];
        if (!endFirst)
            inserted += insertedEnding;
    }
    if (inserted.empty())
        return edits;
    if (scan.sectionFound) {
        edits.push_back({scan.insertAt, scan.insertAt, inserted});
        return edits;
    }
    Units<Unit> appended;
    if (!text.empty() && !isLineBreak(text.back()))
        appended += eol;
    appended += Unit('[');
    appended += section;
    appended += Unit(']');
    appended += eol;
    edits.push_back({text.size(), text.size(), appended + inserted});
    return edits;
}

// The text with the edits applied, appended to `out` in one pass.
template <typename Unit, typename Out>
void applyEdits(View<Unit> text, const std::vector<Edit<Unit>> &edits, Out &out)
{
    std::size_t growth = 0;
    for (const Edit<Unit> &edit : edits)
        growth += edit.with.size();
    out.reserve(out.size() + qsizetype(text.size() + growth));
    std::vector<const Edit<Unit> *> order;
    for (const Edit<Unit> &edit : edits)
        order.push_back(&edit);
    // A replacement that ends where an insertion starts comes first.
    std::stable_sort(order.begin(), order.end(),
                     [](const Edit<Unit> *a, const Edit<Unit> *b) { return a->begin < b->begin; });
    std::size_t copied = 0;
    for (const Edit<Unit> *edit : order) {
        out.append(text.data() + copied, qsizetype(edit->begin - copied));
        out.append(edit->with.data(), qsizetype(edit->with.size()));
        copied = edit->end;
    }
    out.append(text.data() + copied, qsizetype(text.size() - copied));
}

// ---- Encodings -------------------------------------------------------------

// UTF-8 that keeps every byte: a byte that does not begin a valid sequence
// reads as U+DC80-U+DCFF (an unpaired low surrogate, which valid UTF-8 never
// gives) and is written back as that byte, so a stray Windows-1252 byte in a
// UTF-8 file survives a load and an edit of its value.
QString decodeUtf8Keeping(View<char> bytes)
{
    QString text;
    text.reserve(qsizetype(bytes.size()));
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    for (std::size_t i = 0; i < bytes.size();) {
        const unsigned char lead = byte(i);
        int length = 0;
        char32_t codePoint = 0;
        char32_t smallest = 0;
        if (lead < 0x80) {
            text += QChar(lead);
            ++i;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF)
            length = 2, codePoint = lead & 0x1F, smallest = 0x80;
        else if (lead >= 0xE0 && lead <= 0xEF)
            length = 3, codePoint = lead & 0x0F, smallest = 0x800;
        else if (lead >= 0xF0 && lead <= 0xF4)
            length = 4, codePoint = lead & 0x07, smallest = 0x10000;
        bool valid = length > 0 && i + std::size_t(length) <= bytes.size();
        for (int k = 1; valid && k < length; ++k) {
            const unsigned char next = byte(i + std::size_t(k));
            valid = (next & 0xC0) == 0x80;
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        valid = valid && codePoint >= smallest && codePoint <= 0x10FFFF
                && !(codePoint >= 0xD800 && codePoint <= 0xDFFF);
        if (!valid) {
            text += QChar(char16_t(0xDC00 + lead));
            ++i;
            continue;
        }
        if (QChar::requiresSurrogates(codePoint)) {
            text += QChar(QChar::highSurrogate(codePoint));
            text += QChar(QChar::lowSurrogate(codePoint));
        } else {
            text += QChar(char16_t(codePoint)); // also a U+FEFF that starts the value
        }
        i += std::size_t(length);
    }
    return text;
}

bool isKeptByte(char16_t unit)
{
    return unit >= 0xDC80 && unit <= 0xDCFF;
}

// The first character a UTF-8 file cannot store: an unpaired surrogate that
// does not stand for a kept byte.
std::optional<char32_t> firstUnstorableInUtf8(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (ch.isSurrogate() && !isKeptByte(ch.unicode()))
            return ch.unicode();
    }
    return std::nullopt;
}

std::optional<std::string> encodeUtf8Keeping(const QString &text)
{
    if (firstUnstorableInUtf8(text))
        return std::nullopt;
    std::string bytes;
    bytes.reserve(std::size_t(text.size()) * 3);
    qsizetype runStart = 0; // characters not yet encoded, up to a kept byte
    const auto flush = [&](qsizetype end) {
        const QByteArray run = QStringView(text).mid(runStart, end - runStart).toUtf8();
        bytes.append(run.constData(), std::size_t(run.size()));
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        if (!isKeptByte(ch.unicode()))
            continue;
        flush(i);
        bytes += char(ch.unicode() - 0xDC00);
        runStart = i + 1;
    }
    flush(text.size());
    return bytes;
}

// 8-bit files: Windows-1252 without a mark, UTF-8 after EF BB BF.
struct ByteCodec
{
    using Unit = char;
    bool utf8 = false;

    std::optional<std::string> encode(const QString &text) const
    {
        if (utf8)
            return encodeUtf8Keeping(text);
        const std::optional<QByteArray> bytes = codepage::encodeWindows1252(text);
        if (!bytes)
            return std::nullopt;
        return bytes->toStdString();
    }
    std::optional<char32_t> firstUnstorable(const QString &text) const
    {
        return utf8 ? firstUnstorableInUtf8(text) : codepage::firstUnencodable(text);
    }
    QString decode(View<char> units) const
    {
        if (utf8)
            return decodeUtf8Keeping(units);
        return codepage::decodeWindows1252(units.data(), qsizetype(units.size()));
    }
};

// Unicode files: UTF-16LE after FF FE. Every QString is storable as it is.
struct Utf16Codec
{
    using Unit = char16_t;

    std::optional<std::u16string> encode(const QString &text) const
    {
        return std::u16string(reinterpret_cast<const char16_t *>(text.utf16()),
                              static_cast<std::size_t>(text.size()));
    }
    std::optional<char32_t> firstUnstorable(const QString &) const { return std::nullopt; }
    QString decode(View<char16_t> units) const
    {
        return QString(reinterpret_cast<const QChar *>(units.data()),
                       static_cast<qsizetype>(units.size()));
    }
};

const QByteArray kUtf16LeMark("\xFF\xFE", 2);
const QByteArray kUtf16BeMark("\xFE\xFF", 2);
const QByteArray kUtf32LeMark("\xFF\xFE\0\0", 4);
const QByteArray kUtf8Mark("\xEF\xBB\xBF", 3);

// A UTF-16LE body as units; an odd last byte is kept aside and put back.
struct Utf16Body
{
    std::u16string units;
    QByteArray oddByte;
};

Utf16Body utf16Body(const QByteArray &file)
{
    Utf16Body body;
    const qsizetype size = file.size() - kUtf16LeMark.size();
    body.units.resize(static_cast<std::size_t>(size / 2));
    const auto *bytes = reinterpret_cast<const unsigned char *>(file.constData()) + 2;
    for (std::size_t i = 0; i < body.units.size(); ++i)
        body.units[i] = char16_t(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    if (size % 2)
        body.oddByte = file.right(1);
    return body;
}

QByteArray utf16Bytes(const std::u16string &units)
{
    QByteArray bytes(static_cast<qsizetype>(units.size() * 2), Qt::Uninitialized);
    for (std::size_t i = 0; i < units.size(); ++i) {
        bytes[2 * i] = char(units[i] & 0xFF);
        bytes[2 * i + 1] = char(units[i] >> 8);
    }
    return bytes;
}

// ---- What is refused ---------------------------------------------------------

// The file as the messages name it.
QString fileName(const QString &path)
{
    return path.isEmpty() ? QStringLiteral("O arquivo de configuração")
                          : QStringLiteral("O arquivo \"%1\"").arg(QDir::toNativeSeparators(path));
}

enum class Purpose { Read, Write };

// Where a file without a mark is searched for NUL bytes before a read.
constexpr qsizetype kReadNulWindow = 8 << 10;

// Files whose bytes this engine cannot edit without damaging them.
void checkContent(const QByteArray &file, const QString &path, Purpose purpose)
{
    const QByteArrayView searched =
        purpose == Purpose::Write ? QByteArrayView(file) : QByteArrayView(file).first(std::min(file.size(), kReadNulWindow));
    QString problem;
    if (file.startsWith(kUtf16BeMark))
        problem = QStringLiteral("está em UTF-16 big-endian");
    else if (file.startsWith(kUtf32LeMark))
        problem = QStringLiteral("está em UTF-32");
    else if (!file.startsWith(kUtf16LeMark) && !file.startsWith(kUtf8Mark) && searched.contains('\0'))
        problem = QStringLiteral("contém bytes nulos: está em UTF-16 sem marca ou não é um arquivo "
                                 "de texto");
    if (problem.isEmpty())
        return;
    throw Failure{FailureNumber::FileAccess,
                  fileName(path) + QLatin1Char(' ') + problem
                      + QStringLiteral(", e este programa não o edita para não estragá-lo. Nada foi "
                                       "lido nem gravado.")};
}

[[noreturn]] void refuseName(const QString &name, const char *what)
{
    throw Failure{FailureNumber::InvalidValue,
                  QStringLiteral("\"%1\" não pode ser o nome de uma %2 do arquivo de configuração. "
                                 "Nada foi gravado.")
                      .arg(name, QString::fromUtf8(what))};
}

bool hasLineBreakOrNul(const QString &text)
{
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'))
           || text.contains(QChar(0));
}

// A name the file format cannot hold, or one that would read back as another.
void checkName(const QString &name, bool isSection)
{
    const char *what = isSection ? "seção" : "chave";
    if (name.isEmpty() || isBlank(name.front().unicode()) || isBlank(name.back().unicode())
        || hasLineBreakOrNul(name))
        refuseName(name, what);
    if (isSection ? name.contains(QLatin1Char(']'))
                  : name.contains(QLatin1Char('=')) || name.startsWith(QLatin1Char(';'))
                        || name.startsWith(QLatin1Char('[')))
        refuseName(name, what);
}

QString codePointName(char32_t codePoint)
{
    return QStringLiteral("U+%1").arg(uint(codePoint), 4, 16, QLatin1Char('0')).toUpper();
}

void checkValue(const QString &key, const QString &value)
{
    if (!hasLineBreakOrNul(value))
        return;
    throw Failure{FailureNumber::InvalidValue,
                  QStringLiteral("O valor de \"%1\" contém uma quebra de linha ou um caractere nulo, "
                                 "que o arquivo de configuração não pode guardar numa linha. Nada foi "
                                 "gravado.")
                      .arg(key),
                  key};
}

template <typename Codec>
[[noreturn]] void refuseCharacter(const Codec &codec, const QString &key, const QString &text)
{
    const std::optional<char32_t> bad = codec.firstUnstorable(text);
    const char32_t codePoint = bad.value_or(U'?');
    throw Failure{FailureNumber::InvalidValue,
                  QStringLiteral("O valor de \"%1\" contém o caractere \"%2\" (%3), que o arquivo de "
                                 "configuração não pode guardar. Nada foi gravado.")
                      .arg(key, QString::fromUcs4(&codePoint, 1), codePointName(codePoint)),
                  key};
}

template <typename Codec>
auto encodeName(const Codec &codec, const QString &name)
{
    auto units = codec.encode(name);
    if (!units)
        refuseCharacter(codec, name, name);
    return *units;
}

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
                                     return foldAscii(a.unicode()) == foldAscii(b.unicode());
                                 });
        });
        if (same == keys.end())
            keys.push_back(pair);
        else
            same->value = pair.value;
    }
    return keys;
}

// ---- Both directions on one body -------------------------------------------

template <typename Codec>
QStringList valuesInBody(View<typename Codec::Unit> text, const Codec &codec,
                         const QString &section, const QStringList &keys,
                         const QString &defaultValue)
{
    using Unit = typename Codec::Unit;
    QStringList values;
    const auto sectionUnits = codec.encode(section);
    std::vector<Units<Unit>> keyUnits;
    std::vector<bool> storable;
    for (const QString &key : keys) {
        const auto units = codec.encode(key);
        storable.push_back(units.has_value());
        keyUnits.push_back(units.value_or(Units<Unit>()));
    }
    // A name the file cannot hold cannot be in it.
    const SectionScan scan = sectionUnits ? scanSection<Unit>(text, *sectionUnits, keyUnits)
                                          : SectionScan{false, {}, 0, false};
    for (std::size_t i = 0; i < std::size_t(keys.size()); ++i) {
        const bool found = sectionUnits && storable[i] && scan.keys[i];
        values << (found ? codec.decode(text.substr(scan.keys[i]->value.begin,
                                                    scan.keys[i]->value.size()))
                         : defaultValue);
    }
    return values;
}

template <typename Codec, typename Out>
bool withValuesInBody(View<typename Codec::Unit> text, const Codec &codec, const QString &section,
                      const std::vector<KeyValue> &values, Out &out)
{
    using Unit = typename Codec::Unit;
    const Units<Unit> sectionUnits = encodeName(codec, section);
    for (const KeyValue &pair : values) { // every one, also those a later pair overrides
        encodeName(codec, pair.key);
        if (!codec.encode(pair.value))
            refuseCharacter(codec, pair.key, pair.value);
    }
    std::vector<Units<Unit>> keys;
    std::vector<Units<Unit>> encoded;
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

View<char> byteBody(const QByteArray &file, qsizetype markSize)
{
    return View<char>(file.constData() + markSize, static_cast<std::size_t>(file.size() - markSize));
}

QStringList valuesInChecked(const QByteArray &file, const QString &section,
                            const QStringList &keys, const QString &defaultValue)
{
    checkName(section, true);
    for (const QString &key : keys)
        checkName(key, false);
    if (file.startsWith(kUtf16LeMark)) {
        const Utf16Body body = utf16Body(file);
        return valuesInBody<Utf16Codec>(body.units, Utf16Codec{}, section, keys, defaultValue);
    }
    const bool utf8 = file.startsWith(kUtf8Mark);
    return valuesInBody(byteBody(file, utf8 ? kUtf8Mark.size() : 0), ByteCodec{utf8}, section,
                        keys, defaultValue);
}

std::optional<QByteArray> withValuesChecked(const QByteArray &file, const QString &section,
                                            const std::vector<KeyValue> &values)
{
    checkName(section, true);
    for (const KeyValue &pair : values) {
        checkName(pair.key, false);
        checkValue(pair.key, pair.value);
    }
    if (file.startsWith(kUtf16LeMark)) {
        const Utf16Body body = utf16Body(file);
        std::u16string changed;
        if (!withValuesInBody<Utf16Codec>(body.units, Utf16Codec{}, section, values, changed))
            return std::nullopt;
        return kUtf16LeMark + utf16Bytes(changed) + body.oddByte;
    }
    const bool utf8 = file.startsWith(kUtf8Mark);
    const qsizetype markSize = utf8 ? kUtf8Mark.size() : 0;
    QByteArray out(file.constData(), markSize); // the mark, then the changed body
    if (!withValuesInBody(byteBody(file, markSize), ByteCodec{utf8}, section, values, out))
        return std::nullopt;
    return out;
}

} // namespace

QStringList valuesIn(const QByteArray &file, const QString &section, const QStringList &keys,
                     const QString &defaultValue)
{
    checkContent(file, QString(), Purpose::Read);
    return valuesInChecked(file, section, keys, defaultValue);
}

QString valueIn(const QByteArray &file, const QString &section, const QString &key,
                const QString &defaultValue)
{
    return valuesIn(file, section, {key}, defaultValue).constFirst();
}

std::optional<QByteArray> withValues(const QByteArray &file, const QString &section,
                                     const std::vector<KeyValue> &values)
{
    checkContent(file, QString(), Purpose::Write);
    return withValuesChecked(file, section, values);
}

QByteArray withValue(const QByteArray &file, const QString &section, const QString &key,
                     const QString &value)
{
    return withValues(file, section, {{key, value}}).value_or(file);
}

QStringList readStrings(const QString &section, const QStringList &keys, const QString &defaultValue,
                        const QString &path)
{
    const std::optional<QByteArray> file = filebytes::read(path);
    if (file)
        checkContent(*file, path, Purpose::Read);
    return valuesInChecked(file.value_or(QByteArray()), section, keys, defaultValue);
}

QString readString(const QString &section, const QString &key, const QString &defaultValue,
                   const QString &path)
{
    return readStrings(section, {key}, defaultValue, path).constFirst();
}

void writeStrings(const QString &section, const std::vector<KeyValue> &values, const QString &path)
{
    filebytes::checkWritable(path);
    const std::optional<QByteArray> file = filebytes::read(path);
    if (file)
        checkContent(*file, path, Purpose::Write);
    const std::optional<QByteArray> changed =
        withValuesChecked(file.value_or(QByteArray()), section, values);
    if (changed)
        filebytes::replace(path, *changed);
}

void writeString(const QString &section, const QString &key, const QString &value,
                 const QString &path)
{
    writeStrings(section, {{key, value}}, path);
}

} // namespace profile
