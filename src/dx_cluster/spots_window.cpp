#include "dx_cluster/spots_window.h"

#include "dx_cluster/cluster_setting.h"
#include "geodesy/bearing.h"
#include "geodesy/number_text.h"
#include "setup/languages.h"
#include "station/station_session.h"
#include "ui/desktop.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kestrav {

namespace {

constexpr int kRefreshMs = 200;
constexpr int kColumns = 8;
constexpr int kBearingColumn = 4;
constexpr int kDistanceColumn = 5;

// The bands in the filter, in the order of frequency.
const char* const kFilterBands[] = {"160m", "80m", "60m", "40m", "30m", "20m",  "17m", "15m",
                                    "12m",  "10m", "6m",  "4m",  "2m",  "70cm", "23cm"};

// An item that sorts by a number while it shows text.
class NumberItem final : public QTableWidgetItem {
public:
    NumberItem(const QString& text, double value) : QTableWidgetItem(text) {
        setData(Qt::UserRole, value);
    }
    bool operator<(const QTableWidgetItem& other) const override {
        return data(Qt::UserRole).toDouble() < other.data(Qt::UserRole).toDouble();
    }
};

QLabel* buddy_label(QWidget* parent, QWidget* buddy) {
    auto* label = new QLabel(parent);
    label->setBuddy(buddy);
    return label;
}

} // namespace

SpotsWindow::SpotsWindow(StationSession& session, CountryOf country_of,
                         std::function<Desktop&()> desktop, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), country_of_(std::move(country_of)),
      desktop_(std::move(desktop)), texts_(&language_texts(UiLanguage::English)), client_(this) {
    setObjectName(QStringLiteral("FormSpots"));
    clock_.start();
    host_ = new QLineEdit(this);
    host_->setObjectName(QStringLiteral("EditClusterHost"));
    port_ = new QSpinBox(this);
    port_->setObjectName(QStringLiteral("SpinClusterPort"));
    port_->setRange(1, 65535);
    call_ = new QLineEdit(this);
    call_->setObjectName(QStringLiteral("EditClusterCall"));
    call_->setMaxLength(20);
    connect_ = new QPushButton(this);
    connect_->setObjectName(QStringLiteral("ButtonClusterConnect"));
    band_ = new QComboBox(this);
    band_->setObjectName(QStringLiteral("ComboBand"));
    table_ = new QTableWidget(0, kColumns, this);
    table_->setObjectName(QStringLiteral("TableSpots"));
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setTabKeyNavigation(false);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setSortingEnabled(true);
    table_->sortByColumn(0, Qt::DescendingOrder);
    table_->installEventFilter(this);
    state_ = new QLabel(this);
    state_->setObjectName(QStringLiteral("LabelClusterState"));
    host_label_ = buddy_label(this, host_);
    port_label_ = buddy_label(this, port_);
    call_label_ = buddy_label(this, call_);
    band_label_ = buddy_label(this, band_);

    auto* node = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{host_label_, host_, port_label_, port_,
                                                      call_label_, call_, connect_})
        node->addWidget(w);
    node->setStretchFactor(host_, 1);
    auto* filter = new QHBoxLayout;
    filter->addWidget(band_label_);
    filter->addWidget(band_);
    filter->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(node);
    layout->addWidget(state_);
    layout->addLayout(filter);
    layout->addWidget(table_, 1);
    resize(720, 420);

    const ClusterSetting& setting = session_.state().DxCluster;
    host_->setText(setting.host);
    port_->setValue(setting.port);
    call_->setText(setting.call);

    refresh_timer_.setSingleShot(true);
    refresh_timer_.setInterval(kRefreshMs);
    connect(&refresh_timer_, &QTimer::timeout, this, &SpotsWindow::refresh);
    connect(&client_, &DxClusterClient::spotReceived, this, &SpotsWindow::spot_received);
    connect(&client_, &DxClusterClient::stateChanged, this, &SpotsWindow::show_state);
    connect(connect_, &QPushButton::clicked, this, &SpotsWindow::connect_clicked);
    connect(band_, &QComboBox::currentIndexChanged, this, &SpotsWindow::refresh);
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row) { chooseRow(row); });
    setTexts(*texts_);
}

