#pragma once
// Where Kestrav's rotctld server listens, from the address of its settings row
// ("SERVE_ROTCTLD=127.0.0.1,4533"). The row may hold an IPv4 or IPv6 address or a host name;
// a name is looked up and the server listens on one of its addresses, and text that is
// neither is refused rather than taken for "every interface". "This computer only" is a
// loopback address and nothing else: any other binding can be reached from a network, and
// the protocol has no authentication.

#include <QHostAddress>
#include <QList>
#include <QString>

#include <optional>

namespace kestrav {

enum class ServeReach {
    ThisComputer, // a loopback address
    Everywhere,   // the unspecified address: 0.0.0.0 every IPv4 interface, :: every IPv6 one
    OneAddress,   // one address of this computer, reached from its network
};

ServeReach serve_reach(const QHostAddress& bound);

// The row's address read as an address: an IPv4 or IPv6 address in its usual forms; nothing
// for any other text (a name, say).
std::optional<QHostAddress> serve_literal_address(const QString& text);

// Whether the text can be a host name to look up: dot-separated labels of letters, digits and
// inner hyphens, 1 to 63 characters each and 253 in all, the last label not all digits (that
// would be a mistyped IPv4 address, never a name).
bool is_host_name(const QString& text);

// Of the addresses a name was found to have, the one to listen on: the first IPv4 address,
// else the first; a null address when there is none.
QHostAddress serve_address_of(const QList<QHostAddress>& found);

} // namespace kestrav
