// Saves the first two crash-test settings files in turn, for ever, into the directory named
// on the command line: the process the crash-safety test kills at random moments. It writes
// one byte to its standard output when it starts saving, and exits with 2 if a save fails.

#include "settings/settings_file.h"
#include "settings_crash_contents.h"

#include <QFile>

#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 2)
        return 64;
    const QString directory = QFile::decodeName(argv[1]);
    const QStringList contents[] = {kestrav::testing::crash_test_lines(1),
                                    kestrav::testing::crash_test_lines(2)};
    if (::write(STDOUT_FILENO, "r", 1) != 1)
        return 2;
    for (unsigned long saves = 0;; ++saves) {
        if (!kestrav::save_settings_file(directory, contents[saves % 2]))
            return 2;
    }
}
