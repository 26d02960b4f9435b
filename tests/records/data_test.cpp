// The hash of a limits file, record ids and the CSV export.
#include <gtest/gtest.h>

#include <set>

#include "chipfiles/temp_dir.h"
#include "records/content_hash.h"
#include "records/csv_export.h"

namespace {

using records::content_hash;

TEST(ContentHash, MatchesTheStandardVectors) {
    const struct {
        std::string data;
        const char* digest;
    } cases[] = {
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& c : cases) EXPECT_EQ(content_hash(c.data), c.digest) << c.data.size();
}

TEST(RecordId, IsFreshLowercaseHexOf128Bits) {
    std::set<std::string> ids;
    for (int i = 0; i < 1000; ++i) {
        const std::string id = records::new_record_id();
        EXPECT_EQ(id.size(), 32u);
        EXPECT_EQ(id.find_first_not_of("0123456789abcdef"), std::string::npos) << id;
        ids.insert(id);
    }
    EXPECT_EQ(ids.size(), 1000u);
}

TEST(CsvExport, QuotesWhatNeedsQuotingAndJudgesEachFigure) {
    records::RunRecord r;
    r.id = "0123456789abcdef0123456789abcdef";
    r.utc = "2026-12-08T10:00:00.123Z";
    r.board_serial = "SN-1";
    r.board_code = 4;
    r.firmware = "1.2,beta";
    r.kind = "analyze";
    r.test = "psd";
    r.verdict = "fail";
    r.figures = {{0, "a,b\"c", "dB", -120.5, true},
                 {1, "thd", "dB", std::nullopt, false},
                 {0, "rms", "line\nbreak", 0.1, false}};
    r.verdicts = {{0, "a,b\"c", -120.5, std::nullopt, -110.0, true},
                  {1, "thd", std::nullopt, std::nullopt, -90.0, false}};
    testing_support::TempDir dir;
    ASSERT_TRUE(records::export_csv({r, records::RunRecord{}}, dir.path("out.csv").string()).ok());
    const std::string row =
        "2026-12-08T10:00:00.123Z,0123456789abcdef0123456789abcdef,SN-1,4,\"1.2,beta\",analyze,"
        "psd,";
    EXPECT_EQ(dir.read("out.csv"),
              "utc,id,serial,board_code,firmware,kind,test,channel,figure,unit,value,upper_bound,"
              "figure_verdict,verdict\r\n" +
                  row + "0,\"a,b\"\"c\",dB,-120.5,yes,pass,fail\r\n" + row +
                  "1,thd,dB,,,fail,fail\r\n" + row + "0,rms,\"line\nbreak\",0.1,,,fail\r\n");

    const core::Status s = records::export_csv({r}, dir.path("missing/out.csv").string());
    EXPECT_EQ(s.fault, core::Fault::FileError);
}

}  // namespace
