#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Lossless Windows-1252: every byte 0x00-0xFF decodes to one character and
// encodes back to the same byte. The five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) decode to the C1 controls with the
// same number, so a load followed by an unchanged save never alters a byte.
namespace engine::codepage {

QString decodeWindows1252(const char *data, qsizetype size);
inline QString decodeWindows1252(const QByteArray &bytes)
{
    return decodeWindows1252(bytes.constData(), bytes.size());
}

// nullopt when the text holds a character Windows-1252 cannot store.
std::optional<QByteArray> encodeWindows1252(const QString &text);

// The code point of the first character that Windows-1252 cannot store, if any.
std::optional<char32_t> firstUnencodable(const QString &text);

} // namespace engine::codepage
