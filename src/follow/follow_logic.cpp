#include "follow/follow_logic.h"

#include "geodesy/locator.h"

#include <algorithm>

namespace kestrav {

namespace {

bool in_range(QChar c, char first, char last) {
    return c >= QLatin1Char(first) && c <= QLatin1Char(last);
}

} // namespace

std::optional<DxTarget> grid_target(QStringView text) {
    const QString grid = text.trimmed().toString().toUpper();
    if (grid.size() != 4 && grid.size() != 6)
        return std::nullopt;
    if (!in_range(grid[0], 'A', 'R') || !in_range(grid[1], 'A', 'R') ||
        !in_range(grid[2], '0', '9') || !in_range(grid[3], '0', '9'))
        return std::nullopt;
    DxTarget t;
    t.label = grid;
    if (grid.size() == 6) {
        if (!in_range(grid[4], 'A', 'X') || !in_range(grid[5], 'A', 'X'))
            return std::nullopt;
        const SignedPosition p = locator_to_position(grid);
        t.latitude = p.latitude;
        t.longitude = p.longitude;
        return t;
    }
    // A square is 2 degrees of longitude by 1 of latitude; its centre is 1 and 0.5 in.
    t.longitude = (grid[0].unicode() - u'A') * 20 + (grid[2].unicode() - u'0') * 2 - 180 + 1;
    t.latitude = (grid[1].unicode() - u'A') * 10 + (grid[3].unicode() - u'0') - 90 + 0.5;
    return t;
}

FollowLogic::Seen* FollowLogic::find(const QString& id) {
    const auto found =
        std::find_if(seen_.begin(), seen_.end(), [&id](const Seen& s) { return s.id == id; });
    return found == seen_.end() ? nullptr : &*found;
}

std::optional<DxTarget> FollowLogic::receive(const WsjtxMessage& m, qint64 now_ms) {
    const QString id = m.id.left(kLongestInstanceId);
    if (m.type == WsjtxType::Close) {
        std::erase_if(seen_, [&id](const Seen& s) { return s.id == id; });
        if (pending_ && pending_->id == id)
            pending_.reset();
        return std::nullopt;
    }
    Seen* seen = find(id);
    if (seen != nullptr)
        seen->heard = ++heard_;
    // A logged QSO names the station already followed through the Status messages.
    if (m.type != WsjtxType::Status)
        return std::nullopt;
    const auto kept = [](const QString& text) {
        return QStringView(text).trimmed().left(kLongestDxField).toString().toUpper();
    };
    const QString call = kept(m.dx_call);
    const QString grid = kept(m.dx_grid);
    if (seen != nullptr && seen->call == call && seen->grid == grid)
        return std::nullopt;
    if (seen == nullptr) {
        if (instanceCount() >= kInstancesKept)
            seen_.erase(
                std::min_element(seen_.begin(), seen_.end(),
                                 [](const Seen& a, const Seen& b) { return a.heard < b.heard; }));
        seen = &seen_.emplace_back(Seen{id, {}, {}, ++heard_});
    }
    seen->call = call;
    seen->grid = grid;
    if (pending_ && pending_->id == id)
        pending_.reset();
    if (std::optional<DxTarget> t = grid_target(grid)) {
        if (!call.isEmpty())
            t->label = call + QStringLiteral("  ") + t->label;
        return t;
    }
    if (is_complete_call(call))
        pending_ = Pending{id, call, now_ms};
    return std::nullopt;
}

std::optional<qint64> FollowLogic::deadline() const {
    if (!pending_)
        return std::nullopt;
    return pending_->since + settle_ms_;
}

std::optional<DxTarget> FollowLogic::settle(qint64 now_ms) {
    if (!pending_ || now_ms < pending_->since + settle_ms_)
        return std::nullopt;
    const QString call = pending_->call;
    pending_.reset();
    const std::optional<Country> country = countries_.lookup(call);
    if (!country)
        return std::nullopt;
    return DxTarget{country->latitude, country->longitude,
                    call + QStringLiteral("  ") + country->name};
}

qsizetype FollowLogic::keptCharacters() const {
    qsizetype size = pending_ ? pending_->id.size() + pending_->call.size() : 0;
    for (const Seen& s : seen_)
        size += s.id.size() + s.call.size() + s.grid.size();
    return size;
}

void FollowLogic::reset() {
    seen_.clear();
    pending_.reset();
}

} // namespace kestrav
