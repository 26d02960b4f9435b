#include "recording/seed_names.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace recording {

namespace {

bool seed_code(const std::string& s, std::size_t lo, std::size_t hi) {
    return s.size() >= lo && s.size() <= hi && std::all_of(s.begin(), s.end(), [](char c) {
               return std::isupper(static_cast<unsigned char>(c)) ||
                      std::isdigit(static_cast<unsigned char>(c));
           });
}

}  // namespace

char band_code(double rate) {
    if (rate >= 1000.0) return 'F';
    if (rate >= 250.0) return 'C';
    if (rate >= 80.0) return 'H';
    if (rate >= 10.0) return 'B';
    if (rate > 1.05) return 'M';
    if (rate >= 0.95) return 'L';
    return 'V';
}

StreamNames default_names(const std::string& serial, double rate, int channels) {
    StreamNames n;
    std::string alnum;
    for (char c : serial)
        if (std::isalnum(static_cast<unsigned char>(c)))
            alnum += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    n.station = alnum.empty() ? "TEST" : alnum.substr(alnum.size() > 5 ? alnum.size() - 5 : 0);
    for (int c = 0; c < channels; ++c)
        n.channels.push_back(std::string{band_code(rate), 'H', static_cast<char>('1' + c)});
    return n;
}

std::string check_names(const StreamNames& n, int channels) {
    if (!seed_code(n.network, 1, 2)) return "the network code is 1 or 2 capital letters or digits";
    if (!seed_code(n.station, 1, 5)) return "the station code is 1 to 5 capital letters or digits";
    if (!seed_code(n.location, 0, 2))
        return "the location code is 0 to 2 capital letters or digits";
    if (static_cast<int>(n.channels.size()) != channels)
        return "there are " + std::to_string(channels) + " channels to name";
    for (std::size_t i = 0; i < n.channels.size(); ++i) {
        if (!seed_code(n.channels[i], 3, 3)) return "a channel code is 3 capital letters or digits";
        if (std::find(n.channels.begin(), n.channels.begin() + i, n.channels[i]) !=
            n.channels.begin() + i)
            return "channel code " + n.channels[i] + " is given twice";
    }
    return {};
}

std::string sds_path(const std::string& dir, const StreamNames& n, int channel, int year, int day) {
    const std::string& chan = n.channels[static_cast<std::size_t>(channel)];
    char tail[64];
    std::snprintf(tail, sizeof tail, ".D.%04d.%03d", year, day);
    return dir + "/" + std::to_string(year) + "/" + n.network + "/" + n.station + "/" + chan +
           ".D/" + n.network + "." + n.station + "." + n.location + "." + chan + tail;
}

}  // namespace recording
