#pragma once

#include "settings/keys.h"

#include <QString>

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

// A window described as constant tables: its controls, one row per control
// with named fields (positions and sizes in twips), its menu, and the keys
// its fields show. The tables are data only, Qt Core only, no widget types:
// the form builder makes the window from them, and the command-line tool
// reads from them where the editor shows each key.
namespace formdata {

enum class ControlKind { Label, Link, TextBox, CheckBox, Button, Picture, Line };

enum class Style {
    Normal,    // MS Sans Serif 8.25 pt
    Bold,      // MS Sans Serif 8.25 pt bold
    Heading,   // Monotype Corsiva 15.75 pt bold italic, in the desktop colour
    BlueTitle, // MS Sans Serif 12 pt bold, blue, centred
    RedTitle,  // MS Sans Serif 12 pt bold, red
    BlueBold,  // MS Sans Serif 8.25 pt bold, blue
    RowPart,   // MS Sans Serif 8.25 pt; names the field after it together with
               // the row's heading, the last label before it that is no part
};

inline constexpr int kNoTab = -1;

struct Control
{
    ControlKind kind;
    const char *name;            // the object name: the key the control shows, or its role
    const char *text = "";       // UTF-8; a picture's resource path
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int tab = kNoTab;            // keyboard tab position of a control that takes the focus
    Style style = Style::Normal;
    bool enabled = true;
    const char *spokenName = ""; // what a screen reader says for a control no label names
};

// An entry of the menu bar (menu == nullptr), or an item of the menu named `menu`.
struct MenuItem
{
    const char *name;
    const char *text;
    const char *menu = nullptr;
};

// A key and the control that shows it: the one named after the key, unless
// `control` names another (one box may show several keys).
struct KeyControl
{
    const settings::Key *key;
    const char *control = nullptr;
};

// A key with its control's row, as the builder's tables resolve it.
struct BoundKey
{
    const settings::Key *key = nullptr;
    std::size_t row = 0;
};

// Everything the builder needs to make a window.
struct Window
{
    const char *caption;
    int width; // of the client area, in twips
    int height;
    std::span<const Control> controls;
    std::span<const MenuItem> menu = {};
    std::span<const BoundKey> fields = {};                // in load order
    std::span<const settings::Key *const> saveOrder = {};   // empty: the fields' order
};

// A typed handle on one row of a table, resolved while the program compiles:
// a name that is not in the table, or a control of another kind, does not
// compile. The builder hands back the widget of that kind for it.
template <ControlKind Kind>
struct Ref
{
    std::size_t row;
};

// The same for an item of a menu.
struct MenuRef
{
    std::size_t row;
};

template <typename Row>
consteval std::size_t rowNamed(std::span<const Row> rows, std::string_view name)
{
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (std::string_view(rows[i].name) == name)
            return i;
    }
    throw "the table has no row of that name";
}

template <ControlKind Kind>
consteval Ref<Kind> ref(std::span<const Control> rows, std::string_view name)
{
    const std::size_t row = rowNamed(rows, name);
    if (rows[row].kind != Kind)
        throw "the row is a control of another kind";
    return {row};
}

consteval MenuRef ref(std::span<const MenuItem> items, std::string_view name)
{
    return {rowNamed(items, name)};
}

// Each field with its control's row. A text key needs a text box, a flag a
// check box.
template <std::size_t N>
consteval std::array<BoundKey, N> bind(std::span<const Control> rows, const KeyControl (&fields)[N])
{
    std::array<BoundKey, N> bound{};
    for (std::size_t i = 0; i < N; ++i) {
        const settings::Key *key = fields[i].key;
        const std::size_t row = rowNamed(rows, fields[i].control ? fields[i].control : key->name);
        const ControlKind needed = key->kind == settings::ValueKind::Flag ? ControlKind::CheckBox : ControlKind::TextBox;
        if (rows[row].kind != needed)
            throw "a text key needs a text box, a flag a check box";
        bound[i] = {key, row};
    }
    return bound;
}

inline constexpr std::size_t kNoRow = std::size_t(-1);

// The label that names the control in `row`: the label right before it in
// the table; kNoRow when there is none.
constexpr std::size_t labelRowOf(std::span<const Control> rows, std::size_t row)
{
    if (row == 0 || rows[row - 1].kind != ControlKind::Label)
        return kNoRow;
    return row - 1;
}

// What the user reads beside the control in `row`: its label, after the
// heading of its row when the label names only a part of one ("Pontos Por
// Level: MG"). Empty when no label names it.
inline QString labelText(std::span<const Control> rows, std::size_t row)
{
    const std::size_t labelRow = labelRowOf(rows, row);
    if (labelRow == kNoRow)
        return QString();
    const QString label = QString::fromUtf8(rows[labelRow].text);
    if (rows[labelRow].style != Style::RowPart)
        return label;
    for (std::size_t i = labelRow; i-- > 0;) {
        if (rows[i].kind == ControlKind::Label && rows[i].style != Style::RowPart)
            return QString::fromUtf8(rows[i].text) + QLatin1Char(' ') + label;
    }
    return label;
}

} // namespace formdata
