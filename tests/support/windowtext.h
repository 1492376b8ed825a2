// What the window tests read off the screen: the text an element shows, the
// message boxes open over the window, and the window's files in a folder of
// the test's own.
#pragma once

#include "app/mainwindow.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>

// A label's, button's or box's text, a frame's title; "<missing>" for no element.
inline QString shownText(const QWidget* w) {
    if (!w)
        return QStringLiteral("<missing>");
    if (auto* l = qobject_cast<const QLabel*>(w))
        return l->text();
    if (auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->text();
    if (auto* g = qobject_cast<const QGroupBox*>(w))
        return g->title();
    if (auto* e = qobject_cast<const QLineEdit*>(w))
        return e->text();
    return QStringLiteral("<no text>");
}

inline QList<QMessageBox*> openBoxes(const QWidget& window) {
    QList<QMessageBox*> out = window.findChildren<QMessageBox*>();
    out.removeIf([](const QMessageBox* b) { return !b->isVisible(); });
    return out;
}

// corvane.INI and the placement file in `dir`.
inline MainWindow::Options windowFiles(const QTemporaryDir& dir, bool demo = false) {
    return {dir.filePath(QStringLiteral("corvane.INI")), demo,
            dir.filePath(QStringLiteral("placement.ini"))};
}
