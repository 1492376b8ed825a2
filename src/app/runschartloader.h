// Finds and loads the Sampling Runs chart's module (src/app/runschart.h).
#pragma once

#include <QString>
#include <QStringList>

class RunsChartFactory;

namespace RunsChartLoader {

// Where the module is looked for, first match wins: the folder named by
// CORVANE_MODULE_DIR (the build tree's tests set it), the program's own
// folder (a build tree, a Windows install), and the installed module folder
// relative to the program (<prefix>/lib/corvane next to <prefix>/bin).
QStringList defaultDirs();

struct Result {
    RunsChartFactory* factory = nullptr; // null when no module could be loaded
    QString error;                       // why, for the page to say
};
// The module stays loaded for the rest of the process: the charts it made
// run its code until they are deleted.
Result load(const QStringList& dirs);

} // namespace RunsChartLoader
