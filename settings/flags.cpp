#include "settings/flags.h"

#include "engine/failure.h"

#include <QLocale>

namespace settings::flags {

std::optional<bool> fromText(const QString &text)
{
    bool isNumber = false;
    const double number = QLocale::c().toDouble(text.trimmed(), &isNumber);
    if (!isNumber)
        return std::nullopt;
    return number == 1.0;
}

bool fromTextOrFail(const QString &text, const QString &key)
{
    const std::optional<bool> value = fromText(text);
    if (!value) {
        throw engine::Failure{engine::FailureNumber::TypeMismatch,
                              QStringLiteral("Tipo incompatível: o valor de \"%1\" (\"%2\") não é um número; "
                                             "esperava-se 0 ou 1.")
                                  .arg(key, text)};
    }
    return *value;
}

QString toText(bool yes)
{
    return yes ? QStringLiteral("1") : QStringLiteral("0");
}

QString fromInput(const QString &text, const QString &key)
{
    const QString word = text.toLower();
    if (word == QLatin1String("1") || word == QLatin1String("true") || word == QLatin1String("yes")
        || word == QLatin1String("sim"))
        return toText(true);
    if (word == QLatin1String("0") || word == QLatin1String("false") || word == QLatin1String("no")
        || word == QStringLiteral("não"))
        return toText(false);
    throw engine::Failure{engine::FailureNumber::InvalidValue,
                          QStringLiteral("O valor de \"%1\" é sim ou não: 0 ou 1, não \"%2\". Nada foi gravado.").arg(key, text)};
}

} // namespace settings::flags
