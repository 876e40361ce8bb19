#include "rotor/rotctld_protocol.h"

#include <QList>
#include <QRandomGenerator>

#include <cmath>

namespace kestrav {

namespace {

enum class Kind {
    SetPosition,
    GetPosition,
    Stop,
    Park,
    GetInfo,
    DumpState,
    DumpCaps,
    Quit,
    Unused
};

struct Command {
    char short_name; // 0 when the command has only its long name
    const char* long_name;
    int arguments;
    Kind kind;
};

// The rotctld commands a client of Kestrav may send. Reset and move are commands of the
// protocol that an azimuth-only hub has no use for: they are answered "not implemented".
constexpr Command kCommands[] = {
    {'P', "set_pos", 2, Kind::SetPosition}, {'p', "get_pos", 0, Kind::GetPosition},
    {'S', "stop", 0, Kind::Stop},           {'K', "park", 0, Kind::Park},
    {'_', "get_info", 0, Kind::GetInfo},    {0, "dump_state", 0, Kind::DumpState},
    {'1', "dump_caps", 0, Kind::DumpCaps},  {'q', "quit", 0, Kind::Quit},
    {'Q', "quit", 0, Kind::Quit},           {'R', "reset", 1, Kind::Unused},
    {'M', "move", 2, Kind::Unused},
};

// Hamlib's model number of a rotator reached over the network.
constexpr int kNetworkRotatorModel = 2;

const Command* find_command(QByteArrayView token) {
    if (token.startsWith('\\')) {
        const QByteArrayView name = token.sliced(1);
        for (const Command& c : kCommands) {
            if (name == QByteArrayView(c.long_name))
                return &c;
        }
        return nullptr;
    }
    if (token.size() != 1)
        return nullptr;
    for (const Command& c : kCommands) {
        if (c.short_name != 0 && c.short_name == token.front())
            return &c;
    }
    return nullptr;
}

QList<QByteArrayView> split_tokens(QByteArrayView line) {
    QList<QByteArrayView> tokens;
    qsizetype start = -1;
    for (qsizetype i = 0; i <= line.size(); ++i) {
        const bool blank = i == line.size() || line[i] == ' ' || line[i] == '\t' ||
                           line[i] == '\r' || line[i] == '\n';
        if (blank && start >= 0) {
            tokens << line.sliced(start, i - start);
            start = -1;
        } else if (!blank && start < 0) {
            start = i;
        }
    }
    return tokens;
}

// A number in the C locale's form, finite; QByteArray never reads the desktop's locale.
bool read_number(QByteArrayView token, double& value) {
    bool ok = false;
    value = token.toByteArray().toDouble(&ok);
    return ok && std::isfinite(value);
}

QByteArray fixed(double value, int decimals) {
    return QByteArray::number(value, 'f', decimals);
}

QByteArray report(RotctldCode code) {
    return "RPRT " + QByteArray::number(static_cast<int>(code)) + '\n';
}

RotctldCode code_of(RotorService::Outcome outcome) {
    switch (outcome) {
    case RotorService::Outcome::Done:
        return RotctldCode::Ok;
    case RotorService::Outcome::Refused:
        return RotctldCode::InvalidArgument;
    case RotorService::Outcome::Failed:
        return RotctldCode::InputOutput;
    case RotorService::Outcome::TimedOut:
        return RotctldCode::Timeout;
    case RotorService::Outcome::Unavailable:
        return RotctldCode::NotAvailable;
    }
    return RotctldCode::InvalidArgument;
}

// One item of an answer: its label in extended mode, its tag in plain mode, and its value.
struct Item {
    QByteArray label;
    QByteArray value;
    QByteArray tag = {};
};

QList<Item> dump_state_items(const RotorService::Range& range) {
    return {
        {"rotctld Protocol Ver: ", "1"},
        {"Rotor Model: ", QByteArray::number(kNetworkRotatorModel)},
        {"Minimum Azimuth: ", fixed(range.min_azimuth, 6), "min_az="},
        {"Maximum Azimuth: ", fixed(range.max_azimuth, 6), "max_az="},
        {"Minimum Elevation: ", fixed(range.min_elevation, 6), "min_el="},
        {"Maximum Elevation: ", fixed(range.max_elevation, 6), "max_el="},
        {"South Zero: ", "0", "south_zero="},
        {{}, range.az_el ? "rot_type=AzEl" : "rot_type=Az"},
        {{}, "done"},
    };
}

QList<Item> dump_caps_items(const RotorService& rotator) {
    const RotorService::Range range = rotator.range();
    return {
        {{}, "Caps dump for model:\t" + QByteArray::number(kNetworkRotatorModel)},
        {{}, "Model name:\t\t" + rotator.info().toUtf8()},
        {{}, range.az_el ? "Rot type:\t\tAz-El" : "Rot type:\t\tAz"},
        {{}, "Port type:\t\tNetwork link"},
        {{}, "Min Azimuth:\t\t" + fixed(range.min_azimuth, 2)},
        {{}, "Max Azimuth:\t\t" + fixed(range.max_azimuth, 2)},
        {{}, "Min Elevation:\t\t" + fixed(range.min_elevation, 2)},
        {{}, "Max Elevation:\t\t" + fixed(range.max_elevation, 2)},
        {{}, "Can set Position:\tY"},
        {{}, "Can get Position:\tY"},
        {{}, "Can Stop:\t\tY"},
        {{}, "Can Park:\t\tY"},
        {{}, "Can Reset:\t\tN"},
        {{}, "Can Move:\t\tN"},
        {{}, "Can get Info:\t\tY"},
    };
}

// Writes one command's answer. In extended mode the command's long name and its arguments
// come first, every item carries its label and "RPRT n" ends it; otherwise a command that
// reads something answers its values alone (or "RPRT n" when it failed), and a command that
// does something answers "RPRT n".
void write_answer(QByteArray& out, const Command& command, QList<QByteArrayView> arguments,
                  bool extended, char separator, const QList<Item>& items, RotctldCode code,
                  bool reports_in_plain_mode) {
    if (extended) {
        out += command.long_name;
        out += ':';
        for (QByteArrayView a : arguments) {
            out += ' ';
            out += a;
        }
        out += separator;
        for (const Item& item : items)
            out += item.label + item.value + separator;
        out += "RPRT " + QByteArray::number(static_cast<int>(code)) + '\n';
        return;
    }
    if (code != RotctldCode::Ok || items.isEmpty()) {
        out += report(code);
        return;
    }
    for (const Item& item : items)
        out += item.tag + item.value + '\n';
    if (reports_in_plain_mode)
        out += report(code);
}

} // namespace

RotctldAnswer rotctld_answer(QByteArrayView line, RotorService& rotator) {
    RotctldAnswer answer;
    const QList<QByteArrayView> tokens = split_tokens(line);
    qsizetype next = 0;
    while (next < tokens.size()) {
        QByteArrayView token = tokens[next++];
        bool extended = false;
        char separator = '\n';
        if (token.size() >= 1 && QByteArrayView("+;|,").contains(token.front())) {
            extended = true;
            separator = token.front() == '+' ? '\n' : token.front();
            token = token.sliced(1);
            if (token.isEmpty() && next < tokens.size())
                token = tokens[next++]; // "+ p" as "+p"
        }
        const Command* command = find_command(token);
        if (command == nullptr) {
            // The rest of the line cannot be told apart from this command's arguments.
            answer.text += report(RotctldCode::InvalidArgument);
            answer.garbage = true;
            return answer;
        }
        if (command->kind == Kind::Quit) {
            answer.close = true;
            return answer;
        }
        const qsizetype available = std::min<qsizetype>(command->arguments, tokens.size() - next);
        const QList<QByteArrayView> arguments = tokens.mid(next, available);
        next += available;
        if (available < command->arguments) {
            write_answer(answer.text, *command, arguments, extended, separator, {},
                         RotctldCode::InvalidArgument, false);
            return answer;
        }

        QList<Item> items;
        RotctldCode code = RotctldCode::Ok;
        bool reports_in_plain_mode = false;
        switch (command->kind) {
        case Kind::SetPosition: {
            double azimuth = 0;
            // An azimuth rotator checks the elevation, then ignores it.
            double elevation = 0;
            const RotorService::Range range = rotator.range();
            if (!read_number(arguments[0], azimuth) || !read_number(arguments[1], elevation)) {
                code = RotctldCode::InvalidArgument;
            } else if (!(elevation >= range.min_elevation && elevation <= range.max_elevation)) {
                code = RotctldCode::InvalidArgument;
            } else {
                code = code_of(range.az_el ? rotator.go_to_both(azimuth, elevation)
                                           : rotator.go_to(azimuth));
            }
            break;
        }
        case Kind::GetPosition:
            items = {{"Azimuth: ", fixed(rotator.position(), 2)},
                     {"Elevation: ", fixed(rotator.elevation(), 2)}};
            break;
        case Kind::Stop:
            rotator.stop();
            break;
        case Kind::Park:
            code = code_of(rotator.park());
            break;
        case Kind::GetInfo:
            items = {{"Info: ", rotator.info().toUtf8()}};
            break;
        case Kind::DumpState:
            items = dump_state_items(rotator.range());
            break;
        case Kind::DumpCaps:
            items = dump_caps_items(rotator);
            reports_in_plain_mode = true;
            break;
        case Kind::Unused:
            code = RotctldCode::NotImplemented;
            break;
        case Kind::Quit:
            break;
        }
        write_answer(answer.text, *command, arguments, extended, separator, items, code,
                     reports_in_plain_mode);
    }
    return answer;
}

QByteArray rotctld_oversized_line_answer() {
    return report(RotctldCode::InvalidArgument);
}

QString rotctld_own_info() {
    static const QString info =
        QStringLiteral("Kestrav %1")
            .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
    return info;
}

} // namespace kestrav
