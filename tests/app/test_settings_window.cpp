// The settings file seen from the running program: read at start with its side effects,
// written at exit.

#include "lists/personal_list.h"
#include "rotor/comm_port_driver.h"
#include "settings/settings_file.h"
#include "setup/languages.h"
#include "support/window_fixture.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QMenu>

#include <sys/stat.h>

namespace kestrav::test {
namespace {

class SettingsWindowTest : public WindowTest {
protected:
    QString ini() const { return dir.path() + QStringLiteral("/Kestrav.ini"); }
    QByteArray written() const {
        QFile f(ini());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void quit() {
        window->close();
        ASSERT_FALSE(window->isVisible());
    }
};

TEST_F(SettingsWindowTest, FirstRunThenExitWritesTheThirtyThreeLines) {
    start();
    quit();
    const QByteArray bytes = written();
    const QList<QByteArray> lines = bytes.split('\n');
    EXPECT_EQ(lines.size(), 34); // 33 lines, each ended by CR LF
    EXPECT_TRUE(bytes.startsWith("[KESTRAV]\r\nLANGUAGE=ENGLISH\r\nQRA_LOCATOR=\r\n"
                                 "LATTITUDE=N0.000\r\nLONGITUDE=E0.000\r\nUNIT=KM\r\nANT=\r\n"));
    EXPECT_TRUE(bytes.contains("CALAZ_POURSAT=0.5138901\r\n"));
    EXPECT_TRUE(bytes.contains("CALAZ_FODTRACK=0.711\r\n"));
    EXPECT_TRUE(bytes.contains("BAUD_GS232=\r\n"));
    EXPECT_TRUE(bytes.endsWith("STEP_EASYCOMM=1\r\nAZIMUT_PARKING=0\r\n"));
    EXPECT_FALSE(bytes.contains("PARKING=POURSAT"));
    // Read-only between runs.
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(ini()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0222, 0u);
}

TEST_F(SettingsWindowTest, EverythingComesBackAtTheNextStart) {
    set_decimal_separator(QLatin1Char(','));
    const QByteArray file =
        "[KESTRAV]\r\nLANGUAGE=FRENCH\r\nQRA_LOCATOR=FE34EM\r\nLATTITUDE=S45.521\r\n"
        "LONGITUDE=W73.625\r\nUNIT=MILE\r\nANT=GS232\r\n[POURSAT]\r\nLPT_POURSAT=2\r\n"
        "STOP_POURSAT=S\r\nSTEP_POURSAT=3\r\nCALAZ_POURSAT=0,6\r\nZERO_POURSAT=-12,5\r\n"
        "[FODTRACK]\r\nLPT_FODTRACK=0\r\nSTOP_FODTRACK=N\r\nSTEP_FODTRACK=1\r\n"
        "CALAZ_FODTRACK=0,711\r\nZERO_FODTRACK=0\r\n[EA4TX]\r\nSTOP_EA4TX=N\r\nSTEP_EA4TX=1\r\n"
        "[GS-232]\r\nPORT_GS232=2\r\nBAUD_GS232=38400\r\nSTOP_GS232=S\r\nSTEP_GS232=0\r\n"
        "[EASYCOMM]\r\nPORT_EASYCOMM=0\r\nBAUD_EASYCOMM=4801\r\nSTOP_EASYCOMM=N\r\n"
        "STEP_EASYCOMM=1\r\nAZIMUT_PARKING=180\r\nPARKING=GS232\r\n";
    // COM2 names a link to nothing, so the parking command at exit touches no real port.
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("ports")));
    ASSERT_TRUE(QFile::link(QStringLiteral("/nonexistent/kestrav-test"),
                            dir.path() + QStringLiteral("/ports/COM2")));
    start(file);
    const StationState& s = window->state();
    EXPECT_TRUE(window->french());
    EXPECT_EQ(ui().MenuQuitter->text(), QStringLiteral("&Quitter"));
    EXPECT_TRUE(window->mile());
    EXPECT_TRUE(ui().MenuMile->isChecked());
    EXPECT_EQ(s.LocalLocator, QStringLiteral("FE34EM"));
    EXPECT_FALSE(s.LocalNorth);
    EXPECT_FALSE(s.LocalEast);
    EXPECT_EQ(s.Gs232Com, 1);
    EXPECT_EQ(ui().CommPortDriverGS->ComPort(), 1);
    EXPECT_EQ(ui().CommPortDriverGS->ComPortSpeed(), br38400); // beyond the dialog's list
    EXPECT_EQ(s.EasyCommBaudText, QStringLiteral("4801"));
    EXPECT_EQ(ui().LabelEtatInterface->text(),
              QStringLiteral(" Ant = GS232 / COM2 / 38400 / Parking=180°"));
    EXPECT_FALSE(window->formInit()->isVisible()); // a local station is known
    quit();
    // Read under the other separator, written back under the system's one.
    QByteArray expected = file;
    expected.replace("S45.521", "S45,521").replace("W73.625", "W73,625");
    EXPECT_EQ(QString::fromLatin1(written()).split(QStringLiteral("\r\n")),
              QString::fromLatin1(expected).split(QStringLiteral("\r\n")));
}

TEST_F(SettingsWindowTest, BadNumberIsReportedAndNothingAfterItIsLost) {
    start("LANGUAGE=FRENCH\r\nCALAZ_POURSAT=abc\r\nQRA_LOCATOR=JN18EU\r\nLATTITUDE=N48.854\r\n"
          "LONGITUDE=E2.375\r\nANT=EASYCOMM\r\nSTEP_EASYCOMM=4\r\n");
    ASSERT_EQ(desktop.boxes.size(), 1u);
    EXPECT_EQ(desktop.boxes[0].icon, BoxIcon::Error);
    EXPECT_TRUE(desktop.boxes[0].text.contains(QStringLiteral("'abc'")));
    const StationState& s = window->state();
    EXPECT_DOUBLE_EQ(s.PourSatCalAz, 0.5138901);
    EXPECT_EQ(s.LocalLocator, QStringLiteral("JN18EU"));
    EXPECT_EQ(s.SelectedInterface, RotorInterface::EasyComm);
    EXPECT_EQ(s.MinSteps[4], 4);
    EXPECT_EQ(ui().ComboBoxListDX->count(), 563); // start-up went on
    EXPECT_TRUE(window->french());
}

// Files far beyond any real one: a settings file over its size bound holding a list over
// its entry bound and a run of bad numbers. Each cut is told once in the file's language,
// bad numbers at most three times, and a huge but finite value survives start and exit.
TEST_F(SettingsWindowTest, OversizedFilesAreCutWithOneMessageEach) {
    const QString list = dir.path() + QStringLiteral("/big.ksv");
    QFile f(list);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray("A\tB\t1N\t1E\n").repeated(kMostListEntries + 1));
    f.close();
    QByteArray settings =
        "LANGUAGE=FRENCH\r\nCALAZ_POURSAT=1.5E+20\r\nPERSO1=" + QFile::encodeName(list) + "\r\n";
    settings += QByteArray("ZERO_POURSAT=x\r\n").repeated(5);
    settings += QByteArray("UNKNOWN=1\r\n").repeated(kLargestSettingsFileBytes / 11);
    start(settings);
    QStringList texts;
    for (const RecordedBox& box : desktop.boxes)
        texts << box.text;
    const QString bad = QStringLiteral("'x' is not a valid floating point value");
    const LanguageTexts& french = language_texts(UiLanguage::French);
    EXPECT_EQ(texts,
              (QStringList{bad, bad, bad, french.list_cut + u'\n' + list, french.settings_cut}));
    EXPECT_EQ(ui().ComboBoxPerso1->count(), kMostListEntries);
    quit();
    EXPECT_TRUE(written().contains("CALAZ_POURSAT=1.5E+20\r\n"));
}

