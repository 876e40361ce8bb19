#pragma once
// Waiting for "nothing happened" without a fixed sleep: a timer of the test's own, started
// now, is waited for. Qt runs the timers of a thread that are due in the order of their
// deadlines, so once it has fired, every timer of this thread due before it (a call waiting
// to settle, a poll) has had its turn, however late a loaded machine ran the thread; a check
// made then sees what those timers would have done.

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTimer>

namespace kestrav::test {

// Waits until a timer of `ms` started now has fired; false only if the event loop never ran
// it within a generous limit. Returns the milliseconds that actually passed through `waited`.
inline bool wait_past(int ms, qint64* waited = nullptr) {
    QElapsedTimer clock;
    clock.start();
    QTimer later;
    later.setSingleShot(true);
    later.setTimerType(Qt::PreciseTimer); // never early, so never ahead of a timer due before
    QSignalSpy fired(&later, &QTimer::timeout);
    later.start(ms);
    const bool ok = fired.wait(ms + 60000);
    if (waited)
        *waited = clock.elapsed();
    return ok;
}

} // namespace kestrav::test
