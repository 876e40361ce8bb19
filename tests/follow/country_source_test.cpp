// Country files that are not files: a FIFO without a writer, a device that never ends, a file
// far larger than any country file. Each is refused at once, whether it is chosen in the
// dialog or kept in the settings row from an earlier run; the operator is told once and the
// built-in table serves. A read that waited would hang the test rather than fail it.

#include "follow/country_source.h"
#include "follow/follow_wsjtx.h"
#include "station/station_session.h"
#include "lists/prefix_table.h"
#include "support/fake_desktop.h"

#include "setup/qstring_printer.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace kestrav::test {
namespace {

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

TEST_F(HostileCountryFile, RefusedAtOnceAndTheBuiltInTableServes) {
    for (const Row& row : rows()) {
        QElapsedTimer clock;
        clock.start();
        CountryFileProblem problem = CountryFileProblem::None;
        EXPECT_FALSE(read_country_file(row.path, &problem)) << row.path.toStdString();
        EXPECT_EQ(problem, row.problem) << row.path.toStdString();
        bool from_file = true;
        EXPECT_EQ(load_countries(row.path, &from_file).countryCount(), built_in_count());
        EXPECT_FALSE(from_file) << row.path.toStdString();
        EXPECT_LT(clock.elapsed(), 2000) << row.path.toStdString();
    }
    // A sound file at the limit is still read.
    QFile file(huge);
    ASSERT_TRUE(file.resize(kLargestCountryFile));
    EXPECT_TRUE(read_country_file(huge));
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
