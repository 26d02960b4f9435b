// The names of recorded streams in the seismology convention: network, station, location and
// channel codes, their defaults for a test recording, and the archive's file layout.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace recording {

struct StreamNames {
    std::string network = "XX";  // the conventional test network
    std::string station;
    std::string location;
    std::vector<std::string> channels;  // one code per recorded channel
};

// The SEED band code for a sample rate, for a broadband instrument (corner at 10 s or longer):
// F from 1000, C from 250, H from 80, B from 10, M above 1, L at about 1, V below.
char band_code(double rate);
// The default names: network XX, the serial's last five letters or digits as the station
// ("TEST" without any), no location, band code + H (high-gain seismometer) + orientation 1 to 4.
StreamNames default_names(const std::string& serial, double rate, int channels);
// Empty when the names are valid SEED codes for `channels` streams (network 1-2, station 1-5,
// location 0-2, channel 3 characters, letters and digits, channel codes distinct); otherwise
// what is wrong.
std::string check_names(const StreamNames& names, int channels);

// DIR/YEAR/NET/STA/CHAN.D/NET.STA.LOC.CHAN.D.YEAR.DAY, DAY the day of the year in three digits.
std::string sds_path(const std::string& dir, const StreamNames& n, int channel, int year, int day);

}  // namespace recording
