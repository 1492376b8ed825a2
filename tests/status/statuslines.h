// Builds pump reply lines position by position, so a test names the fields it
// changes instead of spelling out 231 characters, and checks what a decode wrote.
#pragma once

#include "core/uichanges.h"

#include <QTest>
#include <tuple>
#include <vector>

namespace TestLines {

using Field = std::tuple<const char*, int, const char*>; // name, 1-based position, value

// A complete status report of a KST-5 pump at work; each field is named as the
// report's layout names it, with its position and a typical value.
inline const std::vector<Field> kStatusFields = {
    {"boardHours", 5, "0123"},     {"boardMinutes", 10, "45"},     {"motorHours", 13, "0100"},
    {"motorMinutes", 18, "30"},    {"baro", 21, "30.10"},          {"dp", 27, "05.02"},
    {"flowSetting", 34, "002000"}, {"volFlow", 40, "002010"},      {"stpFlow", 47, "001990"},
    {"cumVolume", 54, "00012.34"}, {"stpVolume", 63, "00012.00"},  {"type", 72, "21"},
    {"clockMinute", 75, "05"},     {"clockHour", 78, "14"},        {"clockDay", 81, "06"},
    {"clockMonth", 84, "12"},      {"clockYear", 87, "26"},        {"sampleHours", 90, "002"},
    {"sampleMinutes", 94, "15"},   {"battery", 97, "085"},         {"temp", 101, "072"},
    {"logRate", 105, "15"},        {"firmware", 108, "2.04"},      {"logCount", 113, "012"},
    {"serial", 117, "00012345"},   {"battHours", 126, "10"},       {"battMinutes", 129, "20"},
    {"avgTemp", 132, "070"},       {"logUsed", 136, "005"},        {"calMinute", 140, "00"},
    {"calHour", 143, "09"},        {"calDay", 146, "01"},          {"calMonth", 149, "06"},
    {"calYear", 152, "26"},        {"calFlow", 155, "002000"},     {"startMinute", 162, "30"},
    {"startHour", 165, "08"},      {"startDay", 168, "05"},        {"startMonth", 171, "12"},
    {"startYear", 174, "26"},      {"stopMinute", 177, "00"},      {"stopHour", 180, "16"},
    {"stopDay", 183, "05"},        {"stopMonth", 186, "12"},       {"stopYear", 189, "26"},
    {"b1StartMinute", 192, "00"},  {"b1StartHour", 195, "10"},     {"b1StopMinute", 198, "15"},
    {"b1StopHour", 201, "10"},     {"b2StartMinute", 204, "00"},   {"b2StartHour", 207, "14"},
    {"b2StopMinute", 210, "15"},   {"b2StopHour", 213, "14"},      {"lunchStartMinute", 216, "00"},
    {"lunchStartHour", 219, "12"}, {"lunchStopMinute", 222, "30"}, {"lunchStopHour", 225, "12"},
    {"runState", 228, "0100"}};

// Overrides as "name=value" texts; the value replaces the field's characters
// and must have the field's width.
inline QString statusLine(const QStringList& overrides = {}) {
    QMap<QString, QString> set;
    for (const QString& o : overrides)
        set.insert(o.section('=', 0, 0), o.section('=', 1));
    QString line = QString("R99").leftJustified(231);
    for (const auto& [name, position, value] : kStatusFields) {
        const QString v = set.take(name);
        Q_ASSERT_X(v.isNull() || v.size() == int(qstrlen(value)), "statusLine", name);
        line.replace(position - 1, int(qstrlen(value)), v.isNull() ? QString(value) : v);
    }
    Q_ASSERT_X(set.isEmpty(), "statusLine", "no such field");
    return line;
}

// Checks what handling a line wrote. An expectation reads "names=value" for
// captions or "kind:names=value" for visible, enabled, facts (1 or 0), tooltip,
// color, date, time and values; names separated by commas share the value; without
// "=value" the elements must be left unwritten.
inline void expectChanges(const UiChanges& c, const QStringList& expectations) {
    QMap<QString, QMap<QString, QString>> maps{{"text", c.text},   {"tooltip", c.tooltip},
                                               {"color", c.color}, {"date", c.date},
                                               {"time", c.time},   {"values", c.values}};
    QMap<QString, bool> facts;
    if (c.facts.logsCounted)
        facts.insert("logsCounted", true);
    if (c.facts.running)
        facts.insert("running", *c.facts.running);
    if (c.facts.programmingLocked)
        facts.insert("programmingLocked", *c.facts.programmingLocked);
    for (const auto& [kind, flags] :
         {std::pair{"visible", c.visible}, {"enabled", c.enabled}, {"facts", facts}})
        for (auto it = flags.begin(); it != flags.end(); ++it)
            maps[kind][it.key()] = it.value() ? "1" : "0";
    for (const QString& e : expectations) {
        const QString kind = e.section(':', 0, 0);
        const QString rest = maps.contains(kind) ? e.section(':', 1) : e;
        const QMap<QString, QString> m = maps.value(maps.contains(kind) ? kind : "text");
        const int eq = rest.indexOf('=');
        for (const QString& name : rest.left(eq).split(','))
            QCOMPARE(m.contains(name) ? name + "=" + m[name] : name,
                     name + (eq < 0 ? QString() : rest.mid(eq)));
    }
}

} // namespace TestLines
