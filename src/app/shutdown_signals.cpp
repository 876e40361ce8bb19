#include "app/shutdown_signals.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace kestrav {

namespace {

// The write end is used by the handler only; both ends stay open for the process's life.
int g_pipe[2] = {-1, -1};

constexpr std::array<int, 3> kShutdownSignals = {SIGTERM, SIGINT, SIGHUP};

extern "C" void on_shutdown_signal(int signal_number) {
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(signal_number);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

} // namespace

ShutdownSignals::ShutdownSignals(QObject* parent) : QObject(parent) {
    std::signal(SIGXFSZ, SIG_IGN);
    if (g_pipe[0] < 0 && ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier_ = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &ShutdownSignals::read_pipe);
    struct sigaction action {};
    action.sa_handler = on_shutdown_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : kShutdownSignals)
        ::sigaction(number, &action, nullptr);
}

ShutdownSignals::~ShutdownSignals() {
    // Back to the default: a signal after the windows are gone simply ends the process.
    for (int number : kShutdownSignals)
        std::signal(number, SIG_DFL);
}

void ShutdownSignals::read_pipe() {
    unsigned char bytes[16];
    ssize_t count;
    while ((count = ::read(g_pipe[0], bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < count; ++i)
            emit shutdownRequested(bytes[i]);
    }
}

} // namespace kestrav
