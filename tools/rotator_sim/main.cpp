// kestrav-rotator-sim: a rotator controller on a pseudo-terminal, for trying the program's
// serial rotator interfaces without hardware. It links the terminal under the given name
// (for example ports/COM1 in the program's directory), prints every command it receives with
// the antenna position, turns the simulated antenna at the given speed and answers position
// queries. It keeps its own descriptor of the terminal open, so clients may close and reopen
// it at will.

#include "sim_commands.h"
#include "sim_rotator.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace kestrav::sim;

namespace {

struct Options {
    std::string link;
    SimProtocol protocol = SimProtocol::Auto;
    double speed = 6;
    EndStop stop = EndStop::North;
    double start = 0;
    double range = 360;
    bool elevation = false;
    double elevationSpeed = -1; // the azimuth's speed unless given
    double elevationRange = 90;
    double startElevation = 0;
    bool elevationOptionGiven = false;
    std::string log;
    double exitAfter = -1;
};

const char kUsage[] =
    "usage: kestrav-rotator-sim [options]\n"
    "  --link PATH            symbolic link to the terminal (a stale link is replaced)\n"
    "  --protocol P           gs232, gs232b, easycomm or auto (default: auto, per command\n"
    "                         line; gs232b answers positions as a GS-232B does)\n"
    "  --speed DEG_PER_S      turning speed (default 6)\n"
    "  --stop north|south     end stop; with south the controller's 0 points south\n"
    "  --start DEG            starting position on the controller's scale (default 0)\n"
    "  --range 360|450        the scale: 0 to 360, or 0 to 450 for a rotator with a 90-degree\n"
    "                         overlap past its end stop (default 360); positions beyond it\n"
    "                         are refused\n"
    "  --elevation            an azimuth-elevation rotator: an elevation axis that turns on its\n"
    "                         own (GS-232 Waaa eee, Maaa, A, E, U, D, B and C2; EasyComm\n"
    "                         ELeee.e, SE, EL and AZ EL); without it an elevation sent has no\n"
    "                         effect and C2 answers 0\n"
    "  --elevation-speed DEG_PER_S\n"
    "                         the elevation's turning speed (default: the --speed)\n"
    "  --elevation-range 90|180\n"
    "                         the elevation's end: 90, or 180 for a rotator that flips over\n"
    "                         the zenith (default 90); elevations beyond it are refused\n"
    "  --start-elevation DEG  starting elevation (default 0)\n"
    "  --log FILE             append every received byte to FILE\n"
    "  --exit-after SECONDS   end by itself after this time\n";

int signalPipe[2] = {-1, -1};

// For writes whose failure changes nothing: a full reply queue, a full signal pipe.
void write_or_drop(int fd, const void* data, size_t size) {
    if (::write(fd, data, size) < 0) {
    }
}

void on_signal(int) {
    const char byte = 1;
    write_or_drop(signalPipe[1], &byte, 1);
}

std::optional<double> number_arg(const char* text) {
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text || *end != '\0')
        return std::nullopt;
    return value;
}

