// The rotctld protocol Kestrav answers, against a recording rotator: every command in both
// name forms, plain and extended answers, bad numbers, and numbers under a decimal-comma locale.

#include "rotor/rotctld_protocol.h"

#include <QLocale>
#include <gtest/gtest.h>

#include <clocale>
#include <vector>

using namespace kestrav;

namespace {

class RecordingRotator final : public RotorService {
public:
    Outcome go_to(double azimuth) override {
        sent.push_back(azimuth);
        return go_outcome;
    }
    Outcome go_to_both(double azimuth, double elevation) override {
        elevations.push_back(elevation);
        return go_to(azimuth);
    }
    void stop() override { ++stops; }
    Outcome park() override {
        ++parks;
        return parking ? Outcome::Done : Outcome::Unavailable;
    }
    double position() override { return heading; }
    double elevation() override { return limits.az_el ? 12.5 : 0; }
    Range range() const override { return limits; }
    QString info() const override { return QStringLiteral("Kestrav"); }

    Outcome go_outcome = Outcome::Done;
    bool parking = true;
    double heading = 45;
    std::vector<double> sent;
    std::vector<double> elevations;
    Range limits{0, 360};
    int stops = 0;
    int parks = 0;
};

std::string answer(RecordingRotator& rotator, const char* line) {
    return rotctld_answer(QByteArrayView(line), rotator).text.toStdString();
}

const char kDumpState[] = "1\n2\nmin_az=0.000000\nmax_az=360.000000\nmin_el=0.000000\n"
                          "max_el=90.000000\nsouth_zero=0\nrot_type=Az\ndone\n";

struct Case {
    const char* line;
    const char* expected;
    std::vector<double> sent;
};

} // namespace

