#include "cli/output.h"

#include "engine/inifile.h"

namespace cli {
namespace {

// A character a terminal would act on: what a value may not hold as a
// control character, and the tab, which would move the line's columns.
bool isControl(QChar c)
{
    return c == QLatin1Char('\t') || engine::inifile::refusedInValues(c) == engine::inifile::Refused::Control;
}

// Characters that change how a terminal lays out the text around them.
bool isLayoutFormat(QChar c)
{
    return engine::inifile::refusedInValues(c) == engine::inifile::Refused::Layout;
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
        if (isControl(ch))
            text += QStringLiteral("\\x") + hex(ch.unicode(), 2);
        else if (const std::optional<uchar> stray = engine::inifile::strayByte(ch))
            text += QStringLiteral("\\x") + hex(*stray, 2);
        else if (isLayoutFormat(ch))
            text += QStringLiteral("\\u") + hex(ch.unicode(), 4);
        else
            text += ch;
    }
    return text;
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
        else if (isControl(ch) || isLayoutFormat(ch) || ch.isSurrogate())
            text += QStringLiteral("\\u") + hex(c, 4);
        else
            text += ch;
    }
    return text + QLatin1Char('"');
}

} // namespace cli
