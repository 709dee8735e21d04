#include "ui/forms/settingsbinding.h"

#include "platform/failure.h"
#include "platform/gui/dialogs.h"
#include "settings/flags.h"
#include "settings/settingsfile.h"
#include "ui/forms/filework.h"
#include "ui/identity.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSet>

#include <algorithm>

namespace forms {
namespace {

bool isFlag(const settings::Key *key)
{
    return key->kind == settings::Kind::Flag;
}

// What a control holds, as the file stores it; nullopt for a flag whose state
// is unknown.
std::optional<QString> held(const settings::Key *key, QWidget *control)
{
    if (!isFlag(key))
        return static_cast<QLineEdit *>(control)->text();
    const Qt::CheckState state = static_cast<QCheckBox *>(control)->checkState();
    if (state == Qt::PartiallyChecked)
        return std::nullopt;
    return flags::toText(state == Qt::Checked);
}

} // namespace

SettingsBinding::SettingsBinding(QWidget *owner, const Controls &controls, const Window &window, PathSource path)
    : m_owner(owner)
    , m_path(std::move(path))
{
    for (const BoundField &field : window.fields)
        m_loadOrder.push_back({field.key, controls.at(field.row)});
    if (window.saveOrder.empty()) {
        m_saveOrder = m_loadOrder;
    } else {
        for (const settings::Key *key : window.saveOrder) {
            const auto field = std::find_if(m_loadOrder.begin(), m_loadOrder.end(),
                                            [key](const Field &f) { return f.key == key; });
            Q_ASSERT(field != m_loadOrder.end());
            m_saveOrder.push_back(*field);
        }
    }
    for (const Field &field : m_loadOrder) {
        // An unknown flag is the partial state; once the user sets the box
        // it goes back to plain yes or no.
        if (isFlag(field.key)) {
            auto *check = static_cast<QCheckBox *>(field.control);
            QObject::connect(check, &QCheckBox::clicked, check, [check] { check->setTristate(false); });
        }
    }
    remember();
}

void SettingsBinding::load(bool reportUnknownFlags)
{
    std::vector<const settings::Key *> keys;
    for (const Field &field : m_loadOrder)
        keys.push_back(field.key);
    const QString path = m_path();
    inifile::ReadOutcome read;
    onFile(path, [&](const filebytes::Patience &patience, bool) { read = settings::SettingsFile(path, patience).read(keys); });
    const QStringList &values = read.values;

    QSet<QWidget *> filled; // boxes a key of this load gave a non-empty value
    std::optional<Failure> unknownFlag;
    for (std::size_t i = 0; i < m_loadOrder.size(); ++i) {
        const Field &field = m_loadOrder[i];
        const QString &value = values[qsizetype(i)];
        if (!isFlag(field.key)) {
            if (value.isEmpty() && filled.contains(field.control))
                continue;
            auto *box = static_cast<QLineEdit *>(field.control);
            box->setText(value);
            box->setCursorPosition(0); // show a long value from its start
            if (!value.isEmpty())
                filled.insert(box);
            continue;
        }
        auto *check = static_cast<QCheckBox *>(field.control);
        try {
            const bool yes = flags::fromTextOrFail(value, QLatin1String(field.key->name));
            check->setTristate(false);
            check->setChecked(yes);
        } catch (const Failure &failure) {
            check->setCheckState(Qt::PartiallyChecked);
            if (!unknownFlag)
                unknownFlag = failure;
        }
    }
    remember();
    m_knownFile = read.fileExists ? path : QString();
    if (unknownFlag && reportUnknownFlags)
        throw *unknownFlag;
}

void SettingsBinding::save()
{
    std::vector<inifile::KeyValue> changed;
    for (const Field &field : m_saveOrder) {
        const std::optional<QString> now = held(field.key, field.control);
        if (now && now != m_remembered.value(field.control))
            changed.push_back({QLatin1String(field.key->name), *now});
    }
    if (changed.empty())
        return;
    const QString path = m_path();
    inifile::WriteOptions options;
    options.mustExist = !m_knownFile.isEmpty() && path == m_knownFile;
    try {
        onFile(path, [&](const filebytes::Patience &patience, bool force) {
            inifile::WriteOptions forced = options;
            forced.force = force;
            settings::SettingsFile(path, patience).write(changed, forced);
        });
    } catch (Failure &failure) {
        for (const Field &field : m_saveOrder) {
            if (failure.key == QLatin1String(field.key->name)) {
                failure.description = QStringLiteral("Campo \"%1\": ").arg(field.control->accessibleName())
                                      + failure.description;
                break;
            }
        }
        throw;
    }
    remember();
    m_knownFile = path;
}

void SettingsBinding::onFile(const QString &path,
                             const std::function<void(const filebytes::Patience &, bool force)> &work)
{
    const QString title = QString::fromUtf8(identity::kProgramTitle);
    bool force = false;
    for (;;) {
        try {
            runFileWork(m_owner, [&](const filebytes::Patience &patience) { work(patience, force); });
            return;
        } catch (const Failure &failure) {
            if (failure.kind == FailureKind::InterruptedSave) {
                const int answer = platform::ask(
                    {failure.description
                         + QStringLiteral("\n\nPôr de volta o conteúdo de antes, ou manter o arquivo como está?"),
                     {QStringLiteral("Restaurar o conteúdo de antes"), QStringLiteral("Manter o arquivo como está"),
                      QStringLiteral("Cancelar")},
                     0, 2},
                    title, m_owner);
                if (answer != 0 && answer != 1)
                    throw Failure{failure.number, QString(), FailureKind::Cancelled, QString()};
                const auto resolution = answer == 0 ? filebytes::Resolution::Restore : filebytes::Resolution::Keep;
                runFileWork(m_owner, [&](const filebytes::Patience &patience) {
                    filebytes::resolveInterrupted(path, resolution, patience);
                });
                continue;
            }
            if (failure.kind == FailureKind::HeldOpen && !force) {
                const int answer = platform::ask(
                    {failure.description
                         + QStringLiteral("\n\nSe esse programa não vai mais gravar o arquivo, grave mesmo assim."),
                     {QStringLiteral("Gravar mesmo assim"), QStringLiteral("Cancelar")},
                     0, 1},
                    title, m_owner);
                if (answer != 0)
                    throw Failure{failure.number, QString(), FailureKind::Cancelled, QString()};
                force = true;
                continue;
            }
            throw;
        }
    }
}

void SettingsBinding::remember()
{
    for (const Field &field : m_loadOrder)
        m_remembered.insert(field.control, held(field.key, field.control));
}

} // namespace forms
