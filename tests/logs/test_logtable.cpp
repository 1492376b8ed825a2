// The log table and its model: titles from the download's format strings,
// one row per record, growth past a stale count, clearing, and the view told
// about one row per line (never a reset per line).
#include "logs/logtablemodel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

namespace {

// Prepared as a download prepares Grid1.
void prepare(LogTableModel& m, int count) {
    m.clear();
    m.resize(count + 1);
    m.applyFormat(LogTable::kColumnFormat);
    m.applyFormat(LogTable::rowTitleFormat(count));
}

QMap<int, QString> record(const QString& type, const QString& battery = QString()) {
    QMap<int, QString> cells{{1, type}, {2, QStringLiteral("12/06/2026 14:05")}};
    if (!battery.isNull())
        cells.insert(3, battery);
    return cells;
}

QStringList verticalTitles(const LogTableModel& m) {
    QStringList out;
    for (int r = 0; r < m.rowCount(); ++r)
        out << m.headerData(r, Qt::Vertical).toString();
    return out;
}

} // namespace

class TestLogTable : public QObject {
    Q_OBJECT
private slots:
    void titles();
    void writes_data();
    void writes();
    void clearing();
};

void TestLogTable::titles() {
    QCOMPARE(LogTable::rowTitleFormat(0), QStringLiteral(";Log Number |"));
    QCOMPARE(LogTable::rowTitleFormat(3), QStringLiteral(";Log Number |1 |2 |3 |"));

    LogTableModel m;
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
    prepare(m, 3);
    QCOMPARE(m.rowCount(), 3);
    QCOMPARE(m.columnCount(), 10);
    QStringList columns;
    for (int c = 0; c < m.columnCount(); ++c)
        columns << m.headerData(c, Qt::Horizontal).toString();
    QCOMPARE(columns, (QStringList{" Log Type ", " Date/Time ", " Battery ", "Temperature ",
                                   "   BP  ", "   DP   ", " Elapsed Mins ", "Flow Rate ",
                                   "   Volume  ", "  STP Volume "}));
    QCOMPARE(m.cornerTitle(), QStringLiteral("Log Number "));
    QCOMPARE(verticalTitles(m), (QStringList{"1 ", "2 ", "3 "}));
    QCOMPARE(m.data(m.index(0, 0), Qt::TextAlignmentRole).value<Qt::Alignment>(),
             Qt::AlignLeft | Qt::AlignVCenter);
    // Widths of grid columns 1..10, in twips.
    QCOMPARE(LogTableModel::columnTwips(0), 1750);
    QCOMPARE(LogTableModel::columnTwips(9), 1500);
    QCOMPARE(LogTableModel::columnTwips(10), 0);

    prepare(m, 0); // titles only
    QCOMPARE(m.rowCount(), 0);
    QCOMPARE(m.table().rowCount(), 1);
    QCOMPARE(m.headerData(0, Qt::Horizontal).toString(), QStringLiteral(" Log Type "));
}

// Rows written in turn into a table sized for `count` records: what the view
// heard per write ("c" data changed for one row, "i" rows inserted, "-"
// refused), and the table afterwards.
void TestLogTable::writes_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QString>("heard");
    QTest::addColumn<int>("records");
    QTest::addColumn<QString>("titles"); // vertical header, joined
    QTest::newRow("as counted") << 3 << QList<int>{1, 2, 3} << "ccc" << 3 << "1 |2 |3 ";
    QTest::newRow("fewer than counted") << 3 << QList<int>{1} << "c" << 1 << "1 |2 |3 ";
    QTest::newRow("stale count: one more") << 2 << QList<int>{1, 2, 3} << "cci" << 3 << "1 |2 |3 ";
    QTest::newRow("count 0, three records") << 0 << QList<int>{1, 2, 3} << "iii" << 3 << "1 |2 |3 ";
    QTest::newRow("a row far past the end") << 1 << QList<int>{4} << "i" << 1 << "1 |2 |3 |4 ";
    QTest::newRow("same row twice counts once") << 2 << QList<int>{1, 1} << "cc" << 1 << "1 |2 ";
    // Row 0 holds the titles; rows past the bound would only come from a
    // runaway line.
    QTest::newRow("title row and past the bound refused")
        << 1 << QList<int>{0, -1, LogTable::kMaxRows} << "---" << 0 << "1 ";
}

void TestLogTable::writes() {
    QFETCH(int, count);
    QFETCH(QList<int>, rows);
    LogTableModel m;
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
    prepare(m, count);
    QString heard;
    connect(&m, &QAbstractItemModel::dataChanged, this,
            [&](const QModelIndex& a, const QModelIndex& b) {
                QVERIFY(a.row() == b.row() && a.column() == 0 && b.column() == 9);
                heard += 'c';
            });
    connect(&m, &QAbstractItemModel::rowsInserted, this, [&] { heard += 'i'; });
    QSignalSpy resets(&m, &QAbstractItemModel::modelReset);
    for (int row : rows) {
        const QString before = heard;
        m.setRow(row, record(QStringLiteral("Power On")));
        if (heard == before)
            heard += '-';
    }
    QTEST(heard, "heard");
    QCOMPARE(resets.size(), 0);
    QTEST(m.table().recordsWritten(), "records");
    QTEST(verticalTitles(m).join('|'), "titles");
    for (int row : rows)
        if (row >= 1 && row < LogTable::kMaxRows)
            QCOMPARE(m.index(row - 1, 0).data().toString(), QStringLiteral("Power On"));
    QCOMPARE(m.cornerTitle(), QStringLiteral("Log Number "));
    QCOMPARE(m.headerData(0, Qt::Horizontal).toString(), QStringLiteral(" Log Type "));
}

// A record written over an earlier one in the same row (the pump restarted
// its printout) leaves nothing of the earlier one behind. Clearing ("Clear
// PC Screen", a new download) empties everything, titles included; the size
// stays until a download sizes the table.
void TestLogTable::clearing() {
    LogTableModel m;
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
    prepare(m, 2);
    m.setRow(1, record(QStringLiteral("Run Update"), QStringLiteral("85%")));
    m.setRow(1, record(QStringLiteral("Power On")));
    QCOMPARE(m.index(0, 0).data().toString(), QStringLiteral("Power On"));
    QCOMPARE(m.index(0, 2).data().toString(), QString());
    m.setRow(4, record(QStringLiteral("Power Off")));
    m.clear();
    QCOMPARE(m.rowCount(), 4);
    QCOMPARE(m.index(0, 0).data().toString(), QString());
    QCOMPARE(m.index(3, 0).data().toString(), QString());
    QCOMPARE(m.table().recordsWritten(), 0);
    QCOMPARE(verticalTitles(m).join('|'), QStringLiteral("|||"));
    QCOMPARE(m.headerData(1, Qt::Horizontal).toString(), QString());
    QCOMPARE(m.cornerTitle(), QString());
}

QTEST_GUILESS_MAIN(TestLogTable)
#include "test_logtable.moc"
