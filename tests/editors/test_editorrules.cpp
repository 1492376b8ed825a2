// The run-program editor's reactions and the setup options' flags, as
// tables of what the user did and what the window must then show.
#include "editors/editorrules.h"
#include "support/statevalues.h"

#include <QTest>

using namespace EditorRules;

namespace {
// Everything a reaction changed, one "kind:name=value" text each, sorted,
// so a row states the whole reaction and nothing else may slip in.
QStringList flat(const UiChanges& c) {
    QStringList out;
    auto texts = [&](const char* kind, const QMap<QString, QString>& m) {
        for (auto it = m.cbegin(); it != m.cend(); ++it)
            out << QStringLiteral("%1:%2=%3").arg(QLatin1String(kind), it.key(), it.value());
    };
    auto flags = [&](const char* kind, const QMap<QString, bool>& m) {
        for (auto it = m.cbegin(); it != m.cend(); ++it)
            out << QStringLiteral("%1:%2=%3")
                       .arg(QLatin1String(kind), it.key())
                       .arg(int(it.value()));
    };
    texts("text", c.text);
    texts("date", c.date);
    texts("time", c.time);
    texts("value", c.values);
    flags("enabled", c.enabled);
    flags("checked", c.checked);
    for (const QString& m : c.messages)
        out << QStringLiteral("message:") + m;
    out.sort();
    return out;
}
QStringList sorted(QStringList l) {
    l.sort();
    return l;
}
} // namespace

class TestEditorRules : public QObject {
    Q_OBJECT
private slots:
    // A reaction: the call ("|" between the function and each argument) and
    // every change it makes.
    void reactions_data() {
        QTest::addColumn<QString>("call");
        QTest::addColumn<QStringList>("changes");
        auto row = [](const char* name, const char* call, const QStringList& changes) {
            QTest::newRow(name) << QString(call) << changes;
        };
        // Label_targetL follows the box at once; a text that is not a number
        // leaves it as it is.
        row("2500", "flowChanged|2500", {"text:Label_targetL=2.50 L/min"});
        row("half a hundredth rounds up", "flowChanged|2005", {"text:Label_targetL=2.01 L/min"});
        row("12345", "flowChanged|12345", {"text:Label_targetL=12.35 L/min"});
        row("below a hundredth", "flowChanged|4", {"text:Label_targetL=0.00 L/min"});
        row("blanks around", "flowChanged| 800 ", {"text:Label_targetL=0.80 L/min"});
        row("negative", "flowChanged|-500", {"text:Label_targetL=-0.50 L/min"});
        row("empty", "flowChanged|", {});
        row("letters", "flowChanged|abc", {});
        row("digits then letters", "flowChanged|20x", {});
        // Leaving the start moves an earlier stop date to it.
        row("stop before start moves", "startLeft|20260201|20260131",
            {"date:fpDateTime1=20260201"});
        row("same day stays", "startLeft|20260131|20260131", {});
        row("later stop stays", "startLeft|20260131|20260201", {});
        row("year end", "startLeft|20270101|20261231", {"date:fpDateTime1=20270101"});
        row("start off: the pause boxes too", "startChanged|0",
            {"enabled:Check1=0", "enabled:Check2=0", "enabled:Check3=0"});

        // The three timing choices: which controls are enabled, what the
        // duration box shows and which flags change.
        const QStringList pickers = {"fpDateBREAK1START", "fpDateTimeBREAK1STOP", "fpDateTime7",
                                     "fpDateTime8",       "fpDateTime9",          "fpDateTime10"};
        QStringList duration = {"value:DurationModeFlag=1", "value:runDuration=08:00",
                                "text:txt_duration=08:00",  "enabled:txt_duration=1",
                                "enabled:INP_STRT_Dttm=0",  "enabled:fpDateTime1=0"};
        QStringList startStop = {
            "value:DurationModeFlag=0", "value:runDuration=",      "text:txt_duration=",
            "enabled:txt_duration=0",   "enabled:INP_STRT_Dttm=1", "enabled:fpDateTime1=1",
            "enabled:Check1=1",         "enabled:Check2=1",        "enabled:Check3=1"};
        for (const QString& p : pickers) {
            duration << "enabled:" + p + "=0";
            startStop << "enabled:" + p + "=1";
        }
        row("Duration", "chooseDuration", sorted(duration));
        row("Start/Stop", "chooseStartStop", sorted(startStop));
        row("timing box switched off", "timingBoxPressed|1",
            sorted({"value:TimingFlag=0", "enabled:Opstart=0", "enabled:Opduration=0",
                    "checked:Opstart=0", "checked:Opduration=0", "enabled:txt_duration=0"}));
        row("timing box switched on", "timingBoxPressed|0",
            sorted({"value:TimingFlag=0", "enabled:Opstart=1", "enabled:Opduration=1",
                    "enabled:INP_STRT_Dttm=0", "enabled:fpDateTime1=0", "enabled:txt_duration=0"}));

        // The setup page's options: each writes the one flag it stands for.
        for (const auto& [option, written] : {std::pair{"Option8", "PasswordFlag=1"},
                                              {"Option9", "PasswordFlag=0"},
                                              {"Option10", "FlowFaultFlag=0"},
                                              {"Option11", "FlowFaultFlag=1"},
                                              {"Option12", "StartScreensFlag=1"},
                                              {"Option13", "StartScreensFlag=0"},
                                              {"Option14", "UnitsFlag=1"},
                                              {"Option15", "UnitsFlag=0"},
                                              {"Option16", ""},
                                              {"Option7_0", ""}})
            QTest::newRow(option) << QStringLiteral("optionClicked|") + option
                                  << (*written ? QStringList{QStringLiteral("value:") + written}
                                               : QStringList());
    }
    void reactions() {
        QFETCH(QString, call);
        QFETCH(QStringList, changes);
        const QStringList a = call.split('|') << QString();
        AppState state;
        state.TimingFlag = "1";
        state.DurationModeFlag = "0";
        state.runDuration = "557";
        state.UnitsFlag = 7;
        state.PasswordFlag = state.FlowFaultFlag = state.StartScreensFlag = "x";
        QMap<QString, QString> expected = stateValues(state);
        const UiChanges c = a[0] == "flowChanged"        ? flowChanged(a[1])
                            : a[0] == "startLeft"        ? startLeft(a[1], a[2])
                            : a[0] == "startChanged"     ? startChanged(a[1] == "1")
                            : a[0] == "chooseDuration"   ? chooseDuration(state)
                            : a[0] == "chooseStartStop"  ? chooseStartStop(state)
                            : a[0] == "timingBoxPressed" ? timingBoxPressed(a[1] == "1", state)
                                                         : optionClicked(a[1], state);
        QCOMPARE(flat(c), changes);
        // The shared values hold what the changes say, and no other moved.
        for (auto it = c.values.cbegin(); it != c.values.cend(); ++it)
            expected[it.key()] = it.value();
        QCOMPARE(stateValues(state), expected);
    }

