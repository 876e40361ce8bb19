#pragma once
// A child process that never outlives the test: killed by the kernel should the test die
// without unwinding, else by its process id in the destructor, and reaped. One that starts
// children of its own can lead a process group, which is then killed whole.

#include <QProcess>

#include <csignal>

#include <sys/prctl.h>
#include <unistd.h>

namespace kestrav::test {

class ChildProcess : public QProcess {
public:
    ChildProcess() { modify(false); }
    ~ChildProcess() override {
        if (state() != NotRunning) {
            const auto pid = static_cast<pid_t>(processId());
            ::kill(group_ ? -pid : pid, SIGKILL);
            waitForFinished(5000);
        }
    }
    // Before start: the process and everything it starts form a group of their own.
    void leadOwnGroup() {
        group_ = true;
        modify(true);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

private:
    void modify(bool group) {
        setChildProcessModifier([test = ::getpid(), group] {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (::getppid() != test)
                ::_exit(1);
            if (group)
                ::setpgid(0, 0);
        });
    }
    bool group_ = false;
};

} // namespace kestrav::test
