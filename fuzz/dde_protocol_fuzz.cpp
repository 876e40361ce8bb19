// One publication conversation fed a client's bytes in chunks of sizes drawn from the
// input itself, against a second conversation fed the same bytes at once, and a third
// answering them in rounds of small budgets: neither chunking nor rounds may change anything
// the client sees. A conversation opens the "Data" topic once at most and
// closes it exactly when it opened it, and a publication sends only what a link asks for.

#include "fuzz_check.h"

#include "publish/dde_protocol.h"

#include <algorithm>
#include <random>

using namespace kestrav;
using kestrav::fuzz::check;

namespace {

// The server's side: the item value, which pokes replace, and the open and close counts.
struct Host {
    QByteArrayList value{"123"};
    int opened = 0;
    int closed = 0;

    DdeHost callbacks() {
        DdeHost host;
        host.is_window_caption = [](const QString& topic) { return topic == "Kestrav  V0.6b"; };
        host.value = [this] { return encode_item_value(value); };
        host.poke = [this](const QByteArrayList& lines) { value = lines; };
        host.data_open = [this] {
            check(opened == 0);
            ++opened;
        };
        host.data_close = [this] {
            check(closed < opened);
            ++closed;
        };
        return host;
    }
};

void check_notification(const DdeConversation& conversation, const Host& host) {
    const QByteArray value = encode_item_value(host.value);
    const QByteArray sent = conversation.notification(value);
    if (!conversation.isDataConversation())
        check(sent.isEmpty());
    else
        check(sent.isEmpty() || sent == "CHANGED Azimuth\n" ||
              sent == "DATA Azimuth " + QByteArray::number(value.size()) + '\n' + value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = fuzz::bytes_of(data, size);

    Host whole_host;
    QByteArray whole_reply;
    bool whole_open = true;
    {
        DdeConversation conversation(whole_host.callbacks());
        whole_open = conversation.receive(bytes, whole_reply);
        check_notification(conversation, whole_host);
    }
    check(whole_host.closed == whole_host.opened);

    // Chunk sizes from a seed made of every byte, so that corpus files stay plain streams:
    // mostly short chunks that split lines and counts, now and then a long one.
    std::uint32_t seed = 2166136261u; // FNV-1a
    for (char byte : bytes)
        seed = (seed ^ static_cast<unsigned char>(byte)) * 16777619u;
    std::minstd_rand sizes(seed | 1);
    Host chunked_host;
    QByteArray chunked_reply;
    bool chunked_open = true;
    {
        DdeConversation conversation(chunked_host.callbacks());
        for (qsizetype at = 0; at < bytes.size();) {
            const std::uint32_t draw = sizes();
            const qsizetype longest = draw % 4 == 0 ? 2048 : 16;
            const qsizetype chunk =
                std::min<qsizetype>(1 + (draw >> 2) % longest, bytes.size() - at);
            const bool was_open = chunked_open;
            chunked_open = conversation.receive(bytes.sliced(at, chunk), chunked_reply);
            check(was_open || !chunked_open); // an ended conversation stays ended
            check_notification(conversation, chunked_host);
            at += chunk;
        }
        if (bytes.isEmpty())
            chunked_open = conversation.receive(bytes, chunked_reply);
        conversation.end();
        check(chunked_host.closed == chunked_host.opened);
        conversation.end();
    }
    check(chunked_host.closed == chunked_host.opened);

    // Rounds as a server answers them, with budgets from the same seed; a round with nothing
    // left to answer makes no answer.
    Host round_host;
    QByteArray round_reply;
    bool round_open = true;
    {
        DdeConversation conversation(round_host.callbacks());
        QByteArray round;
        round_open = conversation.receive_round(bytes, round, 1 + sizes() % 64);
        round_reply += round;
        while (round_open && conversation.hasUnanswered()) {
            round.clear();
            round_open = conversation.receive_round(QByteArray(), round, 1 + sizes() % 64);
            round_reply += round;
        }
        round.clear();
        check(!round_open || conversation.receive_round(QByteArray(), round, 64));
        check(round.isEmpty());
    }
    check(round_host.closed == round_host.opened);
    check(round_open == whole_open && round_reply == whole_reply);

    check(chunked_open == whole_open && chunked_reply == whole_reply);
    check(chunked_host.opened == whole_host.opened && chunked_host.value == whole_host.value);
    return 0;
}