void SpotsWindow::setTexts(const LanguageTexts& texts) {
    texts_ = &texts;
    setWindowTitle(texts.spots_title);
    table_->setAccessibleName(texts.spots_title);
    host_label_->setText(texts.cluster_host);
    port_label_->setText(texts.cluster_port);
    call_label_->setText(texts.cluster_call);
    band_label_->setText(texts.spots_band);
    const int chosen = std::max(band_->currentIndex(), 0);
    {
        const QSignalBlocker quiet(band_);
        band_->clear();
        band_->addItem(texts.spots_all_bands, QString());
        for (const char* b : kFilterBands)
            band_->addItem(QLatin1String(b), QLatin1String(b));
        band_->setCurrentIndex(chosen);
    }
    table_->setHorizontalHeaderLabels(texts.spots_columns);
    show_unit();
    show_state();
}

void SpotsWindow::startFromSettings() {
    const ClusterSetting& setting = session_.state().DxCluster;
    if (setting.on)
        client_.start(setting.host, static_cast<quint16>(setting.port), setting.call);
}

void SpotsWindow::connect_clicked() {
    ClusterSetting& setting = session_.state().DxCluster;
    if (client_.state() != DxClusterClient::State::Off) {
        client_.stop();
        setting.on = false;
        show_state();
        return;
    }
    const QString host = host_->text().trimmed();
    const QString call = call_->text().trimmed().toUpper();
    if (!cluster_host_fits(host)) {
        state_->setText(texts_->cluster_bad_host.arg(host));
        desktop_().beep();
        host_->setFocus();
        return;
    }
    if (!cluster_call_fits(call)) {
        state_->setText(texts_->cluster_bad_call.arg(call));
        desktop_().beep();
        call_->setFocus();
        return;
    }
    setting = ClusterSetting{true, true, host, port_->value(), call};
    client_.start(host, static_cast<quint16>(setting.port), call);
}

void SpotsWindow::show_unit() {
    if (QTableWidgetItem* header = table_->horizontalHeaderItem(kDistanceColumn))
        header->setText(session_.miles() ? QStringLiteral("mi") : QStringLiteral("km"));
}

QString SpotsWindow::drop_text() const {
    switch (client_.drop()) {
    case DxClusterClient::Drop::Closed:
        return texts_->cluster_closed;
    case DxClusterClient::Drop::Refused:
        return texts_->cluster_refused;
    case DxClusterClient::Drop::NotFound:
        return texts_->cluster_not_found;
    case DxClusterClient::Drop::NoAnswer:
        return texts_->cluster_no_answer;
    case DxClusterClient::Drop::None:
    case DxClusterClient::Drop::Other:
        break;
    }
    return client_.reason();
}

void SpotsWindow::show_state() {
    const ClusterSetting& setting = session_.state().DxCluster;
    const QString node = QStringLiteral("%1:%2").arg(setting.host).arg(setting.port);
    switch (client_.state()) {
    case DxClusterClient::State::Off:
        state_->setText(texts_->cluster_off);
        break;
    case DxClusterClient::State::Connecting:
        state_->setText(texts_->cluster_connecting.arg(node));
        break;
    case DxClusterClient::State::Connected:
        state_->setText(texts_->cluster_connected.arg(node));
        break;
    case DxClusterClient::State::Waiting:
        state_->setText(texts_->cluster_waiting.arg(node, drop_text())
                            .arg((client_.pauseMs() / 2 + 999) / 1000));
        break;
    }
    connect_->setText(client_.state() == DxClusterClient::State::Off ? texts_->cluster_connect
                                                                     : texts_->cluster_disconnect);
}

void SpotsWindow::spot_received(const Spot& spot) {
    recent_.add(spot, clock_.elapsed());
    schedule_refresh();
}

void SpotsWindow::schedule_refresh() {
    if (!refresh_timer_.isActive())
        refresh_timer_.start();
}

SpotsWindow::Placing SpotsWindow::placing() const {
    const StationState& s = session_.state();
    return Placing{!s.LocalLocator.isEmpty(),
                   signed_degrees(s.LocalLatitude, s.LocalNorth),
                   signed_degrees(s.LocalLongitude, s.LocalEast),
                   session_.longPath(),
                   s.DistanceFactor,
                   session_.miles()};
}

void SpotsWindow::placingMayHaveChanged() {
    if (!recent_.spots().empty() && placing() != table_placing_)
        schedule_refresh();
}

PlacedSpot SpotsWindow::place(const RecentSpot& r) const {
    PlacedSpot placed{&r, country_of_ ? country_of_(r.spot.call) : std::nullopt, std::nullopt};
    const StationState& s = session_.state();
    if (placed.country && !s.LocalLocator.isEmpty())
        placed.bearing = great_circle_bearing(signed_degrees(s.LocalLatitude, s.LocalNorth),
                                              signed_degrees(s.LocalLongitude, s.LocalEast),
                                              placed.country->latitude, placed.country->longitude);
    return placed;
}

