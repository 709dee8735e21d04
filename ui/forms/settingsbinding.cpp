#include "ui/forms/settingsbinding.h"

#include "engine/failure.h"
#include "desktop/dialogs.h"
#include "settings/flags.h"
#include "settings/settingsfile.h"
#include "ui/forms/filework.h"
#include "ui/forms/reporting.h"
#include "formdata/identity.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QSet>
#include <QTimer>

#include <algorithm>

namespace ui::forms {
namespace {

using namespace std::chrono_literals;

bool isFlag(const settings::Key *key)
{
    return key->kind == settings::ValueKind::Flag;
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
    return settings::flags::toText(state == Qt::Checked);
}

QString kindText(const settings::Key *key)
{
    return isFlag(key) ? QStringLiteral("sim ou não (0 ou 1)") : QStringLiteral("texto");
}

// A key changed in the file since the window last had it, and typed otherwise.
struct Conflict
{
    const settings::Key *key;
    QWidget *control;
    QString known;
    QString inFile;
    QString typed;
};

enum Answer { WriteMine, KeepTheFiles, CancelSave };

Answer askAbout(const std::vector<Conflict> &conflicts, QWidget *owner)
{
    QString text = QStringLiteral("Estes valores mudaram no arquivo depois que esta janela os leu:\n");
    for (const Conflict &conflict : conflicts)
        text += QStringLiteral("\n%1 (%2): lido \"%3\", no arquivo agora \"%4\", digitado \"%5\"")
                    .arg(conflict.control->accessibleName(), QLatin1String(conflict.key->name), conflict.known,
                         conflict.inFile, conflict.typed);
    text += QStringLiteral("\n\nGravar os seus valores por cima dos do arquivo, ou manter os do arquivo nessas caixas? "
                           "As outras mudanças são gravadas de qualquer modo.");
    const int answer = desktop::ask({text,
                                      {QStringLiteral("Gravar os meus"), QStringLiteral("Manter os do arquivo"),
                                       QStringLiteral("Cancelar")},
                                      0, CancelSave},
                                     QString::fromUtf8(formdata::identity::kProgramTitle), owner);
    return answer == WriteMine || answer == KeepTheFiles ? Answer(answer) : CancelSave;
}

[[noreturn]] void cancelled()
{
    throw engine::Failure{engine::FailureNumber::FileAccess, QString(), engine::FailureKind::Cancelled, QString()};
}

} // namespace

SettingsBinding::SettingsBinding(QWidget *owner, const Controls &controls, const formdata::Window &window, PathSource path)
    : m_owner(owner)
    , m_path(std::move(path))
    , m_watcher(new QFileSystemWatcher(owner))
    , m_refresh(new QTimer(owner))
{
    for (const formdata::BoundKey &field : window.fields)
        m_loadOrder.push_back({field.key, controls.at(field.row)});
    if (window.saveOrder.empty()) {
        m_saveOrder = m_loadOrder;
    } else {
        for (const settings::Key *key : window.saveOrder) {
            const auto field = std::find_if(m_loadOrder.begin(), m_loadOrder.end(),
                                            [key](const KeyBox &f) { return f.key == key; });
            Q_ASSERT(field != m_loadOrder.end());
            m_saveOrder.push_back(*field);
        }
    }
    // Each box names the keys it edits, as the file spells them (in the
    // order of the list of keys), and their kind.
    QHash<QWidget *, QStringList> keysOf;
    for (const settings::Key *key : settings::keys::kAll) {
        for (const KeyBox &field : m_loadOrder) {
            if (field.key == key)
                keysOf[field.control] << QLatin1String(key->name);
        }
    }
    for (const KeyBox &field : m_loadOrder) {
        const QString named = keysOf.value(field.control).join(QStringLiteral(", ")) + QStringLiteral(": ")
                              + kindText(field.key);
        field.control->setToolTip(named);
        field.control->setAccessibleDescription(named);
        if (isFlag(field.key)) {
            // An unknown flag is the partial state; once the user sets the box
            // it goes back to plain yes or no.
            auto *check = static_cast<QCheckBox *>(field.control);
            QObject::connect(check, &QCheckBox::clicked, check, [check] { check->setTristate(false); });
            QObject::connect(check, &QCheckBox::stateChanged, check, [this] { markModified(); });
        } else {
            auto *box = static_cast<QLineEdit *>(field.control);
            QObject::connect(box, &QLineEdit::textChanged, box, [this] { markModified(); });
        }
    }
    for (const KeyBox &field : m_loadOrder)
        remember(field.control);
    // Changes come in bursts (a file written in pieces): one look after them.
    m_refresh->setSingleShot(true);
    m_refresh->setInterval(150ms);
    QObject::connect(m_refresh, &QTimer::timeout, m_refresh, [this] { refresh(); });
    QObject::connect(m_watcher, &QFileSystemWatcher::fileChanged, m_refresh, qOverload<>(&QTimer::start));
    QObject::connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_refresh, qOverload<>(&QTimer::start));
}

