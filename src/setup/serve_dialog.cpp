#include "setup/serve_dialog.h"

#include "rotor/rotctld_server.h"
#include "station/station_state.h"
#include "ui/accessible_names.h"

#include "setup/languages.h"
#include "ui/dialog_notes.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLayout>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kestrav {

namespace {

// How far the current setting reaches: what the server is bound to while it listens, else
// what the text is as an address; a name not yet found is taken as one address, never as
// this computer.
ServeReach reach_of(const ServeSetting& current, const QHostAddress& bound) {
    if (!bound.isNull())
        return serve_reach(bound);
    if (const std::optional<QHostAddress> literal = serve_literal_address(current.address))
        return serve_reach(*literal);
    return ServeReach::OneAddress;
}

} // namespace

ServeDialog::ServeDialog(const LanguageTexts& texts, const ServeSetting& current, Apply apply,
                         QWidget* parent, const StationState* station, const QHostAddress& bound)
    : QDialog(parent), apply_(std::move(apply)), station_(station),
      current_address_(current.address), current_reach_(reach_of(current, bound)),
      own_server_text_(texts.own_server_serve) {
    setObjectName(QStringLiteral("ServeDialog"));
    setWindowTitle(texts.serve_title);

    serve_ = new QCheckBox(texts.serve_enable, this);
    serve_->setObjectName(QStringLiteral("CheckServe"));
    serve_->setChecked(current.on);
    port_ = new QSpinBox(this);
    port_->setObjectName(QStringLiteral("SpinPort"));
    port_->setRange(1, 65535);
    port_->setValue(current.port);
    local_ = new QRadioButton(texts.serve_local, this);
    local_->setObjectName(QStringLiteral("RadioLocal"));
    all_ = new QRadioButton(texts.serve_all, this);
    all_->setObjectName(QStringLiteral("RadioAll"));
    address_ = new QRadioButton(texts.serve_address.arg(current.address), this);
    address_->setObjectName(QStringLiteral("RadioAddress"));
    address_->setVisible(current_reach_ == ServeReach::OneAddress);
    (current_reach_ == ServeReach::ThisComputer ? local_
     : current_reach_ == ServeReach::Everywhere ? all_
                                                : address_)
        ->setChecked(true);
    warning_ = dialog_note(this, "LabelWarning", texts.serve_warning);
    error_ = dialog_note(this, "LabelError");
    error_->hide();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &ServeDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ServeDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(texts.serve_port, port_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(serve_);
    layout->addLayout(form);
    layout->addWidget(local_);
    layout->addWidget(all_);
    layout->addWidget(address_);
    layout->addWidget(warning_);
    layout->addWidget(error_);
    layout->addWidget(buttons);

    for (QAbstractButton* b :
         {static_cast<QAbstractButton*>(serve_), static_cast<QAbstractButton*>(local_)})
        connect(b, &QAbstractButton::toggled, this, &ServeDialog::update_controls);
    update_controls();
    apply_accessible_names(this, texts.ui_language);
}

ServeSetting ServeDialog::setting() const {
    const ServeReach chosen = local_->isChecked() ? ServeReach::ThisComputer
                              : all_->isChecked() ? ServeReach::Everywhere
                                                  : ServeReach::OneAddress;
    QString address = current_address_;
    if (chosen != current_reach_)
        address =
            QLatin1String(chosen == ServeReach::Everywhere ? kServeAnyAddress : kServeLocalAddress);
    return ServeSetting{serve_->isChecked(), address, port_->value()};
}

QString ServeDialog::refusal(const ServeSetting& setting) const {
    if (station_ == nullptr)
        return {};
    const bool network_set_up =
        station_->SelectedInterface == RotorInterface::Network || station_->NetworkConfigured;
    if (network_set_up && reaches_own_server(station_->NetworkHost, station_->NetworkPort, setting))
        return own_server_text_.arg(setting.port);
    return {};
}

void ServeDialog::accept() {
    QString reason = refusal(setting());
    if (reason.isEmpty())
        reason = apply_(setting());
    if (!reason.isEmpty()) {
        error_->setText(reason);
        error_->show();
        fit_texts();
        return;
    }
    QDialog::accept();
}

void ServeDialog::update_controls() {
    const bool on = serve_->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(port_), static_cast<QWidget*>(local_),
                       static_cast<QWidget*>(all_), static_cast<QWidget*>(address_)})
        w->setEnabled(on);
    warning_->setVisible(on && !local_->isChecked());
    fit_texts();
}

void ServeDialog::fit_texts() {
    fit_dialog_notes(this);
}

} // namespace kestrav
