#include "formbuilder.h"

#include "desktopcolour.h"

#include <QAction>
#include <QCheckBox>
#include <QFont>
#include <QFontInfo>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>

#include <algorithm>
#include <optional>
#include <limits>
#include <vector>

namespace forms {
namespace {

const QString kSansSerif = QStringLiteral("MS Sans Serif");
const QString kCalligraphic = QStringLiteral("Monotype Corsiva");
const QString kWindowsSansSerif = QStringLiteral("Microsoft Sans Serif");

// The windows name the classic Windows fonts; elsewhere the nearest free fonts
// of the same size, weight and slant stand in for them.
void substituteFontsOnce()
{
    static const bool done = [] {
        // Windows' own TrueType successor of the bitmap font comes first.
        QFont::insertSubstitutions(kSansSerif, {kWindowsSansSerif, QStringLiteral("Liberation Sans"),
                                                QStringLiteral("Arial"),
                                                QStringLiteral("Helvetica")});
        QFont::insertSubstitutions(kCalligraphic, {QStringLiteral("Z003"),
                                                   QStringLiteral("TeX Gyre Chorus"),
                                                   QStringLiteral("URW Chancery L"),
                                                   QStringLiteral("Lucida Calligraphy"),
                                                   QStringLiteral("Segoe Script")});
        return true;
    }();
    Q_UNUSED(done);
}

// How a style looks: font, colour (the default when unset) and alignment.
struct Look
{
    QString family = kSansSerif;
    qreal points = 8.25;
    bool bold = false;
    bool italic = false;
    std::optional<QColor> colour;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop;
};

Look lookOf(Style style)
{
    const QColor blue(0, 0, 255);
    switch (style) {
    case Style::Normal:
    case Style::Link:
    case Style::RowPart:
        return {};
    case Style::Bold:
        return {kSansSerif, 8.25, true, false, std::nullopt};
    case Style::Heading:
        return {kCalligraphic, 15.75, true, true, QColor::fromRgb(desktopColour()),
                Qt::AlignLeft | Qt::AlignTop};
    case Style::BlueTitle:
        return {kSansSerif, 12, true, false, blue, Qt::AlignHCenter | Qt::AlignTop};
    case Style::RedTitle:
        return {kSansSerif, 12, true, false, QColor(255, 0, 0), Qt::AlignLeft | Qt::AlignTop};
    case Style::BlueBold:
        return {kSansSerif, 8.25, true, false, blue, Qt::AlignLeft | Qt::AlignTop};
    }
    return {};
}

QFont fontOf(const Look &look)
{
    QFont font(look.family);
    font.setPointSizeF(look.points);
    font.setBold(look.bold);
    font.setItalic(look.italic);
    // The free stand-ins for MS Sans Serif run about 8 % wider at the same
    // size, which would push labels such as "Criar Personagem :" onto a line
    // their box cannot show. Narrow them to the classic font's width.
    if (look.family == kSansSerif) {
        const QString used = QFontInfo(font).family();
        if (used != kSansSerif && used != kWindowsSansSerif)
            font.setStretch(92);
    }
    return font;
}

void paint(QWidget *widget, Style style)
{
    const Look look = lookOf(style);
    widget->setFont(fontOf(look));
    if (look.colour) {
        QPalette palette = widget->palette();
        palette.setColor(QPalette::WindowText, *look.colour);
        widget->setPalette(palette);
    }
    if (auto *label = qobject_cast<QLabel *>(widget)) {
        label->setAlignment(look.alignment);
        if (style == Style::Link) {
            label->setWordWrap(false);
            label->adjustSize();
            label->setFocusPolicy(Qt::StrongFocus); // reached with Tab like a button
        }
    }
}

QWidget *create(const Control &row, QWidget *client)
{
    const QString text = QString::fromUtf8(row.text);
    switch (row.kind) {
    case Kind::Label: {
        auto *label = new QLabel(text, client);
        label->setWordWrap(true);
        return label;
    }
    case Kind::TextBox: {
        auto *box = new QLineEdit(text, client);
        box->setMaxLength(std::numeric_limits<int>::max()); // no length limit
        return box;
    }
    case Kind::CheckBox:
        return new QCheckBox(text, client);
    case Kind::Button: {
        auto *button = new QPushButton(text, client);
        button->setAutoDefault(true); // Enter presses the focused button
        return button;
    }
    case Kind::Picture: {
        auto *picture = new QLabel(client);
        picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        if (!text.isEmpty())
            picture->setPixmap(QPixmap(text));
        return picture;
    }
    case Kind::Line: {
        auto *line = new QFrame(client);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Plain);
        return line;
    }
    }
    return nullptr;
}

bool takesFocus(Kind kind)
{
    return kind == Kind::TextBox || kind == Kind::CheckBox || kind == Kind::Button;
}

// A text box or check box takes the label just before it in the table as its
// buddy and accessible name, so a screen reader announces "Experiencia:"
// rather than "edit" or "Sim ou Nao". A part of a row ("MG") is announced with
// its row's heading: "Pontos Por Level: MG".
void nameByLabels(QWidget *client, const Control *controls, std::size_t count)
{
    QString heading;
    for (std::size_t i = 0; i < count; ++i) {
        const Control &row = controls[i];
        if (row.kind == Kind::Label && row.style != Style::RowPart)
            heading = QString::fromUtf8(row.text);
        if (i == 0 || (row.kind != Kind::TextBox && row.kind != Kind::CheckBox))
            continue;
        const Control &label = controls[i - 1];
        if (label.kind != Kind::Label)
            continue;
        QWidget *control = child<QWidget>(client, row.name);
        child<QLabel>(client, label.name)->setBuddy(control);
        const QString text = QString::fromUtf8(label.text);
        control->setAccessibleName(label.style == Style::RowPart ? heading + QLatin1Char(' ') + text : text);
    }
}

} // namespace

