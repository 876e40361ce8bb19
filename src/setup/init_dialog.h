#pragma once
// The initialisation dialog: a modeless window, created once and never destroyed, where the
// operator enters the own station. Every accepted change takes effect in the state at once.

#include <QWidget>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace kestrav {

class TForm1;
struct StationState;

class TFormInit : public QWidget {
    Q_OBJECT
public:
    TFormInit(TForm1& main_window, QWidget* parent);

    // The locator text as last processed by the locator field's handler or written by
    // update_local_locator; emptying the field from code leaves it unchanged.
    const QString& locatorText() const { return locator_text_; }
    // Shows the dialog beside the main window (or brings it forward when already shown).
    void showBeside(QWidget* main_window);

    QGroupBox* GroupBoxLocal = nullptr;
    QLabel* LabelLocalLocator = nullptr;
    QLineEdit* EditLocalLocator = nullptr;
    QLabel* LabelLocalLattitude = nullptr;
    QCheckBox* CheckBoxLattitudeNord = nullptr;
    QLineEdit* EditLocalLattitude = nullptr;
    QCheckBox* CheckBoxLattitudeSud = nullptr;
    QLabel* LabelLocalLongitude = nullptr;
    QCheckBox* CheckBoxLongitudeOuest = nullptr;
    QLineEdit* EditLocalLongitude = nullptr;
    QCheckBox* CheckBoxLongitudeEst = nullptr;

public slots:
    void FormShow();
    void FormActivate();
    void EditLocalLocatorChange();
    void EditLocalLattitudeChange();
    void EditLocalLongitudeChange();
    void CheckBoxLattitudeNordClick();
    void CheckBoxLattitudeSudClick();
    void CheckBoxLongitudeOuestClick();
    void CheckBoxLongitudeEstClick();
    void update_local_locator();

protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

private:
    void coordinate_changed(QLineEdit* field, double& working, double& stored);
    void hemisphere_clicked(QCheckBox* box, QCheckBox* partner);

    TForm1& main_;
    StationState& state_;
    bool loading_ = false;
    QString locator_text_;
    double working_latitude_ = 0;
    double working_longitude_ = 0;
};

} // namespace kestrav
