// The three report layouts against lines laid out apart from them (the test
// lines, literal lines, the simulated pump's writer), and the typed values
// where a field may not be a number or a date.
#include "sim/simreports.h"
#include "status/pumpreports.h"
#include "statuslines.h"

#include <QTest>
#include <functional>

namespace {
template <typename T> QString shown(const std::optional<T>& v) {
    if constexpr (std::is_same_v<T, QDateTime>)
        return v ? v->toString("yyyy-MM-dd HH:mm") : "-";
    else
        return v ? QString::number(*v) : "-";
}
QString status(const QStringList& fields, std::function<QString(const StatusReport&)> read) {
    return read(StatusReport(TestLines::statusLine(fields)));
}
} // namespace

class TestPumpReports : public QObject {
    Q_OBJECT
private slots:
    // Every field cut from a line whose fields are all told apart by their text.
    void layouts() {
        const StatusReport status(TestLines::statusLine());
        QCOMPARE(int(TestLines::kStatusFields.size()), int(StatusField::Count));
        for (int i = 0; i < int(StatusField::Count); ++i)
            QCOMPARE(status.text(StatusField(i)), std::get<2>(TestLines::kStatusFields[i]));

        // Each position holds its own letter: "a" at 4, "b" at 5, ...
        QString z = "Z99";
        for (char c = 'a'; c <= 'z'; ++c)
            z += c;
        QString read;
        for (int i = 0; i < int(SetupField::Count); ++i)
            read += SetupReport(z).text(SetupField(i));
        QCOMPARE(read, "bdhnrtvz"); // 5, 7, 11, 17, 21, 23, 25, 29

        const PumpStateReport p("P01   2 3" + QString(23, ' ') +
                                "002500 30 08 05 12 26 45 16 07 11 27 012 34 x 4 5");
        QStringList fields;
        for (int i = 0; i < int(PumpStateField::Count); ++i)
            fields << p.text(PumpStateField(i));
        QCOMPARE(fields.join(' '), "2 3 002500 30 08 05 12 26 45 16 07 11 27 012 34 4 5");
    }

    // The simulated pump prints from its own positions: what it was told is what
    // the typed values read back.
    void simulatedPump() {
        SimPumpState s;
        s.now = QDateTime(QDate(2026, 12, 6), QTime(14, 5, 42));
        s.logRate = 7;
        s.serial = "00987654";
        s.setup.password = '1';
        s.setup.stp = '1';
        s.setup.units02 = '1';
        const StatusReport status(QString::fromLatin1(SimReports::status(s)));
        QCOMPARE(status.clock().value_or(QDateTime()),
                 QDateTime(QDate(2026, 12, 6), QTime(14, 5), Qt::UTC));
        QCOMPARE(status.logRate().value_or(-1), 7.0);
        QCOMPARE(status.logCount().value_or(-1), 0);
        QCOMPARE(status.serial(), "00987654");
        QCOMPARE(status.modelCode(), "21");
        QVERIFY(status.runState().value_or(999) <= 400); // idle

        const SetupReport setup(QString::fromLatin1(SimReports::setup(s)));
        QString on;
        for (int i = 0; i < int(Switch::Count); ++i)
            on += setup.isOn(Switch(i)).value() ? '1' : '0';
        // Flow mode S.T.P., password on, fault on, screens on, timing off,
        // Start/Stop, metric.
        QCOMPARE(on, "1111000");
    }

    // The typed values where a field may not be a number or a date ("-").
    void typed() {
        const auto clock = [](const StatusReport& r) { return shown(r.clock()); };
        QCOMPARE(status({"clockHour= 9", "clockYear=7 "}, clock), "2007-12-06 09:05");
        QCOMPARE(status({"clockHour=1x"}, clock), "-");
        QCOMPARE(status({"clockDay=31", "clockMonth=02"}, clock), "-"); // no such date
        QCOMPARE(status({"clockMinute=+5"}, clock), "-");
        const auto count = [](const StatusReport& r) { return shown(r.logCount()); };
        QCOMPARE(status({"logCount=2.5"}, count), "3");
        QCOMPARE(status({"logCount=1?3"}, count), "-");
        const auto run = [](const StatusReport& r) { return shown(r.runState()); };
        QCOMPARE(status({"runState= 401"}, run), "401");
        QCOMPARE(status({"runState=00.5"}, run), "0"); // ties to even
        QCOMPARE(status({"runState=04x1"}, run), "-");
        const auto rate = [](const StatusReport& r) { return shown(r.logRate()); };
        QCOMPARE(status({"logRate=05"}, rate), "5");
        QCOMPARE(status({"logRate=  "}, rate), "-");
        QCOMPARE(StatusReport(TestLines::statusLine().left(120)).serial(), "0001"); // line ends
        QVERIFY(!StatusReport(TestLines::statusLine()).dateText(StatusTime::Break1Start));

        // Which digit shows which choice: only "0" is volumetric and English,
        // anything but "1" is off, a non-digit is neither.
        const auto on = [](const char* line, Switch s) {
            return shown(SetupReport(QString(line)).isOn(s));
        };
        QCOMPARE(on("Z99 0 0 0 0 0 0 0 0 0 0 0 0 2", Switch::FlowMode), "1");
        QCOMPARE(on("Z99 0 5", Switch::Units), "0");
        QCOMPARE(on("Z99 0 0 0 0 0 0 0 0 2", Switch::Password), "0");
        QCOMPARE(on("Z99 0 0 0  ", Switch::FlowFault), "-");
    }
};
QTEST_GUILESS_MAIN(TestPumpReports)
#include "test_pumpreports.moc"
