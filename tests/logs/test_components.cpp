// What the capture memo, the log table's format string and the picker texts
// must do, without a window.
#include "core/pickertext.h"
#include "logs/capturememo.h"
#include "logs/gridformat.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestComponents : public QObject {
    Q_OBJECT
private slots:
    void memoWritesInOrder();
    void memoLinePositions();
    void memoSaveLoad_data();
    void memoSaveLoad();
    void memoLoadReplacesAndRoundTrips();
    void memoLoadFailureKeepsText();
    void memoBudget();
    void memoLoadPastBudgetKeepsTheFront();

    void gridFormat_data();
    void gridFormat();

    void pickerDate_data();
    void pickerDate();
    void pickerTime_data();
    void pickerTime();
    void pcClockTexts();
};

void TestComponents::memoWritesInOrder() {
    CaptureMemo m;
    QVERIFY(m.writeAt(1, QStringLiteral("first  \r\n")));
    QVERIFY(m.writeAt(2, QStringLiteral("second  \r\n")));
    QVERIFY(m.writeAt(3, QStringLiteral("third  \r\n")));
    QCOMPARE(m.lineCount(), 3);
    QCOMPARE(m.lines(), (QStringList{"first  ", "second  ", "third  "}));
    QCOMPARE(m.toFileBytes(), QByteArray("first  \r\nsecond  \r\nthird  \r\n"));
}

void TestComponents::memoLinePositions() {
    CaptureMemo m;
    QVERIFY(!m.writeAt(0, QStringLiteral("x")));
    QVERIFY(!m.writeAt(-3, QStringLiteral("x")));
    QVERIFY(m.writeAt(3, QStringLiteral("c\r\n")));
    QCOMPARE(m.lines(), (QStringList{"", "", "c"}));
    QVERIFY(m.writeAt(1, QStringLiteral("a\r\n"))); // a new capture overwrites
    QCOMPARE(m.line(1), QStringLiteral("a"));
    QCOMPARE(m.line(0), QString());
    QCOMPARE(m.line(4), QString());
    m.emptyLine(3);
    m.emptyLine(9);
    QCOMPARE(m.lines(), (QStringList{"a", "", ""}));
    QCOMPARE(m.lineCount(), 3);
}

void TestComponents::memoSaveLoad_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("CR LF") << QByteArray("a  \r\nb  \r\n") << QStringList{"a  ", "b  "};
    QTest::newRow("LF only") << QByteArray("a\nb\n") << QStringList{"a", "b"};
    QTest::newRow("CR only") << QByteArray("a\rb\r") << QStringList{"a", "b"};
    QTest::newRow("no final line end") << QByteArray("a\r\nb") << QStringList{"a", "b"};
    QTest::newRow("empty lines kept")
        << QByteArray("a\r\n\r\n\nb\r\n") << QStringList{"a", "", "", "b"};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
    QTest::newRow("eight-bit text") << QByteArray("\xb0"
                                                  "F\r\n")
                                    << QStringList{"\u00b0F"};
}

