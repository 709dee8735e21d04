#pragma once

#include <QWidget>

#include <cstddef>

class QAction;
class QIcon;
class QMenuBar;

// Builds a window's fixed controls from one constant table, so that a window
// class holds only its handlers. Positions and sizes are in twips.
namespace forms {

enum class Kind { Label, TextBox, CheckBox, Button, Picture, Line };

enum class Style {
    Normal,    // MS Sans Serif 8.25 pt
    Bold,      // MS Sans Serif 8.25 pt bold
    Heading,   // Monotype Corsiva 15.75 pt bold italic, in the desktop colour
    BlueTitle, // MS Sans Serif 12 pt bold, blue, centred
    RedTitle,  // MS Sans Serif 12 pt bold, red
    BlueBold,  // MS Sans Serif 8.25 pt bold, blue
    Link,      // MS Sans Serif 8.25 pt on one line, sized to its text; takes the focus
    RowPart,   // MS Sans Serif 8.25 pt; names the field after it together with
               // the row's heading, the last label before it that is no part
};

constexpr int kNoTab = -1;

struct Control
{
    Kind kind;
    const char *name; // the objectName the window's handlers look it up by
    const char *text; // UTF-8; a picture's resource path
    int left;
    int top;
    int width;
    int height;
    int tab = kNoTab; // keyboard tab position; ignored for labels, pictures and lines
    Style style = Style::Normal;
    bool enabled = true;
};

// A menu bar entry (menu == nullptr) or an item of the menu named by `menu`.
struct MenuItem
{
    const char *name;
    const char *text;
    const char *menu = nullptr;
};

int pixels(int twips);

// Creates the controls on `client` in table order, applies the tab order and
// fixes the client area's size.
void buildControls(QWidget *client, const Control *controls, std::size_t count, int widthTwips,
                   int heightTwips);
template <std::size_t N>
void buildControls(QWidget *client, const Control (&controls)[N], int widthTwips, int heightTwips)
{
    buildControls(client, controls, N, widthTwips, heightTwips);
}

void buildMenu(QMenuBar *bar, const MenuItem *items, std::size_t count);
template <std::size_t N>
void buildMenu(QMenuBar *bar, const MenuItem (&items)[N])
{
    buildMenu(bar, items, N);
}

// The program's icon, in every size it is drawn in.
QIcon programIcon();

// Gives a top-level window its caption, the program's icon and a fixed border
// with a close box but no minimise or maximise button. An owned window has no
// taskbar entry.
void fixWindow(QWidget *window, const QString &caption);

// A control of the window by name; the tables guarantee it exists.
template <typename T>
T *child(const QObject *form, const char *name)
{
    T *found = form->findChild<T *>(QLatin1String(name));
    Q_ASSERT_X(found, "forms::child", name);
    return found;
}

} // namespace forms
