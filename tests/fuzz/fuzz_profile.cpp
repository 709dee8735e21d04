// libFuzzer target over the settings-file engine's parse-and-write path.
// Input: [key byte][section byte][value length byte][value][file bytes]. The
// value is taken as Windows-1252, so it may hold line breaks and NUL. Every
// write is checked against the engine's promises; a broken one aborts.

#include "catalogue.h"
#include "codepage.h"
#include "profilecheck.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

QString keyFor(std::uint8_t selector)
{
    const auto &entries = catalogue::entries();
    if (selector < entries.size())
        return QLatin1String(entries[selector].key);
    static const char *const others[] = {"trade", "Unknown", "A", "Key With Blanks"};
    return QLatin1String(others[selector % 4]);
}

QString sectionFor(std::uint8_t selector)
{
    static const char *const sections[] = {"GameServerInfo", "gameserverinfo", "Other", "A b"};
    return QLatin1String(sections[selector % 4]);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 3)
        return 0;
    const QString key = keyFor(data[0]);
    const QString section = sectionFor(data[1]);
    const std::size_t valueLength = std::min<std::size_t>(data[2] % 64, size - 3);
    const QString value = codepage::decodeWindows1252(reinterpret_cast<const char *>(data + 3),
                                                       qsizetype(valueLength));
    const QByteArray file(reinterpret_cast<const char *>(data + 3 + valueLength),
                          qsizetype(size - 3 - valueLength));

    profile::valueIn(file, section, key);
    QByteArray after;
    const QString fault = profilecheck::checkWrite(file, section, key, value, &after);
    if (!fault.isEmpty()) {
        std::fprintf(stderr, "broken promise: %s\n", qPrintable(fault));
        std::abort();
    }
    return 0;
}
