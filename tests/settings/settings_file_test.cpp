// The settings file on disk: its encoding, loading hostile files, and saving so that the
// old file survives every failure.

#include "lists/text_decoding.h"
#include "settings/settings_file.h"
#include "settings/settings_writer.h"
#include "settings_test_support.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrav::testing {
namespace {

QByteArray bytes_of(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

void put(const QString& path, const QByteArray& bytes, int mode = 0644) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
    file.close();
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

TEST(SettingsEncoding, CodePageWhenEveryCharacterFitsOtherwiseUtf8) {
    const std::pair<QString, QByteArray> rows[] = {
        {"ANT=GS232", "ANT=GS232\r\n"},
        {QStringLiteral("P=/Ré"), "P=/R\xE9\r\n"},
        {QStringLiteral("P=/€"), "P=/\x80\r\n"},
        {QStringLiteral("P=/дом"), "P=/\xD0\xB4\xD0\xBE\xD0\xBC\r\n"},
        // "Ã©" in the code page is C3 A9, which would read back as UTF-8 "é".
        {QStringLiteral("P=Ã©"), "P=\xC3\x83\xC2\xA9\r\n"},
    };
    for (const auto& [line, expected] : rows) {
        SCOPED_TRACE(line.toStdString());
        const QByteArray bytes = encode_settings_text({line});
        EXPECT_EQ(bytes, expected);
        EXPECT_EQ(split_text_lines(decode_text(bytes)), QStringList{line});
    }
    EXPECT_EQ(encode_settings_text({"A", "", "B"}), QByteArray("A\r\n\r\nB\r\n"));
}

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString dir() const { return dir_.path() + u'/'; }
    QString ini() const { return dir() + kSettingsFileName; }
    QString tmp() const { return dir() + kSettingsTemporaryName; }
    QStringList load(const QString& path) const {
        const auto file = load_settings_file(path);
        return file ? file->lines : QStringList{"<unreadable>"};
    }
    bool writable(const QString& path) const {
        struct stat info {};
        ::stat(QFile::encodeName(path).constData(), &info);
        return (info.st_mode & 0222) != 0;
    }
    // After a failed save the old file is as it was and no temporary file is left.
    void expect_untouched() const {
        EXPECT_EQ(bytes_of(ini()), QByteArray("OLD\r\n"));
        EXPECT_FALSE(QFile::exists(tmp()));
    }

    QTemporaryDir dir_;
};

TEST_F(SettingsFileTest, SavedFileIsCompleteReadOnlyInCrLfAndKeepsCyrillicPaths) {
    StationConfig state;
    state.PersoPathNames[1] = QStringLiteral("/home/оператор/Список ДХ.ksv");
    const QStringList lines = settings_lines(state, false, false);
    ASSERT_TRUE(save_settings_file(dir(), lines));
    const QByteArray bytes = bytes_of(ini());
    EXPECT_EQ(bytes.count("\r\n"), 34);
    EXPECT_EQ(bytes.count('\n'), 34);
    EXPECT_TRUE(bytes.endsWith("AZIMUT_PARKING=0\r\n"));
    EXPECT_FALSE(writable(ini()));
    EXPECT_FALSE(QFile::exists(tmp()));

    StationConfig read;
    RecordingActions actions(read);
    read_settings(load(ini()), read, actions);
    EXPECT_EQ(read.PersoPathNames[1], state.PersoPathNames[1]);
}

TEST_F(SettingsFileTest, ReadOnlyFileAndStaleReadOnlyTemporaryDoNotPreventSaving) {
    put(ini(), "OLD\r\n", 0444);
    put(tmp(), "stale", 0444);
    ASSERT_TRUE(save_settings_file(dir(), {"LANGUAGE=ENGLISH", "UNIT=MILE"}));
    EXPECT_EQ(bytes_of(ini()), QByteArray("LANGUAGE=ENGLISH\r\nUNIT=MILE\r\n"));
    EXPECT_FALSE(QFile::exists(tmp()));
    ASSERT_TRUE(save_settings_file(dir_.path(), {"UNIT=KM"})); // over its own read-only file
    EXPECT_EQ(bytes_of(ini()), QByteArray("UNIT=KM\r\n"));
}

TEST_F(SettingsFileTest, FailuresLeaveTheOldFile) {
    put(ini(), "OLD\r\n");
    const QString regular = dir() + "plain-file";
    put(regular, "x");
    EXPECT_FALSE(save_settings_file(regular, {"NEW"}));
    EXPECT_FALSE(save_settings_file(dir() + "missing", {"NEW"}));
    EXPECT_EQ(bytes_of(regular), QByteArray("x"));

    // The disk fills up while the temporary file is written.
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit small = saved;
    small.rlim_cur = 16;
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved_when_full = save_settings_file(dir(), settings_lines({}, false, false));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);
    EXPECT_FALSE(saved_when_full);
    expect_untouched();

    if (::geteuid() != 0) { // write permission does not bind the superuser
        ASSERT_EQ(::chmod(QFile::encodeName(dir_.path()).constData(), 0555), 0);
        const bool saved_read_only = save_settings_file(dir(), {"NEW"});
        ::chmod(QFile::encodeName(dir_.path()).constData(), 0755);
        EXPECT_FALSE(saved_read_only);
        expect_untouched();
    }
}

