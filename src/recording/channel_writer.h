// One recorded channel as miniSEED 2: samples packed with libmseed into 4096-byte Steim-2
// records as they come, into one file per UTC day in the SDS layout. Only the samples of one
// unfinished record are held, so memory does not grow with the length of the recording.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/status.h"
#include "recording/seed_names.h"

struct MSRecord_s;

namespace recording {

inline constexpr int kRecordLength = 4096;

class ChannelWriter {
  public:
    ChannelWriter(std::string dir, StreamNames names, int channel, double rate);
    ~ChannelWriter();
    ChannelWriter(const ChannelWriter&) = delete;
    ChannelWriter& operator=(const ChannelWriter&) = delete;

    // Starts a run of contiguous samples whose first is at start_us (microseconds since the
    // epoch, UTC); what an earlier run left unpacked is written out first, so a break in the
    // stream is a gap in the data, never a shift.
    core::Status begin(std::int64_t start_us);
    // Appends samples to the run; full records go to disk.
    core::Status add(const std::int32_t* samples, std::size_t count);
    // Writes out what is held (a last, shorter record) and closes the file.
    core::Status finish();

    std::int64_t samples() const { return samples_; }
    std::int64_t bytes() const { return bytes_; }
    // Files written to, in order.
    const std::vector<std::string>& files() const { return files_; }
    // Time of the next sample of the run.
    std::int64_t next_time_us() const;

  private:
    static void on_record(char* record, int length, void* self);
    core::Status pack(bool flush);
    core::Status open_day(std::int64_t time_us);
    std::int64_t time_of(std::int64_t index) const;

    std::string dir_;
    StreamNames names_;
    int channel_;
    double rate_;
    MSRecord_s* template_ = nullptr;
    std::FILE* file_ = nullptr;
    std::string path_;
    std::vector<std::string> files_;
    std::vector<std::int32_t> held_;
    std::int64_t run_start_us_ = 0;
    std::int64_t day_start_us_ = 0;  // midnight that begins the open file's day
    std::int64_t held_index_ = 0;    // run index of held_[0]
    std::int64_t samples_ = 0, bytes_ = 0;
    bool write_failed_ = false;
    bool running_ = false;
};

}  // namespace recording
