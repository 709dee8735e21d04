#include "engine/inifile/encodings.h"

#include <QStringView>

#include <algorithm>
#include <cstring>

namespace engine::inifile::encodings {

QString decodeUtf8Keeping(std::string_view bytes)
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

namespace {

bool isKeptByte(char16_t unit)
{
    return unit >= 0xDC80 && unit <= 0xDCFF;
}

// The first surrogate without its pair that `counts`.
template <typename Counts>
std::optional<char32_t> firstLoneSurrogate(const QString &text, Counts counts)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (ch.isSurrogate() && counts(ch.unicode()))
            return ch.unicode();
    }
    return std::nullopt;
}

} // namespace

// The first character a UTF-8 file cannot store: an unpaired surrogate that
// does not stand for a kept byte.
std::optional<char32_t> firstUnstorableInUtf8(const QString &text)
{
    return firstLoneSurrogate(text, [](char16_t unit) { return !isKeptByte(unit); });
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

std::optional<char32_t> firstUnpairedSurrogate(const QString &text)
{
    return firstLoneSurrogate(text, [](char16_t) { return true; });
}

bool isAscii(std::string_view bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char byte) { return quint8(byte) < 0x80; });
}

bool isAscii(const QString &text)
{
    return std::all_of(text.begin(), text.end(), [](QChar ch) { return ch.unicode() < 0x80; });
}

bool isUtf8Text(std::string_view bytes)
{
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.data());
    const std::size_t size = bytes.size();
    bool multiByte = false;
    for (std::size_t i = 0; i < size;) {
        // Runs of ASCII, eight bytes at a time: most of a settings file.
        if (i + 8 <= size) {
            quint64 word;
            std::memcpy(&word, data + i, 8);
            if ((word & 0x8080808080808080ULL) == 0) {
                i += 8;
                continue;
            }
        }
        const unsigned char lead = data[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        unsigned char low = 0x80; // the range of the second byte, which rules out
        unsigned char high = 0xBF; // overlong forms, surrogates and code points past U+10FFFF
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (i + length > size || data[i + 1] < low || data[i + 1] > high)
            return false;
        for (std::size_t k = 2; k < length; ++k) {
            if ((data[i + k] & 0xC0) != 0x80)
                return false;
        }
        multiByte = true;
        i += length;
    }
    return multiByte;
}

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

} // namespace engine::inifile::encodings
