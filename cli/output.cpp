#include "cli/output.h"

#include "engine/inifile/encodings.h"

namespace cli::output {
namespace {

bool isControl(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

// Characters that change how a terminal lays out the text around them.
bool isLayoutFormat(char16_t c)
{
    return c == 0x2028 || c == 0x2029 || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

// What a byte that is not UTF-8 reads as (encodings.h).
bool isStrayByte(char16_t c)
{
    return c >= 0xDC80 && c <= 0xDCFF;
}

QString hex(uint value, int digits)
{
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0'));
}

} // namespace

QString escaped(const QString &value)
{
    QString text;
    text.reserve(value.size());
    for (const QChar ch : value) {
        const char16_t c = ch.unicode();
        if (isControl(c))
            text += QStringLiteral("\\x") + hex(c, 2);
        else if (isStrayByte(c))
            text += QStringLiteral("\\x") + hex(c - 0xDC00, 2);
        else if (isLayoutFormat(c))
            text += QStringLiteral("\\u") + hex(c, 4);
        else
            text += ch;
    }
    return text;
}

QByteArray raw(const QString &value)
{
    const std::optional<std::string> bytes = engine::inifile::encodings::encodeUtf8Keeping(value);
    return bytes ? QByteArray::fromStdString(*bytes) : value.toUtf8();
}

QString jsonString(const QString &value)
{
    QString text = QStringLiteral("\"");
    for (const QChar ch : value) {
        const char16_t c = ch.unicode();
        if (c == u'"' || c == u'\\')
            text += QLatin1Char('\\') + ch;
        else if (c == u'\n')
            text += QStringLiteral("\\n");
        else if (c == u'\r')
            text += QStringLiteral("\\r");
        else if (c == u'\t')
            text += QStringLiteral("\\t");
        else if (isControl(c) || isLayoutFormat(c) || ch.isSurrogate())
            text += QStringLiteral("\\u") + hex(c, 4);
        else
            text += ch;
    }
    return text + QLatin1Char('"');
}

} // namespace cli::output
