#include "ui/binding/settingsbinding.h"

#include "engine/failure.h"
#include "desktop/dialogs.h"
#include "settings/flags.h"
#include "settings/settingsfile.h"
#include "ui/binding/filework.h"
#include "ui/binding/newsbar.h"
#include "formdata/identity.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLineEdit>
#include <QHash>
#include <QScopedValueRollback>
#include <QTimer>

#include <algorithm>

namespace ui::binding {
namespace {

using namespace std::chrono_literals;

bool isFlag(const settings::Key *key)
{
    return key->kind == settings::ValueKind::Flag;
}

QString kindText(const settings::Key *key)
{
    return isFlag(key) ? QStringLiteral("sim ou não (0 ou 1)") : QStringLiteral("texto");
}

enum Answer { WriteMine, KeepTheFiles, CancelSave };

Answer askAbout(const std::vector<settings::Conflict> &conflicts, const std::vector<QWidget *> &boxes, QWidget *owner)
{
    QString text = QStringLiteral("Estes valores mudaram no arquivo depois que esta janela os leu:\n");
    for (const settings::Conflict &conflict : conflicts)
        text += QStringLiteral("\n%1 (%2): lido \"%3\", no arquivo agora \"%4\", digitado \"%5\"")
                    .arg(boxes.at(std::size_t(conflict.box))->accessibleName(), conflict.key, conflict.known,
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

// The window's fields as the document's: one box for each control.
settings::Document documentOf(const forms::Controls &controls, const formdata::Window &window, std::vector<QWidget *> &boxes)
{
    std::vector<settings::Document::Field> fields;
    for (const formdata::BoundKey &field : window.fields) {
        QWidget *control = controls.at(field.row);
        auto box = std::find(boxes.begin(), boxes.end(), control);
        if (box == boxes.end())
            box = boxes.insert(boxes.end(), control);
        fields.push_back({QLatin1String(field.key->name), field.key->kind, int(box - boxes.begin())});
    }
    std::vector<int> saveOrder;
    for (const settings::Key *key : window.saveOrder) {
        const auto field = std::find_if(window.fields.begin(), window.fields.end(),
                                        [key](const formdata::BoundKey &f) { return f.key == key; });
        Q_ASSERT(field != window.fields.end());
        saveOrder.push_back(int(field - window.fields.begin()));
    }
    return settings::Document(std::move(fields), std::move(saveOrder));
}

// What a control holds, as the document keeps it; nullopt for an unknown flag.
std::optional<QString> held(QWidget *control)
{
    if (auto *check = qobject_cast<QCheckBox *>(control))
        return check->checkState() == Qt::PartiallyChecked ? std::nullopt
                                                           : std::optional<QString>(settings::flags::toText(check->isChecked()));
    return static_cast<QLineEdit *>(control)->text();
}

} // namespace

SettingsBinding::SettingsBinding(QWidget *owner, const forms::Controls &controls, const formdata::Window &window, PathSource path)
    : m_owner(owner)
    , m_document(documentOf(controls, window, m_boxes))
    , m_path(std::move(path))
    , m_watcher(new QFileSystemWatcher(owner))
    , m_refresh(new QTimer(owner))
    , m_news(new NewsBar(owner))
{
    // Each box names the keys it edits, as the file spells them (in the
    // order of the list of keys), and their kind.
    QHash<QWidget *, QStringList> keysOf;
    for (const settings::Key *key : settings::keys::kAll) {
        for (const formdata::BoundKey &field : window.fields) {
            if (field.key == key)
                keysOf[controls.at(field.row)] << QLatin1String(key->name);
        }
    }
    for (const formdata::BoundKey &field : window.fields) {
        QWidget *control = controls.at(field.row);
        const QString named = keysOf.value(control).join(QStringLiteral(", ")) + QStringLiteral(": ") + kindText(field.key);
        control->setToolTip(named);
        control->setAccessibleDescription(named);
    }
    for (std::size_t box = 0; box < m_boxes.size(); ++box) {
        QWidget *control = m_boxes[box];
        const auto typed = [this, box, control] {
            m_document.type(int(box), held(control));
            markModified();
        };
        if (auto *check = qobject_cast<QCheckBox *>(control)) {
            // An unknown flag is the partial state; once the user sets the box
            // it goes back to plain yes or no.
            QObject::connect(check, &QCheckBox::clicked, check, [check] { check->setTristate(false); });
            QObject::connect(check, &QCheckBox::stateChanged, check, typed);
        } else {
            QObject::connect(static_cast<QLineEdit *>(control), &QLineEdit::textChanged, control, typed);
        }
        m_document.type(int(box), held(control));
    }
    m_document.treatAsUnedited(); // before any load, a save writes what differs from the start
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
    return m_document.modified();
}

void SettingsBinding::markModified()
{
    m_owner->setWindowModified(modified());
}

void SettingsBinding::showDocument(bool onlyUnedited)
{
    for (std::size_t box = 0; box < m_boxes.size(); ++box) {
        if (onlyUnedited && m_document.edited(int(box)))
            continue;
        const std::optional<QString> value = m_document.typed(int(box));
        if (auto *check = qobject_cast<QCheckBox *>(m_boxes[box])) {
            if (!value) {
                check->setCheckState(Qt::PartiallyChecked); // sets the box tristate
            } else {
                check->setTristate(false);
                check->setChecked(*value == settings::flags::toText(true));
            }
            continue;
        }
        auto *text = static_cast<QLineEdit *>(m_boxes[box]);
        if (text->text() != *value) {
            text->setText(*value);
            text->setCursorPosition(0); // show a long value from its start
        }
    }
    markModified();
}

void SettingsBinding::load(bool reportUnknownFlags)
{
    const QScopedValueRollback busy(m_busy, true);
    const QString path = m_path();
    engine::inifile::ReadOutcome read;
    onFile(path, [&](const engine::filebytes::Patience &patience, bool) {
        read = settings::SettingsFile(path, patience).read(m_document.keys());
    });
    m_news->hide();
    const std::optional<engine::Failure> unknownFlag = m_document.fill(read.values, false, read.fileExists ? path : QString());
    showDocument(false);
    follow(m_document.source());
    if (unknownFlag && reportUnknownFlags)
        throw *unknownFlag;
}

void SettingsBinding::save()
{
    if (!m_document.modified())
        return;
    const QScopedValueRollback busy(m_busy, true);
    const QString path = m_path();
    engine::inifile::WriteOptions options;
    options.mustExist = !m_document.source().isEmpty() && path == m_document.source();
    settings::Written written;
    for (;;) {
        try {
            onFile(path, [&](const engine::filebytes::Patience &patience, bool force) {
                engine::inifile::WriteOptions forced = options;
                forced.force = force;
                written = settings::SettingsFile(path, patience).save(m_document, forced);
            });
        } catch (engine::Failure &failure) {
            for (const settings::Document::Field &field : m_document.fields()) {
                if (failure.key == field.key) {
                    failure.description = QStringLiteral("Campo \"%1\": ").arg(m_boxes[std::size_t(field.box)]->accessibleName())
                                          + failure.description;
                    break;
                }
            }
            throw;
        }
        if (written.conflicts.empty())
            break;
        const Answer answer = askAbout(written.conflicts, m_boxes, m_owner);
        if (answer == CancelSave)
            cancelled();
        if (answer == WriteMine) {
            m_document.writeOver(written.conflicts);
            continue;
        }
        // The boxes take the file's values, and nothing is written for them.
        m_document.takeTheFiles(written.conflicts);
        showDocument(false);
        if (!m_document.modified())
            break;
    }
    // Every box shows the file's value as it now stands.
    m_news->hide();
    m_document.fill(settings::valuesIn(written.after, m_document.keys()), false, path);
    showDocument(false);
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
    const QString path = m_document.source();
    if (path.isEmpty())
        return;
    if (m_busy || fileWorkRunning()) {
        m_refresh->start(); // after the load or save that runs
        return;
    }
    const QScopedValueRollback busy(m_busy, true);
    if (!m_watcher->files().contains(path) && QFileInfo::exists(path))
        m_watcher->addPath(path); // replaced by a rename: the new file
    engine::inifile::ReadOutcome read;
    QString gone;
    try {
        runFileWork(m_owner, [&](const engine::filebytes::Patience &patience) {
            read = settings::SettingsFile(path, patience).read(m_document.keys());
        });
        if (!read.fileExists)
            gone = QStringLiteral("O arquivo \"%1\" não existe mais: foi apagado ou movido depois de aberto nesta janela. "
                                  "Salvar pergunta o que fazer.")
                       .arg(QDir::toNativeSeparators(path));
    } catch (const engine::Failure &failure) {
        if (failure.kind != engine::FailureKind::Cancelled)
            gone = failure.description;
    }
    if (!gone.isEmpty()) {
        // Once, not on every change; where the user looks, without the keyboard.
        if (!m_reportedGone)
            m_news->tell(gone);
        m_reportedGone = true;
        return;
    }
    m_reportedGone = false;
    m_news->hide();
    m_document.fill(read.values, true, path);
    showDocument(true);
}

} // namespace ui::binding
