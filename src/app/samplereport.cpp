#include "app/samplereport.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QSaveFile>
#include <algorithm>
#include <cmath>

namespace {

const QString kNone = QStringLiteral("-");
// More faults than this are counted, not listed: the report stays one page.
constexpr int kFaultsListed = 10;

QString num(const std::optional<double>& v, const char* unit) {
    return v ? RunFormat::number(*v) + QLatin1String(unit) : kNone;
}

QString endWords(RunSummary::End end) {
    switch (end) {
    case RunSummary::End::Stop:
        return QStringLiteral("Stop Sampling");
    case RunSummary::End::PowerOff:
        return QStringLiteral("Power Off");
    case RunSummary::End::Shutdown:
        return QStringLiteral("5% Shut Down (battery)");
    case RunSummary::End::Restarted:
        return QStringLiteral("another Start Sampling, no stop recorded");
    case RunSummary::End::Open:
        break;
    }
    return QStringLiteral("not ended when the log was read");
}

// The page's texts, built once; paint() and texts() read them.
struct Page {
    QString title;
    QStringList identity;
    QString sha;
    QList<QPair<QString, QString>> rows;
    QString check;
    QStringList faults;
    QStringList signatures;
    QString footer;
};

Page build(const SampleReportInput& in) {
    Page p;
    p.title = QStringLiteral("Sample Report - sampling run %1").arg(in.run.run);
    const auto known = [](const QString& v) {
        return v.trimmed().isEmpty() ? QStringLiteral("not known") : v.trimmed();
    };
    p.identity << (in.pumpSerial.trimmed().isEmpty() && in.pumpModel.trimmed().isEmpty()
                       ? QStringLiteral("Pump: not known")
                       : QStringLiteral("Pump: %1, serial number %2")
                             .arg(in.pumpModel.trimmed().isEmpty()
                                      ? QStringLiteral("model not known")
                                      : in.pumpModel.trimmed(),
                                  known(in.pumpSerial)));
    p.identity << QStringLiteral("Log: ") + (in.source.isEmpty() ? kNone : in.source);
    p.sha = QStringLiteral("Log SHA-256: ") +
            (in.run.sourceSha256.isEmpty() ? kNone : in.run.sourceSha256);
    p.rows = SampleReport::summaryRows(in.run);
    p.check = QStringLiteral("Flow check: ") + RunFormat::flowCheckWords(in.run);
    p.faults << QStringLiteral("Holds: %1").arg(in.run.holds);
    if (in.run.faults.isEmpty())
        p.faults << QStringLiteral("Faults: none");
    for (qsizetype i = 0; i < in.run.faults.size() && i < kFaultsListed; ++i)
        p.faults << QStringLiteral("Fault: %1 at %2")
                        .arg(in.run.faults.at(i).kind, in.run.faults.at(i).at);
    if (in.run.faults.size() > kFaultsListed)
        p.faults << QStringLiteral("... and %1 more faults (see the log)")
                        .arg(in.run.faults.size() - kFaultsListed);
    p.signatures << QStringLiteral("Sampled by:") << QStringLiteral("Checked by:");
    p.footer = SampleReport::versionText() + QStringLiteral(" - printed ") +
               in.printedAt.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    return p;
}

// Round steps (1, 2 or 5 times a power of ten) covering [lo, hi] in about
// `count` intervals.
double tickStep(double lo, double hi, int count) {
    const double raw = (hi - lo) / count;
    if (!(raw > 0) || !std::isfinite(raw))
        return 1;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 5.0})
        if (raw <= m * power)
            return m * power;
    return 10 * power;
}

struct Range {
    double lo = 0, hi = 1;
};

// The range of `values` widened to round ticks; a flat line gets some room.
Range niceRange(const QList<double>& values) {
    if (values.isEmpty())
        return {};
    double lo = *std::min_element(values.begin(), values.end());
    double hi = *std::max_element(values.begin(), values.end());
    if (hi - lo < 1e-9) {
        const double pad = std::max(std::fabs(lo) * 0.1, 1.0);
        lo -= pad;
        hi += pad;
    }
    const double step = tickStep(lo, hi, 5);
    return {std::floor(lo / step) * step, std::ceil(hi / step) * step};
}

