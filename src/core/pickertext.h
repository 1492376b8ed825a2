// The texts Corvane hands its date-time pickers, and the texts it reads back.
// Dates come as "20030101" (year, month, day) or as the PC date "mm,d,yy";
// times as "HH:MM", "HH:MM:SS" or the empty-pause marker "12:00:00.00".
// Times read back as "HH:MM:SS.hh" on the 24-hour clock, so two times compare
// correctly as text; dates read back as "YYYYMMDD".
#pragma once

#include <QDate>
#include <QString>
#include <QTime>
#include <optional>

namespace PickerText {
std::optional<QDate> parseDate(const QString& text);
std::optional<QTime> parseTime(const QString& text);
QString formatDate(const QDate& date); // "YYYYMMDD"
QString formatTime(const QTime& time); // "HH:MM:SS.hh"
// The PC clock as the pump program formats it: "mm,d,yy" and "HH:MM:SS".
QString pcDate(const QDate& date);
QString pcTime(const QTime& time);
} // namespace PickerText
