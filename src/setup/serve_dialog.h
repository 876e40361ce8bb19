#pragma once
// The "Serve rotctld" dialog: whether Kestrav answers rotctld clients, on which port, and
// whether on this computer only or on every network interface (with a warning that the
// protocol has no authentication).

#include "settings/serve_setting.h"

#include <QDialog>

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
    ServeDialog(const LanguageTexts& texts, const ServeSetting& current, Apply apply,
                QWidget* parent = nullptr, const StationState* station = nullptr);

    ServeSetting setting() const;
    void accept() override;

private:
    void update_controls();
    void fit_texts();

    // Why the setting cannot be served, before it is tried; empty when it can.
    QString refusal(const ServeSetting& setting) const;

    Apply apply_;
    const StationState* station_;
    QString own_server_text_;
    QCheckBox* serve_;
    QSpinBox* port_;
    QRadioButton* local_;
    QRadioButton* all_;
    QLabel* warning_;
    QLabel* error_;
};

} // namespace kestrav