void drawChart(QPainter& painter, const QRectF& box, const QList<RunSample>& samples, double mm) {
    QList<QPointF> flow, battery;
    QList<double> flows, minutes;
    for (const RunSample& s : samples) {
        if (!std::isfinite(s.elapsedMin))
            continue;
        minutes << s.elapsedMin;
        if (s.flowCcMin && std::isfinite(*s.flowCcMin)) {
            flow << QPointF(s.elapsedMin, *s.flowCcMin);
            flows << *s.flowCcMin;
        }
        if (s.batteryPct && std::isfinite(*s.batteryPct))
            battery << QPointF(s.elapsedMin, *s.batteryPct);
    }
    painter.save();
    QFont small = painter.font();
    small.setPointSizeF(7.5);
    painter.setFont(small);
    const QFontMetricsF fm(painter.font(), painter.device());
    const QColor flowColour(0x1f, 0x4e, 0x9c), batteryColour(0x2e, 0x8b, 0x3a);

    const QRectF plot = box.adjusted(16 * mm, 7 * mm, -13 * mm, -9 * mm);
    painter.setPen(QPen(Qt::black, 0.25 * mm));
    painter.drawRect(plot);
    if (minutes.isEmpty()) {
        painter.drawText(plot, Qt::AlignCenter,
                         QStringLiteral("No sampling records with elapsed minutes in this run"));
        painter.restore();
        return;
    }
    const Range x{0, std::max(*std::max_element(minutes.begin(), minutes.end()), 1.0)};
    const Range y = niceRange(flows);
    const Range b{0, 100};
    const auto at = [&plot](const Range& h, const Range& v, QPointF p) {
        return QPointF(plot.left() + (p.x() - h.lo) / (h.hi - h.lo) * plot.width(),
                       plot.bottom() - (p.y() - v.lo) / (v.hi - v.lo) * plot.height());
    };

    // Grid and ticks: minutes below, flow on the left, battery on the right.
    const QPen grid(QColor(0xd0, 0xd0, 0xd0), 0.15 * mm);
    const double xs = tickStep(x.lo, x.hi, 6);
    for (double t = x.lo; t <= x.hi + xs * 1e-6; t += xs) {
        const double px = at(x, y, {t, y.lo}).x();
        painter.setPen(grid);
        painter.drawLine(QPointF(px, plot.top()), QPointF(px, plot.bottom()));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(px - 10 * mm, plot.bottom() + 0.8 * mm, 20 * mm, fm.height()),
                         Qt::AlignHCenter | Qt::AlignTop, RunFormat::number(t));
    }
    painter.drawText(
        QRectF(plot.left(), plot.bottom() + fm.height() + mm, plot.width(), fm.height()),
        Qt::AlignHCenter, QStringLiteral("Elapsed minutes"));
    if (!flows.isEmpty()) {
        const double ys = tickStep(y.lo, y.hi, 5);
        for (double t = y.lo; t <= y.hi + ys * 1e-6; t += ys) {
            const double py = at(x, y, {x.lo, t}).y();
            painter.setPen(grid);
            painter.drawLine(QPointF(plot.left(), py), QPointF(plot.right(), py));
            painter.setPen(flowColour);
            painter.drawText(QRectF(box.left(), py - fm.height() / 2, 15 * mm, fm.height()),
                             Qt::AlignRight | Qt::AlignVCenter, RunFormat::number(t));
        }
    }
    painter.setPen(batteryColour);
    for (int t = 0; t <= 100; t += 25) {
        const double py = at(x, b, {x.lo, double(t)}).y();
        painter.drawText(QRectF(plot.right() + mm, py - fm.height() / 2, 12 * mm, fm.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, QString::number(t));
    }

    const auto line = [&](const QList<QPointF>& points, const Range& v, const QPen& pen) {
        if (points.isEmpty())
            return;
        QPainterPath path(at(x, v, points.first()));
        for (const QPointF& p : points)
            path.lineTo(at(x, v, p));
        painter.save();
        painter.setClipRect(plot);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
        painter.restore();
    };
    line(battery, b, QPen(batteryColour, 0.35 * mm, Qt::DashLine));
    line(flow, y, QPen(flowColour, 0.45 * mm));

    // The legend above the plot.
    double lx = plot.left();
    const double ly = box.top() + 3 * mm;
    const struct {
        QColor colour;
        Qt::PenStyle style;
        QString text;
    } legend[] = {{flowColour, Qt::SolidLine, QStringLiteral("Flow (cc/min, left)")},
                  {batteryColour, Qt::DashLine, QStringLiteral("Battery (%, right)")}};
    for (const auto& l : legend) {
        painter.setPen(QPen(l.colour, 0.45 * mm, l.style));
        painter.drawLine(QPointF(lx, ly), QPointF(lx + 8 * mm, ly));
        painter.setPen(Qt::black);
        painter.drawText(QPointF(lx + 10 * mm, ly + fm.ascent() / 2 - mm * 0.3), l.text);
        lx += 12 * mm + fm.horizontalAdvance(l.text);
    }
    painter.restore();
}

} // namespace

