// Names for the date-time pickers as a screen reader announces them: each
// says which time it is ("Pump time", "Run start", ...), since the pickers
// themselves carry no caption and several stand side by side.
#pragma once

class QWidget;

namespace PickerNames {

// Gives every picker under `window` that has a name here its accessible name.
void apply(QWidget* window);

} // namespace PickerNames
