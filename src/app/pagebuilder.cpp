#include "app/pagebuilder.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace PageBuilder {

QLabel* label(QWidget* parent, const QString& name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

QGroupBox* frame(QWidget* parent, const QString& name, const QString& caption) {
    auto* g = new QGroupBox(caption, parent);
    g->setObjectName(name);
    return g;
}

QRadioButton* option(QWidget* parent, const QString& name, const QString& caption) {
    auto* o = new QRadioButton(caption, parent);
    o->setObjectName(name);
    return o;
}

QCheckBox* check(QWidget* parent, const QString& name, const QString& caption) {
    auto* c = new QCheckBox(caption, parent);
    c->setObjectName(name);
    return c;
}

QPushButton* button(QWidget* parent, const QString& name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

QProgressBar* bar(QWidget* parent, const QString& name) {
    auto* p = new QProgressBar(parent);
    p->setObjectName(name);
    p->setRange(0, 100);
    p->setValue(0);
    return p;
}

QGroupBox* column(QWidget* parent, const QString& name, const QString& caption) {
    QGroupBox* g = frame(parent, name, caption);
    new QVBoxLayout(g);
    return g;
}

void add(QGroupBox* frame, QWidget* w) {
    w->setParent(frame);
    frame->layout()->addWidget(w);
}

} // namespace PageBuilder
