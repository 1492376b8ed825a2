// Serves one simulated pump on a pseudo-terminal, so Corvane (or any serial
// program) can open its slave side like a real port. The slave is kept open
// here too: with no process on the slave the master reads end-of-file
// forever, which would spin the event loop.
#pragma once

#include "sim/linepacer.h"
#include "sim/simpump.h"

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <memory>

class PtyPump : public QObject {
    Q_OBJECT
public:
    PtyPump(SimPump::Options options, QString linkPath, bool pacing, int reconnectMs,
            QObject* parent = nullptr);
    ~PtyPump() override;

    // Opens the pseudo-terminal; false with errorText() when that fails.
    bool start();
    QString slavePath() const { return m_slavePath; }
    QString errorText() const { return m_error; }
    SimPump& pump() { return m_pump; }

signals:
    // A new device path (at start and after every reconnect).
    void serving(const QString& path);

private:
    bool openPty();
    void closePty();
    void onReadable();
    void flush();
    void drainThenDrop(int waitedMs);
    void dropLine();

    SimPump m_pump;
    QString m_linkPath;
    bool m_pacing = true;
    int m_reconnectMs = 3000;
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QString m_error;
    std::unique_ptr<QSocketNotifier> m_readNotifier;
    std::unique_ptr<QSocketNotifier> m_writeNotifier;
    QTimer m_paceTimer;
    LinePacer m_pacer;
    QByteArray m_outgoing; // taken from the pump, not yet accepted by the terminal
};
