#include "settings/settingsfile.h"

namespace settings {
namespace {

// The values as the game server's files hold them: one blank before the text.
std::vector<engine::inifile::KeyValue> stored(const std::vector<ValueChange> &changes)
{
    std::vector<engine::inifile::KeyValue> values;
    for (const ValueChange &change : changes)
        values.push_back({change.key, QLatin1Char(' ') + change.after});
    return values;
}

// The keys a removal takes away: those the file holds, with their values.
std::vector<ValueChange> removedFrom(const QByteArray &file, const QStringList &keys)
{
    const std::vector<std::optional<QString>> current = engine::inifile::lookup(file, kSection, keys);
    std::vector<ValueChange> changes;
    for (std::size_t i = 0; i < current.size(); ++i) {
        if (current[i])
            changes.push_back({keys[qsizetype(i)], *current[i], QString(), true, true});
    }
    return changes;
}

void take(Written &written, const engine::inifile::WriteOutcome &outcome)
{
    written.backup = outcome.backup;
    written.notices = outcome.notices;
    written.before = outcome.before.value_or(QByteArray());
    written.after = outcome.written ? outcome.after : written.before;
    if (!outcome.written)
        written.changes.clear();
}

} // namespace

QStringList valuesIn(const QByteArray &file, const QStringList &keys)
{
    return engine::inifile::valuesIn(file, kSection, keys);
}

SettingsFile::SettingsFile(QString path, engine::filebytes::Patience patience)
    : m_path(std::move(path))
    , m_patience(std::move(patience))
{
}

engine::inifile::WriteOptions SettingsFile::withPatience(engine::inifile::WriteOptions options) const
{
    options.patience = m_patience;
    return options;
}

engine::inifile::ReadOutcome SettingsFile::read(const QStringList &keys) const
{
    return engine::inifile::read(m_path, kSection, keys, QString(), m_patience);
}

Written SettingsFile::save(const Document &document, const engine::inifile::WriteOptions &options) const
{
    Written written;
    const engine::inifile::WriteOutcome outcome = engine::inifile::write(
        m_path, kSection,
        [&](const QByteArray &file) {
            const Document::Decision decision = document.decide(file, m_path);
            written.changes = decision.changes;
            written.conflicts = decision.conflicts;
            return stored(decision.changes);
        },
        withPatience(options));
    take(written, outcome);
    return written;
}

Preview SettingsFile::preview(const Document &document) const
{
    Preview preview;
    preview.before = engine::inifile::readFile(m_path, m_patience).value_or(QByteArray());
    const Document::Decision decision = document.decide(preview.before, m_path);
    preview.changes = decision.changes;
    preview.conflicts = decision.conflicts;
    preview.after = engine::inifile::withValues(preview.before, kSection, stored(preview.changes)).value_or(preview.before);
    return preview;
}

Written SettingsFile::remove(const QStringList &keys, const engine::inifile::WriteOptions &options) const
{
    Written written;
    engine::inifile::WriteOptions removal = withPatience(options);
    const auto chooser = removal.beforeReplace;
    removal.beforeReplace = [&](const std::optional<QByteArray> &before, const QByteArray &after) {
        written.changes = removedFrom(before.value_or(QByteArray()), keys);
        if (chooser)
            chooser(before, after);
    };
    take(written, engine::inifile::remove(m_path, kSection, keys, removal));
    return written;
}

Preview SettingsFile::previewRemoval(const QStringList &keys) const
{
    Preview preview;
    preview.before = engine::inifile::readFile(m_path, m_patience).value_or(QByteArray());
    preview.changes = removedFrom(preview.before, keys);
    preview.after = engine::inifile::withoutKeys(preview.before, kSection, keys).value_or(preview.before);
    return preview;
}

} // namespace settings
