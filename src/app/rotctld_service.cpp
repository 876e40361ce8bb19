// Kestrav's rotctld server wired to the main window: what a rotctld client asks is done as the
// operator would do it. "P" writes the azimuth into the field and presses GO (the minimum step
// and end-stop rules of the interface apply, the LED blinks), "S" presses STOP, "K" turns to
// the parking azimuth, and "p" reads the antenna's real heading when the interface reports
// one, otherwise the last azimuth sent. The operator's own GO, STOP and AUTO keep working;
// the last command wins.

#include "app/desktop.h"
#include "app/main_window_hosts.h"
#include "app/widgets.h"
#include "geodesy/number_text.h"
#include "rotor/comm_port_driver.h"
#include "rotor/lpt_sequence.h"
#include "rotor/overlap.h"
#include "rotor/parallel_port.h"
#include "rotor/rotctld_server.h"
#include "setup/languages.h"
#include "setup/serve_dialog.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>

#include <array>
#include <cstring>

namespace kestrav {

class TForm1::Hosts::RotctldService final : public QObject, public RotatorService {
public:
    explicit RotctldService(TForm1& form) : QObject(&form), form_(form) {}

    // A position within the rotator's range; past 360 on a rotator with an overlap, its
    // azimuth goes in the field and GO sends that very position.
    Outcome go_to(double position) override {
        const RotatorRange scale = rotator_range();
        if (!(position >= scale.min && position <= scale.max))
            return Outcome::Refused;
        // The field takes 0 to under 360.
        const double azimuth = bearing_of_position(position);
        if (!interface_takes(form_.state().SelectedInterface))
            return Outcome::Refused;
        if (!scale.northToNorth())
            form_.controller().preferPosition(position);
        enter_azimuth(azimuth);
        form_.ButtonTrack->click();
        show_entered_azimuth(azimuth);
        return reached(azimuth) ? Outcome::Done : Outcome::Failed;
    }

    void stop() override { form_.BitBtnStop->click(); }

    Outcome park() override {
        const StationState& s = form_.state();
        if (!s.ParkingInterface)
            return Outcome::Unavailable;
        return go_to(s.ParkingAzimuth);
    }

    // The heading while a fresh one is known, else the last azimuth handed over, 0 before any.
    double position() override { return form_.controller().reportedAzimuth().value_or(0); }

    Range range() const override {
        const RotatorRange scale = rotator_range();
        return Range{scale.min, scale.max};
    }

    QString info() const override { return rotctld_own_info(); }

private:
    RotatorRange rotator_range() const {
        return form_.controller().rotatorRange(form_.state().SelectedInterface);
    }

    // What the window itself would refuse before sending: no interface, or a parallel-port
    // interface without a port.
    bool interface_takes(RotorInterface which) const {
        const StationState& s = form_.state();
        switch (which) {
        case RotorInterface::None:
            return false;
        case RotorInterface::PourSat:
        case RotorInterface::FodTrack:
            return form_.parallel_port_ != nullptr &&
                   lpt_base_address(s.LptAddresses, which == RotorInterface::PourSat
                                                        ? s.PourSatLpt
                                                        : s.FodTrackLpt) != 0;
        default:
            return true;
        }
    }

    // The azimuth as if typed: the field and the requested azimuth, all GO reads.
    void enter_azimuth(double azimuth) {
        form_.state().RequestedAzimuth = azimuth;
        const QSignalBlocker blocker(form_.EditAzimut);
        form_.EditAzimut->setText(format_general(azimuth, 15));
        form_.EditAzimut->setCursorPosition(0);
    }

    // What typing also does, left until the command is on its way: no DX station selected any
    // more, and the arrows, the published azimuth and the dial follow the field.
    void show_entered_azimuth(double azimuth) {
        for (QLineEdit* field : {form_.EditDXLocator, form_.EditDXLattitude, form_.EditDXLongitude,
                                 form_.EditDistance}) {
            const QSignalBlocker blocker(field);
            field->clear();
        }
        form_.clear_list_selections();
        const long long whole = round_half_even(azimuth);
        form_.UpDownAzimut->setPosition(static_cast<int>(whole));
        form_.publish_azimuth(QString::number(whole));
        form_.redraw_dial();
    }

    // Whether the GO just pressed reached the interface. A command within the minimum step of
    // the last one is dropped by the window, and needs nothing sent.
    bool reached(double azimuth) const {
        const StationState& s = form_.state();
        if (s.LastSentAzimuth != azimuth)
            return true;
        switch (s.SelectedInterface) {
        case RotorInterface::Gs232:
            return form_.controller().serialPort(RotorInterface::Gs232)->IsOpen();
        case RotorInterface::EasyComm:
            return form_.controller().serialPort(RotorInterface::EasyComm)->IsOpen();
        case RotorInterface::PourSat:
        case RotorInterface::FodTrack: {
            std::array<char, kLastStateBufferSize> outcome{};
            form_.parallel_port_->GetLastState(outcome.data());
            outcome.back() = '\0';
            return std::strstr(outcome.data(), "succes") != nullptr;
        }
        default:
            return true;
        }
    }

    TForm1& form_;
};

namespace {

QString listen(RotctldServer& server, const ServeSetting& setting, const LanguageTexts& texts) {
    if (!setting.on) {
        server.close();
        return {};
    }
    if (server.listen(QHostAddress(setting.address), static_cast<quint16>(setting.port)))
        return {};
    return server.addressInUse() ? texts.serve_port_taken.arg(setting.port)
                                 : texts.serve_failed.arg(setting.port).arg(server.errorString());
}

const LanguageTexts& texts_of(const TForm1& form) {
    return language_texts(form.french() ? UiLanguage::French : UiLanguage::English);
}

} // namespace

void TForm1::Hosts::installRotctldServer() {
    TForm1& form = w_;
    auto* rotator = new RotctldService(form);
    auto* server = new RotctldServer(*rotator, &form);
    rotator->setParent(server); // goes after the server has closed every client
    server->setObjectName(QStringLiteral("RotctldServer"));

    form.MenuServeRotctld = new QAction(texts_of(form).serve_rotctld, &form);
    form.MenuServeRotctld->setObjectName(QStringLiteral("MenuServeRotctld"));
    form.MenuUnit->addAction(form.MenuServeRotctld);
    QObject::connect(form.MenuServeRotctld, &QAction::triggered, &form, [&form, server] {
        auto* dialog = new ServeDialog(
            texts_of(form), form.state().ServeRotctld,
            [&form, server](const ServeSetting& setting) {
                ServeSetting& current = form.state().ServeRotctld;
                // The same setting keeps the listener and its clients.
                if (setting.on && current.on && server->isListening() &&
                    setting.address == current.address && setting.port == current.port)
                    return QString();
                const QString reason = listen(*server, setting, texts_of(form));
                if (reason.isEmpty())
                    current = setting;
                return reason;
            },
            &form);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->open();
    });

    if (form.state().ServeRotctld.on) {
        const QString reason = listen(*server, form.state().ServeRotctld, texts_of(form));
        // Told once the window is up; the row stays, so the next start tries again.
        if (!reason.isEmpty())
            QTimer::singleShot(0, &form, [&form, reason] {
                form.desktop().message_box(&form, BoxIcon::Warning, reason);
            });
    }
}

} // namespace kestrav
