#pragma once
// The settings row of following WSJT-X, "WSJTX=ON,127.0.0.1,2237" or "WSJTX=OFF,...":
// whether following is on, and the address and port WSJT-X sends its datagrams to (a
// multicast group is joined), then, once the operator has chosen one, ",/path/cty.dat",
// the country file. The row exists only once following, its address or its country file
// has been used, so a file of someone who never used them stays as it always was.

#include <QString>
#include <QStringView>

#include <optional>

namespace kestrav {

struct FollowSetting {
    bool used = false; // switched on in this run, or the file had the row
    bool on = false;
    QString address = QStringLiteral("127.0.0.1");
    quint16 port = 2237;
    QString country_file; // absolute; empty: the system's country file or the built-in table

    friend bool operator==(const FollowSetting&, const FollowSetting&) = default;
};

// The value after "WSJTX=": ON or OFF, an IPv4 or IPv6 address, a port of 1 to 65535, and
// optionally an absolute path, which may hold commas of its own. Anything else is not a
// row of this kind and is passed over.
std::optional<FollowSetting> read_follow_setting(QStringView value);

// The whole row, "WSJTX=" included.
QString follow_setting_line(const FollowSetting& setting);

} // namespace kestrav
