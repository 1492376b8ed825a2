// Paces a window while the pump is busy: a download changes the table, the
// memo, the bar and the counter for every line the pump sends, and showing
// each change at once (text layout, relayout of the page, painting, sending
// it over X) costs far more than the line itself. While pacing, the window
// paints once every kIntervalMs, and the views that defer their updates
// (settle) catch up just before. When pacing ends, everything deferred is
// applied and painted at once: the final state is the same as without it.
#pragma once

#include <QObject>
#include <QTimer>

class QWidget;

class PaintPacer : public QObject {
    Q_OBJECT
public:
    // Four updates a second: the bar and the record counter still move
    // smoothly, and each repaint (the bar's striped fill, the memo, the table)
    // costs a fifth less than at five.
    static constexpr int kIntervalMs = 250;
    explicit PaintPacer(QWidget* window);

    void setPacing(bool on);
    bool pacing() const { return m_on; }
    // A repaint waits for the end of the interval.
    bool holding() const { return m_held; }
    // The end of an interval: deferred updates are applied (settle), then
    // what they and others changed is painted.
    void tick();

signals:
    // Deferred updates are to be applied now.
    void settle();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    QTimer m_interval;
    bool m_on = false;
    bool m_held = false;
    bool m_painting = false; // the repaint of tick() passes
};
