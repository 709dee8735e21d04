// libFuzzer target over the settings-file engine's parse-and-write path.
// Every input is one read and one write (layout in profilecheck::fuzzInput),
// checked against the engine's promises; a broken one aborts.

#include "profilecheck.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const auto input = profilecheck::fuzzInput(
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!input)
        return 0;
    try {
        profile::valueIn(input->file, input->section, input->key);
    } catch (const Failure &) {
        if (!profilecheck::mustRefuseFile(input->file)) {
            std::fprintf(stderr, "broken promise: a file the engine can read was refused\n");
            std::abort();
        }
    }
    QByteArray after;
    const QString fault = profilecheck::checkWrite(input->file, input->section, input->key, input->value, &after);
    if (!fault.isEmpty()) {
        std::fprintf(stderr, "broken promise: %s\n", qPrintable(fault));
        std::abort();
    }
    return 0;
}
