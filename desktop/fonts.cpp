#include "desktop/fonts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>

namespace desktop {
namespace {

const QString kSansSerif = QStringLiteral("MS Sans Serif");
const QString kWindowsSansSerif = QStringLiteral("Microsoft Sans Serif");
const QString kCalligraphic = QStringLiteral("Monotype Corsiva");

} // namespace

void setUpFonts()
{
    static const bool done = [] {
        const QDir shipped(QCoreApplication::applicationDirPath() + QStringLiteral("/fonts"));
        for (const QString &file : shipped.entryList({QStringLiteral("*.otf"), QStringLiteral("*.ttf")}, QDir::Files))
            QFontDatabase::addApplicationFont(shipped.filePath(file));
        // Windows' own TrueType successor of the bitmap font comes first.
        QFont::insertSubstitutions(kSansSerif, {kWindowsSansSerif, QStringLiteral("Liberation Sans"),
                                                QStringLiteral("Arial"), QStringLiteral("Helvetica")});
        QFont::insertSubstitutions(kCalligraphic, {QStringLiteral("Z003"), QStringLiteral("TeX Gyre Chorus"),
                                                   QStringLiteral("URW Chancery L"),
                                                   QStringLiteral("Lucida Calligraphy"),
                                                   QStringLiteral("Segoe Script")});
        return true;
    }();
    Q_UNUSED(done);
}

QFont windowFont(Typeface typeface, qreal points, bool bold, bool italic)
{
    setUpFonts();
    QFont font(typeface == Typeface::SansSerif ? kSansSerif : kCalligraphic);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    if (typeface == Typeface::SansSerif) {
        if (narrowed(QFontInfo(font).family()))
            font.setStretch(92); // the classic font's width
    } else {
        // Not narrowed with the application's font, which it would inherit.
        font.setStretch(QFont::Unstretched);
    }
    return font;
}

bool narrowed(const QString &family)
{
    return family != kSansSerif && family != kWindowsSansSerif;
}

QFont defaultWindowFont()
{
    return windowFont(Typeface::SansSerif, 8.25);
}

} // namespace desktop
