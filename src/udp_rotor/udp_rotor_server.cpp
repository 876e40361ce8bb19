#include "udp_rotor/udp_rotor_server.h"

#include "station/station_session.h"
#include "udp_rotor/n1mm_datagram.h"
#include "udp_rotor/pst_datagram.h"
#include "udp_rotor/turn_position.h"

#include <QNetworkDatagram>

namespace kestrav {

UdpRotorServer::UdpRotorServer(StationSession& session, QObject* parent)
    : QObject(parent), session_(session), socket_(this) {
    connect(&socket_, &QUdpSocket::readyRead, this, &UdpRotorServer::ready_read);
}

bool UdpRotorServer::listen(const QHostAddress& address, quint16 port) {
    close();
    address_in_use_ = false;
    if (!socket_.bind(address, port, QUdpSocket::DontShareAddress)) {
        address_in_use_ = socket_.error() == QAbstractSocket::AddressInUseError;
        return false;
    }
    listening();
    return true;
}

void UdpRotorServer::close() {
    socket_.close();
    turn_.reset();
}

// One round a readyRead. While datagrams wait after a round, the socket's notifier, being
// level-triggered, reports them at the next turn of the event loop, and readyRead comes again
// then: each datagram read re-arms it. Reading from anywhere but readyRead (a round posted for
// later, say) can empty the socket between the loop's look at it and its notice, and a readyRead
// that reads nothing leaves the notifier off for good: the port would fall deaf.
void UdpRotorServer::ready_read() {
    for (int i = 0; i < kUdpRotorDatagramsPerRound && socket_.hasPendingDatagrams(); ++i) {
        // Read whole even when oversized, so that the next datagram starts clean.
        const QNetworkDatagram datagram = socket_.receiveDatagram();
        received(datagram.data(), datagram.senderAddress());
    }
    if (turn_) {
        // Where the antenna is when the turn goes, not when it was asked.
        const double position = turn_position(turn_->azimuth, turn_->both_ways,
                                              session_.rotor().reportedAzimuth(), session_.range());
        turn_.reset();
        turn(position);
    }
}

namespace {

const QString kPst = QString::fromUtf16(kPstRotatorName);
const QString kN1mm = QString::fromUtf16(kN1mmName);

// Kestrav works with 6-character locators: a square of 4 goes to its middle subsquare, the
// 8 characters of a sub-subsquare to the subsquare holding it.
QString six_character_locator(const QString& text) {
    return text.size() == 4 ? text + QStringLiteral("LL") : text.left(6);
}

} // namespace

void PstRotatorServer::received(const QByteArray& datagram, const QHostAddress& sender) {
    bool answered = false; // one answer a datagram, however many questions it holds
    for (const PstCommand& command : parse_pst_datagram(datagram)) {
        if (const auto* t = std::get_if<pst::Turn>(&command)) {
            keepTurn(t->azimuth, false);
        } else if (std::holds_alternative<pst::Stop>(command)) {
            dropTurn();
            session_.requestStop();
        } else if (std::holds_alternative<pst::Park>(command)) {
            dropTurn();
            session_.requestPark(QStringLiteral("PstRotator PARK"), kPst);
        } else if (const auto* l = std::get_if<pst::Locator>(&command)) {
            dropTurn();
            session_.placeDxLocator(six_character_locator(l->text), kPst,
                                    QStringLiteral("PstRotator QRA ") + l->text);
        } else if (std::holds_alternative<pst::AskAzimuth>(command) && !answered) {
            answered = true;
            const QByteArray answer = pst_azimuth_answer(session_.requestReportedAzimuth());
            // The sender listens at the port after the one it sends to.
            if (!answer.isEmpty() && socket_.localPort() < 65535)
                socket_.writeDatagram(answer, sender, socket_.localPort() + 1);
        }
    }
}

void PstRotatorServer::turn(double position) {
    session_.requestPosition(position, QStringLiteral("PstRotator AZIMUTH"), kPst);
}

N1mmRotorServer::N1mmRotorServer(StationSession& session, QObject* parent)
    : UdpRotorServer(session, parent) {
    report_timer_.setInterval(kN1mmReportMs);
    connect(&report_timer_, &QTimer::timeout, this, [this] { report(true); });
    RotorController& rotor = session_.rotor();
    connect(&rotor, &RotorController::headingChanged, this, [this] { report(false); });
    connect(&rotor, &RotorController::commandHandedOver, this, [this] { report(false); });
}

void N1mmRotorServer::setReport(const QHostAddress& to, quint16 port) {
    report_to_ = to;
    report_port_ = port;
}

void N1mmRotorServer::listening() {
    reported_.reset();
    report(true);
}

void N1mmRotorServer::report(bool always) {
    if (!isListening() || report_to_.isNull() || report_port_ == 0) {
        report_timer_.stop();
        return;
    }
    // The regular report asks the rotator too, so that it tells where the antenna is and not
    // where it was last sent; the answer comes back as a heading change.
    const double heading =
        always ? session_.requestReportedAzimuth() : session_.rotor().reportedAzimuth().value_or(0);
    if (!always && reported_ == heading)
        return;
    reported_ = heading;
    const QByteArray text = n1mm_report(rotor_, heading);
    if (!text.isEmpty())
        socket_.writeDatagram(text, report_to_, report_port_);
    report_timer_.start(); // the next one 2 s after this one
}

void N1mmRotorServer::received(const QByteArray& datagram, const QHostAddress&) {
    const std::optional<N1mmRotorCommand> command = parse_n1mm_rotor_datagram(datagram);
    if (!command || !n1mm_is_for_us(command->rotor, rotor_))
        return;
    if (std::holds_alternative<n1mm::Stop>(command->action)) {
        dropTurn();
        session_.requestStop();
        return;
    }
    const n1mm::Turn& t = std::get<n1mm::Turn>(command->action);
    keepTurn(t.azimuth, t.bidirectional);
}

void N1mmRotorServer::turn(double position) {
    session_.requestPosition(position, QStringLiteral("N1MM goazi"), kN1mm);
}

} // namespace kestrav
