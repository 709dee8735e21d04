#pragma once

#include <QString>

// The keys of section "GameServerInfo" that the program edits, each with its
// kind. Nothing outside this list is ever read or written.
namespace settings {

inline const QString kSection = QStringLiteral("GameServerInfo");

enum class Kind {
    Text, // shown and stored as it stands
    Flag, // a yes/no setting, stored as a number: 1 is yes
};

struct Key
{
    const char *name; // as the game server spells it
    Kind kind;
};

namespace keys {

inline constexpr Key AddExperience{"AddExperience", Kind::Text};
inline constexpr Key MonsterHp{"MonsterHp", Kind::Text};
inline constexpr Key ItemDropPer{"ItemDropPer", Kind::Text};
inline constexpr Key CharacterDeleteMinLevel{"CharacterDeleteMinLevel", Kind::Text};
inline constexpr Key GuildCreateLevel{"GuildCreateLevel", Kind::Text};
inline constexpr Key ChaosEventServer{"ChaosEventServer", Kind::Text};
inline constexpr Key EventChipServerIp{"EventChipServerIp", Kind::Text};
inline constexpr Key DevilSquareEventServer{"DevilSquareEventServer", Kind::Text};
inline constexpr Key CreateCharacter{"CreateCharacter", Kind::Flag};
inline constexpr Key GuildCreate{"GuildCreate", Kind::Flag};
inline constexpr Key GuildDestroy{"GuildDestroy", Kind::Flag};
inline constexpr Key Trade{"Trade", Kind::Flag};

inline constexpr Key NumberOfMaxUser{"NumberOfMaxUser", Kind::Text};
inline constexpr Key MaxLevel{"MaxLevel", Kind::Text};
inline constexpr Key ExcellentItemsDropRate{"ExcellentItemsDropRate", Kind::Text};
inline constexpr Key ChaosCastleMinPlayers{"ChaosCastleMinPlayers", Kind::Text};
inline constexpr Key ElfSoldierMaxLevel{"ElfSoldierMaxLevel", Kind::Text};
inline constexpr Key MaxZen{"MaxZen", Kind::Text};
inline constexpr Key MaxZenMessage{"MaxZenMessage", Kind::Text};
inline constexpr Key PointsLevelUp_Normal{"PointsLevelUp_Normal", Kind::Text};
inline constexpr Key PointsLevelUp_MG{"PointsLevelUp_MG", Kind::Text};
inline constexpr Key PointsLevelUp_DL{"PointsLevelUp_DL", Kind::Text};
inline constexpr Key ChaosMachineItemMixRate10{"ChaosMachineItemMixRate10", Kind::Text};
inline constexpr Key ChaosMachineItemMixRate11{"ChaosMachineItemMixRate11", Kind::Text};
inline constexpr Key ChaosMachineItemMixRate12{"ChaosMachineItemMixRate12", Kind::Text};
inline constexpr Key ChaosMachineItemMixRate13{"ChaosMachineItemMixRate13", Kind::Text};

inline constexpr Key CastleSiegeRun{"CastleSiegeRun", Kind::Flag};
inline constexpr Key CastleCycleStartYear{"CastleCycleStartYear", Kind::Text};
inline constexpr Key CastleCycleStartMonth{"CastleCycleStartMonth", Kind::Text};
inline constexpr Key CastleCycleStartDay{"CastleCycleStartDay", Kind::Text};
inline constexpr Key CastleSpecificState{"CastleSpecificState", Kind::Text};
inline constexpr Key CastleStateStartYear{"CastleStateStartYear", Kind::Text};
inline constexpr Key CastleStateStartMonth{"CastleStateStartMonth", Kind::Text};
inline constexpr Key CastleStateStartDay{"CastleStateStartDay", Kind::Text};
inline constexpr Key CastleStateStartHour{"CastleStateStartHour", Kind::Text};
inline constexpr Key CastleStateStartMinute{"CastleStateStartMinute", Kind::Text};

// Every key, grouped as the editor's three windows show them.
inline constexpr const Key *kAll[] = {
    &AddExperience, &MonsterHp, &ItemDropPer, &CharacterDeleteMinLevel, &GuildCreateLevel,
    &ChaosEventServer, &EventChipServerIp, &DevilSquareEventServer, &CreateCharacter, &GuildCreate,
    &GuildDestroy, &Trade,
    &NumberOfMaxUser, &MaxLevel, &ExcellentItemsDropRate, &ChaosCastleMinPlayers, &ElfSoldierMaxLevel,
    &MaxZen, &MaxZenMessage, &PointsLevelUp_Normal, &PointsLevelUp_MG, &PointsLevelUp_DL,
    &ChaosMachineItemMixRate10, &ChaosMachineItemMixRate11, &ChaosMachineItemMixRate12,
    &ChaosMachineItemMixRate13,
    &CastleSiegeRun, &CastleCycleStartYear, &CastleCycleStartMonth, &CastleCycleStartDay,
    &CastleSpecificState, &CastleStateStartYear, &CastleStateStartMonth, &CastleStateStartDay,
    &CastleStateStartHour, &CastleStateStartMinute,
};

} // namespace keys
} // namespace settings