TEST(RotctldProtocol, AnswersEveryCommandInBothForms) {
    const Case cases[] = {
        {"P 123 0", "RPRT 0\n", {123}},
        {"\\set_pos 123.5 10", "RPRT 0\n", {123.5}},
        {"P 1e2 0\r", "RPRT 0\n", {100}},
        {"P  7\t 8", "RPRT 0\n", {7}},
        {"P 0 0", "RPRT 0\n", {0}},
        {"P 360 0", "RPRT 0\n", {360}},
        {"+P 12.5 3", "set_pos: 12.5 3\nRPRT 0\n", {12.5}},
        {";\\set_pos 3 4", "set_pos: 3 4;RPRT 0\n", {3}},
        {"p", "45.00\n0.00\n", {}},
        {"\\get_pos", "45.00\n0.00\n", {}},
        {"+p", "get_pos:\nAzimuth: 45.00\nElevation: 0.00\nRPRT 0\n", {}},
        {"|p", "get_pos:|Azimuth: 45.00|Elevation: 0.00|RPRT 0\n", {}},
        {",\\get_pos", "get_pos:,Azimuth: 45.00,Elevation: 0.00,RPRT 0\n", {}},
        {"+ p", "get_pos:\nAzimuth: 45.00\nElevation: 0.00\nRPRT 0\n", {}},
        {"S", "RPRT 0\n", {}},
        {"+\\stop", "stop:\nRPRT 0\n", {}},
        {"K", "RPRT 0\n", {}},
        {"+\\park", "park:\nRPRT 0\n", {}},
        {"_", "Kestrav\n", {}},
        {"+\\get_info", "get_info:\nInfo: Kestrav\nRPRT 0\n", {}},
        {"\\dump_state", kDumpState, {}},
        {"+\\dump_state",
         "dump_state:\nrotctld Protocol Ver: 1\nRotor Model: 2\nMinimum Azimuth: 0.000000\n"
         "Maximum Azimuth: 360.000000\nMinimum Elevation: 0.000000\nMaximum Elevation: "
         "90.000000\nSouth Zero: 0\nrot_type=Az\ndone\nRPRT 0\n",
         {}},
        {"p P 90 0 S", "45.00\n0.00\nRPRT 0\nRPRT 0\n", {90}},
        {"R 1", "RPRT -4\n", {}},
        {"+M 2 5", "move: 2 5\nRPRT -4\n", {}},
        {"", "", {}},
        // Bad numbers, missing arguments, azimuths outside the range: refused, nothing sent.
        {"P abc 0", "RPRT -1\n", {}},
        {"P 1,5 0", "RPRT -1\n", {}},
        {"P nan 0", "RPRT -1\n", {}},
        {"P inf 0", "RPRT -1\n", {}},
        {"P 0x10 0", "RPRT -1\n", {}},
        {"P 12 x", "RPRT -1\n", {}},
        {"P 12", "RPRT -1\n", {}},
        {"+P 12", "set_pos: 12\nRPRT -1\n", {}},
        // Elevations outside the 0 to 90 that \dump_state reports, as Hamlib's rotctld.
        {"P 10 -5", "RPRT -1\n", {}},
        {"P 10 91", "RPRT -1\n", {}},
        {"P 10 90.0001", "RPRT -1\n", {}},
        {"+P 10 91", "set_pos: 10 91\nRPRT -1\n", {}},
        {"P 10 0", "RPRT 0\n", {10}},
        {"P 10 90", "RPRT 0\n", {10}},
        {"Z p", "RPRT -1\n", {}},
        {"\\bogus", "RPRT -1\n", {}},
        {"pp", "RPRT -1\n", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        RecordingRotator rotator;
        EXPECT_EQ(answer(rotator, c.line), c.expected);
        EXPECT_EQ(rotator.sent, c.sent);
    }
}

TEST(RotctldProtocol, CountsStopsParksGarbageAndQuit) {
    RecordingRotator rotator;
    answer(rotator, "S \\stop");
    answer(rotator, "K \\park");
    EXPECT_EQ(rotator.stops, 2);
    EXPECT_EQ(rotator.parks, 2);
    EXPECT_TRUE(rotctld_answer("Z", rotator).garbage);
    EXPECT_FALSE(rotctld_answer("P abc 0", rotator).garbage);
    EXPECT_FALSE(rotctld_answer("", rotator).garbage);
    for (const char* quit : {"q", "Q", "+q"}) {
        const RotctldAnswer a = rotctld_answer(QByteArrayView(quit), rotator);
        EXPECT_TRUE(a.close) << quit;
        EXPECT_TRUE(a.text.isEmpty()) << quit;
    }
    const QByteArray caps = rotctld_answer("1", rotator).text;
    EXPECT_TRUE(caps.contains("Max Azimuth:\t\t360.00\n")) << caps.constData();
    EXPECT_TRUE(caps.endsWith("\nRPRT 0\n"));
    EXPECT_EQ(rotctld_answer("\\dump_caps", rotator).text, caps);
}

TEST(RotctldProtocol, RotatorOutcomesBecomeHamlibCodes) {
    using O = RotorService::Outcome;
    const std::pair<O, const char*> outcomes[] = {{O::Done, "RPRT 0\n"},
                                                  {O::Refused, "RPRT -1\n"},
                                                  {O::Failed, "RPRT -6\n"},
                                                  {O::TimedOut, "RPRT -5\n"}};
    for (const auto& [outcome, expected] : outcomes) {
        RecordingRotator rotator;
        rotator.go_outcome = outcome;
        EXPECT_EQ(answer(rotator, "P 10 0"), expected);
    }
    RecordingRotator unparked;
    unparked.parking = false;
    EXPECT_EQ(answer(unparked, "K"), "RPRT -11\n");
    EXPECT_EQ(answer(unparked, "+K"), "park:\nRPRT -11\n");
}

// An azimuth-elevation rotator behind the server: its type and elevations told, P turning both
// within them, p reading both; an azimuth rotator checks the elevation against 0 to 90 and drops
// it, as today.
TEST(RotctldProtocol, AzElRotatorsTellTheirTypeAndTakeTheElevation) {
    RecordingRotator azel;
    azel.limits = {0, 360, true, 0, 180};
    EXPECT_EQ(answer(azel, "\\dump_state"),
              "1\n2\nmin_az=0.000000\nmax_az=360.000000\nmin_el=0.000000\nmax_el=180.000000\n"
              "south_zero=0\nrot_type=AzEl\ndone\n");
    EXPECT_EQ(answer(azel, "p"), "45.00\n12.50\n");
    for (const char* line : {"P 10 -1", "P 10 180.5", "P 10 1e309", "P 10 nan", "P 10 inf"})
        EXPECT_EQ(answer(azel, line), "RPRT -1\n") << line;
    EXPECT_EQ(answer(azel, "P 10 135"), "RPRT 0\n");
    EXPECT_EQ(azel.elevations, std::vector<double>{135});
    RecordingRotator az;
    EXPECT_EQ(answer(az, "P 10 91"), "RPRT -1\n");
    EXPECT_EQ(answer(az, "P 10 45"), "RPRT 0\n");
    EXPECT_TRUE(az.elevations.empty());
    EXPECT_EQ(az.sent, std::vector<double>{10});
}

// A decimal-comma desktop changes neither what is read nor what is written.
TEST(RotctldProtocol, NumbersStayInTheCLocale) {
    const QLocale before;
    const bool c_library_french = std::setlocale(LC_ALL, "fr_FR.UTF-8") != nullptr;
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    RecordingRotator rotator;
    rotator.heading = 123.25;
    EXPECT_EQ(answer(rotator, "P 12.5 0"), "RPRT 0\n");
    EXPECT_EQ(answer(rotator, "P 12,5 0"), "RPRT -1\n");
    EXPECT_EQ(rotator.sent, std::vector<double>{12.5});
    EXPECT_EQ(answer(rotator, "p"), "123.25\n0.00\n");
    EXPECT_EQ(answer(rotator, "\\dump_state").substr(0, 21), "1\n2\nmin_az=0.000000\nm");
    QLocale::setDefault(before);
    std::setlocale(LC_ALL, "C");
    if (!c_library_french)
        GTEST_SKIP() << "fr_FR.UTF-8 is not installed: checked under Qt's French locale only";
}
