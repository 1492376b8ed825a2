// Log files on disk: the round trip, saves that fail half way or cannot
// start (the old file stays, the reason is given), files that must not be
// read (pipes, devices, binary files, files past the memo's budget), the
// dialogs' filters in Qt's form, and the printout's pages.
#include "logs/logfiles.h"
#include "support/testfiles.h"

#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A memo as a download leaves it: the pump's lines with two blanks each.
CaptureMemo downloaded(int records) {
    CaptureMemo m;
    m.writeAt(1, QStringLiteral("LogType,Date/Time,Battery,Temp,BP,DP,Elapsed,Flow,Volume,STP "
                                "Volume  \r\n"));
    for (int i = 1; i <= records; ++i)
        m.writeAt(i + 1, QStringLiteral("Run Update,12/06/2026 14:05,085,072,29.92,05.02,%1,"
                                        "002000,0012.345,00012.345  \r\n")
                             .arg(i, 5, 10, QLatin1Char('0')));
    m.writeAt(records + 2, QStringLiteral("Done ok  \r\n"));
    return m;
}

// The patterns Qt's file dialog reads from a filter (its own expression).
QStringList qtPatterns(const QString& filter) {
    static const QRegularExpression re(
        QStringLiteral("^(.*)\\(([a-zA-Z0-9_.,*? +;#\\-\\[\\]@\\{\\}/!<>\\$%&=^~:\\|]*)\\)$"));
    const auto m = re.match(filter);
    return m.hasMatch() ? m.captured(2).split(QLatin1Char(' '), Qt::SkipEmptyParts)
                        : QStringList{QStringLiteral("(none)")};
}

} // namespace

class TestLogFiles : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
    void refused_data();
    void refused();
    void loadPastBudget();
    void filters_data();
    void filters();
    void pages_data();
    void pages();
    void linePitch();
};

// The file's content replaces the memo's text; saved, the file holds exactly
// the lines, each ended by CR LF, so a download saved and opened again comes
// back line for line.
void TestLogFiles::roundTrip_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("a download") << downloaded(999).toFileBytes() << downloaded(999).lines();
    QTest::newRow("CR LF, LF, CR, no final end")
        << QByteArray("a  \r\nb\nc\rd") << QStringList{"a  ", "b", "c", "d"};
    QTest::newRow("empty lines kept")
        << QByteArray("a\r\n\r\n\nb\r\n") << QStringList{"a", "", "", "b"};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
    QTest::newRow("eight-bit text") << QByteArray("\xb0\x46\r\n") << QStringList{"\u00b0F"};
    // A line past the budget ends the load: never a line after a hole.
    QTest::newRow("past the budget keeps the front")
        << QByteArray("first\r\n" + QByteArray(CaptureMemo::kMaxChars, 'y') + "\r\nafter\r\n")
        << QStringList{"first"};
}

void TestLogFiles::roundTrip() {
    QFETCH(QByteArray, file);
    QFETCH(QStringList, lines);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("log.csv"));
    putFile(path, file);
    CaptureMemo m;
    m.writeAt(3000, QStringLiteral("older text\r\n"));
    const LogFiles::Result loaded = LogFiles::load(m, path);
    QVERIFY(loaded.ok);
    QCOMPARE(loaded.message.isEmpty(), file.size() <= CaptureMemo::kMaxChars); // said if cut
    QCOMPARE(m.lines(), lines);
    const LogFiles::Result saved = LogFiles::save(m, path);
    QVERIFY2(saved.ok && saved.message.isEmpty(), qPrintable(saved.message));
    QCOMPARE(fileBytes(path),
             lines.isEmpty() ? QByteArray() : lines.join("\r\n").toLatin1() + "\r\n");
}

