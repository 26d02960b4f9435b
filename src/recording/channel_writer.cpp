#include "recording/channel_writer.h"

#include <libmseed.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>

namespace recording {

namespace {

constexpr std::int64_t kMicros = 1000000;
constexpr std::int64_t kDayMicros = 86400 * kMicros;
// Data quality flags, bit 7: the time tag is questionable. The host's clock sets it, not a
// timing receiver.
constexpr std::uint8_t kQuestionableTime = 0x80;

core::Status failed(const std::string& step, const std::string& text) {
    return core::Status::failed(core::Fault::FileError, step, "Record", text);
}

void copy_code(char* to, const std::string& from) {
    std::strncpy(to, from.c_str(), 10);
    to[10] = '\0';
}

}  // namespace

ChannelWriter::ChannelWriter(std::string dir, StreamNames names, int channel, double rate)
    : dir_(std::move(dir)), names_(std::move(names)), channel_(channel), rate_(rate) {
    template_ = msr_init(nullptr);
    copy_code(template_->network, names_.network);
    copy_code(template_->station, names_.station);
    copy_code(template_->location, names_.location);
    copy_code(template_->channel, names_.channels[static_cast<std::size_t>(channel)]);
    template_->dataquality = 'D';
    template_->samprate = rate_;
    template_->reclen = kRecordLength;
    template_->encoding = DE_STEIM2;
    template_->byteorder = 1;
    template_->sampletype = 'i';
    template_->fsdh = static_cast<struct fsdh_s*>(std::calloc(1, sizeof(struct fsdh_s)));
    if (template_->fsdh) template_->fsdh->dq_flags = kQuestionableTime;
    held_.reserve(2 * kRecordLength);
}

ChannelWriter::~ChannelWriter() {
    if (file_) std::fclose(file_);
    template_->datasamples = nullptr;  // held_ owns them
    msr_free(&template_);
}

std::int64_t ChannelWriter::time_of(std::int64_t index) const {
    return run_start_us_ + std::llround(static_cast<double>(index) * kMicros / rate_);
}

std::int64_t ChannelWriter::next_time_us() const {
    return time_of(held_index_ + static_cast<std::int64_t>(held_.size()));
}

core::Status ChannelWriter::begin(std::int64_t start_us) {
    if (running_)
        if (core::Status s = pack(true); !s) return s;
    run_start_us_ = start_us;
    held_index_ = 0;
    held_.clear();
    running_ = true;
    return open_day(start_us);
}

core::Status ChannelWriter::open_day(std::int64_t time_us) {
    const std::time_t seconds = static_cast<std::time_t>(time_us / kMicros);
    std::tm tm{};
    gmtime_r(&seconds, &tm);
    const std::string path = sds_path(dir_, names_, channel_, tm.tm_year + 1900, tm.tm_yday + 1);
    day_start_us_ = time_us / kDayMicros * kDayMicros;
    if (file_ && path == path_) return core::Status::success();
    if (file_) std::fclose(file_);
    file_ = nullptr;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    // Appending: a second recording of the same day joins the day's file.
    file_ = std::fopen(path.c_str(), "ab");
    if (!file_) return failed("open", "File " + path + " cannot be written.");
    path_ = path;
    if (files_.empty() || files_.back() != path) files_.push_back(path);
    return core::Status::success();
}

void ChannelWriter::on_record(char* record, int length, void* self) {
    auto* w = static_cast<ChannelWriter*>(self);
    if (std::fwrite(record, 1, static_cast<std::size_t>(length), w->file_) !=
        static_cast<std::size_t>(length))
        w->write_failed_ = true;
    w->bytes_ += length;
}

core::Status ChannelWriter::pack(bool flush) {
    if (held_.empty()) return core::Status::success();
    template_->datasamples = held_.data();
    template_->numsamples = static_cast<std::int64_t>(held_.size());
    template_->starttime = time_of(held_index_);
    std::int64_t packed = 0;
    const int records = msr_pack(template_, &ChannelWriter::on_record, this, &packed, flush, 0);
    template_->datasamples = nullptr;
    if (records < 0 || write_failed_)
        return failed("write", "File " + path_ + " cannot be written.");
    held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(packed));
    held_index_ += packed;
    samples_ += packed;
    if (flush && std::fflush(file_) != 0)
        return failed("write", "File " + path_ + " cannot be written.");
    return core::Status::success();
}

core::Status ChannelWriter::add(const std::int32_t* samples, std::size_t count) {
    while (count > 0) {
        // A record never spans midnight: the day's file ends with the day's last sample.
        const std::int64_t day_end = day_start_us_ + kDayMicros;
        const std::int64_t first_next_day = static_cast<std::int64_t>(
            std::ceil(static_cast<double>(day_end - run_start_us_) * rate_ / kMicros - 1e-9));
        const std::int64_t room =
            first_next_day - (held_index_ + static_cast<std::int64_t>(held_.size()));
        if (room <= 0) {
            // Midnight: the day's last samples out, then the next day's file.
            if (core::Status s = pack(true); !s) return s;
            if (core::Status s = open_day(next_time_us()); !s) return s;
            continue;
        }
        const std::size_t take = std::min<std::size_t>(count, static_cast<std::size_t>(room));
        held_.insert(held_.end(), samples, samples + take);
        samples += take;
        count -= take;
        if (held_.size() >= static_cast<std::size_t>(kRecordLength))
            if (core::Status s = pack(false); !s) return s;
    }
    return core::Status::success();
}

core::Status ChannelWriter::finish() {
    core::Status s = running_ ? pack(true) : core::Status::success();
    running_ = false;
    if (file_ && std::fclose(file_) != 0 && s)
        s = failed("close", "File " + path_ + " cannot be written.");
    file_ = nullptr;
    return s;
}

}  // namespace recording
