#include "setup/follow_dialog.h"

#include "follow/follow_setting.h"
#include "setup/languages.h"
#include "ui/accessible_names.h"
#include "ui/desktop.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHostAddress>
#include <QLabel>
#include <QLineEdit>

namespace kestrav {

namespace {
// 0.0.0.0 or ::, as typed: the socket then hears every interface.
bool every_interface(const QString& address) {
    const QHostAddress written(address.trimmed());
    return written == QHostAddress::AnyIPv4 || written == QHostAddress::AnyIPv6;
}
} // namespace

EndpointProblem check_follow_endpoint(const QString& address, const QString& port) {
    const QString written = address.trimmed();
    // The settings row's own test too, so that what is taken here reads back at start.
    if (QHostAddress(written).isNull() ||
        !read_follow_setting(QStringLiteral("ON,%1,1").arg(written)))
        return EndpointProblem::Address;
    bool ok = false;
    const int number = port.trimmed().toInt(&ok);
    if (!ok || number < 1 || number > 65535)
        return EndpointProblem::Port;
    return EndpointProblem::None;
}

FollowAddressDialog::FollowAddressDialog(std::function<Desktop&()> desktop, Chosen chosen,
                                         QWidget* parent)
    : QDialog(parent), desktop_(std::move(desktop)), chosen_(std::move(chosen)),
      address_label_(new QLabel(this)), port_label_(new QLabel(this)),
      address_(new QLineEdit(this)), port_(new QLineEdit(this)), all_(new QCheckBox(this)),
      warning_(new QLabel(this)) {
    setObjectName(QStringLiteral("FollowAddressDialog"));
    address_->setObjectName(QStringLiteral("FollowAddress"));
    port_->setObjectName(QStringLiteral("FollowPort"));
    all_->setObjectName(QStringLiteral("CheckFollowAll"));
    warning_->setObjectName(QStringLiteral("LabelFollowWarning"));
    warning_->setWordWrap(true);
    warning_->hide();
    address_->setMaxLength(45);
    port_->setMaxLength(5);
    auto* form = new QFormLayout(this);
    form->addRow(address_label_, address_);
    form->addRow(port_label_, port_);
    form->addRow(all_);
    form->addRow(warning_);
    // The box writes the address and the address sets the box, so the two never disagree;
    // unchecked, it is this computer only again.
    connect(all_, &QCheckBox::clicked, this, [this](bool all) {
        address_->setText(all ? QStringLiteral("0.0.0.0") : QStringLiteral("127.0.0.1"));
    });
    connect(address_, &QLineEdit::textChanged, this, [this](const QString& text) {
        const bool all = every_interface(text);
        all_->setChecked(all);
        warning_->setVisible(all);
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &FollowAddressDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &FollowAddressDialog::reject);
    setTexts(language_texts(UiLanguage::English));
}

void FollowAddressDialog::setValues(const QString& address, quint16 port) {
    address_->setText(address);
    port_->setText(QString::number(port));
}

void FollowAddressDialog::setTexts(const LanguageTexts& texts) {
    setWindowTitle(texts.follow_title);
    address_label_->setText(texts.follow_address);
    port_label_->setText(texts.follow_port);
    all_->setText(texts.serve_all);
    warning_->setText(texts.follow_all_warning);
    bad_address_ = texts.follow_bad_address;
    bad_port_ = texts.follow_bad_port;
    apply_accessible_names(this, texts.ui_language);
}

void FollowAddressDialog::accept() {
    switch (check_follow_endpoint(address_->text(), port_->text())) {
    case EndpointProblem::Address:
        desktop_().message_box(this, BoxIcon::Warning, bad_address_);
        address_->setFocus();
        return;
    case EndpointProblem::Port:
        desktop_().message_box(this, BoxIcon::Warning, bad_port_);
        port_->setFocus();
        return;
    case EndpointProblem::None:
        break;
    }
    QDialog::accept();
    chosen_(address_->text().trimmed(), static_cast<quint16>(port_->text().trimmed().toInt()));
}

} // namespace kestrav
