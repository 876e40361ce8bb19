#pragma once
// The azimuth publication channel, without its socket: where the socket lives, the text
// form of the item value, and one conversation's protocol, frame by frame. A conversation
// is one connection; its lines end in LF (CR LF accepted) and a binary payload follows its
// line with the byte count the line gives:
//
//   CONNECT <topic>              OK (the "Data" topic or a window caption) or NO, then closed
//   REQUEST <item> TEXT          DATA <n> and the n bytes of the value
//   ADVISE <item> TEXT HOT|WARM  OK; each publication then sends DATA <item> <n> and the
//                                bytes (hot) or CHANGED <item> (warm)
//   UNADVISE <item> TEXT         OK
//   POKE <item> TEXT <n>         n bytes follow; OK, the value is replaced
//   EXECUTE <n>                  n bytes follow; OK, ignored
//   DISCONNECT                   OK, then closed
//   ACTIVATE                     before CONNECT only: OK, the program's main window comes
//                                forward, then closed (how a second start hands over)
//
// Anything else, an unknown item (names match with letter case), another format, or any
// transaction on a window-caption conversation but DISCONNECT: NOTPROCESSED.

#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <functional>
#include <optional>

namespace kestrav {

inline constexpr char kDdeTopic[] = "Data";
inline constexpr char kDdeItem[] = "Azimuth";
inline constexpr qsizetype kDdeLongestLine = 1024;         // line end included
inline constexpr qsizetype kDdeLargestPayload = 64 * 1024; // bytes after a POKE or EXECUTE
// The largest value a client can be sent, in the form it receives (encode_item_value): a
// poke of the largest payload made of line ends but its last byte, each line end becoming
// CR LF, the last line closed by CR LF, then the NUL. Clients accept up to this.
inline constexpr qsizetype kDdeLargestValue = 2 * kDdeLargestPayload + 2;
inline constexpr qint64 kDdeMostPendingOutput = 1024 * 1024;
inline constexpr int kDdeMostConversations = 64;

// The service name of an executable: its file name cut at the first ".", in lower case.
QString dde_service_name(const QString& executable_path);

// Where the service's socket lives: $XDG_RUNTIME_DIR/dde/<service>, or /tmp/dde-<uid>/<service>
// without XDG_RUNTIME_DIR. Service names match without regard to letter case.
QString dde_socket_path(const QString& service);

// The start-up error when the service cannot be set up, the system error number in
// hexadecimal in it; these texts are not translated.
QString dde_setup_error_text(int error);

// The value as a client receives it: each line followed by CR LF, then a NUL. An empty
// value is a single NUL.
QByteArray encode_item_value(const QByteArrayList& lines);

// A poked text as the lines of the value: the text ends at its first NUL; its lines end in
// CR LF, LF or CR.
QByteArrayList poked_lines(const QByteArray& text);

// What one conversation needs from the server that holds it.
struct DdeHost {
    std::function<bool(const QString& topic)> is_window_caption;
    std::function<QByteArray()> value; // the item value now, as sent (encode_item_value)
    std::function<void(const QByteArrayList& lines)> poke; // replaces it, tells subscribers
    std::function<void()> data_open;                       // a "Data" conversation opened
    std::function<void()> data_close;                      // ... and closed
    std::function<void()> activate;                        // the main window is asked forward
};

// One conversation: fed the bytes the client sends, it answers through `reply`. Once all it
// was fed is answered it holds no more than one unfinished line or payload of the client's;
// answered in rounds, also the unanswered rest of what it was last fed.
class DdeConversation {
public:
    explicit DdeConversation(DdeHost host);
    ~DdeConversation();
    DdeConversation(const DdeConversation&) = delete;
    DdeConversation& operator=(const DdeConversation&) = delete;

    // Takes the bytes received and appends the answers to every transaction they complete,
    // in order, to `reply`. False once the conversation has ended (refused topic,
    // DISCONNECT, ACTIVATE, a line or payload over its limit, a malformed byte count): the
    // connection is then to be closed after the reply.
    bool receive(const QByteArray& bytes, QByteArray& reply);

    // The same in bounded rounds, for a server that must not let one read of a client's
    // make unbounded work or output: answering stops once `reply` holds `budget` bytes or
    // more, and after each poke, so that the poked value reaches the subscribers before the
    // next transaction is answered. What is left waits (hasUnanswered) for the next round,
    // which may bring no new bytes.
    bool receive_round(const QByteArray& bytes, QByteArray& reply, qsizetype budget);
    bool hasUnanswered() const { return unanswered_; }

    // What a publication sends on this conversation: the value (as encode_item_value
    // gives it) for a hot link, the change notice for a warm one, nothing otherwise.
    QByteArray notification(const QByteArray& value) const;

    // The connection has gone: a "Data" conversation that was open closes. Runs once.
    void end();

    bool isDataConversation() const { return state_ == State::Data; }

private:
    enum class State { Unconnected, Data, Caption, Ended };
    enum class Payload { None, Poke, Execute };

    bool handle_line(const QByteArray& line, QByteArray& reply);
    void handle_payload(const QByteArray& payload, QByteArray& reply);
    bool start_payload(Payload kind, const QByteArray& count_text, QByteArray& reply);

    DdeHost host_;
    State state_ = State::Unconnected;
    QByteArray pending_; // bytes of an unfinished line or payload
    Payload payload_ = Payload::None;
    qsizetype payload_size_ = 0;
    bool poke_known_item_ = false;
    bool unanswered_ = false; // a round stopped with transactions possibly complete
    bool poked_ = false;      // a poke was answered in this round
    bool hot_ = false;
    bool warm_ = false;
};

} // namespace kestrav
