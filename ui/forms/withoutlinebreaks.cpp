#include "ui/forms/withoutlinebreaks.h"

namespace ui::forms {

QValidator::State WithoutLineBreaks::validate(QString &input, int &position) const
{
    for (qsizetype i = input.size(); i-- > 0;) {
        if (input.at(i) != QLatin1Char('\r') && input.at(i) != QLatin1Char('\n'))
            continue;
        input.remove(i, 1);
        if (i < position)
            --position;
    }
    return Acceptable;
}

} // namespace ui::forms
