// The settings reader on any file, as the program reads it at start: decoded, split into
// lines, applied to a fresh state. What was read is then written and read again: the
// second round must give the lines of the first, and their stored bytes must read back as
// the same lines. The rows of the later settings that cannot be read are kept through both
// rounds.

#include "fuzz_check.h"

#include "lists/text_decoding.h"
#include "rotor/rotor_protocol.h"
#include "settings/settings_file.h"
#include "settings/settings_reader.h"
#include "settings/settings_writer.h"

#include <array>

using namespace kestrav;
using kestrav::fuzz::check;

namespace {

// Does nothing a window would do; keeps what the writer needs and checks the bounds the
// reader promises for each call.
class QuietActions : public SettingsReaderActions {
public:
    void select_language(bool is_french) override { french = is_french; }
    void select_unit(bool is_mile) override { mile = is_mile; }
    void load_personal_list(int n) override {
        check(n >= 1 && n <= kPersonalListCount && !loaded[n - 1]);
        loaded[n - 1] = true;
    }
    void set_com_port(RotorInterface rotor, int index) override {
        check((rotor == RotorInterface::Gs232 || rotor == RotorInterface::EasyComm) && index >= 0);
    }
    void set_com_speed(RotorInterface rotor, int index) override {
        check((rotor == RotorInterface::Gs232 || rotor == RotorInterface::EasyComm) && index >= 0 &&
              index < kComPortSpeedCount);
    }
    void beep() override {}
    void report_bad_number(const QString&) override {
        check(++bad_numbers <= kMostBadNumberReports);
    }
    // Once for each of the fourteen keys at most.
    void report_unread_row(const QString& row) override {
        check(++unread_rows <= 14 && !row.contains(u'\n'));
    }

    bool french = false;
    bool mile = false;
    std::array<bool, kPersonalListCount> loaded{};
    int bad_numbers = 0;
    int unread_rows = 0;
};

QStringList read_and_write(const QStringList& lines) {
    StationConfig state;
    QuietActions actions;
    read_settings(lines, state, actions);
    check(state.PourSatLpt >= -1 && state.PourSatLpt < kLptCount);
    check(state.FodTrackLpt >= -1 && state.FodTrackLpt < kLptCount);
    check(state.Gs232Com >= -1 && state.EasyCommCom >= -1);
    for (int step : state.MinSteps)
        check(step >= 0);
    const QStringList written = settings_lines(state, actions.french, actions.mile);
    // An unreadable row of the later settings is written back as it stood: nothing has
    // changed its setting since it was read.
    const KeptRows& kept = state.UnreadRows;
    for (const std::optional<QString>& row :
         {kept_text(kept.heading, state.ShowHeading), kept_text(kept.map, state.MapWindowSetting),
          kept_text(kept.serve, state.ServeRotctld), kept_text(kept.wsjtx, state.WsjtxFollowing),
          kept_text(kept.range_gs232, state.Gs232Range),
          kept_text(kept.range_easycomm, state.EasyCommRange),
          kept_text(kept.range_network, state.NetworkRange), kept_text(kept.pst, state.PstRotator),
          kept_text(kept.n1mm, state.N1mm), kept_text(kept.azel_gs232, state.Gs232AzEl),
          kept_text(kept.azel_easycomm, state.EasyCommAzEl),
          kept_text(kept.elevation_step, state.ElevationStep),
          kept_text(kept.parking_elevation, state.ParkingElevation),
          kept_text(kept.cluster, state.DxCluster)})
        check(!row || (written.count(*row) == 1 && written.indexOf(*row) >= 33));
    return written;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QStringList first =
        read_and_write(split_text_lines(decode_text(fuzz::bytes_of(data, size))));
    check(read_and_write(first) == first);
    check(split_text_lines(decode_text(encode_settings_text(first))) == first);
    return 0;
}
