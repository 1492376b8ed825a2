#include "protocol/readback.h"

#include "protocol/pumpclock.h"
#include "status/numberformat.h"

namespace {

const QString kUnreadable = QStringLiteral("nothing readable");

// One "G"/"Y" pair of the setup and where the setup report shows it: the
// report's character `digit` at `position` means `digitIsG` ? the "G" choice
// : the "Y" choice; any other digit the other one.
struct SetupSwitch {
    const char* g;
    const char* y;
    const char* setting;
    const char* gText;
    const char* yText;
    int position;
    char digit;
    bool digitIsG;
};

// In the order Send Setup writes them. Units go out as "G03" "G02" /
// "Y02" "Y03"; the report shows them once, at position 7.
const SetupSwitch kSwitches[] = {
    {"G13", "Y13", "Flow mode", "S.T.P.", "Volumetric", 29, '0', false},
    {"G09", "Y09", "Password", "On", "Off", 21, '1', true},
    {"G04", "Y04", "Flow fault", "Activated", "Deactivated", 11, '1', true},
    {"G11", "Y11", "Start-up screens", "On", "Off", 25, '1', true},
    {"G01", "Y01", "Timing", "Activated", "Deactivated", 5, '1', true},
    {"G10", "Y10", "Timing mode", "Duration", "Start/Stop", 23, '1', true},
    {"G02", "Y02", "Units", "English", "Metric", 7, '0', true},
};
const QString kLogRate = QStringLiteral("Log rate");
constexpr int kLogRatePosition = 105;

const SetupSwitch* switchFor(const QString& setting) {
    for (const SetupSwitch& s : kSwitches)
        if (setting == QLatin1String(s.setting))
            return &s;
    return nullptr;
}

QString reportedSwitch(const SetupSwitch& s, const QString& setupLine) {
    const QChar ch = s.position <= setupLine.size() ? setupLine.at(s.position - 1) : QChar();
    if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
        return kUnreadable;
    const bool g = (ch == QLatin1Char(s.digit)) == s.digitIsG;
    return QLatin1String(g ? s.gText : s.yText);
}

} // namespace

ReadBack::ReadBack(QObject* parent) : QObject(parent) {
    for (Watch* w : {&m_setup, &m_clock}) {
        w->timer.setSingleShot(true);
        connect(&w->timer, &QTimer::timeout, this, [this, w] {
            finish(*w, noReply(w == &m_setup ? ReadBackResult::Subject::Setup
                                             : ReadBackResult::Subject::Clock));
        });
    }
}

QList<ReadBackItem> ReadBack::setupSent(const QStringList& writes) {
    QList<ReadBackItem> out;
    for (const QString& write : writes) {
        // One write may hold several commands (the units).
        for (const QString& command : write.split(QChar(13), Qt::SkipEmptyParts)) {
            if (command.startsWith(QLatin1String("W06 "))) {
                out.append({kLogRate, command.mid(4), QString(), false});
                continue;
            }
            for (const SetupSwitch& s : kSwitches) {
                if (command == QLatin1String(s.g) || command == QLatin1String(s.y)) {
                    const bool g = command == QLatin1String(s.g);
                    out.append({QLatin1String(s.setting), QLatin1String(g ? s.gText : s.yText),
                                QString(), false});
                }
            }
        }
    }
    return out;
}

ReadBackResult ReadBack::compareSetup(const QList<ReadBackItem>& sent, const QString& setupLine,
                                      const QString& statusLine) {
    ReadBackResult r;
    r.subject = ReadBackResult::Subject::Setup;
    QStringList missed;
    for (ReadBackItem item : sent) {
        if (item.setting == kLogRate) {
            const auto reported =
                NumberFormat::parseNumber(statusLine.mid(kLogRatePosition - 1, 2));
            const auto sentRate = NumberFormat::parseNumber(item.sent);
            item.reported = reported ? QString::number(*reported) : kUnreadable;
            item.matches = reported && sentRate && *reported == *sentRate;
        } else if (const SetupSwitch* s = switchFor(item.setting)) {
            item.reported = reportedSwitch(*s, setupLine);
            item.matches = item.reported == item.sent;
        }
        if (!item.matches)
            missed << item.setting + QStringLiteral(" (sent ") + item.sent +
                          QStringLiteral(", pump reports ") + item.reported + QLatin1Char(')');
        r.items.append(item);
    }
    if (missed.isEmpty()) {
        r.outcome = ReadBackResult::Outcome::Confirmed;
        r.text = QStringLiteral("Pump confirmed the setup");
    } else {
        r.outcome = ReadBackResult::Outcome::NotTaken;
        r.text = QStringLiteral("The pump did not take: ") + missed.join(QStringLiteral("; "));
    }
    return r;
}

