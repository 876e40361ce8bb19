#pragma once
// The main window at JN18EU following WSJT-X on a UDP port of the test's own (WSJT-X's
// default 2237 may be in use by another WSJT-X on the machine), turning the GS-232 rotator
// emulator on COM1.

#include "app/follow_wsjtx.h"
#include "support/rotator_sim_process.h"
#include "support/window_fixture.h"

#include <QAction>
#include <QUdpSocket>

namespace kestrav::test {

class FollowOnEmulator : public WindowTest {
protected:
    // Call from SetUp, under ASSERT_NO_FATAL_FAILURE.
    void start_following() {
        log = dir.path() + QStringLiteral("/received.log");
        ASSERT_TRUE(start_rotator_sim(emulator, dir.path(), log));
        start();
        set_local(QStringLiteral("JN18EU"));
        window->formInit()->hide();
        StationState& s = window->state();
        s.Gs232Com = 0;
        s.SelectedInterface = RotorInterface::Gs232;
        s.min_step(RotorInterface::Gs232) = 1;
        QUdpSocket probe; // a port nobody holds: taken and let go again
        ASSERT_TRUE(probe.bind(QHostAddress::LocalHost, 0));
        s.WsjtxFollowing.port = probe.localPort();
        probe.close();
        window->findChild<FollowWsjtx*>()->action()->trigger();
        ASSERT_TRUE(window->findChild<FollowWsjtx*>()->action()->isChecked());
    }

    // The GS-232 command for the azimuth from JN18EU to a position.
    static QByteArray command_to(double latitude, double longitude) {
        return gs232_turn_toward(48.854167, 2.375, latitude, longitude);
    }

    QByteArray log_now() const { return received_so_far(log); }

    ChildProcess emulator;
    QString log;
};

} // namespace kestrav::test
