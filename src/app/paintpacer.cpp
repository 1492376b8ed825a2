#include "app/paintpacer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

PaintPacer::PaintPacer(QWidget* window) : QObject(window), m_window(window) {
    m_interval.setInterval(kIntervalMs);
    connect(&m_interval, &QTimer::timeout, this, &PaintPacer::tick);
    // Every repaint of a window's widgets, queued (update) or at once
    // (repaint), reaches the window as an UpdateRequest.
    m_window->installEventFilter(this);
}

void PaintPacer::setPacing(bool on) {
    if (on == m_on)
        return;
    m_on = on;
    if (on) {
        m_interval.start();
        return;
    }
    m_interval.stop();
    tick();
}

void PaintPacer::tick() {
    emit settle();
    if (!m_held)
        return;
    m_held = false;
    // The window's own requests were held; this one paints everything that
    // changed since the last paint.
    m_painting = true;
    QEvent request(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(m_window, &request);
    m_painting = false;
}

bool PaintPacer::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_window || event->type() != QEvent::UpdateRequest || !m_on || m_painting)
        return false;
    m_held = true;
    return true;
}
