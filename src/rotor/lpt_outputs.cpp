// The PourSat and FODTrack outputs: the azimuth as one calibrated byte, handed to the
// rotator interface by a fixed sequence of register writes on the chosen parallel port.

#include "app/desktop.h"
#include "app/main_window.h"
#include "app/widgets.h"
#include "rotor/lpt_sequence.h"
#include "rotor/parallel_port.h"
#include "rotor/rotor_protocol.h"

#include <QLabel>

#include <array>
#include <cstring>

namespace kestrav {

void TForm1::lpt_output(RotorInterface which) {
    const bool poursat = which == RotorInterface::PourSat;
    // A port whose address is 0 does not exist (or no port is chosen): nothing may be written
    // to I/O addresses 0 and 2, so it is refused like a missing choice.
    const std::uint16_t base =
        lpt_base_address(state_.LptAddresses, poursat ? state_.PourSatLpt : state_.FodTrackLpt);
    if (parallel_port_ == nullptr || base == 0) {
        desktop_->beep();
        output_failed_ = true;
        return;
    }
    if (!take_step(which))
        return;
    state_.CommandAzimuth = map_stop_side(state_.CommandAzimuth, state_.stop_side(which));

    const int value =
        poursat
            ? lpt_output_value(state_.CommandAzimuth, state_.PourSatZero, state_.PourSatCalAz)
            : lpt_output_value(state_.CommandAzimuth, state_.FodTrackZero, state_.FodTrackCalAz);
    if (raw_output_display_)
        LabelAzimut->setText(QString::number(value));
    // The FODTrack pauses block the window for about 80 ms, as the interface needs.
    run_lpt_sequence(*parallel_port_, base, lpt_sequence(which), value, pause_milliseconds);

    std::array<char, kLastStateBufferSize> outcome{};
    parallel_port_->GetLastState(outcome.data());
    outcome.back() = '\0';
    if (std::strstr(outcome.data(), "succes") != nullptr) {
        output_failed_ = false;
    } else {
        desktop_->beep();
        output_failed_ = true;
    }
}

} // namespace kestrav
