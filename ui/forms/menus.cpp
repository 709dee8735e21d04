#include "ui/forms/menus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <algorithm>
#include <vector>

namespace ui::forms {

Actions buildMenu(QMenuBar *bar, std::span<const formdata::MenuItem> items)
{
    std::vector<QAction *> actions;
    std::vector<QMenu *> menus(items.size(), nullptr);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const formdata::MenuItem &item = items[i];
        const QString text = QString::fromUtf8(item.text);
        const bool hasItems = std::any_of(items.begin(), items.end(), [&](const formdata::MenuItem &other) {
            return other.menu && qstrcmp(other.menu, item.name) == 0;
        });
        QAction *action = nullptr;
        if (item.menu) {
            const auto owner = std::find_if(items.begin(), items.begin() + std::ptrdiff_t(i), [&](const formdata::MenuItem &earlier) {
                return qstrcmp(earlier.name, item.menu) == 0;
            });
            Q_ASSERT(owner != items.begin() + std::ptrdiff_t(i)); // a menu comes before its items
            action = menus[std::size_t(owner - items.begin())]->addAction(text);
        } else if (hasItems) {
            menus[i] = bar->addMenu(text);
            menus[i]->setObjectName(QLatin1String(item.name));
            action = menus[i]->menuAction();
        } else {
            action = bar->addAction(text);
        }
        action->setObjectName(QLatin1String(item.name));
        actions.push_back(action);
    }
    return Actions(std::move(actions));
}

} // namespace ui::forms
