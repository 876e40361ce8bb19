#pragma once
// A main window on a temporary application directory with a recording desktop, and typing
// helpers that give the field real keyboard focus first.

#include "app/main_window.h"
#include "geodesy/number_text.h"
#include "setup/init_dialog.h"
#include "support/fake_desktop.h"
#include "support/main_window_parts.h"
#include "support/parallel_port_fake.h"
#include "support/window_messages_fake.h"

#include <QLineEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <ostream>

QT_BEGIN_NAMESPACE
// Readable failure messages for texts.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace kestrav::test {

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        set_decimal_separator(QLatin1Char('.'));
    }
    void TearDown() override {
        if (window) {
            window->state().DdeConversationOpen = 0;
            window->hide();
        }
        window.reset();
    }

    // Creates and shows the main window; `settings` is written as the settings file first.
    void start(const QByteArray& settings = {}) {
        const QString path = dir.path() + QStringLiteral("/");
        if (!settings.isNull()) {
            QFile f(path + QStringLiteral("Kestrav.ini"));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(settings);
        }
        MainWindowContext context;
        context.desktop = &desktop;
        context.parallel_port = &lpt;
        context.window_messages = &window_messages;
        context.exe_directory = path;
        context.app_directory = path;
        context.settings_file_exists = !settings.isNull();
        context.dde_server = dde_server;
        window = std::make_unique<TForm1>(context);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    // The window's controls, menus and timers, found by name once per window.
    MainWindowParts& ui() const {
        if (parts_of_.isNull() || parts_of_ != window.get()) {
            parts = find_parts(*window);
            parts_of_ = window.get();
        }
        return parts;
    }

    // Makes the window holding `w` active and gives `w` the keyboard focus.
    static void focus(QWidget* w) {
        QWidget* top = w->window();
        top->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(top));
        w->setFocus(Qt::OtherFocusReason);
        ASSERT_TRUE(w->hasFocus());
    }

    static void type(QLineEdit* field, const QString& keys) {
        focus(field);
        QTest::keyClicks(field, keys);
    }

    // Empties a field the way the operator does: select all, delete.
    static void erase(QLineEdit* field) {
        focus(field);
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
    }

    void set_local(const QString& locator) {
        TFormInit* init = window->formInit();
        if (!init->isVisible())
            init->show();
        erase(init->EditLocalLocator);
        type(init->EditLocalLocator, locator);
        ASSERT_EQ(window->state().LocalLocator, locator.toUpper());
    }

    QTemporaryDir dir;
    FakeDesktop desktop;
    DdeServer* dde_server = nullptr; // set before start() to publish over a real socket
    FakeParallelPort lpt;
    FakeWindowMessages window_messages;
    std::unique_ptr<TForm1> window;

private:
    mutable MainWindowParts parts;
    mutable QPointer<TForm1> parts_of_; // null once that window is gone
};

} // namespace kestrav::test
