#include "logs/runs.h"

#include "core/numbertext.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace {

using Name = LogField::Name;

// A date as a run shows it: trimmed, and without the separator that follows
// it in a "Start Sampling" record (its date field is one character wider
// than the date, and the pump prints the next comma there).
QString dateOf(const LogRecord& r) {
    QString d = r.date.trimmed();
    if (d.endsWith(QLatin1Char(',')))
        d.chop(1);
    return d.trimmed();
}

bool isSample(const LogRecord& r) {
    return r.is("Run Upda") || r.is("User Hol") || r.is("No Flow,") || r.is("Pump Pro") ||
           r.is("5% Shut ") || r.is("Filter O");
}

bool isHold(const LogRecord& r) {
    return r.is("User Hol") || r.is("Break1 B") || r.is("Break2 B") || r.is("Lunch Be");
}

bool isFault(const LogRecord& r) {
    return r.is("No Flow,") || r.is("Filter O") || r.is("5% Shut ") || r.is("Low Batt");
}

bool isCalibration(const LogRecord& r) {
    return r.is("Calibrat") || r.is("Verify F") || r.is("Verify C");
}

std::optional<RunSummary::End> closer(const LogRecord& r) {
    if (r.is("Stop Sam"))
        return RunSummary::End::Stop;
    if (r.is("Power Of"))
        return RunSummary::End::PowerOff;
    if (r.is("5% Shut "))
        return RunSummary::End::Shutdown;
    return std::nullopt;
}

// What the run keeps while its records go by; the figures are worked out
// from it once the run is over.
struct Open {
    RunSummary s;
    bool sampled = false;
};

void addSample(Open& o, const LogRecord& r) {
    const auto battery = r.number(Name::Battery);
    if (!o.sampled)
        o.s.batteryStartPct = battery;
    o.s.batteryEndPct = battery;
    o.sampled = true;
    if (const auto minutes = r.number(Name::Elapsed)) {
        o.s.samplingMinutes = minutes;
        o.s.volumeL = r.number(Name::Volume);
        o.s.stpVolumeL = r.number(Name::StpVolume);
    }
    if (r.is("Run Upda")) {
        if (const auto flow = r.number(Name::Flow)) {
            o.s.minFlowCcMin = o.s.minFlowCcMin ? std::min(*o.s.minFlowCcMin, *flow) : *flow;
            o.s.maxFlowCcMin = o.s.maxFlowCcMin ? std::max(*o.s.maxFlowCcMin, *flow) : *flow;
        }
    }
}

void finishFigures(RunSummary& s) {
    using RunFormat::rounded;
    if (s.volumeL && s.samplingMinutes && *s.samplingMinutes != 0)
        s.averageFlowCcMin = rounded(*s.volumeL * 1000 / *s.samplingMinutes, 1);
    // A check against a zero flow has no percentage: it stays unknown rather
    // than dividing by zero.
    if (s.preCalFlowCcMin && s.postCalFlowCcMin && *s.preCalFlowCcMin != 0) {
        const double pre = *s.preCalFlowCcMin;
        s.calDifferencePct = rounded((*s.postCalFlowCcMin - pre) / pre * 100, 1);
        // Judged on the difference as printed, so a run shown at 5.0 % passes.
        s.flowCheck = std::fabs(*s.calDifferencePct) <= 5.0 ? RunSummary::FlowCheck::Pass
                                                            : RunSummary::FlowCheck::Fail;
    }
    if (s.preCalFlowCcMin && s.postCalFlowCcMin && s.samplingMinutes)
        s.calibratedVolumeL =
            rounded((*s.preCalFlowCcMin + *s.postCalFlowCcMin) / 2 * *s.samplingMinutes / 1000, 3);
}

} // namespace

