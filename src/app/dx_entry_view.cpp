// The DX station entry of the main window: the locator field, the two coordinate fields and
// the hemisphere boxes follow each other as the operator types, and a station placed from
// outside is shown as a chosen list entry is.

#include "app/dx_entry_view.h"

#include "app/azimuth_panel.h"
#include "app/main_window.h"
#include "app/widgets.h"
#include "geodesy/locator.h"
#include "geodesy/number_text.h"
#include "map/map_window.h"
#include "ui/desktop.h"
#include "ui/field_text.h"
#include "ui/fonts.h"
#include "ui/widget_factory.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include <cmath>

namespace kestrav {

namespace {

QComboBox* make_list(QWidget* parent, const char* name, int x, int y, int w, int h, int points) {
    auto* list = make<StationListBox>(parent, name, x, y, w, h);
    list->setMaxVisibleItems(15);
    list->setFont(arial(points));
    return list;
}

} // namespace

DxEntryView::DxEntryView(TForm1& window, MainWindowUi& ui, StationState& state,
                         AzimuthPanel& azimuth)
    : window_(window), ui_(ui), state_(state), azimuth_(azimuth), session_(window.session()) {}

void DxEntryView::buildDxGroup(QWidget* client) {
    MainWindowUi& u = ui_;
    u.GroupBoxDX = make<QGroupBox>(client, "GroupBoxDX", 10, 8, 225, 281);
    u.GroupBoxDX->setTitle(QStringLiteral("DX"));
    u.GroupBoxDX->setFont(arial(10));
    set_background(u.GroupBoxDX, QColor(224, 255, 255));
    QWidget* g = u.GroupBoxDX;
    const QFont label_font = arial(8);

    u.LabelDXLocator =
        make_label(g, "LabelDXLocator", 72, 8, 73, 14, QStringLiteral("Locator"), label_font);
    u.EditDXLocator = make<QLineEdit>(g, "EditDXLocator", 72, 22, 73, 24);
    u.LabelDXLattitude =
        make_label(g, "LabelDXLattitude", 72, 48, 73, 14, QStringLiteral("Latitude"), label_font);
    u.CheckBoxLattitudeNordDX =
        make_check(g, "CheckBoxLattitudeNordDX", 32, 64, 33, 17, QStringLiteral("N"), true, true);
    u.EditDXLattitude = make<QLineEdit>(g, "EditDXLattitude", 72, 62, 73, 24);
    u.CheckBoxLattitudeSudDX =
        make_check(g, "CheckBoxLattitudeSudDX", 152, 64, 30, 17, QStringLiteral("S"), false, false);
    u.LabelDXLongitude =
        make_label(g, "LabelDXLongitude", 80, 88, 56, 14, QStringLiteral("Longitude"), label_font);
    u.CheckBoxLongitudeOuestDX =
        make_check(g, "CheckBoxLongitudeOuestDX", 32, 104, 33, 17, QStringLiteral("W"), true, true);
    u.EditDXLongitude = make<QLineEdit>(g, "EditDXLongitude", 72, 102, 73, 24);
    u.CheckBoxLongitudeEstDX = make_check(g, "CheckBoxLongitudeEstDX", 152, 104, 30, 17,
                                          QStringLiteral("E"), false, false);
    for (QLineEdit* e : {u.EditDXLocator, u.EditDXLattitude, u.EditDXLongitude})
        e->setFont(arial(10));
    u.Label1 = make_label(g, "Label1", 72, 128, 73, 14, QStringLiteral("DXCC"), label_font);
    u.ComboBoxListDX = make_list(g, "ComboBoxListDX", 8, 142, 209, 23, 9);
    u.LabelPerso1 =
        make_label(g, "LabelPerso1", 8, 165, 201, 14, QStringLiteral("LIST 1"), label_font);
    u.ComboBoxPerso1 = make_list(g, "ComboBoxPerso1", 8, 178, 209, 22, 8);
    u.LabelPerso2 =
        make_label(g, "LabelPerso2", 8, 201, 201, 14, QStringLiteral("LIST 2"), label_font);
    u.ComboBoxPerso2 = make_list(g, "ComboBoxPerso2", 8, 214, 209, 22, 8);
    u.LabelPerso3 =
        make_label(g, "LabelPerso3", 8, 237, 201, 14, QStringLiteral("LIST 3"), label_font);
    u.ComboBoxPerso3 = make_list(g, "ComboBoxPerso3", 8, 250, 209, 22, 8);
    // A screen reader names a list after its label (a personal list's label shows its
    // title): the list itself reads as its chosen entry.
    u.Label1->setBuddy(u.ComboBoxListDX);
    u.LabelPerso1->setBuddy(u.ComboBoxPerso1);
    u.LabelPerso2->setBuddy(u.ComboBoxPerso2);
    u.LabelPerso3->setBuddy(u.ComboBoxPerso3);

    TForm1* w = &window_;
    QObject::connect(u.EditDXLocator, &QLineEdit::textChanged, w, &TForm1::EditDXLocatorChange);
    QObject::connect(u.EditDXLattitude, &QLineEdit::textChanged, w, &TForm1::EditDXLattitudeChange);
    QObject::connect(u.EditDXLongitude, &QLineEdit::textChanged, w, &TForm1::EditDXLongitudeChange);
    QObject::connect(u.CheckBoxLattitudeNordDX, &QCheckBox::toggled, w,
                     &TForm1::CheckBoxLattitudeNordDXClick);
    QObject::connect(u.CheckBoxLattitudeSudDX, &QCheckBox::toggled, w,
                     &TForm1::CheckBoxLattitudeSudDXClick);
    QObject::connect(u.CheckBoxLongitudeOuestDX, &QCheckBox::toggled, w,
                     &TForm1::CheckBoxLongitudeOuestDXClick);
    QObject::connect(u.CheckBoxLongitudeEstDX, &QCheckBox::toggled, w,
                     &TForm1::CheckBoxLongitudeEstDXClick);
    // Only the operator's own choices select an entry; selections made by code do not.
    QObject::connect(u.ComboBoxListDX, &QComboBox::activated, w, &TForm1::ComboBoxListDXClick);
    QObject::connect(u.ComboBoxPerso1, &QComboBox::activated, w, &TForm1::ComboBoxPerso1Click);
    QObject::connect(u.ComboBoxPerso2, &QComboBox::activated, w, &TForm1::ComboBoxPerso2Click);
    QObject::connect(u.ComboBoxPerso3, &QComboBox::activated, w, &TForm1::ComboBoxPerso3Click);
}

void DxEntryView::locatorEdited() {
    MainWindowUi& u = ui_;
    if (!u.EditDXLocator->hasFocus())
        return;
    u.clear_list_selections();
    const QString text = apply_locator_rules(u.EditDXLocator);
    state_.DxLocator = text;
    if (text.isEmpty()) {
        u.EditDXLattitude->clear();
        u.EditDXLongitude->clear();
        state_.DxLatitude = 0;
        state_.DxLongitude = 0;
        u.EditAzimut->clear();
        u.EditDistance->clear();
    } else if (locator_complete(text)) {
        showLocatorPosition(text);
    } else {
        // Incomplete: the coordinates are emptied, their values kept.
        u.EditDXLattitude->clear();
        u.EditDXLongitude->clear();
        u.EditAzimut->clear();
        u.EditDistance->clear();
    }
}

// The DX fields at the centre of a complete locator, and its bearing.
void DxEntryView::showLocatorPosition(const QString& locator) {
    MainWindowUi& u = ui_;
    const SignedPosition p = locator_to_position(locator);
    u.CheckBoxLongitudeEstDX->setChecked(p.longitude >= 0);
    u.CheckBoxLattitudeNordDX->setChecked(p.latitude >= 0);
    state_.DxLatitude = std::abs(p.latitude);
    state_.DxLongitude = std::abs(p.longitude);
    u.EditDXLattitude->setText(format_fixed(state_.DxLatitude, 3));
    u.EditDXLongitude->setText(format_fixed(state_.DxLongitude, 3));
    computeBearing();
}

void DxEntryView::showPlacedLocator(const QString& locator) {
    MainWindowUi& u = ui_;
    azimuth_.placeFromOutside([&] {
        u.clear_list_selections();
        u.EditDXLocator->setText(locator);
        state_.DxLocator = locator;
        showLocatorPosition(locator);
    });
}

void DxEntryView::coordinateEdited(QLineEdit* field, double& value) {
    if (!field->hasFocus())
        return;
    const CoordinateText c = apply_coordinate_rules(field, window_.desktop());
    if (c.empty) {
        ui_.EditDXLocator->clear();
        ui_.clear_list_selections();
        ui_.EditAzimut->clear();
        ui_.EditDistance->clear();
    } else if (c.readable) {
        value = c.value;
        ui_.clear_list_selections();
        updateDxLocator();
    }
}

void DxEntryView::hemisphereClicked(QCheckBox* box, QCheckBox* partner) {
    partner->setChecked(!box->isChecked());
    if (!box->hasFocus())
        return;
    ui_.clear_list_selections();
    updateDxLocator();
}

void DxEntryView::updateDxLocator() {
    MainWindowUi& u = ui_;
    if (u.EditDXLongitude->text().isEmpty() || u.EditDXLattitude->text().isEmpty()) {
        u.EditDXLocator->clear();
        state_.DxLocator.clear();
        return;
    }
    const QString locator =
        position_to_locator(state_.DxLatitude, u.CheckBoxLattitudeNordDX->isChecked(),
                            state_.DxLongitude, u.CheckBoxLongitudeEstDX->isChecked());
    u.EditDXLocator->setText(locator);
    state_.DxLocator = locator;
    if (!locator.isEmpty())
        computeBearing();
}

void DxEntryView::showPlaced(const DxPlacement& placed, const std::optional<QString>& label) {
    MainWindowUi& u = ui_;
    // Never the operator's typing, even with the caret in the azimuth field: the DX fields
    // keep the station and its bearing goes out once, with AUTO down, as a list choice's does.
    azimuth_.placeFromOutside([&] {
        // The boxes and fields are set from code, so their own handlers stay quiet; one
        // computation follows, as after the last keystroke of a typed position.
        u.CheckBoxLattitudeNordDX->setChecked(placed.north);
        u.CheckBoxLattitudeSudDX->setChecked(!placed.north);
        u.CheckBoxLongitudeEstDX->setChecked(placed.east);
        u.CheckBoxLongitudeOuestDX->setChecked(!placed.east);
        state_.DxLatitude = placed.latitude;
        u.EditDXLattitude->setText(placed.latitude_text);
        state_.DxLongitude = placed.longitude;
        u.EditDXLongitude->setText(placed.longitude_text);
        u.clear_list_selections();
        updateDxLocator();
    });
    if (!label)
        return;
    // The label stays the map's while the DX locator stays the one it was set with.
    state_.DxLabel = *label;
    state_.DxLabelLocator = u.EditDXLocator->text();
    if (u.FormMap != nullptr && u.FormMap->isVisible())
        u.FormMap->refresh();
}

} // namespace kestrav
