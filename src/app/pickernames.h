// Names for the date-time pickers as a screen reader announces them: each
// says which time it is ("Pump time", "Run start", ...), since the pickers
// themselves carry no caption and several stand side by side.
#pragma once

#include <functional>

class QWidget;

namespace PickerNames {

// Gives every picker named here its accessible name; `control` finds the
// window's control of an objectName (null when there is none).
void apply(const std::function<QWidget*(const char* name)>& control);

} // namespace PickerNames
