#pragma once

#include <QValidator>

namespace ui::forms {

// Keeps line breaks out of a one-line box, typed or pasted: a path copied
// from a terminal with its line break is the path.
class WithoutLineBreaks : public QValidator
{
    Q_OBJECT

public:
    using QValidator::QValidator;
    State validate(QString &input, int &position) const override;
};

} // namespace ui::forms
