#pragma once

#include <QString>

namespace engine {

// What the last failed system call reported (errno; GetLastError() on
// Windows), said in Portuguese: "não há espaço livre no dispositivo",
// "permissão negada" ... Call it right after the failing call, before
// anything else can overwrite the code.
QString lastSystemError();

// The same for a given code of this platform.
QString systemErrorText(int code);

} // namespace engine
