// Times the sample archive on an SQLite file in a folder on disk (the first
// argument, or a temporary folder): storing one 999-record download (goal
// 50 ms) beside writing the same bytes as "Save Logs" does, the anchor of
// this run; and listing 10,000 archived downloads page by page (goal 300 ms),
// beside opening the archive and reading its first page. Prints the median,
// fastest and slowest of each and the ratio of each median to the anchor's.
#include "logs/capturememo.h"
#include "logs/logfiles.h"
#include "logs/samplearchive.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

QByteArray logFile(int records, int variant) {
    QByteArray out = "LogType,Date/Time,Battery,Temp,BP,DP,Elapsed,Flow,Volume,STP Volume  \r\n";
    for (int i = 1; i <= records; ++i)
        out += QStringLiteral("Run Update,12/06/2026 14:05,085,072,29.92,05.02,%1,%2,"
                              "0012.345,00012.345  \r\n")
                   .arg(i, 5, 10, QLatin1Char('0'))
                   .arg(variant % 1000000, 6, 10, QLatin1Char('0'))
                   .toLatin1();
    return out + "Done ok  \r\n";
}

NewDownload download(int variant, int records) {
    return {QStringLiteral("KS%1").arg(variant % 20, 4, 10, QLatin1Char('0')),
            QStringLiteral("NORDA KST-5 Pump"),
            QDateTime(QDate(2026, 1, 1), QTime(8, 0), Qt::UTC).addSecs(qint64(variant) * 600),
            QStringLiteral("lab"),
            QStringLiteral("bench"),
            ArchiveEnding::kComplete,
            records,
            logFile(records, variant)};
}

double median(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

double report(const char* what, int runs, const std::function<bool()>& once, double anchor) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        if (!once()) {
            std::printf("%-40s FAILED\n", what);
            return -1;
        }
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    const double m = median(ms);
    std::sort(ms.begin(), ms.end());
    std::printf(
        "%-40s median %8.2f ms   fastest %8.2f   slowest %8.2f   x%.1f anchor   (%d runs)\n", what,
        m, ms.front(), ms.back(), anchor > 0 ? m / anchor : 1.0, runs);
    return m;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir scratch(argc > 1 ? QDir(QString::fromLocal8Bit(argv[1])).filePath("bench-XXXXXX")
                                   : QDir::temp().filePath("bench-XXXXXX"));
    if (!scratch.isValid())
        return 1;

    // The anchor: the same 999 records written as "Save Logs" writes them.
    CaptureMemo memo;
    memo.setFromFileBytes(logFile(999, 0));
    const QString saved = scratch.filePath(QStringLiteral("logs.csv"));
    const double anchor = report(
        "anchor: Save Logs, 999 records", 30, [&] { return LogFiles::save(memo, saved).ok; }, 0);

    SampleArchive archive(ArchiveLocations::parse(scratch.filePath(QStringLiteral("a.sqlite"))));
    if (!archive.open().ok())
        return 1;
    int variant = 0;
    const double store = report(
        "store one 999-record download", 30,
        [&] { return archive.store(download(++variant, 999)).ok(); }, anchor);

    // 10,000 more, short ones (a list reads no bytes), in batches.
    const QString many = scratch.filePath(QStringLiteral("many.sqlite"));
    {
        SampleArchive seed(ArchiveLocations::parse(many));
        for (int batch = 0; batch < 10; ++batch) {
            QList<NewDownload> downloads;
            for (int i = 0; i < 1000; ++i)
                downloads << download(batch * 1000 + i, 5);
            if (!seed.store(downloads).ok())
                return 1;
        }
    }
    SampleArchive big(ArchiveLocations::parse(many), SampleArchive::Mode::ReadOnly);
    if (big.count().value != 10000)
        return 1;
    constexpr int kPage = 500;
    const double list = report(
        "list 10,000 downloads, pages of 500", 10,
        [&] {
            int seen = 0;
            for (int offset = 0;; offset += kPage) {
                const auto page = big.list(offset, kPage);
                if (!page.ok())
                    return false;
                seen += int(page.value.size());
                if (page.value.size() < kPage)
                    return seen == 10000;
            }
        },
        anchor);
    report(
        "open the archive, count, first page", 10,
        [&] {
            SampleArchive fresh(ArchiveLocations::parse(many), SampleArchive::Mode::ReadOnly);
            return fresh.count().value == 10000 && fresh.list(0, kPage).value.size() == kPage;
        },
        anchor);
    report(
        "list one pump's downloads (500)", 10,
        [&] { return big.list(0, 1000, QStringLiteral("KS0007")).value.size() == 500; }, anchor);

    std::printf("goals: store <= 50 ms (%s), list 10,000 <= 300 ms (%s)\n",
                store >= 0 && store <= 50 ? "met" : "NOT met",
                list >= 0 && list <= 300 ? "met" : "NOT met");
    return 0;
}
