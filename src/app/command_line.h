#pragma once
// What Kestrav does with its command line before any window exists: --help and --version
// answer without a display, and a display that cannot be opened ends the start with a
// message and status 1 instead of an abort.

#include <optional>

namespace kestrav {

// --help or --version: prints the answer and returns 0; otherwise nothing and no value.
// Unknown arguments are left to QApplication, which takes its own (-platform, -display...).
std::optional<int> answer_command_line(int argc, char** argv);

// Holds back what Qt reports while QApplication connects to the display. A start that fails
// there ends with "kestrav: cannot open display ..." and status 1; once the connection is made,
// release() (or the destructor) hands the held-back reports on as usual.
class DisplayOpenGuard {
public:
    DisplayOpenGuard();
    ~DisplayOpenGuard();
    void release();
    DisplayOpenGuard(const DisplayOpenGuard&) = delete;
    DisplayOpenGuard& operator=(const DisplayOpenGuard&) = delete;
};

} // namespace kestrav
