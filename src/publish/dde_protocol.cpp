#include "publish/dde_protocol.h"

#include <QFileInfo>
#include <cerrno>
#include <charconv>
#include <limits>
#include <unistd.h>

namespace kestrav {

namespace {

const QByteArray kOk = QByteArrayLiteral("OK\n");
const QByteArray kNo = QByteArrayLiteral("NO\n");
const QByteArray kNotProcessed = QByteArrayLiteral("NOTPROCESSED\n");

// A byte count: decimal digits only, within the payload limit.
std::optional<qsizetype> payload_count(const QByteArray& text) {
    qsizetype count = 0;
    const char* end = text.constData() + text.size();
    const auto result = std::from_chars(text.constData(), end, count);
    if (text.isEmpty() || result.ec != std::errc() || result.ptr != end || count < 0 ||
        count > kDdeLargestPayload)
        return std::nullopt;
    return count;
}

} // namespace

QString dde_service_name(const QString& executable_path) {
    const QString name = QFileInfo(executable_path).fileName();
    return name.first(name.contains(u'.') ? name.indexOf(u'.') : name.size()).toLower();
}

QString dde_socket_path(const QString& service) {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QString directory = runtime.isEmpty()
                                  ? QStringLiteral("/tmp/dde-%1").arg(::getuid())
                                  : QString::fromLocal8Bit(runtime) + QStringLiteral("/dde");
    return directory + u'/' + service.toLower();
}

QByteArray encode_item_value(const QByteArrayList& lines) {
    qsizetype size = 1;
    for (const QByteArray& line : lines)
        size += line.size() + 2;
    QByteArray bytes;
    bytes.reserve(size);
    for (const QByteArray& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    bytes += '\0';
    return bytes;
}

QByteArrayList poked_lines(const QByteArray& text) {
    const qsizetype nul = text.indexOf('\0');
    const QByteArray body = nul < 0 ? text : text.first(nul);
    QByteArrayList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < body.size(); ++i) {
        if (body[i] == '\r' || body[i] == '\n') {
            lines << body.sliced(start, i - start);
            if (body[i] == '\r' && i + 1 < body.size() && body[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < body.size())
        lines << body.sliced(start);
    return lines;
}

DdeConversation::DdeConversation(DdeHost host) : host_(std::move(host)) {}

DdeConversation::~DdeConversation() {
    end();
}

void DdeConversation::end() {
    if (state_ == State::Data && host_.data_close) {
        state_ = State::Ended;
        host_.data_close();
    }
    state_ = State::Ended;
}

bool DdeConversation::receive(const QByteArray& bytes, QByteArray& reply) {
    constexpr qsizetype unbounded = std::numeric_limits<qsizetype>::max();
    bool open = receive_round(bytes, reply, unbounded);
    while (open && unanswered_)
        open = receive_round(QByteArray(), reply, unbounded);
    return open;
}

bool DdeConversation::receive_round(const QByteArray& bytes, QByteArray& reply, qsizetype budget) {
    unanswered_ = false;
    if (state_ == State::Ended)
        return false;
    pending_ += bytes;
    poked_ = false;
    qsizetype used = 0;
    bool open = true;
    while (open) {
        if (reply.size() >= budget || poked_) {
            unanswered_ = used < pending_.size();
            break;
        }
        if (payload_ != Payload::None) {
            const qsizetype size = payload_size_;
            if (pending_.size() - used < size)
                break;
            const QByteArray payload = pending_.sliced(used, size);
            used += size;
            handle_payload(payload, reply);
            continue;
        }
        const qsizetype newline = pending_.indexOf('\n', used);
        if (newline < 0) {
            // An unfinished line may not grow past the limit.
            open = pending_.size() - used < kDdeLongestLine;
            break;
        }
        if (newline + 1 - used > kDdeLongestLine) {
            open = false;
            break;
        }
        QByteArray line = pending_.sliced(used, newline - used);
        used = newline + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        open = handle_line(line, reply);
    }
    pending_.remove(0, used);
    if (!open) {
        unanswered_ = false;
        end();
    }
    return open;
}

bool DdeConversation::handle_line(const QByteArray& line, QByteArray& reply) {
    const qsizetype space = line.indexOf(' ');
    const QByteArray command = space < 0 ? line : line.first(space);
    const QByteArray rest = space < 0 ? QByteArray() : line.sliced(space + 1);
    const QByteArrayList words = rest.split(' ');

    if (command == "CONNECT" && state_ == State::Unconnected) {
        const QString topic = QString::fromUtf8(rest);
        if (topic.compare(QLatin1String(kDdeTopic), Qt::CaseInsensitive) == 0) {
            state_ = State::Data;
            reply += kOk;
            if (host_.data_open)
                host_.data_open();
            return true;
        }
        if (host_.is_window_caption && host_.is_window_caption(topic)) {
            state_ = State::Caption;
            reply += kOk;
            return true;
        }
        reply += kNo;
        return false;
    }
    if (command == "ACTIVATE" && line == command && state_ == State::Unconnected &&
        host_.activate) {
        reply += kOk;
        host_.activate();
        return false;
    }
    if (command == "DISCONNECT") {
        reply += kOk;
        return false;
    }
    // The payload is taken whatever the answer, so that the next line is found.
    if (command == "POKE" && words.size() == 3) {
        poke_known_item_ = state_ == State::Data && words[0] == kDdeItem && words[1] == "TEXT";
        return start_payload(Payload::Poke, words[2], reply);
    }
    if (command == "EXECUTE" && words.size() == 1)
        return start_payload(Payload::Execute, words[0], reply);

    const bool item =
        state_ == State::Data && words.size() >= 2 && words[0] == kDdeItem && words[1] == "TEXT";
    if (command == "REQUEST" && item && words.size() == 2) {
        const QByteArray value = host_.value();
        reply += "DATA " + QByteArray::number(value.size()) + '\n';
        reply += value;
    } else if (command == "ADVISE" && item && words.size() == 3 &&
               (words[2] == "HOT" || words[2] == "WARM")) {
        hot_ = words[2] == "HOT";
        warm_ = !hot_;
        reply += kOk;
    } else if (command == "UNADVISE" && item && words.size() == 2) {
        hot_ = warm_ = false;
        reply += kOk;
    } else {
        reply += kNotProcessed;
    }
    return true;
}

bool DdeConversation::start_payload(Payload kind, const QByteArray& count_text, QByteArray& reply) {
    const std::optional<qsizetype> count = payload_count(count_text);
    if (!count)
        return false; // without a trustworthy count the next line cannot be found
    payload_ = kind;
    payload_size_ = *count;
    if (payload_size_ == 0)
        handle_payload(QByteArray(), reply);
    return true;
}

void DdeConversation::handle_payload(const QByteArray& payload, QByteArray& reply) {
    const Payload kind = payload_;
    payload_ = Payload::None;
    payload_size_ = 0;
    if (kind == Payload::Poke && poke_known_item_) {
        reply += kOk;
        poked_ = true;
        if (host_.poke)
            host_.poke(poked_lines(payload));
    } else if (kind == Payload::Execute && state_ == State::Data) {
        reply += kOk;
    } else {
        reply += kNotProcessed;
    }
}

QByteArray DdeConversation::notification(const QByteArray& value) const {
    if (state_ != State::Data)
        return {};
    if (hot_)
        return "DATA " + QByteArray(kDdeItem) + ' ' + QByteArray::number(value.size()) + '\n' +
               value;
    if (warm_)
        return "CHANGED " + QByteArray(kDdeItem) + '\n';
    return {};
}

QString dde_setup_error_text(int error) {
    const QString code = QString::number(error, 16);
    if (error == ENOMEM || error == ENOBUFS)
        return QStringLiteral(u"Erreur apparue suite \u00e0 un manque de m\u00e9moire DDE ($0%1)")
            .arg(code);
    return QStringLiteral(u"Une erreur a \u00e9t\u00e9 renvoy\u00e9e par DDE ($0%1)").arg(code);
}

} // namespace kestrav
