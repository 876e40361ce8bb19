// Kestrav's rotctld server wired to the main window: what a rotctld client asks is done by
// the rotator's rules, as the operator's own GO would be (the minimum step, the end stop, the
// overlap, the LED), and the client is told what became of its very request: handed over,
// refused, or not delivered, in Hamlib's codes. Nothing a client asks waits for a hand at the
// desk: no box, no beep; the status line says what failed. "S" is the STOP, "K" parks as the
// exit does, and "p" asks the rotator where it is, where the interface can tell. The
// operator's own GO, STOP and AUTO keep working; the last command wins.

#include "app/desktop.h"
#include "app/main_window_hosts.h"
#include "app/widgets.h"
#include "geodesy/number_text.h"
#include "rotor/overlap.h"
#include "rotor/rotctld_server.h"
#include "setup/languages.h"
#include "setup/serve_address.h"
#include "setup/serve_dialog.h"

#include <QAction>
#include <QComboBox>
#include <QHostInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>

namespace kestrav {

namespace {

const LanguageTexts& texts_of(const TForm1& form) {
    return language_texts(form.french() ? UiLanguage::French : UiLanguage::English);
}

} // namespace

class TForm1::Hosts::RotctldService final : public QObject, public RotatorService {
public:
    explicit RotctldService(TForm1& form) : QObject(&form), form_(form) {}

    // A position within the rotator's range, decided once at the field's resolution (what
    // the field shows is what goes out); past 360 on a rotator with an overlap, or 360 for
    // north at the end stop, its azimuth goes in the field and GO sends that very position.
    Outcome go_to(double requested) override {
        const double position = read_number(format_general(requested, 15)).value_or(requested);
        const RotatorRange scale = rotator_range();
        if (!scale.reaches(position)) {
            outOfRange(position);
            return Outcome::Refused;
        }
        // The field takes 0 to under 360.
        const double azimuth = bearing_of_position(position);
        form_.controller().preferPosition(position);
        return turn(azimuth, QStringLiteral("P %1").arg(format_general(position, 15)));
    }

    void stop() override { form_.outside_stop(); }

    // As the exit parks: only with parking set for the interface in use, and only to an
    // azimuth GO takes.
    Outcome park() override {
        const StationState& s = form_.state();
        const LanguageTexts& texts = texts_of(form_);
        if (!form_.controller().parkingDue()) {
            form_.tell_outside_refusal(
                texts.client_refused.arg(QStringLiteral("K"), texts.client_no_parking));
            return Outcome::Unavailable;
        }
        if (!(s.ParkingAzimuth >= 0 && s.ParkingAzimuth < 360)) {
            form_.tell_outside_refusal(texts.client_refused.arg(
                QStringLiteral("K"),
                texts.client_outside_range.arg(format_general(s.ParkingAzimuth, 15),
                                               QStringLiteral("0"), QStringLiteral("360"))));
            return Outcome::Refused;
        }
        return turn(s.ParkingAzimuth, QStringLiteral("K"));
    }

    // Where the antenna is as far as is known, and the rotator asked again so that the next
    // answer is fresh: its heading while a reading is fresh, else the last azimuth handed
    // over, 0 before any.
    double position() override {
        RotorController& controller = form_.controller();
        const std::optional<double> known = controller.reportedAzimuth();
        controller.askPosition();
        return known.value_or(0);
    }

    Range range() const override {
        const RotatorRange scale = rotator_range();
        return Range{scale.min, scale.max};
    }

    QString info() const override { return rotctld_own_info(); }

    void outOfRange(double azimuth) override {
        const RotatorRange scale = rotator_range();
        const LanguageTexts& texts = texts_of(form_);
        form_.tell_outside_refusal(texts.client_refused.arg(
            QStringLiteral("P %1").arg(format_general(azimuth, 15)),
            texts.client_outside_range.arg(format_general(azimuth, 15),
                                           format_general(scale.min, 15),
                                           format_general(scale.max, 15))));
    }

private:
    RotatorRange rotator_range() const {
        return form_.controller().rotatorRange(form_.state().SelectedInterface);
    }

