// The Sampling Runs page's chart behind a small interface. Its drawing (Qt
// Charts, which pulls in Qt's OpenGL libraries) lives in a module of its own,
// corvane_runschart, that the page loads the first time it is shown: most
// starts never open the page, and then never map or initialise those
// libraries. The page decides what is shown; the chart only draws it.
#pragma once

#include <QList>
#include <QPointF>
#include <QString>
#include <QWidget>
#include <QtPlugin>

// What the chart shows: one line per reading, in the page's order.
struct RunsChartContent {
    struct Line {
        QString name;
        QList<QPointF> points; // empty when the line is not shown
        bool shown = false;
        bool onFlowAxis = false; // the left axis; the others share the right one
    };
    QString title;
    QList<Line> lines;
};

class RunsChart : public QWidget {
public:
    using QWidget::QWidget;
    virtual void setContent(const RunsChartContent& content) = 0;
    // The points line `line` holds now, as drawn.
    virtual QList<QPointF> points(int line) const = 0;
};

// The module's entry point, found through QPluginLoader.
class RunsChartFactory {
public:
    virtual ~RunsChartFactory() = default;
    virtual RunsChart* create(QWidget* parent) = 0;
};

#define CorvaneRunsChartFactory_iid "org.corvane.RunsChartFactory/1"
Q_DECLARE_INTERFACE(RunsChartFactory, CorvaneRunsChartFactory_iid)
