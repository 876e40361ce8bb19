// Saving the settings file survives a crash at any moment: a saver process is killed with
// SIGKILL at random moments, and each time the settings file must be one of the complete
// files saved, and the next save must succeed whatever temporary file the kill left.

#include "settings/settings_file.h"
#include "settings_crash_contents.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>
#include <random>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace kestrav::testing {
namespace {

constexpr int kKills = 1000;
// Kills land from right after the saver starts to a few saves into its loop; one in eight
// comes with no delay at all, while the first save is still under way.
constexpr int kShortestSpanMicroseconds = 1000;
constexpr int kSavesInSpan = 3;
constexpr int kImmediateKillEvery = 8;

QByteArray bytes_of(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

// The saver, started on `directory` and already saving once it is returned.
class Saver {
public:
    explicit Saver(const QString& directory) {
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        const QByteArray dir = QFile::encodeName(directory);
        char* argv[] = {const_cast<char*>(KESTRAV_SETTINGS_SAVER), const_cast<char*>(dir.data()),
                        nullptr};
        if (posix_spawn(&pid_, KESTRAV_SETTINGS_SAVER, &actions, nullptr, argv, environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        pollfd ready{out[0], POLLIN, 0};
        char byte = 0;
        ready_ = pid_ > 0 && ::poll(&ready, 1, 10000) == 1 && ::read(out[0], &byte, 1) == 1;
        ::close(out[0]);
    }
    ~Saver() { kill(); }
    Saver(const Saver&) = delete;
    Saver& operator=(const Saver&) = delete;

    bool ready() const { return ready_; }

    // True when the saver was still saving and died of the kill.
    bool kill() {
        if (pid_ <= 0)
            return false;
        ::kill(pid_, SIGKILL);
        int status = 0;
        const bool waited = ::waitpid(pid_, &status, 0) == pid_;
        pid_ = -1;
        return waited && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }

private:
    pid_t pid_ = -1;
    bool ready_ = false;
};

void sleep_microseconds(int microseconds) {
    timespec delay{0, microseconds * 1000L};
    while (::nanosleep(&delay, &delay) != 0) {
    }
}

// On a memory file system a save takes tens of microseconds instead of the disk's sync time,
// so the kills meet far more saves, and the short moments between creating and filling a
// file where a faulty save would leave it cut, in a fraction of the time.
QString scratch_parent() {
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    return shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath();
}

TEST(SettingsCrash, KilledSaveLeavesACompleteFileAndNeverBlocksTheNextSave) {
    QTemporaryDir temporary(scratch_parent() + QStringLiteral("/kestrav-crash-XXXXXX"));
    ASSERT_TRUE(temporary.isValid());
    const QString dir = temporary.path() + u'/';
    const QString ini = dir + kSettingsFileName;
    const QString tmp = dir + kSettingsTemporaryName;
    std::array<QByteArray, kCrashContentCount> contents;
    for (int i = 0; i < kCrashContentCount; ++i)
        contents[i] = encode_settings_text(crash_test_lines(i));
    const QStringList own_lines = crash_test_lines(0);

    // The span of the delays follows the time a save takes here: microseconds in memory, up
    // to milliseconds where the disk syncs.
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kSavesInSpan; ++i)
        ASSERT_TRUE(save_settings_file(dir, own_lines));
    const int span = std::max<int>(kShortestSpanMicroseconds, int(timer.nsecsElapsed() / 1000));

    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> delay(0, span);
    std::array<int, kCrashContentCount> found{};
    int complete = 0;
    int stale_temporaries = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        Saver saver(dir);
        ASSERT_TRUE(saver.ready()) << "kill " << kill;
        const int wait = delay(random);
        if (kill % kImmediateKillEvery != 0)
            sleep_microseconds(wait);
        ASSERT_TRUE(saver.kill()) << "the saver stopped by itself before kill " << kill;

        const QByteArray bytes = bytes_of(ini);
        const auto match = std::find(contents.begin(), contents.end(), bytes);
        EXPECT_NE(match, contents.end()) << "kill " << kill << " left " << bytes.size() << " bytes";
        if (match != contents.end()) {
            ++complete;
            ++found[match - contents.begin()];
        }
        stale_temporaries += QFile::exists(tmp) ? 1 : 0;

        ASSERT_TRUE(save_settings_file(dir, own_lines)) << "after kill " << kill;
        ASSERT_EQ(bytes_of(ini), contents[0]);
        ASSERT_FALSE(QFile::exists(tmp));
    }
    std::printf("%d kills over 0 to %d us: %d complete settings files (%d as before the saver, "
                "%d and %d of its two contents), %d stale temporary files\n",
                kKills, span, complete, found[0], found[1], found[2], stale_temporaries);
    EXPECT_EQ(complete, kKills);
    // The kills must have met the saver in all its states, or the test proves little.
    for (int count : found)
        EXPECT_GT(count, kKills / 50);
    EXPECT_GT(stale_temporaries, kKills / 50);
}

} // namespace
} // namespace kestrav::testing
