#pragma once
// The main window with its GS-232 or EasyComm controller on a pseudo-terminal linked as
// ports/COM1, an azimuth-elevation rotator chosen through the initialisation dialog as the
// operator chooses it, and the elevation's widgets found by name.

#include "app/widgets.h"
#include "setup/dialog_controls.h"
#include "support/pty_port.h"
#include "support/window_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

namespace kestrav::test {

class AzElWindowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        start();
        port = std::make_unique<PtyPort>(dir.path(), QStringLiteral("COM1"));
        ASSERT_TRUE(port->ok());
        window->state().Gs232Com = 0;
        window->state().EasyCommCom = 0;
        elevation = window->findChild<QLineEdit*>(QStringLiteral("EditElevation"));
        arrows = window->findChild<UpDown*>(QStringLiteral("UpDownElevation"));
        ASSERT_NE(elevation, nullptr);
        ASSERT_NE(arrows, nullptr);
    }
    void TearDown() override {
        if (window)
            window->stop_all();
        WindowTest::TearDown();
        port.reset();
    }

    TFormInit* dialog() {
        TFormInit* init = window->formInit();
        if (!init->isVisible())
            init->show();
        return init;
    }
    template <class T> T* in_dialog(const QString& name) {
        T* w = dialog()->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }

    // The interface chosen in the dialog, its rotator turning in elevation up to `highest`
    // (none: an azimuth rotator), the dialog closed again.
    void choose(RotorInterface which, std::optional<int> highest) {
        TFormInit* init = dialog();
        init->RadioGroupRotor->setItemIndex(static_cast<int>(which));
        init->RadioGroupRotorClick();
        if (which == RotorInterface::Gs232 || which == RotorInterface::EasyComm) {
            const QString tab =
                which == RotorInterface::Gs232 ? QStringLiteral("GS") : QStringLiteral("Easy");
            auto* box = in_dialog<QCheckBox>(QStringLiteral("CheckBoxAzEl") + tab);
            if (box->isChecked() != highest.has_value())
                box->click();
            if (highest) {
                auto* max = in_dialog<QComboBox>(QStringLiteral("ComboBoxMaxEl") + tab);
                max->setCurrentIndex(*highest == 180 ? 1 : 0);
                emit max->activated(max->currentIndex());
            }
        }
        init->close();
    }

    // Types an elevation over the field's whole text, as the operator does.
    void type_elevation(const QString& text) {
        focus(elevation);
        elevation->selectAll();
        QTest::keyClicks(elevation, text);
    }

    void type_azimuth(const QString& text) {
        ui().ComboBoxListDX->setFocus();
        ui().EditAzimut->clear();
        type(ui().EditAzimut, text);
    }

    std::unique_ptr<PtyPort> port;
    QLineEdit* elevation = nullptr;
    UpDown* arrows = nullptr;
};

} // namespace kestrav::test
