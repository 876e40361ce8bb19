#pragma once
// Which DX station to turn to, from what WSJT-X instances report. WSJT-X sends a Status on
// every keystroke in its DX Call field ("V", "VK", "VK2", ...) and again on each change of
// frequency, mode or transmit state. So only a change of an instance's DX call or grid counts;
// a valid grid sets the DX station at once, a call without grid only once it is a whole call
// sign that has not changed for a settling time, and then by its country. Time is handed in,
// so that the decisions are tested without waiting.
//
// Any local process can send to the port, under any instance id: what is kept is bounded.
// At most kInstancesKept instances are remembered, the least recently heard forgotten first
// (it then counts as new when heard again); ids are kept to their first kLongestInstanceId
// characters, the DX call and grid to their first kLongestDxField (no call or grid is
// that long, so a cut text still reads as none).

#include "follow/country_file.h"
#include "follow/wsjtx_message.h"

#include <QString>

#include <optional>
#include <vector>

namespace kestrav {

inline constexpr qint64 kCallSettleMs = 1500;
inline constexpr qsizetype kInstancesKept = 16;
inline constexpr qsizetype kLongestInstanceId = 128;
inline constexpr qsizetype kLongestDxField = 32;

struct DxTarget {
    double latitude = 0;  // north positive
    double longitude = 0; // east positive
    QString label;        // call and grid, or call and country, for the map
};

// The position of a 4- or 6-character grid (the centre of its square or subsquare), or
// nothing when the text is not one. Letters may be of either case.
std::optional<DxTarget> grid_target(QStringView grid);

class FollowLogic {
public:
    // `countries` may change or be emptied later; it must outlive the logic.
    explicit FollowLogic(const CountryTable& countries, qint64 settle_ms = kCallSettleMs)
        : countries_(countries), settle_ms_(settle_ms) {}

    // A message received at `now_ms`; a target when it sets the DX station at once.
    std::optional<DxTarget> receive(const WsjtxMessage& message, qint64 now_ms);
    // When a call waiting to settle should be looked at again, or nothing.
    std::optional<qint64> deadline() const;
    // Called at or after the deadline: the settled call's target, if it has a country.
    std::optional<DxTarget> settle(qint64 now_ms);
    // Forgets every instance and the waiting call (following switched off).
    void reset();

    // The instances remembered, and the characters kept for them and the waiting call.
    qsizetype instanceCount() const { return static_cast<qsizetype>(seen_.size()); }
    qsizetype keptCharacters() const;

private:
    struct Seen {
        QString id;
        QString call;
        QString grid;
        quint64 heard = 0; // when last heard, in messages received
    };
    struct Pending {
        QString id;
        QString call;
        qint64 since = 0;
    };

    Seen* find(const QString& id);

    const CountryTable& countries_;
    qint64 settle_ms_;
    std::vector<Seen> seen_;
    quint64 heard_ = 0;
    std::optional<Pending> pending_;
};

} // namespace kestrav