int pixels(int twips)
{
    return twips / 15;
}

void buildControls(QWidget *client, const Control *controls, std::size_t count, int widthTwips,
                   int heightTwips)
{
    substituteFontsOnce();
    client->setFixedSize(pixels(widthTwips), pixels(heightTwips));
    // The keyboard visits a window's children in the order they were created,
    // so the controls that take the focus are created last, in tab order.
    std::vector<const Control *> order;
    for (std::size_t i = 0; i < count; ++i)
        order.push_back(&controls[i]);
    const auto tabKey = [](const Control *c) { return takesFocus(c->kind) ? c->tab : kNoTab; };
    std::stable_sort(order.begin(), order.end(),
                     [&](const Control *a, const Control *b) { return tabKey(a) < tabKey(b); });
    for (const Control *row : order) {
        QWidget *widget = create(*row, client);
        widget->setObjectName(QLatin1String(row->name));
        widget->setGeometry(pixels(row->left), pixels(row->top), pixels(row->width),
                            std::max(1, pixels(row->height)));
        widget->setEnabled(row->enabled);
        paint(widget, row->style);
    }
    nameByLabels(client, controls, count);
}

void buildMenu(QMenuBar *bar, const MenuItem *items, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        const MenuItem &item = items[i];
        const QString text = QString::fromUtf8(item.text);
        const bool hasItems = std::any_of(items, items + count, [&](const MenuItem &other) {
            return other.menu && qstrcmp(other.menu, item.name) == 0;
        });
        QAction *action = nullptr;
        if (item.menu) {
            action = child<QMenu>(bar, item.menu)->addAction(text);
        } else if (hasItems) {
            QMenu *menu = bar->addMenu(text);
            menu->setObjectName(QLatin1String(item.name));
            action = menu->menuAction();
        } else {
            action = bar->addAction(text);
        }
        action->setObjectName(QLatin1String(item.name));
    }
}

QIcon programIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256}) // Qt reads each file here, once
        icon.addFile(QStringLiteral(":/assets/icons/%1.png").arg(size), QSize(size, size));
    return icon;
}

void fixWindow(QWidget *window, const QString &caption)
{
    window->setWindowTitle(caption);
    window->setWindowIcon(programIcon());
    const Qt::WindowFlags type = window->parentWidget() ? Qt::Dialog : Qt::Window;
    window->setWindowFlags(type | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                           | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                           | Qt::MSWindowsFixedSizeDialogHint);
    if (window->layout()) // a main window: menu bar above a fixed client area
        window->layout()->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace forms
