// A main window over a settings folder of the test's own, the shared values
// it works on, and what a test does to it and reads off it. A test's rig
// derives from this, holds the link, makes the window on that link and drops
// the window before the link goes (the window closes the port on its way out).
#pragma once

#include "app/logsactions.h"
#include "logs/samplearchive.h"
#include "sim/simseriallink.h"
#include "support/fakeseriallink.h"
#include "support/steppingclock.h"
#include "support/testfiles.h"
#include "support/windowtext.h"

#include <QTest>
#include <memory>

// A status report of the simulated pump of this model.
inline QByteArray statusOf(const QByteArray& model) {
    SimPumpOptions options;
    options.model = model;
    SimPump pump(options);
    pump.write("R99\r");
    return pump.read();
}

struct WindowRig {
    QTemporaryDir dir;
    AppState state;
    std::unique_ptr<MainWindow> window;

    // Builds the pages not yet shown first: what the pump said to their
    // controls meanwhile is on them.
    template <class T = QWidget> T* find(const QString& name) const {
        window->buildPages();
        return window->findChild<T*>(name);
    }
    QAbstractButton* button(const char* name) const { return find<QAbstractButton>(name); }
    bool enabled(const char* name) const { return find(name) && find(name)->isEnabled(); }
    // '1' or '0' for each named control's enabled state, '-' for one missing.
    QString enabledOf(const QStringList& names) const {
        QString out;
        for (const QString& name : names)
            out += !find(name) ? QChar('-') : find(name)->isEnabled() ? QChar('1') : QChar('0');
        return out;
    }
    void click(const char* name) {
        QAbstractButton* b = button(name);
        QVERIFY2(b, name);
        b->click();
    }
    // The message box or question on screen, once it has opened.
    QMessageBox* box() const {
        const QList<QMessageBox*> open = openBoxes(*window);
        return open.isEmpty() ? nullptr : open.first();
    }
    QString boxText() {
        [&] { QTRY_VERIFY_WITH_TIMEOUT(box(), 20000); }();
        return box() ? box()->text() : QStringLiteral("<no box>");
    }
    void closeBox() {
        [&] { QTRY_VERIFY_WITH_TIMEOUT(box(), 20000); }();
        window->acceptMessage();
        QTRY_VERIFY(!box());
    }
};

// A window on the recording fake port, its files in the rig's folder.
struct FakePortRig : WindowRig {
    FakeSerialLink link;
    explicit FakePortRig(bool demo = false) {
        window = std::make_unique<MainWindow>(state, link, windowFiles(dir, demo));
    }
    ~FakePortRig() { window.reset(); } // before the port
};

// A window on `Link` with a sample archive of its own (or none), its poll
// stopped: the tests poll when they need a report (a tick in between would
// move the simulated pump's line count that its faults are keyed to).
template <typename Link> struct ArchiveRig : WindowRig {
    Link link;
    SampleArchive archive{ArchiveLocations::parse(dir.filePath(QStringLiteral("archive.sqlite")))};

    template <typename... A>
    explicit ArchiveRig(bool withArchive, A&&... a) : link(std::forward<A>(a)...) {
        MainWindow::Options files = windowFiles(dir);
        files.archive = withArchive ? &archive : nullptr;
        window = std::make_unique<MainWindow>(state, link, files);
        window->session().stopPolling();
    }
    ~ArchiveRig() { window.reset(); } // before the port and the archive it writes to

    LogsActions& logs() { return window->logsActions(); }
    CaptureMemo& memo() { return window->session().memo(); }
    // The report that gives the pump's serial number and saved-log count.
    void poll() {
        state.serialNumber.clear();
        window->session().refreshPumpData();
        QTRY_VERIFY_WITH_TIMEOUT(!state.serialNumber.isEmpty(), 20000);
    }
    // Reads the pump's logs to the end, by "Read Logs From KST" or its key
    // (Alt+R, on the Logs page), and closes the box that says so.
    void download(bool byKey = false) {
        poll();
        if (byKey)
            QTest::keyClick(window.get(), Qt::Key_R, Qt::AltModifier);
        else
            click("CommandButton7");
        QTRY_VERIFY_WITH_TIMEOUT(!logs().download().running(), 60000);
        closeBox();
    }
};

// A window on a link of the test's choosing (and corvane.INI holding `ini`,
// if any), its pauses timed on a clock the test steps, its poll ticked by
// hand, and no reply ever too late on a slow machine.
struct ClockedRig : WindowRig {
    SteppingClock clock{36000.2};
    std::unique_ptr<SerialLink> link;

    explicit ClockedRig(std::unique_ptr<SerialLink> serial, const QByteArray& ini = {},
                        const SerialDevices* devices = nullptr)
        : link(std::move(serial)) {
        if (!ini.isEmpty())
            putFile(dir.filePath(QStringLiteral("corvane.INI")), ini);
        MainWindow::Options files = windowFiles(dir);
        files.waitClock = &clock;
        files.serialDevices = devices;
        window = std::make_unique<MainWindow>(state, *link, files);
        PumpSession& s = window->session();
        s.setMaxSleepMs(0);
        s.setReadBackTimeoutMs(10 * 60 * 1000);
        s.setProgramReadBackTimeoutMs(10 * 60 * 1000);
        s.stopPolling();
    }
    ~ClockedRig() { window.reset(); } // before the link and the clock
    FakeSerialLink& fake() { return static_cast<FakeSerialLink&>(*link); }
    SimSerialLink& sim() { return static_cast<SimSerialLink&>(*link); }
    // One poll, and a moment for the pump to answer it.
    void poll() {
        window->session().pollTick();
        QTest::qWait(20);
    }
};
