#pragma once
// The UDP rotor protocols in the main window: their two check items under "Unit", each opening
// its dialog, and their ports listened on as the settings say. An item is checked while its
// port is listened on; a port that cannot be had is told and leaves its item unchecked (the
// setting stays, so the next start tries again). Listening beyond this computer is told at
// start: these protocols have no authentication.

#include "udp_rotor/udp_rotor_setting.h"

#include <QObject>

#include <functional>

class QAction;
class QMenu;
class QWidget;

namespace kestrav {

class Desktop;
struct LanguageTexts;
class N1mmRotorServer;
class PstRotatorServer;
class StationSession;
class UdpRotorServer;

class UdpRotorMenu final : public QObject {
    Q_OBJECT
public:
    using DesktopOf = std::function<Desktop&()>;

    UdpRotorMenu(StationSession& session, DesktopOf desktop, QMenu* menu, QWidget* window);

    void setTexts(const LanguageTexts& texts);
    // Nobody steers once the exit has begun.
    void stop();

private:
    // Listens as `setting` says: empty when it does or when the setting is off, else why not.
    QString listen(bool n1mm, const N1mmSetting& setting);
    void open_dialog(bool n1mm);
    void update_items();
    void tell(const QString& text);

    StationSession& session_;
    DesktopOf desktop_;
    QWidget* window_;
    const LanguageTexts* texts_;
    PstRotatorServer* pst_;
    N1mmRotorServer* n1mm_;
    QAction* pst_item_;
    QAction* n1mm_item_;
};

} // namespace kestrav
