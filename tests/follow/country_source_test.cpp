// Country files that are not files: a FIFO without a writer, a device that never ends, a file
// far larger than any country file. Each is refused at once, whether it is chosen in the
// dialog or kept in the settings row from an earlier run; the operator is told once and the
// built-in table serves. "At once" is told by what the system saw done to the files: none is
// read, and the FIFO and the folder are not even opened. A read that waited would hang the
// test rather than fail it.

#include "app/follow_wsjtx.h"
#include "follow/country_source.h"
#include "lists/prefix_table.h"
#include "station/station_session.h"
#include "support/fake_desktop.h"

#include "setup/qstring_printer.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstring>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrav::test {
namespace {

// What is done to a folder and its entries, as inotify reports it: "open NAME" and "read
// NAME", "." naming the folder itself.
class FolderWatch {
public:
    explicit FolderWatch(const QString& folder) : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        if (fd_ >= 0)
            watch_ = ::inotify_add_watch(fd_, QFile::encodeName(folder).constData(),
                                         IN_OPEN | IN_ACCESS);
    }
    ~FolderWatch() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    bool ok() const { return fd_ >= 0 && watch_ >= 0; }

    // What happened since the last call. The events are queued by the calls that cause them,
    // so nothing is waited for.
    QStringList events() {
        QStringList seen;
        alignas(inotify_event) char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n <= 0)
                return seen;
            for (qsizetype at = 0; at < n;) {
                inotify_event event{};
                std::memcpy(&event, buffer + at, sizeof event);
                const QString name =
                    event.len > 0 ? QFile::decodeName(buffer + at + sizeof event) : ".";
                if (event.mask & IN_OPEN)
                    seen << "open " + name;
                if (event.mask & IN_ACCESS)
                    seen << "read " + name;
                at += static_cast<qsizetype>(sizeof event + event.len);
            }
        }
    }

private:
    int fd_;
    int watch_ = -1;
};

class HostileCountryFile : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        fifo = dir.path() + "/fifo.dat";
        ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        huge = dir.path() + "/huge.dat";
        QFile file(huge);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("Testland: 14: 28: EU: 10.00: -20.00: -1.0: ZZ9:\n ZZ9;\n");
        ASSERT_TRUE(file.resize(kLargestCountryFile + 1)); // sparse: written at once
    }

    struct Row {
        QString path;
        CountryFileProblem problem;
        QString told;
    };
    std::vector<Row> rows() const {
        const QString unreadable = QStringLiteral("Can't read the country file ");
        return {{fifo, CountryFileProblem::Unreadable, unreadable + fifo},
                {"/dev/zero", CountryFileProblem::Unreadable, unreadable + "/dev/zero"},
                {dir.path(), CountryFileProblem::Unreadable, unreadable + dir.path()},
                {huge, CountryFileProblem::NotACountryFile,
                 huge + " is not a country file (cty.dat format)"}};
    }

    static qsizetype built_in_count() {
        return CountryTable::from_prefix_entries(prefix_table_entries()).countryCount();
    }

    QTemporaryDir dir;
    QString fifo;
    QString huge;
};

// Refused before any byte is read: the FIFO and the folder before they are opened, the large
// file on its size. /dev/zero lies outside the watched folder; read, it would be refused as
// no country file rather than as unreadable.
TEST_F(HostileCountryFile, RefusedAtOnceAndTheBuiltInTableServes) {
    FolderWatch watch(dir.path());
    ASSERT_TRUE(watch.ok());
    for (const Row& row : rows()) {
        CountryFileProblem problem = CountryFileProblem::None;
        EXPECT_FALSE(read_country_file(row.path, &problem)) << row.path.toStdString();
        EXPECT_EQ(problem, row.problem) << row.path.toStdString();
        bool from_file = true;
        EXPECT_EQ(load_countries(row.path, &from_file).countryCount(), built_in_count());
        EXPECT_FALSE(from_file) << row.path.toStdString();
        const QStringList done = watch.events();
        const QStringList allowed = row.path == huge ? QStringList{"open huge.dat"} : QStringList{};
        for (const QString& event : done)
            EXPECT_TRUE(allowed.contains(event))
                << row.path.toStdString() << ": " << event.toStdString();
    }
    // A sound file at the limit is still read, and the watch sees it.
    QFile file(huge);
    ASSERT_TRUE(file.resize(kLargestCountryFile));
    EXPECT_TRUE(read_country_file(huge));
    EXPECT_TRUE(watch.events().contains("read huge.dat"));
}

// The row kept from an earlier run names the file: the first need of the table tells it once,
// later ones do not; the choice stays. Chosen in the dialog, it is refused as well.
TEST_F(HostileCountryFile, KeptOrChosenToldOnce) {
    for (const Row& row : rows()) {
        FakeDesktop desktop;
        FollowSetting setting;
        setting.country_file = row.path;
        QWidget window;
        QMenu menu;
        StationSession session;
        FollowWsjtx follow(
            setting, session, [&desktop]() -> Desktop& { return desktop; }, &menu, &window,
            dir.path() + "/no-system-file.dat");
        EXPECT_EQ(follow.countries().countryCount(), built_in_count()) << row.path.toStdString();
        EXPECT_TRUE(follow.countries().lookup(u"9H1AA")) << row.path.toStdString();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !desktop.boxes.empty(); }))
            << row.path.toStdString();
        QCoreApplication::processEvents();
        ASSERT_EQ(desktop.boxes.size(), 1u) << row.path.toStdString();
        EXPECT_EQ(desktop.boxes.front().text, row.told);
        EXPECT_EQ(setting.country_file, row.path);

        desktop.file_answers = {row.path};
        follow.countryFileAction()->trigger();
        ASSERT_EQ(desktop.boxes.size(), 2u) << row.path.toStdString();
        EXPECT_EQ(desktop.boxes.back().text, row.told);
        EXPECT_EQ(follow.countries().countryCount(), built_in_count()) << row.path.toStdString();
    }
}

} // namespace
} // namespace kestrav::test
