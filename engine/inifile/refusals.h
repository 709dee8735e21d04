#pragma once

// What the engine refuses to read or write, each with a Portuguese report:
// files it would damage, names the format cannot hold, values the file
// cannot store.

#include <QByteArray>
#include <QString>

#include <optional>

namespace engine::inifile::refusals {

// Where NUL bytes are looked for: a read looks in the first 8 KB only (see
// inifile.h), a write in the whole file it would write.
enum class NulSearch { FirstBlock, WholeFile };

// Throws for a file whose bytes this engine cannot edit without damaging them.
void checkContent(const QByteArray &file, const QString &path, NulSearch nulSearch);

// Throws for a section or key name the file format cannot hold, or one that
// would read back as another.
void checkName(const QString &name, bool isSection);

// Throws for a value that would break its line.
void checkValue(const QString &key, const QString &value);

// Throws: the value of `key` holds a character the file cannot store.
[[noreturn]] void refuseCharacter(const QString &key, char32_t codePoint);

// The text in the codec's units; throws, naming the text, when it cannot be stored.
template <typename Codec>
auto encodeName(const Codec &codec, const QString &name)
{
    auto units = codec.encode(name);
    if (!units)
        refuseCharacter(name, codec.firstUnstorable(name).value_or(U'?'));
    return *units;
}

} // namespace engine::inifile::refusals
