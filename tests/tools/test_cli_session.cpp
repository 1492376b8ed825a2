// corvane-cli's live session in-process, over the recording fake port: the
// first reports and every bound on waiting for them, a sequence with its
// captions on standard error, the end that lets the last command reach the
// port, and interruption; the named values `status` prints for a report.
#include "clioutput.h"
#include "decodecommand.h"
#include "livesession.h"
#include "protocol/commands.h"
#include "status/statuslines.h"
#include "support/fakeseriallink.h"
#include "support/steppingclock.h"

#include <QBuffer>
#include <QJsonObject>
#include <QTest>
#include <QTimer>
#include <csignal>

namespace {

const QByteArray kPoll = "R99\rZ99\r";
const QString kSetupLine = QStringLiteral("Z99 0 0 0 1 0 0 0 0 0 0 1 0 0");

// A fake port whose writes take a while to reach the device: when it
// drains, they are gone by the second time it is asked (however late).
class SlowLink : public FakeSerialLink {
public:
    mutable qint64 pending = 0;
    bool drains = false;
    qint64 bytesToWrite() const override { return drains ? std::exchange(pending, 0) : pending; }
};

struct Rig {
    SlowLink fake;
    SteppingClock clock{100.2, 1.0 / 128};
    QBuffer out, err;
    Output output{out, err};
    std::unique_ptr<LiveSession> live;
    // What the pump answers to each poll (sent from the event loop).
    QByteArray answer;

    Rig() {
        out.open(QIODevice::ReadWrite);
        err.open(QIODevice::ReadWrite);
        live = std::make_unique<LiveSession>(fake, clock, output);
        live->session().setMaxSleepMs(0);
        QObject::connect(&live->session(), &PumpSession::traced, live.get(),
                         [this](char direction, const QByteArray& bytes) {
                             if (direction == 'T' && bytes == kPoll && !answer.isEmpty())
                                 QTimer::singleShot(0, live.get(),
                                                    [this] { fake.receive(answer); });
                         });
    }
    QStringList errLines() const {
        return QString::fromUtf8(err.data()).split('\n', Qt::SkipEmptyParts);
    }
};

} // namespace

class TestCliSession : public QObject {
    Q_OBJECT
private slots:
    void firstReports_data();
    void firstReports();
    void sequenceCaptionsOnStandardError();
    void lastCommandReachesThePort_data();
    void lastCommandReachesThePort();
    void statusFields_data();
    void statusFields();
};

// The first status and setup reports, in whatever order they come, are
// handed over once and the run goes on as the caller decides. A pump that
// never answers is found missing by the window's own poll check (seven
// ticks, here 10 ms apart); one that sends no setup report by the bound.
// SIGINT / SIGTERM end the wait at once (128 + the signal); the subcommands
// that take them as their normal end are test_cli_live's.
void TestCliSession::firstReports_data() {
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("tickMs");
    QTest::addColumn<int>("signal"); // raised while it waits; 0: none
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said"); // the last line on standard error
    const QByteArray status = TestLines::statusLine().toLatin1() + "\r\n";
    const QByteArray setup = kSetupLine.toLatin1() + "\r\n";
    const QString open = "Com1 (fake1): open";
    QTest::newRow("both") << status + setup << 1000 << 0 << 0 << open;
    QTest::newRow("setup first, noise between")
        << "\x01" + setup + "hello\r" + status << 1000 << 0 << 0 << open;
    QTest::newRow("no status report") << setup << 10 << 0 << 3 << "No Pump Found";
    QTest::newRow("silent") << QByteArray() << 10 << 0 << 3 << "No Pump Found";
    QTest::newRow("no setup report") << status << 1000 << 0 << 3 << "The pump sent no setup report";
    QTest::newRow("SIGTERM") << QByteArray() << 1000 << SIGTERM << 128 + SIGTERM << open;
    QTest::newRow("SIGINT") << QByteArray() << 1000 << SIGINT << 128 + SIGINT << open;
}

void TestCliSession::firstReports() {
    QFETCH(QByteArray, answer);
    QFETCH(int, tickMs);
    QFETCH(int, signal);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    Rig r;
    r.answer = answer;
    r.live->session().timer1().setInterval(tickMs);
    // Only the row that waits for the missing setup report runs into the
    // bound; the others end with the reports or the poll check, long before.
    r.live->reportBoundMs = said.startsWith("The pump sent no setup") ? 300 : 60000;
    QVERIFY(r.live->open());
    if (signal)
        QTimer::singleShot(20, [signal] { std::raise(signal); });
    QStringList handed;
    r.live->awaitReports([&](const LineResult& status, const LineResult& setup) {
        handed << status.line << setup.line;
        r.live->end(0);
    });
    QCOMPARE(r.live->exec(), exitCode);
    QCOMPARE(r.errLines().last(), said);
    if (exitCode == 0)
        QCOMPARE(handed, (QStringList{TestLines::statusLine(), kSetupLine}));
    else
        QVERIFY(handed.isEmpty());
    // Only polls went out, the first at once, and polling is over.
    const QByteArray written = r.fake.written();
    QVERIFY(written.startsWith(kPoll) && written.count(kPoll) * kPoll.size() == written.size());
    QVERIFY(!r.live->session().timer1().isActive());
}

