// A pseudo-terminal pair held by a test: the program under test opens the
// slave like a serial port; the test reads the master to see every byte
// written and answers there as a pump would. Closing the master ends the
// terminal, as an unplugged adapter does.
#pragma once

#include <QByteArray>
#include <QString>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

struct TestPty {
    int master = -1;
    QString slavePath;

    TestPty() {
        int slave = -1;
        char name[128] = {};
        termios raw{};
        ::cfmakeraw(&raw);
        if (::openpty(&master, &slave, name, &raw, nullptr) != 0)
            return;
        ::close(slave); // the pair lives while the master is open
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        // Not inherited by the program under test: closing it must end the
        // terminal.
        ::fcntl(master, F_SETFD, FD_CLOEXEC);
        slavePath = QString::fromLocal8Bit(name);
    }
    ~TestPty() { unplug(); }
    TestPty(const TestPty&) = delete;
    TestPty& operator=(const TestPty&) = delete;

    void unplug() {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
    QByteArray readNow() const {
        QByteArray got;
        char buf[512];
        for (ssize_t n; (n = ::read(master, buf, sizeof buf)) > 0;)
            got.append(buf, int(n));
        return got;
    }
    bool send(const QByteArray& bytes) const {
        return ::write(master, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }
};
