#pragma once

// How a settings file's bytes become text and back, by its byte-order mark:
// none (Windows-1252, lossless), UTF-8 (EF BB BF) or UTF-16LE (FF FE).

#include "engine/codepage.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace engine::inifile::encodings {

inline const QByteArray kUtf16LeMark("\xFF\xFE", 2);
inline const QByteArray kUtf16BeMark("\xFE\xFF", 2);
inline const QByteArray kUtf32LeMark("\xFF\xFE\0\0", 4);
inline const QByteArray kUtf8Mark("\xEF\xBB\xBF", 3);

// UTF-8 that keeps every byte: a byte that does not begin a valid sequence
// reads as U+DC80-U+DCFF (an unpaired low surrogate, which valid UTF-8 never
// gives) and is written back as that byte, so a stray Windows-1252 byte in a
// UTF-8 file survives a load and an edit of its value.
QString decodeUtf8Keeping(std::string_view bytes);
// nullopt when the text holds an unpaired surrogate that stands for no byte.
std::optional<std::string> encodeUtf8Keeping(const QString &text);
// That surrogate, if any.
std::optional<char32_t> firstUnstorableInUtf8(const QString &text);
// The first unpaired surrogate, if any: what no valid UTF-8 can hold.
std::optional<char32_t> firstUnpairedSurrogate(const QString &text);

// Whether a file without a mark is UTF-8: every byte valid UTF-8, and at
// least one multi-byte sequence (plain ASCII stays Windows-1252).
bool isUtf8Text(std::string_view bytes);

// 8-bit files: Windows-1252, UTF-8 after EF BB BF (which keeps stray bytes),
// or UTF-8 without a mark (all of whose bytes are valid UTF-8 and stay so: a
// character that stands for a stray byte cannot be stored in it).
enum class ByteEncoding { Windows1252, Utf8WithMark, Utf8 };

bool isAscii(std::string_view bytes);
bool isAscii(const QString &text);

// Which of the two a file without a mark is, is looked up (a pass over the
// whole file) only once a text to read or write is not plain ASCII, which
// both store alike: most reads and writes never need it.
class ByteCodec
{
public:
    using Unit = char;

    ByteCodec(bool utf8Mark, std::string_view body)
        : m_body(body)
    {
        if (utf8Mark)
            m_encoding = ByteEncoding::Utf8WithMark;
    }

    std::optional<std::string> encode(const QString &text) const
    {
        if (isAscii(text))
            return text.toLatin1().toStdString();
        if (encoding() != ByteEncoding::Windows1252) {
            if (firstUnstorable(text))
                return std::nullopt;
            return encodeUtf8Keeping(text);
        }
        const std::optional<QByteArray> bytes = codepage::encodeWindows1252(text);
        if (!bytes)
            return std::nullopt;
        return bytes->toStdString();
    }
    std::optional<char32_t> firstUnstorable(const QString &text) const
    {
        if (isAscii(text))
            return std::nullopt;
        switch (encoding()) {
        case ByteEncoding::Windows1252:
            return codepage::firstUnencodable(text);
        case ByteEncoding::Utf8WithMark:
            return firstUnstorableInUtf8(text);
        case ByteEncoding::Utf8:
            return firstUnpairedSurrogate(text);
        }
        return std::nullopt;
    }
    QString decode(std::string_view units) const
    {
        if (!isAscii(units) && encoding() != ByteEncoding::Windows1252)
            return decodeUtf8Keeping(units);
        return codepage::decodeWindows1252(units.data(), qsizetype(units.size()));
    }

private:
    ByteEncoding encoding() const
    {
        if (!m_encoding)
            m_encoding = isUtf8Text(m_body) ? ByteEncoding::Utf8 : ByteEncoding::Windows1252;
        return *m_encoding;
    }

    std::string_view m_body;
    mutable std::optional<ByteEncoding> m_encoding;
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
    QString decode(std::u16string_view units) const
    {
        return QString(reinterpret_cast<const QChar *>(units.data()),
                       static_cast<qsizetype>(units.size()));
    }
};

// A UTF-16LE body as units; an odd last byte is kept aside and put back.
struct Utf16Body
{
    std::u16string units;
    QByteArray oddByte;
};
Utf16Body utf16Body(const QByteArray &file); // the file with its mark
QByteArray utf16Bytes(const std::u16string &units);

} // namespace engine::inifile::encodings
