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

QString toText(bool checked)
{
    return checked ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace settings::flags
