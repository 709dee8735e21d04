#pragma once

#include <QString>

// The program's title and every name and web address it shows, in one place.
namespace identity {

inline const QString kProgramTitle = QStringLiteral("Vardok - Zilvane s3 beta 39 (Versão 0.5)");

// The castle siege tutorial on a community forum.
inline const QString kTutorialAddress =
    QStringLiteral("https://forum.example.org/tutoriais/castle-siege");

} // namespace identity