QList<RunSummary> splitRuns(const QList<LogRecord>& records, const QString& sourceSha256) {
    QList<RunSummary> runs;
    std::optional<Open> open;
    // The last calibration since the last run ended (or the start): the
    // check before the next run.
    bool calSeen = false;
    std::optional<double> lastCal;
    // The run just closed waits for its check after.
    qsizetype awaitingPost = -1;

    qsizetype index = -1;
    const auto close = [&](RunSummary::End end, const LogRecord* by) {
        open->s.end = end;
        // A run ended by another start ends on the record before it.
        open->s.lastRecord = by ? index : index - 1;
        if (by)
            open->s.stop = dateOf(*by);
        runs.append(open->s);
        open.reset();
    };

    for (const LogRecord& r : records) {
        ++index;
        if (r.is("Start Sa")) {
            if (open)
                close(RunSummary::End::Restarted, nullptr);
            awaitingPost = -1;
            open.emplace();
            open->s.run = int(runs.size()) + 1;
            open->s.start = dateOf(r);
            open->s.records = 1;
            open->s.sourceSha256 = sourceSha256;
            open->s.firstRecord = index;
            if (calSeen)
                open->s.preCalFlowCcMin = lastCal;
            calSeen = false;
            lastCal.reset();
            continue;
        }
        if (!open) {
            if (isCalibration(r)) {
                const auto flow = r.number(Name::Flow);
                if (awaitingPost >= 0) {
                    runs[awaitingPost].postCalFlowCcMin = flow;
                    awaitingPost = -1;
                }
                calSeen = true;
                lastCal = flow;
            }
            continue;
        }
        // Inside a run: calibrations there are not the run's checks.
        ++open->s.records;
        if (isSample(r))
            addSample(*open, r);
        if (isHold(r))
            ++open->s.holds;
        if (isFault(r))
            open->s.faults.append({r.title.trimmed(), dateOf(r)});
        if (const auto end = closer(r)) {
            close(*end, &r);
            awaitingPost = runs.size() - 1;
            calSeen = false;
            lastCal.reset();
        }
    }
    if (open) {
        index = records.size();
        close(RunSummary::End::Open, nullptr);
    }
    for (RunSummary& s : runs)
        finishFigures(s);
    return runs;
}

QList<RunSample> runSamples(const QList<LogRecord>& records, const RunSummary& run) {
    QList<RunSample> samples;
    const qsizetype last = std::min(run.lastRecord, records.size() - 1);
    for (qsizetype i = std::max<qsizetype>(run.firstRecord, 0); i <= last; ++i) {
        const LogRecord& r = records.at(i);
        const auto minutes = r.number(Name::Elapsed);
        if (!isSample(r) || !minutes)
            continue;
        samples.append({*minutes, r.number(Name::Flow), r.number(Name::Battery),
                        r.number(Name::Temperature), r.number(Name::Bp), r.number(Name::Dp)});
    }
    return samples;
}

