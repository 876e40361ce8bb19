#pragma once
// A child process that never outlives the test. Should the test process die without unwinding
// (an abort, a crash, the test runner's time limit), the kernel kills the child; on every other
// path the destructor kills it by its process id, if it still runs, and reaps it.

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
            if (::getppid() != test) // the test died before the line above
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
