// The serial-link interface in-process, with the simulated pump behind it:
// whatever port number is opened, the one SimPump answers there. Replies go
// out at the line's pace, driven by a timer, unless pacing is switched off.
// `corvane --demo` and the window tests use it.
#pragma once

#include "link/seriallink.h"
#include "sim/linepacer.h"
#include "sim/simpump.h"

#include <QTimer>
#include <memory>

class SimSerialLink : public SerialLink {
    Q_OBJECT
public:
    static constexpr int kTickMs = 10;
    static constexpr int kReconnectMs = 3000; // the cable is back after a drop

    explicit SimSerialLink(SimPump::Options options = {}, SimPump::Clock clock = {},
                           QObject* parent = nullptr);
    ~SimSerialLink() override;

    bool open(int portNumber, const QString& settings) override;
    void close() override;
    bool isOpen() const override { return m_open; }
    bool write(const QByteArray& data) override;
    QByteArray readAll() override;
    void setEofEnabled(bool on) override { m_eof = on; }
    bool eofEnabled() const override { return m_eof; }
    QString deviceName(int portNumber) const override;
    OpenError lastOpenError() const override { return m_openError; }
    QString lastErrorText() const override { return m_errorText; }

    // Off: replies arrive as soon as the event loop runs, in one piece.
    void setPacing(bool on) { m_pacing = on; }
    bool pacing() const { return m_pacing; }
    SimPump& pump() { return *m_pump; }
    int openPort() const { return m_port; }

private:
    void deliver();

    std::unique_ptr<SimPump> m_pump;
    QTimer m_timer;
    LinePacer m_pacer;
    QByteArray m_waiting;
    bool m_open = false;
    bool m_eof = false;
    bool m_pacing = true;
    int m_port = 0;
    QDateTime m_unpluggedUntil; // after a drop the port is missing for a while
    OpenError m_openError = OpenError::None;
    QString m_errorText;
};
