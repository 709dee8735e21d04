#pragma once

class QCoreApplication;

// The language of both programs, the editor and the command-line tool,
// where Qt supplies the texts.
namespace language {

// Qt's own texts (command-line errors, file dialogs, message boxes) in
// Brazilian Portuguese, whatever the system's language, where the texts are
// installed: with the system's Qt (Linux), or beside the program (Windows).
void installQtTranslations(QCoreApplication &app);

} // namespace language
