#pragma once
// What a rotctld client asks, done by the station session as any other program's request is:
// the rotor's rules (the minimum step, the end stop, the overlap, parking), and the answer in
// Hamlib's codes says what became of that very request. Nothing waits for a hand at the desk.

#include "rotor/rotctld_protocol.h"

#include <QObject>

namespace kestrav {

class StationSession;

class RotctldService final : public QObject, public RotorService {
public:
    explicit RotctldService(StationSession& session, QObject* parent = nullptr)
        : QObject(parent), session_(session) {}

    Outcome go_to(double azimuth) override;
    Outcome go_to_both(double azimuth, double elevation) override;
    void stop() override;
    Outcome park() override;
    double position() override;
    double elevation() override;
    Range range() const override;
    QString info() const override;

private:
    StationSession& session_;
};

} // namespace kestrav
