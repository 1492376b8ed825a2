// The pump's end of the serial line: choosing Com1..Com4 (SelectPort), the one
// write operation (SendToPump), the receive notification, and recovery from an
// adapter that was unplugged. Every byte read or written passes here.
#pragma once

#include "core/appstate.h"
#include "link/seriallink.h"

#include <QObject>
#include <QTimer>
#include <functional>

class PumpLink : public QObject {
    Q_OBJECT
public:
    static inline const QString kLineSettings = QStringLiteral("57600,N,8,1");
    // A hang-up can show only as empty reads and failed writes.
    static constexpr int kEmptyReadsMeanLost = 64;
    static constexpr int kFailedWritesMeanLost = 3;
    static constexpr int kRetryMs = 1000;

    PumpLink(AppState& state, SerialLink& link, QObject* parent = nullptr);

    // The user chose Option7(index), 0..3: close, open port index+1, record it.
    void selectPort(int index);
    // One complete command text in one write, busy pointer shown meanwhile.
    void sendToPump(const QString& text);
    // The same write without the busy pointer.
    void writeDirect(const QString& text);
    void setEofDetection(bool on) { m_link.setEofEnabled(on); }

    SerialLink& link() { return m_link; }
    bool isOpen() const { return m_link.isOpen(); }
    // What the status bar should say about the port ("Com1 (/dev/ttyS0): ...").
    QString statusText() const { return m_status; }
    bool retrying() const { return m_retry.isActive(); }

    // Why a port did not open, as the status bar says it: the link's own
    // words and, where the user can do something about it, what to check.
    static QString openFailureText(SerialLink::OpenError error, const QString& errorText);

    std::function<void(bool busy)> busyHook;
    // 'T' for bytes written, 'F' for a write the open port refused, 'R' for
    // bytes read.
    std::function<void(char direction, const QByteArray& bytes)> traceHook;

signals:
    // The characters that were waiting, read in one piece.
    void received(const QByteArray& bytes);
    // The port saw the end-of-file character (detection on), before the
    // received() that carries it.
    void endOfFileReceived();
    void statusChanged(const QString& text);
    // The open port went away (unplugged, hung up); reopening is being tried.
    void deviceLost();

private:
    void onReadyRead();
    void onDeviceLost();
    void tryOpen(bool retry);
    bool write(const QString& text);
    void setStatus(const QString& text);

    AppState& m_state;
    SerialLink& m_link;
    QTimer m_retry;
    QString m_status;
    bool m_afterLoss = false; // retrying because an open port went away
    bool m_inReceive = false;
    bool m_receivePending = false;
    int m_emptyReads = 0;
    int m_failedWrites = 0;
};
