#include "recording/session.h"

#include <ctime>

#include "recording/station_xml.h"

namespace recording {

StreamNames job_names(const JobBoard& board, const RecordJob& job, std::string* why) {
    StreamNames names = default_names(board.serial, board.rate, board.channels);
    if (!job.network.empty()) names.network = job.network;
    if (!job.station.empty()) names.station = job.station;
    if (job.location) names.location = *job.location;
    if (!job.channel_codes.empty()) names.channels = job.channel_codes;
    *why = check_names(names, board.channels);
    return names;
}

RecordedJob record_job(boardlink::Port& port, const platform::Clock& clock, const JobBoard& board,
                       const RecordJob& job, const ProgressSink& progress) {
    RecordedJob done;
    RecordOutcome& o = done.outcome;
    if (!board.armed) {
        o.status = core::Status::failed(core::Fault::NotAllowed, "configure", "Record",
                                        "Configure the board before recording.");
        return done;
    }
    std::string why;
    done.names = job_names(board, job, &why);
    if (!why.empty()) {
        o.status = core::Status::failed(core::Fault::BadInput, "names", "Record", why);
        return done;
    }
    RecordRequest request;
    request.out = job.out;
    request.channels = board.channels;
    request.rate = board.rate;
    request.seconds = job.seconds;
    request.names = done.names;
    request.utc_start_us = clock.utc_us();
    request.clock_start = port.timer();
    const double cpu0 = static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
    o = record(port, request, progress);
    done.cpu_seconds = static_cast<double>(std::clock()) / CLOCKS_PER_SEC - cpu0;
    if (!o.status) return done;
    done.station_xml = job.out + "/" + done.names.network + "." + done.names.station + ".xml";
    // Counts per volt: the full-scale code over half the full-scale span.
    const double counts_per_volt = board.fs_code / (board.fs_volt / 2.0);
    if (core::Status s = write_station_xml(done.station_xml, done.names, request.rate,
                                           counts_per_volt, o.first_sample_us);
        !s)
        o.status = s;
    return done;
}

}  // namespace recording
