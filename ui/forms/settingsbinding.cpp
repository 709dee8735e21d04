#include "settingsbinding.h"

#include "flags.h"
#include "formbuilder.h"
#include "handlers.h"
#include "module1.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSet>

namespace forms {

void loadSettings(QWidget *form, catalogue::Window window, const PathSource &path,
                  LoadPolicy policy)
{
    QSet<QLineEdit *> filled; // boxes a key of this load gave a non-empty value
    for (const catalogue::Entry &entry : catalogue::loadOrder(window)) {
        const auto step = [&] {
            const QString key = QLatin1String(entry.key);
            const QString value = Module1::ReadIni(catalogue::kSection, key, QString(), path());
            if (entry.kind == catalogue::Kind::Text) {
                auto *box = child<QLineEdit>(form, entry.control);
                if (value.isEmpty() && filled.contains(box))
                    return;
                box->setText(value);
                if (!value.isEmpty())
                    filled.insert(box);
                return;
            }
            const bool checked = policy.unreadableFlagClears
                                     ? flags::fromText(value).value_or(false)
                                     : flags::fromTextOrFail(value, key);
            child<QCheckBox>(form, entry.control)->setChecked(checked);
        };
        if (policy.resumeNext)
            resumeNext(step);
        else
            step();
    }
}

void saveSettings(QWidget *form, catalogue::Window window, const PathSource &path)
{
    for (const catalogue::Entry &entry : catalogue::saveOrder(window)) {
        const QString text = entry.kind == catalogue::Kind::Text
                                 ? child<QLineEdit>(form, entry.control)->text()
                                 : flags::toText(child<QCheckBox>(form, entry.control)->isChecked());
        Module1::WriteIni(QLatin1String(entry.key), text, path());
    }
}

} // namespace forms
