#include "protocol/pumpclock.h"

#include "core/controlnames.h"
#include "core/pickertext.h"
#include "protocol/commands.h"
#include "status/pumpreports.h"

namespace PumpClock {

namespace {

QString two(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

// Wall-clock fields compared as such: no time zone, no summer-time gap.
QDateTime wallClock(const QDate& date, const QTime& time) {
    return QDateTime(date, QTime(time.hour(), time.minute()), Qt::UTC);
}

} // namespace

QString argument(const QDateTime& at) {
    const QDate d = at.date();
    const QTime t = at.time();
    return two(t.minute()) + QLatin1Char(' ') + two(t.hour()) + QLatin1Char(' ') + two(d.day()) +
           QLatin1Char(' ') + two(d.month()) + QLatin1Char(' ') + two(d.year() % 100);
}

QStringList texts(const QDateTime& at) {
    return {Commands::setClock(argument(at)), Commands::updateSysTime()};
}

UiChanges pcTimeShown(const QDateTime& now) {
    UiChanges c;
    c.date.insert(Control::kSetupPcTime, PickerText::pcDate(now.date()));
    c.time.insert(Control::kSetupPcTime, PickerText::pcTime(now.time()));
    return c;
}

QString shownText(const QDateTime& at) {
    // Month first, as the date pickers beside the clock results show dates.
    return two(at.time().hour()) + QLatin1Char(':') + two(at.time().minute()) + QLatin1Char(' ') +
           two(at.date().month()) + QLatin1Char('/') + two(at.date().day()) + QLatin1Char('/') +
           QString::number(at.date().year());
}

qint64 driftMinutes(const QDateTime& pump, const QDateTime& pc) {
    const QDateTime a = wallClock(pump.date(), pump.time());
    const QDateTime b = wallClock(pc.date(), pc.time());
    const qint64 minutes = b.secsTo(a) / 60;
    // A clock set drops the PC's seconds, so a pump set in step shows the
    // PC's previous minute for up to a minute: under a minute behind is
    // more than its whole-minute clock can tell.
    return minutes == -1 ? 0 : minutes;
}

QString driftText(qint64 minutes) {
    constexpr qint64 kDay = 24 * 60;
    if (minutes == 0)
        return QStringLiteral("in step with the PC");
    const qint64 size = minutes < 0 ? -minutes : minutes;
    const QString side =
        minutes < 0 ? QStringLiteral(" behind the PC") : QStringLiteral(" ahead of the PC");
    if (size < kDay)
        return QString::number(size) + QStringLiteral(" min") + side;
    const qint64 days = size / kDay;
    return QString::number(days) + (days == 1 ? QStringLiteral(" day") : QStringLiteral(" days")) +
           side;
}

UiChanges driftShown(const StatusReport& status, const QDateTime& pcNow) {
    UiChanges c;
    const auto pump = status.clock();
    c.text.insert(kDriftLabel, pump ? driftText(driftMinutes(*pump, pcNow)) : QString());
    return c;
}

} // namespace PumpClock
