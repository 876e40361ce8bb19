#include "follow/wsjtx_message.h"

#include "setup/qstring_printer.h"
#include <QtEndian>

#include <gtest/gtest.h>

namespace kestrav {
namespace {

QByteArray u32(quint32 v) {
    QByteArray b(4, '\0');
    qToBigEndian(v, b.data());
    return b;
}
QByteArray text(const QByteArray& t) {
    return u32(static_cast<quint32>(t.size())) + t;
}
QByteArray header(quint32 type, const QByteArray& id = "WSJT-X", quint32 schema = 3) {
    return u32(kWsjtxMagic) + u32(schema) + u32(type) + text(id);
}

TEST(WsjtxMessage, StatusOfBothSchemasGivesCallAndGrid) {
    for (quint32 schema : {2u, 3u}) {
        const auto m = parse_wsjtx_datagram(build_wsjtx_status("WSJT-X", "VK2ABC", "QF56", schema));
        ASSERT_TRUE(m) << schema;
        EXPECT_EQ(m->type, WsjtxType::Status);
        EXPECT_EQ(m->schema, schema);
        EXPECT_EQ(m->id, "WSJT-X");
        EXPECT_EQ(m->dx_call, "VK2ABC");
        EXPECT_EQ(m->dx_grid, "QF56");
    }
}

TEST(WsjtxMessage, OtherMessages) {
    const auto beat = parse_wsjtx_datagram(header(0) + u32(3) + text("2.6.1") + text("x"));
    ASSERT_TRUE(beat);
    EXPECT_EQ(beat->type, WsjtxType::Heartbeat);
    EXPECT_EQ(beat->max_schema, 3u);
    const auto close = parse_wsjtx_datagram(header(6, "JTDX"));
    ASSERT_TRUE(close);
    EXPECT_EQ(close->type, WsjtxType::Close);
    EXPECT_EQ(close->id, "JTDX");
    // QSO Logged: date and time off with an offset from UTC (kind 2), then call and grid.
    const QByteArray when = QByteArray(8, '\1') + u32(1000) + QByteArray(1, '\2') + u32(3600);
    const auto logged =
        parse_wsjtx_datagram(header(5) + when + text("EA8/DL1ABC") + text("IL18") + u32(0));
    ASSERT_TRUE(logged);
    EXPECT_EQ(logged->dx_call, "EA8/DL1ABC");
    EXPECT_EQ(logged->dx_grid, "IL18");
}

TEST(WsjtxMessage, NullTextsAndOldShortStatus) {
    const QByteArray status = build_wsjtx_status("WSJT-X", QString(), QString());
    const auto m = parse_wsjtx_datagram(status);
    ASSERT_TRUE(m);
    EXPECT_TRUE(m->dx_call.isNull());
    // A Status ending right after the report, as early senders wrote it.
    const QByteArray old =
        header(1) + QByteArray(8, '\0') + text("JT65") + text("K1JT") + text("-12");
    const auto o = parse_wsjtx_datagram(old);
    ASSERT_TRUE(o);
    EXPECT_EQ(o->dx_call, "K1JT");
    EXPECT_TRUE(o->dx_grid.isEmpty());
}

TEST(WsjtxMessage, RefusedDatagrams) {
    const QByteArray good = build_wsjtx_status("WSJT-X", "K1JT", "FN20");
    QByteArray bad_magic = good;
    bad_magic[0] = 0;
    QByteArray oversized = good + QByteArray(kWsjtxLargestDatagram, 'x');
    QByteArray long_length = header(1) + QByteArray(8, '\0') + u32(0x7ffffff0) + "FT8";
    const struct {
        const char* name;
        QByteArray datagram;
    } rows[] = {
        {"empty", {}},
        {"magic", bad_magic},
        {"schema 1", header(1, "WSJT-X", 1) + good.sliced(22)},
        {"schema 4", header(1, "WSJT-X", 4) + good.sliced(22)},
        {"decode type", header(2) + good.sliced(22)},
        {"unknown type", header(99) + good.sliced(22)},
        {"id cut", header(6).chopped(2)},
        {"cut in the DX call", good.first(22 + 8 + 7 + 6)},
        {"cut in the DX grid", good.first(good.indexOf("FN2") + 2)},
        {"length past the end", long_length},
        {"oversized", oversized},
        {"logged QSO in a named time zone",
         header(5) + QByteArray(12, '\0') + QByteArray(1, '\3') + text("K1JT") + text("FN20")},
    };
    for (const auto& row : rows)
        EXPECT_FALSE(parse_wsjtx_datagram(row.datagram)) << row.name;
    // Fields after the DX grid may be anything, or missing.
    EXPECT_TRUE(parse_wsjtx_datagram(good.first(good.indexOf("FN20") + 4)));
    EXPECT_TRUE(parse_wsjtx_datagram(good + "later fields"));
}

} // namespace
} // namespace kestrav
