// libFuzzer target over the settings-file engine's parse-and-write path.
// Every input is one read and one write (layout in inifilecheck::fuzzInput),
// checked against the engine's promises; a broken one aborts.

#include "inifilecheck.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const auto input = inifilecheck::fuzzInput(
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!input)
        return 0;
    try {
        valueIn(input->file, input->section, input->key);
    } catch (const engine::Failure &) {
        if (!inifilecheck::mustRefuseFile(input->file)) {
            std::fprintf(stderr, "broken promise: a file the engine can read was refused\n");
            std::abort();
        }
    }
    QByteArray after;
    const QString fault = inifilecheck::checkWrite(input->file, input->section, input->key, input->value, &after);
    if (!fault.isEmpty()) {
        std::fprintf(stderr, "broken promise: %s\n", qPrintable(fault));
        std::abort();
    }
    return 0;
}
