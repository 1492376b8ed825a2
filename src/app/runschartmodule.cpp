// The Sampling Runs chart drawn with Qt Charts: flow against elapsed minutes
// on the left axis, battery, temperature and pressures on the right one. Built
// as the module corvane_runschart, loaded by the page on first show.
#include "app/runschart.h"

#include <QObject>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <cmath>
#include <vector>

namespace {

class QtRunsChart : public RunsChart {
public:
    explicit QtRunsChart(QWidget* parent) : RunsChart(parent) {
        m_chart = new QChart;
        m_chart->legend()->setAlignment(Qt::AlignTop);
        m_minutes = new QValueAxis;
        m_minutes->setTitleText(QStringLiteral("Elapsed minutes"));
        m_minutes->setLabelFormat(QStringLiteral("%g"));
        m_flowAxis = new QValueAxis;
        m_flowAxis->setTitleText(QStringLiteral("Flow (cc/min)"));
        m_flowAxis->setLabelFormat(QStringLiteral("%g"));
        m_otherAxis = new QValueAxis;
        m_otherAxis->setLabelFormat(QStringLiteral("%g"));
        m_chart->addAxis(m_minutes, Qt::AlignBottom);
        m_chart->addAxis(m_flowAxis, Qt::AlignLeft);
        m_chart->addAxis(m_otherAxis, Qt::AlignRight);
        auto* view = new QChartView(m_chart, this);
        view->setObjectName(QStringLiteral("RunChart"));
        view->setRenderHint(QPainter::Antialiasing);
        view->setMinimumHeight(220);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(view);
    }

    void setContent(const RunsChartContent& content) override {
        // The lines are made once, in the page's order, the first time the
        // page hands them over.
        while (m_series.size() < size_t(content.lines.size())) {
            const RunsChartContent::Line& line = content.lines.at(int(m_series.size()));
            auto* series = new QLineSeries;
            series->setName(line.name);
            m_chart->addSeries(series);
            series->attachAxis(m_minutes);
            series->attachAxis(line.onFlowAxis ? m_flowAxis : m_otherAxis);
            m_series.push_back(series);
        }
        // Each axis spans what its shown lines hold; an empty or flat one
        // gets room around its value.
        Span minutes, flow, other;
        QStringList otherNames;
        bool flowShown = false;
        for (int k = 0; k < content.lines.size(); ++k) {
            const RunsChartContent::Line& line = content.lines.at(k);
            m_series[size_t(k)]->replace(line.shown ? line.points : QList<QPointF>());
            m_series[size_t(k)]->setVisible(line.shown);
            if (!line.shown)
                continue;
            if (line.onFlowAxis)
                flowShown = true;
            else
                otherNames << line.name;
            for (const QPointF& p : line.points) {
                minutes.take(p.x());
                (line.onFlowAxis ? flow : other).take(p.y());
            }
        }
        minutes.lo = 0;
        minutes.apply(m_minutes, 0);
        flow.apply(m_flowAxis, 0);
        other.apply(m_otherAxis, 0);
        m_otherAxis->setTitleText(otherNames.join(QStringLiteral(", ")));
        m_otherAxis->setVisible(!otherNames.isEmpty());
        m_flowAxis->setVisible(flowShown);
        m_chart->setTitle(content.title);
    }

    QList<QPointF> points(int line) const override {
        return line >= 0 && size_t(line) < m_series.size() ? m_series[size_t(line)]->points()
                                                           : QList<QPointF>();
    }

private:
    struct Span {
        double lo = INFINITY, hi = -INFINITY;
        void take(double v) {
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        void apply(QValueAxis* axis, double floor) const {
            const double l = std::isfinite(lo) ? lo : floor;
            const double h = std::isfinite(hi) ? hi : floor + 1;
            const double pad = h - l > 0 ? 0 : std::max(std::fabs(l) * 0.05, 1.0);
            axis->setRange(l - pad, h + pad);
            axis->applyNiceNumbers();
        }
    };

    QChart* m_chart = nullptr;
    QValueAxis* m_minutes = nullptr;
    QValueAxis* m_flowAxis = nullptr;
    QValueAxis* m_otherAxis = nullptr;
    std::vector<QLineSeries*> m_series;
};

} // namespace

class RunsChartModule : public QObject, public RunsChartFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID CorvaneRunsChartFactory_iid)
    Q_INTERFACES(RunsChartFactory)
public:
    RunsChart* create(QWidget* parent) override { return new QtRunsChart(parent); }
};

#include "runschartmodule.moc"
