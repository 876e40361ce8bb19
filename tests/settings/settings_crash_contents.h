#pragma once
// The complete settings files of the crash-safety test: the saver alternates the first two
// until it is killed; the test saves the third itself after each kill. Their sizes differ
// widely, so that a file cut short or mixed from two saves cannot pass for any of them.

#include "settings/settings_writer.h"

#include <QStringList>

namespace kestrav::testing {

inline constexpr int kCrashContentCount = 3;

inline QStringList crash_test_lines(int which) {
    StationConfig state;
    state.SelectedInterface = RotorInterface::Gs232;
    state.Gs232Com = 0;
    state.Gs232BaudText = QStringLiteral("9600");
    if (which == 0) {
        state.LocalLocator = QStringLiteral("JN18EU");
        state.LocalLatitude = 48.854;
        state.LocalLongitude = 2.375;
        state.PersoPathNames[0] = QStringLiteral("/home/op/lists/dxcc.ksv");
    } else if (which == 1) {
        state.LocalLocator = QStringLiteral("KO85UR");
        state.LocalLatitude = 55.75;
        state.LocalLongitude = 37.617;
    } else {
        state.LocalLocator = QStringLiteral("QF56OD");
        state.LocalLatitude = 33.869;
        state.LocalNorth = false;
        state.LocalLongitude = 151.208;
        // Long paths outside the code page: about 5 KiB of UTF-8 in all.
        for (QString& path : state.PersoPathNames)
            path = QStringLiteral("/home/оператор/") + QString(800, u'щ') + QStringLiteral(".ksv");
    }
    return settings_lines(state, which == 1, which == 2);
}

} // namespace kestrav::testing
