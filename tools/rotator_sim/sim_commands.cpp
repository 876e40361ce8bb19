#include "sim_commands.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>

namespace kestrav::sim {

namespace {

constexpr std::size_t kMaxPending = 256;

std::string upper_trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    std::string out(text.substr(first, last - first + 1));
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::vector<std::string> words(std::string_view text) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto start = text.find_first_not_of(" \t", i);
        if (start == std::string_view::npos)
            break;
        auto end = text.find_first_of(" \t", start);
        if (end == std::string_view::npos)
            end = text.size();
        out.emplace_back(text.substr(start, end - start));
        i = end;
    }
    return out;
}

// A whole decimal number, nothing else; written with "." only, whatever the locale.
bool read_number(std::string_view text, double& value) {
    if (text.empty())
        return false;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, std::chars_format::fixed);
    return ec == std::errc() && ptr == end && std::isfinite(value);
}

std::string three_digits(long n) {
    n = std::clamp(n, 0L, 999L);
    return {static_cast<char>('0' + n / 100), static_cast<char>('0' + n / 10 % 10),
            static_cast<char>('0' + n % 10)};
}

SimOutcome handle_gs232(const std::string& line, SimRotator& rotator, bool bFormat) {
    SimOutcome out{bFormat ? SimProtocol::Gs232B : SimProtocol::Gs232, {}, true};
    if (line == "C") {
        out.reply = gs232_position_reply(rotator, false, bFormat);
    } else if (line == "C2") {
        out.reply = gs232_position_reply(rotator, true, bFormat);
    } else if (line == "S" || line == "A") {
        rotator.stop();
    } else if (line == "R") {
        rotator.setTarget(rotator.range());
    } else if (line == "L") {
        rotator.setTarget(0);
    } else if (line.size() > 1 && line[0] == 'W') {
        // "Waaa" or "Waaa eee"; the elevation is accepted and has no effect.
        const std::vector<std::string> parts = words(std::string_view(line).substr(1));
        double azimuth = 0;
        double elevation = 0;
        const bool ok = !parts.empty() && parts.size() <= 2 && read_number(parts[0], azimuth) &&
                        (parts.size() < 2 || read_number(parts[1], elevation)) &&
                        parts[0].find('.') == std::string::npos && azimuth >= 0 &&
                        azimuth <= rotator.range();
        if (ok)
            rotator.setTarget(azimuth);
        out.understood = ok;
    } else {
        out.understood = false;
    }
    if (!out.understood)
        out.reply = "?>\r\n";
    return out;
}

SimOutcome handle_easycomm(const std::string& line, SimRotator& rotator) {
    SimOutcome out{SimProtocol::EasyComm, {}, true};
    std::vector<std::string> replies;
    for (const std::string& word : words(line)) {
        double value = 0;
        if (word == "AZ") {
            replies.push_back(easycomm_position_reply(rotator));
        } else if (word == "EL") {
            replies.emplace_back("EL0.0");
        } else if (word == "SA") {
            rotator.stop();
        } else if (word == "SE") {
            // no elevation axis
        } else if (word.rfind("AZ", 0) == 0 &&
                   read_number(std::string_view(word).substr(2), value)) {
            // Beyond the scale of a rotator with an overlap, the controller ignores the command
            // (EasyComm has no error reply); on a 360 scale it turns to the nearer end.
            if (rotator.range() <= 360 || (value >= 0 && value <= rotator.range()))
                rotator.setTarget(value);
            else
                out.understood = false;
        } else if (word.rfind("EL", 0) == 0 &&
                   read_number(std::string_view(word).substr(2), value)) {
            // no elevation axis
        } else {
            out.understood = false; // EasyComm has no error reply: ignored
        }
    }
    for (std::size_t i = 0; i < replies.size(); ++i)
        out.reply += (i ? " " : "") + replies[i];
    if (!out.reply.empty())
        out.reply += "\r\n";
    return out;
}

} // namespace

std::vector<std::string> CommandSplitter::feed(std::string_view bytes) {
    std::vector<std::string> lines;
    for (char c : bytes) {
        if (c == '\r' || c == '\n') {
            if (!pending_.empty() && !discarding_)
                lines.push_back(std::move(pending_));
            pending_.clear();
            discarding_ = false;
        } else if (discarding_) {
            continue;
        } else if (pending_.size() < kMaxPending) {
            pending_ += c;
        } else {
            pending_.clear();
            discarding_ = true;
        }
    }
    return lines;
}

SimProtocol detect_protocol(std::string_view line) {
    static constexpr std::array<std::string_view, 11> keywords{"AZ", "EL", "SA", "SE", "VE", "ML",
                                                               "MR", "MU", "MD", "GS", "GE"};
    const std::string text = upper_trimmed(line);
    for (std::string_view k : keywords) {
        if (text.rfind(k, 0) == 0)
            return SimProtocol::EasyComm;
    }
    return SimProtocol::Gs232;
}

SimOutcome handle_command(std::string_view line, SimProtocol mode, SimRotator& rotator) {
    const SimProtocol protocol = mode == SimProtocol::Auto ? detect_protocol(line) : mode;
    const std::string text = upper_trimmed(line);
    return protocol == SimProtocol::EasyComm
               ? handle_easycomm(text, rotator)
               : handle_gs232(text, rotator, protocol == SimProtocol::Gs232B);
}

std::string gs232_position_reply(const SimRotator& rotator, bool withElevation, bool bFormat) {
    const std::string azimuth = three_digits(std::lround(rotator.position()));
    std::string reply = bFormat ? "AZ=" + azimuth : "+0" + azimuth;
    if (withElevation)
        reply += bFormat ? "  EL=000" : "+0000";
    return reply + "\r\n";
}

std::string easycomm_position_reply(const SimRotator& rotator) {
    const long tenths = std::lround(rotator.position() * 10);
    return "AZ" + three_digits(tenths / 10) + "." + static_cast<char>('0' + tenths % 10);
}

std::string escape_bytes(std::string_view bytes) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\r')
            out += "<CR>";
        else if (c == '\n')
            out += "<LF>";
        else if (u < 0x20 || u >= 0x7F)
            out += std::string("<") + hex[u >> 4] + hex[u & 0xF] + ">";
        else
            out += c;
    }
    return out;
}

const char* protocol_name(SimProtocol protocol) {
    switch (protocol) {
    case SimProtocol::Auto:
        return "auto";
    case SimProtocol::Gs232:
        return "gs232";
    case SimProtocol::Gs232B:
        return "gs232b";
    case SimProtocol::EasyComm:
        return "easycomm";
    }
    return "?";
}

} // namespace kestrav::sim
