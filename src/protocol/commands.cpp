#include "protocol/commands.h"

namespace Commands {

namespace {
const QChar kCr(13);
QString pair(bool first, const char* on, const char* off) {
    return compose(QLatin1String(first ? on : off));
}
} // namespace

QString compose(const QString& code, const QString& argument) {
    return code + argument + kCr;
}

QString statusRequest() {
    return compose(QStringLiteral("R99")) + compose(QStringLiteral("Z99"));
}
QString englishUnits() {
    return compose(QStringLiteral("G03")) + compose(QStringLiteral("G02"));
}
QString metricUnits() {
    return compose(QStringLiteral("Y02")) + compose(QStringLiteral("Y03"));
}

QString timing(bool on) {
    return pair(on, "G01", "Y01");
}
QString flowFault(bool on) {
    return pair(on, "G04", "Y04");
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
    return pair(on, "G09", "Y09");
}
QString durationMode(bool duration) {
    return pair(duration, "G10", "Y10");
}
QString startScreens(bool on) {
    return pair(on, "G11", "Y11");
}
QString timesInUse(bool inUse) {
    return pair(inUse, "G12", "Y12");
}
QString stpFlow(bool stp) {
    return pair(stp, "G13", "Y13");
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
