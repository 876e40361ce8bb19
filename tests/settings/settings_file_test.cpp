// The settings file on disk: text encoding, loading hostile files, and saving so that the
// old file survives every failure.

#include "settings/settings_file.h"
#include "lists/text_decoding.h"
#include "settings/settings_reader.h"
#include "settings/settings_writer.h"
#include "settings_test_support.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrav {
namespace {

using testing::RecordingActions;

QByteArray file_bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void write_file(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

bool has_write_bits(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return true;
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

// Bytes of a literal with embedded NUL bytes, without the terminating one.
template <std::size_t N>
QByteArray with_nuls(const char (&literal)[N]) {
    return QByteArray(literal, N - 1);
}

QStringList read_back(const QString& path) {
    const std::optional<QStringList> lines = load_settings_file(path);
    return lines ? *lines : QStringList{"<unreadable>"};
}

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString directory() const { return dir_.path() + u'/'; }
    QString ini() const { return directory() + kSettingsFileName; }
    QString temporary() const { return directory() + kSettingsTemporaryName; }

    QTemporaryDir dir_;
};

TEST(SettingsEncoding, CodePageWhenEveryCharacterFitsOtherwiseUtf8) {
    struct Row {
        const char* name;
        QString line;
        QByteArray expected;
    };
    const Row rows[] = {
        {"ascii", "ANT=GS232", "ANT=GS232\r\n"},
        {"latin letter", QStringLiteral("P=/home/Ré"), "P=/home/R\xE9\r\n"},
        {"euro sign in the high controls", QStringLiteral("P=/€"), "P=/\x80\r\n"},
        {"cyrillic", QStringLiteral("P=/дом"), "P=/\xD0\xB4\xD0\xBE\xD0\xBC\r\n"},
        // "Ã©" in the code page is C3 A9, which reads back as UTF-8 "é".
        {"code page bytes that look like UTF-8", QStringLiteral("P=Ã©"), "P=\xC3\x83\xC2\xA9\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QByteArray bytes = encode_settings_text({row.line});
        EXPECT_EQ(bytes, row.expected);
        EXPECT_EQ(split_text_lines(decode_text(bytes)), QStringList{row.line});
    }
    EXPECT_EQ(encode_settings_text({"A", "", "B"}), QByteArray("A\r\n\r\nB\r\n"));
}

TEST_F(SettingsFileTest, SavedFileIsCompleteReadOnlyAndEndsLinesInCrLf) {
    const QStringList lines = settings_lines(StationState{}, false, false);
    ASSERT_TRUE(save_settings_file(directory(), lines));
    const QByteArray bytes = file_bytes(ini());
    EXPECT_TRUE(bytes.endsWith("AZIMUT_PARKING=0\r\n"));
    EXPECT_EQ(bytes.count("\r\n"), 33);
    EXPECT_EQ(bytes.count('\n'), 33);
    EXPECT_FALSE(has_write_bits(ini()));
    EXPECT_FALSE(QFile::exists(temporary()));
    EXPECT_EQ(read_back(ini()), lines);
}

TEST_F(SettingsFileTest, ReadOnlyFileAndStaleReadOnlyTemporaryDoNotPreventSaving) {
    write_file(ini(), "LANGUAGE=FRENCH\r\n");
    write_file(temporary(), "stale");
    ASSERT_EQ(::chmod(QFile::encodeName(ini()).constData(), 0444), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(temporary()).constData(), 0444), 0);

    ASSERT_TRUE(save_settings_file(directory(), {"LANGUAGE=ENGLISH", "UNIT=MILE"}));
    EXPECT_EQ(file_bytes(ini()), QByteArray("LANGUAGE=ENGLISH\r\nUNIT=MILE\r\n"));
    EXPECT_FALSE(QFile::exists(temporary()));
    EXPECT_FALSE(has_write_bits(ini()));

    // A second save over the file the first one made read-only.
    ASSERT_TRUE(save_settings_file(directory(), {"UNIT=KM"}));
    EXPECT_EQ(file_bytes(ini()), QByteArray("UNIT=KM\r\n"));
}

TEST_F(SettingsFileTest, DirectoryThatCannotHoldFilesFailsCleanly) {
    const QString regular = directory() + "not-a-directory";
    write_file(regular, "x");
    EXPECT_FALSE(save_settings_file(regular, {"UNIT=KM"}));
    EXPECT_FALSE(save_settings_file(directory() + "missing/", {"UNIT=KM"}));
    EXPECT_EQ(file_bytes(regular), QByteArray("x"));
}

TEST_F(SettingsFileTest, DirectoryWithoutWritePermissionLeavesOldFile) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "write permission does not bind the superuser";
    write_file(ini(), "OLD\r\n");
    ASSERT_EQ(::chmod(QFile::encodeName(dir_.path()).constData(), 0555), 0);
    const bool saved = save_settings_file(directory(), {"NEW"});
    ::chmod(QFile::encodeName(dir_.path()).constData(), 0755);
    EXPECT_FALSE(saved);
    EXPECT_EQ(file_bytes(ini()), QByteArray("OLD\r\n"));
    EXPECT_FALSE(QFile::exists(temporary()));
}

// The disk fills up while the temporary file is written: the old file stays and the
// partial temporary file is removed.
TEST_F(SettingsFileTest, WriteFailureLeavesOldFileAndNoTemporary) {
    write_file(ini(), "OLD\r\n");
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 16;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool result = save_settings_file(directory(), settings_lines(StationState{}, false, false));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, old_handler);

    EXPECT_FALSE(result);
    EXPECT_EQ(file_bytes(ini()), QByteArray("OLD\r\n"));
    EXPECT_FALSE(QFile::exists(temporary()));
}

