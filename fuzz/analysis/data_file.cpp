// Analysis data files, read directly and loaded through a started system. Whatever the file:
// an accepted header has 1 to 4 channels and rows that fit the channel arrays; a rejection
// names a line; a rejected load leaves the settings, setup fields, counts and samples of the
// block loaded before exactly as they were and says why, once; an accepted load holds the
// header's rows and no more, says nothing, and writes back to a file that reads the same.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/data_file.h"
#include "analysis/data_menu.h"
#include "core/system_types.h"
#include "fuzz_check.h"
#include "fuzz_input.h"
#include "shell/panel_values.h"
#include "shell/startup.h"
#include "support/test_app.h"
#include "uir_ids.h"

namespace {

using analysis::kChannels;

// Rows compared on each side of a load; a load writes its rows from row 0 on.
constexpr int kWatchedRows = 64;
constexpr int kSetupFields[] = {SETUP_SAMPLES, SETUP_RATE,    SETUP_WINDOW,  SETUP_FSCODE,
                                SETUP_FSVOLTS, SETUP_LIMITBW, SETUP_CHANNELS};

// Bitwise, so a NaN equals itself and -0 differs from 0.
bool same(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

struct Snapshot {
    int num_samples = 0, channels = 0;
    double fs = 0.0;
    int window_index = 0, fs_code = 0, limit_bw = 0;
    double fs_volt = 0.0;
    std::array<int, kChannels> ch_count{};
    std::array<double, std::size(kSetupFields)> fields{};
    std::vector<std::int32_t> data, tags;  // kWatchedRows per channel

    explicit Snapshot(App& app) {
        const auto& st = app.analysis;
        num_samples = app.capture.num_samples;
        channels = app.capture.NumberOfChannels;
        fs = app.capture.fs;
        window_index = st.window_index;
        fs_code = st.fs_code;
        limit_bw = st.limit_bw;
        fs_volt = st.fs_volt;
        ch_count = st.ch_count;
        for (std::size_t i = 0; i < std::size(kSetupFields); ++i)
            fields[i] = shell::get_double(app.ui, app.shell.setuppanel, kSetupFields[i]);
        for (int c = 0; c < kChannels; ++c) {
            data.insert(data.end(), st.data(c), st.data(c) + kWatchedRows);
            tags.insert(tags.end(), st.tag(c), st.tag(c) + kWatchedRows);
        }
    }
    bool operator==(const Snapshot& o) const {
        return num_samples == o.num_samples && channels == o.channels && same(fs, o.fs) &&
               window_index == o.window_index && fs_code == o.fs_code && limit_bw == o.limit_bw &&
               same(fs_volt, o.fs_volt) && ch_count == o.ch_count && fields == o.fields &&
               data == o.data && tags == o.tags;
    }
};

// One started system for the whole run, holding a valid block before the first input.
struct System {
    testing_support::TestApp t;
    std::vector<std::int32_t> rows = std::vector<std::int32_t>(8 * core::kBufferEntries);

    System() {
        FUZZ_CHECK(shell::startup(*t) == 0);
        const std::string block =
            "8,0,500,3,7fffff,5,250,0,4,1.5\n \n"
            "0, 1, 10, -1, 20, 2, 30, -2\n"
            "1, 3, 11, -3, 21, 4, 31, -4\n"
            "0, 0, 0, 0, 0, 0, 0, 0\n";
        const fuzz::InputFile file(reinterpret_cast<const std::uint8_t*>(block.data()),
                                   block.size(), ".dat");
        FUZZ_CHECK(analysis::load_data_file(*t, file.path().string()) == 0);
        clear_record();
    }
    void clear_record() {
        t.frontend.popups.clear();
        t.frontend.stdout_lines.clear();
    }
    int load_errors() const {
        return static_cast<int>(
            std::count_if(t.frontend.popups.begin(), t.frontend.popups.end(),
                          [](const ui::Popup& p) { return p.title == "Load Data Error"; }));
    }
};

// Reads text with the file reader alone; true when header and rows both read.
bool read_direct(const std::string& text, std::vector<std::int32_t>& rows,
                 analysis::DataHeader* h) {
    std::istringstream in(text);
    analysis::ReadError e;
    if (!analysis::read_data_header(in, h, &e)) {
        FUZZ_CHECK(e.line == 1 && !e.what.empty());
        return false;
    }
    FUZZ_CHECK(h->channels >= 1 && h->channels <= kChannels);
    FUZZ_CHECK(h->num_samples >= 0);
    FUZZ_CHECK(h->rows() >= 1 && h->rows() <= core::kBufferEntries);
    if (!analysis::read_data_rows(in, *h, rows.data(), &e)) {
        FUZZ_CHECK(e.line >= 2 && !e.what.empty());
        return false;
    }
    return true;
}

// The accepted block written back reads as the same header and the same rows.
void check_round_trip(App& app, const analysis::DataHeader& h, std::vector<std::int32_t>& rows) {
    std::ostringstream out;
    analysis::write_data_file(out, h, app.analysis);
    analysis::DataHeader back;
    FUZZ_CHECK(read_direct(out.str(), rows, &back));
    FUZZ_CHECK(back.num_samples == h.num_samples && same(back.fs, h.fs) &&
               back.window_index == h.window_index && back.fs_code == h.fs_code &&
               same(back.fs_volt, h.fs_volt) && back.limit_bw == h.limit_bw &&
               back.channels == h.channels && same(back.ref_power, h.ref_power));
    const auto& st = app.analysis;
    for (int i = 0; i < h.rows(); ++i)
        for (int c = 0; c < kChannels; ++c)
            FUZZ_CHECK(rows[8 * i + 2 * c] == st.tag(c)[i] &&
                       rows[8 * i + 2 * c + 1] == st.data(c)[i]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static System system;
    App& app = *system.t;
    const std::string text(fuzz::as_text(data, size));

    analysis::DataHeader h;
    const bool readable = read_direct(text, system.rows, &h);

    const Snapshot before(app);
    const fuzz::InputFile file(data, size, ".dat");
    const int rc = analysis::load_data_file(app, file.path().string());
    const Snapshot after(app);
    FUZZ_CHECK(rc == 0 || rc == -1);
    if (rc != 0) {
        FUZZ_CHECK(after == before);
        FUZZ_CHECK(system.load_errors() == 1);
    } else {
        // Only a file the reader takes whole is loaded, with its header's rows.
        FUZZ_CHECK(readable);
        FUZZ_CHECK(system.load_errors() == 0);
        FUZZ_CHECK(after.channels == h.channels && after.num_samples == h.num_samples);
        for (int c = 0; c < kChannels; ++c) {
            const int expected = c < h.channels ? h.rows() - 1 : before.ch_count[c];
            FUZZ_CHECK(after.ch_count[c] == expected);
            FUZZ_CHECK(after.ch_count[c] < core::kBufferEntries);
        }
        // Past row n the arrays keep what they held.
        for (int c = 0; c < kChannels; ++c)
            for (int i = h.rows(); i < kWatchedRows; ++i)
                FUZZ_CHECK(after.data[c * kWatchedRows + i] == before.data[c * kWatchedRows + i] &&
                           after.tags[c * kWatchedRows + i] == before.tags[c * kWatchedRows + i]);
        check_round_trip(app, h, system.rows);
    }
    system.clear_record();
    return 0;
}
