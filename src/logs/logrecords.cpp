#include "logs/logrecords.h"

#include "logs/runs.h"

namespace LogRecords {

QList<LogRecord> fromFileBytes(const QByteArray& bytes) {
    QList<LogRecord> records;
    int position = 0;
    qsizetype begin = 0;
    const qsizetype size = bytes.size();
    while (begin < size) {
        qsizetype end = begin;
        while (end < size && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        // Characters outside 32-126 are dropped, as the receive path drops
        // them, so the fields stand where a download would have them.
        QString line;
        line.reserve(end - begin);
        for (qsizetype i = begin; i < end; ++i) {
            const auto code = static_cast<unsigned char>(bytes[i]);
            if (code >= 32 && code <= 126)
                line.append(QLatin1Char(char(code)));
        }
        const bool printable = !line.isEmpty();
        if (printable) {
            ++position;
            // The memo's two blanks after each line are not the pump's.
            if (line.endsWith(QLatin1String("  ")))
                line.chop(2);
            if (auto record = Decode::logRecord(line)) {
                record->row = position - 1;
                records.append(std::move(*record));
            }
        }
        begin = end;
        if (begin < size && bytes[begin] == '\r')
            ++begin;
        if (begin < size && bytes[begin] == '\n')
            ++begin;
    }
    return records;
}

const QStringList& exportHeader() {
    static const QStringList header = {
        QStringLiteral("Log Number"),
        QStringLiteral("Log Type"),
        QStringLiteral("Date/Time"),
        QStringLiteral("Battery"),
        QStringLiteral("Temperature"),
        QStringLiteral("BP"),
        QStringLiteral("DP"),
        QStringLiteral("Elapsed Mins"),
        QStringLiteral("Flow Rate"),
        QStringLiteral("Volume"),
        QStringLiteral("STP Volume"),
        QStringLiteral("battery_pct"),
        QStringLiteral("temperature_f"),
        QStringLiteral("bp_inhg"),
        QStringLiteral("dp_inh2o"),
        QStringLiteral("elapsed_min"),
        QStringLiteral("flow_ccmin"),
        QStringLiteral("volume_l"),
        QStringLiteral("stp_volume_l"),
    };
    return header;
}

QStringList exportCells(const LogRecord& record) {
    using Name = LogField::Name;
    QStringList cells{QString::number(record.row)};
    const QMap<int, QString> shown = Decode::logCells(record, false);
    for (int column = 1; column < LogColumns::kCount; ++column)
        cells << shown.value(column);
    for (Name name : {Name::Battery, Name::Temperature, Name::Bp, Name::Dp, Name::Elapsed,
                      Name::Flow, Name::Volume, Name::StpVolume}) {
        const auto v = record.number(name);
        cells << (v ? RunFormat::number(*v) : QString());
    }
    return cells;
}

} // namespace LogRecords