namespace SampleReport {

QList<QPair<QString, QString>> summaryRows(const RunSummary& r) {
    const auto diff = [](const std::optional<double>& d) {
        if (!d)
            return kNone;
        return (*d > 0 ? QStringLiteral("+") : QString()) + QString::number(*d, 'f', 1) +
               QStringLiteral(" %");
    };
    QString battery = kNone;
    if (r.batteryStartPct || r.batteryEndPct)
        battery =
            num(r.batteryStartPct, " %") + QStringLiteral(" to ") + num(r.batteryEndPct, " %");
    QString range = kNone;
    if (r.minFlowCcMin && r.maxFlowCcMin)
        range = RunFormat::number(*r.minFlowCcMin) + QStringLiteral(" to ") +
                RunFormat::number(*r.maxFlowCcMin) + QStringLiteral(" cc/min");
    return {
        {QStringLiteral("Started"), r.start},
        {QStringLiteral("Stopped"), r.stop.value_or(kNone)},
        {QStringLiteral("Ended by"), endWords(r.end)},
        {QStringLiteral("Records"), QString::number(r.records)},
        {QStringLiteral("Sampling time"), num(r.samplingMinutes, " min")},
        {QStringLiteral("Volume"), num(r.volumeL, " L")},
        {QStringLiteral("STP volume"), num(r.stpVolumeL, " L")},
        {QStringLiteral("Average flow"), num(r.averageFlowCcMin, " cc/min")},
        {QStringLiteral("Flow while sampling"), range},
        {QStringLiteral("Battery"), battery},
        {QStringLiteral("Flow checked before"), num(r.preCalFlowCcMin, " cc/min")},
        {QStringLiteral("Flow checked after"), num(r.postCalFlowCcMin, " cc/min")},
        {QStringLiteral("Difference"), diff(r.calDifferencePct)},
        {QStringLiteral("Volume from checked flows"), num(r.calibratedVolumeL, " L")},
    };
}

QString versionText() {
    return QStringLiteral("Corvane %1.%2.%3")
        .arg(CORVANE_VERSION_MAJOR)
        .arg(CORVANE_VERSION_MINOR)
        .arg(CORVANE_VERSION_PATCH);
}

QStringList texts(const SampleReportInput& input) {
    const Page p = build(input);
    QStringList t;
    t << p.title << p.identity << p.sha;
    for (const auto& row : p.rows)
        t << row.first + QStringLiteral(": ") + row.second;
    t << p.check << p.faults << p.signatures << p.footer;
    return t;
}

bool paint(QPagedPaintDevice& device, const SampleReportInput& input) {
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const Page p = build(input);
    const double mm = device.logicalDpiX() / 25.4;
    const QRectF area(0, 0, device.width(), device.height());
    QFont base(QStringLiteral("Helvetica"));
    base.setStyleHint(QFont::SansSerif);
    // No ligatures: a hash or a value copied out of the PDF must read back
    // letter for letter ("ff" stays two letters).
    base.setStyleStrategy(QFont::PreferNoShaping);
    base.setPointSizeF(10);
    double y = 0;
    const auto text = [&](const QString& s, double x, double size, bool bold) {
        QFont f = base;
        f.setPointSizeF(size);
        f.setBold(bold);
        painter.setFont(f);
        const QFontMetricsF fm(f, &device);
        painter.drawText(QPointF(area.left() + x, y + fm.ascent()), s);
        return fm.lineSpacing();
    };

    y += text(p.title, 0, 16, true) + 2 * mm;
    for (const QString& s : p.identity)
        y += text(s, 0, 10, false);
    y += text(p.sha, 0, 8, false) + 3 * mm;
    for (const auto& row : p.rows) {
        text(row.first, 0, 10, false);
        y += text(row.second, 55 * mm, 10, false);
    }
    y += 2 * mm;
    y += text(p.check, 0, 11, true) + 2 * mm;
    for (const QString& s : p.faults)
        y += text(s, 0, 9, false);
    y += 3 * mm;

    const double footerHeight = 30 * mm;
    const double chartHeight = std::min(80 * mm, area.bottom() - footerHeight - y);
    if (chartHeight > 30 * mm) {
        painter.setFont(base);
        drawChart(painter, QRectF(area.left(), y, area.width(), chartHeight), input.samples, mm);
        y += chartHeight;
    }

    y = std::max(y + 6 * mm, area.bottom() - footerHeight + 6 * mm);
    for (const QString& s : p.signatures) {
        text(s, 0, 10, false);
        painter.setPen(QPen(Qt::black, 0.2 * mm));
        painter.drawLine(QPointF(area.left() + 25 * mm, y + 5 * mm),
                         QPointF(area.left() + 105 * mm, y + 5 * mm));
        text(QStringLiteral("Date:"), 112 * mm, 10, false);
        painter.drawLine(QPointF(area.left() + 124 * mm, y + 5 * mm),
                         QPointF(area.right(), y + 5 * mm));
        y += 9 * mm;
    }
    text(p.footer, 0, 8, false);
    return painter.end();
}

QString writePdf(const SampleReportInput& input, const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    {
        QPdfWriter writer(&file);
        writer.setResolution(300);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(18, 15, 18, 15), QPageLayout::Millimeter));
        writer.setTitle(QStringLiteral("Sample report, run %1").arg(input.run.run));
        writer.setCreator(versionText());
        if (!paint(writer, input)) {
            file.cancelWriting();
            return QStringLiteral("the PDF could not be drawn");
        }
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

} // namespace SampleReport
