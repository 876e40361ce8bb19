#include "udp_rotor/udp_rotor_menu.h"

#include "setup/languages.h"
#include "station/station_session.h"
#include "udp_rotor/udp_rotor_dialog.h"
#include "udp_rotor/udp_rotor_server.h"
#include "ui/desktop.h"

#include <QAction>
#include <QHostAddress>
#include <QMenu>

namespace kestrav {

namespace {

const QString kPstName = QString::fromUtf16(kPstRotatorName);
const QString kN1mmTitle = QString::fromUtf16(kN1mmName);

N1mmSetting as_n1mm(const PstSetting& pst) {
    N1mmSetting s;
    s.used = pst.used;
    s.on = pst.on;
    s.address = pst.address;
    s.port = pst.port;
    return s;
}

} // namespace

UdpRotorMenu::UdpRotorMenu(StationSession& session, DesktopOf desktop, QMenu* menu, QWidget* window)
    : QObject(window), session_(session), desktop_(std::move(desktop)), window_(window),
      texts_(&language_texts(UiLanguage::English)), pst_(new PstRotatorServer(session, this)),
      n1mm_(new N1mmRotorServer(session, this)), pst_item_(new QAction(this)),
      n1mm_item_(new QAction(this)) {
    pst_->setObjectName(QStringLiteral("PstRotatorServer"));
    n1mm_->setObjectName(QStringLiteral("N1mmRotorServer"));
    pst_item_->setObjectName(QStringLiteral("MenuPstRotator"));
    n1mm_item_->setObjectName(QStringLiteral("MenuN1mm"));
    for (QAction* item : {pst_item_, n1mm_item_}) {
        item->setCheckable(true);
        menu->addAction(item);
    }
    connect(pst_item_, &QAction::triggered, this, [this] { open_dialog(false); });
    connect(n1mm_item_, &QAction::triggered, this, [this] { open_dialog(true); });
    setTexts(*texts_);

    // At start, told once the window is up: why a port is not listened on, or that other
    // computers reach it.
    const StationState& s = session_.state();
    for (const auto& [n1mm, setting] :
         {std::pair{false, as_n1mm(s.PstRotator)}, std::pair{true, s.N1mm}}) {
        if (!setting.on)
            continue;
        QString told = listen(n1mm, setting);
        if (told.isEmpty() && !QHostAddress(setting.address).isLoopback())
            told = texts_->udp_open_warning.arg(n1mm ? kN1mmTitle : kPstName, setting.address)
                       .arg(setting.port);
        if (!told.isEmpty())
            QMetaObject::invokeMethod(
                this, [this, told] { tell(told); }, Qt::QueuedConnection);
    }
}

void UdpRotorMenu::setTexts(const LanguageTexts& texts) {
    texts_ = &texts;
    pst_item_->setText(texts.udp_pst_item);
    n1mm_item_->setText(texts.udp_n1mm_item);
}

void UdpRotorMenu::stop() {
    pst_->close();
    n1mm_->close();
    update_items();
}

QString UdpRotorMenu::listen(bool n1mm, const N1mmSetting& setting) {
    UdpRotorServer& server = n1mm ? static_cast<UdpRotorServer&>(*n1mm_) : *pst_;
    const QString name = n1mm ? kN1mmTitle : kPstName;
    QString reason;
    if (!setting.on) {
        server.close();
    } else {
        if (n1mm) {
            n1mm_->setRotor(setting.rotor);
            n1mm_->setReport(QHostAddress(setting.report_address),
                             static_cast<quint16>(setting.report_port));
        }
        const QHostAddress address(setting.address);
        if (!server.listen(address, static_cast<quint16>(setting.port)))
            reason = server.addressInUse() ? texts_->udp_port_taken.arg(name).arg(setting.port)
                                           : texts_->udp_failed.arg(name, setting.address)
                                                 .arg(setting.port)
                                                 .arg(server.errorString());
    }
    update_items();
    return reason;
}

void UdpRotorMenu::open_dialog(bool n1mm) {
    update_items(); // a check item is checked by its port, not by the click
    StationState& s = session_.state();
    auto* dialog = new UdpRotorDialog(
        *texts_, n1mm, n1mm ? s.N1mm : as_n1mm(s.PstRotator),
        [this, n1mm](const N1mmSetting& chosen) {
            const QString reason = listen(n1mm, chosen);
            if (!reason.isEmpty())
                return reason;
            StationState& state = session_.state();
            if (n1mm)
                state.N1mm = chosen;
            else
                state.PstRotator = PstSetting{true, chosen.on, chosen.address, chosen.port};
            return QString();
        },
        window_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void UdpRotorMenu::update_items() {
    pst_item_->setChecked(pst_->isListening());
    n1mm_item_->setChecked(n1mm_->isListening());
}

void UdpRotorMenu::tell(const QString& text) {
    desktop_().message_box(window_, BoxIcon::Warning, text);
}

} // namespace kestrav
