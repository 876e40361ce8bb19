#include "udp_rotor/n1mm_datagram.h"

#include "udp_rotor/datagram_text.h"

#include <QStringDecoder>

namespace kestrav {

namespace {

using udp_text::Datagram;

std::optional<QString> rotor_name(QByteArrayView value) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString name = utf8(udp_text::trimmed(value));
    if (utf8.hasError() || name.isEmpty() || name.size() > kN1mmLongestName)
        return std::nullopt;
    for (const QChar c : name)
        if (c.category() == QChar::Other_Control || c == u'<' || c == u'>')
            return std::nullopt;
    return name;
}

} // namespace

std::optional<N1mmRotorCommand> parse_n1mm_rotor_datagram(QByteArrayView datagram) {
    if (datagram.size() > kN1mmLargestDatagram)
        return std::nullopt;
    const Datagram d(datagram);
    const std::optional<udp_text::Element> whole =
        udp_text::find_element(d, "n1mmrotor", 0, datagram.size());
    if (!whole)
        return std::nullopt;
    const qsizetype from = whole->value.data() - datagram.data();
    const qsizetype to = from + whole->value.size();

    if (const std::optional<udp_text::Element> stop = udp_text::find_element(d, "stop", from, to)) {
        const qsizetype stop_from = stop->value.data() - datagram.data();
        const qsizetype stop_to = stop_from + stop->value.size();
        // Either <stop><rotor>NAME</rotor>...</stop> or <stop>NAME</stop>; other tags in a
        // stop without <rotor> make a name with '<', which is refused.
        const std::optional<udp_text::Element> inner =
            udp_text::find_element(d, "rotor", stop_from, stop_to);
        const std::optional<QString> name = rotor_name(inner ? inner->value : stop->value);
        if (!name)
            return std::nullopt;
        return N1mmRotorCommand{*name, n1mm::Stop{}};
    }

    const std::optional<udp_text::Element> rotor = udp_text::find_element(d, "rotor", from, to);
    const std::optional<udp_text::Element> goazi = udp_text::find_element(d, "goazi", from, to);
    if (!rotor || !goazi)
        return std::nullopt;
    const std::optional<QString> name = rotor_name(rotor->value);
    const std::optional<double> azimuth = udp_text::leading_number(goazi->value);
    if (!name || !azimuth)
        return std::nullopt;
    n1mm::Turn turn{*azimuth, 0, false};
    if (const auto offset = udp_text::find_element(d, "offset", from, to)) {
        const std::optional<double> value = udp_text::leading_number(offset->value);
        if (!value)
            return std::nullopt;
        turn.offset = *value;
    }
    if (const auto both = udp_text::find_element(d, "bidirectional", from, to)) {
        const QByteArrayView flag = udp_text::trimmed(both->value);
        if (flag != "0" && flag != "1")
            return std::nullopt;
        turn.bidirectional = flag == "1";
    }
    return N1mmRotorCommand{*name, turn};
}

bool n1mm_is_for_us(QStringView rotor, QStringView ours) {
    if (rotor == QStringView(kN1mmAnyRotor))
        return true;
    return !ours.isEmpty() && rotor == ours;
}

QByteArray n1mm_report(QStringView name, double heading) {
    if (!std::isfinite(heading))
        return {};
    const double wrapped = std::fmod(heading, 360.0);
    const long long tenths = std::llround((wrapped < 0 ? wrapped + 360.0 : wrapped) * 10.0) % 3600;
    return name.toUtf8() + " @ " + QByteArray::number(tenths);
}

} // namespace kestrav
