// A Sequence as text, one entry per step, for golden step lists: the kind,
// its text or value, then its window changes; a carriage return shows as '|'.
#pragma once

#include "protocol/sequence.h"

#include <QStringList>
#include <QVariant>
#include <iterator>

inline QStringList render(const Sequence& s) {
    static const char* const kinds[] = {"write ",      "direct ",    "caption ",    "bar ",
                                        "wait ",       "ui ",        "box ",        "save",
                                        "polling off", "polling on", "busy ",       "clear table",
                                        "rows ",       "format ",    "clear memo",  "hourglass",
                                        "pointer",     "print log",  "capture off", "open box "};
    static_assert(std::size(kinds) == int(Step::Kind::OpenBox) + 1);
    QStringList out;
    for (const Step& step : s.steps) {
        QString text = step.text;
        text.replace(QChar(13), QLatin1Char('|'));
        if (step.kind == Step::Kind::Bar || step.kind == Step::Kind::Wait ||
            step.kind == Step::Kind::Busy || step.kind == Step::Kind::SizeTable)
            text = QString::number(step.value);
        QStringList parts;
        const auto flags = [&](const QMap<QString, bool>& m, const char* on, const char* off) {
            for (auto it = m.cbegin(); it != m.cend(); ++it)
                parts << (it.value() ? on : off) + it.key();
        };
        const auto pairs = [&](const auto& m, const QString& prefix) {
            for (auto it = m.cbegin(); it != m.cend(); ++it)
                parts << prefix + it.key() + "=" + QVariant(it.value()).toString();
        };
        flags(step.ui.visible, "show ", "hide ");
        flags(step.ui.enabled, "enable ", "disable ");
        pairs(step.ui.text, "");
        pairs(step.ui.values, "value ");
        pairs(step.ui.barMaxima, "max ");
        pairs(step.ui.bars, "bar ");
        out << kinds[int(step.kind)] + text + parts.join(", ");
    }
    return out;
}

// Expected steps written as one text, "; " between two steps.
inline QStringList steps(const QString& text) {
    return text.split(QStringLiteral("; "));
}
