#pragma once

#include "cli/commands.h"

#include <QStringList>

namespace cli {

// Reads the command line (the program's name first) and runs the command it
// names; returns the exit status. --help and the exit statuses are described
// in helpText().
int run(const QStringList &arguments, Streams io);

QString helpText();

} // namespace cli
