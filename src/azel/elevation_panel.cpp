// The elevation field of an azimuth-elevation rotator, beside the azimuth's: typed, stepped or
// set by another program, it is the elevation every GO sends; AUTO sends its changes as it
// sends the azimuth's. A typed elevation is checked keystroke by keystroke as the azimuth is:
// a character that makes it unreadable, or an elevation the rotator does not reach, is beeped
// away and told to a screen reader.

#include "azel/elevation_panel.h"

#include "app/widgets.h"
#include "geodesy/number_text.h"
#include "rotor/rotor_controller.h"
#include "rotor/rotor_link.h"
#include "station/station_session.h"
#include "ui/accessible_names.h"
#include "ui/desktop.h"
#include "ui/field_text.h"
#include "ui/fonts.h"
#include "ui/widget_factory.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace kestrav {

namespace {

// Where the azimuth's caption, field and arrows stand to make room for the elevation's, and
// where those stand, in the BEAM group: the azimuth's caption keeps its place, its text ending
// before the elevation's short one.
constexpr QRect kAzimuthCaption{98, 14, 99, 16};
constexpr QRect kAzimuthField{86, 32, 58, 30};
constexpr QRect kAzimuthArrows{144, 32, 15, 30};
constexpr QRect kElevationCaption{198, 14, 24, 16};
constexpr QRect kElevationField{165, 32, 42, 30};
constexpr QRect kElevationArrows{207, 32, 15, 30};
// Right of the LP button, under the dial.
constexpr QRect kReading{66, 101, 38, 16};

} // namespace

ElevationPanel::ElevationPanel(const BeamWidgets& beam, StationSession& session,
                               std::function<Desktop&()> desktop,
                               std::function<void()> dial_changed, QObject* parent)
    : QObject(parent), beam_(beam), session_(session), desktop_(std::move(desktop)),
      dial_changed_(std::move(dial_changed)), texts_(&language_texts(UiLanguage::English)),
      caption_place_(beam.azimuth_caption->geometry()),
      field_place_(beam.azimuth_field->geometry()), arrows_place_(beam.azimuth_arrows->geometry()) {
    QWidget* g = beam_.group;
    caption_ = make<QLabel>(g, "LabelElevation", kElevationCaption.x(), kElevationCaption.y(),
                            kElevationCaption.width(), kElevationCaption.height());
    caption_->setFont(arial(10));
    field_ = make<QLineEdit>(g, "EditElevation", kElevationField.x(), kElevationField.y(),
                             kElevationField.width(), kElevationField.height());
    field_->setFont(arial(14));
    arrows_ = make<UpDown>(g, "UpDownElevation", kElevationArrows.x(), kElevationArrows.y(),
                           kElevationArrows.width(), kElevationArrows.height());
    reading_label_ = make<QLabel>(g, "LabelReportedElevation", kReading.x(), kReading.y(),
                                  kReading.width(), kReading.height());
    reading_label_->setFont(arial(8));
    for (QWidget* w : std::initializer_list<QWidget*>{caption_, field_, arrows_, reading_label_})
        w->hide();
    // Tab leads from the azimuth's arrows through the elevation's field and arrows.
    QWidget::setTabOrder(beam_.azimuth_arrows, field_);
    QWidget::setTabOrder(field_, arrows_);
    setTexts(*texts_);

    connect(field_, &QLineEdit::textChanged, this, [this] { edited(); });
    connect(field_, &QLineEdit::returnPressed, this, [this] { returnPressed(); });
    connect(arrows_, &UpDown::clicked, this, [this] { stepped(); });
    connect(&session_, &StationSession::elevationRequested, this,
            [this](double elevation) { showRequested(elevation); });
    RotorController& rotor = session_.rotor();
    connect(&rotor, &RotorController::elevationChanged, this, [this] { showReading(); });
    // The heading switched on or off shows or hides the reading with it.
    connect(&rotor, &RotorController::headingChanged, this, [this] { showReading(); });
    // rotctld tells whether its rotator turns in elevation with its range.
    connect(rotor.networkLink(), &RotorLink::rangeReceived, this, [this] { refresh(); });
}

void ElevationPanel::setTexts(const LanguageTexts& texts) {
    texts_ = &texts;
    caption_->setText(texts.elevation_caption);
    showReading();
}

void ElevationPanel::refresh() {
    const bool az_el = session_.azEl();
    if (az_el) {
        const ElevationRange range = session_.elevationRange();
        arrows_->setRange(static_cast<int>(std::ceil(range.min)),
                          static_cast<int>(std::floor(range.max)));
        // A lower reach than before (180 down to 90) brings the elevation within it.
        const double elevation = session_.rotor().elevation();
        const double within = std::clamp(elevation, range.min, range.max);
        if (within != elevation || !shown_) {
            session_.setElevation(within);
            writeField(within);
        }
    }
    if (az_el != shown_) {
        shown_ = az_el;
        placeWidgets(az_el);
    }
    showReading();
}

