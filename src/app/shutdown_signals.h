#pragma once
// SIGTERM, SIGINT and SIGHUP (the session ending, `kill`, Ctrl+C in a terminal) run the
// program's normal shut-down: the handler only writes a byte into a pipe, and the shut-down
// runs on the user-interface thread when the event loop reads it.

#include <QObject>

class QSocketNotifier;

namespace kestrav {

class ShutdownSignals final : public QObject {
    Q_OBJECT
public:
    // Installs the handlers (once per process) and ignores SIGXFSZ, so that a file-size
    // limit makes a write fail with an error instead of ending the program.
    explicit ShutdownSignals(QObject* parent = nullptr);
    ~ShutdownSignals() override;

signals:
    // One of the three signals has arrived; emitted on the user-interface thread.
    void shutdownRequested(int signal_number);

private:
    void read_pipe();
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace kestrav
