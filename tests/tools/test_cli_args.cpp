// corvane-cli's arguments, read and checked before anything is opened: the
// option forms, the pump (--port / --demo / --settings), and every
// subcommand's refusals and accepted values.
#include "cliargs.h"
#include "subcommands.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {
// Words as a shell splits them: "~" stands for a blank inside a word
// ("2026-02-30~10:00"), '' for an empty word.
QStringList split(const QString& args) {
    QStringList words = args.split(' ', Qt::SkipEmptyParts);
    for (QString& w : words)
        w = w == "''" ? QString("") : w.replace('~', ' '); // empty, not null
    return words;
}

// Whether a subcommand's parser accepts the words.
template <auto parse> bool parses(const QStringList& args, QString* error) {
    return bool(parse(args, error));
}
} // namespace

class TestCliArgs : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_ini;

private slots:
    void initTestCase() {
        m_ini = m_dir.filePath(QStringLiteral("corvane.INI"));
        QFile f(m_ini);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Comm Port]\r\nCom1=/dev/ttyUSB0\r\n");
    }

    void optionForms_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("result"); // "name=value ..." or "error: ..."
        auto row = [](const char* name, const char* args, const char* result) {
            QTest::newRow(name) << args << result;
        };
        row("separate value", "--port Com1 --watch", "--port=Com1 --watch=");
        row("joined value", "--port=/dev/a=b", "--port=/dev/a=b");
        row("value that looks like an option", "-o -", "-o=-");
        row("empty joined value", "--port=", "--port=");
        row("unknown", "--watch --wach", "error: unknown option --wach");
        row("unknown joined", "--metric=1", "error: unknown option --metric");
        row("no value", "--watch --port", "error: --port wants a value");
        row("value for a switch", "--watch=yes", "error: --watch takes no value");
        row("twice", "--port Com1 --port=Com2", "error: --port is given twice");
        row("stray word", "--watch now", "error: unexpected argument \"now\"");
        row("lone dash", "-", "error: unexpected argument \"-\"");
    }
    void optionForms() {
        QFETCH(QString, args);
        const QList<OptionSpec> specs = {{"--port", true}, {"--watch", false}, {"-o", true}};
        QString error;
        const auto parsed = parseArgs(split(args), specs, &error);
        QString got = parsed ? QString() : QStringLiteral("error: ") + error;
        if (parsed) {
            QStringList seen;
            for (const OptionSpec& s : specs)
                if (parsed->has(s.name))
                    seen << s.name + '=' + parsed->value(s.name);
            got = seen.join(' ');
        }
        QTEST(got, "result");
    }

    // Com1..Com4 in any case are the window's ports; anything else is a
    // device, a relative path taken from the current folder.
    void pump_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("result"); // label, or "error: ..."
        auto row = [](const char* name, const QString& args, const QString& result) {
            QTest::newRow(name) << args << result;
        };
        const QString onlyFour = "only Com1 to Com4 are mapped to devices; give the device path "
                                 "instead (/dev/ttyUSB0)";
        row("demo", "--demo", "demo pump");
        row("Com1", "--port Com1", "Com1");
        row("lower case", "--port com4", "Com4");
        row("upper case", "--port COM2", "Com2");
        row("device", "--port /dev/ttyUSB0", "/dev/ttyUSB0");
        row("bare device name", "--port ttyUSB0", "ttyUSB0");
        row("relative path", "--port ./pump/../com1", QDir::currentPath() + "/com1");
        row("with settings", "--port Com1 --settings " + m_ini, "Com1");
        row("neither", "", "error: which pump? give --port PORT or --demo");
        row("both", "--demo --port Com1", "error: give either --port or --demo, not both");
        row("empty port", "--port ''", "error: --port wants Com1 to Com4 or a device path");
#ifndef Q_OS_WIN
        row("Com5", "--port Com5", "error: --port Com5: " + onlyFour);
        row("Com0", "--port com0", "error: --port com0: " + onlyFour);
