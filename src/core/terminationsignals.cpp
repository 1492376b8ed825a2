#include "core/terminationsignals.h"

#ifdef Q_OS_UNIX
#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int g_signalPipe[2] = {-1, -1};

void onSignal(int signalNumber) {
    // Only async-signal-safe work here: wake the event loop. A full pipe
    // (signals arriving faster than the loop reads) drops the extra ones.
    const auto c = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const auto n = ::write(g_signalPipe[1], &c, 1);
}

bool makePipe() {
    if (g_signalPipe[0] >= 0)
        return true;
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return false;
    for (const int fd : g_signalPipe) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        ::fcntl(fd, F_SETFD, FD_CLOEXEC); // not inherited by programs started from here
    }
    return true;
}
} // namespace

bool onTerminationSignals(QObject* context, std::function<void(int)> handler) {
    if (!makePipe())
        return false;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context,
                     [handler = std::move(handler)] {
                         unsigned char c = 0;
                         while (::read(g_signalPipe[0], &c, 1) == 1)
                             handler(c);
                     });
    struct sigaction sa = {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    return true;
}
#else
bool onTerminationSignals(QObject*, std::function<void(int)>) {
    return false;
}
#endif
