#pragma once
// The dialog of one UDP rotor protocol (PstRotator's or N1MM's): whether Kestrav turns the
// antenna for its datagrams, on which port, on this computer only, on every interface or at one
// address; for N1MM also the rotor name it answers to and where its heading is reported. Any
// choice but this computer only shows that the protocol has no authentication.

#include "udp_rotor/udp_rotor_setting.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace kestrav {

struct LanguageTexts;

class UdpRotorDialog : public QDialog {
    Q_OBJECT
public:
    // Tries a setting: empty when it took effect, otherwise why not (the dialog then stays open
    // and shows it). A PstRotator setting is the N1MM one without its last three fields.
    using Apply = std::function<QString(const N1mmSetting&)>;

    UdpRotorDialog(const LanguageTexts& texts, bool n1mm, const N1mmSetting& current, Apply apply,
                   QWidget* parent = nullptr);

    void accept() override;

private:
    QString current_address_; // the address of the setting the dialog opened on
    // The setting shown, or why it cannot be one.
    std::optional<N1mmSetting> setting(QString* refusal) const;
    void update_controls();

    const LanguageTexts& texts_;
    bool n1mm_;
    Apply apply_;
    QCheckBox* enable_;
    QSpinBox* port_;
    QRadioButton* local_;
    QRadioButton* all_;
    QRadioButton* address_;
    QLineEdit* address_text_;
    QLineEdit* rotor_ = nullptr;
    QLineEdit* report_address_ = nullptr;
    QSpinBox* report_port_ = nullptr;
    QLabel* warning_;
    QLabel* error_;
};

} // namespace kestrav
