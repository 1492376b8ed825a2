// The pump session without a window: a sequence runs its steps in order with
// its pauses measured on a test clock, holds the poll and every other command
// while it runs, and stops writing when the window goes away.
#include "link/fakeseriallink.h"
#include "protocol/commands.h"
#include "protocol/pumpsession.h"
#include "support/steppingclock.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

namespace {

// What the session did, in order: "w:<text>" writes (CR shown as |),
// "c:<caption>", "b:<bar>", "u:<ui>", "save", "box:<text>", "end:<completed>",
// with the clock's time of day of each write.
struct Recorder {
    QStringList events;
    QList<double> writeTimes;
};

Sequence sample() {
    UiChanges show;
    show.visible.insert(QStringLiteral("Frame21"), true);
    Sequence s;
    s.name = QStringLiteral("sample");
    s.frame = QStringLiteral("Frame21");
    s.bar = QStringLiteral("PBar2");
    s << Step::change(show) << Step::caption(QStringLiteral("first")) << Step::bar(0)
      << Step::wait(1) << Step::write(QStringLiteral("A\r")) << Step::bar(50) << Step::wait(1)
      << Step::writeDirect(QStringLiteral("B\r")) << Step::write(QStringLiteral("C\r"))
      << Step::saveSettings() << Step::message(QStringLiteral("done")) << Step::bar(0);
    return s;
}

QString cr(QString s) {
    return s.replace(QLatin1Char('\r'), QLatin1Char('|'));
}

} // namespace

