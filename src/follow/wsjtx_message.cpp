#include "follow/wsjtx_message.h"

#include <QtEndian>

namespace kestrav {

namespace {

constexpr quint32 kNullText = 0xffffffff;

// Reads fields front to back; the first read past the end marks the whole datagram bad.
class FieldReader {
public:
    explicit FieldReader(QByteArrayView data) : data_(data) {}

    bool bad() const { return bad_; }
    bool atEnd() const { return at_ == data_.size(); }

    quint32 u32() {
        if (!take(4))
            return 0;
        return qFromBigEndian<quint32>(data_.data() + at_ - 4);
    }
    void skip(qsizetype bytes) { take(bytes); }
    QString text() {
        const quint32 size = u32();
        if (bad_ || size == kNullText)
            return {};
        if (size > static_cast<quint64>(data_.size() - at_)) {
            bad_ = true;
            return {};
        }
        const QString value = QString::fromUtf8(data_.sliced(at_, size));
        at_ += size;
        return value;
    }
    // A Qt 5.2/5.4 date and time: Julian day, milliseconds, the kind of time (0 local, 1 UTC,
    // 2 an offset from UTC, 3 a named time zone), and the offset only for kind 2. A named time
    // zone, which WSJT-X never writes, is refused.
    void skipDateTime() {
        skip(8 + 4);
        if (!take(1))
            return;
        const auto kind = static_cast<quint8>(data_[at_ - 1]);
        if (kind == 2)
            skip(4);
        else if (kind > 2)
            bad_ = true;
    }

private:
    bool take(qsizetype bytes) {
        if (bad_ || data_.size() - at_ < bytes) {
            bad_ = true;
            return false;
        }
        at_ += bytes;
        return true;
    }

    QByteArrayView data_;
    qsizetype at_ = 0;
    bool bad_ = false;
};

void read_status(FieldReader& in, WsjtxMessage& m) {
    in.skip(8); // dial frequency
    in.text();  // mode
    m.dx_call = in.text();
    // Report, Tx mode, Tx enabled, transmitting, decoding, Rx DF, Tx DF, DE call, DE grid:
    // each may be where an old sender's Status ends.
    const auto more = [&in] { return !in.bad() && !in.atEnd(); };
    for (int i = 0; i < 2 && more(); ++i)
        in.text();
    for (int i = 0; i < 3 && more(); ++i)
        in.skip(1);
    for (int i = 0; i < 2 && more(); ++i)
        in.skip(4);
    for (int i = 0; i < 2 && more(); ++i)
        in.text();
    if (more())
        m.dx_grid = in.text();
}

void append_u32(QByteArray& out, quint32 value) {
    char bytes[4];
    qToBigEndian(value, bytes);
    out.append(bytes, 4);
}

void append_text(QByteArray& out, const QString& text) {
    if (text.isNull()) {
        append_u32(out, kNullText);
        return;
    }
    const QByteArray utf8 = text.toUtf8();
    append_u32(out, static_cast<quint32>(utf8.size()));
    out.append(utf8);
}

} // namespace

std::optional<WsjtxMessage> parse_wsjtx_datagram(QByteArrayView datagram) {
    if (datagram.size() > kWsjtxLargestDatagram)
        return std::nullopt;
    FieldReader in(datagram);
    if (in.u32() != kWsjtxMagic)
        return std::nullopt;
    WsjtxMessage m;
    m.schema = in.u32();
    if (m.schema != 2 && m.schema != 3)
        return std::nullopt;
    const quint32 type = in.u32();
    m.id = in.text();
    if (in.bad())
        return std::nullopt;
    switch (type) {
    case static_cast<quint32>(WsjtxType::Heartbeat):
        if (!in.atEnd())
            m.max_schema = in.u32();
        break;
    case static_cast<quint32>(WsjtxType::Status):
        read_status(in, m);
        break;
    case static_cast<quint32>(WsjtxType::QsoLogged):
        in.skipDateTime();
        m.dx_call = in.text();
        m.dx_grid = in.text();
        break;
    case static_cast<quint32>(WsjtxType::Close):
        break;
    default:
        return std::nullopt;
    }
    if (in.bad())
        return std::nullopt;
    m.type = static_cast<WsjtxType>(type);
    return m;
}

QByteArray build_wsjtx_status(const QString& id, const QString& dx_call, const QString& dx_grid,
                              quint32 schema) {
    QByteArray out;
    append_u32(out, kWsjtxMagic);
    append_u32(out, schema);
    append_u32(out, static_cast<quint32>(WsjtxType::Status));
    append_text(out, id);
    out.append(QByteArray::fromHex("0000000000d6c090")); // 14.074 MHz
    append_text(out, QStringLiteral("FT8"));
    append_text(out, dx_call);
    append_text(out, QStringLiteral("-10"));
    append_text(out, QStringLiteral("FT8"));
    out.append(QByteArray::fromHex("000000")); // Tx enabled, transmitting, decoding
    append_u32(out, 1500);                     // Rx DF
    append_u32(out, 1500);                     // Tx DF
    append_text(out, QStringLiteral("F4XYZ"));
    append_text(out, QStringLiteral("JN18"));
    append_text(out, dx_grid);
    out.append('\0'); // Tx watchdog
    append_text(out, QString());
    out.append('\0'); // fast mode
    out.append('\0'); // special operation
    append_u32(out, 0xffffffff);
    append_u32(out, 15);
    append_text(out, QStringLiteral("Default"));
    append_text(out, QString(""));
    return out;
}

} // namespace kestrav