// Saves that fail before or while writing over an earlier log file, and
// files that are not log files loaded: the message says why; a failed save
// leaves the earlier file untouched and no temporary file behind, a refused
// load reads nothing and the memo keeps its text. A pipe with no writer must
// not hang.
void TestLogFiles::refused_data() {
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("reason"); // a part of a save's message, all of a load's
    const char* notRegular = "it is not a regular file";
    const char* notText = "it is not a text file";
    for (const auto& [save, how, reason] :
         {std::tuple{true, "read-only", ""},
          {true, "full", "File too large"}, // half way
          // Small enough to wait in the file's buffer until the save completes.
          {true, "full-small", "File too large"},
          {true, "folder", notRegular},
          {true, "fifo", notRegular},
          {false, "missing", "No such file or directory"},
          {false, "fifo", notRegular}, // a pipe without a writer
          {false, "/dev/zero", notRegular},
          {false, "folder", notRegular},
          {false, "binary", notText},
          {false, "utf16", notText},
          {false, "control", notText}})
        QTest::addRow("%s: %s", save ? "save" : "load", how)
            << save << QString(how) << QString(reason);
}

void TestLogFiles::refused() {
    QFETCH(bool, save);
    QFETCH(QString, how);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("logs"));
    QVERIFY(QDir().mkpath(folder));
    const QString path = how.startsWith('/') ? how : folder + QStringLiteral("/pump.csv");
    const QByteArray old = downloaded(3).toFileBytes();
    if (how == QLatin1String("folder"))
        QVERIFY(QDir().mkpath(path));
    else if (how == QLatin1String("fifo"))
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (how == QLatin1String("binary"))
        putFile(path, QByteArray("Run Update,\0\x01\x02", 14) + QByteArray(200, 'x'));
    else if (how == QLatin1String("utf16"))
        putFile(path, QByteArray("\xff\xfeL\0o\0g\0\r\0\n\0", 12));
    else if (how == QLatin1String("control")) // one control character past 1 in 20
        putFile(path, QByteArray(54, 'x') + QByteArray(3, '\x05') + "\r\n");
    else if (save)
        putFile(path, old);

    const auto restore = qScopeGuard([&] { setFolderReadOnly(folder, false); });
    if (how == QLatin1String("read-only"))
        setFolderReadOnly(folder, true);
    // A full disk, as the kernel reports a file size limit: writes past
    // the limit fail, with the signal that would end the process ignored.
    rlimit before{};
    ::getrlimit(RLIMIT_FSIZE, &before);
    const auto unlimit = qScopeGuard([&] {
        ::setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, SIG_DFL);
    });
    if (how.startsWith(QLatin1String("full"))) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = before;
        small.rlim_cur = how == QLatin1String("full") ? 4096 : 64;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
    }

    CaptureMemo m = downloaded(2);
    const QStringList memo = m.lines();
    const LogFiles::Result r =
        save ? LogFiles::save(downloaded(how == QLatin1String("full-small") ? 2 : 999), path)
             : LogFiles::load(m, path);
    QVERIFY(!r.ok);
    if (!save) {
        QCOMPARE(r.message, "The log file " + path + " could not be opened: " + reason);
        QCOMPARE(m.lines(), memo);
        return;
    }
    QVERIFY2(r.message.startsWith("The log file " + path + " could not be saved: "),
             qPrintable(r.message));
    QVERIFY2(r.message.contains(reason), qPrintable(r.message));
    const QString why = r.message.section(QStringLiteral(": "), -1);
    QVERIFY2(!why.isEmpty() && !why.contains(QLatin1String("Unknown")), qPrintable(why));
    if (how == QLatin1String("read-only") || how.startsWith(QLatin1String("full")))
        QCOMPARE(fileBytes(path), old);
    // No temporary file is left behind either.
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                    QDir::NoDotAndDotDot),
             QStringList{"pump.csv"});
}

// A file larger than the memo holds: what fits is loaded (whole lines only,
// from the front) and the message says so; at most the budget is read.
void TestLogFiles::loadPastBudget() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("huge.tlx"));
    const QByteArray line = QByteArray(98, 'r') + "\r\n";
    const int lines = int((CaptureMemo::kMaxChars + 4 * 1024 * 1024) / line.size());
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        for (int i = 0; i < lines; ++i)
            f.write(line);
    }
    CaptureMemo m;
    const LogFiles::Result r = LogFiles::load(m, path);
    QVERIFY(r.ok);
    const int fitted = int(CaptureMemo::kMaxChars / (98 + CaptureMemo::kLineCost));
    QCOMPARE(m.lineCount(), fitted);
    QCOMPARE(m.lines().last(), QString(98, 'r'));
    QCOMPARE(r.message, QStringLiteral("The log file %1 is larger than the 16 MiB the screen "
                                       "holds: only its first %2 lines were loaded")
                            .arg(path)
                            .arg(fitted));
}

