#include "engine/inifile/refusals.h"

#include "engine/failure.h"
#include "engine/inifile.h"
#include "engine/inifile/encodings.h"
#include "engine/inifile/parsing.h"

#include <QByteArrayView>
#include <QDir>

namespace engine::inifile::refusals {
namespace {

using namespace encodings;

// The file as the messages name it.
QString fileName(const QString &path)
{
    return path.isEmpty() ? QStringLiteral("O arquivo de configuração")
                          : QStringLiteral("O arquivo \"%1\"").arg(QDir::toNativeSeparators(path));
}

// Where a file without a mark is searched for NUL bytes before a read.
constexpr qsizetype kReadNulWindow = 8 << 10;

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

QString codePointName(char32_t codePoint)
{
    return QStringLiteral("U+%1").arg(uint(codePoint), 4, 16, QLatin1Char('0')).toUpper();
}

} // namespace

void checkContent(const QByteArray &file, const QString &path, NulSearch nulSearch)
{
    const QByteArrayView searched =
        nulSearch == NulSearch::WholeFile ? QByteArrayView(file) : QByteArrayView(file).first(std::min(file.size(), kReadNulWindow));
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

void checkName(const QString &name, bool isSection)
{
    const char *what = isSection ? "seção" : "chave";
    if (name.isEmpty() || parsing::isBlank(name.front().unicode()) || parsing::isBlank(name.back().unicode())
        || hasLineBreakOrNul(name))
        refuseName(name, what);
    if (isSection ? name.contains(QLatin1Char(']'))
                  : name.contains(QLatin1Char('=')) || name.startsWith(QLatin1Char(';'))
                        || name.startsWith(QLatin1Char('[')))
        refuseName(name, what);
}

void checkValue(const QString &key, const QString &value)
{
    if (hasLineBreakOrNul(value)) {
        throw Failure{FailureNumber::InvalidValue,
                      QStringLiteral("O valor de \"%1\" contém uma quebra de linha ou um caractere nulo, "
                                     "que o arquivo de configuração não pode guardar numa linha. Nada foi "
                                     "gravado.")
                          .arg(key),
                      key};
    }
    // Other control characters (an escape sequence pasted from a terminal,
    // C1's CSI) would reach the game server and terminals raw; the line
    // separators and the bidirectional formatting characters change how the
    // text around them shows. A value of a game server has no use for them.
    for (const QChar ch : value) {
        const Refused refused = refusedInValues(ch);
        if (refused != Refused::No) {
            throw Failure{FailureNumber::InvalidValue,
                          QStringLiteral("O valor de \"%1\" contém o caractere %2 %3, que o arquivo de "
                                         "configuração não guarda. Nada foi gravado.")
                              .arg(key,
                                   refused == Refused::Control ? QStringLiteral("de controle") : QStringLiteral("de formatação"),
                                   codePointName(ch.unicode())),
                          key};
        }
    }
}

void refuseCharacter(const QString &key, char32_t codePoint)
{
    throw Failure{FailureNumber::InvalidValue,
                  QStringLiteral("O valor de \"%1\" contém o caractere \"%2\" (%3), que o arquivo de "
                                 "configuração não pode guardar. Nada foi gravado.")
                      .arg(key, QString::fromUcs4(&codePoint, 1), codePointName(codePoint)),
                  key};
}

} // namespace engine::inifile::refusals