TEST_F(SettingsWindowTest, UnreadableLatitudeBeepsAndOpensTheDialog) {
    start("QRA_LOCATOR=JN18EU\r\nLATTITUDE=\r\nLONGITUDE=E2.375\r\n");
    EXPECT_EQ(desktop.beeps, 1);
    EXPECT_TRUE(window->state().LocalLocator.isEmpty());
    EXPECT_TRUE(window->formInit()->isVisible());
}

TEST_F(SettingsWindowTest, MissingListIsReportedAndForgotten) {
    start("PERSO2_PATHNAME=" + QFile::encodeName(dir.path()) + "/nowhere.ksv\r\n");
    ASSERT_EQ(desktop.boxes.size(), 1u);
    EXPECT_EQ(desktop.boxes[0].text, QStringLiteral("Can't open file ERR:2"));
    EXPECT_TRUE(window->state().PersoPathNames[1].isEmpty());
    quit();
    EXPECT_FALSE(written().contains("PERSO"));
}

TEST_F(SettingsWindowTest, SettingsThatCannotBeWrittenLeaveTheOldFile) {
    const QByteArray old = "QRA_LOCATOR=JN18EU\r\nLATTITUDE=N48.854\r\nLONGITUDE=E2.375\r\n";
    start(old);
    // A directory where the temporary file has to go makes the save fail.
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("Kestrav.~in/x")));
    window->MenuFrancaisClick();
    quit();
    ASSERT_EQ(desktop.boxes.size(), 1u);
    EXPECT_EQ(desktop.boxes[0].icon, BoxIcon::Error);
    EXPECT_EQ(desktop.boxes[0].text, QStringLiteral("Ne peut créer Kestrav.ini"));
    EXPECT_EQ(written(), old);
}

TEST_F(SettingsWindowTest, ReadOnlySettingsAndAStaleTemporaryFileDoNotPreventSaving) {
    start("UNIT=MILE\r\n");
    QFile stale(dir.path() + QStringLiteral("/Kestrav.~in"));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    ::chmod(QFile::encodeName(stale.fileName()).constData(), 0444);
    ::chmod(QFile::encodeName(ini()).constData(), 0444);
    window->MenuKmClick();
    quit();
    EXPECT_TRUE(desktop.boxes.empty());
    EXPECT_TRUE(written().contains("UNIT=KM\r\n"));
    EXPECT_FALSE(QFile::exists(stale.fileName()));
}

TEST_F(SettingsWindowTest, HostileSettingsFileDoesNotStopTheStart) {
    QByteArray junk;
    quint32 x = 12345;
    for (int i = 0; i < 200000; ++i) {
        x = x * 1103515245u + 12345u;
        junk.append(static_cast<char>(x >> 24));
    }
    junk.append(char(0)); // a NUL byte, then a good line
    junk.append("\r\nUNIT=MILE\r\n");
    junk.append(QByteArray(100000, 'A'));
    start(junk);
    EXPECT_TRUE(window->mile()); // the good key among the junk is read
    EXPECT_EQ(ui().ComboBoxListDX->count(), 563);
    quit();
    EXPECT_TRUE(written().contains("UNIT=MILE\r\n"));
}

} // namespace
} // namespace kestrav::test