void ElevationPanel::placeWidgets(bool az_el) {
    beam_.azimuth_caption->setGeometry(az_el ? kAzimuthCaption : caption_place_);
    beam_.azimuth_field->setGeometry(az_el ? kAzimuthField : field_place_);
    beam_.azimuth_arrows->setGeometry(az_el ? kAzimuthArrows : arrows_place_);
    for (QWidget* w : std::initializer_list<QWidget*>{caption_, field_, arrows_})
        w->setVisible(az_el);
}

void ElevationPanel::edited() {
    if (!shown_)
        return;
    beam_.typing_pause->stop();
    for (;;) {
        const auto number = read_number(field_->text());
        if (!number) {
            if (convert_separator(field_))
                continue;
            tell_refusal(field_, Refusal::Keystroke);
            if (refuseKeystroke())
                continue;
            return;
        }
        if (!session_.elevationRange().reaches(*number)) {
            tell_refusal(field_, Refusal::ElevationOutOfRange);
            if (refuseKeystroke())
                continue;
            return;
        }
        session_.setElevation(*number);
        clear_refusal(field_);
        arrows_->setPosition(static_cast<int>(round_half_even(*number)));
        // With AUTO down a typed elevation goes out with the azimuth once typing pauses, as a
        // typed azimuth does.
        if (session_.autoAction(AzimuthChange::Typed) == AutoAction::AfterPause)
            beam_.typing_pause->start();
        return;
    }
}

// A refused keystroke: beep and remove the character before the caret. Returns whether the
// text changed and so has to be checked again.
bool ElevationPanel::refuseKeystroke() {
    desktop_().beep();
    return remove_before_caret(field_);
}

// The arrows stop at the rotator's lowest and highest elevation: wrapping round, as the
// azimuth's do past north, would swing the antenna from the horizon to the zenith.
void ElevationPanel::stepped() {
    const int before = static_cast<int>(round_half_even(session_.rotor().elevation()));
    const int position = arrows_->position();
    const bool wrapped = arrows_->maximum() - arrows_->minimum() > 1 &&
                         ((before <= arrows_->minimum() && position == arrows_->maximum()) ||
                          (before >= arrows_->maximum() && position == arrows_->minimum()));
    if (wrapped) {
        arrows_->setPosition(before);
        return;
    }
    session_.setElevation(position);
    writeField(position);
    if (session_.autoAction(AzimuthChange::Stepped) == AutoAction::SendNow)
        beam_.go->click();
}

// Enter sends the typed elevation without waiting for the pause.
void ElevationPanel::returnPressed() {
    if (!beam_.typing_pause->isActive())
        return;
    beam_.typing_pause->stop();
    beam_.go->click();
}

bool ElevationPanel::readyToGo() {
    if (!shown_)
        return true;
    // What the field shows is what goes: a parking turn asked by another program since may
    // have left the rotor another elevation.
    const auto shown = read_number(field_->text());
    if (shown && session_.elevationRange().reaches(*shown)) {
        session_.setElevation(*shown);
        return true;
    }
    desktop_().beep();
    tell_refusal(beam_.go, Refusal::GoWithoutElevation);
    return false;
}

// Another program's elevation, already set: the field and the arrows show it.
void ElevationPanel::showRequested(double elevation) {
    writeField(elevation);
}

void ElevationPanel::writeField(double elevation) {
    {
        const QSignalBlocker blocker(field_);
        field_->setText(format_general(elevation, 15));
        field_->setCursorPosition(0);
    }
    clear_refusal(field_);
    arrows_->setPosition(static_cast<int>(round_half_even(elevation)));
}

void ElevationPanel::showReading() {
    const std::optional<double> reading = session_.rotor().elevationReading();
    const bool visible = shown_ && session_.state().ShowHeading && reading.has_value();
    if (visible)
        reading_label_->setText(texts_->reported_elevation.arg(round_half_even(*reading)));
    reading_label_->setVisible(visible);
    if (dial_changed_)
        dial_changed_();
}

std::optional<QString> ElevationPanel::dialTooltip() const {
    const std::optional<double> reading = session_.rotor().elevationReading();
    if (!shown_ || !session_.state().ShowHeading || !reading)
        return std::nullopt;
    return texts_->reported_elevation.arg(format_fixed(*reading, 1));
}

std::optional<QString> ElevationPanel::dialDescription() const {
    if (!shown_ || !session_.state().ShowHeading)
        return std::nullopt;
    const std::optional<double> reading = session_.rotor().elevationReading();
    return dial_elevation_description(
        reading ? std::optional(format_fixed(*reading, 1)) : std::nullopt, texts_->ui_language);
}

} // namespace kestrav
