#include "udp_rotor/udp_rotor_setting.h"

#include "setup/qstring_printer.h"

#include <gtest/gtest.h>

namespace kestrav {
namespace {

// Rows as the dialog writes them read back unchanged; anything else is no row of the setting.
TEST(UdpRotorSetting, RowsReadBackAndMalformedOnesAreRefused) {
    const struct {
        const char* row; // the value after the key
        bool n1mm;
        bool readable;
        bool on;
    } rows[] = {
        {"127.0.0.1,12000", false, true, true},
        {"0.0.0.0,12000,OFF", false, true, false},
        {"::1,12000,ON", false, true, true},
        {"127.0.0.1,12040,Kestrav,127.0.0.1,13010", true, true, true},
        {"192.168.1.5,12040,Mast 2 (40 m),192.168.1.9,13010,OFF", true, true, false},
        {"localhost,12000", false, false, false},
        {"127.0.0.1,0", false, false, false},
        {"127.0.0.1,65536", false, false, false},
        {"127.0.0.1,12000,on", false, false, false},
        {"127.0.0.1,12000,OFF,x", false, false, false},
        {" 127.0.0.1,12000", false, false, false},
        {"127.0.0.1", false, false, false},
        {"127.0.0.1,12040,,127.0.0.1,13010", true, false, false},
        {"127.0.0.1,12040, Kestrav,127.0.0.1,13010", true, false, false},
        {"127.0.0.1,12040,Kestrav,127.0.0.1", true, false, false},
        {"127.0.0.1,12040,Kestrav,here,13010", true, false, false},
        {"127.0.0.1,12040,Kes\ttrav,127.0.0.1,13010", true, false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.row);
        const QString value = QString::fromUtf8(row.row);
        if (row.n1mm) {
            const std::optional<N1mmSetting> s = read_n1mm_setting(value);
            ASSERT_EQ(s.has_value(), row.readable);
            if (s) {
                EXPECT_EQ(s->on, row.on);
                EXPECT_EQ(n1mm_setting_line(*s),
                          "N1MM=" + value.section(u',', 0, 4) + (row.on ? "" : ",OFF"));
            }
        } else {
            const std::optional<PstSetting> s = read_pst_setting(value);
            ASSERT_EQ(s.has_value(), row.readable);
            if (s) {
                EXPECT_EQ(s->on, row.on);
                EXPECT_EQ(pst_setting_line(*s),
                          "PSTROTATOR=" + value.section(u',', 0, 1) + (row.on ? "" : ",OFF"));
            }
        }
    }
    EXPECT_EQ(read_n1mm_setting(u"127.0.0.1,12040,Kestrav,127.0.0.1,13010")->rotor,
              QStringLiteral("Kestrav"));
    EXPECT_FALSE(n1mm_rotor_name_fits(QString(65, u'x')));
}

} // namespace
} // namespace kestrav
