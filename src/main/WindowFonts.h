#pragma once

#include <QFont>

// The fonts of the main window, requested by the names of its layout. Metric-compatible free
// fonts stand in for them: wine's MS Sans Serif, Arimo for Arial, a heavy sans for Arial Black.
namespace WindowFonts {

// "MS Sans Serif", 11 pixels: the window's font and that of most controls.
QFont windowFont();
// "Arial", 13 pixels: the title line and the body editor.
QFont editorFont();
// "Arial Black", 11 pixels: the clip list.
QFont listFont();

} // namespace WindowFonts
