#pragma once

#include <QString>

namespace engine {

// What a system call reported (errno; GetLastError() on Windows), said in
// Portuguese: "não há espaço livre no dispositivo", "permissão negada" ...
QString systemErrorText(int code);

} // namespace engine
