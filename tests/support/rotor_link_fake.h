#pragma once
// rotctld as the rotor controller sees it: every turn and stop recorded, open from the first.

#include "rotor/rotor_link.h"

#include <QList>

namespace kestrav {

class FakeLink final : public RotorLink {
public:
    void setAddress(const QString&, quint16) override {}
    bool isOpen() const override { return open; }
    QByteArray turnCommand(long long tenths) const override {
        return "P " + QByteArray::number(tenths) + "\n";
    }
    void turn(long long tenths) override {
        open = true;
        sent << "P" + QByteArray::number(tenths);
    }
    void turnBoth(long long tenths, long long elevation_tenths) override {
        open = true;
        sent << "P" + QByteArray::number(tenths) + " " + QByteArray::number(elevation_tenths);
    }
    void stop() override { sent << "S"; }
    void askHeading() override { sent << "p"; }
    void askRange() override { sent << "dump_state"; }
    std::optional<RotorRange> reportedRange() const override { return range; }
    std::optional<ElevationRange> reportedElevationRange() const override { return elevations; }
    void close() override {
        open = false;
        range.reset();
    }
    void finish(int) override {}

    bool open = false;
    QList<QByteArray> sent;
    std::optional<RotorRange> range;
    std::optional<ElevationRange> elevations; // an az/el rotator's, as its state told them
};

} // namespace kestrav
