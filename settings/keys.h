#pragma once

#include <QString>

// The keys of section "GameServerInfo" that the program edits, each with its
// kind. Nothing outside this list is ever read or written.
namespace settings {

inline const QString kSection = QStringLiteral("GameServerInfo");

enum class ValueKind {
    Text, // shown and stored as it stands
    Flag, // a yes/no setting, stored as a number: 1 is yes
};

struct Key
{
    const char *name; // as the game server spells it
    ValueKind kind;
};

namespace keys {

inline constexpr Key AddExperience{"AddExperience", ValueKind::Text};
inline constexpr Key MonsterHp{"MonsterHp", ValueKind::Text};
inline constexpr Key ItemDropPer{"ItemDropPer", ValueKind::Text};
inline constexpr Key CharacterDeleteMinLevel{"CharacterDeleteMinLevel", ValueKind::Text};
inline constexpr Key GuildCreateLevel{"GuildCreateLevel", ValueKind::Text};
inline constexpr Key ChaosEventServer{"ChaosEventServer", ValueKind::Text};
inline constexpr Key EventChipServerIp{"EventChipServerIp", ValueKind::Text};
inline constexpr Key DevilSquareEventServer{"DevilSquareEventServer", ValueKind::Text};
inline constexpr Key CreateCharacter{"CreateCharacter", ValueKind::Flag};
inline constexpr Key GuildCreate{"GuildCreate", ValueKind::Flag};
inline constexpr Key GuildDestroy{"GuildDestroy", ValueKind::Flag};
inline constexpr Key Trade{"Trade", ValueKind::Flag};

inline constexpr Key NumberOfMaxUser{"NumberOfMaxUser", ValueKind::Text};
inline constexpr Key MaxLevel{"MaxLevel", ValueKind::Text};
inline constexpr Key ExcellentItemsDropRate{"ExcellentItemsDropRate", ValueKind::Text};
inline constexpr Key ChaosCastleMinPlayers{"ChaosCastleMinPlayers", ValueKind::Text};
inline constexpr Key ElfSoldierMaxLevel{"ElfSoldierMaxLevel", ValueKind::Text};
inline constexpr Key MaxZen{"MaxZen", ValueKind::Text};
inline constexpr Key MaxZenMessage{"MaxZenMessage", ValueKind::Text};
inline constexpr Key PointsLevelUp_Normal{"PointsLevelUp_Normal", ValueKind::Text};
inline constexpr Key PointsLevelUp_MG{"PointsLevelUp_MG", ValueKind::Text};
inline constexpr Key PointsLevelUp_DL{"PointsLevelUp_DL", ValueKind::Text};
inline constexpr Key ChaosMachineItemMixRate10{"ChaosMachineItemMixRate10", ValueKind::Text};
inline constexpr Key ChaosMachineItemMixRate11{"ChaosMachineItemMixRate11", ValueKind::Text};
inline constexpr Key ChaosMachineItemMixRate12{"ChaosMachineItemMixRate12", ValueKind::Text};
inline constexpr Key ChaosMachineItemMixRate13{"ChaosMachineItemMixRate13", ValueKind::Text};

inline constexpr Key CastleSiegeRun{"CastleSiegeRun", ValueKind::Flag};
inline constexpr Key CastleCycleStartYear{"CastleCycleStartYear", ValueKind::Text};
inline constexpr Key CastleCycleStartMonth{"CastleCycleStartMonth", ValueKind::Text};
inline constexpr Key CastleCycleStartDay{"CastleCycleStartDay", ValueKind::Text};
inline constexpr Key CastleSpecificState{"CastleSpecificState", ValueKind::Text};
inline constexpr Key CastleStateStartYear{"CastleStateStartYear", ValueKind::Text};
inline constexpr Key CastleStateStartMonth{"CastleStateStartMonth", ValueKind::Text};
inline constexpr Key CastleStateStartDay{"CastleStateStartDay", ValueKind::Text};
inline constexpr Key CastleStateStartHour{"CastleStateStartHour", ValueKind::Text};
inline constexpr Key CastleStateStartMinute{"CastleStateStartMinute", ValueKind::Text};

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
