#include "protocol/readback.h"

#include "protocol/pumpclock.h"
#include "status/numberformat.h"
#include "status/pumpreports.h"

namespace {

const QString kUnreadable = QStringLiteral("nothing readable");

const QString kLogRate = QStringLiteral("Log rate");

std::optional<Switch> switchFor(const QString& setting) {
    for (int i = 0; i < int(Switch::Count); ++i)
        if (setting == QLatin1String(setupSwitch(Switch(i)).setting))
            return Switch(i);
    return std::nullopt;
}

QString reportedSwitch(Switch s, const SetupReport& setup) {
    const auto on = setup.isOn(s);
    if (!on)
        return kUnreadable;
    return QLatin1String(*on ? setupSwitch(s).onText : setupSwitch(s).offText);
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
            // A switch is known by the first code of its write.
            for (int i = 0; i < int(Switch::Count); ++i) {
                const SetupSwitch& s = setupSwitch(Switch(i));
                const bool on = command == QLatin1String(s.onCodes[0]);
                if (on || command == QLatin1String(s.offCodes[0]))
                    out.append({QLatin1String(s.setting), QLatin1String(on ? s.onText : s.offText),
                                QString(), false});
            }
        }
    }
    return out;
}

ReadBackResult ReadBack::compareSetup(const QList<ReadBackItem>& sent, const SetupReport& setup,
                                      const StatusReport& status) {
    ReadBackResult r;
    r.subject = ReadBackResult::Subject::Setup;
    QStringList missed;
    for (ReadBackItem item : sent) {
        if (item.setting == kLogRate) {
            const auto reported = status.logRate();
            const auto sentRate = NumberFormat::parseNumber(item.sent);
            item.reported = reported ? QString::number(*reported) : kUnreadable;
            item.matches = reported && sentRate && *reported == *sentRate;
        } else if (const auto s = switchFor(item.setting)) {
            item.reported = reportedSwitch(*s, setup);
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

ReadBackResult ReadBack::compareClock(QDateTime sent, const StatusReport& status) {
    ReadBackResult r;
    r.subject = ReadBackResult::Subject::Clock;
    // Both as wall-clock minutes, as the pump keeps them.
    sent = QDateTime(sent.date(), QTime(sent.time().hour(), sent.time().minute()), Qt::UTC);
    const auto pump = status.clock();
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
        finish(m_clock, compareClock(m_clockSent, parseStatusReport(m_clock.statusLine)));
    if (m_setup.armed && !m_setup.statusLine.isEmpty() && !m_setup.setupLine.isEmpty())
        finish(m_setup, compareSetup(m_setupSent, parseSetupReport(m_setup.setupLine),
                                     parseStatusReport(m_setup.statusLine)));
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
