#pragma once

// The program's title and every name and web address it shows, in one place
// (UTF-8). The author, the communities and the addresses are our own
// placeholders on reserved example domains.
namespace formdata::identity {

inline constexpr char kProgramTitle[] = "Vardok - Zilvane s3 beta 39 (Versão 0.5)";

// The desktop entry's name, without ".desktop".
inline constexpr char kDesktopFileName[] = "org.example.CommonServerEditor";

inline constexpr char kAuthorName[] = "Tomas Ferraz";

inline constexpr char kMakersAddress[] = "https://vardok.example.org/";

inline constexpr char kProgrammingCommunityName[] = "Codigo Aberto";
inline constexpr char kProgrammingCommunityAddress[] = "https://codigo.example.net/";

inline constexpr char kGameServerCommunityName[] = "Servidores";
inline constexpr char kGameServerCommunityAddress[] = "https://servidores.example.com/";

// The castle siege tutorial on the game-server community's forum.
inline constexpr char kTutorialAddress[] =
    "https://servidores.example.com/forum/tutoriais/castle-siege";

} // namespace formdata::identity
