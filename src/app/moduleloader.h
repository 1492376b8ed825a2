// Finds and loads the window's modules: parts kept out of the program so a
// start never maps their libraries (the Sampling Runs chart, printing).
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

namespace ModuleLoader {

// Where modules are looked for, first match wins: the folder named by
// CORVANE_MODULE_DIR (the build tree's tests set it), the program's own
// folder (a build tree, a Windows install), and the installed module folder
// relative to the program (<prefix>/lib/<multiarch>/corvane next to
// <prefix>/bin).
QStringList defaultDirs();

// The root object of the module `name` (e.g. "corvane_runschart", without
// the platform's prefix and suffix) from the first folder that has it; null,
// and `error` says why, when none loads. A module stays loaded for the rest
// of the process: what it made runs its code until deleted.
QObject* loadRoot(const QString& name, const QStringList& dirs, QString* error);

template <class Interface>
Interface* load(const QString& name, const QStringList& dirs, QString* error) {
    QObject* root = loadRoot(name, dirs, error);
    auto* found = qobject_cast<Interface*>(root);
    if (root && !found)
        *error = QStringLiteral("%1 is not the module this program expects").arg(name);
    return found;
}

} // namespace ModuleLoader
