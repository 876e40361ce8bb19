#pragma once
// The "Follow WSJT-X" check item and what goes with it: the listener, the address dialog,
// the country table that it and the map's call field share and the item that chooses its
// file, and the settings row, which exists once any of them has been used. The DX station
// is set through the station session; refusals reach the operator through the desktop of the
// moment.

#include "follow/country_file.h"
#include "follow/country_source.h"
#include "follow/follow_logic.h"
#include "follow/follow_setting.h"
#include "setup/follow_dialog.h"
#include "setup/languages.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QMenu;
class QWidget;

namespace kestrav {

class Desktop;
class StationSession;
class WsjtxListener;

class FollowWsjtx : public QObject {
    Q_OBJECT
public:
    using DesktopOf = std::function<Desktop&()>;
    // Adds the items to `menu`; listens at once when the setting says so. `country_file` is
    // read when the operator has chosen none.
    FollowWsjtx(FollowSetting& setting, StationSession& session, DesktopOf desktop, QMenu* menu,
                QWidget* window,
                QString country_file = QString::fromUtf16(u"/usr/share/hamradio-files/cty.dat"));
    ~FollowWsjtx() override;

    QAction* action() const { return action_; }
    QAction* addressAction() const { return address_action_; }
    QAction* countryFileAction() const { return country_action_; }
    WsjtxListener* listener() const { return listener_; }
    // The address dialog once it has been opened.
    FollowAddressDialog* addressDialog() const { return dialog_; }
    // The country table, read the first time it is needed.
    const CountryTable& countries();
    // Sets the DX station from a call's country; false when it has none.
    bool setDxFromCall(const QString& call);
    void setTexts(const LanguageTexts& texts);

private:
    void toggled(bool on);
    void listen();
    void open_address_dialog();
    void address_chosen(const QString& address, quint16 port);
    void choose_country_file();
    void tell(const QString& text);
    QString country_file_problem(CountryFileProblem problem, const QString& path) const;

    FollowSetting& setting_;
    StationSession& session_;
    DesktopOf desktop_;
    QWidget* window_;
    QString country_file_;
    std::optional<CountryTable> countries_;
    LanguageTexts texts_;
    QAction* action_;
    QAction* address_action_;
    QAction* country_action_;
    WsjtxListener* listener_ = nullptr;
    QPointer<FollowAddressDialog> dialog_;
};

} // namespace kestrav
