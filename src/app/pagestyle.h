// Looks of the pages that a Designer form cannot state relative to the
// desktop's own font.
#pragma once

class QLabel;

namespace PageStyle {
// A page's heading: the desktop font, three points larger, bold.
void heading(QLabel* title);
// Help text whose line breaks are placed with runs of blanks: a fixed-pitch
// font and a width of 64 characters, so every run falls at a line's end.
void fixedWidthHelp(QLabel* help);
} // namespace PageStyle
