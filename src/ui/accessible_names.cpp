#include "ui/accessible_names.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QVariant>
#include <QWidget>

namespace kestrav {

namespace {

// Dynamic properties: the language a window's names are in, a control's usual description
// (while a refusal stands in for it), and the mark of a decorative picture.
constexpr char kLanguageProperty[] = "kestravAccessibleLanguage";
constexpr char kUsualDescriptionProperty[] = "kestravUsualDescription";
constexpr char kDecorativeProperty[] = "kestravDecorative";

// A decorative picture: no name, no focus, and marked invisible so that a screen reader
// skips it when it reads the window.
class DecorativePicture final : public QAccessibleWidget {
public:
    explicit DecorativePicture(QWidget* w) : QAccessibleWidget(w, QAccessible::Graphic) {}
    QString text(QAccessible::Text) const override { return {}; }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.invisible = true;
        s.focusable = false;
        return s;
    }
};

QAccessibleInterface* decorative_factory(const QString&, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget != nullptr && widget->property(kDecorativeProperty).toBool())
        return new DecorativePicture(widget);
    return nullptr;
}

void name_one(QWidget* w, UiLanguage language) {
    const std::optional<AccessibleText> text = accessible_text(w->objectName(), language);
    if (text) {
        if (w->accessibleName() != text->name)
            w->setAccessibleName(text->name);
    }
    const QVariant usual = w->property(kUsualDescriptionProperty);
    if (!text && !usual.isValid())
        return;
    const QString description = text ? text->description : usual.toString();
    w->setProperty(kUsualDescriptionProperty, QVariant());
    if (w->accessibleDescription() != description)
        w->setAccessibleDescription(description);
}

} // namespace

void apply_accessible_names(QWidget* root, UiLanguage language) {
    root->window()->setProperty(kLanguageProperty, static_cast<int>(language));
    name_one(root, language);
    for (QWidget* w : root->findChildren<QWidget*>())
        name_one(w, language);
}

UiLanguage accessible_language(const QWidget* widget) {
    const QVariant v = widget->window()->property(kLanguageProperty);
    return v.isValid() ? static_cast<UiLanguage>(v.toInt()) : UiLanguage::English;
}

void mark_decorative(QWidget* picture) {
    static const bool installed = [] {
        QAccessible::installFactory(decorative_factory);
        return true;
    }();
    (void)installed;
    picture->setProperty(kDecorativeProperty, true);
    picture->setFocusPolicy(Qt::NoFocus);
}

void tell_refusal(QWidget* control, Refusal refusal) {
    if (control == nullptr)
        return;
    if (!control->property(kUsualDescriptionProperty).isValid())
        control->setProperty(kUsualDescriptionProperty, control->accessibleDescription());
    // Set even when it is the same reason again: each refusal is told.
    control->setAccessibleDescription(refusal_text(refusal, accessible_language(control)));
    QAccessibleEvent alert(control, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

void clear_refusal(QWidget* control) {
    if (control == nullptr)
        return;
    const QVariant usual = control->property(kUsualDescriptionProperty);
    if (!usual.isValid())
        return;
    control->setProperty(kUsualDescriptionProperty, QVariant());
    control->setAccessibleDescription(usual.toString());
}

} // namespace kestrav
