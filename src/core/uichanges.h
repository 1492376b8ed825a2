// What handling one line (or one user action) changed on the window: captions,
// visibility, enabling, tool tips, colours, picker texts, spinner bounds and
// shared values. Decoders return it; the window applies it and
// `corvane-cli decode` prints it, so both show the same thing.
#pragma once

#include "core/pumpfacts.h"

#include <QMap>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

struct UiChanges {
    // Keyed by the element's objectName ("Label3_27", "fpDateTime4_0").
    QMap<QString, QString> text;
    QMap<QString, bool> visible;
    QMap<QString, bool> enabled;
    QMap<QString, bool> checked; // option buttons and check boxes
    QMap<QString, QString> tooltip;
    QMap<QString, QString> color; // "#rrggbb", lower case
    QMap<QString, QString> date;  // exactly as handed to the picker
    QMap<QString, QString> time;
    std::optional<std::pair<int, int>> flowRange; // UpDown1 min, max
    QMap<QString, int> bars;                      // progress bar values
    QMap<QString, int> barMaxima;                 // progress bar maxima (set before values)

    // Shared values written, by name, as text.
    QMap<QString, QString> values;

    // Message boxes to show once the current receive handling has returned.
    QStringList messages;

    // What the report said of the pump; the session turns it into the
    // enabling of the controls that write to the pump. Nothing shows it as is.
    PumpFacts facts;

    bool isEmpty() const {
        return text.isEmpty() && visible.isEmpty() && enabled.isEmpty() && checked.isEmpty() &&
               tooltip.isEmpty() && color.isEmpty() && date.isEmpty() && time.isEmpty() &&
               !flowRange && bars.isEmpty() && barMaxima.isEmpty() && values.isEmpty() &&
               messages.isEmpty() && facts.isEmpty();
    }

    // Later writes win, as they would on the window.
    void merge(const UiChanges& o) {
        auto into = [](auto& dst, const auto& src) {
            for (auto it = src.cbegin(); it != src.cend(); ++it)
                dst.insert(it.key(), it.value());
        };
        into(text, o.text);
        into(visible, o.visible);
        into(enabled, o.enabled);
        into(checked, o.checked);
        into(tooltip, o.tooltip);
        into(color, o.color);
        into(date, o.date);
        into(time, o.time);
        if (o.flowRange)
            flowRange = o.flowRange;
        into(bars, o.bars);
        into(barMaxima, o.barMaxima);
        into(values, o.values);
        messages += o.messages;
        facts.merge(o.facts);
    }
};

Q_DECLARE_METATYPE(UiChanges)
