#include "capture/capture.h"

#include <algorithm>
#include <functional>

#include "boardlink/transport/record_stream.h"
#include "boardlink/transport/transport.h"
#include "capture/buffer.h"
#include "capture/permission.h"
#include "capture/progress.h"
#include "chip/acquisition.h"
#include "shell/app.h"
#include "shell/show_outcome.h"
#include "uir_ids.h"

namespace capture {

namespace {

constexpr const char* kNoResponse = "        No Response!";
constexpr const char* kReconfig = "Please reconfig or reset the target board";
constexpr int kBlue = 0x0000FF;

void set_progress(App& app, int percent) {
    app.ui.SetCtrlVal(app.shell.setuppanel, SETUP_PROGRESS, percent);
}

void caption(App& app, const char* text) {
    app.ui.SetCtrlAttribute(app.shell.setuppanel, SETUP_CAPTURE, ui::ATTR_LABEL_TEXT, text);
}

// A failure after which the board must be reconfigured or reset: capture is locked.
core::Status fail_locked(App& app, core::Fault fault, const char* step, const char* text) {
    lock_capture(app);
    caption(app, "Capture Data");
    return core::Status::failed(fault, step, kNoResponse, text);
}

core::Status overrun(App& app) {
    caption(app, "Capture Data");
    return core::Status::failed(core::Fault::Overrun, "stream", "USB buffer over-run!", kReconfig);
}

// The channels of the stream's records (tag bits 5..4) go round 0, 1, .. K-1, 0 ..., K being
// the count the chip was configured with; a record out of turn then means records were lost on
// the way. The pair of the first two records is not judged: the four-channel chip's stale
// first word carries whatever tag it was left with. With K unknown (0) nothing is judged.
class ChannelOrder {
  public:
    explicit ChannelOrder(int channels) : channels_(channels) {}

    // False when a record of the chunk breaks the order.
    bool holds(const std::uint8_t* records, int count) {
        for (int j = 0; j < count; ++j, ++seen_) {
            const int ch = (records[j * kRecordBytes] >> 4) & 3;
            if (seen_ >= 2 && channels_ > 1 && ch != (last_ + 1) % channels_) return false;
            last_ = ch;
        }
        return true;
    }

  private:
    int channels_;
    int last_ = 0;
    long long seen_ = 0;
};

// The progress window while records arrive. Its Cancel stops the stream as Ctrl-C does: the
// port's stop hook answers for both while the stream runs.
class StreamWatch {
  public:
    explicit StreamWatch(App& app) : app_(app), outer_(app.port.stop_requested) {
        app.port.stop_requested = [this] { return cancelled_ || (outer_ && outer_()); };
    }
    ~StreamWatch() { app_.port.stop_requested = outer_; }
    StreamWatch(const StreamWatch&) = delete;
    StreamWatch& operator=(const StreamWatch&) = delete;

    void update() {
        static constexpr double kRedrawSeconds = 0.2;
        const double now = app_.clock.now();
        if (now - shown_ < kRedrawSeconds) return;
        shown_ = now;
        const CaptureProgress& p = app_.capture.progress;
        if (app_.ui.UpdateProgress(kCaptureProgressTitle, describe(p, now - p.started),
                                   fraction_done(p)) != 0)
            cancelled_ = true;
    }

