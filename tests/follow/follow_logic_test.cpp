#include "follow/follow_logic.h"

#include "follow/follow_setting.h"

#include "setup/qstring_printer.h"

#include <gtest/gtest.h>

namespace kestrav {
namespace {

WsjtxMessage status(const QString& call, const QString& grid, const QString& id = "WSJT-X") {
    WsjtxMessage m;
    m.type = WsjtxType::Status;
    m.id = id;
    m.dx_call = call;
    m.dx_grid = grid;
    return m;
}

const CountryTable& countries() {
    static const CountryTable t = CountryTable::from_country_file(
        u"Australia: 30: 55: OC: -23.70: -132.33: -10.0: VK:\n VK;\n"
        u"Spain: 14: 37: EU: 40.37: 4.88: -1.0: EA:\n EA;\n");
    return t;
}

TEST(GridTarget, SquaresAndSubsquares) {
    const struct {
        const char* grid;
        double latitude, longitude;
    } rows[] = {{"JN18", 48.5, 3.0},
                {"QF56", -33.5, 151.0},
                {"jn18eu", 48.854, 2.375},
                {"AA00", -89.5, -179.0},
                {"RR99", 89.5, 179.0}};
    for (const auto& row : rows) {
        const std::optional<DxTarget> t = grid_target(QString::fromLatin1(row.grid));
        ASSERT_TRUE(t) << row.grid;
        EXPECT_NEAR(t->latitude, row.latitude, 0.01) << row.grid;
        EXPECT_NEAR(t->longitude, row.longitude, 0.01) << row.grid;
    }
    for (const char* bad : {"", "JN1", "JN18E", "SN18", "JNA8", "JN18YY", "JN18eu1"})
        EXPECT_FALSE(grid_target(QString::fromLatin1(bad))) << bad;
}

TEST(FollowLogic, GridAtOnceAndOnlyOnChange) {
    FollowLogic f(countries());
    const auto t = f.receive(status("VK2ABC", "QF56"), 0);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->label, "VK2ABC  QF56");
    // The same call and grid again (a frequency change, say) sets nothing.
    EXPECT_FALSE(f.receive(status("VK2ABC", "QF56"), 10));
    EXPECT_TRUE(f.receive(status("VK2ABC", "QF55"), 20));
    EXPECT_FALSE(f.deadline());
}

TEST(FollowLogic, CallSettlesBeforeItsCountryIsUsed) {
    FollowLogic f(countries());
    qint64 now = 0;
    for (const char* typed : {"E", "EA", "EA4", "EA4X", "EA4XY"}) {
        EXPECT_FALSE(f.receive(status(typed, ""), now)) << typed;
        now += 200;
        EXPECT_FALSE(f.settle(now)) << typed; // never while still being typed
    }
    ASSERT_TRUE(f.deadline());
    EXPECT_EQ(*f.deadline(), now - 200 + kCallSettleMs);
    EXPECT_FALSE(f.settle(*f.deadline() - 1));
    const auto t = f.settle(*f.deadline());
    ASSERT_TRUE(t);
    EXPECT_EQ(t->label, "EA4XY  Spain");
    EXPECT_NEAR(t->longitude, -4.88, 1e-9);
    EXPECT_FALSE(f.deadline());
    // An incomplete call, or one without a country, never sets anything.
    f.receive(status("EA", ""), now);
    EXPECT_FALSE(f.deadline());
    f.receive(status("ZZ1ZZ", ""), now);
    EXPECT_FALSE(f.settle(now + kCallSettleMs));
}

TEST(FollowLogic, GridArrivingCancelsTheWaitingCall) {
    FollowLogic f(countries());
    f.receive(status("VK2ABC", ""), 0);
    EXPECT_TRUE(f.receive(status("VK2ABC", "QF56"), 100));
    EXPECT_FALSE(f.settle(kCallSettleMs + 100));
}

TEST(FollowLogic, InstancesAreKeptApartAndCloseForgetsOne) {
    FollowLogic f(countries());
    EXPECT_TRUE(f.receive(status("VK2ABC", "QF56", "A"), 0));
    EXPECT_TRUE(f.receive(status("EA4XY", "IN80", "B"), 10));
    // A's unchanged repeat does not take the antenna back from B.
    EXPECT_FALSE(f.receive(status("VK2ABC", "QF56", "A"), 20));
    f.receive(status("EA4XY", "", "B"), 30);
    // Another instance's unchanged Status does not stop B's call settling; B closing does.
    EXPECT_FALSE(f.receive(status("VK2ABC", "QF56", "A"), 40));
    EXPECT_TRUE(f.deadline());
    WsjtxMessage close;
    close.type = WsjtxType::Close;
    close.id = "B";
    f.receive(close, 50);
    EXPECT_FALSE(f.deadline());
    // After a Close the instance starts afresh: its first Status counts again.
    EXPECT_TRUE(f.receive(status("EA4XY", "IN80", "B"), 60));
}

// A flood of Status messages under distinct long ids, each with a long call and grid: what
// is kept stays bounded, the least recently heard instance is forgotten first, an instance
// heard all along is kept, and the newest one still works and is let go by its Close.
TEST(FollowLogic, FloodOfInstancesStaysBounded) {
    FollowLogic f(countries());
    EXPECT_TRUE(f.receive(status("VK2ABC", "QF56", "heard all along"), 0));
    EXPECT_TRUE(f.receive(status("EA4XY", "IN80", "heard once"), 0));
    const QString filler(16000, u'x');
    const qsizetype bound = (kInstancesKept + 1) * (kLongestInstanceId + 2 * kLongestDxField);
    QString newest;
    for (int i = 0; i < 10000; ++i) {
        newest = QString::number(i) + u' ' + filler; // distinct within the part kept
        f.receive(status(filler, filler, newest), i);
        if (i % 8 == 0)
            f.receive(status("VK2ABC", "QF56", "heard all along"), i);
        ASSERT_LE(f.instanceCount(), kInstancesKept) << i;
        ASSERT_LE(f.keptCharacters(), bound) << i;
    }
    EXPECT_EQ(f.instanceCount(), kInstancesKept);
    // Still remembered: its unchanged Status sets nothing; the forgotten one counts afresh.
    EXPECT_FALSE(f.receive(status("VK2ABC", "QF56", "heard all along"), 10000));
    EXPECT_TRUE(f.receive(status("EA4XY", "IN80", "heard once"), 10000));
    // The newest instance follows its own changes, and its Close gives its place back.
    EXPECT_TRUE(f.receive(status("VK2ABC", "QF55", newest), 10001));
    EXPECT_FALSE(f.receive(status("VK2ABC", "QF55", newest), 10002));
    f.receive(status("EA4XY", "", newest), 10003);
    EXPECT_TRUE(f.deadline());
    WsjtxMessage close;
    close.type = WsjtxType::Close;
    close.id = newest;
    const qsizetype before = f.instanceCount();
    f.receive(close, 10004);
    EXPECT_EQ(f.instanceCount(), before - 1);
    EXPECT_FALSE(f.deadline());
    // Ids alike in their kept part are one instance.
    const QString a = QString(kLongestInstanceId, u'a');
    EXPECT_TRUE(f.receive(status("VK2ABC", "QF56", a + "1"), 10005));
    EXPECT_FALSE(f.receive(status("VK2ABC", "QF56", a + "2"), 10006));
}

TEST(FollowSetting, RowBothWays) {
    const auto s = read_follow_setting(u"ON,239.255.0.1,2238");
    ASSERT_TRUE(s);
    EXPECT_TRUE(s->used && s->on);
    EXPECT_EQ(follow_setting_line(*s), "WSJTX=ON,239.255.0.1,2238");
    // Every interface is an address like any other, so the row keeps its form.
    for (const char16_t* row : {u"OFF,::1,2237", u"ON,0.0.0.0,2237", u"ON,::,2237"})
        EXPECT_EQ(follow_setting_line(*read_follow_setting(row)),
                  QStringLiteral("WSJTX=") + QString::fromUtf16(row));
    // A chosen country file is the rest of the row, commas and all.
    const auto chosen = read_follow_setting(u"OFF,127.0.0.1,2237,/home/f5,x/cty.dat");
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->country_file, "/home/f5,x/cty.dat");
    EXPECT_EQ(follow_setting_line(*chosen), "WSJTX=OFF,127.0.0.1,2237,/home/f5,x/cty.dat");
    for (const char16_t* bad : {u"", u"on,127.0.0.1,2237", u"ON,localhost,2237", u"ON,127.0.0.1,0",
                                u"ON,127.0.0.1,65536", u"ON,127.0.0.1", u"ON,127.0.0.1,22,1",
                                u"ON,127.0.0.1,2237,cty.dat", u"ON,127.0.0.1,x,/cty.dat"})
        EXPECT_FALSE(read_follow_setting(bad)) << QString::fromUtf16(bad).toStdString();
}

} // namespace
} // namespace kestrav
