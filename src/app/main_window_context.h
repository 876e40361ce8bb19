#pragma once
// What the main window is given: the seams to the world outside it, handed in so that tests
// can substitute them, and where it keeps its files.

#include <QString>

namespace kestrav {

class DdeServer;
class Desktop;
class ParallelPortLibrary;
class WindowMessages;

// What the window needs from the world outside it, handed in so that tests can substitute it.
struct MainWindowContext {
    Desktop* desktop = nullptr;
    ParallelPortLibrary* parallel_port = nullptr; // the LPT ports of PourSat and FODTrack
    WindowMessages* window_messages = nullptr;    // messages to the outside rotator program
    DdeServer* dde_server = nullptr;              // publishes the azimuth to other programs
    QString exe_directory;                        // with trailing "/"
    QString app_directory;                        // settings file and ports/, with trailing "/"
    bool settings_file_exists = false;
};

} // namespace kestrav
