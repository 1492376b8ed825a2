// A serial port for tests: records every open, close and write, and delivers
// whatever the test hands it as received characters.
#pragma once

#include "link/seriallink.h"

#include <QList>
#include <QMap>
#include <QSet>

class FakeSerialLink : public SerialLink {
    Q_OBJECT
public:
    struct Event {
        enum Type { Open, Close, Write } type;
        int port = 0;
        QByteArray data; // written bytes, or the line settings of an open
        bool ok = true;
    };

    using SerialLink::SerialLink;

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

    // Test controls.
    QSet<int> missingPorts;                // opening these fails with NotFound
    QMap<int, OpenError> refusedPorts;     // opening these fails with the given reason
    bool failWrites = false;               // writes fail although the port is open
    void receive(const QByteArray& bytes); // queue bytes and notify

    QList<Event> events;
    QByteArray written() const; // every byte written, in order
    int currentPort() const { return m_port; }

private:
    bool m_open = false;
    bool m_eof = false;
    int m_port = 0;
    QByteArray m_waiting;
    OpenError m_openError = OpenError::None;
    QString m_errorText;
};
