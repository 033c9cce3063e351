#pragma once

#include <QFont>
#include <QString>

namespace korvex::WindowFonts {

// The face of every caption, button and check box of both windows.
inline QFont plain(double points) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    return font;
}

inline QFont caption() {
    QFont font = plain(9.75);
    font.setBold(true);
    return font;
}

} // namespace korvex::WindowFonts