class TestPumpSession : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_clock = std::make_unique<SteppingClock>(100.2, 1.0 / 128);
        m_link = std::make_unique<FakeSerialLink>();
        m_state = std::make_unique<AppState>();
        m_session = std::make_unique<PumpSession>(*m_state, *m_link, *m_clock);
        m_session->runner().waiter().maxSleepMs = 0;
        m_session->selectPort(0);
        m_rec = Recorder();
        auto* s = m_session.get();
        connect(s, &PumpSession::traced, s, [this](char dir, const QByteArray& bytes) {
            if (dir == 'T') {
                m_rec.events << "w:" + cr(QString::fromLatin1(bytes));
                m_rec.writeTimes << m_clock->timeOfDay();
            }
        });
        connect(s, &PumpSession::changed, s, [this](const UiChanges& c) {
            for (auto it = c.text.cbegin(); it != c.text.cend(); ++it)
                if (it.key() == "Frame21")
                    m_rec.events << "c:" + it.value();
            for (auto it = c.bars.cbegin(); it != c.bars.cend(); ++it)
                m_rec.events << QStringLiteral("b:%1").arg(it.value());
            for (auto it = c.visible.cbegin(); it != c.visible.cend(); ++it)
                m_rec.events << QStringLiteral("u:%1=%2").arg(it.key()).arg(it.value());
        });
        connect(s, &PumpSession::saveSettingsRequested, s, [this] { m_rec.events << "save"; });
        connect(s, &PumpSession::messageRequested, s,
                [this](const QString& text, const PumpSession::Closed& closed) {
                    m_rec.events << "box:" + text;
                    m_closeBox = closed;
                });
        connect(s, &PumpSession::sequenceFinished, s, [this](const Sequence&, bool completed) {
            m_rec.events << QStringLiteral("end:%1").arg(completed);
        });
    }
    void cleanup() {
        m_session.reset();
        m_closeBox = {};
    }

    // Steps come out in order; each pause ends on a whole second of the
    // clock (the start rounded halves to even), and the run waits for the
    // box before its last steps; Timer1 is off for the run and on after it.
    void stepsInOrderWithTheirPauses() {
        m_session->resumePolling();
        QVERIFY(m_session->run(sample()));
        QVERIFY(!m_session->timer1().isActive() && m_session->busy());
        QTRY_VERIFY(m_closeBox);
        QCOMPARE(m_rec.events, (QStringList{"u:Frame21=1", "c:first", "b:0", "w:A|", "b:50", "w:B|",
                                            "w:C|", "save", "box:done"}));
        // 100.2 rounds to 100: the first pause ends at 101; the second
        // starts at 101 and ends at 102.
        QCOMPARE(m_rec.writeTimes.size(), 3);
        QVERIFY2(std::abs(m_rec.writeTimes[0] - 101.0) < 0.02,
                 qPrintable(QString::number(m_rec.writeTimes[0])));
        QVERIFY2(std::abs(m_rec.writeTimes[1] - 102.0) < 0.02,
                 qPrintable(QString::number(m_rec.writeTimes[1])));
        QVERIFY(m_session->busy());
        m_closeBox();
        QTRY_VERIFY(!m_session->busy());
        QCOMPARE(m_rec.events.mid(9), (QStringList{"b:0", "end:1"}));
        QVERIFY(m_session->timer1().isActive());
    }

    // A pause started at x.5 rounds to the even second: from 100.5 a pause
    // of one second lasts half a second, from 101.5 it lasts one and a half.
    void pauseLengths_data() {
        QTest::addColumn<double>("begin");
        QTest::addColumn<double>("lasts");
        QTest::newRow("100.5 to 101") << 100.5 << 0.5;
        QTest::newRow("101.5 to 103") << 101.5 << 1.5;
        QTest::newRow("across midnight") << 86399.7 << 1.3;
    }
    void pauseLengths() {
        QFETCH(double, begin);
        QFETCH(double, lasts);
        m_clock->now = begin - m_clock->step; // the pause's first look reads `begin`
        Sequence s;
        s << Step::write(QStringLiteral("A\r")) << Step::wait(1)
          << Step::write(QStringLiteral("B\r"));
        QVERIFY(m_session->run(s));
        QTRY_VERIFY(!m_session->busy());
        QCOMPARE(m_rec.writeTimes.size(), 2);
        double took = m_rec.writeTimes[1] - m_rec.writeTimes[0];
        if (took < 0)
            took += 86400;
        QVERIFY2(std::abs(took - lasts) < 0.02, qPrintable(QString::number(took)));
    }

    // While a sequence runs nothing else reaches the pump: poll ticks,
    // refresh buttons, single commands, another sequence, a port change.
    // Every pump-writing control is disabled and comes back afterwards as
    // the decoders last left it.
    void busyHoldsEverythingElse() {
        QSignalSpy changes(m_session.get(), &PumpSession::changed);
        Sequence s;
        s << Step::write(QStringLiteral("A\r")) << Step::wait(1)
          << Step::write(QStringLiteral("B\r"));
        QVERIFY(m_session->run(s));
        QVERIFY(m_session->busy());
        bool allLocked = true;
        for (const QString& name : PumpSession::pumpWritingControls())
            allLocked = allLocked && changes.first().first().value<UiChanges>().enabled.value(
                                         name, true) == false;
        QVERIFY(allLocked);
        // A setup report that locks "Program Pump" arrives meanwhile: it
        // stays locked afterwards, while everything else comes back.
        m_link->receive("Z99 0 0 0 1 0 0 1 0 0 0 1 0 0\r");
        QCOMPARE(changes.last().first().value<UiChanges>().enabled.value("CommandButton29", true),
                 false);
        const int before = m_rec.events.size();
        m_session->pollTick();
        m_session->refreshDisplay();
        m_session->refreshPumpData();
        QVERIFY(!m_session->sendNow({Commands::logInit()}));
        QVERIFY(!m_session->run(sample()));
        m_session->selectPort(2);
        QCOMPARE(m_rec.events.size(), before);
        QCOMPARE(m_link->currentPort(), 1);
        QTRY_VERIFY(!m_session->busy());
        QCOMPARE(m_rec.events.filter(QRegularExpression("^(w|end):")),
                 (QStringList{"w:A|", "w:B|", "end:1"}));
        const UiChanges restored = changes.last().first().value<UiChanges>();
        QCOMPARE(restored.enabled.value(QStringLiteral("CommandButton7")), true);
        QCOMPARE(restored.enabled.value(QStringLiteral("Option7_2")), true);
        QCOMPARE(restored.enabled.value(QStringLiteral("CommandButton29")), false);
    }

    // The window closes mid-sequence: the run ends, nothing more than
    // "RUN_CLEAR" is written, and polling does not come back on.
    void shutdownStopsTheRun() {
        // The window closes as the first command goes out.
        connect(m_session.get(), &PumpSession::traced, this, [this](char, const QByteArray& b) {
            if (b == "A\r")
                m_session->shutdown();
        });
        QVERIFY(m_session->run(sample()));
        QTRY_VERIFY(!m_session->busy());
        QVERIFY(!m_session->timer1().isActive());
        QTest::qWait(50);
        QCOMPARE(m_rec.events.filter(QStringLiteral("w:")), (QStringList{"w:A|", "w:RUN_CLEAR|"}));
        // A session destroyed mid-run (the window deleted without closing)
        // writes nothing and leaves no timer behind to fire.
        QVERIFY(!m_session->run(sample()));
        m_session.reset();
        auto again = std::make_unique<PumpSession>(*m_state, *m_link, *m_clock);
        again->selectPort(0);
        const QByteArray before = m_link->written();
        QVERIFY(again->run(sample()));
        again.reset();
        QTest::qWait(50);
        QCOMPARE(m_link->written(), before);
    }

    // A sequence asked for while the port is closed sends nothing and says
    // why; so does a single command.
    void closedPortRefused() {
        m_link->missingPorts.insert(3);
        m_session->selectPort(2);
        QSignalSpy notice(m_session.get(), &PumpSession::notice);
        QVERIFY(!m_session->run(sample()));
        QVERIFY(!m_session->sendNow({Commands::logInit()}));
        QCOMPARE(notice.size(), 2);
        QCOMPARE(notice.first().first().toString(),
                 QStringLiteral("Com3 is not open (Com3 (fake3): no such device \u2014 is the "
                                "adapter plugged in?)"));
        QVERIFY(m_rec.events.isEmpty() && !m_session->busy());
    }

private:
    std::unique_ptr<SteppingClock> m_clock;
    std::unique_ptr<FakeSerialLink> m_link;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<PumpSession> m_session;
    Recorder m_rec;
    PumpSession::Closed m_closeBox;
};

QTEST_GUILESS_MAIN(TestPumpSession)
#include "test_pumpsession.moc"