    // Leaving the flow box with the model's limits 800 and 5000 (and the
    // limits of other models); the limits themselves are accepted.
    void flowRangeCheck_data() {
        QTest::addColumn<QString>("flow");
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::addColumn<QString>("after"); // empty: accepted, nothing changes
        QTest::addColumn<int>("messages");
        QTest::newRow("799 becomes 800") << "799" << 800 << 5000 << "800" << 1;
        QTest::newRow("800 accepted") << "800" << 800 << 5000 << "" << 0;
        QTest::newRow("5000 accepted") << "5000" << 800 << 5000 << "" << 0;
        QTest::newRow("5001 becomes 5000") << "5001" << 800 << 5000 << "5000" << 1;
        QTest::newRow("empty becomes 800") << "" << 800 << 5000 << "800" << 1;
        QTest::newRow("letters like empty") << "abc" << 800 << 5000 << "800" << 1;
        QTest::newRow("blank only like empty") << "  " << 800 << 5000 << "800" << 1;
        QTest::newRow("negative") << "-1" << 800 << 5000 << "800" << 1;
        QTest::newRow("fraction below min") << "799.9" << 800 << 5000 << "800" << 1;
        QTest::newRow("KST-1 range 500") << "500" << 500 << 3000 << "" << 0;
        QTest::newRow("KST-12 above") << "15000" << 2000 << 12000 << "12000" << 1;
    }
    void flowRangeCheck() {
        QFETCH(QString, flow);
        QFETCH(int, min);
        QFETCH(int, max);
        QFETCH(QString, after);
        QFETCH(int, messages);
        const UiChanges c = flowLeft(flow, min, max);
        QCOMPARE(c.messages, QStringList(messages, kFlowOutOfRange));
        if (after.isEmpty()) {
            QVERIFY(c.text.isEmpty());
        } else {
            QCOMPARE(c.text.value("Txt_target_flow"), after);
            // The litre label follows the corrected box.
            QCOMPARE(c.text.value("Label_targetL"), flowChanged(after).text.value("Label_targetL"));
        }
    }

