#include "protocol/commands.h"

#include "status/pumpreports.h"

namespace Commands {

namespace {
const QChar kCr(13);
} // namespace

QString compose(const QString& code, const QString& argument) {
    return code + argument + kCr;
}

QString statusRequest() {
    return compose(QStringLiteral("R99")) + compose(QStringLiteral("Z99"));
}
QString setupSwitch(Switch s, bool on) {
    const SetupSwitch& sw = ::setupSwitch(s);
    QString write;
    for (const char* code : on ? sw.onCodes : sw.offCodes)
        if (code)
            write += compose(QLatin1String(code));
    return write;
}

QString englishUnits() {
    return setupSwitch(Switch::Units, true);
}
QString metricUnits() {
    return setupSwitch(Switch::Units, false);
}

QString timing(bool on) {
    return setupSwitch(Switch::Timing, on);
}
QString flowFault(bool on) {
    return setupSwitch(Switch::FlowFault, on);
}
QString flowMode() {
    return compose(QStringLiteral("Y05"));
}
QString targetFlow(const QString& flow) {
    return compose(QStringLiteral("W04 "), flow);
}
QString logRate(const QString& minutes) {
    return compose(QStringLiteral("W06 "), minutes);
}
QString updateLogType() {
    return compose(QStringLiteral("UPDATE_LOGTYPE "));
}
QString programDone() {
    return compose(QStringLiteral("G07"));
}
QString password(bool on) {
    return setupSwitch(Switch::Password, on);
}
QString durationMode(bool duration) {
    return setupSwitch(Switch::TimingMode, duration);
}
QString startScreens(bool on) {
    return setupSwitch(Switch::StartScreens, on);
}
QString timesInUse(bool inUse) {
    return compose(inUse ? QStringLiteral("G12") : QStringLiteral("Y12"));
}
QString stpFlow(bool stp) {
    return setupSwitch(Switch::FlowMode, stp);
}
QString setClock(const QString& clock) {
    return compose(QStringLiteral("W16 "), clock);
}
QString updateSysTime() {
    return compose(QStringLiteral("UPDATE_SYS_TIME"));
}
QString runStart(const QString& dateTime) {
    return compose(QStringLiteral("W17 "), dateTime);
}
QString runStop(const QString& dateTime) {
    return compose(QStringLiteral("W18 "), dateTime);
}
QString runDuration(const QString& duration) {
    return compose(QStringLiteral("W19 "), duration);
}
QString break1(const QString& startStop) {
    return compose(QStringLiteral("W23 "), startStop);
}
QString break2(const QString& startStop) {
    return compose(QStringLiteral("W24 "), startStop);
}
QString lunch(const QString& startStop) {
    return compose(QStringLiteral("W25 "), startStop);
}
QString powerOff() {
    return compose(QStringLiteral("POWER_OFF "));
}
QString printLog() {
    return compose(QStringLiteral("PRINTLOG"));
}
QString logInit() {
    return compose(QStringLiteral("LOG_INIT"));
}
QString clearAll() {
    return compose(QStringLiteral("CLEAR_ALL"));
}
QString runClear() {
    return compose(QStringLiteral("RUN_CLEAR"));
}

} // namespace Commands
