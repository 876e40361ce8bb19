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

// "aaa.a": three digits and the tenth, rounded.
std::string tenths_text(double degrees) {
    const long tenths = std::lround(degrees * 10);
    return three_digits(tenths / 10) + "." + static_cast<char>('0' + tenths % 10);
}

// A whole number of degrees ("045", no fraction), as the GS-232 takes its angles.
bool read_degrees(const std::string& text, double& value) {
    return text.find('.') == std::string::npos && read_number(text, value);
}

// GS-232 commands of an azimuth-elevation controller: "Waaa eee" turns both axes, "Maaa"
// the azimuth alone, U and D the elevation to its ends, A and E stop one axis, B tells the
// elevation. False for a command it does not know or an angle outside its range; then
// nothing is changed.
bool gs232_elevation_command(const std::string& line, SimRotator& rotator, SimElevation& elevation,
                             bool bFormat, std::string& reply) {
    const auto azimuthOk = [&](const std::string& text, double& azimuth) {
        return read_degrees(text, azimuth) && azimuth >= 0 && azimuth <= rotator.range();
    };
    if (line == "A") {
        rotator.stopAzimuth();
    } else if (line == "E") {
        elevation.stop();
    } else if (line == "U") {
        elevation.setTarget(elevation.range());
    } else if (line == "D") {
        elevation.setTarget(0);
    } else if (line == "B") {
        const std::string eee = three_digits(std::lround(elevation.position()));
        reply = (bFormat ? "EL=" + eee : "+0" + eee) + "\r\n";
    } else if (line.size() > 1 && (line[0] == 'W' || line[0] == 'M')) {
        const std::vector<std::string> parts = words(std::string_view(line).substr(1));
        double azimuth = 0;
        double angle = 0;
        if (parts.empty() || parts.size() > (line[0] == 'W' ? 2u : 1u) ||
            !azimuthOk(parts[0], azimuth))
            return false;
        if (parts.size() == 2 &&
            !(read_degrees(parts[1], angle) && angle >= 0 && angle <= elevation.range()))
            return false;
        rotator.setTarget(azimuth);
        if (parts.size() == 2)
            elevation.setTarget(angle);
    } else {
        return false;
    }
    return true;
}

SimOutcome handle_gs232(const std::string& line, SimRotator& rotator, bool bFormat) {
    SimOutcome out{bFormat ? SimProtocol::Gs232B : SimProtocol::Gs232, {}, true};
    if (line == "C") {
        out.reply = gs232_position_reply(rotator, false, bFormat);
    } else if (line == "C2") {
        out.reply = gs232_position_reply(rotator, true, bFormat);
    } else if (line == "S") {
        rotator.stop();
    } else if (line == "R") {
        rotator.setTarget(rotator.range());
    } else if (line == "L") {
        rotator.setTarget(0);
    } else if (SimElevation* elevation = rotator.elevation()) {
        out.understood = gs232_elevation_command(line, rotator, *elevation, bFormat, out.reply);
    } else if (line == "A") {
        rotator.stop();
    } else if (line.size() > 1 && line[0] == 'W') {
        // "Waaa" or "Waaa eee"; without an elevation axis the elevation has no effect.
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
    SimElevation* elevation = rotator.elevation();
    std::vector<std::string> replies;
    const std::vector<std::string> all = words(line);
    for (std::size_t i = 0; i < all.size(); ++i) {
        const std::string& word = all[i];
        double value = 0;
        if (word == "EL" && elevation && i + 1 < all.size() && read_number(all[i + 1], value)) {
            // "EL eee.e": the angle as a word of its own. Outside the range it is ignored.
            ++i;
            out.understood = elevation->setTarget(value) && out.understood;
        } else if (word == "AZ") {
            replies.push_back(easycomm_position_reply(rotator));
        } else if (word == "EL") {
            replies.push_back(elevation ? easycomm_elevation_reply(*elevation) : "EL0.0");
        } else if (word == "SA") {
            rotator.stopAzimuth();
        } else if (word == "SE") {
            if (elevation)
                elevation->stop();
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
            // Without an elevation axis the angle has no effect; outside the range it is
            // ignored, whatever else the line holds.
            if (elevation)
                out.understood = elevation->setTarget(value) && out.understood;
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
    if (withElevation) {
        const SimElevation* elevation = rotator.elevation();
        const std::string eee = three_digits(elevation ? std::lround(elevation->position()) : 0);
        reply += bFormat ? "  EL=" + eee : "+0" + eee;
    }
    return reply + "\r\n";
}

std::string easycomm_position_reply(const SimRotator& rotator) {
    return "AZ" + tenths_text(rotator.position());
}

std::string easycomm_elevation_reply(const SimElevation& elevation) {
    return "EL" + tenths_text(elevation.position());
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
