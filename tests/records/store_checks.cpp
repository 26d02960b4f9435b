#include "records/store_checks.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>

#include "records/content_hash.h"

namespace testing_support {

using records::FigureRow;
using records::RecordFilter;
using records::RunRecord;
using records::VerdictRow;

RunRecord sample_record(int n) {
    char utc[32];
    std::snprintf(utc, sizeof utc, "2026-12-08T10:00:%02d.123Z", n % 60);
    RunRecord r;
    r.id = records::new_record_id();
    r.utc = utc;
    r.host = "bench-3";
    r.operator_name = "Åsa O'Neil";
    r.program_version = "2.8.0";
    r.board_serial = "SN-" + std::to_string(1000 + n);
    r.board_code = 4 + n;
    r.firmware = "1.2.3";
    r.kind = "analyze";
    r.test = "psd";
    r.settings_json = R"({"fs": 1000, "note": "a \"quoted\" word; DROP TABLE runs"})";
    r.limits_name = "psd.limits";
    r.limits_hash = records::content_hash("limits " + std::to_string(n));
    r.data_ref = "/data/run " + std::to_string(n) + ".bin";
    r.verdict = n % 2 ? "fail" : "pass";
    r.figures = {
        {0, "noise_density", "dBFS/Hz", 0.1 + 0.2 - n, false},
        {1, "crosstalk", "dB", -1.0 / 3.0, true},
        {2, "thd", "dB", std::nullopt, false},
        {3, "rms", "V", std::numeric_limits<double>::denorm_min(), false},
    };
    r.verdicts = {
        {0, "noise_density", 0.1 + 0.2 - n, std::nullopt, -140.0, true},
        {2, "thd", std::nullopt, -1e300, -90.5, false},
    };
    return r;
}

std::vector<RunRecord> stored(records::RecordStore& store, const RecordFilter& f) {
    std::vector<RunRecord> out;
    const core::Status s = store.query(f, &out);
    EXPECT_TRUE(s.ok()) << s.text;
    return out;
}

std::vector<RunRecord> check_round_trip(records::RecordStore& store) {
    std::vector<RunRecord> records = {sample_record(0), sample_record(1), sample_record(2)};
    // A record with nothing but its id, time and kind.
    records[1] = RunRecord{};
    records[1].id = records::new_record_id();
    records[1].utc = "2026-12-08T10:00:01.000Z";
    records[1].kind = "panel";
    for (int i : {2, 0, 1}) {
        const core::Status s = store.put(records[i]);
        EXPECT_TRUE(s.ok()) << s.text;
    }
    EXPECT_EQ(stored(store), records);
    return records;
}

void check_filters(records::RecordStore& store) {
    auto make = [](const char* serial, const char* utc, std::vector<const char*> keys,
                   const char* verdict) {
        RunRecord r = sample_record(0);
        r.board_serial = serial, r.utc = utc, r.verdict = verdict;
        r.figures.clear();
        for (const char* k : keys) r.figures.push_back({0, k, "dB", 1.0, false});
        return r;
    };
    const std::vector<RunRecord> all = {
        make("SN-A", "2026-12-01T08:00:00.000Z", {"thd"}, "pass"),
        make("SN-B", "2026-12-02T09:30:00.500Z", {"noise_density"}, "fail"),
        make("SN-A", "2026-12-03T00:00:00.000Z", {"thd", "noise_density"}, "fail"),
        make("SN-A", "2026-12-04T12:00:00.000Z", {}, ""),
    };
    for (const RunRecord& r : all) ASSERT_TRUE(store.put(r).ok());

    struct Case {
        RecordFilter filter;
        std::vector<int> expected;  // indexes into all
    };
    const Case cases[] = {
        {{}, {0, 1, 2, 3}},
        {{.serial = "SN-A"}, {0, 2, 3}},
        {{.serial = "SN-Z"}, {}},
        {{.since = "2026-12-02"}, {1, 2, 3}},
        {{.since = "2026-12-02T09:30:00.500Z"}, {1, 2, 3}},
        {{.since = "2026-12-02T09:30:00Z"}, {1, 2, 3}},
        {{.since = "2026-12-02T09:30:01"}, {2, 3}},
        {{.since = "2026-12-05"}, {}},
        {{.figure = "thd"}, {0, 2}},
        {{.verdict = "fail"}, {1, 2}},
        {{.verdict = "pass"}, {0}},
        {{.limit = 2}, {0, 1}},
        {{.serial = "SN-A", .verdict = "fail"}, {2}},
        {{.serial = "SN-A", .figure = "noise_density", .limit = 1}, {2}},
        {{.serial = "SN-A", .since = "2026-12-02", .limit = 1}, {2}},
    };
    for (const Case& c : cases) {
        std::vector<RunRecord> expected;
        for (int i : c.expected) expected.push_back(all[i]);
        EXPECT_EQ(stored(store, c.filter), expected)
            << "serial " << c.filter.serial << " since " << c.filter.since << " figure "
            << c.filter.figure << " verdict " << c.filter.verdict << " limit " << c.filter.limit;
    }
    for (const char* since : {"yesterday", "2026-12-02 09:30", "2026-12-0", "2026-12-02T09:30Z1"}) {
        std::vector<RunRecord> out = {all[0]};
        const core::Status s = store.query({.since = since}, &out);
        EXPECT_EQ(s.fault, core::Fault::BadInput) << since;
        EXPECT_NE(s.text.find(since), std::string::npos) << s.text;
        EXPECT_EQ(out.size(), 1u) << "a refused query leaves the list alone";
    }
}

void check_duplicates(records::RecordStore& store) {
    const RunRecord first = sample_record(5);
    RunRecord again = first;
    again.verdict = "pass";
    again.figures.pop_back();
    ASSERT_TRUE(store.put(first).ok());
    const core::Status s = store.put(again);
    EXPECT_TRUE(s.ok()) << s.text;
    EXPECT_EQ(stored(store), std::vector<RunRecord>{first});
}

}  // namespace testing_support