std::optional<Options> parse_options(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        }
        if (arg == "--elevation") {
            o.elevation = true;
            continue;
        }
        if (i + 1 >= argc)
            return std::nullopt;
        const char* value = argv[++i];
        const std::string v = value;
        if (arg == "--link") {
            o.link = v;
        } else if (arg == "--log") {
            o.log = v;
        } else if (arg == "--protocol") {
            if (v == "gs232")
                o.protocol = SimProtocol::Gs232;
            else if (v == "gs232b")
                o.protocol = SimProtocol::Gs232B;
            else if (v == "easycomm")
                o.protocol = SimProtocol::EasyComm;
            else if (v == "auto")
                o.protocol = SimProtocol::Auto;
            else
                return std::nullopt;
        } else if (arg == "--stop") {
            if (v == "north")
                o.stop = EndStop::North;
            else if (v == "south")
                o.stop = EndStop::South;
            else
                return std::nullopt;
        } else if (arg == "--range") {
            if (v == "360")
                o.range = 360;
            else if (v == "450")
                o.range = 450;
            else
                return std::nullopt;
        } else if (arg == "--elevation-range") {
            o.elevationOptionGiven = true;
            if (v == "90")
                o.elevationRange = 90;
            else if (v == "180")
                o.elevationRange = 180;
            else
                return std::nullopt;
        } else if (arg == "--elevation-speed" || arg == "--start-elevation") {
            o.elevationOptionGiven = true;
            const std::optional<double> n = number_arg(value);
            if (!n || *n < 0 || (arg == "--elevation-speed" && *n == 0))
                return std::nullopt;
            (arg == "--elevation-speed" ? o.elevationSpeed : o.startElevation) = *n;
        } else if (arg == "--speed" || arg == "--start" || arg == "--exit-after") {
            const std::optional<double> n = number_arg(value);
            if (!n || *n < 0)
                return std::nullopt;
            (arg == "--speed" ? o.speed : arg == "--start" ? o.start : o.exitAfter) = *n;
        } else {
            return std::nullopt;
        }
    }
    if (o.speed <= 0)
        return std::nullopt;
    // The elevation's own options mean nothing to an azimuth rotator.
    if (o.elevationOptionGiven && !o.elevation)
        return std::nullopt;
    if (o.startElevation > o.elevationRange)
        return std::nullopt;
    if (o.elevationSpeed < 0)
        o.elevationSpeed = o.speed;
    return o;
}

// Makes `link` point to `target`: a symbolic link already there is replaced, anything else
// is left alone and refused.
bool make_link(const std::string& link, const std::string& target) {
    std::error_code ec;
    const fs::path path(link);
    if (fs::is_symlink(fs::symlink_status(path, ec))) {
        fs::remove(path, ec);
    } else if (fs::exists(fs::symlink_status(path, ec))) {
        std::fprintf(stderr, "kestrav-rotator-sim: %s exists and is not a link\n", link.c_str());
        return false;
    }
    if (path.has_parent_path())
        fs::create_directories(path.parent_path(), ec);
    fs::create_symlink(target, path, ec);
    if (ec) {
        std::fprintf(stderr, "kestrav-rotator-sim: cannot link %s: %s\n", link.c_str(),
                     ec.message().c_str());
        return false;
    }
    return true;
}

void remove_link(const std::string& link, const std::string& target) {
    std::error_code ec;
    const fs::path path(link);
    if (fs::is_symlink(fs::symlink_status(path, ec)) && fs::read_symlink(path, ec) == target)
        fs::remove(path, ec);
}

class Emulator {
public:
    Emulator(const Options& options, int master, int logFd)
        : options_(options), master_(master), logFd_(logFd),
          rotator_(options.speed, options.stop, options.start, options.range), start_(Clock::now()),
          last_(start_) {
        if (options.elevation)
            rotator_.setElevation(SimElevation(options.elevationSpeed, options.elevationRange,
                                               options.startElevation));
    }

    int run() {
        const auto deadline = start_ + std::chrono::duration_cast<Clock::duration>(
                                           std::chrono::duration<double>(options_.exitAfter));
        for (;;) {
            int timeout = rotator_.moving() ? 20 : -1;
            if (options_.exitAfter >= 0) {
                const auto left =
                    std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now())
                        .count();
                if (left <= 0)
                    return 0;
                timeout = timeout < 0 ? static_cast<int>(left)
                                      : std::min<int>(timeout, static_cast<int>(left) + 1);
            }
            pollfd fds[2] = {{master_, POLLIN, 0}, {signalPipe[0], POLLIN, 0}};
            const int r = ::poll(fds, 2, timeout);
            if (r < 0 && errno != EINTR)
                return 1;
            turn();
            if (r > 0 && fds[1].revents)
                return 0;
            if (r > 0 && (fds[0].revents & POLLIN))
                receive();
            else if (r > 0 && fds[0].revents)
                ::poll(nullptr, 0, 50); // no client and nothing to read: do not spin
        }
    }