// The dialogs' "|"-separated pairs in Qt's form: the descriptions' text kept,
// the patterns where Qt reads them, the second filter chosen.
void TestLogFiles::filters_data() {
    QTest::addColumn<QString>("pairs");
    QTest::addColumn<QStringList>("filters");
    QTest::addColumn<QString>("patterns"); // per filter, joined by "/"
    QTest::addColumn<QString>("selected");
    auto row = [](const char* name, const QString& pairs, const QStringList& filters,
                  const char* patterns, const char* selected) {
        QTest::newRow(name) << pairs << filters << QString(patterns) << QString(selected);
    };
    row("Save Logs", LogFiles::kSaveFilters, {"ALL Files (*.*)", "Kst Log Files (*.csv )"},
        "*.*/*.csv", "Kst Log Files (*.csv )");
    row("Open Log", LogFiles::kOpenFilters, {"ALL Files (*.*)", "Kst Log Files (*.tlx )"},
        "*.*/*.tlx", "Kst Log Files (*.tlx )");
    row("description without patterns, several patterns", "Logs|*.csv;*.tlx|Text (*.txt)|*.log",
        {"Logs (*.csv *.tlx)", "Text (*.txt) (*.log)"}, "*.csv *.tlx/*.log",
        "Text (*.txt) (*.log)");
    row("one filter is the one chosen", "Kst (*.csv)|*.csv|", {"Kst (*.csv)"}, "*.csv",
        "Kst (*.csv)");
    row("nothing", " | ", {}, "", "");
}

void TestLogFiles::filters() {
    QFETCH(QString, pairs);
    const LogFiles::DialogFilters f = LogFiles::qtFilters(pairs);
    QTEST(f.filters, "filters");
    QStringList patterns;
    for (const QString& filter : f.filters)
        patterns << qtPatterns(filter).join(' ');
    QTEST(patterns.join('/'), "patterns");
    QTEST(f.selected, "selected");
}

// Pages as "copy:first+count", joined by blanks.
void TestLogFiles::pages_data() {
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("copies");
    QTest::addColumn<QString>("pages");
    QTest::newRow("130 lines: three pages") << 130 << 1 << "0:0+60 0:60+60 0:120+10";
    QTest::newRow("two copies: six pages")
        << 130 << 2 << "0:0+60 0:60+60 0:120+10 1:0+60 1:60+60 1:120+10";
    QTest::newRow("a full last page: no blank sheet") << 120 << 1 << "0:0+60 0:60+60";
    QTest::newRow("one line over") << 61 << 1 << "0:0+60 0:60+1";
    QTest::newRow("each copy on a page of its own") << 1 << 3 << "0:0+1 1:0+1 2:0+1";
    QTest::newRow("no copies asked: one") << 5 << 0 << "0:0+5";
    QTest::newRow("the printing system makes the 2 copies: one sent") << 5 << -2 << "0:0+5";
    QTest::newRow("nothing to print") << 0 << 2 << "";
}

void TestLogFiles::pages() {
    QFETCH(int, lines);
    QFETCH(int, copies);
    QStringList got;
    // A negative count: that many copies, made by the printing system.
    const int here = LogPrint::copiesPrintedHere(copies < 0, std::abs(copies));
    for (const LogPrint::Page& p : LogPrint::pages(lines, here))
        got << QStringLiteral("%1:%2+%3").arg(p.copy).arg(p.first).arg(p.count);
    QTEST(got.join(' '), "pages");
}

// Sixty lines a page whatever the paper: the font's spacing where it fits
// (a tall page), closer where it does not (a short one).
void TestLogFiles::linePitch() {
    QCOMPARE(LogPrint::linePitch(20.0, 6000.0), 20.0);
    QCOMPARE(LogPrint::linePitch(20.0, 600.0), 10.0);
}

QTEST_GUILESS_MAIN(TestLogFiles)
#include "test_logfiles.moc"
