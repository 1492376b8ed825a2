#include "decodecommand.h"
#include "status/modeltable.h"
#include "status/pumpreports.h"

#include "core/appstate.h"
#include "logs/capturememo.h"
#include "protocol/pumpsession.h"

#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <utility>

namespace DecodeCommand {

namespace {

template <typename Map> QJsonObject mapObject(const Map& map) {
    QJsonObject o;
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        o.insert(it.key(), QJsonValue(it.value()));
    return o;
}

void insertMap(QJsonObject& o, const char* name, const QJsonObject& member) {
    if (!member.isEmpty())
        o.insert(QLatin1String(name), member);
}

} // namespace

QJsonObject statusFields(const QString& line) {
    const StatusReport report = parseStatusReport(line);
    QJsonObject o;
    for (int i = 0; i < int(StatusField::Count); ++i) {
        const auto field = StatusField(i);
        const QString name = QLatin1String(reportField(field).name);
        const QString text = report.text(field).trimmed();
        const bool alwaysText = field == StatusField::Serial || field == StatusField::PumpType ||
                                field == StatusField::Firmware;
        bool isNumber = false;
        const double number = text.toDouble(&isNumber);
        if (report.text(field).isEmpty())
            o.insert(name, QJsonValue::Null);
        else if (isNumber && !alwaysText)
            o.insert(name, number);
        else
            o.insert(name, text);
    }
    const PumpModel* model = ModelTable::find(report.modelCode());
    // The caption without its "Model: " lead ("NORDA KST-5 Pump").
    const QString caption = model ? QString::fromLatin1(model->caption) : QString();
    o.insert(QStringLiteral("model"),
             model ? QJsonValue(caption.mid(caption.indexOf(QLatin1Char(':')) + 1).trimmed())
                   : QJsonValue::Null);
    const auto clock = report.clock();
    o.insert(QStringLiteral("pump_clock"),
             clock ? QJsonValue(clock->toString(QStringLiteral("yyyy-MM-ddTHH:mm")))
                   : QJsonValue::Null);
    return o;
}

QJsonObject toJson(const LineResult& result) {
    const UiChanges& c = result.changes;
    QJsonObject o;
    o.insert(QStringLiteral("line"), result.line);
    o.insert(QStringLiteral("kind"), QLatin1String(lineKindName(result.kind)));
    insertMap(o, "text", mapObject(c.text));
    insertMap(o, "visible", mapObject(c.visible));
    // The controls the report's facts lock or free, as the window is told
    // them while nothing runs.
    QMap<QString, bool> enabled = c.enabled;
    enabled.insert(PumpSession::enablingFor(c.facts, c.facts).enabled);
    insertMap(o, "enabled", mapObject(enabled));
    insertMap(o, "tooltip", mapObject(c.tooltip));
    insertMap(o, "color", mapObject(c.color));
    insertMap(o, "date", mapObject(c.date));
    insertMap(o, "time", mapObject(c.time));
    if (c.flowRange) {
        QJsonObject range;
        range.insert(QStringLiteral("UpDown1"),
                     QJsonArray{c.flowRange->first, c.flowRange->second});
        o.insert(QStringLiteral("range"), range);
    }
    insertMap(o, "values", mapObject(c.values));
    if (result.kind == LineResult::Kind::Log) {
        o.insert(QStringLiteral("row"), result.record.row);
        QJsonObject cells;
        for (auto it = result.cells.cbegin(); it != result.cells.cend(); ++it)
            cells.insert(QString::number(it.key()), it.value());
        insertMap(o, "cells", cells);
    }
    return o;
}

QByteArray LineEnds::translate(const QByteArray& chunk) {
    QByteArray out;
    out.reserve(chunk.size());
    for (const char ch : chunk) {
        const auto code = static_cast<unsigned char>(ch);
        if (code == '\n' && m_afterCr) {
            m_afterCr = false; // the LF of a CR LF pair
            continue;
        }
        m_afterCr = code == '\r';
        if (code == '\r' || code == '\n') {
            if (m_printable)
                out.append('\r');
            m_printable = false;
        } else if (code >= 32 && code <= 126) {
            out.append(ch);
            m_printable = true;
        }
        // Other characters are dropped, as the receive path drops them.
    }
    return out;
}

QString run(QIODevice& in, const std::function<bool(const QByteArray&)>& write, bool metric,
            const QString& programFolder) {
    // A freshly started window with no settings file, with the log capture
    // switched on as if "PRI" had just come, so a saved log file decodes row by row.
    AppState state;
    state.UnitsFlag = metric ? 1 : 0;
    state.ProgramFolder = programFolder;
    state.CaptureMode = true;
    state.CaptureCount = 1;
    CaptureMemo memo;
    ResponseDispatcher dispatcher(state, memo);
    LineEnds lineEnds;

    QByteArray printed;
    const auto print = [&printed](const LineResult& r) {
        printed += QJsonDocument(toJson(r)).toJson(QJsonDocument::Compact);
        printed += '\n';
    };
    // Blocking reads: 0 is the end of the input, -1 a read error.
    constexpr qint64 kChunk = 64 * 1024;
    QByteArray chunk(kChunk, Qt::Uninitialized);
    for (;;) {
        const qint64 n = in.read(chunk.data(), kChunk);
        if (n < 0)
            return QStringLiteral("cannot read the input: %1").arg(in.errorString());
        if (n == 0)
            return QString();
        dispatcher.receive(lineEnds.translate(QByteArray::fromRawData(chunk.constData(), n)),
                           print);
        if (!printed.isEmpty() && !write(std::exchange(printed, QByteArray())))
            return QString();
    }
}

} // namespace DecodeCommand
