#include "profile.h"

#include "codepage.h"
#include "failure.h"
#include "filebytes.h"

#include <QStringDecoder>

#include <optional>
#include <string>
#include <string_view>

namespace profile {
namespace {

// ---- Lines and names, on code units (bytes, or UTF-16 units) ------------------

template <typename Unit>
using View = std::basic_string_view<Unit>;
template <typename Unit>
using Units = std::basic_string<Unit>;

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

// Where a key stands in a file, or where it would go.
struct Location
{
    bool sectionFound = false;
    bool keyFound = false;
    Span value;               // the key's value, blanks around it removed
    Span afterEquals;         // everything after its '=' up to the line ending
    std::size_t insertAt = 0; // where a missing key's line goes
    bool insertAfterUnterminatedLine = false;
};

template <typename Unit>
Location locate(View<Unit> text, View<Unit> section, View<Unit> key)
{
    Location found;
    bool inSection = false;
    for (std::size_t pos = 0; pos < text.size();) {
        const Line line = lineAt(text, pos);
        pos = line.next;
        std::size_t first = line.begin;
        while (first < line.end && isBlank(text[first]))
            ++first;
        if (first == line.end)
            continue;
        if (text[first] == Unit('[')) {
            if (inSection)
                break; // only the first matching section counts
            std::size_t close = first + 1;
            while (close < line.end && text[close] != Unit(']'))
                ++close;
            if (sameName(text, trimmed(text, first + 1, close), section)) {
                inSection = found.sectionFound = true;
                found.insertAt = line.next;
                found.insertAfterUnterminatedLine = !line.terminated();
            }
            continue;
        }
        if (!inSection || text[first] == Unit(';'))
            continue;
        std::size_t equals = first;
        while (equals < line.end && text[equals] != Unit('='))
            ++equals;
        if (equals == line.end)
            continue; // a line without '=' is no key
        found.insertAt = line.next;
        found.insertAfterUnterminatedLine = !line.terminated();
        if (sameName(text, trimmed(text, first, equals), key)) {
            found.keyFound = true;
            found.afterEquals = {equals + 1, line.end};
            found.value = trimmed(text, equals + 1, line.end);
            return found;
        }
    }
    return found;
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

template <typename Unit>
Units<Unit> keyLine(View<Unit> key, View<Unit> value)
{
    Units<Unit> line(key);
    line += Unit('=');
    line += value;
    return line;
}

// The text with the key set to the value; nullopt when that changes nothing.
template <typename Unit>
std::optional<Units<Unit>> spliced(View<Unit> text, View<Unit> section, View<Unit> key,
                                   View<Unit> value)
{
    const Location at = locate(text, section, key);
    Units<Unit> out;
    if (at.keyFound) {
        if (text.substr(at.afterEquals.begin, at.afterEquals.size()) == value)
            return std::nullopt;
        out.reserve(text.size() + value.size());
        out.append(text.substr(0, at.afterEquals.begin));
        out.append(value);
        out.append(text.substr(at.afterEquals.end));
        return out;
    }
    const Units<Unit> eol = lineEndingOf(text);
    if (at.sectionFound) {
        out.reserve(text.size() + key.size() + value.size() + 3);
        out.append(text.substr(0, at.insertAt));
        if (at.insertAfterUnterminatedLine) {
            out.append(eol);
            out.append(keyLine(key, value));
        } else {
            out.append(keyLine(key, value));
            // A lone CR right before an LF would fuse with it into one line
            // break and swallow the line that follows.
            const bool wouldFuse = eol.size() == 1 && eol[0] == Unit('\r')
                                   && at.insertAt < text.size() && text[at.insertAt] == Unit('\n');
            out.append(wouldFuse ? Units<Unit>{Unit('\r'), Unit('\n')} : eol);
        }
        out.append(text.substr(at.insertAt));
        return out;
    }
    out.reserve(text.size() + section.size() + key.size() + value.size() + 9);
    out.append(text);
    if (!text.empty() && !isLineBreak(text.back()))
        out.append(eol);
    out += Unit('[');
    out.append(section);
    out += Unit(']');
    out.append(eol);
    out.append(keyLine(key, value));
    out.append(eol);
    return out;
}

// ---- Encodings -------------------------------------------------------------

bool hasUnpairedSurrogate(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (ch.isSurrogate())
            return true;
    }
    return false;
}

// 8-bit files: Windows-1252 without a mark, UTF-8 after EF BB BF.
struct ByteCodec
{
    using Unit = char;
    bool utf8 = false;