    // A pause start copies itself into its stop; the order check compares
    // the two picker texts. Break1 from 10:30 to 10:15 is the classic slip.
    void pauses_data() {
        QTest::addColumn<int>("pause");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("stop");
        QTest::addColumn<QString>("stopPicker");
        QTest::addColumn<bool>("message");
        const int b1 = int(Pause::Break1), lunch = int(Pause::Lunch), b2 = int(Pause::Break2);
        auto row = [](const char* name, int pause, const char* start, const char* stop,
                      const char* stopPicker, bool message) {
            QTest::newRow(name) << pause << QString(start) << QString(stop) << QString(stopPicker)
                                << message;
        };
        row("break1 10:30 to 10:15", b1, "10:30:00.00", "10:15:00.00", "fpDateTimeBREAK1STOP",
            true);
        row("break2 10:30 to 10:15", b2, "10:30:00.00", "10:15:00.00", "fpDateTime8", true);
        row("lunch 12:30 to 12:00", lunch, "12:30:00.00", "12:00:00.00", "fpDateTime10", true);
        row("equal times accepted", b1, "10:15:00.00", "10:15:00.00", "fpDateTimeBREAK1STOP",
            false);
        row("stop later", b2, "14:00:00.00", "14:15:00.00", "fpDateTime8", false);
        row("hours after noon compare as text", lunch, "09:45:00.00", "13:00:00.00", "fpDateTime10",
            false);
        row("a second later is later", b1, "10:15:01.00", "10:15:00.00", "fpDateTimeBREAK1STOP",
            true);
    }
    void pauses() {
        QFETCH(int, pause);
        QFETCH(QString, start);
        QFETCH(QString, stop);
        QFETCH(QString, stopPicker);
        QFETCH(bool, message);
        const Pause p = Pause(pause);
        QCOMPARE(flat(pauseOrderCheck(start, stop)),
                 message ? QStringList{"message:" + kStopBeforeStart} : QStringList());
        // Changing the start makes a fresh pause: equal times, no message.
        const UiChanges copied = pauseStartChanged(p, start);
        QCOMPARE(flat(copied), QStringList{"time:" + stopPicker + "=" + start});
        QVERIFY(pauseOrderCheck(start, copied.time.value(stopPicker)).messages.isEmpty());
        // The pause's box greys both pickers out and keeps their times.
        QCOMPARE(flat(pauseBoxClicked(p, false)),
                 sorted({"enabled:" + controls(p).start + "=0", "enabled:" + stopPicker + "=0"}));
    }

    // The kept duration: written by the box as typed, converted on leaving.
    void duration_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept"); // after leaving the box
        auto row = [](const char* typed, const char* kept, const char* name = nullptr) {
            QTest::newRow(name ? name : typed) << QString(typed) << QString(kept);
        };
        row("08:00", "2048");
        row("02:45", "557");
        row("00:00", "0");
        row("00:59", "59");
        row("008:00", "2048", "pump-state form 008:00");
        row("254:59", "65083", "254:59 largest");
        row("255:55", "255:55", "pump's not-in-use 255:55");
        row("02:60", "02:60", "minutes 60");
        row("02:5", "02:5", "one minute digit");
        row("0_:__", "0_:__", "mask blanks");
        row("0800", "0800", "no colon");
        row("", "", "empty");
        row("2048", "2048", "already converted stays");
    }
    void duration() {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        AppState state;
        QCOMPARE(flat(durationChanged(typed, state)), QStringList{"value:runDuration=" + typed});
        QCOMPARE(state.runDuration, typed);
        const UiChanges left = durationLeft(state);
        QCOMPARE(state.runDuration, kept);
        QCOMPARE(flat(left),
                 kept == typed ? QStringList() : QStringList{"value:runDuration=" + kept});
    }
};
QTEST_GUILESS_MAIN(TestEditorRules)
#include "test_editorrules.moc"