SettingsBinding::~SettingsBinding()
{
    // They call back into this object; the window would delete them later.
    delete m_watcher;
    delete m_refresh;
}

bool SettingsBinding::modified() const
{
    return std::any_of(m_loadOrder.begin(), m_loadOrder.end(), [this](const KeyBox &field) { return edited(field.control); });
}

bool SettingsBinding::edited(QWidget *control) const
{
    const auto field = std::find_if(m_loadOrder.begin(), m_loadOrder.end(),
                                    [control](const KeyBox &f) { return f.control == control; });
    return held(field->key, control) != m_remembered.value(control);
}

void SettingsBinding::remember(QWidget *control)
{
    const auto field = std::find_if(m_loadOrder.begin(), m_loadOrder.end(),
                                    [control](const KeyBox &f) { return f.control == control; });
    m_remembered.insert(control, held(field->key, control));
}

void SettingsBinding::markModified()
{
    m_owner->setWindowModified(modified());
}

std::optional<engine::Failure> SettingsBinding::put(const KeyBox &field, const QString &value)
{
    m_known.insert(field.key, value);
    if (!isFlag(field.key)) {
        auto *box = static_cast<QLineEdit *>(field.control);
        if (box->text() != value) {
            box->setText(value);
            box->setCursorPosition(0); // show a long value from its start
        }
        return std::nullopt;
    }
    auto *check = static_cast<QCheckBox *>(field.control);
    try {
        const bool yes = settings::flags::fromTextOrFail(value, QLatin1String(field.key->name));
        check->setTristate(false);
        check->setChecked(yes);
        return std::nullopt;
    } catch (const engine::Failure &failure) {
        check->setCheckState(Qt::PartiallyChecked);
        return failure;
    }
}

std::optional<engine::Failure> SettingsBinding::show(const QStringList &values, bool onlyUnedited)
{
    QSet<QWidget *> kept; // boxes the user edited keep their text
    if (onlyUnedited) {
        for (const KeyBox &field : m_loadOrder) {
            if (edited(field.control))
                kept.insert(field.control);
        }
    }
    QSet<QWidget *> filled; // boxes a key of this pass gave a non-empty value
    std::optional<engine::Failure> unknownFlag;
    for (std::size_t i = 0; i < m_loadOrder.size(); ++i) {
        const KeyBox &field = m_loadOrder[i];
        const QString &value = values[qsizetype(i)];
        if (kept.contains(field.control))
            continue;
        // Several keys share a box: a later empty one does not blank it.
        if (value.isEmpty() && filled.contains(field.control)) {
            m_known.insert(field.key, value);
            continue;
        }
        if (!value.isEmpty())
            filled.insert(field.control);
        const std::optional<engine::Failure> unknown = put(field, value);
        if (unknown && !unknownFlag)
            unknownFlag = unknown;
    }
    for (const KeyBox &field : m_loadOrder) {
        if (!kept.contains(field.control))
            remember(field.control);
    }
    markModified();
    return unknownFlag;
}

