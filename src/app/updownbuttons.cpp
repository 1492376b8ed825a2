#include "app/updownbuttons.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

UpDownButtons::UpDownButtons(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto arrow = [this, layout](Qt::ArrowType type, int steps) {
        auto* b = new QToolButton(this);
        b->setArrowType(type);
        // Held down, an arrow keeps stepping, as on the Windows control.
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
        connect(b, &QToolButton::clicked, this, [this, steps] { stepBy(steps); });
        layout->addWidget(b);
        return b;
    };
    m_up = arrow(Qt::UpArrow, 1);
    m_down = arrow(Qt::DownArrow, -1);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
}

void UpDownButtons::setBuddy(QLineEdit* box) {
    if (m_buddy)
        m_buddy->removeEventFilter(this);
    m_buddy = box;
    if (m_buddy)
        m_buddy->installEventFilter(this);
    updateGeometry();
}

void UpDownButtons::setMinimum(int min) {
    m_min = min;
    m_max = std::max(m_max, min);
}

void UpDownButtons::setMaximum(int max) {
    m_max = max;
    m_min = std::min(m_min, max);
}

void UpDownButtons::setRange(int min, int max) {
    m_min = min;
    m_max = std::max(min, max);
}

void UpDownButtons::stepBy(int steps) {
    if (!m_buddy || !m_buddy->isEnabled() || m_buddy->isReadOnly())
        return;
    bool ok = false;
    const int typed = m_buddy->text().trimmed().toInt(&ok);
    if (ok)
        m_value = typed;
    const qint64 next = qint64(m_value) + qint64(steps) * m_step;
    m_value = int(std::clamp<qint64>(next, m_min, m_max));
    m_buddy->setText(QString::number(m_value));
}

QSize UpDownButtons::sizeHint() const {
    // As tall as the box beside it, two arrows stacked.
    const int height = m_buddy ? m_buddy->sizeHint().height() : 22;
    return {16, height};
}

bool UpDownButtons::eventFilter(QObject* watched, QEvent* event) {
    // The event's type first: the box sends this filter a focus-out while
    // it is being destroyed, when it is no longer a QLineEdit, and reading
    // m_buddy then would take it for one.
    if (event->type() == QEvent::KeyPress && watched == m_buddy && isEnabled()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            stepBy(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
