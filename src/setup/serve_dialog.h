#pragma once
// The "Serve rotctld" dialog: whether Kestrav answers rotctld clients, on which port, and
// whether on this computer only or on every network interface. An address of the settings
// file that is neither (one network address of this computer, a name not found) shows as a
// third choice, as written. Every choice but this computer only shows a warning that the
// protocol has no authentication.

#include "settings/serve_setting.h"
#include "setup/serve_address.h"

#include <QDialog>
#include <QHostAddress>

#include <functional>

class QCheckBox;
class QLabel;
class QRadioButton;
class QSpinBox;

namespace kestrav {

struct LanguageTexts;
struct StationState;

class ServeDialog : public QDialog {
    Q_OBJECT
public:
    // Tries a setting: empty when it took effect, otherwise why not (the dialog then stays
    // open and shows it).
    using Apply = std::function<QString(const ServeSetting&)>;

    // With `station`, a setting that the Network interface (in use, or set up) would reach
    // on this computer is refused before it is tried: GO would only come back to Kestrav.
    // `bound` is the address the server listens on now (null when it does not): its choice
    // shows what is, rather than what the settings text seems to say.
    ServeDialog(const LanguageTexts& texts, const ServeSetting& current, Apply apply,
                QWidget* parent = nullptr, const StationState* station = nullptr,
                const QHostAddress& bound = QHostAddress());

    ServeSetting setting() const;
    void accept() override;

private:
    void update_controls();
    void fit_texts();

    // Why the setting cannot be served, before it is tried; empty when it can.
    QString refusal(const ServeSetting& setting) const;

    Apply apply_;
    const StationState* station_;
    // The address as the settings have it, and how far it reaches: a choice left as it was
    // keeps that very address.
    QString current_address_;
    ServeReach current_reach_;
    QString own_server_text_;
    QCheckBox* serve_;
    QSpinBox* port_;
    QRadioButton* local_;
    QRadioButton* all_;
    QRadioButton* address_;
    QLabel* warning_;
    QLabel* error_;
};

} // namespace kestrav
