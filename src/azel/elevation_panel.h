#pragma once
// The elevation of an azimuth-elevation rotator in the main window: a field and its arrows
// beside the azimuth's, shown only while the interface in use turns in elevation, which set the
// elevation every GO sends; another program's elevation shown in it; and the antenna's reported
// elevation beside the dial while the heading is shown. The azimuth's widgets make room for it
// and take their own places back when the rotator turns in azimuth only.

#include "setup/languages.h"

#include <QObject>
#include <QRect>

#include <functional>
#include <optional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace kestrav {

class Desktop;
class StationSession;
class UpDown;

class ElevationPanel final : public QObject {
public:
    // The azimuth's widgets it stands beside and the commands it shares with the azimuth: GO
    // and the typing pause that AUTO waits for.
    struct BeamWidgets {
        QGroupBox* group;
        QLabel* azimuth_caption;
        QLineEdit* azimuth_field;
        UpDown* azimuth_arrows;
        QPushButton* go;
        QTimer* typing_pause;
    };

    // `dial_changed` redraws what the dial tells, which includes the elevation's reading.
    ElevationPanel(const BeamWidgets& beam, StationSession& session,
                   std::function<Desktop&()> desktop, std::function<void()> dial_changed,
                   QObject* parent);

    // Shows or hides the elevation as the interface in use and its choice say, keeping the
    // elevation within the rotator's reach.
    void refresh();
    void setTexts(const LanguageTexts& texts);
    // GO's question before it sends: a field that holds no elevation that can be sent is
    // refused with a beep; true when GO may go on.
    bool readyToGo();
    // What the dial adds to its tooltip and its description about the elevation; nothing
    // without an azimuth-elevation rotator or while the heading is not shown.
    std::optional<QString> dialTooltip() const;
    std::optional<QString> dialDescription() const;

private:
    void edited();
    void stepped();
    void returnPressed();
    void showRequested(double elevation);
    void showReading();
    void writeField(double elevation);
    void placeWidgets(bool az_el);
    bool refuseKeystroke();

    BeamWidgets beam_;
    StationSession& session_;
    std::function<Desktop&()> desktop_;
    std::function<void()> dial_changed_;
    QLabel* caption_;
    QLineEdit* field_;
    UpDown* arrows_;
    QLabel* reading_label_; // the reported elevation, beside the dial
    const LanguageTexts* texts_;
    bool shown_ = false;
    // The azimuth widgets' own places, taken back without an elevation.
    QRect caption_place_, field_place_, arrows_place_;
};

} // namespace kestrav
