// Small helpers that create the window's named elements, so the page layout
// code reads as a list of what stands where.
#pragma once

#include <QString>

class QCheckBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLayout;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QWidget;

namespace PageBuilder {
QLabel* label(QWidget* parent, const QString& name, const QString& text);
QGroupBox* frame(QWidget* parent, const QString& name, const QString& caption);
QRadioButton* option(QWidget* parent, const QString& name, const QString& caption);
QCheckBox* check(QWidget* parent, const QString& name, const QString& caption);
QPushButton* button(QWidget* parent, const QString& name, const QString& caption);
QProgressBar* bar(QWidget* parent, const QString& name);
// A frame holding its children stacked, each on its own row.
QGroupBox* column(QWidget* parent, const QString& name, const QString& caption);
void add(QGroupBox* frame, QWidget* w);
} // namespace PageBuilder