    // GO as the client's own, its outcome the answer; the azimuth then shows as if typed,
    // unless it was refused (a refusal changes nothing).
    Outcome turn(double azimuth, const QString& request) {
        const GoResult result = form_.outside_go(azimuth, request);
        if (result.failure != GoFailure::Refused) {
            enter_azimuth(azimuth);
            show_entered_azimuth(azimuth);
        }
        if (result.handedOver()) {
            if (!result.writeTimedOut)
                return Outcome::Done;
            const LanguageTexts& texts = texts_of(form_);
            form_.tell_outside_refusal(texts.client_refused.arg(request, texts.client_timed_out));
            return Outcome::TimedOut;
        }
        switch (*result.failure) {
        case GoFailure::BelowMinimumStep:
            return Outcome::Done; // the antenna is already there
        case GoFailure::Refused:
            return Outcome::Refused;
        default:
            return Outcome::Failed;
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

    TForm1& form_;
};

namespace {

// Puts the server where the settings say and keeps the address it listens on. An address is
// listened on as written; a name is looked up first (at start without holding the window);
// any other text is refused, never taken for every interface.
class ServeListener final : public QObject {
public:
    ServeListener(RotctldServer& server, TForm1& form)
        : QObject(&server), server_(server), form_(form) {}

    // At once, for the dialog: the reason when the server does not listen as asked, empty
    // when it does or when serving is off. A name is taken only as already found.
    QString listen_now(const ServeSetting& setting) {
        ++attempt_; // a lookup still under way is for an older setting
        if (!setting.on) {
            server_.close();
            return {};
        }
        if (const std::optional<QHostAddress> literal = serve_literal_address(setting.address))
            return listen_at(*literal, setting);
        if (setting.address == found_name_ && !found_.isNull())
            return listen_at(found_, setting);
        return texts_of(form_).serve_unresolved.arg(setting.address).arg(setting.port);
    }

    // At start, told with a box once the window is up: why the server does not listen, or,
    // listening where other computers reach it, that anyone there can turn the antenna.
    void listen_at_start(const ServeSetting& setting) {
        if (!setting.on)
            return;
        if (serve_literal_address(setting.address) || !is_host_name(setting.address)) {
            const QString told = told_at_start(listen_now(setting), setting);
            if (!told.isEmpty())
                QTimer::singleShot(0, &form_, [this, told] { tell(told); });
            return;
        }
        const int attempt = ++attempt_;
        QHostInfo::lookupHost(setting.address, this,
                              [this, setting, attempt](const QHostInfo& info) {
                                  if (attempt != attempt_)
                                      return; // the dialog or the exit came first
                                  found_name_ = setting.address;
                                  found_ = serve_address_of(info.addresses());
                                  tell(told_at_start(listen_now(setting), setting));
                              });
    }

    // Whatever comes later, nobody steers once the exit has begun.
    void stop() {
        ++attempt_;
        server_.close();
    }

    // The address listened on; null while the server does not listen.
    QHostAddress bound() const { return server_.isListening() ? bound_ : QHostAddress(); }

private:
    QString listen_at(const QHostAddress& address, const ServeSetting& setting) {
        const LanguageTexts& texts = texts_of(form_);
        bound_ = address;
        if (server_.listen(address, static_cast<quint16>(setting.port)))
            return {};
        return server_.addressInUse()
                   ? texts.serve_port_taken.arg(setting.port)
                   : texts.serve_failed.arg(setting.port).arg(server_.errorString());
    }

    QString told_at_start(const QString& reason, const ServeSetting& setting) const {
        if (!reason.isEmpty())
            return reason;
        if (serve_reach(bound()) == ServeReach::ThisComputer)
            return {};
        return texts_of(form_).serve_open_warning.arg(bound().toString()).arg(setting.port);
    }

    void tell(const QString& text) {
        if (!text.isEmpty())
            form_.desktop().message_box(&form_, BoxIcon::Warning, text);
    }

    RotctldServer& server_;
    TForm1& form_;
    QHostAddress bound_;
    QString found_name_; // the name last looked up, and the address it gave (null: none)
    QHostAddress found_;
    int attempt_ = 0;
};

} // namespace

void TForm1::Hosts::installRotctldServer() {
    TForm1& form = w_;
    auto* rotator = new RotctldService(form);
    auto* server = new RotctldServer(*rotator, &form);
    rotator->setParent(server); // goes after the server has closed every client
    server->setObjectName(QStringLiteral("RotctldServer"));
    auto* listener = new ServeListener(*server, form);

    form.MenuServeRotctld = new QAction(texts_of(form).serve_rotctld, &form);
    form.MenuServeRotctld->setObjectName(QStringLiteral("MenuServeRotctld"));
    form.MenuUnit->addAction(form.MenuServeRotctld);
    QObject::connect(form.MenuServeRotctld, &QAction::triggered, &form, [&form, server, listener] {
        auto* dialog = new ServeDialog(
            texts_of(form), form.state().ServeRotctld,
            [&form, server, listener](const ServeSetting& setting) {
                ServeSetting& current = form.state().ServeRotctld;
                // The same setting keeps the listener and its clients.
                if (setting.on && current.on && server->isListening() &&
                    setting.address == current.address && setting.port == current.port)
                    return QString();
                const QString reason = listener->listen_now(setting);
                if (reason.isEmpty())
                    current = setting;
                return reason;
            },
            &form, &form.state(), listener->bound());
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->open();
    });

    // Nobody steers once the exit has begun: a late request would open a port again after
    // the antenna was parked.
    QObject::connect(&form, &TForm1::shuttingDown, listener, [listener] { listener->stop(); });

    // A refusal leaves the row as it is, so the next start tries again.
    listener->listen_at_start(form.state().ServeRotctld);
}

} // namespace kestrav
