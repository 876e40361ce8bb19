// The main window as the map window's host: the "&Map" menu item, the DX station and beam the
// map draws, the DX station set from a click on the map, and the changes the map follows.

#include "ui/accessible_names.h"
#include "ui/desktop.h"
#include "app/main_window_hosts.h"
#include "follow/follow_logic.h"
#include "follow/follow_wsjtx.h"
#include "geodesy/number_text.h"
#include "map/map_window.h"
#include "setup/init_dialog.h"
#include "setup/languages.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QScopedValueRollback>
#include <QToolButton>

#include <cmath>

namespace kestrav {

namespace {

double signed_degrees(double magnitude, bool positive) {
    return positive ? magnitude : -magnitude;
}

} // namespace

// The menu item, placed after the unit menu; F3 opens the map from anywhere in the window.
void TForm1::build_map_menu() {
    MenuMap = menuBar()->addAction(language_texts(UiLanguage::English).map);
    MenuMap->setObjectName(QStringLiteral("MenuMap"));
    MenuMap->setShortcut(QKeySequence(Qt::Key_F3));
    connect(MenuMap, &QAction::triggered, this, &TForm1::MenuMapClick);
    addAction(MenuMap);
    FormMap = new MapWindow(*hosts_);
}

void TForm1::MenuMapClick() {
    FormMap->open();
}

MapDxView TForm1::Hosts::mapDxView() const {
    MapDxView view;
    view.has_dx = w_.EditDXLocator->text().size() == 6 && !w_.EditDXLattitude->text().isEmpty() &&
                  !w_.EditDXLongitude->text().isEmpty();
    view.dx = {signed_degrees(w_.state_.DxLatitude, w_.CheckBoxLattitudeNordDX->isChecked()),
               signed_degrees(w_.state_.DxLongitude, w_.CheckBoxLongitudeEstDX->isChecked())};
    // The prefix or call and the name of the list entry the DX station was chosen from, or
    // its locator when it was typed.
    for (int n = 0; n <= kPersonalListCount; ++n) {
        const QComboBox* list = w_.station_list(n);
        if (list->currentIndex() < 0)
            continue;
        const QStringList fields = list->currentText().split(u'\t');
        view.label = fields.size() >= 2 ? fields[0] + QStringLiteral("  ") + fields[1] : fields[0];
        break;
    }
    // The call and grid it was set by (WSJT-X, a call's country) while its locator stands.
    if (view.label.isEmpty() && !w_.state_.DxLabel.isEmpty() &&
        w_.state_.DxLabelLocator == w_.EditDXLocator->text()) {
        view.label = w_.state_.DxLabel;
        // "CALL  country" or "CALL  grid"; a grid alone came with no call.
        const qsizetype call_end = view.label.indexOf(QStringLiteral("  "));
        if (call_end > 0)
            view.call = view.label.left(call_end);
    }
    if (view.label.isEmpty())
        view.label = w_.EditDXLocator->text();
    view.has_azimuth = !w_.EditAzimut->text().isEmpty();
    view.long_path = w_.long_path_;
    view.miles = w_.mile_;
    return view;
}

void TForm1::Hosts::showPlacedDx(const DxPlacement& placed, const std::optional<QString>& label) {
    {
        // Never the operator's typing, even with the caret in the azimuth field: the DX
        // fields keep the station and its bearing goes out once, with AUTO down, as a list
        // choice's does.
        const QScopedValueRollback<bool> outside(w_.placing_outside_dx_, true);
        // The boxes and fields are set from code, so their own handlers stay quiet; one
        // computation follows, as after the last keystroke of a typed position.
        w_.CheckBoxLattitudeNordDX->setChecked(placed.north);
        w_.CheckBoxLattitudeSudDX->setChecked(!placed.north);
        w_.CheckBoxLongitudeEstDX->setChecked(placed.east);
        w_.CheckBoxLongitudeOuestDX->setChecked(!placed.east);
        w_.state_.DxLatitude = placed.latitude;
        w_.EditDXLattitude->setText(placed.latitude_text);
        w_.state_.DxLongitude = placed.longitude;
        w_.EditDXLongitude->setText(placed.longitude_text);
        w_.clear_list_selections();
        w_.update_dx_locator();
    }
    if (!label)
        return;
    // The label stays the map's while the DX locator stays the one it was set with.
    w_.state_.DxLabel = *label;
    w_.state_.DxLabelLocator = w_.EditDXLocator->text();
    if (w_.FormMap != nullptr && w_.FormMap->isVisible())
        w_.FormMap->refresh();
}

void TForm1::Hosts::placeDxCall(const QString& call) {
    if (follow == nullptr || !follow->setDxFromCall(call)) {
        w_.desktop_->beep();
        if (w_.FormMap != nullptr)
            tell_refusal(w_.FormMap->findChild<QWidget*>(QStringLiteral("EditDXCall")),
                         Refusal::UnknownCall);
    }
}

// Every control whose change can move a station, the azimuth, the long path or the unit,
// here and in the initialisation dialog.
void TForm1::Hosts::followMapChanges(QObject* receiver, std::function<void()> changed) {
    const auto follow = [receiver, &changed](auto* sender, auto signal) {
        QObject::connect(sender, signal, receiver, changed);
    };
    TFormInit* init = w_.formInit();
    for (QLineEdit* field :
         {w_.EditDXLocator, w_.EditDXLattitude, w_.EditDXLongitude, w_.EditAzimut, w_.EditDistance,
          init->EditLocalLocator, init->EditLocalLattitude, init->EditLocalLongitude})
        follow(field, &QLineEdit::textChanged);
    for (QCheckBox* box : {w_.CheckBoxLattitudeNordDX, w_.CheckBoxLongitudeEstDX,
                           init->CheckBoxLattitudeNord, init->CheckBoxLongitudeEst})
        follow(box, &QCheckBox::toggled);
    for (int n = 0; n <= kPersonalListCount; ++n)
        follow(w_.station_list(n), &QComboBox::currentIndexChanged);
    follow(w_.SpeedButtonLP, &QToolButton::toggled);
    follow(w_.MenuKm, &QAction::toggled);
}

} // namespace kestrav