void TestComponents::memoSaveLoad() {
    QFETCH(QByteArray, file);
    QFETCH(QStringList, lines);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("log.tlx"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(file);
    f.close();
    CaptureMemo m;
    m.writeAt(1, QStringLiteral("old text\r\n"));
    QVERIFY(m.load(path));
    QCOMPARE(m.lines(), lines);
    // Saved: exactly the lines, each ended by CR LF.
    const QString out = dir.filePath(QStringLiteral("log.csv"));
    QVERIFY(m.save(out));
    QFile o(out);
    QVERIFY(o.open(QIODevice::ReadOnly));
    QByteArray expected;
    for (const QString& l : lines)
        expected += l.toLatin1() + "\r\n";
    QCOMPARE(o.readAll(), expected);
}

void TestComponents::memoLoadReplacesAndRoundTrips() {
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a.csv"));
    const QString b = dir.filePath(QStringLiteral("b.csv"));
    CaptureMemo m;
    for (int i = 1; i <= 5; ++i)
        m.writeAt(i, QStringLiteral("line %1  \r\n").arg(i));
    QVERIFY(m.save(a));
    CaptureMemo n;
    for (int i = 1; i <= 9; ++i)
        n.writeAt(i, QStringLiteral("longer older line %1\r\n").arg(i));
    QVERIFY(n.load(a));
    QCOMPARE(n.lines(), m.lines()); // nothing of the old nine lines is left
    QVERIFY(n.save(b));
    QFile fa(a), fb(b);
    QVERIFY(fa.open(QIODevice::ReadOnly) && fb.open(QIODevice::ReadOnly));
    QCOMPARE(fb.readAll(), fa.readAll());
}

void TestComponents::memoLoadFailureKeepsText() {
    CaptureMemo m;
    m.writeAt(1, QStringLiteral("kept\r\n"));
    QString error;
    QVERIFY(!m.load(QStringLiteral("/nonexistent/dir/log.tlx"), &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(m.lines(), QStringList{"kept"});
    QVERIFY(!m.save(QStringLiteral("/nonexistent/dir/log.csv"), &error));
}

// A pump or cable spewing lines, long or empty, or a position far ahead:
// the memo refuses writes past its budget instead of growing without end.
void TestComponents::memoBudget() {
    {
        CaptureMemo m;
        const QString longLine(4096, QLatin1Char('x'));
        int accepted = 0;
        for (int i = 1; i <= 8000; ++i)
            accepted += m.writeAt(i, longLine + QLatin1String("  \r\n"));
        QVERIFY(accepted > 1000 && accepted < 8000);
        QVERIFY(qsizetype(accepted) * (4098 + CaptureMemo::kLineCost) <= CaptureMemo::kMaxChars);
        // An overwrite that fits is still taken.
        QVERIFY(m.writeAt(1, QStringLiteral("short\r\n")));
    }
    {
        CaptureMemo m;
        int accepted = 0;
        const int tries = int(CaptureMemo::kMaxChars / CaptureMemo::kLineCost) + 1000;
        for (int i = 1; i <= tries; ++i)
            accepted += m.writeAt(i, QStringLiteral("  \r\n"));
        QVERIFY(accepted < tries);
        QVERIFY(qsizetype(m.lineCount()) * CaptureMemo::kLineCost <= CaptureMemo::kMaxChars);
    }
    {
        CaptureMemo m;
        QVERIFY(!m.writeAt(2000000000, QStringLiteral("far\r\n")));
        QCOMPARE(m.lineCount(), 0);
        QVERIFY(m.writeAt(1000, QStringLiteral("near\r\n")));
        QCOMPARE(m.lineCount(), 1000);
    }
}

void TestComponents::memoLoadPastBudgetKeepsTheFront() {
    QByteArray file = "first\r\n";
    file += QByteArray(CaptureMemo::kMaxChars, 'y') + "\r\n"; // too long to keep
    file += "after\r\n";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.tlx"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(file);
    f.close();
    CaptureMemo m;
    QVERIFY(m.load(path));
    QCOMPARE(m.lines(), QStringList{"first"}); // never "after" with a hole before it
}

void TestComponents::gridFormat_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<bool>("left");
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("left, titles and row titles")
        << "<Log|Date|Time|Flow;|1|2|3" << true << QStringList{"Log", "Date", "Time", "Flow"}
        << QStringList{"", "1", "2", "3"};
    QTest::newRow("no <: default alignment")
        << "Log|Date;Row0|Row1" << false << QStringList{"Log", "Date"}
        << QStringList{"Row0", "Row1"};
    QTest::newRow("no ; : no row titles")
        << "<A|B" << true << QStringList{"A", "B"} << QStringList{};
    QTest::newRow("< only counts in front")
        << "A|<B" << false << QStringList{"A", "<B"} << QStringList{};
    QTest::newRow("empty titles kept in place")
        << "<|Date||Flow" << true << QStringList{"", "Date", "", "Flow"} << QStringList{};
    QTest::newRow("row titles only: columns untouched")
        << ";Log Number |1 |2 |" << false << QStringList{}
        << QStringList{"Log Number ", "1 ", "2 ", ""};
    QTest::newRow("< alone still sets alignment")
        << "<;x" << true << QStringList{""} << QStringList{"x"};
    QTest::newRow("blanks are part of titles")
        << "< Flow cc | Temp F" << true << QStringList{" Flow cc ", " Temp F"} << QStringList{};
}

void TestComponents::gridFormat() {
    QFETCH(QString, format);
    QFETCH(bool, left);
    QFETCH(QStringList, columns);
    QFETCH(QStringList, rows);
    const GridFormat g = GridFormat::parse(format);
    QCOMPARE(g.alignLeft, left);
    QCOMPARE(g.columnTitles, columns);
    QCOMPARE(g.rowTitles, rows);
}

void TestComponents::pickerDate_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("readBack"); // empty: rejected
    QTest::newRow("eight digits") << "20030101"
                                  << "20030101";
    QTest::newRow("leap day") << "20240229"
                              << "20240229";
    QTest::newRow("pc date mm,d,yy") << "12,6,26"
                                     << "20261206";
    QTest::newRow("pc date one-digit month") << "1,5,03"
                                             << "20030105";
    QTest::newRow("pc date year 00") << "02,29,00"
                                     << "20000229";
    QTest::newRow("month 13") << "20031301"
                              << "";
    QTest::newRow("30 February") << "20030230"
                                 << "";
    QTest::newRow("not a leap year") << "20230229"
                                     << "";
    QTest::newRow("seven digits") << "2003011"
                                  << "";
    QTest::newRow("separators") << "2003-1-1"
                                << "";
    QTest::newRow("letters") << "2003O1O1"
                             << "";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("pc date two parts") << "12,6"
                                       << "";
    QTest::newRow("pc date four parts") << "12,6,26,1"
                                        << "";
    QTest::newRow("pc date three-digit year") << "12,6,126"
                                              << "";
    QTest::newRow("pc date day 0") << "12,0,26"
                                   << "";
    QTest::newRow("pc date sign") << "-1,6,26"
                                  << "";
}

void TestComponents::pickerDate() {
    QFETCH(QString, text);
    QFETCH(QString, readBack);
    const auto d = PickerText::parseDate(text);
    QCOMPARE(bool(d), !readBack.isEmpty());
    if (d)
        QCOMPARE(PickerText::formatDate(*d), readBack);
}

void TestComponents::pickerTime_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("readBack");
    QTest::newRow("empty pause marker") << "12:00:00.00"
                                        << "12:00:00.00";
    QTest::newRow("HH:MM") << "07:05"
                           << "07:05:00.00";
    QTest::newRow("H:M from a decoder") << "7:5"
                                        << "07:05:00.00";
    QTest::newRow("HH:MM:SS") << "23:59:59"
                              << "23:59:59.00";
    QTest::newRow("midnight") << "00:00"
                              << "00:00:00.00";
    QTest::newRow("hundredths") << "13:14:15.16"
                                << "13:14:15.16";
    QTest::newRow("hour 24") << "24:00"
                             << "";
    QTest::newRow("not activated 55:55") << "55:55"
                                         << "";
    QTest::newRow("minute 60") << "12:60"
                               << "";
    QTest::newRow("second 60") << "12:00:60"
                               << "";
    QTest::newRow("hour only") << "12"
                               << "";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("one hundredth digit") << "12:00:00.0"
                                         << "";
    QTest::newRow("milliseconds") << "12:00:00.000"
                                  << "";
    QTest::newRow("four fields") << "12:00:00:00"
                                 << "";
    QTest::newRow("letters") << "ab:cd"
                             << "";
    QTest::newRow("missing minute") << "12:"
                                    << "";
    QTest::newRow("sign") << "-1:00"
                          << "";
}

