#pragma once

#include "formdata/table.h"

#include <span>
#include <vector>

class QAction;
class QMenuBar;

// Makes a window's menu bar from its table.
namespace ui::forms {

// The menu's actions, one per item.
class Actions
{
public:
    Actions() = default;
    explicit Actions(std::vector<QAction *> actions)
        : m_actions(std::move(actions))
    {
    }
    QAction *operator[](formdata::MenuRef ref) const { return m_actions.at(ref.row); }

private:
    std::vector<QAction *> m_actions;
};

Actions buildMenu(QMenuBar *bar, std::span<const formdata::MenuItem> items);

} // namespace ui::forms
