#include "ui/forms/accessibility.h"

#include "ui/forms/linklabel.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QDialog>
#include <QMainWindow>

namespace ui::forms {
namespace {

constexpr char kAnnouncedAsWindow[] = "forms_announcedAsWindow";

// A link as a screen reader should see it: the link role, and a press action
// that opens it, as a click does.
class LinkAccessible : public QAccessibleWidget
{
public:
    explicit LinkAccessible(LinkLabel *link)
        : QAccessibleWidget(link, QAccessible::Link)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return static_cast<LinkLabel *>(widget())->text();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.linked = true;
        return s;
    }
    QStringList actionNames() const override
    {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString &action) override
    {
        if (action == pressAction())
            static_cast<LinkLabel *>(widget())->activate();
        else
            QAccessibleWidget::doAction(action);
    }
};

QAccessibleInterface *roles(const QString &, QObject *object)
{
    if (auto *link = qobject_cast<LinkLabel *>(object))
        return new LinkAccessible(link);
    if (object->isWidgetType() && object->property(kAnnouncedAsWindow).toBool())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

void installAccessibleRoles()
{
    static const bool installed = [] {
        QAccessible::installFactory(roles);
        return true;
    }();
    Q_UNUSED(installed);
}

void announceAsWindow(QWidget *window)
{
    installAccessibleRoles();
    // Main windows and dialogs have their own roles already.
    if (!qobject_cast<QMainWindow *>(window) && !qobject_cast<QDialog *>(window))
        window->setProperty(kAnnouncedAsWindow, true);
}

} // namespace ui::forms
