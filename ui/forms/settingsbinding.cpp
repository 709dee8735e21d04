#include "settingsbinding.h"

#include "failure.h"
#include "flags.h"
#include "formbuilder.h"
#include "module1.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSet>

namespace forms {
namespace {

// What a control holds, as the file stores it; nullopt for a flag whose state
// is unknown.
std::optional<QString> held(QWidget *control)
{
    if (auto *box = qobject_cast<QLineEdit *>(control))
        return box->text();
    const Qt::CheckState state = static_cast<QCheckBox *>(control)->checkState();
    if (state == Qt::PartiallyChecked)
        return std::nullopt;
    return flags::toText(state == Qt::Checked);
}

} // namespace

SettingsBinding::SettingsBinding(QWidget *form, catalogue::Window window, PathSource path)
    : m_path(std::move(path))
{
    for (const catalogue::Entry &entry : catalogue::loadOrder(window))
        m_loadOrder.push_back({entry, child<QWidget>(form, entry.control)});
    for (const catalogue::Entry &entry : catalogue::saveOrder(window))
        m_saveOrder.push_back({entry, child<QWidget>(form, entry.control)});
    for (const Field &field : m_loadOrder) {
        // An unknown flag is the partial state; once the user sets the box
        // it goes back to plain yes or no.
        if (auto *check = qobject_cast<QCheckBox *>(field.control))
            QObject::connect(check, &QCheckBox::clicked, check, [check] { check->setTristate(false); });
    }
    remember();
}

void SettingsBinding::load(bool reportUnknownFlags)
{
    QStringList keys;
    for (const Field &field : m_loadOrder)
        keys << QLatin1String(field.entry.key);
    const QStringList values = Module1::ReadIniKeys(catalogue::kSection, keys, m_path());

    QSet<QLineEdit *> filled; // boxes a key of this load gave a non-empty value
    std::optional<Failure> unknownFlag;
    for (std::size_t i = 0; i < m_loadOrder.size(); ++i) {
        const Field &field = m_loadOrder[i];
        const QString &value = values[qsizetype(i)];
        if (auto *box = qobject_cast<QLineEdit *>(field.control)) {
            if (value.isEmpty() && filled.contains(box))
                continue;
            box->setText(value);
            box->setCursorPosition(0); // show a long value from its start
            if (!value.isEmpty())
                filled.insert(box);
            continue;
        }
        auto *check = static_cast<QCheckBox *>(field.control);
        try {
            const bool yes = flags::fromTextOrFail(value, QLatin1String(field.entry.key));
            check->setTristate(false);
            check->setChecked(yes);
        } catch (const Failure &failure) {
            check->setCheckState(Qt::PartiallyChecked);
            if (!unknownFlag)
                unknownFlag = failure;
        }
    }
    remember();
    if (unknownFlag && reportUnknownFlags)
        throw *unknownFlag;
}

void SettingsBinding::save()
{
    std::vector<Module1::Setting> changed;
    for (const Field &field : m_saveOrder) {
        const std::optional<QString> now = held(field.control);
        if (now && now != m_remembered.value(field.control))
            changed.push_back({QLatin1String(field.entry.key), *now});
    }
    if (changed.empty())
        return;
    try {
        Module1::WriteIniKeys(changed, m_path());
    } catch (Failure &failure) {
        for (const Field &field : m_saveOrder) {
            if (failure.key == QLatin1String(field.entry.key)) {
                failure.description = QStringLiteral("Campo \"%1\": ").arg(field.control->accessibleName())
                                      + failure.description;
                break;
            }
        }
        throw;
    }
    remember();
}

void SettingsBinding::remember()
{
    for (const Field &field : m_loadOrder)
        m_remembered.insert(field.control, held(field.control));
}

} // namespace forms