std::vector<PlacedSpot> SpotsWindow::shownSpots() const {
    const QString band = band_->currentData().toString();
    std::vector<PlacedSpot> shown;
    for (const RecentSpot& r : recent_.spots()) {
        if (band.isEmpty() || r.band == band)
            shown.push_back(place(r));
    }
    return shown;
}

std::vector<MapSpot> SpotsWindow::mapSpots() const {
    std::vector<MapSpot> marks;
    const qint64 now = clock_.elapsed();
    for (const PlacedSpot& p : shownSpots()) {
        if (!p.country)
            continue;
        const Spot& s = p.recent->spot;
        marks.push_back(MapSpot{GeoPoint{p.country->latitude, p.country->longitude}, s.call,
                                s.call + QStringLiteral("  ") + p.country->name,
                                static_cast<double>(now - p.recent->received_ms) / kSpotFadeMs});
    }
    return marks;
}

// The table only while the window shows it; the map in any case.
void SpotsWindow::refresh() {
    if (isVisible())
        fill_table(shownSpots());
    emit spotsChanged();
}

void SpotsWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    fill_table(shownSpots());
}

// The row the keyboard stands on stays on the same spot when the table is filled again.
void SpotsWindow::fill_table(const std::vector<PlacedSpot>& shown) {
    QString current_call;
    double current_khz = 0;
    const int current_column = std::max(table_->currentColumn(), 0);
    if (const QTableWidgetItem* item = table_->item(table_->currentRow(), 0)) {
        current_call = item->data(Qt::UserRole + 1).toString();
        current_khz = table_->item(table_->currentRow(), 1)->data(Qt::UserRole).toDouble();
    }
    show_unit();
    table_placing_ = placing();
    const double factor = session_.state().DistanceFactor;
    const bool by_long_path = session_.longPath();
    table_->setSortingEnabled(false);
    table_->setRowCount(static_cast<int>(shown.size()));
    int row = 0;
    for (const PlacedSpot& p : shown) {
        const Spot& s = p.recent->spot;
        double azimuth = -1;
        double distance = -1;
        if (p.bearing) {
            const Bearing b = by_long_path ? long_path(*p.bearing) : *p.bearing;
            azimuth = b.azimuth;
            distance = b.distance_km * factor;
        }
        const QString country = p.country ? p.country->name : QString();
        auto* time = new NumberItem(s.time, static_cast<double>(p.recent->received_ms));
        time->setData(Qt::UserRole + 1, s.call);
        table_->setItem(row, 0, time);
        table_->setItem(row, 1, new NumberItem(format_fixed(s.frequency_khz, 1), s.frequency_khz));
        table_->setItem(row, 2, new QTableWidgetItem(s.call));
        table_->setItem(row, 3, new QTableWidgetItem(country));
        table_->setItem(
            row, kBearingColumn,
            new NumberItem(azimuth < 0 ? QString() : format_fixed(azimuth, 0), azimuth));
        table_->setItem(
            row, kDistanceColumn,
            new NumberItem(distance < 0 ? QString() : format_fixed(distance, 0), distance));
        table_->setItem(row, 6, new QTableWidgetItem(s.spotter));
        table_->setItem(row, 7, new QTableWidgetItem(s.comment));
        ++row;
    }
    table_->setSortingEnabled(true);
    if (current_call.isEmpty())
        return;
    for (int r = 0; r < table_->rowCount(); ++r) {
        const QTableWidgetItem* item = table_->item(r, 0);
        if (item->data(Qt::UserRole + 1).toString() == current_call &&
            table_->item(r, 1)->data(Qt::UserRole).toDouble() == current_khz) {
            table_->setCurrentCell(r, current_column);
            return;
        }
    }
}

bool SpotsWindow::chooseRow(int row) {
    const QTableWidgetItem* item = table_->item(row, 0);
    if (item == nullptr)
        return false;
    const QString call = item->data(Qt::UserRole + 1).toString();
    const std::optional<Country> country = country_of_ ? country_of_(call) : std::nullopt;
    if (!country) {
        state_->setText(texts_->spots_no_country.arg(call));
        desktop_().beep();
        return false;
    }
    session_.placeDxStation(GeoPoint{country->latitude, country->longitude},
                            call + QStringLiteral("  ") + country->name);
    return true;
}

bool SpotsWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == table_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && table_->currentRow() >= 0) {
            chooseRow(table_->currentRow());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace kestrav
