#include "setup/init_dialog.h"

#include "app/desktop.h"
#include "app/field_text.h"
#include "app/main_window.h"
#include "geodesy/locator.h"
#include "geodesy/number_text.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QShowEvent>

#include <cmath>

namespace kestrav {

namespace {

QFont arial(int points) {
    QFont f(QStringLiteral("Arial"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSize(points);
    f.setBold(true);
    return f;
}

template <typename W> W* make(QWidget* parent, const char* name, int x, int y, int w, int h) {
    auto* widget = new W(parent);
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(x, y, w, h);
    return widget;
}

QCheckBox* make_check(QWidget* parent, const char* name, int x, int y, const QString& text,
                      bool checked, bool caption_left) {
    auto* box = make<QCheckBox>(parent, name, x, y, 33, 17);
    box->setText(text);
    box->setFont(arial(10));
    box->setChecked(checked);
    if (caption_left)
        box->setLayoutDirection(Qt::RightToLeft);
    return box;
}

QLabel* make_label(QWidget* parent, const char* name, int x, int y, int w, const QString& text) {
    auto* label = make<QLabel>(parent, name, x, y, w, 14);
    label->setText(text);
    label->setFont(arial(8));
    label->setAlignment(Qt::AlignCenter);
    return label;
}

bool locator_complete(const QString& text) {
    if (text.size() != 6)
        return false;
    for (int i = 0; i < 6; ++i)
        if (!locator_char_fits(i + 1, text[i]))
            return false;
    return true;
}

} // namespace

TFormInit::TFormInit(TForm1& main_window, QWidget* parent)
    : QWidget(parent, Qt::Window), main_(main_window), state_(main_window.state()) {
    setObjectName(QStringLiteral("FormInit"));
    setWindowTitle(QStringLiteral("Kestrav - Initialisation"));
    resize(420, 329);

    GroupBoxLocal = make<QGroupBox>(this, "GroupBoxLocal", 8, 4, 404, 72);
    GroupBoxLocal->setTitle(QStringLiteral("LOCAL"));
    GroupBoxLocal->setFont(arial(10));
    QWidget* g = GroupBoxLocal;
    LabelLocalLocator = make_label(g, "LabelLocalLocator", 12, 20, 73, QStringLiteral("Locator"));
    EditLocalLocator = make<QLineEdit>(g, "EditLocalLocator", 12, 36, 73, 24);
    LabelLocalLattitude = make_label(g, "LabelLocalLattitude", 132, 20, 73, QStringLiteral("Latitude"));
    CheckBoxLattitudeNord = make_check(g, "CheckBoxLattitudeNord", 96, 40, QStringLiteral("N"), true, true);
    EditLocalLattitude = make<QLineEdit>(g, "EditLocalLattitude", 132, 36, 73, 24);
    CheckBoxLattitudeSud = make_check(g, "CheckBoxLattitudeSud", 210, 40, QStringLiteral("S"), false, false);
    LabelLocalLongitude =
        make_label(g, "LabelLocalLongitude", 286, 20, 73, QStringLiteral("Longitude"));
    CheckBoxLongitudeOuest =
        make_check(g, "CheckBoxLongitudeOuest", 250, 40, QStringLiteral("W"), true, true);
    EditLocalLongitude = make<QLineEdit>(g, "EditLocalLongitude", 286, 36, 73, 24);
    CheckBoxLongitudeEst = make_check(g, "CheckBoxLongitudeEst", 364, 40, QStringLiteral("E"), false, false);
    for (QLineEdit* e : {EditLocalLocator, EditLocalLattitude, EditLocalLongitude})
        e->setFont(arial(10));

    connect(EditLocalLocator, &QLineEdit::textChanged, this, &TFormInit::EditLocalLocatorChange);
    connect(EditLocalLattitude, &QLineEdit::textChanged, this, &TFormInit::EditLocalLattitudeChange);
    connect(EditLocalLongitude, &QLineEdit::textChanged, this, &TFormInit::EditLocalLongitudeChange);
    connect(CheckBoxLattitudeNord, &QCheckBox::toggled, this, &TFormInit::CheckBoxLattitudeNordClick);
    connect(CheckBoxLattitudeSud, &QCheckBox::toggled, this, &TFormInit::CheckBoxLattitudeSudClick);
    connect(CheckBoxLongitudeOuest, &QCheckBox::toggled, this, &TFormInit::CheckBoxLongitudeOuestClick);
    connect(CheckBoxLongitudeEst, &QCheckBox::toggled, this, &TFormInit::CheckBoxLongitudeEstClick);
}

void TFormInit::showBeside(QWidget* main_window) {
    if (!isVisible()) {
        const QRect frame = main_window->frameGeometry();
        move(frame.right() + 8, frame.top());
    }
    show();
    raise();
}

void TFormInit::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

bool TFormInit::event(QEvent* event) {
    const bool result = QWidget::event(event);
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return result;
}

void TFormInit::FormShow() {
    // The stored locator is written as if the operator had typed it.
    loading_ = true;
    EditLocalLocator->setText(state_.LocalLocator);
    loading_ = false;
}

void TFormInit::FormActivate() {
    resize(static_cast<int>(std::lround(420 * state_.ScaleX)),
           static_cast<int>(std::lround(329 * state_.ScaleY)));
}

void TFormInit::EditLocalLocatorChange() {
    if (!EditLocalLocator->hasFocus() && !loading_)
        return;
    for (;;) {
        const int caret = EditLocalLocator->cursorPosition();
        QString text = EditLocalLocator->text();
        if (correct_field_text(EditLocalLocator, text.toUpper(), caret))
            continue;
        const qsizetype n = text.size();
        if (n == 0) {
            locator_text_.clear();
            EditLocalLattitude->clear();
            EditLocalLongitude->clear();
            working_latitude_ = 0;
            working_longitude_ = 0;
            state_.LocalLocator.clear();
            return;
        }
        if (n == 7 && caret == 7) {
            text.chop(1);
            if (correct_field_text(EditLocalLocator, text, 6))
                continue;
        }
        if (caret >= 1 && caret <= 6) {
            if (!locator_char_fits(caret, text[caret - 1])) {
                text.remove(caret - 1, 1);
                if (correct_field_text(EditLocalLocator, text, caret - 1))
                    continue;
            } else if (n == 7) {
                text.remove(caret, 1);
                if (correct_field_text(EditLocalLocator, text, caret))
                    continue;
            }
        }
        locator_text_ = text;
        if (locator_complete(text)) {
            const SignedPosition p = locator_to_position(text);
            CheckBoxLongitudeEst->setChecked(p.longitude >= 0);
            CheckBoxLattitudeNord->setChecked(p.latitude >= 0);
            working_latitude_ = std::abs(p.latitude);
            working_longitude_ = std::abs(p.longitude);
            state_.LocalLatitude = working_latitude_;
            state_.LocalLongitude = working_longitude_;
            state_.LocalNorth = p.latitude >= 0;
            state_.LocalEast = p.longitude >= 0;
            state_.LocalLocator = text;
            EditLocalLattitude->setText(format_fixed(working_latitude_, 3));
            EditLocalLongitude->setText(format_fixed(working_longitude_, 3));
        } else {
            EditLocalLattitude->clear();
            EditLocalLongitude->clear();
        }
        return;
    }
}

void TFormInit::EditLocalLattitudeChange() {
    coordinate_changed(EditLocalLattitude, working_latitude_, state_.LocalLatitude);
}

void TFormInit::EditLocalLongitudeChange() {
    coordinate_changed(EditLocalLongitude, working_longitude_, state_.LocalLongitude);
}

void TFormInit::coordinate_changed(QLineEdit* field, double& working, double& stored) {
    if (!field->hasFocus())
        return;
    for (;;) {
        const QString text = field->text();
        if (text.isEmpty()) {
            EditLocalLocator->clear();
            return;
        }
        if (const auto number = read_number(text)) {
            working = *number;
            stored = *number;
            update_local_locator();
            return;
        }
        if (convert_separator(field))
            continue;
        main_.desktop().beep();
        if (!remove_before_caret(field))
            return;
    }
}

void TFormInit::hemisphere_clicked(QCheckBox* box, QCheckBox* partner) {
    partner->setChecked(!box->isChecked());
    state_.LocalNorth = CheckBoxLattitudeNord->isChecked();
    state_.LocalEast = CheckBoxLongitudeEst->isChecked();
    if (box->hasFocus())
        update_local_locator();
}

void TFormInit::CheckBoxLattitudeNordClick() {
    hemisphere_clicked(CheckBoxLattitudeNord, CheckBoxLattitudeSud);
}
void TFormInit::CheckBoxLattitudeSudClick() {
    hemisphere_clicked(CheckBoxLattitudeSud, CheckBoxLattitudeNord);
}
void TFormInit::CheckBoxLongitudeOuestClick() {
    hemisphere_clicked(CheckBoxLongitudeOuest, CheckBoxLongitudeEst);
}
void TFormInit::CheckBoxLongitudeEstClick() {
    hemisphere_clicked(CheckBoxLongitudeEst, CheckBoxLongitudeOuest);
}

void TFormInit::update_local_locator() {
    if (EditLocalLongitude->text().isEmpty() || EditLocalLattitude->text().isEmpty()) {
        EditLocalLocator->clear();
        return;
    }
    const QString locator =
        position_to_locator(working_latitude_, CheckBoxLattitudeNord->isChecked(),
                            working_longitude_, CheckBoxLongitudeEst->isChecked());
    EditLocalLocator->setText(locator);
    if (locator.isEmpty())
        return;
    locator_text_ = locator;
    state_.LocalLocator = locator;
    state_.LocalLatitude = working_latitude_;
    state_.LocalLongitude = working_longitude_;
    state_.LocalNorth = CheckBoxLattitudeNord->isChecked();
    state_.LocalEast = CheckBoxLongitudeEst->isChecked();
}

} // namespace kestrav
