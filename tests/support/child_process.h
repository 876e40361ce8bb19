#pragma once
// A child process that never outlives the test: killed by the kernel should the test die
// without unwinding, else by its process id in the destructor, and reaped.

#include <QProcess>

#include <csignal>

#include <sys/prctl.h>
#include <unistd.h>

namespace kestrav::test {

class ChildProcess : public QProcess {
public:
    ChildProcess() {
        setChildProcessModifier([test = ::getpid()] {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (::getppid() != test)
                ::_exit(1);
        });
    }
    ~ChildProcess() override {
        if (state() != NotRunning) {
            ::kill(static_cast<pid_t>(processId()), SIGKILL);
            waitForFinished(5000);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
};

} // namespace kestrav::test
