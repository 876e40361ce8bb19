// Kestrav's rotctld server in the main window: its item under "&Unit", its dialog, and where
// it listens. What a client asks is done by the station session (RotctldService); nothing a
// client asks waits for a hand at the desk.

#include "app/main_window_hosts.h"
#include "app/widgets.h"
#include "rotor/rotctld_server.h"
#include "setup/languages.h"
#include "setup/serve_address.h"
#include "setup/serve_dialog.h"
#include "station/rotctld_service.h"
#include "ui/desktop.h"

#include <QAction>
#include <QHostInfo>
#include <QMenu>
#include <QTimer>

namespace kestrav {

namespace {

const LanguageTexts& texts_of(const TForm1& form) {
    return language_texts(form.french() ? UiLanguage::French : UiLanguage::English);
}

} // namespace

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
    auto* rotator = new RotctldService(form.session());
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
