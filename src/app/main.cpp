// Corvane: watch, set up, program and download a personal air-sampling pump
// over a serial line.
#include "app/mainwindow.h"
#include "app/programargs.h"
#include "app/signalclose.h"
#include "config/settingsstore.h"
#include "link/qtseriallink.h"
#include "link/tracefile.h"
#include "logs/samplearchive.h"
#include "protocol/pumpsession.h"
#include "protocol/waiter.h"
#include "sim/simseriallink.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>

int main(int argc, char* argv[]) {
    // Help needs no window: answer it before QApplication, which ends the
    // program when there is no display to connect to (a shell over ssh).
    QStringList rawArgs;
    for (int i = 1; i < argc; ++i)
        rawArgs << QString::fromLocal8Bit(argv[i]);
    if (ProgramArgs::parse(rawArgs).help) {
        QTextStream(stdout) << ProgramArgs::kUsage;
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(CORVANE_VERSION_MAJOR)
                                            .arg(CORVANE_VERSION_MINOR)
                                            .arg(CORVANE_VERSION_PATCH));

    // Qt has taken its own options (-platform, -style) out by now.
    const ProgramArgs args = ProgramArgs::parse(QApplication::arguments().mid(1));
    if (!args.error.isEmpty()) {
        QTextStream(stderr) << "corvane: " << args.error << "\n";
        return 2;
    }
    const bool demo = args.demo;
    const QString& tracePath = args.tracePath;
    // Named relative to the folder the program was started in.
    const QString logFile =
        args.logFile.isEmpty() ? QString() : QFileInfo(args.logFile).absoluteFilePath();

    AppState state;
    state.ProgramFolder = QApplication::applicationDirPath();
    // corvane.INI beside the program, or in the user's configuration folder
    // when the program's folder is a system one (installed, owned by root, or
    // run as root) or cannot be written.
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
    // Every download is kept here; it is opened when the first one ends. A
    // place that cannot be used is said now and again at each download,
    // which goes on regardless.
    SampleArchive archive(ArchiveLocations::fromEnvironment(args.archive, demo));
    if (!archive.location().usable())
        QTextStream(stderr) << "corvane: downloads are not archived: " << archive.location().error
                            << "\n";
    // The session is the program's, as in corvane-cli; the window is its face.
    SystemWaitClock clock;
    PumpSession session(state, serial, clock);
    MainWindow window(session, {iniPath, demo, QString(), nullptr, &archive});
    TraceFile trace;
    if (!tracePath.isEmpty()) {
        QString error;
        if (!trace.open(tracePath, &error)) {
            QTextStream(stderr) << "corvane: cannot write the trace: " << error << "\n";
            return 2;
        }
        QObject::connect(
            &session, &PumpSession::traced, &window,
            [&trace](char direction, const QByteArray& bytes) { trace.record(direction, bytes); });
    }
    // The demo shows a pump at once, even before a port was ever chosen.
    if (demo && state.SelectedPort == 0)
        window.selectPort(0);
    closeWindowOnTerminationSignals(&window);
    window.show();
    // "Open with": the window is up first, then the file is shown in the
    // memo; one that cannot be loaded is reported in a box over the window.
    if (!logFile.isEmpty())
        QMetaObject::invokeMethod(
            &window, [&window, logFile] { window.showLogFile(logFile); }, Qt::QueuedConnection);
    return app.exec();
}