// A settings file kept elsewhere through a chain of links (one relative) is saved where it
// lives; the links stay links.
TEST_F(SettingsFileTest, SavesThroughSymbolicLinks) {
    ASSERT_TRUE(QDir(dir()).mkpath("dotfiles"));
    put(dir() + "dotfiles/kestrav.ini", "OLD\r\n");
    ASSERT_TRUE(QFile::link("kestrav.ini", dir() + "dotfiles/link.ini"));
    ASSERT_TRUE(QFile::link(dir() + "dotfiles/link.ini", ini()));
    ASSERT_TRUE(save_settings_file(dir(), {"UNIT=MILE"}));
    EXPECT_TRUE(QFileInfo(ini()).isSymLink());
    EXPECT_TRUE(QFileInfo(dir() + "dotfiles/link.ini").isSymLink());
    EXPECT_EQ(bytes_of(dir() + "dotfiles/kestrav.ini"), QByteArray("UNIT=MILE\r\n"));
    EXPECT_FALSE(QFile::exists(tmp()));
    EXPECT_FALSE(QFile::exists(dir() + "dotfiles/" + kSettingsTemporaryName));
}

TEST_F(SettingsFileTest, RenameFailureLeavesNoTemporary) {
    ASSERT_TRUE(QDir(dir()).mkpath(QString(kSettingsFileName) + "/inside"));
    EXPECT_FALSE(save_settings_file(dir(), {"UNIT=KM"}));
    EXPECT_FALSE(QFile::exists(tmp()));
}

TEST_F(SettingsFileTest, LoadsCodePageFilesAndRefusesWhatIsNoSettingsFile) {
    put(ini(), "PERSO1=C:\\Pr\xE9\x66ixes.txt\rUNIT=MILE\nANT=EA4TX");
    EXPECT_EQ(load(ini()),
              (QStringList{QStringLiteral("PERSO1=C:\\Préfixes.txt"), "UNIT=MILE", "ANT=EA4TX"}));
    EXPECT_FALSE(load_settings_file(dir() + "absent.ini"));
    EXPECT_FALSE(load_settings_file(dir_.path()));
    // A file one byte too long is read up to its last line end within the limit; one that
    // fits is read whole.
    const QByteArray head = "UNIT=MILE\r\n";
    const QByteArray filler = QByteArray(kLargestSettingsFileBytes - head.size() - 2, 'x');
    put(ini(), head + filler + "\r\nANT=EA4TX");
    const auto cut = load_settings_file(ini());
    ASSERT_TRUE(cut);
    EXPECT_TRUE(cut->cut);
    EXPECT_EQ(cut->lines, (QStringList{"UNIT=MILE", QString::fromLatin1(filler)}));
    put(ini(), head + filler + "\r\n");
    EXPECT_FALSE(load_settings_file(ini())->cut);
}

// Hostile contents: nothing crashes, and a good key after the rubbish is still found.
TEST_F(SettingsFileTest, HostileContentsAreReadSafely) {
    std::mt19937 random(20240611);
    QByteArray noise(1 << 19, '\0');
    for (char& byte : noise)
        byte = static_cast<char>(random());
    const QByteArray nuls("ANT=\0GS232\r\n\0\0\0=\0\r\n", 19);
    for (const QByteArray& rubbish : {noise, nuls, "QRA_LOCATOR=" + QByteArray(1 << 19, 'x'),
                                      QByteArray(1 << 19, 'K') + "=1"}) {
        put(ini(), rubbish + "\nANT=GS232");
        StationConfig state;
        RecordingActions actions(state);
        read_settings(load(ini()), state, actions);
        EXPECT_EQ(state.SelectedInterface, RotorInterface::Gs232)
            << rubbish.left(20).toHex().data();
    }
}

TEST_F(SettingsFileTest, ManyLinesReadQuickly) {
    const QByteArray block =
        "[POURSAT]\r\nSTEP_GS232=3\r\nCALAZ_POURSAT=0.5\r\nLATTITUDE=N48.854\r\n"
        "ANT=EA4TX\r\nno key\r\nPARKING=EASYCOMM\r\nUNKNOWN=1\r\n"
        "QRA_LOCATOR=jn18eu\r\nSTOP_GS232=S\r\n";
    put(ini(), block.repeated(6000) + "STEP_GS232=5");
    QElapsedTimer timer;
    timer.start();
    const QStringList lines = load(ini());
    StationConfig state;
    RecordingActions actions(state);
    read_settings(lines, state, actions);
    const qint64 elapsed = timer.elapsed();
    EXPECT_EQ(lines.size(), 60001);
    EXPECT_EQ(state.MinSteps[3], 5);
    EXPECT_EQ(state.LocalLocator, "JN18EU");
    EXPECT_LT(elapsed, 8000) << "ms; generous for sanitizer builds on a shared machine";
}

TEST_F(SettingsFileTest, SettingsDirectoryFallsBackToUserConfiguration) {
    EXPECT_EQ(settings_directory(dir_.path()), dir());
    EXPECT_EQ(settings_directory(dir()), dir());

    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir() + "config"));
    put(dir() + "file", "x");
    const QString under_file = settings_directory(dir() + "file");
    const QString missing = settings_directory(dir() + "no/such/dir");
    saved.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", saved);

    EXPECT_EQ(under_file, dir() + "config/kestrav/");
    EXPECT_EQ(missing, under_file);
    EXPECT_TRUE(QFileInfo(under_file).isDir());

    // A new user starts from the file beside the program until one of their own exists.
    EXPECT_EQ(settings_file_to_read(dir(), under_file), QString());
    put(ini(), "UNIT=MILE\r\n");
    EXPECT_EQ(settings_file_to_read(dir(), under_file), ini());
    put(under_file + kSettingsFileName, "UNIT=KM\r\n");
    EXPECT_EQ(settings_file_to_read(dir(), under_file), under_file + kSettingsFileName);
}

} // namespace
} // namespace kestrav::testing
