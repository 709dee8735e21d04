#pragma once

// The engine one key at a time, as most tests use it.

#include "engine/inifile.h"

// The engine on one key.
inline QString valueIn(const QByteArray &file, const QString &section, const QString &key,
                       const QString &defaultValue = QString())
{
    return engine::inifile::valuesIn(file, section, {key}, defaultValue).constFirst();
}

// The file with the key set; the file itself when nothing changes.
inline QByteArray withValue(const QByteArray &file, const QString &section, const QString &key,
                            const QString &value)
{
    return engine::inifile::withValues(file, section, {{key, value}}).value_or(file);
}

inline QString readValue(const QString &path, const QString &section, const QString &key,
                         const QString &defaultValue = QString())
{
    return engine::inifile::read(path, section, {key}, defaultValue).values.constFirst();
}

// The engine's write with these pairs, whatever the file holds.
inline engine::inifile::WriteOutcome writePairs(const QString &path, const QString &section,
                                                const std::vector<engine::inifile::KeyValue> &pairs,
                                                const engine::inifile::WriteOptions &options = {})
{
    return engine::inifile::write(path, section, [&](const QByteArray &) { return pairs; }, options);
}

inline void writeValue(const QString &path, const QString &section, const QString &key, const QString &value)
{
    writePairs(path, section, {{key, value}});
}
