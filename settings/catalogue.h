#pragma once

#include <QString>

#include <vector>

// The keys of section "GameServerInfo" that the program edits, each with the
// window and control that show it and its place in that window's load and
// save. Nothing outside this catalogue is ever read or written.
namespace catalogue {

inline const QString kSection = QStringLiteral("GameServerInfo");

enum class Window { Form1, Form4, Form5 };
enum class Kind { Text, Flag };

struct Entry
{
    const char *key;
    Window window;
    const char *control; // the control's objectName in its window
    Kind kind;
    int loadStep;        // 1-based position in the window's load
    int saveStep;        // 1-based position in the window's save
};

const std::vector<Entry> &entries();

// One window's entries in the order its load, or its save, visits them.
std::vector<Entry> loadOrder(Window window);
std::vector<Entry> saveOrder(Window window);

} // namespace catalogue
