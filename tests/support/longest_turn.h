#pragma once
// The event loop's longest turn while it is watched: a zero timer notes the time between its
// ticks, which grows with any turn of the loop that holds it.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <algorithm>

namespace kestrav::test {

class LongestTurn {
public:
    LongestTurn() {
        QObject::connect(&ticker_, &QTimer::timeout,
                         [this] { longest_ms_ = std::max(longest_ms_, since_.restart()); });
        since_.start();
        ticker_.start(0);
    }
    // Stops watching; the longest turn seen, in ms.
    qint64 stop() {
        ticker_.stop();
        return longest_ms_;
    }

private:
    QTimer ticker_;
    QElapsedTimer since_;
    qint64 longest_ms_ = 0;
};

} // namespace kestrav::test