TEST_F(SettingsFileTest, RenameFailureLeavesNoTemporary) {
    ASSERT_TRUE(QDir(dir_.path()).mkpath(QString(kSettingsFileName) + "/inside"));
    EXPECT_FALSE(save_settings_file(directory(), {"UNIT=KM"}));
    EXPECT_FALSE(QFile::exists(temporary()));
    EXPECT_TRUE(QFileInfo(ini()).isDir());
}

TEST_F(SettingsFileTest, CyrillicPathSurvivesTheRoundTrip) {
    StationState state;
    state.PersoPathNames[1] = QStringLiteral("/home/оператор/Список ДХ.ksv");
    ASSERT_TRUE(save_settings_file(directory(), settings_lines(state, false, false)));

    StationState read;
    RecordingActions actions(read);
    read_settings(read_back(ini()), read, actions);
    EXPECT_EQ(read.PersoPathNames[1], state.PersoPathNames[1]);
    EXPECT_TRUE(actions.events.contains(QStringLiteral("list 2 /home/оператор/Список ДХ.ksv")));
}

TEST_F(SettingsFileTest, CodePageFileFromAnotherToolIsRead) {
    write_file(ini(), "PERSO1_PATHNAME=C:\\Listes\\Pr\xE9\x66ixes.txt\rUNIT=MILE\nANT=EA4TX");
    EXPECT_EQ(read_back(ini()), (QStringList{QStringLiteral("PERSO1_PATHNAME=C:\\Listes\\Préfixes.txt"),
                                             "UNIT=MILE", "ANT=EA4TX"}));
}

TEST_F(SettingsFileTest, WhatCannotBeReadGivesNothing) {
    EXPECT_FALSE(load_settings_file(directory() + "absent.ini"));
    EXPECT_FALSE(load_settings_file(dir_.path()));
    // Larger than any settings file: refused without being read (a sparse file).
    QFile big(ini());
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(kLargestSettingsFileBytes + 1));
    big.close();
    EXPECT_FALSE(load_settings_file(ini()));
}

// Hostile contents: nothing crashes, reading finishes, and good keys are still found.
TEST_F(SettingsFileTest, HostileContentsAreReadSafely) {
    std::mt19937 random(20240611);
    QByteArray noise(1 << 20, '\0');
    for (char& byte : noise)
        byte = static_cast<char>(random() & 0xFF);

    struct Row {
        const char* name;
        QByteArray bytes;
    };
    const Row rows[] = {
        {"random bytes", noise},
        {"random bytes around a key", noise + "\nANT=GS232\n" + noise},
        {"NUL bytes", with_nuls("ANT=\0GS232\r\n\0\0\0=\0\r\nANT=GS232")},
        {"overlong line", "QRA_LOCATOR=" + QByteArray(8 << 20, 'x') + "\r\nANT=GS232\r\n"},
        {"overlong key", QByteArray(4 << 20, 'K') + "=1\nANT=GS232"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        write_file(ini(), row.bytes);
        const std::optional<QStringList> lines = load_settings_file(ini());
        ASSERT_TRUE(lines);
        StationState state;
        RecordingActions actions(state);
        read_settings(*lines, state, actions);
        if (row.bytes.contains("\nANT=GS232")) {
            EXPECT_EQ(state.SelectedInterface, RotorInterface::Gs232);
        }
    }
}

TEST_F(SettingsFileTest, MillionLinesReadQuickly) {
    const QByteArray block = "[POURSAT]\r\nSTEP_GS232=3\r\nCALAZ_POURSAT=0.5\r\n"
                             "LATTITUDE=N48.854\r\nANT=EA4TX\r\nunknown line\r\n"
                             "PARKING=EASYCOMM\r\nUNKNOWN_KEY=1\r\nQRA_LOCATOR=jn18eu\r\n"
                             "STOP_GS232=S\r\n";
    QByteArray bytes;
    bytes.reserve(block.size() * 100000 + 16);
    for (int i = 0; i < 100000; ++i)
        bytes += block;
    bytes += "STEP_GS232=5\r\n";
    write_file(ini(), bytes);

    QElapsedTimer timer;
    timer.start();
    const std::optional<QStringList> lines = load_settings_file(ini());
    ASSERT_TRUE(lines);
    StationState state;
    RecordingActions actions(state);
    read_settings(*lines, state, actions);
    const qint64 elapsed = timer.elapsed();

    EXPECT_EQ(lines->size(), 1000001);
    EXPECT_EQ(state.MinSteps[3], 5);
    EXPECT_EQ(state.ParkingInterface, 5);
    EXPECT_EQ(state.LocalLocator, "JN18EU");
    EXPECT_TRUE(actions.events.isEmpty());
    // Generous enough for a sanitizer build on a shared machine.
    EXPECT_LT(elapsed, 8000) << "ms for a million lines";
    std::cout << "[ timing   ] a million lines loaded and read in " << elapsed << " ms\n";
}

TEST_F(SettingsFileTest, SettingsDirectoryFallsBackToUserConfiguration) {
    EXPECT_EQ(settings_directory(dir_.path()), directory());
    EXPECT_EQ(settings_directory(directory()), directory());

    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    const bool had = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(directory() + "config"));
    const QString regular = directory() + "file";
    write_file(regular, "x");
    const QString fallback = settings_directory(regular);
    const QString missing = settings_directory(directory() + "no/such/dir");
    if (had)
        qputenv("XDG_CONFIG_HOME", saved);
    else
        qunsetenv("XDG_CONFIG_HOME");

    EXPECT_EQ(fallback, directory() + "config/kestrav/");
    EXPECT_EQ(missing, fallback);
    EXPECT_TRUE(QFileInfo(fallback).isDir());
}

} // namespace
} // namespace kestrav
