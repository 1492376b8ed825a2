// Corvane: watch, set up, program and download a personal air-sampling pump
// over a serial line.
#include "app/mainwindow.h"
#include "app/signalclose.h"
#include "config/settingsstore.h"
#include "link/qtseriallink.h"
#include "link/tracefile.h"
#include "sim/simseriallink.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>

int main(int argc, char* argv[]) {
    // Help needs no window: answer it before QApplication, which ends the
    // program when there is no display to connect to (a shell over ssh).
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--help") == 0 || qstrcmp(argv[i], "-h") == 0) {
            QTextStream(stdout)
                << "Usage: corvane [--demo] [--trace FILE]\n"
                   "  --demo        run against the built-in simulated pump\n"
                   "  --trace FILE  append every byte the pump sends to FILE (corvane-cli\n"
                   "                decode reads it) and every byte sent and received,\n"
                   "                time-stamped, to FILE.log\n";
            return 0;
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(CORVANE_VERSION_MAJOR)
                                            .arg(CORVANE_VERSION_MINOR)
                                            .arg(CORVANE_VERSION_PATCH));

    bool demo = false;
    QString tracePath;
    const QStringList args = QApplication::arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg == QLatin1String("--demo")) {
            demo = true;
        } else if (arg == QLatin1String("--trace") && i + 1 < args.size()) {
            tracePath = args.at(++i);
        } else {
            QTextStream(stderr) << "corvane: unknown option " << arg << "\n";
            return 2;
        }
    }

    AppState state;
    state.ProgramFolder = QApplication::applicationDirPath();
    // corvane.INI beside the program, or in the user's configuration folder
    // when the program's folder cannot be written (an installed program).
    QString iniPath =
        settingsFilePath(state.ProgramFolder,
                         QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
            .path;
    // A demo session keeps its choices apart, so trying Corvane never
    // changes the settings used with the real pump.
    if (demo)
        iniPath = QFileInfo(iniPath).dir().filePath(QStringLiteral("corvane-demo.INI"));
    QtSerialLink realPort(iniPath);
    SimSerialLink demoPump;
    SerialLink& serial = demo ? static_cast<SerialLink&>(demoPump) : realPort;
    MainWindow window(state, serial, {iniPath, demo, QString()});
    TraceFile trace;
    if (!tracePath.isEmpty()) {
        QString error;
        if (!trace.open(tracePath, &error)) {
            QTextStream(stderr) << "corvane: cannot write the trace: " << error << "\n";
            return 2;
        }
        QObject::connect(
            &window.session(), &PumpSession::traced, &window,
            [&trace](char direction, const QByteArray& bytes) { trace.record(direction, bytes); });
    }
    // The demo shows a pump at once, even before a port was ever chosen.
    if (demo && state.SelectedPort == 0)
        window.selectPort(0);
    closeWindowOnTerminationSignals(&window);
    window.show();
    return app.exec();
}
