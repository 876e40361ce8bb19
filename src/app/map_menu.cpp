// The main window as the map window's host: the "&Map" menu item, the DX station and beam the
// map draws, the DX station set from a click on the map, and the changes the map follows.

#include "app/follow_wsjtx.h"
#include "app/main_window_hosts.h"
#include "follow/follow_logic.h"
#include "geodesy/bearing.h"
#include "geodesy/number_text.h"
#include "map/map_window.h"
#include "setup/init_dialog.h"
#include "setup/languages.h"
#include "ui/accessible_names.h"
#include "ui/desktop.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QToolButton>

#include <cmath>

namespace kestrav {

// The menu item, placed after the unit menu; F3 opens the map from anywhere in the window.
void TForm1::Hosts::installMap() {
    TForm1& w = w_;
    w.MenuMap = w.menuBar()->addAction(language_texts(UiLanguage::English).map);
    w.MenuMap->setObjectName(QStringLiteral("MenuMap"));
    w.MenuMap->setShortcut(QKeySequence(Qt::Key_F3));
    QObject::connect(w.MenuMap, &QAction::triggered, &w, &TForm1::MenuMapClick);
    w.addAction(w.MenuMap);
    w.FormMap = new MapWindow(*this);
}

void TForm1::MenuMapClick() {
    FormMap->open();
}

MapDxView TForm1::Hosts::mapDxView() const {
    MapDxView view;
    view.has_dx = w_.EditDXLocator->text().size() == 6 && !w_.EditDXLattitude->text().isEmpty() &&
                  !w_.EditDXLongitude->text().isEmpty();
    view.dx = {signed_degrees(w_.state().DxLatitude, w_.CheckBoxLattitudeNordDX->isChecked()),
               signed_degrees(w_.state().DxLongitude, w_.CheckBoxLongitudeEstDX->isChecked())};
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
    if (view.label.isEmpty() && !w_.state().DxLabel.isEmpty() &&
        w_.state().DxLabelLocator == w_.EditDXLocator->text()) {
        view.label = w_.state().DxLabel;
        // "CALL  country" or "CALL  grid"; a grid alone came with no call.
        const qsizetype call_end = view.label.indexOf(QStringLiteral("  "));
        if (call_end > 0)
            view.call = view.label.left(call_end);
    }
    if (view.label.isEmpty())
        view.label = w_.EditDXLocator->text();
    view.has_azimuth = !w_.EditAzimut->text().isEmpty();
    view.long_path = w_.longPath();
    view.miles = w_.mile();
    return view;
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
