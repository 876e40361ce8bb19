#include "app/follow_wsjtx.h"
#include "station/station_session.h"

#include "follow/country_source.h"
#include "follow/wsjtx_listener.h"
#include "setup/follow_dialog.h"
#include "ui/desktop.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

namespace kestrav {

namespace {
const QString kCountryFileFilter =
    QStringLiteral("Country file/Fichier des pays (*.dat)|*.dat;*.DAT|All/Tous|*.*");
} // namespace

FollowWsjtx::FollowWsjtx(FollowSetting& setting, StationSession& session, DesktopOf desktop,
                         QMenu* menu, QWidget* window, QString country_file)
    : QObject(window), setting_(setting), session_(session), desktop_(std::move(desktop)),
      window_(window), country_file_(std::move(country_file)),
      texts_(language_texts(UiLanguage::English)), action_(new QAction(this)),
      address_action_(new QAction(this)), country_action_(new QAction(this)) {
    action_->setObjectName(QStringLiteral("MenuFollowWsjtx"));
    action_->setCheckable(true);
    address_action_->setObjectName(QStringLiteral("MenuFollowAddress"));
    country_action_->setObjectName(QStringLiteral("MenuCountryFile"));
    setTexts(texts_);
    menu->addSeparator();
    menu->addAction(action_);
    menu->addAction(address_action_);
    menu->addAction(country_action_);
    connect(action_, &QAction::toggled, this, &FollowWsjtx::toggled);
    connect(address_action_, &QAction::triggered, this, &FollowWsjtx::open_address_dialog);
    connect(country_action_, &QAction::triggered, this, &FollowWsjtx::choose_country_file);
    if (setting_.on)
        action_->setChecked(true);
}

FollowWsjtx::~FollowWsjtx() = default;

// A chosen file that no longer reads (gone since, or a FIFO, a device or a huge file in its
// place) is told once, when the table is first needed, once the menu or the start is over;
// the system's file or the built-in table serves and the choice is kept.
const CountryTable& FollowWsjtx::countries() {
    if (!countries_ && !setting_.country_file.isEmpty()) {
        CountryFileProblem problem = CountryFileProblem::Unreadable;
        countries_ = read_country_file(setting_.country_file, &problem);
        if (!countries_)
            QMetaObject::invokeMethod(
                this,
                [this, problem, path = setting_.country_file] {
                    tell(country_file_problem(problem, path)); // in the language of the moment
                },
                Qt::QueuedConnection);
    }
    if (!countries_)
        countries_ = load_countries(country_file_);
    return *countries_;
}

QString FollowWsjtx::country_file_problem(CountryFileProblem problem, const QString& path) const {
    return (problem == CountryFileProblem::NotACountryFile ? texts_.country_file_malformed
                                                           : texts_.country_file_unreadable)
        .arg(path);
}

bool FollowWsjtx::setDxFromCall(const QString& call) {
    const std::optional<Country> country = countries().lookup(call);
    if (!country)
        return false;
    session_.placeDxStation(GeoPoint{country->latitude, country->longitude},
                            call.trimmed().toUpper() + QStringLiteral("  ") + country->name);
    return true;
}

void FollowWsjtx::setTexts(const LanguageTexts& texts) {
    texts_ = texts;
    action_->setText(texts.follow_wsjtx);
    address_action_->setText(texts.follow_address_item);
    country_action_->setText(texts.follow_country_item);
    if (dialog_)
        dialog_->setTexts(texts);
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
        connect(listener_, &WsjtxListener::dxStation, this, [this](const DxTarget& target) {
            session_.placeDxStation(GeoPoint{target.latitude, target.longitude}, target.label,
                                    QStringLiteral("WSJT-X"), target.label);
        });
    }
    listen();
}

// A port that cannot be had (taken without sharing, an address not of this machine, a
// group that cannot be joined) switches following off again, and the operator is told once
// the menu is closed: at start the message waits for the window.
void FollowWsjtx::listen() {
    if (listener_->start(setting_.address, setting_.port))
        return;
    const QString text = texts_.follow_cannot_listen.arg(
        setting_.address, QString::number(setting_.port), listener_->errorText());
    action_->setChecked(false);
    QMetaObject::invokeMethod(
        this, [this, text] { tell(text); }, Qt::QueuedConnection);
}

void FollowWsjtx::tell(const QString& text) {
    desktop_().message_box(window_, BoxIcon::Warning, text);
}

void FollowWsjtx::open_address_dialog() {
    if (!dialog_) {
        dialog_ = new FollowAddressDialog(
            desktop_, [this](const QString& a, quint16 p) { address_chosen(a, p); }, window_);
        dialog_->setTexts(texts_);
    }
    dialog_->setValues(setting_.address, setting_.port);
    dialog_->open(); // window-modal, without a loop of its own
}

void FollowWsjtx::address_chosen(const QString& address, quint16 port) {
    setting_.used = true;
    setting_.address = address;
    setting_.port = port;
    if (action_->isChecked())
        listen();
}

void FollowWsjtx::choose_country_file() {
    const QString chosen =
        desktop_().open_file(window_, kCountryFileFilter,
                             country_file_dialog_start(setting_.country_file, country_file_));
    if (chosen.isEmpty())
        return;
    const QString path = QFileInfo(chosen).absoluteFilePath();
    CountryFileProblem problem = CountryFileProblem::Unreadable;
    // A path that would break the settings row is not taken.
    std::optional<CountryTable> table;
    if (!path.contains(u'\n') && !path.contains(u'\r'))
        table = read_country_file(path, &problem);
    if (!table) {
        tell(country_file_problem(problem, path));
        return;
    }
    // Assigned in place: the listener's logic keeps the table it was handed.
    if (countries_)
        *countries_ = std::move(*table);
    else
        countries_ = std::move(*table);
    setting_.used = true;
    setting_.country_file = path;
}

} // namespace kestrav
