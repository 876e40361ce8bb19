#include "setup/serve_address.h"

#include <QRegularExpression>

namespace kestrav {

ServeReach serve_reach(const QHostAddress& bound) {
    bool mapped = false; // an IPv4 address written as IPv6 ("::ffff:127.0.0.1")
    const quint32 ipv4 = bound.toIPv4Address(&mapped);
    const QHostAddress address =
        mapped && bound.protocol() == QAbstractSocket::IPv6Protocol ? QHostAddress(ipv4) : bound;
    if (address.isLoopback())
        return ServeReach::ThisComputer;
    if (address == QHostAddress(QHostAddress::AnyIPv4) ||
        address == QHostAddress(QHostAddress::AnyIPv6))
        return ServeReach::Everywhere;
    return ServeReach::OneAddress;
}

std::optional<QHostAddress> serve_literal_address(const QString& text) {
    QHostAddress address;
    // QHostAddress also takes a few forms no one writes for an address ("1", "1.2"): only the
    // dotted quad and IPv6 texts count.
    static const QRegularExpression quad(QStringLiteral("^\\d{1,3}(\\.\\d{1,3}){3}$"));
    const bool ipv6 = text.contains(u':');
    if ((!ipv6 && !quad.match(text).hasMatch()) || !address.setAddress(text))
        return std::nullopt;
    return address;
}

bool is_host_name(const QString& text) {
    static const QRegularExpression label(
        QStringLiteral("^[A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?$"));
    if (text.isEmpty() || text.size() > 253)
        return false;
    const QStringList labels = text.split(u'.');
    for (const QString& part : labels) {
        if (!label.match(part).hasMatch())
            return false;
    }
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    return !digits.match(labels.last()).hasMatch();
}

QHostAddress serve_address_of(const QList<QHostAddress>& found) {
    for (const QHostAddress& address : found) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol)
            return address;
    }
    return found.isEmpty() ? QHostAddress() : found.first();
}

} // namespace kestrav
