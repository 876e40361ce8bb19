#include "udp_rotor/n1mm_datagram.h"

#include "setup/qstring_printer.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kestrav {
namespace {

// The command as one line of text, so that a table row and a failure read alike.
std::string describe(const std::optional<N1mmRotorCommand>& c) {
    if (!c)
        return "none";
    const std::string name = '[' + c->rotor.toStdString() + ']';
    if (std::holds_alternative<n1mm::Stop>(c->action))
        return "Stop " + name;
    const n1mm::Turn& t = std::get<n1mm::Turn>(c->action);
    if (std::signbit(t.azimuth) && t.azimuth == 0)
        return "Turn " + name + " -0";
    return "Turn " + name + ' ' + QByteArray::number(t.azimuth).toStdString() + " offset " +
           QByteArray::number(t.offset).toStdString() + (t.bidirectional ? " both ways" : "");
}

TEST(N1mmDatagram, SendersDatagramsAndHostileOnes) {
    const QByteArray big(kN1mmLargestDatagram - 60, ' ');
    const struct {
        const char* name;
        QByteArray datagram;
        const char* command;
    } rows[] = {
        // N1MM Logger+ as it sends them, compact.
        {"turn",
         "<N1MMRotor><rotor>Tribander</rotor><goazi>55.0</goazi><offset>0.0</offset>"
         "<bidirectional>0</bidirectional><freqband>14</freqband></N1MMRotor>",
         "Turn [Tribander] 55 offset 0"},
        {"stop with rotor",
         "<N1MMRotor><stop><rotor>Tribander</rotor><freqband>14.0</freqband></stop></N1MMRotor>",
         "Stop [Tribander]"},
        {"stop with name", "<N1MMRotor><stop>Tribander</stop></N1MMRotor>", "Stop [Tribander]"},
        // The same laid out over lines, as sconklin/netrotor's README.md quotes N1MM's
        // datagrams (a name with a space, freqband 21.0).
        {"turn over lines",
         "<N1MMRotor>\r\n     <rotor>rotor name</rotor>\r\n     <goazi>55.0</goazi>\r\n"
         "     <offset>0.0</offset>\r\n     <bidirectional>0</bidirectional>\r\n"
         "     <freqband>14</freqband>\r\n</N1MMRotor>\r\n",
         "Turn [rotor name] 55 offset 0"},
        {"stop over lines",
         "<N1MMRotor>\n      <stop>\n            <rotor>YaesuCom9</rotor>\n"
         "            <freqband>21.0</freqband>\n      </stop>\n</N1MMRotor>",
         "Stop [YaesuCom9]"},
        {"header before",
         "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<N1MMRotor><rotor>A</rotor>"
         "<goazi>1</goazi></N1MMRotor>",
         "Turn [A] 1 offset 0"},
        {"both ways, offset, any case",
         "<n1mmrotor><ROTOR> 40m Yagi </ROTOR><GoAzi>350.5</GoAzi><offset>-12.5</offset>"
         "<bidirectional>1</bidirectional></n1mmrotor>",
         "Turn [40m Yagi] 350.5 offset -12.5 both ways"},
        {"every rotor", "<N1MMRotor><rotor>*</rotor><goazi>90</goazi></N1MMRotor>",
         "Turn [*] 90 offset 0"},
        {"utf-8 name", "<N1MMRotor><stop>Mât</stop></N1MMRotor>", "Stop [Mât]"},
        // Numbers at the edges: reported as sent.
        {"minus zero, 360, 720",
         "<N1MMRotor><rotor>A</rotor><goazi>-0</goazi><offset>720</offset></N1MMRotor>",
         "Turn [A] 0 offset 720"},
        {"360", "<N1MMRotor><rotor>A</rotor><goazi>360.0</goazi></N1MMRotor>",
         "Turn [A] 360 offset 0"},
        {"trailing text after number",
         "<N1MMRotor><rotor>A</rotor><goazi>55.0.2</goazi></N1MMRotor>", "Turn [A] 55 offset 0"},
        // Malformed.
        {"overflow", "<N1MMRotor><rotor>A</rotor><goazi>1e309</goazi></N1MMRotor>", "none"},
        {"nan", "<N1MMRotor><rotor>A</rotor><goazi>nan</goazi></N1MMRotor>", "none"},
        {"inf offset",
         "<N1MMRotor><rotor>A</rotor><goazi>1</goazi><offset>inf</offset></N1MMRotor>", "none"},
        {"bidirectional 2",
         "<N1MMRotor><rotor>A</rotor><goazi>1</goazi><bidirectional>2</bidirectional></N1MMRotor>",
         "none"},
        {"no goazi", "<N1MMRotor><rotor>A</rotor></N1MMRotor>", "none"},
        {"no rotor", "<N1MMRotor><goazi>1</goazi></N1MMRotor>", "none"},
        {"empty name", "<N1MMRotor><rotor> </rotor><goazi>1</goazi></N1MMRotor>", "none"},
        {"empty stop", "<N1MMRotor><stop></stop></N1MMRotor>", "none"},
        {"stop without rotor tag", "<N1MMRotor><stop><freqband>14</freqband></stop></N1MMRotor>",
         "none"},
        {"long name",
         "<N1MMRotor><stop>" + QByteArray(kN1mmLongestName + 1, 'n') + "</stop></N1MMRotor>",
         "none"},
        {"stray byte in name", "<N1MMRotor><stop>A\xc3</stop></N1MMRotor>", "none"},
        {"control character",
         "<N1MMRotor><stop>A\x01"
         "B</stop></N1MMRotor>",
         "none"},
        {"unterminated root", "<N1MMRotor><rotor>A</rotor><goazi>1</goazi>", "none"},
        {"unterminated goazi", "<N1MMRotor><rotor>A</rotor><goazi>1</N1MMRotor>", "none"},
        {"unterminated stop", "<N1MMRotor><stop>A</N1MMRotor>", "none"},
        {"tags outside the root", "<rotor>A</rotor><goazi>1</goazi><N1MMRotor></N1MMRotor>",
         "none"},
        {"binary, not UTF-8",
         QByteArray::fromRawData("<N1MMRotor>\0\xff<stop>\x80</stop></N1MMRotor>", 39), "none"},
        {"empty", "", "none"},
        // 64 KiB with the command at its end is read; one byte more is refused unread.
        {"64 KiB", big + "<N1MMRotor><stop>A</stop></N1MMRotor>" + QByteArray(23, ' '), "Stop [A]"},
        {"over 64 KiB", big + "<N1MMRotor><stop>A</stop></N1MMRotor>" + QByteArray(24, ' '),
         "none"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(describe(parse_n1mm_rotor_datagram(row.datagram)), row.command) << row.name;
}

TEST(N1mmDatagram, ForUsByNameOrToEveryRotor) {
    const struct {
        const char* rotor;
        const char* ours;
        bool for_us;
    } rows[] = {
        {"Tribander", "Tribander", true},
        {"*", "Tribander", true},
        {"*", "", true},
        {"tribander", "Tribander", false},
        {"Tribander ", "Tribander", false},
        {"Other", "Tribander", false},
        {"", "", false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(n1mm_is_for_us(QString::fromUtf8(row.rotor), QString::fromUtf8(row.ours)),
                  row.for_us)
            << row.rotor << " / " << row.ours;
}

TEST(N1mmDatagram, ReportInTenthsWithoutLeadingZeros) {
    const struct {
        double heading;
        const char* report;
    } rows[] = {
        {36, "Rotor 1 @ 360"},    {146, "Rotor 1 @ 1460"}, {356, "Rotor 1 @ 3560"},
        {0, "Rotor 1 @ 0"},       {-0.0, "Rotor 1 @ 0"},   {5.04, "Rotor 1 @ 50"},
        {12.35, "Rotor 1 @ 124"}, {359.96, "Rotor 1 @ 0"}, {360, "Rotor 1 @ 0"},
        {720.5, "Rotor 1 @ 5"},   {-10, "Rotor 1 @ 3500"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(n1mm_report(u"Rotor 1", row.heading), row.report) << row.heading;
    EXPECT_EQ(n1mm_report(u"Mât", 90), "M\xc3\xa2t @ 900");
    for (double bad : {std::nan(""), HUGE_VAL})
        EXPECT_TRUE(n1mm_report(u"Rotor 1", bad).isEmpty());
}

} // namespace
} // namespace kestrav