void TestComponents::pickerTime() {
    QFETCH(QString, text);
    QFETCH(QString, readBack);
    const auto t = PickerText::parseTime(text);
    QCOMPARE(bool(t), !readBack.isEmpty());
    if (t)
        QCOMPARE(PickerText::formatTime(*t), readBack);
}

// Read-back texts compare correctly as text, and the PC's own date and time
// texts are taken back by the pickers.
void TestComponents::pcClockTexts() {
    QCOMPARE(PickerText::pcDate(QDate(2026, 12, 6)), QStringLiteral("12,6,26"));
    QCOMPARE(PickerText::pcDate(QDate(2003, 1, 15)), QStringLiteral("01,15,03"));
    QCOMPARE(PickerText::pcTime(QTime(7, 5, 9)), QStringLiteral("07:05:09"));
    for (const QDate d : {QDate(2000, 1, 1), QDate(2026, 12, 6), QDate(2099, 12, 31)})
        QCOMPARE(*PickerText::parseDate(PickerText::pcDate(d)), d);
    QVERIFY(PickerText::formatTime(QTime(9, 59)) < PickerText::formatTime(QTime(10, 0)));
    QVERIFY(PickerText::formatTime(QTime(13, 0)) > PickerText::formatTime(QTime(12, 59, 59)));
}

QTEST_GUILESS_MAIN(TestComponents)
#include "test_components.moc"
