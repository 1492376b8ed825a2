#include "sim/simrecord.h"

#include <cmath>

namespace SimText {

QByteArray stamp(const QDateTime& t) {
    return t.toString(QStringLiteral("MM/dd/yyyy HH:mm")).toLatin1();
}

QByteArray digits(qint64 value, int width) {
    qint64 max = 1;
    for (int i = 0; i < width; ++i)
        max *= 10;
    value = qBound<qint64>(0, value, max - 1);
    return QByteArray::number(value).rightJustified(width, '0');
}

QByteArray fixed(double value, int width, int decimals) {
    // Largest value the field can hold: all nines.
    const double max = std::pow(10.0, width - decimals - 1) - std::pow(10.0, -decimals);
    if (!(value >= 0)) // also catches NaN
        value = 0;
    value = std::min(value, max);
    return QByteArray::number(value, 'f', decimals).rightJustified(width, '0');
}

QByteArray field(const QByteArray& text, int width) {
    return text.left(width).leftJustified(width, ' ');
}

} // namespace SimText

using namespace SimText;

QByteArray SimRecord::title(Kind kind) {
    // The first eight characters of each title tell the kinds apart; the
    // length of the title decides where the fields that follow it stand.
    switch (kind) {
    case RunUpdate:
        return "Run Update";
    case LogInit:
        return "Log Init";
    case LowBattery:
        return "Low Battery";
    case PowerOn:
        return "Power On";
    case PowerOff:
        return "Power Off";
    case ClearData:
        return "Clear Data";
    case Calibration:
        return "Calibration";
    case StartSampling:
        return "Start Sampling";
    case UserHold:
        return "User Hold";
    case NoFlow:
        return "No Flow";
    case ChangeTime:
        return "Change Time";
    case ChangeFlow:
        return "Change Flow";
    case ChangeDate:
        return "Change Date";
    case ChangeRate:
        return "Change Rate";
    case PumpProgram:
        return "Pump Program";
    case EventEnd:
        return "Event End";
    case Break1Begin:
        return "Break1 Begin";
    case LunchBegin:
        return "Lunch Begin";
    case Break2Begin:
        return "Break2 Begin";
    case DutyBegins:
        return "Duty Begins";
    case StopSampling:
        return "Stop Sampling";
    case TrimautoFlowAdjusted:
        return "Trimauto Flow Adjusted";
    case VerifyCalibrate:
        return "Verify Calibrate";
    case VerifyFlow:
        return "Verify Flow";
    case ShutDown5:
        return "5% Shut Down";
    case FilterOut:
        return "Filter Out";
    case ProgramInstalled:
        return "Program Installed";
    case KindCount:
        break;
    }
    return "Power On";
}

bool SimRecord::isFullRecord(Kind kind) {
    switch (kind) {
    case RunUpdate:
    case UserHold:
    case NoFlow:
    case PumpProgram:
    case ShutDown5:
    case FilterOut:
        return true;
    default:
        return false;
    }
}

QByteArray SimRecord::line() const {
    QByteArray out = title(kind) + ',' + stamp(when);
    if (isFullRecord(kind)) {
        out += ',' + digits(battery, 3);
        out += ',' + digits(temperatureF, 3);
        out += ',' + fixed(bp, 5, 2);
        out += ',' + fixed(dp, 5, 2);
        out += ',' + digits(elapsedMinutes, 5);
        out += ',' + digits(flow, 6);
        out += ',' + fixed(volume, 8, 3);
        out += ',' + fixed(stpVolume, 9, 3);
        return out;
    }
    switch (kind) {
    case Calibration:
    case ChangeRate:
    case VerifyFlow:
        out += ',' + digits(flow, 6);
        break;
    case StartSampling:
        // This firmware closes the start entry with a comma of its own.
        out += ',';
        break;
    case TrimautoFlowAdjusted:
    case VerifyCalibrate:
        out += ',' + field(serial, 6) + ',' + digits(flow, 6);
        break;
    case ProgramInstalled:
        out += ',' + field(serial, 6) + ',' + field(firmware, 6);
        break;
    default:
        break;
    }
    return out;
}

QByteArray simLogTitleLine() {
    return "LogType,Date/Time,Battery,Temp,BP,DP,Elapsed,Flow,Volume,STP Volume";
}
