// What the capture memo and the picker texts must do, without a window (the
// memo on disk is in test_logfiles; the log table's format string is checked
// on the grid itself, with the widgets).
#include "core/pickertext.h"
#include "logs/capturememo.h"

#include <QTest>

class TestComponents : public QObject {
    Q_OBJECT
private slots:
    void memo();
    void pickerText_data();
    void pickerText();
};

void TestComponents::memo() {
    CaptureMemo m;
    QVERIFY(!m.writeAt(0, QStringLiteral("x")) && !m.writeAt(-3, QStringLiteral("x")));
    for (int i : {3, 1, 2})
        QVERIFY(m.writeAt(i, QStringList{"first  \r\n", "second  \r\n", "third  \r\n"}[i - 1]));
    QCOMPARE(m.toFileBytes(), QByteArray("first  \r\nsecond  \r\nthird  \r\n"));
    QVERIFY(m.writeAt(1, QStringLiteral("a\r\n"))); // a new capture overwrites
    QCOMPARE(m.line(1) + m.line(0) + m.line(4), QStringLiteral("a"));
    m.emptyLine(3);
    m.emptyLine(9);
    QCOMPARE(m.lines(), (QStringList{"a", "second  ", ""}));
    // A pump or cable spewing lines, long or empty: the memo refuses writes
    // past its budget instead of growing without end.
    for (const QString& text :
         {QString(4096, QLatin1Char('x')) + "  \r\n", QStringLiteral("  \r\n")}) {
        CaptureMemo full;
        const int tries = int(CaptureMemo::kMaxChars / (text.size() - 2 + CaptureMemo::kLineCost));
        int accepted = 0;
        for (int i = 1; i <= tries + 1000; ++i)
            accepted += full.writeAt(i, text);
        QVERIFY(accepted > tries / 2 && accepted <= tries);
        QVERIFY(full.writeAt(1, QStringLiteral("x\r\n"))); // an overwrite that fits
    }
    // Nor does a position far ahead make it grow.
    QVERIFY(!m.writeAt(2000000000, QStringLiteral("far\r\n")) && m.lineCount() == 3);
    QVERIFY(m.writeAt(1000, QStringLiteral("near\r\n")) && m.lineCount() == 1000);
}

// What a picker reads back from a text given as a date or time ("": neither).
void TestComponents::pickerText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("readBack");
    for (const char* bad :
         {"20031301", "20030230",  "20230229", "2003011",    "2003-1-1",     "2003O1O1",    "",
          "12,6",     "12,6,26,1", "12,6,126", "12,0,26",    "-1,6,26",      "24:00",       "55:55",
          "12:60",    "12:00:60",  "12",       "12:00:00.0", "12:00:00.000", "12:00:00:00", "ab:cd",
          "12:",      "-1:00"})
        QTest::addRow("\"%s\"", bad) << QString::fromLatin1(bad) << QString();
    const char* good[][2] = {{"20240229", "20240229"},      {"12,6,26", "20261206"}, // PC: mm,d,yy
                             {"1,5,03", "20030105"},        {"02,29,00", "20000229"},
                             {"7:5", "07:05:00.00"},        {"23:59:59", "23:59:59.00"},
                             {"13:14:15.16", "13:14:15.16"}};
    // The PC's own date and time texts, as set at start-up.
    QTest::newRow("pc date") << PickerText::pcDate(QDate(2099, 12, 31))
                             << QStringLiteral("20991231");
    QTest::newRow("pc time") << PickerText::pcTime(QTime(7, 5, 9)) << QStringLiteral("07:05:09.00");
    for (const auto& [text, readBack] : good)
        QTest::addRow("\"%s\"", text) << QString::fromLatin1(text) << QString::fromLatin1(readBack);
}

void TestComponents::pickerText() {
    QFETCH(QString, text);
    const auto d = PickerText::parseDate(text);
    const auto t = PickerText::parseTime(text);
    QVERIFY(!(d && t));
    QTEST(d ? PickerText::formatDate(*d) : t ? PickerText::formatTime(*t) : QString(), "readBack");
}

QTEST_GUILESS_MAIN(TestComponents)
#include "test_components.moc"
