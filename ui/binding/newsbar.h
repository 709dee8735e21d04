#pragma once

#include <QLabel>

namespace ui::binding {

// News from the disk about the file a window shows (it vanished, it can no
// longer be read): a bar across the window's foot, over its controls, that
// never takes the keyboard, so that a key meant for a box still reaches the
// box. Hidden until there is news; a click, or the next load or save, puts
// it away. Screen readers hear it as an alert.
class NewsBar : public QLabel
{
public:
    explicit NewsBar(QWidget *window);

    void tell(const QString &news);

protected:
    void mousePressEvent(QMouseEvent *event) override;
};

} // namespace ui::binding
