#pragma once
// The small dialog where the operator sets the address and port WSJT-X sends to: its "UDP
// server", 127.0.0.1 port 2237 by default, an address of one of this computer's interfaces,
// every interface (0.0.0.0 or ::, which its check box writes, with a warning: anyone on the
// network could then choose the DX station), or a multicast group that several programs can
// listen to at once. What is typed is checked before it is taken.

#include <QDialog>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace kestrav {

class Desktop;
struct LanguageTexts;

// What is wrong with an address and port typed by the operator, if anything. The address
// must be written out (IPv4 or IPv6, a multicast group included), never a host name.
enum class EndpointProblem { None, Address, Port };
EndpointProblem check_follow_endpoint(const QString& address, const QString& port);

class FollowAddressDialog : public QDialog {
    Q_OBJECT
public:
    using Chosen = std::function<void(const QString& address, quint16 port)>;
    FollowAddressDialog(std::function<Desktop&()> desktop, Chosen chosen, QWidget* parent);

    // Fills the fields with the address and port in use.
    void setValues(const QString& address, quint16 port);
    void setTexts(const LanguageTexts& texts);
    QLineEdit* addressField() const { return address_; }
    QLineEdit* portField() const { return port_; }
    QCheckBox* allInterfacesBox() const { return all_; }
    // Shown while the address is every interface's.
    QLabel* warningLabel() const { return warning_; }
    // OK: the values are taken and the dialog closes, or the operator is told what is wrong
    // and it stays open.
    void accept() override;

private:
    std::function<Desktop&()> desktop_;
    Chosen chosen_;
    QLabel* address_label_;
    QLabel* port_label_;
    QLineEdit* address_;
    QLineEdit* port_;
    QCheckBox* all_;
    QLabel* warning_;
    QString bad_address_, bad_port_;
};

} // namespace kestrav