  private:
    App& app_;
    std::function<bool()> outer_;
    bool cancelled_ = false;
    double shown_ = -1e300;
};

// Consumes the record stream into the buffer. Only bytes really lost are an over-run: the
// device library reports them, or the channels break their order. Records beyond the buffer's
// capacity are counted in `dropped` and not stored.
core::Status drain_stream(App& app) {
    Buffer& buf = app.capture;
    ChannelOrder order(buf.configured_channels);
    long long m = 0;
    buf.dropped = 0;
    buf.progress.records = 0;
    buf.progress.total = buf.num_samples;
    StreamWatch watch(app);
    watch.update();
    const auto into_buffer = [&](const std::uint8_t* records, int count) {
        if (!order.holds(records, count)) return false;
        m += store_records(records, count * kRecordBytes, m, buf);
        buf.progress.records = std::min<long long>(m, buf.num_samples);
        set_progress(app, static_cast<int>(buf.progress.records * 100 / buf.num_samples));
        if (buf.on_progress) buf.on_progress(buf.progress);
        watch.update();
        return true;
    };
    switch (boardlink::read_records(app.port, buf.num_samples, into_buffer)) {
        case boardlink::StreamEnd::Complete:
            return core::Status::success();
        case boardlink::StreamEnd::Silent:
            return fail_locked(app, core::Fault::NoReply, "stream", kReconfig);
        case boardlink::StreamEnd::Stopped:
            chip::cancel_capture(app.port);
            caption(app, "Capture Data");
            // The board is left as configured: the next capture may start at once.
            return core::Status::failed(core::Fault::Cancelled, "stream", "Capture",
                                        "Capture cancelled.");
        case boardlink::StreamEnd::Lost:
        case boardlink::StreamEnd::Refused:
            break;
    }
    return overrun(app);
}

}  // namespace

int store_records(const std::uint8_t* chunk, int bytes, long long m, Buffer& buf) {
    const int k = bytes / kRecordBytes;
    const long long room = std::max<long long>(0, core::kBufferEntries - m);
    const int stored = static_cast<int>(std::min<long long>(k, room));
    for (int j = 0; j < stored; ++j) {
        const std::uint8_t* r = chunk + j * kRecordBytes;
        buf.jarr[m + j] = r[0];
        buf.iarr[m + j] = decode_sample(r + 1);
    }
    buf.dropped += k - stored;
    return k;
}

int USB_Write_CaptureStart(App& app, int records, int channels, int skip) {
    switch (chip::start_capture(app.port, records, channels, skip)) {
        case chip::StartEnd::Started:
            return 1;
        case chip::StartEnd::NoAnswer:
            app.ui.MessagePopup("Error", "Device doesn't respond to Capture Start Command.");
            return 0;
        case chip::StartEnd::OutOfSync:
            break;
    }
    app.ui.MessagePopup("        WARNING!!!", "Command out of Sync");
    return 0;
}

namespace {

core::Status capture_into_buffer(App& app) {
    Buffer& buf = app.capture;
    const int p = app.shell.setuppanel;
    const int skip = app.settings.capture.skip;
    const int rate = app.settings.setup.rate;
    buf.num_samples = app.settings.capture.samples;
    const int channels = core::channels_from_code(app.settings.setup.channels);
    set_progress(app, 0);
    app.ui.SetCtrlAttribute(p, SETUP_PROGRESS, ui::ATTR_ON_COLOR, kBlue);
    std::fill(buf.jarr.begin(), buf.jarr.end(), 0);
    std::fill(buf.iarr.begin(), buf.iarr.end(), 0);
    // The record-count input keeps the count within 1..1,048,576; a count outside it (a
    // resource fault) must never reach the progress division or the buffer.
    if (buf.num_samples < 1 || buf.num_samples > core::kMaxRecords)
        return fail_locked(app, core::Fault::BadInput, "record count", kReconfig);
    if (!USB_Write_CaptureStart(app, buf.num_samples, channels, skip))
        return fail_locked(app, core::Fault::NoReply, "USB_Write_CaptureStart", kReconfig);
    if (skip > 0 && boardlink::wait_capture_reply(app.port, skip * (1.0 / rate)) != 1)
        return fail_locked(app, core::Fault::NoReply, "wait_capture_reply",
                           "Error occurs while skipping samples");
    if (core::Status s = drain_stream(app); !s) return s;
    set_progress(app, 100);
    if (chip::stop_capture(app.port, skip)) {
        // The stale word is dropped.
        for (int i = 0; i < buf.num_samples; ++i) {
            buf.iarr[i] = buf.iarr[i + 1];
            buf.jarr[i] = buf.jarr[i + 1];
        }
    }
    return core::Status::success();
}

}  // namespace

core::Status capture_block(App& app) {
    Buffer& buf = app.capture;
    // The capture fills the arrays as records arrive; the block held so far waits aside and
    // comes back when the capture fails.
    buf.iarr.swap(buf.held_iarr);
    buf.jarr.swap(buf.held_jarr);
    const int held_samples = buf.num_samples;
    const core::Status s = capture_into_buffer(app);
    if (!s) {
        buf.iarr.swap(buf.held_iarr);
        buf.jarr.swap(buf.held_jarr);
        buf.num_samples = held_samples;
    }
    return s;
}

int capture_data(App& app) {
    app.capture.progress = {1, 1, 0, 0, app.clock.now()};
    const core::Status s = capture_block(app);
    app.ui.EndProgress();
    shell::show_outcome(app.ui, s);
    return s.ok() ? 0 : 1;
}

}  // namespace capture
