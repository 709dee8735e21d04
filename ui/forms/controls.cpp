#include "ui/forms/controls.h"

#include "desktop/desktopcolour.h"
#include "desktop/fonts.h"
#include "ui/forms/accessibility.h"
#include "ui/forms/linklabel.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

#include <algorithm>
#include <limits>
#include <optional>
#include <vector>

namespace ui::forms {
namespace {


// How a style looks: font, colour (the default when unset) and alignment.
struct Look
{
    desktop::Typeface typeface = desktop::Typeface::SansSerif;
    qreal points = 8.25;
    bool bold = false;
    bool italic = false;
    std::optional<QColor> colour;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop;
};

Look lookOf(formdata::Style style)
{
    const QColor blue(0, 0, 255);
    switch (style) {
    case formdata::Style::Normal:
    case formdata::Style::RowPart:
        return {};
    case formdata::Style::Bold:
        return {desktop::Typeface::SansSerif, 8.25, true, false, std::nullopt};
    case formdata::Style::Heading:
        return {desktop::Typeface::Calligraphic, 15.75, true, true, QColor::fromRgb(desktop::desktopColour()),
                Qt::AlignLeft | Qt::AlignTop};
    case formdata::Style::BlueTitle:
        return {desktop::Typeface::SansSerif, 12, true, false, blue, Qt::AlignHCenter | Qt::AlignTop};
    case formdata::Style::RedTitle:
        return {desktop::Typeface::SansSerif, 12, true, false, QColor(255, 0, 0), Qt::AlignLeft | Qt::AlignTop};
    case formdata::Style::BlueBold:
        return {desktop::Typeface::SansSerif, 8.25, true, false, blue, Qt::AlignLeft | Qt::AlignTop};
    }
    return {};
}

void paint(QWidget *widget, formdata::Style style)
{
    const Look look = lookOf(style);
    widget->setFont(desktop::windowFont(look.typeface, look.points, look.bold, look.italic));
    if (look.colour) {
        QPalette palette = widget->palette();
        palette.setColor(QPalette::WindowText, *look.colour);
        widget->setPalette(palette);
    }
    if (auto *label = qobject_cast<QLabel *>(widget))
        label->setAlignment(look.alignment);
    if (auto *link = qobject_cast<LinkLabel *>(widget))
        link->adjustSize(); // a link is as wide as its text, in its font
}

QWidget *create(const formdata::Control &row, QWidget *client)
{
    const QString text = QString::fromUtf8(row.text);
    switch (row.kind) {
    case formdata::ControlKind::Label: {
        auto *label = new QLabel(text, client);
        label->setWordWrap(true);
        return label;
    }
    case formdata::ControlKind::Link:
        return new LinkLabel(text, client);
    case formdata::ControlKind::TextBox: {
        auto *box = new QLineEdit(text, client);
        box->setMaxLength(std::numeric_limits<int>::max()); // no length limit
        return box;
    }
    case formdata::ControlKind::CheckBox:
        return new QCheckBox(text, client);
    case formdata::ControlKind::Button: {
        auto *button = new QPushButton(text, client);
        button->setAutoDefault(true); // Enter presses the focused button
        return button;
    }
    case formdata::ControlKind::Picture: {
        auto *picture = new QLabel(client);
        picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        if (!text.isEmpty())
            picture->setPixmap(QPixmap(text));
        picture->setAccessibleName(QString::fromUtf8(row.spokenName));
        return picture;
    }
    case formdata::ControlKind::Line: {
        auto *line = new QFrame(client);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Plain);
        return line;
    }
    }
    return nullptr;
}

bool takesFocus(formdata::ControlKind kind)
{
    return kind == formdata::ControlKind::TextBox || kind == formdata::ControlKind::CheckBox || kind == formdata::ControlKind::Button;
}

// A text box or check box takes the label just before it in the table as its
// buddy and accessible name, so a screen reader announces "Experiencia:"
// rather than "edit" or "Sim ou Nao".
void nameByLabels(const Controls &controls, std::span<const formdata::Control> rows)
{
    for (std::size_t row = 0; row < rows.size(); ++row) {
        if (rows[row].kind != formdata::ControlKind::TextBox && rows[row].kind != formdata::ControlKind::CheckBox)
            continue;
        const std::size_t labelRow = formdata::labelRowOf(rows, row);
        if (labelRow == formdata::kNoRow)
            continue;
        static_cast<QLabel *>(controls.at(labelRow))->setBuddy(controls.at(row));
        controls.at(row)->setAccessibleName(formdata::labelText(rows, row));
    }
}

} // namespace

int pixels(int twips)
{
    return twips / 15;
}

Controls buildControls(QWidget *client, const formdata::Window &window)
{
    client->setFixedSize(pixels(window.width), pixels(window.height));
    // The keyboard visits a window's children in the order they were created,
    // so the controls that take the focus are created last, in tab order.
    const std::span<const formdata::Control> rows = window.controls;
    std::vector<std::size_t> order(rows.size());
    for (std::size_t row = 0; row < rows.size(); ++row)
        order[row] = row;
    const auto tabKey = [&](std::size_t row) { return takesFocus(rows[row].kind) ? rows[row].tab : formdata::kNoTab; };
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return tabKey(a) < tabKey(b); });
    std::vector<QWidget *> widgets(rows.size());
    for (const std::size_t row : order) {
        const formdata::Control &control = rows[row];
        QWidget *widget = create(control, client);
        widget->setObjectName(QLatin1String(control.name));
        widget->setGeometry(pixels(control.left), pixels(control.top), pixels(control.width),
                            std::max(1, pixels(control.height)));
        widget->setEnabled(control.enabled);
        paint(widget, control.style);
        widgets[row] = widget;
    }
    Controls controls(std::move(widgets));
    nameByLabels(controls, rows);
    return controls;
}

} // namespace ui::forms