private:
    using Clock = std::chrono::steady_clock;

    double seconds() const { return std::chrono::duration<double>(last_ - start_).count(); }

    void turn() {
        const auto now = Clock::now();
        const double dt = std::chrono::duration<double>(now - last_).count();
        last_ = now;
        if (rotator_.advance(dt)) {
            std::printf("%.3f arrived pos=%.1f bearing=%.1f", seconds(), rotator_.position(),
                        rotator_.trueBearing());
            if (const SimElevation* elevation = rotator_.elevation())
                std::printf(" el=%.1f", elevation->position());
            std::printf("\n");
            std::fflush(stdout);
        }
    }

    void receive() {
        char buffer[4096];
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n <= 0) {
            if (n < 0 && errno != EAGAIN && errno != EINTR)
                ::poll(nullptr, 0, 50);
            return;
        }
        if (logFd_ >= 0)
            write_or_drop(logFd_, buffer, static_cast<size_t>(n));
        for (const std::string& line : splitter_.feed(std::string_view(buffer, size_t(n)))) {
            const SimOutcome out = handle_command(line, options_.protocol, rotator_);
            if (!out.reply.empty()) // a client that does not read loses replies
                write_or_drop(master_, out.reply.data(), out.reply.size());
            std::printf("%.3f rx %s %s%s pos=%.1f target=%.1f bearing=%.1f", seconds(),
                        escape_bytes(line).c_str(), protocol_name(out.protocol),
                        out.understood ? "" : " unknown", rotator_.position(), rotator_.target(),
                        rotator_.trueBearing());
            if (const SimElevation* elevation = rotator_.elevation())
                std::printf(" el=%.1f el_target=%.1f", elevation->position(), elevation->target());
            if (!out.reply.empty())
                std::printf(" reply=%s", escape_bytes(out.reply).c_str());
            std::printf("\n");
            std::fflush(stdout);
        }
    }

    const Options& options_;
    int master_;
    int logFd_;
    SimRotator rotator_;
    CommandSplitter splitter_;
    Clock::time_point start_;
    Clock::time_point last_;
};

} // namespace

int main(int argc, char** argv) {
    const std::optional<Options> options = parse_options(argc, argv);
    if (!options) {
        std::fputs(kUsage, stderr);
        return 2;
    }

    int master = -1;
    int slave = -1;
    char slaveName[256] = {};
    if (openpty(&master, &slave, slaveName, nullptr, nullptr) != 0) {
        std::perror("kestrav-rotator-sim: openpty");
        return 1;
    }
    // Raw from the start, so that replies are not echoed back as commands before a client
    // has set the line up.
    termios raw{};
    if (tcgetattr(slave, &raw) == 0) {
        cfmakeraw(&raw);
        tcsetattr(slave, TCSANOW, &raw);
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    fcntl(master, F_SETFD, FD_CLOEXEC);
    fcntl(slave, F_SETFD, FD_CLOEXEC);

    int logFd = -1;
    if (!options->log.empty()) {
        logFd = ::open(options->log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (logFd < 0) {
            std::perror("kestrav-rotator-sim: log");
            return 1;
        }
    }

    if (pipe(signalPipe) != 0)
        return 1;
    fcntl(signalPipe[1], F_SETFL, O_NONBLOCK);
    struct sigaction action {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);

    if (!options->link.empty() && !make_link(options->link, slaveName))
        return 1;

    std::printf("ready pty=%s link=%s protocol=%s speed=%g stop=%s range=%g", slaveName,
                options->link.c_str(), protocol_name(options->protocol), options->speed,
                options->stop == EndStop::North ? "north" : "south", options->range);
    if (options->elevation)
        std::printf(" elevation-speed=%g elevation-range=%g", options->elevationSpeed,
                    options->elevationRange);
    std::printf("\n");
    std::fflush(stdout);

    Emulator emulator(*options, master, logFd);
    const int rc = emulator.run();

    if (!options->link.empty())
        remove_link(options->link, slaveName);
    std::printf("exit\n");
    std::fflush(stdout);
    ::close(slave);
    ::close(master);
    if (logFd >= 0)
        ::close(logFd);
    return rc;
}
