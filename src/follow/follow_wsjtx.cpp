#include "follow/follow_wsjtx.h"

#include "follow/country_source.h"
#include "follow/wsjtx_listener.h"
#include "setup/languages.h"

#include <QAction>
#include <QMenu>

namespace kestrav {

FollowWsjtx::FollowWsjtx(FollowSetting& setting, SetDx set_dx, QMenu* menu, QObject* parent,
                         QString country_file)
    : QObject(parent), setting_(setting), set_dx_(std::move(set_dx)),
      country_file_(std::move(country_file)),
      action_(new QAction(language_texts(UiLanguage::English).follow_wsjtx, this)) {
    action_->setObjectName(QStringLiteral("MenuFollowWsjtx"));
    action_->setCheckable(true);
    menu->addSeparator();
    menu->addAction(action_);
    connect(action_, &QAction::toggled, this, &FollowWsjtx::toggled);
    if (setting_.on)
        action_->setChecked(true);
}

FollowWsjtx::~FollowWsjtx() = default;

const CountryTable& FollowWsjtx::countries() {
    if (!countries_)
        countries_ = load_countries(country_file_);
    return *countries_;
}

bool FollowWsjtx::setDxFromCall(const QString& call) {
    const std::optional<Country> country = countries().lookup(call);
    if (!country)
        return false;
    set_dx_(DxTarget{country->latitude, country->longitude,
                     call.trimmed().toUpper() + QStringLiteral("  ") + country->name});
    return true;
}

void FollowWsjtx::setTexts(const LanguageTexts& texts) {
    action_->setText(texts.follow_wsjtx);
}

void FollowWsjtx::toggled(bool on) {
    setting_.used = true;
    setting_.on = on;
    if (!on) {
        if (listener_ != nullptr)
            listener_->stop();
        return;
    }
    if (listener_ == nullptr) {
        listener_ = new WsjtxListener(countries(), this);
        listener_->setObjectName(QStringLiteral("WsjtxListener"));
        connect(listener_, &WsjtxListener::dxStation, this,
                [this](const DxTarget& target) { set_dx_(target); });
    }
    // A port already taken without sharing leaves the item checked and the row written:
    // following starts with the next run, once the port is free.
    if (!listener_->start(setting_.address, setting_.port))
        qWarning("Follow WSJT-X: cannot listen on %s port %u: %s", qPrintable(setting_.address),
                 setting_.port, qPrintable(listener_->errorText()));
}

} // namespace kestrav