std::optional<QDateTime> ReadBack::clockSent(const QStringList& texts) {
    for (const QString& text : texts) {
        if (!text.startsWith(QLatin1String("W16 ")))
            continue;
        // "mm hh DD MM YY"
        const QStringList f = text.mid(4).trimmed().split(QLatin1Char(' '));
        QList<int> v;
        for (const QString& part : f) {
            bool ok = false;
            v.append(part.size() == 2 ? part.toInt(&ok) : -1);
            if (!ok)
                return std::nullopt;
        }
        if (v.size() != 5)
            return std::nullopt;
        const QDate d(2000 + v[4], v[3], v[2]);
        const QTime t(v[1], v[0]);
        if (!d.isValid() || !t.isValid())
            return std::nullopt;
        return QDateTime(d, t, Qt::UTC);
    }
    return std::nullopt;
}

ReadBackResult ReadBack::compareClock(QDateTime sent, const QString& statusLine) {
    ReadBackResult r;
    r.subject = ReadBackResult::Subject::Clock;
    // Both as wall-clock minutes, as the pump keeps them.
    sent = QDateTime(sent.date(), QTime(sent.time().hour(), sent.time().minute()), Qt::UTC);
    const auto pump = PumpClock::reported(statusLine);
    ReadBackItem item{QStringLiteral("Pump clock"), PumpClock::shownText(sent),
                      pump ? PumpClock::shownText(*pump) : kUnreadable, false};
    // The pump's minute may have turned over before it answered.
    item.matches = pump && (*pump == sent || *pump == sent.addSecs(60));
    r.items.append(item);
    if (item.matches) {
        r.outcome = ReadBackResult::Outcome::Confirmed;
        r.text = QStringLiteral("Pump clock set to ") + item.sent;
    } else {
        r.outcome = ReadBackResult::Outcome::NotTaken;
        r.text = QStringLiteral("The pump did not take the clock: sent ") + item.sent +
                 QStringLiteral(", pump reports ") + item.reported;
    }
    return r;
}

ReadBackResult ReadBack::noReply(ReadBackResult::Subject subject) {
    ReadBackResult r;
    r.subject = subject;
    r.outcome = ReadBackResult::Outcome::NoReply;
    r.text = subject == ReadBackResult::Subject::Setup
                 ? QStringLiteral("No reply from the pump: the setup could not be confirmed")
                 : QStringLiteral("No reply from the pump: the clock could not be confirmed");
    return r;
}

UiChanges ReadBack::shown(const ReadBackResult& result) {
    UiChanges c;
    c.text.insert(result.subject == ReadBackResult::Subject::Setup ? kSetupLabel : kClockLabel,
                  result.text);
    return c;
}

void ReadBack::expectSetup(const QStringList& writes) {
    m_setupSent = setupSent(writes);
    if (m_setupSent.isEmpty())
        return;
    arm(m_setup);
}

void ReadBack::expectClock(const QStringList& texts) {
    const auto sent = clockSent(texts);
    if (!sent)
        return;
    m_clockSent = *sent;
    arm(m_clock);
}

void ReadBack::arm(Watch& w) {
    w.armed = true;
    w.asked = false;
    w.setupLine.clear();
    w.statusLine.clear();
    w.timer.start(m_timeoutMs);
}

void ReadBack::requestWritten() {
    for (Watch* w : {&m_setup, &m_clock})
        if (w->armed)
            w->asked = true;
}

void ReadBack::lineHandled(const LineResult& line) {
    const bool status = line.kind == LineResult::Kind::Status;
    const bool setup = line.kind == LineResult::Kind::Setup;
    if (!status && !setup)
        return;
    for (Watch* w : {&m_setup, &m_clock}) {
        if (!w->armed || !w->asked)
            continue;
        if (status && w->statusLine.isEmpty())
            w->statusLine = line.line;
        if (setup && w->setupLine.isEmpty())
            w->setupLine = line.line;
    }
    if (m_clock.armed && !m_clock.statusLine.isEmpty())
        finish(m_clock, compareClock(m_clockSent, m_clock.statusLine));
    if (m_setup.armed && !m_setup.statusLine.isEmpty() && !m_setup.setupLine.isEmpty())
        finish(m_setup, compareSetup(m_setupSent, m_setup.setupLine, m_setup.statusLine));
}

void ReadBack::cancel() {
    for (Watch* w : {&m_setup, &m_clock}) {
        w->armed = false;
        w->timer.stop();
    }
}

void ReadBack::finish(Watch& w, const ReadBackResult& result) {
    if (!w.armed)
        return;
    w.armed = false;
    w.timer.stop();
    emit finished(result);
}
