#pragma once

class QCoreApplication;

// What a program of this project that runs in a terminal shares with the
// editor: Qt's own texts in Brazilian Portuguese, and on Windows a console
// that shows what it prints (UTF-8) as it is.
namespace platform {

// Qt's own texts (command-line errors, file dialogs, message boxes) in
// Brazilian Portuguese, whatever the system's language, where the texts are
// installed: with the system's Qt (Linux), or beside the program (Windows).
void installQtTranslations(QCoreApplication &app);

// Makes the console take what the program prints as UTF-8 (Windows); nothing
// to do elsewhere.
void useUtf8Console();

} // namespace platform
