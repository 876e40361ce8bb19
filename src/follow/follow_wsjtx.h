#pragma once
// The "Follow WSJT-X" check item and what it switches: the listener, the country table it
// and the map's call field share, and the settings row, which exists once the item has been
// used. The DX station is set through the one function handed in.

#include "follow/country_file.h"
#include "follow/follow_logic.h"
#include "follow/follow_setting.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QMenu;

namespace kestrav {

struct LanguageTexts;
class WsjtxListener;

class FollowWsjtx : public QObject {
    Q_OBJECT
public:
    using SetDx = std::function<void(const DxTarget&)>;
    // Adds the check item to `menu`; listens at once when the setting says so.
    FollowWsjtx(FollowSetting& setting, SetDx set_dx, QMenu* menu, QObject* parent,
                QString country_file = QString::fromUtf16(u"/usr/share/hamradio-files/cty.dat"));
    ~FollowWsjtx() override;

    QAction* action() const { return action_; }
    WsjtxListener* listener() const { return listener_; }
    // The country table, read the first time it is needed.
    const CountryTable& countries();
    // Sets the DX station from a call's country; false when it has none.
    bool setDxFromCall(const QString& call);
    void setTexts(const LanguageTexts& texts);

private:
    void toggled(bool on);

    FollowSetting& setting_;
    SetDx set_dx_;
    QString country_file_;
    std::optional<CountryTable> countries_;
    QAction* action_;
    WsjtxListener* listener_ = nullptr;
};

} // namespace kestrav
