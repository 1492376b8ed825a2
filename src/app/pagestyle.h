// Looks of the pages that a Designer form cannot state relative to the
// desktop's own font.
#pragma once

class QLabel;
class QString;
class QWidget;

namespace PageStyle {
// A page's heading: the desktop font, three points larger, bold.
void heading(QLabel* title);
// Help text whose line breaks are placed with runs of blanks: a fixed-pitch
// font and a width of 64 characters, so every run falls at a line's end.
void fixedWidthHelp(QLabel* help);
// A live caption whose text changes while the pump is polled or read: a
// label whose size can change lays out the whole window again at each new
// text (and the window then repaints all of it). It is given one fixed size,
// that of the longest text it shows, so a new text repaints the label alone.
void steadySize(QLabel* live, const QString& longest);
// Controls made on a page's first show, while it is being shown: shown and
// laid out now, so the page's first frame has them (a layout shows a new
// control only at the next turn of the event loop).
void showNewControls(QWidget* page);
} // namespace PageStyle