void SettingsBinding::load(bool reportUnknownFlags)
{
    const QScopedValueRollback busy(m_busy, true);
    std::vector<const settings::Key *> keys;
    for (const KeyBox &field : m_loadOrder)
        keys.push_back(field.key);
    const QString path = m_path();
    engine::inifile::ReadOutcome read;
    onFile(path, [&](const engine::filebytes::Patience &patience, bool) { read = settings::SettingsFile(path, patience).read(keys); });
    const std::optional<engine::Failure> unknownFlag = show(read.values, false);
    m_knownFile = read.fileExists ? path : QString();
    follow(m_knownFile);
    if (unknownFlag && reportUnknownFlags)
        throw *unknownFlag;
}

void SettingsBinding::save()
{
    struct Typed
    {
        const KeyBox *field;
        QString text;
    };
    std::vector<Typed> changed;
    for (const KeyBox &field : m_saveOrder) {
        const std::optional<QString> now = held(field.key, field.control);
        if (now && now != m_remembered.value(field.control))
            changed.push_back({&field, *now});
    }
    if (changed.empty())
        return;
    const QScopedValueRollback busy(m_busy, true);
    const QString path = m_path();
    engine::inifile::WriteOptions options;
    options.mustExist = !m_knownFile.isEmpty() && path == m_knownFile;
    // What the window had of each key is a basis only for the file it came from.
    const bool sameFile = options.mustExist;
    QHash<const settings::Key *, QString> overwrite; // conflicts to write over: the file's value then
    engine::inifile::WriteOutcome outcome;
    for (;;) {
        std::vector<Conflict> conflicts;
        const settings::Choice choose = [&](const QByteArray &file) {
            std::vector<const settings::Key *> keys;
            for (const Typed &typed : changed)
                keys.push_back(typed.field->key);
            const QStringList inFile = settings::valuesIn(file, keys);
            conflicts.clear();
            std::vector<engine::inifile::KeyValue> texts;
            for (std::size_t i = 0; i < changed.size(); ++i) {
                const settings::Key *key = changed[i].field->key;
                const QString &now = inFile[qsizetype(i)];
                const bool changedElsewhere = sameFile && m_known.contains(key) && now != m_known.value(key);
                if (changedElsewhere && now != engine::inifile::withoutBlanks(changed[i].text)
                    && !(overwrite.contains(key) && overwrite.value(key) == now))
                    conflicts.push_back({key, changed[i].field->control, m_known.value(key), now, changed[i].text});
                texts.push_back({QLatin1String(key->name), changed[i].text});
            }
            // Nothing is written before the user has decided.
            return conflicts.empty() ? texts : std::vector<engine::inifile::KeyValue>();
        };
        try {
            onFile(path, [&](const engine::filebytes::Patience &patience, bool force) {
                engine::inifile::WriteOptions forced = options;
                forced.force = force;
                outcome = settings::SettingsFile(path, patience).writeChosen(choose, forced);
            });
        } catch (engine::Failure &failure) {
            for (const KeyBox &field : m_saveOrder) {
                if (failure.key == QLatin1String(field.key->name)) {
                    failure.description = QStringLiteral("Campo \"%1\": ").arg(field.control->accessibleName())
                                          + failure.description;
                    break;
                }
            }
            throw;
        }
        if (conflicts.empty())
            break;
        const Answer answer = askAbout(conflicts, m_owner);
        if (answer == CancelSave)
            cancelled();
        for (const Conflict &conflict : conflicts) {
            if (answer == WriteMine) {
                overwrite.insert(conflict.key, conflict.inFile);
                continue;
            }
            // The box takes the file's value, and nothing is written for it.
            const auto field = std::find_if(m_loadOrder.begin(), m_loadOrder.end(),
                                            [&](const KeyBox &f) { return f.key == conflict.key; });
            put(*field, conflict.inFile);
            remember(conflict.control);
            changed.erase(std::remove_if(changed.begin(), changed.end(),
                                         [&](const Typed &typed) { return typed.field->control == conflict.control; }),
                          changed.end());
        }
        if (answer == KeepTheFiles && changed.empty())
            break;
    }
    // Every box shows the file's value as it now stands.
    std::vector<const settings::Key *> keys;
    for (const KeyBox &field : m_loadOrder)
        keys.push_back(field.key);
    show(settings::valuesIn(outcome.written ? outcome.after : outcome.before.value_or(QByteArray()), keys), false);
    m_knownFile = path;
    follow(path);
}

