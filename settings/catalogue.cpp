#include "catalogue.h"

#include <algorithm>
#include <iterator>

namespace catalogue {
namespace {

using K = Kind;
using W = Window;

// The main window reads the three address keys in a different order than it
// writes them; every other window loads and saves in one order.
const std::vector<Entry> kEntries = {
    {"AddExperience", W::Form1, "Text2", K::Text, 1, 1},
    {"MonsterHp", W::Form1, "Text5", K::Text, 2, 2},
    {"ItemDropPer", W::Form1, "Text6", K::Text, 3, 3},
    {"CharacterDeleteMinLevel", W::Form1, "Text3", K::Text, 4, 4},
    {"GuildCreateLevel", W::Form1, "Text4", K::Text, 5, 5},
    {"ChaosEventServer", W::Form1, "Text7", K::Text, 6, 6},
    {"EventChipServerIp", W::Form1, "Text7", K::Text, 8, 7},
    {"DevilSquareEventServer", W::Form1, "Text7", K::Text, 7, 8},
    {"CreateCharacter", W::Form1, "Check1", K::Flag, 9, 9},
    {"GuildCreate", W::Form1, "Check2", K::Flag, 10, 10},
    {"GuildDestroy", W::Form1, "Check3", K::Flag, 11, 11},
    {"Trade", W::Form1, "Check4", K::Flag, 12, 12},

    {"NumberOfMaxUser", W::Form4, "Text1", K::Text, 1, 1},
    {"MaxLevel", W::Form4, "Text2", K::Text, 2, 2},
    {"ExcellentItemsDropRate", W::Form4, "Text3", K::Text, 3, 3},
    {"ChaosCastleMinPlayers", W::Form4, "Text4", K::Text, 4, 4},
    {"ElfSoldierMaxLevel", W::Form4, "Text5", K::Text, 5, 5},
    {"MaxZen", W::Form4, "Text6", K::Text, 6, 6},
    {"MaxZenMessage", W::Form4, "Text7", K::Text, 7, 7},
    {"PointsLevelUp_Normal", W::Form4, "Text8", K::Text, 8, 8},
    {"PointsLevelUp_MG", W::Form4, "Text9", K::Text, 9, 9},
    {"PointsLevelUp_DL", W::Form4, "Text10", K::Text, 10, 10},
    {"ChaosMachineItemMixRate10", W::Form4, "Text11", K::Text, 11, 11},
    {"ChaosMachineItemMixRate11", W::Form4, "Text12", K::Text, 12, 12},
    {"ChaosMachineItemMixRate12", W::Form4, "Text13", K::Text, 13, 13},
    {"ChaosMachineItemMixRate13", W::Form4, "Text14", K::Text, 14, 14},

    // The run flag comes last in both directions, after the nine dates.
    {"CastleSiegeRun", W::Form5, "Check1", K::Flag, 10, 10},
    {"CastleCycleStartYear", W::Form5, "Text1", K::Text, 1, 1},
    {"CastleCycleStartMonth", W::Form5, "Text2", K::Text, 2, 2},
    {"CastleCycleStartDay", W::Form5, "Text3", K::Text, 3, 3},
    {"CastleSpecificState", W::Form5, "Text4", K::Text, 4, 4},
    {"CastleStateStartYear", W::Form5, "Text5", K::Text, 5, 5},
    {"CastleStateStartMonth", W::Form5, "Text6", K::Text, 6, 6},
    {"CastleStateStartDay", W::Form5, "Text7", K::Text, 7, 7},
    {"CastleStateStartHour", W::Form5, "Text8", K::Text, 8, 8},
    {"CastleStateStartMinute", W::Form5, "Text9", K::Text, 9, 9},
};

std::vector<Entry> ordered(Window window, int Entry::*step)
{
    std::vector<Entry> steps;
    std::copy_if(kEntries.begin(), kEntries.end(), std::back_inserter(steps),
                 [window](const Entry &entry) { return entry.window == window; });
    std::sort(steps.begin(), steps.end(),
              [step](const Entry &a, const Entry &b) { return a.*step < b.*step; });
    return steps;
}

} // namespace

const std::vector<Entry> &entries()
{
    return kEntries;
}

std::vector<Entry> loadOrder(Window window)
{
    return ordered(window, &Entry::loadStep);
}

std::vector<Entry> saveOrder(Window window)
{
    return ordered(window, &Entry::saveStep);
}

} // namespace catalogue
