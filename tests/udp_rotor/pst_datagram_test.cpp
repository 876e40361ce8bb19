#include "udp_rotor/pst_datagram.h"

#include <QString>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

namespace kestrav {
namespace {

// The commands as one line of text, so that a table row and a failure read alike.
std::string describe(const std::vector<PstCommand>& commands) {
    std::string out;
    for (const PstCommand& c : commands) {
        if (!out.empty())
            out += ' ';
        if (const auto* t = std::get_if<pst::Turn>(&c))
            out += "Turn(" +
                   (std::signbit(t->azimuth) && t->azimuth == 0
                        ? std::string("-0")
                        : QByteArray::number(t->azimuth).toStdString()) +
                   ')';
        else if (std::holds_alternative<pst::Stop>(c))
            out += "Stop";
        else if (std::holds_alternative<pst::Park>(c))
            out += "Park";
        else if (const auto* l = std::get_if<pst::Locator>(&c))
            out += "Locator(" + l->text.toStdString() + ')';
        else
            out += "AskAzimuth";
    }
    return out;
}

// A literal with the NUL bytes it holds.
template <std::size_t N> QByteArray bytes(const char (&text)[N]) {
    return QByteArray(text, N - 1);
}

struct Row {
    const char* name;
    QByteArray datagram;
    const char* commands;
};

TEST(PstDatagram, SendersDatagramsAndHostileOnes) {
    const QByteArray junk(kPstLargestDatagram - 25, 'x');
    const Row rows[] = {
        // Hamlib, rotators/pstrotator/rot_pstrotator.c: "%f.2" leaves ".2" after the number,
        // and position requests go as two datagrams.
        {"hamlib azimuth", "<PST><AZIMUTH>123.000000.2</AZIMUTH></PST>", "Turn(123)"},
        {"hamlib elevation", "<PST><ELEVATION>0.000000.2</ELEVATION></PST>", ""},
        {"hamlib ask azimuth", "<PST>AZ?</PST>", "AskAzimuth"},
        {"hamlib ask elevation", "<PST>EL?</PST>", ""},
        {"hamlib park", "<PST><PARK>1</PARK></PST>", "Park"},
        // QLog, rotator/drivers/PSTRotDrv.cpp: one datagram with track, azimuth and elevation
        // ('f', 1 formats), and the same AZ? and EL? requests.
        {"qlog position",
         "<PST><TRACK>0</TRACK><AZIMUTH>123.4</AZIMUTH><ELEVATION>0.0</ELEVATION></PST>",
         "Turn(123.4)"},
        // PstRotator's documented commands: integers, stop, park and the locator.
        {"integer azimuth", "<PST><AZIMUTH>85</AZIMUTH></PST>", "Turn(85)"},
        {"stop", "<PST><STOP>1</STOP></PST>", "Stop"},
        {"locator 6", "<PST><QRA>KN34BJ</QRA></PST>", "Locator(KN34BJ)"},
        {"locator 4 and 8, any case", "<pst><qra>jn18</qra><Qra>jn18eu12</Qra></pst>",
         "Locator(JN18) Locator(JN18EU12)"},
        {"spaces and line ends", " <PST> \r\n <AZIMUTH> 10.5 </AZIMUTH>\r\n</PST>\r\n",
         "Turn(10.5)"},
        {"ask with blanks", "<PST> az? \r</PST>\n", "AskAzimuth"},
        {"several in one", "<PST><STOP>1</STOP></PST><PST>AZ?</PST><PST><AZIMUTH>5</AZIMUTH></PST>",
         "Stop AskAzimuth Turn(5)"},
        {"several in one block", "<PST><QRA>JN18EU</QRA><AZIMUTH>7</AZIMUTH><PARK>1</PARK></PST>",
         "Locator(JN18EU) Turn(7) Park"},
        // Numbers at and past the edges: the range is the rotator's to judge, not the reader's.
        {"minus zero", "<PST><AZIMUTH>-0</AZIMUTH></PST>", "Turn(0)"},
        {"360 and 720", "<PST><AZIMUTH>360</AZIMUTH><AZIMUTH>720</AZIMUTH></PST>",
         "Turn(360) Turn(720)"},
        {"negative", "<PST><AZIMUTH>-90.5</AZIMUTH></PST>", "Turn(-90.5)"},
        {"exponent", "<PST><AZIMUTH>1.2e2</AZIMUTH></PST>", "Turn(120)"},
        {"overflow", "<PST><AZIMUTH>1e309</AZIMUTH></PST>", ""},
        {"nan inf",
         "<PST><AZIMUTH>nan</AZIMUTH><AZIMUTH>inf</AZIMUTH><AZIMUTH>-inf</AZIMUTH></PST>", ""},
        {"no digits", "<PST><AZIMUTH>.</AZIMUTH><AZIMUTH></AZIMUTH><AZIMUTH>-</AZIMUTH></PST>", ""},
        {"long number", "<PST><AZIMUTH>" + QByteArray(80, '1') + "</AZIMUTH></PST>", ""},
        // Malformed: each bad command dropped, the good ones before it kept.
        {"stop other than 1", "<PST><STOP>0</STOP><PARK>yes</PARK></PST>", ""},
        {"bad locators",
         "<PST><QRA>JN18E</QRA><QRA>JZ18</QRA><QRA>JN18EZ</QRA><QRA>JN18EUAB</QRA></PST>", ""},
        {"unterminated element", "<PST><AZIMUTH>12</PST>", ""},
        {"unterminated after a good one", "<PST><STOP>1</STOP><AZIMUTH>12</PST>", "Stop"},
        {"unterminated hides the rest", "<PST><AZIMUTH><STOP>1</STOP></PST>", ""},
        {"unterminated block", "<PST><AZIMUTH>12</AZIMUTH>", ""},
        {"closing before opening", "</PST><AZIMUTH>12</AZIMUTH><PST>", ""},
        {"outside a block", "<AZIMUTH>12</AZIMUTH>AZ?", ""},
        {"nested block", "<PST><PST>AZ?</PST></PST>", ""},
        {"binary",
         bytes("<PST>\0<AZIMUTH>\xff\x01"
               "12</AZIMUTH>\0</PST>"),
         ""},
        {"nul in number",
         bytes("<PST><AZIMUTH>1\0"
               "2</AZIMUTH></PST>"),
         "Turn(1)"},
        {"empty", "", ""},
        // 64 KiB: read through to the end; one byte more is refused unread.
        {"64 KiB", junk + "<PST>AZ?</PST>" + "<PST></PST>", "AskAzimuth"},
        {"over 64 KiB", junk + "<PST>AZ?</PST>" + "<PST></PST>x", ""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(describe(parse_pst_datagram(row.datagram)), row.commands) << row.name;
}

TEST(PstDatagram, WorkIsBounded) {
    // Commands past the limit are dropped, whether in many blocks or in one.
    QByteArray many;
    for (int i = 0; i < 100; ++i)
        many += "<PST><STOP>1</STOP></PST>";
    EXPECT_EQ(parse_pst_datagram(many).size(), static_cast<size_t>(kPstMostCommands));
    QByteArray block = "<PST>";
    while (block.size() < kPstLargestDatagram - 16)
        block += "<STOP>1</STOP>";
    EXPECT_EQ(parse_pst_datagram(block + "</PST>").size(), static_cast<size_t>(kPstMostCommands));
}

TEST(PstDatagram, AnswerReadsBackInTheSendersParsers) {
    const struct {
        double azimuth;
        const char* answer;
    } rows[] = {
        {0, "AZ:0.0\r"},   {123.44, "AZ:123.4\r"}, {123.46, "AZ:123.5\r"}, {359.96, "AZ:0.0\r"},
        {360, "AZ:0.0\r"}, {720.5, "AZ:0.5\r"},    {-90, "AZ:270.0\r"},    {-0.0, "AZ:0.0\r"},
        {1e300, "AZ:"}, // finite but meaningless: still a number within [0, 360)
    };
    for (const auto& row : rows) {
        const QByteArray answer = pst_azimuth_answer(row.azimuth);
        if (row.azimuth < 1e10) {
            EXPECT_EQ(answer, row.answer) << row.azimuth;
        }
        ASSERT_TRUE(answer.startsWith(row.answer)) << row.azimuth;
        // QLog reads mid(3).toDouble(); Hamlib reads sscanf("AZ:%g") after cutting the CR.
        bool ok = false;
        const double qlog = QString::fromLatin1(answer).mid(3).toDouble(&ok);
        EXPECT_TRUE(ok) << row.azimuth;
        float hamlib = -1;
        EXPECT_EQ(std::sscanf(answer.constData(), "AZ:%g", &hamlib), 1) << row.azimuth;
        EXPECT_NEAR(hamlib, qlog, 0.01);
        EXPECT_GE(qlog, 0);
        EXPECT_LT(qlog, 360);
    }
    for (double bad : {std::nan(""), HUGE_VAL, -HUGE_VAL})
        EXPECT_TRUE(pst_azimuth_answer(bad).isEmpty());
}

} // namespace
} // namespace kestrav
