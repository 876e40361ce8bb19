#pragma once
// The datagrams WSJT-X (and JTDX, MSHV) send to their "UDP server": a big-endian header
// (magic 0xadbccbda, schema, message type, the sending instance's id) followed by the
// message's fields in the Qt data stream encoding. Text fields are UTF-8 byte arrays with a
// 32-bit length; the length 0xffffffff stands for a null text. Only the messages that tell
// which station is being worked are read; any local process can send to the port, so every
// length is checked against the datagram before it is believed.

#include <QByteArrayView>
#include <QString>

#include <optional>

namespace kestrav {

inline constexpr quint32 kWsjtxMagic = 0xadbccbda;
// Larger datagrams are refused unread: WSJT-X's largest, a logged QSO with its comments,
// stays far below.
inline constexpr qsizetype kWsjtxLargestDatagram = 16384;

enum class WsjtxType : quint32 { Heartbeat = 0, Status = 1, QsoLogged = 5, Close = 6 };

struct WsjtxMessage {
    WsjtxType type = WsjtxType::Heartbeat;
    quint32 schema = 0;
    QString id; // the sending instance ("WSJT-X", or "WSJT-X - rig2" for a second one)
    // Status and QSO Logged: the station being worked. A Status from an old sender that
    // ends before the DX grid field has an empty grid.
    QString dx_call;
    QString dx_grid;
    // Heartbeat: the highest schema the sender speaks (2 when the field is absent).
    quint32 max_schema = 2;
};

// The message a datagram holds, or nothing when it is not one of the four read here: a
// wrong magic, a schema other than 2 or 3, another message type, a field cut short or
// running past the end, or a datagram over kWsjtxLargestDatagram. Fields after the last one
// read are ignored, as the protocol asks of its listeners; fields that later senders added
// at the end of a message may be missing when the datagram ends between two fields.
std::optional<WsjtxMessage> parse_wsjtx_datagram(QByteArrayView datagram);

// The Status message as WSJT-X 2.6 writes it (schema 3), every field after the DX grid
// included. Tests and the benchmark build their datagrams with it.
QByteArray build_wsjtx_status(const QString& id, const QString& dx_call, const QString& dx_grid,
                              quint32 schema = 3);

} // namespace kestrav
