// Builds pump reply lines position by position, so a test names the fields it
// changes instead of spelling out 231 characters.
#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <initializer_list>
#include <utility>

namespace TestLines {

struct Field {
    int position;  // 1-based
    QString value; // exactly the field's width
};

// A complete status report of a KST-5 pump at work; each field is named as the
// report's layout names it, with its position and a typical value.
inline QMap<QString, Field> statusDefaults() {
    return {
        {"boardHours", {5, "0123"}},     {"boardMinutes", {10, "45"}},
        {"motorHours", {13, "0100"}},    {"motorMinutes", {18, "30"}},
        {"baro", {21, "30.10"}},         {"dp", {27, "05.02"}},
        {"flowSetting", {34, "002000"}}, {"volFlow", {40, "002010"}},
        {"stpFlow", {47, "001990"}},     {"cumVolume", {54, "00012.34"}},
        {"stpVolume", {63, "00012.00"}}, {"type", {72, "21"}},
        {"clockMinute", {75, "05"}},     {"clockHour", {78, "14"}},
        {"clockDay", {81, "06"}},        {"clockMonth", {84, "12"}},
        {"clockYear", {87, "26"}},       {"sampleHours", {90, "002"}},
        {"sampleMinutes", {94, "15"}},   {"battery", {97, "085"}},
        {"temp", {101, "072"}},          {"logRate", {105, "15"}},
        {"firmware", {108, "2.04"}},     {"logCount", {113, "012"}},
        {"serial", {117, "00012345"}},   {"battHours", {126, "10"}},
        {"battMinutes", {129, "20"}},    {"avgTemp", {132, "070"}},
        {"logUsed", {136, "005"}},       {"calMinute", {140, "00"}},
        {"calHour", {143, "09"}},        {"calDay", {146, "01"}},
        {"calMonth", {149, "06"}},       {"calYear", {152, "26"}},
        {"calFlow", {155, "002000"}},    {"startMinute", {162, "30"}},
        {"startHour", {165, "08"}},      {"startDay", {168, "05"}},
        {"startMonth", {171, "12"}},     {"startYear", {174, "26"}},
        {"stopMinute", {177, "00"}},     {"stopHour", {180, "16"}},
        {"stopDay", {183, "05"}},        {"stopMonth", {186, "12"}},
        {"stopYear", {189, "26"}},       {"b1StartMinute", {192, "00"}},
        {"b1StartHour", {195, "10"}},    {"b1StopMinute", {198, "15"}},
        {"b1StopHour", {201, "10"}},     {"b2StartMinute", {204, "00"}},
        {"b2StartHour", {207, "14"}},    {"b2StopMinute", {210, "15"}},
        {"b2StopHour", {213, "14"}},     {"lunchStartMinute", {216, "00"}},
        {"lunchStartHour", {219, "12"}}, {"lunchStopMinute", {222, "30"}},
        {"lunchStopHour", {225, "12"}},  {"runState", {228, "0100"}},
    };
}

// Overrides as "name=value" texts; the value replaces the field's characters
// and must have the field's width.
inline QString statusLine(const QStringList& overrides = {}) {
    QMap<QString, Field> fields = statusDefaults();
    for (const QString& o : overrides) {
        const int eq = o.indexOf(QLatin1Char('='));
        const QString name = o.left(eq);
        Q_ASSERT_X(fields.contains(name), "statusLine", qPrintable(name));
        Q_ASSERT_X(fields[name].value.size() == o.size() - eq - 1, "statusLine", qPrintable(o));
        fields[name].value = o.mid(eq + 1);
    }
    QString line(231, QLatin1Char(' '));
    line.replace(0, 3, QStringLiteral("R99"));
    for (const Field& f : fields)
        line.replace(f.position - 1, f.value.size(), f.value);
    return line;
}

// A line of `length` blanks starting with `code`, with single characters or
// fields placed at their positions.
inline QString flagLine(const QString& code, int length,
                        std::initializer_list<std::pair<int, QString>> at) {
    QString line(length, QLatin1Char(' '));
    line.replace(0, code.size(), code);
    for (const auto& [position, text] : at) {
        if (line.size() < position - 1 + text.size())
            line.resize(position - 1 + text.size(), QLatin1Char(' '));
        line.replace(position - 1, text.size(), text);
    }
    return line;
}

} // namespace TestLines
