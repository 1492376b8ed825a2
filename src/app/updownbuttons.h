// UpDown1: the up and down arrows beside the target-flow box, working as an
// up-down control does with its buddy box on Windows. An arrow reads the
// box's number, steps it by singleStep, keeps it within minimum..maximum and
// writes it back into the box. The bounds are the attached model's flow
// limits: setting them never touches the box, because the box's text is
// what is sent to the pump, and the flow range check reads them to judge it.
#pragma once

#include <QPointer>
#include <QWidget>

class QLineEdit;
class QToolButton;

class UpDownButtons : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int minimum READ minimum WRITE setMinimum)
    Q_PROPERTY(int maximum READ maximum WRITE setMaximum)
    Q_PROPERTY(int singleStep READ singleStep WRITE setSingleStep)
    Q_PROPERTY(int value READ value WRITE setValue)
public:
    explicit UpDownButtons(QWidget* parent = nullptr);

    // The box the arrows step. Up and Down keys in the box step it too.
    void setBuddy(QLineEdit* box);

    int minimum() const { return m_min; }
    int maximum() const { return m_max; }
    // A minimum above the maximum raises the maximum, and the other way round.
    void setMinimum(int min);
    void setMaximum(int max);
    void setRange(int min, int max);
    int singleStep() const { return m_step; }
    void setSingleStep(int step) { m_step = step; }
    // Where a step starts when the box holds no whole number: the last value
    // the arrows wrote or read.
    int value() const { return m_value; }
    void setValue(int value) { m_value = value; }

    // Steps the box by `steps` times singleStep (negative: down).
    void stepBy(int steps);

    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QToolButton* m_up = nullptr;
    QToolButton* m_down = nullptr;
    QPointer<QLineEdit> m_buddy;
    int m_min = 0;
    int m_max = 100;
    int m_step = 1;
    int m_value = 0;
};