#endif
        row("settings missing", "--port Com1 --settings /nonexistent/corvane.INI",
            "error: --settings: no such file \"/nonexistent/corvane.INI\"");
        row("settings a folder", "--demo --settings " + m_dir.path(),
            "error: --settings: \"" + m_dir.path() + "\" is no readable file");
    }
    void pump() {
        QFETCH(QString, args);
        QString error;
        const auto parsed = parseArgs(split(args), pumpOptions(), &error);
        QVERIFY2(parsed, qPrintable(error));
        const auto pump = parsePump(*parsed, &error);
        QTEST(pump ? pump->label() : QStringLiteral("error: ") + error, "result");
        if (pump && args.contains("--settings"))
            QCOMPARE(pump->settingsPath, m_ini);
    }

    // Dates the pump can keep (two-digit year), times of day, whole numbers.
    void valueForms() {
        for (const char* good : {"2000-01-01 00:00", "2099-12-31 23:59", "2024-02-29 12:00"})
            QVERIFY2(pumpDateTime(good), good);
        for (const char* bad :
             {"1999-12-31 23:59", "2100-01-01 00:00", "2023-02-29 12:00", "2024-13-01 10:00",
              "2024-01-01 24:00", "2024-01-01 10:60", "2024-1-01 10:00", "2024-01-01T10:00",
              "2024-01-01  10:00", "2024-01-01 10:00:00", ""})
            QVERIFY2(!pumpDateTime(bad), bad);
        QCOMPARE(pumpDateTime("2026-03-29 02:30")->time(), QTime(2, 30)); // no DST shift
        QCOMPARE(timeOfDay("23:59"), std::optional<QTime>(QTime(23, 59)));
        for (const char* bad : {"24:00", "9:30", "09:5", "09-30", " 09:30"})
            QVERIFY2(!timeOfDay(bad), bad);
        QCOMPARE(wholeNumber("58", 1, 58), std::optional<int>(58));
        for (const char* bad : {"0", "59", "-1", "+5", "5.0", " 5", "", "9999999999"})
            QVERIFY2(!wholeNumber(bad, 1, 58), bad);
    }

    // Every refusal of every subcommand is found before anything is opened;
    // the usage text names the subcommand.
    void refusals_data() {
        QTest::addColumn<QString>("subcommand");
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("error");
        auto row = [](const char* sub, const char* args, const QString& error) {
            QTest::addRow("%s %s", sub, args) << sub << args << error;
        };
        row("decode", "--demo", "unknown option --demo");
        row("status", "--demo --seconds 3", "unknown option --seconds");
        row("status", "--watch", "which pump? give --port PORT or --demo");
        for (const char* seconds : {"0", "1e3", "nan", "0.0001"})
            row("trace", qPrintable(QStringLiteral("--demo --seconds ") + seconds),
                "--seconds wants a number of seconds above 0, up to 2000000");
        row("ports", "--demo", "unknown option --demo");
        row("ports", "--settings /nonexistent/x.INI",
            "--settings: no such file \"/nonexistent/x.INI\"");
        row("download", "--demo -o ''", "-o wants a file name, or - for standard output");
        row("download", "--demo -o /nonexistent/logs.csv", "cannot write a file in /nonexistent");
        row("download", "--demo -o /", "-o /: is a folder");
        row("set-clock", "--demo --time 2026-02-30~10:00",
            "--time wants \"YYYY-MM-DD HH:MM\", a date and time that exist, in 2000 to 2099");
        row("send-setup", "--demo --password yes", "--password wants off or on");
        row("send-setup", "--demo --flow-mode STP", "--flow-mode wants volumetric or stp");
        row("send-setup", "--demo --timing on", "--timing wants off or start-stop or duration");
        row("send-setup", "--demo --units si", "--units wants english or metric");
        row("send-setup", "--demo --log-rate 59", "--log-rate wants whole minutes from 1 to 58");
        row("send-setup", "--demo --log-rate 0", "--log-rate wants whole minutes from 1 to 58");
        row("program", "--demo", "--flow CC_PER_MIN is required");
        row("program", "--demo --flow 0", "--flow wants whole cc/min, 1 to 99999");
        row("program", "--demo --flow 2000 --stop 2026-01-01~10:00",
            "--start and --stop go together");
        row("program", "--demo --flow 2000 --start 2026-01-01~10:00 --stop 2026-01-01~25:00",
            "--stop wants \"YYYY-MM-DD HH:MM\", a date and time that exist, in 2000 to 2099");
        row("program", "--demo --flow 2000 --start 2026-01-01~10:00 --stop 2026-01-01~10:00",
            "--stop must be later than --start");
        row("program",
            "--demo --flow 2000 --start 2026-01-01~10:00 --stop 2026-01-01~16:00 "
            "--duration 06:00",
            "--start/--stop and --duration exclude each other: the pump times a run either by "
            "start and stop or by duration");
        for (const char* duration : {"00:00", "08:60", "8:00"})
            row("program", qPrintable(QStringLiteral("--demo --flow 2000 --duration ") + duration),
                "--duration wants HH:MM, 00:01 to 99:59");
        row("program", "--demo --flow 2000 --break1 10:30-10:15",
            "--break1: Stop Time must be greater then Start");
        row("program", "--demo --flow 2000 --break2 10:30", "--break2 wants HH:MM-HH:MM");
        row("program", "--demo --flow 2000 --lunch 12:00-12:30",
            "--lunch: a pause cannot begin at 12:00, which the pump program takes for no pause; "
            "begin it at 11:59 or 12:01");
    }
    void refusals() {
        QFETCH(QString, subcommand);
        QFETCH(QString, args);
        using Parse = std::function<bool(const QStringList&, QString*)>;
        const auto erase = [](EraseCommand::What what) -> Parse {
            return [what](const QStringList& a, QString* e) {
                return bool(EraseCommand::parse(what, a, e));
            };
        };
        const QMap<QString, Parse> parsers = {
            {"decode", parses<&DecodeCommandLine::parse>},
            {"status", parses<&StatusCommand::parse>},
            {"trace", parses<&TraceCommand::parse>},
            {"ports", parses<&PortsCommand::parse>},
            {"erase-logs", erase(EraseCommand::What::Logs)},
            {"clear-sampling-data", erase(EraseCommand::What::SamplingData)},
            {"download", parses<&DownloadCommand::parse>},
            {"set-clock", parses<&SetClockCommand::parse>},
            {"send-setup", parses<&SendSetupCommand::parse>},
            {"program", parses<&ProgramCommand::parse>}};
        QString got;
        const bool parsed = parsers.value(subcommand)(split(args), &got);
        QVERIFY(!parsed);
        QTEST(got, "error");
        QVERIFY(findSubcommand(subcommand));
    }

    // What the accepted arguments come out as.
    void accepted() {
        QString error;
        const auto trace = TraceCommand::parse(split("--demo --seconds 2.5 --raw"), &error);
        QVERIFY2(trace && trace->raw && trace->ms == 2500, qPrintable(error));
        QCOMPARE(TraceCommand::parse(split("--demo"), &error)->ms, 0); // until interrupted
        QCOMPARE(TraceCommand::stamped(12.0344, '>', "R99"), QByteArray("12.034 > R99"));
        QCOMPARE(TraceCommand::stamped(0.0005, '<', "Z99 1"), QByteArray("0.001 < Z99 1"));

        QVERIFY(StatusCommand::parse(split("--watch --port com3"), &error)->watch);
        const auto erase = EraseCommand::parse(EraseCommand::What::Logs, split("--demo"), &error);
        QVERIFY(erase && !erase->yes); // refused when run, not when read

        const auto setup = SendSetupCommand::parse(
            split("--demo --flow-mode stp --password off --timing duration --units metric "
                  "--log-rate 58"),
            &error);
        QVERIFY2(setup, qPrintable(error));
        QCOMPARE(setup->stpFlow, std::optional<bool>(true));
        QCOMPARE(setup->password, std::optional<bool>(false));
        QVERIFY(!setup->flowFault && !setup->screens); // left out: the pump keeps its value
        QVERIFY(setup->timing == SendSetupCommand::Timing::Duration);
        QCOMPARE(setup->metric, std::optional<bool>(true));
        QCOMPARE(setup->logRate, std::optional<int>(58));

        const auto program = ProgramCommand::parse(
            split("--demo --flow 2500 --start 2026-01-31~08:30 --stop 2026-02-01~16:00 "
                  "--break1 10:00-10:00 --lunch 12:01-12:45"),
            &error);
        QVERIFY2(program, qPrintable(error));
        QCOMPARE(program->flow, 2500);
        QCOMPARE(program->start->date(), QDate(2026, 1, 31));
        QCOMPARE(program->stop->time(), QTime(16, 0));
        QCOMPARE(program->break1->end, QTime(10, 0)); // equal times allowed, as in the window
        QCOMPARE(program->lunch->begin, QTime(12, 1));
        QVERIFY(!program->break2 && !program->duration);
        const auto timed =
            ProgramCommand::parse(split("--demo --flow 800 --duration 99:59"), &error);
        QVERIFY(timed && timed->duration->hours == 99 && timed->duration->minutes == 59);

        const auto toFile = DownloadCommand::parse(split("--demo -o logs.csv"), &error);
        QCOMPARE(toFile->output, QDir::current().absoluteFilePath("logs.csv"));
        QCOMPARE(DownloadCommand::parse(split("--demo -o -"), &error)->output, QString("-"));
        QCOMPARE(DownloadCommand::parse(split("--demo"), &error)->output, QString());
        QVERIFY(!SetClockCommand::parse(split("--demo"), &error)->time);
    }
};

QTEST_GUILESS_MAIN(TestCliArgs)
#include "test_cli_args.moc"
