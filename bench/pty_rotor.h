#pragma once
// A GS-232 controller on a pseudo-terminal for benchmarks: the main window offscreen with GS232
// on the terminal as its COM1, and two ways of playing the controller on the master side, one
// stamping each command's first byte, one reading no faster than a 9600-baud line.

#include "app/main_window.h"
#include "rotor/rotctld_server.h"
#include "serving_loop.h"
#include "silent_desktop.h"

#include <QHostAddress>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace kestrav::bench {

// The terminal and the window on it. The terminal is opened at once (master() is -1 when it
// could not be); the window is built by open_window, after the controller's thread has begun
// reading, so that nothing the window writes at its start is missed.
class PtyRotor {
public:
    PtyRotor() : master_(dir_.isValid() ? open_com1(dir_.path()) : -1) {}
    int master() const { return master_; }
    QString directory() const { return dir_.path(); }

    // The main window with GS232 on COM1, every new azimuth a command (no minimum step).
    TForm1& open_window() {
        context_ = silent_context(desktop_, dir_.path());
        window_ = std::make_unique<TForm1>(context_);
        StationState& s = window_->state();
        s.SelectedInterface = RotorInterface::Gs232;
        s.Gs232Com = 0;
        s.min_step(RotorInterface::Gs232) = 0;
        return *window_;
    }
    // The window's rotctld server listening on 127.0.0.1 at a free port, or nullptr.
    RotctldServer* serve_rotctld() {
        auto* server = window_ ? window_->findChild<RotctldServer*>() : nullptr;
        return server != nullptr && server->listen(QHostAddress::LocalHost, 0) ? server : nullptr;
    }

private:
    QTemporaryDir dir_;
    int master_;
    SilentDesktop desktop_;
    MainWindowContext context_;
    std::unique_ptr<TForm1> window_;
};

// The controller's side: stamps the first byte of each command, answers C as a GS-232A.
struct StampingController {
    int master = -1;
    std::atomic<bool> running{true};
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<Clock::time_point> firsts; // one per command, at its first byte
    std::vector<char> letters;             // the first byte of each command

    void run() {
        bool in_line = false;
        char line_start = 0; // the first byte of the command being read
        char buffer[256];
        while (running) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            const auto now = Clock::now();
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            for (ssize_t i = 0; i < n; ++i) {
                const bool end = buffer[i] == '\r' || buffer[i] == '\n';
                if (!end && !in_line) {
                    line_start = buffer[i];
                    std::lock_guard lock(mutex);
                    firsts.push_back(now);
                    letters.push_back(line_start);
                    arrived.notify_all();
                }
                if (end && in_line && line_start == 'C' && ::write(master, "+0000\r\n", 7) < 0)
                    return;
                in_line = !end;
            }
        }
    }
    std::size_t count() {
        std::lock_guard lock(mutex);
        return firsts.size();
    }
    // The first byte of command number `index`, waited for up to 5 s.
    std::optional<Clock::time_point> first_of(std::size_t index) {
        std::unique_lock lock(mutex);
        if (!arrived.wait_for(lock, std::chrono::seconds(5), [&] { return firsts.size() > index; }))
            return std::nullopt;
        return firsts[index];
    }
    // The first byte of the first command from number `index` on that begins with `letter`,
    // waited for up to 5 s.
    std::optional<Clock::time_point> first_from(std::size_t index, char letter) {
        std::unique_lock lock(mutex);
        const auto found = [&] {
            return std::find(letters.begin() + static_cast<std::ptrdiff_t>(index), letters.end(),
                             letter);
        };
        if (!arrived.wait_for(lock, std::chrono::seconds(5),
                              [&] { return index <= letters.size() && found() != letters.end(); }))
            return std::nullopt;
        return firsts[static_cast<std::size_t>(found() - letters.begin())];
    }
};

// The controller's end of a 9600-baud line: bytes are taken one character time apart (a line
// left idle gains no credit), each turn command counted at its CR and the latest kept, each
// STOP stamped there.
struct SlowLine {
    static constexpr auto kByteTime = std::chrono::nanoseconds(1'000'000'000 / 960);
    int master = -1;
    std::atomic<bool> running{true};
    std::mutex mutex;
    std::condition_variable arrived;
    std::size_t turns = 0; // "Wnnn" commands
    std::string last_turn; // the latest of them, without its CR
    Clock::time_point last_turn_at;
    std::vector<Clock::time_point> stops;

    void run() {
        using namespace std::chrono_literals;
        ::fcntl(master, F_SETFL, O_NONBLOCK);
        auto next = Clock::now();
        std::string command; // being read, up to its CR
        char buffer[8];
        while (running) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            next = std::max(next, Clock::now());
            std::this_thread::sleep_until(next);
            const auto now = Clock::now();
            // The characters whose time has come, should the sleep have overslept.
            const auto due = std::min<long>(sizeof buffer, 1 + (now - next) / kByteTime);
            const ssize_t n = ::read(master, buffer, static_cast<size_t>(due));
            if (n <= 0)
                continue;
            next += n * kByteTime;
            std::lock_guard lock(mutex);
            for (ssize_t i = 0; i < n; ++i) {
                if (buffer[i] != '\r') {
                    command += buffer[i];
                    continue;
                }
                if (!command.empty() && command.front() == 'W') {
                    ++turns;
                    last_turn = command;
                    last_turn_at = now;
                }
                if (!command.empty() && command.front() == 'S')
                    stops.push_back(now);
                command.clear();
            }
            arrived.notify_all();
        }
    }
    template <typename T> T read(const T& value) {
        std::lock_guard lock(mutex);
        return value;
    }
    // The first STOP at the controller from `since` on, waited for up to five minutes (the
    // line unpaced took over a minute).
    std::optional<Clock::time_point> stop_after(Clock::time_point since) {
        using namespace std::chrono_literals;
        std::unique_lock lock(mutex);
        const auto after = [&] {
            return std::find_if(stops.begin(), stops.end(),
                                [&](Clock::time_point t) { return t >= since; });
        };
        if (!arrived.wait_for(lock, 300s, [&] { return after() != stops.end(); }))
            return std::nullopt;
        return *after();
    }
};

} // namespace kestrav::bench
