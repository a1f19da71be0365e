#pragma once

#include <QFont>

class QApplication;

namespace ruvento {

// The window's own font, which its frames and labels and the message boxes use.
inline constexpr qreal WindowFontPoints = 8.25;

// "Segoe UI" at `points`, where the system has it, else the nearest sans-serif face.
[[nodiscard]] QFont RuventoFont(qreal points);

// The one style, icon, font and language of the program, so that the
// window's colours show the same on every platform, the message boxes match
// the window, and Qt's own texts are Italian like the rest.
void ApplyAppearance(QApplication &app);

} // namespace ruvento
