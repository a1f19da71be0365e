#include "appearance.h"

#include "ruventostyle.h"

#include <QApplication>
#include <QIcon>
#include <QImageReader>
#include <QPalette>
#include <QStyleHints>
#include <QTranslator>

using namespace Qt::StringLiterals;

namespace ruvento {

namespace {

// The colours of every role in Fusion's light scheme, enabled and disabled
// (inactive is as active). Qt fills a role left unset from the desktop's
// palette, which from Qt 6.5 on follows its colour scheme, dark included, so
// the window sets them all.
struct RoleColours
{
    QPalette::ColorRole role;
    QRgb enabled, disabled;
};
constexpr RoleColours LightScheme[] = {
    {QPalette::WindowText, 0xff000000, 0xffbebebe},
    {QPalette::Button, 0xffefefef, 0xffefefef},
    {QPalette::Light, 0xffffffff, 0xffffffff},
    {QPalette::Midlight, 0xffcacaca, 0xffcacaca},
    {QPalette::Dark, 0xff9f9f9f, 0xffbebebe},
    {QPalette::Mid, 0xffb8b8b8, 0xffb8b8b8},
    {QPalette::Text, 0xff000000, 0xffbebebe},
    {QPalette::BrightText, 0xffffffff, 0xffffffff},
    {QPalette::ButtonText, 0xff000000, 0xffbebebe},
    {QPalette::Base, 0xffffffff, 0xffefefef},
    {QPalette::Window, 0xffefefef, 0xffefefef},
    {QPalette::Shadow, 0xff767676, 0xffb1b1b1},
    {QPalette::Highlight, 0xff308cc6, 0xff919191},
    {QPalette::HighlightedText, 0xffffffff, 0xffffffff},
    {QPalette::Link, 0xff0000ff, 0xff0000ff},
    {QPalette::LinkVisited, 0xffff00ff, 0xffff00ff},
    {QPalette::AlternateBase, 0xfff7f7f7, 0xfff7f7f7},
    {QPalette::NoRole, 0xff000000, 0xff000000},
    {QPalette::ToolTipBase, 0xffffffdc, 0xffffffdc},
    {QPalette::ToolTipText, 0xff000000, 0xff000000},
    {QPalette::PlaceholderText, 0x80000000, 0x80000000},
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
    // Qt 6.6's accent, which Fusion takes from the highlight.
    {QPalette::Accent, 0xff308cc6, 0xff919191},
#endif
};

QPalette lightPalette()
{
    QPalette palette;
    for (const RoleColours &colours : LightScheme) {
        palette.setColor(QPalette::Active, colours.role, QColor::fromRgba(colours.enabled));
        palette.setColor(QPalette::Inactive, colours.role, QColor::fromRgba(colours.enabled));
        palette.setColor(QPalette::Disabled, colours.role, QColor::fromRgba(colours.disabled));
    }
    return palette;
}

} // namespace

// "Segoe UI" where the system has it, else the nearest sans-serif face.
QFont RuventoFont(qreal points)
{
    QFont font;
    font.setFamilies({u"Segoe UI"_s, u"Open Sans"_s});
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(QFont::Normal);
    font.setPointSizeF(points);
    return font;
}

void ApplyAppearance(QApplication &app)
{
    // Ruvento speaks Italian throughout, Qt's own texts included.
    auto *qtItalian = new QTranslator(&app);
    if (qtItalian->load(u":/i18n/qtbase_it.qm"_s))
        QCoreApplication::installTranslator(qtItalian);
    QApplication::setStyle(new RuventoStyle);
    // Light whatever the desktop's colour scheme: the palette, and from
    // Qt 6.8 on what the platform draws itself, such as a title bar.
    QApplication::setPalette(lightPalette());
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QGuiApplication::styleHints()->setColorScheme(Qt::ColorScheme::Light);
#endif
    // Every window of the program, the main one included, takes this icon.
    // Read as PNG outright: left to guess the format, the reader would load
    // every image plug-in to ask it.
    QImageReader icon(u":/ruvento.png"_s, "png");
    icon.setAutoDetectImageFormat(false);
    QApplication::setWindowIcon(QIcon(QPixmap::fromImage(icon.read())));
    QApplication::setFont(RuventoFont(WindowFontPoints));
}

} // namespace ruvento
