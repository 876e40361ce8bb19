// Where the rotctld server listens for each address its settings row may hold: the address
// the listening socket really has (what `ss -ltn` shows), the choice the dialog shows, and
// whether the start tells that other computers can reach it, or why it does not listen.

#include "rotor/rotctld_server.h"
#include "settings/settings_writer.h"
#include "support/window_fixture.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QNetworkInterface>
#include <QRadioButton>
#include <QSpinBox>
#include <QTcpServer>

namespace kestrav::test {
namespace {

quint16 free_port(const QHostAddress& on = QHostAddress::LocalHost) {
    QTcpServer probe;
    return probe.listen(on) ? probe.serverPort() : 0;
}

// An IPv4 address of this computer's network, if it has one.
std::optional<QHostAddress> network_address() {
    for (const QHostAddress& a : QNetworkInterface::allAddresses())
        if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback())
            return a;
    return std::nullopt;
}

class ServeBindingTest : public WindowTest {
protected:
    RotctldServer* server() const { return window->findChild<RotctldServer*>(); }
    // The listening socket itself, while there is one.
    const QTcpServer* socket() const {
        return server()->isListening() ? server()->findChild<QTcpServer*>() : nullptr;
    }
    // Boxes about the rotctld server, told at start.
    QStringList serve_boxes() const {
        QStringList texts;
        for (const RecordedBox& box : desktop.boxes)
            if (box.text.contains(QStringLiteral("rotctld")))
                texts << box.text;
        return texts;
    }
    QDialog* open_dialog() {
        ui().MenuServeRotctld->trigger();
        return window->findChild<QDialog*>(QStringLiteral("ServeDialog"));
    }
};

struct Binding {
    QString address;                    // as the row holds it
    std::optional<QHostAddress> listen; // the socket's address; nothing: refused
    const char* choice;                 // the dialog's checked choice
    const char* told;                   // in the box told at start; "" for none
};

TEST_F(ServeBindingTest, EachAddressListensWhereItSaysAndIsShownAndToldSo) {
    const QString reachable = QStringLiteral("where other computers can reach it");
    std::vector<Binding> rows{
        {"127.0.0.1", QHostAddress(QHostAddress::LocalHost), "RadioLocal", ""},
        {"localhost", QHostAddress(QHostAddress::LocalHost), "RadioLocal", ""},
        {"0.0.0.0", QHostAddress(QHostAddress::AnyIPv4), "RadioAll", "0.0.0.0 port"},
        {"local_host", std::nullopt, "RadioAddress", "at local_host port"},
        {"256.0.0.1", std::nullopt, "RadioAddress", "at 256.0.0.1 port"},
        {"1.2", std::nullopt, "RadioAddress", "at 1.2 port"},
        {"198.51.100.7", std::nullopt, "RadioAddress", "cannot serve rotctld on port"},
    };
    if (free_port(QHostAddress::LocalHostIPv6) != 0) {
        rows.push_back({"::1", QHostAddress(QHostAddress::LocalHostIPv6), "RadioLocal", ""});
        rows.push_back({"::", QHostAddress(QHostAddress::AnyIPv6), "RadioAll", ":: port"});
    }
    if (const std::optional<QHostAddress> lan = network_address())
        rows.push_back({lan->toString(), *lan, "RadioAddress", "port"});

    for (const Binding& row : rows) {
        SCOPED_TRACE(row.address.toStdString());
        TearDown();
        desktop.boxes.clear();
        const quint16 port = free_port(row.listen.value_or(QHostAddress(QHostAddress::LocalHost)));
        const QString line = QStringLiteral("SERVE_ROTCTLD=%1,%2").arg(row.address).arg(port);
        start((line + QStringLiteral("\r\n")).toLatin1());
        window->formInit()->hide();

        // A name is looked up before listening, and the start tells in the same turn.
        const bool told = *row.told != '\0';
        if (row.listen) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return server()->isListening(); }, 5000));
        }
        if (told) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return !serve_boxes().isEmpty(); }, 5000));
        }
        QCoreApplication::processEvents(); // a box due once the window is up has come
        if (row.listen) {
            ASSERT_NE(socket(), nullptr);
            EXPECT_EQ(socket()->serverAddress(), *row.listen);
            EXPECT_EQ(socket()->serverPort(), port);
        } else {
            EXPECT_FALSE(server()->isListening());
        }
        const QStringList boxes = serve_boxes();
        if (!told) {
            EXPECT_EQ(boxes, QStringList{});
        } else {
            ASSERT_EQ(boxes.size(), 1) << boxes.join(u'|').toStdString();
            EXPECT_TRUE(boxes[0].contains(QLatin1String(row.told))) << boxes[0].toStdString();
            EXPECT_EQ(boxes[0].contains(reachable), row.listen.has_value());
        }
        EXPECT_EQ(settings_lines(window->state(), false, false).last(), line)
            << "the row stays as written";

        // The dialog shows that very binding, with the warning for all but this computer.
        QDialog* dialog = open_dialog();
        ASSERT_NE(dialog, nullptr);
        for (const char* name : {"RadioLocal", "RadioAll", "RadioAddress"}) {
            auto* radio = dialog->findChild<QRadioButton*>(QLatin1String(name));
            EXPECT_EQ(radio->isChecked(), qstrcmp(name, row.choice) == 0) << name;
            if (radio->isChecked()) {
                EXPECT_TRUE(radio->isVisible()) << name;
            }
        }
        auto* address = dialog->findChild<QRadioButton*>(QStringLiteral("RadioAddress"));
        if (address->isVisible()) {
            EXPECT_EQ(address->text(), QStringLiteral("This address only: ") + row.address);
        }
        EXPECT_EQ(dialog->findChild<QLabel*>(QStringLiteral("LabelWarning"))->isVisible(),
                  qstrcmp(row.choice, "RadioLocal") != 0);

        // Another port keeps the address as written, and where it listens.
        if (row.listen) {
            const quint16 other = free_port(*row.listen);
            dialog->findChild<QSpinBox*>(QStringLiteral("SpinPort"))->setValue(other);
            dialog->accept();
            ASSERT_NE(socket(), nullptr);
            EXPECT_EQ(socket()->serverAddress(), *row.listen);
            EXPECT_EQ(socket()->serverPort(), other);
            EXPECT_EQ(window->state().ServeRotctld.address, row.address);
        } else {
            dialog->reject();
        }
        delete dialog;
    }
}

// Choosing this computer only from a wider binding listens on the loopback address.
TEST_F(ServeBindingTest, ThisComputerOnlyIsTheLoopback) {
    start(QStringLiteral("SERVE_ROTCTLD=0.0.0.0,%1\r\n").arg(free_port()).toLatin1());
    window->formInit()->hide();
    QDialog* dialog = open_dialog();
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QRadioButton*>(QStringLiteral("RadioLocal"))->setChecked(true);
    EXPECT_FALSE(dialog->findChild<QLabel*>(QStringLiteral("LabelWarning"))->isVisible());
    dialog->accept();
    ASSERT_NE(socket(), nullptr);
    EXPECT_EQ(socket()->serverAddress(), QHostAddress(QHostAddress::LocalHost));
    EXPECT_EQ(window->state().ServeRotctld.address, QStringLiteral("127.0.0.1"));
    delete dialog;
}

} // namespace
} // namespace kestrav::test