namespace RunFormat {

namespace {

const char* endName(RunSummary::End end) {
    switch (end) {
    case RunSummary::End::Stop:
        return "stop";
    case RunSummary::End::PowerOff:
        return "power off";
    case RunSummary::End::Shutdown:
        return "shutdown";
    case RunSummary::End::Restarted:
        return "restarted";
    case RunSummary::End::Open:
        break;
    }
    return "open";
}

const char* checkName(RunSummary::FlowCheck check) {
    switch (check) {
    case RunSummary::FlowCheck::Pass:
        return "pass";
    case RunSummary::FlowCheck::Fail:
        return "fail";
    case RunSummary::FlowCheck::Unknown:
        break;
    }
    return "unknown";
}

// A value of either form: text (quoted in JSON), number, or missing.
struct Value {
    enum class Type { Null, Text, Number } type = Type::Null;
    QString text;
    double number = 0;
};

Value text(const QString& t) {
    return {Value::Type::Text, t, 0};
}
Value text(const std::optional<QString>& t) {
    return t ? text(*t) : Value{};
}
Value num(double v) {
    return {Value::Type::Number, {}, v};
}
Value num(const std::optional<double>& v) {
    return v ? num(*v) : Value{};
}

// The run's values in keys() order; faults are written apart.
QList<Value> values(const RunSummary& s) {
    return {num(s.run),
            text(s.start),
            text(s.stop),
            text(QString::fromLatin1(endName(s.end))),
            num(s.records),
            num(s.samplingMinutes),
            num(s.volumeL),
            num(s.stpVolumeL),
            num(s.averageFlowCcMin),
            num(s.minFlowCcMin),
            num(s.maxFlowCcMin),
            num(s.holds),
            Value{}, // faults
            num(s.batteryStartPct),
            num(s.batteryEndPct),
            num(s.preCalFlowCcMin),
            num(s.postCalFlowCcMin),
            num(s.calDifferencePct),
            text(QString::fromLatin1(checkName(s.flowCheck))),
            num(s.calibratedVolumeL),
            text(s.sourceSha256)};
}
constexpr int kFaultsAt = 12;

void jsonString(QByteArray& out, const QString& t) {
    QString quoted;
    quoted.reserve(t.size() + 2);
    quoted.append(QLatin1Char('"'));
    for (const QChar c : t) {
        const char16_t u = c.unicode();
        if (u == '"' || u == '\\')
            quoted.append(QLatin1Char('\\')).append(c);
        else if (u < 0x20)
            quoted.append(QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0')));
        else
            quoted.append(c);
    }
    quoted.append(QLatin1Char('"'));
    out.append(quoted.toUtf8());
}

} // namespace

const QStringList& keys() {
    static const QStringList k = {
        QStringLiteral("run"),
        QStringLiteral("start"),
        QStringLiteral("stop"),
        QStringLiteral("end"),
        QStringLiteral("records"),
        QStringLiteral("sampling_minutes"),
        QStringLiteral("volume_l"),
        QStringLiteral("stp_volume_l"),
        QStringLiteral("average_flow_ccmin"),
        QStringLiteral("min_flow_ccmin"),
        QStringLiteral("max_flow_ccmin"),
        QStringLiteral("holds"),
        QStringLiteral("faults"),
        QStringLiteral("battery_start_pct"),
        QStringLiteral("battery_end_pct"),
        QStringLiteral("pre_cal_flow_ccmin"),
        QStringLiteral("post_cal_flow_ccmin"),
        QStringLiteral("cal_difference_pct"),
        QStringLiteral("flow_check"),
        QStringLiteral("calibrated_volume_l"),
        QStringLiteral("source_sha256"),
    };
    return k;
}

QString flowCheckWords(const RunSummary& s) {
    const QString verdict = QString::fromLatin1(checkName(s.flowCheck));
    if (s.flowCheck == RunSummary::FlowCheck::Unknown) {
        QString why;
        if (!s.preCalFlowCcMin && !s.postCalFlowCcMin)
            why = QStringLiteral("no flow check before or after the run");
        else if (!s.preCalFlowCcMin)
            why = QStringLiteral("no flow check before the run");
        else if (!s.postCalFlowCcMin)
            why = QStringLiteral("no flow check after the run");
        else
            why = QStringLiteral("the flow checked before the run reads 0 cc/min");
        return verdict + QStringLiteral(": ") + why;
    }
    const double d = s.calDifferencePct.value_or(0);
    const QString pct =
        d == 0 ? QStringLiteral("0.0")
               : (d > 0 ? QStringLiteral("+") : QString()) + QString::number(d, 'f', 1);
    return QStringLiteral("%1: post %2 vs pre %3 cc/min, %4 %%5")
        .arg(verdict, number(*s.postCalFlowCcMin), number(*s.preCalFlowCcMin), pct,
             s.flowCheck == RunSummary::FlowCheck::Fail ? QStringLiteral(" (more than 5 %)")
                                                        : QString());
}

QString number(double value) {
    if (!std::isfinite(value))
        return QStringLiteral("null");
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
        return QString::number(static_cast<qint64>(value));
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

double rounded(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    return std::round(NumberText::decimalProduct(value, scale)) / scale;
}

QByteArray jsonLine(const RunSummary& s) {
    const QList<Value> v = values(s);
    QByteArray out = "{";
    for (int i = 0; i < keys().size(); ++i) {
        if (i > 0)
            out.append(',');
        jsonString(out, keys().at(i));
        out.append(':');
        if (i == kFaultsAt) {
            out.append('[');
            for (int f = 0; f < s.faults.size(); ++f) {
                out.append(f > 0 ? ",{\"kind\":" : "{\"kind\":");
                jsonString(out, s.faults.at(f).kind);
                out.append(",\"at\":");
                jsonString(out, s.faults.at(f).at);
                out.append('}');
            }
            out.append(']');
            continue;
        }
        switch (v.at(i).type) {
        case Value::Type::Null:
            out.append("null");
            break;
        case Value::Type::Text:
            jsonString(out, v.at(i).text);
            break;
        case Value::Type::Number:
            out.append(number(v.at(i).number).toLatin1());
            break;
        }
    }
    out.append('}');
    return out;
}

QStringList csvCells(const RunSummary& s) {
    const QList<Value> v = values(s);
    QStringList cells;
    for (int i = 0; i < v.size(); ++i) {
        if (i == kFaultsAt) {
            QStringList faults;
            for (const RunFault& f : s.faults)
                faults << f.kind + QLatin1Char(' ') + f.at;
            cells << faults.join(QLatin1String("; "));
            continue;
        }
        switch (v.at(i).type) {
        case Value::Type::Null:
            cells << QString();
            break;
        case Value::Type::Text:
            cells << v.at(i).text;
            break;
        case Value::Type::Number:
            cells << number(v.at(i).number);
            break;
        }
    }
    return cells;
}

} // namespace RunFormat
