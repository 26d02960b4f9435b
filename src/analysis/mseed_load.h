// Recorded miniSEED as the analysed block: a file or an archive's window, its channels side by
// side in the channel arrays up to their capacity, so every test runs on recorded data.
#pragma once

#include <string>

#include "recording/mseed_reader.h"

namespace analysis {

struct Context;

struct MseedLoad {
    int status = 0;                  // 0 loaded; -1 after a message
    recording::ReadStreams streams;  // what was read (the samples moved into the block)
    int samples = 0;                 // per channel, as loaded
};

// Whether a path names miniSEED rather than an analysis data file: a folder holding SDS day
// files, a name ending in .mseed, .miniseed or .ms, or an SDS day file's name.
bool is_miniseed_path(const std::string& path);

MseedLoad load_miniseed(const Context& cx, const std::string& path, recording::ReadRequest request);

}  // namespace analysis