    std::optional<std::string> encode(const QString &text) const
    {
        if (utf8) {
            if (hasUnpairedSurrogate(text))
                return std::nullopt;
            return text.toUtf8().toStdString();
        }
        const std::optional<QByteArray> bytes = codepage::encodeWindows1252(text);
        if (!bytes)
            return std::nullopt;
        return bytes->toStdString();
    }
    QString decode(View<char> units) const
    {
        const auto size = static_cast<qsizetype>(units.size());
        if (!utf8)
            return codepage::decodeWindows1252(units.data(), size);
        // QString::fromUtf8 would drop a leading U+FEFF, and an unchanged
        // save would then lose its three bytes.
        QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::ConvertInitialBom);
        return decoder.decode(QByteArrayView(units.data(), size));
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
    QString decode(View<char16_t> units) const
    {
        return QString(reinterpret_cast<const QChar *>(units.data()),
                       static_cast<qsizetype>(units.size()));
    }
};

const QByteArray kUtf16LeMark("\xFF\xFE", 2);
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

QString codePointName(char32_t codePoint)
{
    return QStringLiteral("U+%1").arg(uint(codePoint), 4, 16, QLatin1Char('0')).toUpper();
}

[[noreturn]] void refuseValue(const QString &key, const QString &value)
{
    const std::optional<char32_t> bad = codepage::firstUnencodable(value);
    const QString character = bad ? QString::fromUcs4(&*bad, 1) : QString();
    throw Failure{FailureNumber::InvalidValue,
                  QStringLiteral("O valor de \"%1\" contém o caractere \"%2\" (%3), que o arquivo "
                                 "de configuração não pode guardar. Nada foi gravado para \"%1\".")
                      .arg(key, character, codePointName(bad.value_or(U'?')))};
}

template <typename Codec>
QString valueInBody(View<typename Codec::Unit> text, const Codec &codec, const QString &section,
                    const QString &key, const QString &defaultValue)
{
    const auto sectionUnits = codec.encode(section);
    const auto keyUnits = codec.encode(key);
    if (!sectionUnits || !keyUnits)
        return defaultValue; // a name the file cannot hold cannot be in it
    const Location at = locate<typename Codec::Unit>(text, *sectionUnits, *keyUnits);
    if (!at.keyFound)
        return defaultValue;
    return codec.decode(text.substr(at.value.begin, at.value.size()));
}

template <typename Codec>
auto withValueInBody(View<typename Codec::Unit> text, const Codec &codec, const QString &section,
                     const QString &key, const QString &value)
{
    const auto sectionUnits = codec.encode(section);
    const auto keyUnits = codec.encode(key);
    if (!sectionUnits || !keyUnits) {
        throw Failure{FailureNumber::InvalidValue,
                      QStringLiteral("O nome \"%1\" não pode ser gravado no arquivo de configuração.")
                          .arg(sectionUnits ? key : section)};
    }
    const auto valueUnits = codec.encode(value);
    if (!valueUnits)
        refuseValue(key, value);
    return spliced<typename Codec::Unit>(text, *sectionUnits, *keyUnits, *valueUnits);
}

View<char> byteBody(const QByteArray &file, qsizetype markSize)
{
    return View<char>(file.constData() + markSize, static_cast<std::size_t>(file.size() - markSize));
}

} // namespace

QString valueIn(const QByteArray &file, const QString &section, const QString &key,
                const QString &defaultValue)
{
    if (file.startsWith(kUtf16LeMark)) {
        const Utf16Body body = utf16Body(file);
        return valueInBody<Utf16Codec>(body.units, Utf16Codec{}, section, key, defaultValue);
    }
    const bool utf8 = file.startsWith(kUtf8Mark);
    return valueInBody(byteBody(file, utf8 ? kUtf8Mark.size() : 0), ByteCodec{utf8}, section, key,
                       defaultValue);
}

QByteArray withValue(const QByteArray &file, const QString &section, const QString &key,
                     const QString &value)
{
    if (value.contains(QLatin1Char('\r')) || value.contains(QLatin1Char('\n'))
        || value.contains(QChar(0))) {
        throw Failure{FailureNumber::InvalidValue,
                      QStringLiteral("O valor de \"%1\" contém uma quebra de linha ou um caractere "
                                     "nulo, que o arquivo de configuração não pode guardar numa "
                                     "linha. Nada foi gravado para \"%1\".")
                          .arg(key)};
    }
    if (file.startsWith(kUtf16LeMark)) {
        const Utf16Body body = utf16Body(file);
        const auto changed =
            withValueInBody<Utf16Codec>(body.units, Utf16Codec{}, section, key, value);
        return changed ? kUtf16LeMark + utf16Bytes(*changed) + body.oddByte : file;
    }
    const bool utf8 = file.startsWith(kUtf8Mark);
    const qsizetype markSize = utf8 ? kUtf8Mark.size() : 0;
    const auto changed =
        withValueInBody(byteBody(file, markSize), ByteCodec{utf8}, section, key, value);
    if (!changed)
        return file;
    QByteArray out;
    out.reserve(markSize + static_cast<qsizetype>(changed->size()));
    out.append(file.constData(), markSize);
    out.append(changed->data(), static_cast<qsizetype>(changed->size()));
    return out;
}

QString readString(const QString &section, const QString &key, const QString &defaultValue,
                   const QString &path)
{
    const std::optional<QByteArray> file = filebytes::read(path);
    return file ? valueIn(*file, section, key, defaultValue) : defaultValue;
}

void writeString(const QString &section, const QString &key, const QString &value,
                 const QString &path)
{
    filebytes::checkWritable(path);
    const std::optional<QByteArray> file = filebytes::read(path);
    const QByteArray before = file.value_or(QByteArray());
    const QByteArray after = withValue(before, section, key, value);
    if (file && after == before)
        return; // nothing would change: leave the file untouched
    filebytes::replace(path, after);
}

} // namespace profile
