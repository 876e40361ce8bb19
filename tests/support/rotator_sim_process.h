#pragma once
// The rotator controller emulator as a child of the test, for tests that drive the main window
// against it (the test target defines KESTRAV_ROTATOR_SIM, the emulator's path).

#include "geodesy/bearing.h"
#include "support/child_process.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTest>

#include <cmath>

namespace kestrav::test {

// Starts the emulator with its terminal linked as `directory`/ports/COM1, so that the window's
// COM1 reaches it, every byte it receives appended to `log`, and `more` options; true once it
// has said it is ready.
inline bool start_rotator_sim(QProcess& emulator, const QString& directory, const QString& log,
                              const QStringList& more = {}) {
    QDir().mkpath(directory + QStringLiteral("/ports"));
    emulator.start(QStringLiteral(KESTRAV_ROTATOR_SIM),
                   QStringList{QStringLiteral("--link"), directory + QStringLiteral("/ports/COM1"),
                               QStringLiteral("--protocol"), QStringLiteral("auto"),
                               QStringLiteral("--log"), log} +
                       more);
    return emulator.waitForStarted(5000) &&
           QTest::qWaitFor([&emulator] { return emulator.canReadLine(); }, 5000) &&
           emulator.readLine().startsWith("ready");
}

// What the emulator has received so far, as its log holds it.
inline QByteArray received_so_far(const QString& log) {
    QFile f(log);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The commands the emulator has received, heading questions ("C") left out, once they end with
// `tail` (or after 10 s).
inline QByteArray received_until(const QString& log, const QByteArray& tail) {
    QByteArray now;
    (void)QTest::qWaitFor(
        [&] {
            now = received_so_far(log).replace("C\r", "");
            return now.endsWith(tail);
        },
        10000);
    return now;
}

// What the emulator has received, once its log holds at least `size` bytes (or after 10 s).
inline QByteArray received_at_least(const QString& log, qsizetype size) {
    QByteArray now;
    (void)QTest::qWaitFor(
        [&] {
            now = received_so_far(log);
            return now.size() >= size;
        },
        10000);
    return now;
}

// The GS-232 turn the emulator receives for the great-circle azimuth from a station at
// (latitude0, longitude0) to a position, in whole degrees.
inline QByteArray gs232_turn_toward(double latitude0, double longitude0, double latitude,
                                    double longitude) {
    const Bearing b = great_circle_bearing(latitude0, longitude0, latitude, longitude);
    return QStringLiteral("W%1\r").arg(std::lround(b.azimuth), 3, 10, QLatin1Char('0')).toLatin1();
}

} // namespace kestrav::test
