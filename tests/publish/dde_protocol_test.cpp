// One conversation of the publication channel, fed frame by frame with no socket: every
// transaction and its answer byte for byte, the limits, and broken input.

#include "publish/dde_protocol.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <random>

namespace kestrav {
namespace {

// A host holding the item value, recording opens, closes and pokes.
struct Host {
    QByteArrayList value;
    int open = 0;
    int pokes = 0;
    int activations = 0;
    DdeHost make() {
        DdeHost h;
        h.is_window_caption = [](const QString& t) {
            return t == QStringLiteral("Kestrav  V0.6b");
        };
        h.value = [this] { return encode_item_value(value); };
        h.poke = [this](const QByteArrayList& lines) {
            value = lines;
            ++pokes;
        };
        h.data_open = [this] { ++open; };
        h.data_close = [this] { --open; };
        h.activate = [this] { ++activations; };
        return h;
    }
};

// The whole literal, NUL bytes inside it included.
template <std::size_t N> QByteArray B(const char (&text)[N]) {
    return QByteArray(text, N - 1);
}

struct Exchange {
    QByteArray reply;
    bool open;
};

Exchange talk(DdeConversation& c, const QByteArray& bytes) {
    Exchange e;
    e.open = c.receive(bytes, e.reply);
    return e;
}

TEST(DdeConversationTest, TransactionsByteForByte) {
    const struct {
        const char* name;
        QByteArray input;
        QByteArray reply;
        bool open;
        int open_count;
    } rows[] = {
        {"empty value is one NUL", B("CONNECT Data\nREQUEST Azimuth TEXT\n"), B("OK\nDATA 1\n\0"),
         true, 1},
        {"topic in any case, CR LF lines", B("CONNECT dAtA\r\nREQUEST Azimuth TEXT\r\n"),
         B("OK\nDATA 1\n\0"), true, 1},
        {"item with its case only", B("CONNECT Data\nREQUEST azimuth TEXT\n"),
         B("OK\nNOTPROCESSED\n"), true, 1},
        {"other format", B("CONNECT Data\nREQUEST Azimuth BITMAP\nADVISE Azimuth TEXT COLD\n"),
         B("OK\nNOTPROCESSED\nNOTPROCESSED\n"), true, 1},
        {"poke then request", B("CONNECT Data\nPOKE Azimuth TEXT 4\n123\0REQUEST Azimuth TEXT\n"),
         B("OK\nOK\nDATA 6\n123\r\n\0"), true, 1},
        {"execute taken and ignored", B("CONNECT Data\nEXECUTE 5\n[x()]UNADVISE Azimuth TEXT\n"),
         B("OK\nOK\nOK\n"), true, 1},
        {"unknown topic refused", B("CONNECT Other\nREQUEST Azimuth TEXT\n"), B("NO\n"), false, 0},
        {"window caption offers no item",
         B("CONNECT Kestrav  V0.6b\nREQUEST Azimuth TEXT\nEXECUTE 0\n"),
         B("OK\nNOTPROCESSED\nNOTPROCESSED\n"), true, 0},
        {"nothing before CONNECT", B("REQUEST Azimuth TEXT\nCONNECT Data\n"),
         B("NOTPROCESSED\nOK\n"), true, 1},
        {"second CONNECT", B("CONNECT Data\nCONNECT Data\n"), B("OK\nNOTPROCESSED\n"), true, 1},
        {"unknown command", B("CONNECT Data\nHELLO\n\n"), B("OK\nNOTPROCESSED\nNOTPROCESSED\n"),
         true, 1},
        {"disconnect closes", B("CONNECT Data\nDISCONNECT\nREQUEST Azimuth TEXT\n"), B("OK\nOK\n"),
         false, 0},
        {"poke of an unknown item still takes its bytes",
         B("CONNECT Data\nPOKE Other TEXT 2\n12DISCONNECT\n"), B("OK\nNOTPROCESSED\nOK\n"), false,
         0},
        {"malformed count ends it", B("CONNECT Data\nPOKE Azimuth TEXT x\n"), B("OK\n"), false, 0},
        {"payload over the limit ends it", B("CONNECT Data\nEXECUTE 65537\n"), B("OK\n"), false, 0},
        {"activate hands over and ends it", B("ACTIVATE\nCONNECT Data\n"), B("OK\n"), false, 0},
        {"activate only before CONNECT", B("CONNECT Data\nACTIVATE\n"), B("OK\nNOTPROCESSED\n"),
         true, 1},
    };
    for (const auto& row : rows) {
        Host host;
        DdeConversation whole(host.make());
        const Exchange e = talk(whole, row.input);
        EXPECT_EQ(e.reply, row.reply) << row.name;
        EXPECT_EQ(e.open, row.open) << row.name;
        EXPECT_EQ(host.open, row.open_count) << row.name;
        EXPECT_EQ(host.activations, row.input.startsWith("ACTIVATE") ? 1 : 0) << row.name;

        // The same bytes one at a time give the same answers.
        Host host2;
        DdeConversation bytewise(host2.make());
        QByteArray reply;
        for (char byte : row.input)
            bytewise.receive(QByteArray(1, byte), reply);
        EXPECT_EQ(reply, row.reply) << row.name << " (byte by byte)";
    }
}

TEST(DdeConversationTest, LinksAndLimits) {
    Host host;
    host.value = {"360"};
    DdeConversation c(host.make());
    EXPECT_TRUE(talk(c, "CONNECT Data\n").open);
    EXPECT_TRUE(c.notification(encode_item_value(host.value)).isEmpty()) << "no link yet";
    talk(c, "ADVISE Azimuth TEXT HOT\n");
    EXPECT_EQ(c.notification(encode_item_value(host.value)),
              QByteArray("DATA Azimuth 6\n360\r\n\0", 21));
    talk(c, "ADVISE Azimuth TEXT WARM\n");
    EXPECT_EQ(c.notification(encode_item_value(host.value)), QByteArray("CHANGED Azimuth\n"));
    talk(c, "UNADVISE Azimuth TEXT\n");
    EXPECT_TRUE(c.notification(encode_item_value(host.value)).isEmpty());

    // A line may hold 1 KiB with its line end; one byte more ends the conversation, also
    // while the line is still arriving.
    EXPECT_TRUE(talk(c, QByteArray(kDdeLongestLine - 1, 'x') + '\n').open);
    EXPECT_TRUE(talk(c, QByteArray(kDdeLongestLine - 1, 'x')).open);
    EXPECT_FALSE(talk(c, "xx").open);
    EXPECT_EQ(host.open, 0) << "the conversation closed";
    EXPECT_FALSE(talk(c, "CONNECT Data\n").open) << "an ended conversation stays ended";
    const QByteArray largest = QByteArray(kDdeLargestPayload, 'p');
    DdeConversation d(host.make());
    EXPECT_EQ(talk(d, "CONNECT Data\nPOKE Azimuth TEXT 65536\n" + largest).reply, "OK\nOK\n");
}

// A server answers in rounds: one stops once the reply holds the budget, and after a poke, so
// that the poked value is in place before the next transaction is answered.
TEST(DdeConversationTest, RoundsStopAtTheBudgetAndAfterEachPoke) {
    Host host;
    host.value = {QByteArray(100, 'x')};
    DdeConversation c(host.make());
    QByteArray reply;
    EXPECT_TRUE(c.receive_round("CONNECT Data\n" + QByteArray("REQUEST Azimuth TEXT\n").repeated(3),
                                reply, 150));
    EXPECT_EQ(reply.count("DATA 103\n"), 2);
    EXPECT_TRUE(c.hasUnanswered());
    reply.clear();
    EXPECT_TRUE(c.receive_round({}, reply, 150));
    EXPECT_EQ(reply.count("DATA 103\n"), 1);
    EXPECT_FALSE(c.hasUnanswered());

    reply.clear();
    EXPECT_TRUE(c.receive_round("POKE Azimuth TEXT 1\n5REQUEST Azimuth TEXT\n", reply, 1000));
    EXPECT_EQ(reply, "OK\n");
    EXPECT_EQ(host.pokes, 1);
    EXPECT_TRUE(c.hasUnanswered());
    reply.clear();
    EXPECT_TRUE(c.receive_round({}, reply, 1000));
    EXPECT_EQ(reply, B("DATA 4\n5\r\n\0"));
}

TEST(DdeConversationTest, ValueTexts) {
    EXPECT_EQ(encode_item_value({}), QByteArray(1, '\0'));
    EXPECT_EQ(encode_item_value({"1", "2"}), QByteArray("1\r\n2\r\n\0", 7));
    EXPECT_EQ(poked_lines(QByteArray("a\r\nb\nc\rd\0ignored", 16)),
              (QByteArrayList{"a", "b", "c", "d"}));
    EXPECT_EQ(poked_lines("123\r\n"), QByteArrayList{"123"});
    EXPECT_EQ(encode_item_value(poked_lines(QByteArray(kDdeLargestPayload - 1, '\n') + 'a')).size(),
              kDdeLargestValue)
        << "the largest value a poke makes";
    EXPECT_EQ(dde_setup_error_text(EADDRINUSE),
              QStringLiteral(u"Une erreur a \u00e9t\u00e9 renvoy\u00e9e par DDE ($062)"));
    EXPECT_EQ(dde_setup_error_text(ENOMEM),
              QStringLiteral(u"Erreur apparue suite \u00e0 un manque de m\u00e9moire DDE ($0c)"));
    EXPECT_EQ(dde_service_name(QStringLiteral("/opt/x/Kestrav.bin.old")),
              QStringLiteral("kestrav"));
}

// Random bytes never crash a conversation and never make it hold more than one line and
// one payload.
TEST(DdeConversationTest, RandomInput) {
    std::mt19937 random(8080);
    const QByteArray words[] = {
        "CONNECT Data\n",         "POKE Azimuth TEXT 3\n",     "EXECUTE 2\n",
        "REQUEST Azimuth TEXT\n", "ADVISE Azimuth TEXT HOT\n", "\r\n"};
    for (int round = 0; round < 200; ++round) {
        Host host;
        DdeConversation c(host.make());
        QByteArray reply;
        for (int step = 0; step < 50; ++step) {
            QByteArray chunk = words[random() % std::size(words)];
            for (int n = random() % 8; n > 0; --n)
                chunk.insert(random() % (chunk.size() + 1), static_cast<char>(random()));
            if (!c.receive(chunk, reply))
                break;
        }
        EXPECT_GE(host.open, 0);
        EXPECT_LE(host.open, 1);
    }
}

} // namespace
} // namespace kestrav