void SettingsBinding::onFile(const QString &path,
                             const std::function<void(const engine::filebytes::Patience &, bool force)> &work)
{
    const QString title = QString::fromUtf8(formdata::identity::kProgramTitle);
    bool force = false;
    for (;;) {
        try {
            runFileWork(m_owner, [&](const engine::filebytes::Patience &patience) { work(patience, force); });
            return;
        } catch (const engine::Failure &failure) {
            if (failure.kind == engine::FailureKind::InterruptedSave || failure.kind == engine::FailureKind::FinishedAside) {
                const bool aside = failure.kind == engine::FailureKind::FinishedAside;
                const int answer = desktop::ask(
                    {failure.description
                         + (aside ? QStringLiteral("\n\nPôr esse conteúdo no lugar do arquivo, ou apagá-lo?")
                                  : QStringLiteral("\n\nPôr de volta o conteúdo de antes, ou manter o arquivo como está?")),
                     {aside ? QStringLiteral("Pôr o conteúdo no lugar") : QStringLiteral("Restaurar o conteúdo de antes"),
                      aside ? QStringLiteral("Apagar o conteúdo") : QStringLiteral("Manter o arquivo como está"),
                      QStringLiteral("Cancelar")},
                     0, 2},
                    title, m_owner);
                if (answer != 0 && answer != 1)
                    cancelled();
                const auto resolution = answer == 0 ? engine::filebytes::Resolution::Restore : engine::filebytes::Resolution::Keep;
                runFileWork(m_owner, [&](const engine::filebytes::Patience &patience) {
                    engine::filebytes::resolveInterrupted(path, resolution, patience);
                });
                continue;
            }
            if (failure.kind == engine::FailureKind::HeldOpen && !force) {
                const int answer = desktop::ask(
                    {failure.description
                         + QStringLiteral("\n\nSe esse programa não vai mais gravar o arquivo, grave mesmo assim."),
                     {QStringLiteral("Gravar mesmo assim"), QStringLiteral("Cancelar")},
                     0, 1},
                    title, m_owner);
                if (answer != 0)
                    cancelled();
                force = true;
                continue;
            }
            throw;
        }
    }
}

void SettingsBinding::follow(const QString &path)
{
    if (!m_watcher->files().isEmpty())
        m_watcher->removePaths(m_watcher->files());
    if (!m_watcher->directories().isEmpty())
        m_watcher->removePaths(m_watcher->directories());
    m_reportedGone = false;
    if (path.isEmpty())
        return;
    // The folder too: a replacement by rename is a new file under the same name.
    m_watcher->addPath(path);
    m_watcher->addPath(QFileInfo(path).absolutePath());
}

void SettingsBinding::refresh()
{
    if (m_knownFile.isEmpty())
        return;
    if (m_busy || fileWorkRunning()) {
        m_refresh->start(); // after the load or save that runs
        return;
    }
    const QScopedValueRollback busy(m_busy, true);
    if (!m_watcher->files().contains(m_knownFile) && QFileInfo::exists(m_knownFile))
        m_watcher->addPath(m_knownFile); // replaced by a rename: the new file
    std::vector<const settings::Key *> keys;
    for (const KeyBox &field : m_loadOrder)
        keys.push_back(field.key);
    engine::inifile::ReadOutcome read;
    std::optional<engine::Failure> gone;
    try {
        const QString path = m_knownFile;
        runFileWork(m_owner, [&](const engine::filebytes::Patience &patience) {
            read = settings::SettingsFile(path, patience).read(keys);
        });
        if (!read.fileExists)
            gone = engine::Failure{engine::FailureNumber::FileAccess,
                           QStringLiteral("O arquivo \"%1\" não existe mais: foi apagado ou movido depois de aberto "
                                          "nesta janela.")
                               .arg(QDir::toNativeSeparators(path))};
    } catch (const engine::Failure &failure) {
        gone = failure;
    }
    if (gone) {
        // Once, not on every change.
        if (!m_reportedGone && gone->kind != engine::FailureKind::Cancelled)
            runReported([&] { throw *gone; });
        m_reportedGone = true;
        return;
    }
    m_reportedGone = false;
    show(read.values, true);
}

} // namespace ui::forms
