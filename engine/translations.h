#pragma once

class QCoreApplication;

// Qt's own texts in Brazilian Portuguese, which the editor and the
// command-line tool share.
namespace engine {

// Qt's own texts (command-line errors, file dialogs, message boxes) in
// Brazilian Portuguese, whatever the system's language, where the texts are
// installed: with the system's Qt (Linux), or beside the program (Windows).
void installQtTranslations(QCoreApplication &app);

} // namespace engine
