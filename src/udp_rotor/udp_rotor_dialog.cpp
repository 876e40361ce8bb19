#include "udp_rotor/udp_rotor_dialog.h"

#include "settings/serve_setting.h"
#include "setup/languages.h"
#include "udp_rotor/n1mm_datagram.h"
#include "ui/accessible_names.h"
#include "ui/dialog_notes.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHostAddress>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kestrav {

namespace {

QSpinBox* port_box(QWidget* parent, const char* name, int value) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(1, 65535);
    box->setValue(value);
    return box;
}

} // namespace

UdpRotorDialog::UdpRotorDialog(const LanguageTexts& texts, bool n1mm, const N1mmSetting& current,
                               Apply apply, QWidget* parent)
    : QDialog(parent), texts_(texts), n1mm_(n1mm), apply_(std::move(apply)) {
    setObjectName(n1mm ? QStringLiteral("N1mmDialog") : QStringLiteral("PstRotatorDialog"));
    QString title = n1mm ? texts.udp_n1mm_item : texts.udp_pst_item;
    setWindowTitle(title.remove(QStringLiteral("...")));

    enable_ = new QCheckBox(n1mm ? texts.udp_n1mm_enable : texts.udp_pst_enable, this);
    enable_->setObjectName(QStringLiteral("CheckEnable"));
    enable_->setChecked(current.on);
    port_ = port_box(this, "SpinPort", current.port);
    local_ = new QRadioButton(texts.serve_local, this);
    local_->setObjectName(QStringLiteral("RadioLocal"));
    all_ = new QRadioButton(texts.serve_all, this);
    all_->setObjectName(QStringLiteral("RadioAll"));
    address_ = new QRadioButton(texts.udp_address, this);
    address_->setObjectName(QStringLiteral("RadioAddress"));
    address_text_ = new QLineEdit(this);
    address_text_->setObjectName(QStringLiteral("EditAddress"));
    address_text_->setAccessibleName(texts.udp_address);
    current_address_ = current.address;
    const QHostAddress bound(current.address);
    if (bound.isLoopback())
        local_->setChecked(true);
    else if (bound == QHostAddress::AnyIPv4 || bound == QHostAddress::AnyIPv6)
        all_->setChecked(true);
    else
        address_->setChecked(true);
    if (address_->isChecked())
        address_text_->setText(current.address);

    auto* form = new QFormLayout;
    form->addRow(texts.serve_port, port_);
    auto* address_row = new QHBoxLayout;
    address_row->addWidget(address_);
    address_row->addWidget(address_text_);
    auto* report_form = new QFormLayout;
    if (n1mm) {
        rotor_ = new QLineEdit(current.rotor, this);
        rotor_->setObjectName(QStringLiteral("EditRotorName"));
        rotor_->setMaxLength(static_cast<int>(kN1mmLongestName));
        report_address_ = new QLineEdit(current.report_address, this);
        report_address_->setObjectName(QStringLiteral("EditReportAddress"));
        report_port_ = port_box(this, "SpinReportPort", current.report_port);
        report_form->addRow(texts.udp_rotor_name, rotor_);
        report_form->addRow(texts.udp_report_address, report_address_);
        report_form->addRow(texts.udp_report_port, report_port_);
    }
    warning_ = dialog_note(this, "LabelWarning", texts.udp_warning);
    error_ = dialog_note(this, "LabelError");
    error_->hide();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &UdpRotorDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &UdpRotorDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(enable_);
    layout->addLayout(form);
    layout->addWidget(local_);
    layout->addWidget(all_);
    layout->addLayout(address_row);
    layout->addLayout(report_form);
    layout->addWidget(warning_);
    layout->addWidget(error_);
    layout->addWidget(buttons);

    for (QAbstractButton* b :
         {static_cast<QAbstractButton*>(enable_), static_cast<QAbstractButton*>(local_),
          static_cast<QAbstractButton*>(all_)})
        connect(b, &QAbstractButton::toggled, this, &UdpRotorDialog::update_controls);
    update_controls();
    apply_accessible_names(this, texts.ui_language);
}

std::optional<N1mmSetting> UdpRotorDialog::setting(QString* refusal) const {
    N1mmSetting s;
    s.used = true;
    s.on = enable_->isChecked();
    s.port = port_->value();
    // "This computer" keeps the loopback address it had (::1 stays ::1).
    const bool was_local = QHostAddress(current_address_).isLoopback();
    s.address = local_->isChecked()
                    ? (was_local ? current_address_ : QLatin1String(kUdpLocalAddress))
                : all_->isChecked() ? QLatin1String(kServeAnyAddress)
                                    : address_text_->text().trimmed();
    if (!udp_address_fits(s.address)) {
        *refusal = texts_.udp_bad_address.arg(s.address);
        return std::nullopt;
    }
    if (!n1mm_)
        return s;
    s.rotor = rotor_->text();
    s.report_address = report_address_->text().trimmed();
    s.report_port = report_port_->value();
    if (!n1mm_rotor_name_fits(s.rotor)) {
        *refusal = texts_.udp_bad_name;
        return std::nullopt;
    }
    if (!udp_address_fits(s.report_address)) {
        *refusal = texts_.udp_bad_address.arg(s.report_address);
        return std::nullopt;
    }
    return s;
}

void UdpRotorDialog::accept() {
    QString reason;
    if (const std::optional<N1mmSetting> chosen = setting(&reason))
        reason = apply_(*chosen);
    if (!reason.isEmpty()) {
        error_->setText(reason);
        error_->show();
        fit_dialog_notes(this);
        return;
    }
    QDialog::accept();
}

void UdpRotorDialog::update_controls() {
    const bool on = enable_->isChecked();
    for (QWidget* w :
         {static_cast<QWidget*>(port_), static_cast<QWidget*>(local_), static_cast<QWidget*>(all_),
          static_cast<QWidget*>(address_), static_cast<QWidget*>(address_text_)})
        w->setEnabled(on);
    warning_->setVisible(on && !local_->isChecked());
    fit_dialog_notes(this);
}

} // namespace kestrav