// A sequence runs as the window runs it, with polling held: its captions go
// to standard error in order, its closing message too and is closed at once,
// and polling resumes at its end as in the window. A closed port refuses it
// with the session's notice.
void TestCliSession::sequenceCaptionsOnStandardError() {
    Rig r;
    Sequence s;
    s.name = QStringLiteral("test");
    s.frame = QStringLiteral("Frame21");
    s.bar = QStringLiteral("PBar2");
    UiChanges other;
    other.text.insert(QStringLiteral("Label6"), QStringLiteral("not a caption"));
    s << Step::caption(QStringLiteral("Sending A")) << Step::bar(0) << Step::wait(1)
      << Step::write(QStringLiteral("A\r")) << Step::change(other)
      << Step::caption(QStringLiteral("Sending B")) << Step::writeDirect(QStringLiteral("B\r"))
      << Step::wait(1) << Step::saveSettings() << Step::message(QStringLiteral("Done A and B"))
      << Step::bar(0);

    QVERIFY(!r.live->runSequence(s, [](bool) { QFAIL("a refused sequence ended"); }));
    QCOMPARE(r.errLines(), QStringList{"No serial port is chosen"});

    QVERIFY(r.live->open());
    r.live->startPolling();
    QVERIFY(r.live->session().timer1().isActive());
    std::optional<bool> completed;
    bool pollingBack = false;
    QVERIFY(r.live->runSequence(s, [&](bool done) {
        completed = done;
        pollingBack = r.live->session().timer1().isActive();
        r.live->end(0);
    }));
    QVERIFY(!r.live->session().timer1().isActive()); // held while it runs
    QCOMPARE(r.live->exec(), 0);
    QCOMPARE(completed, std::optional<bool>(true));
    QVERIFY(pollingBack);
    QCOMPARE(r.errLines(), (QStringList{"No serial port is chosen", "Com1 (fake1): open",
                                        "Sending A", "Sending B", "Done A and B"}));
    QCOMPARE(r.fake.written(), kPoll + "A\rB\r");
}

// The end waits for the port to take the last command (an erase must not be
// lost by closing too soon), but not for ever, and not past an interruption;
// the exit status is decided knowing whether it went out.
void TestCliSession::lastCommandReachesThePort_data() {
    QTest::addColumn<bool>("drains");
    QTest::addColumn<bool>("interrupt");
    QTest::addColumn<bool>("allOut");
    QTest::newRow("goes out") << true << false << true;
    QTest::newRow("stuck") << false << false << false;
    QTest::newRow("interrupted while stuck") << false << true << false;
}

void TestCliSession::lastCommandReachesThePort() {
    QFETCH(bool, drains);
    QFETCH(bool, interrupt);
    QFETCH(bool, allOut);
    Rig r;
    QVERIFY(r.live->open());
    QVERIFY(r.live->session().sendNow({Commands::logInit()}));
    r.fake.pending = 9;
    r.fake.drains = drains;
    std::optional<bool> seen;
    r.live->endAfterWrites([&](bool out) {
        seen = out;
        return out ? 0 : 3;
    });
    QVERIFY(r.live->ending() && !seen);
    if (interrupt)
        QTimer::singleShot(50, [] { std::raise(SIGINT); });
    QCOMPARE(r.live->exec(), allOut ? 0 : 3);
    QCOMPARE(seen, std::optional<bool>(allOut));
    QCOMPARE(r.fake.written(), QByteArray("LOG_INIT\r"));
}

// Numbers as numbers, identities as texts with their zeros, a field the
// line does not reach as null.
void TestCliSession::statusFields_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QJsonValue>("value");
    const QString line = TestLines::statusLine({"runState=0500"});
    QTest::newRow("serial keeps its zeros") << line << "serial" << QJsonValue("00012345");
    QTest::newRow("model from its code") << line << "model" << QJsonValue("NORDA KST-5 Pump");
    QTest::newRow("pressure with decimals") << line << "barometric_inhg" << QJsonValue(30.1);
    QTest::newRow("run state") << line << "run_state" << QJsonValue(500);
    QTest::newRow("pump clock") << line << "pump_clock" << QJsonValue("2026-12-06T14:05");
    QTest::newRow("short line") << line.left(120) << "serial" << QJsonValue("0001");
    QTest::newRow("past the end") << line.left(120) << "run_state" << QJsonValue();
    QTest::newRow("clock not a date")
        << TestLines::statusLine({"clockMonth=13"}) << "pump_clock" << QJsonValue();
}

void TestCliSession::statusFields() {
    QFETCH(QString, line);
    QFETCH(QString, name);
    QFETCH(QJsonValue, value);
    const QJsonObject fields = DecodeCommand::statusFields(line);
    QVERIFY2(fields.contains(name), qPrintable(name));
    QCOMPARE(fields.value(name), value);
}

QTEST_GUILESS_MAIN(TestCliSession)
#include "test_cli_session.moc"
