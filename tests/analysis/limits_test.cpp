// Limits files: what parses, what is a usage error and why, and the verdicts they give.
#include <gtest/gtest.h>

#include <limits>

#include "analysis/limits.h"
#include "analysis/readouts.h"
#include "analysis/state.h"
#include "chipfiles/temp_dir.h"

namespace {

using analysis::Limits;
using analysis::Readout;

Limits parse_ok(const std::string& text) {
    Limits l;
    const core::Status s = analysis::parse_limits(text, analysis::known_figure, &l);
    EXPECT_TRUE(s.ok()) << text << ": " << s.text;
    return l;
}

TEST(Limits, TheIssuesExampleParses) {
    const Limits l = parse_ok(
        R"({"signal": {"S/N": {"min": 110}, "SFDR": {"min": 115, "channels": [1, 3]}},
            "noise": {"S/N": {"min": 120}}, "hist": {"STD_DEV": {"max": 12}}})");
    ASSERT_EQ(l.entries.size(), 4u);
    const analysis::FigureLimit* sfdr = nullptr;
    for (const auto& e : l.entries)
        if (e.figure == "SFDR") sfdr = &e;
    ASSERT_NE(sfdr, nullptr);
    EXPECT_EQ(sfdr->test, analysis::kSignalFft);
    EXPECT_EQ(*sfdr->min, 115.0);
    EXPECT_FALSE(sfdr->max);
    EXPECT_EQ(sfdr->channels, (std::array<bool, 4>{true, false, true, false}));
    // The converter figures and the time test's keys are figures too.
    EXPECT_EQ(parse_ok(R"({"hist": {"Noise-free resolution": {"min": 20}},
                           "time": {"MAXIMUM": {"max": 8000000}}})")
                  .entries.size(),
              2u);
}

TEST(Limits, BadFilesAreRefusedWithTheirReason) {
    const struct {
        const char* text;
        const char* reason;
    } cases[] = {
        {"{\"signal\": {\"S/N\": {\"min\": 110}", "not valid JSON"},
        {"[1, 2]", "an object of tests"},
        {R"({"sgnal": {"S/N": {"min": 1}}})", "unknown test \"sgnal\""},
        {R"({"signal": {"Spot Noise dB": {"min": 1}}})", "unknown figure signal \"Spot Noise dB\""},
        {R"({"phase": {"S/N": {"min": 1}}})", "unknown figure"},
        {R"({"signal": {"S/N": {"mn": 1}}})", "unknown key \"mn\""},
        {R"({"signal": {"S/N": {"min": "110"}}})", "\"min\" is not a number"},
        {R"({"signal": {"S/N": {}}})", "neither \"min\" nor \"max\""},
        {R"({"signal": {"S/N": {"channels": [1]}}})", "neither"},
        {R"({"signal": {"S/N": {"min": 5, "max": 4}}})", "\"min\" is above \"max\""},
        {R"({"signal": {"S/N": {"min": 1, "channels": [0]}}})", "channel 0 is not 1 to 4"},
        {R"({"signal": {"S/N": {"min": 1, "channels": [5]}}})", "channel 5"},
        {R"({"signal": {"S/N": {"min": 1, "channels": []}}})", "list of channel numbers"},
        {R"({"signal": [1]})", "object of figures"},
    };
    for (const auto& c : cases) {
        Limits l;
        l.entries.push_back({});  // a failed parse leaves what was there
        const core::Status s = analysis::parse_limits(c.text, analysis::known_figure, &l);
        EXPECT_EQ(s.fault, core::Fault::BadInput) << c.text;
        EXPECT_NE(s.text.find(c.reason), std::string::npos) << c.text << " -> " << s.text;
        EXPECT_EQ(l.entries.size(), 1u);
    }
}

TEST(Limits, UnreadableFileNamesItself) {
    Limits l;
    const core::Status s =
        analysis::load_limits("/nonexistent/lim.json", analysis::known_figure, &l);
    EXPECT_EQ(s.fault, core::Fault::BadInput);
    EXPECT_NE(s.text.find("/nonexistent/lim.json"), std::string::npos);
    testing_support::TempDir dir;
    const std::string bad = dir.write("bad.json", "{\"signal\": ");
    const core::Status t = analysis::load_limits(bad, analysis::known_figure, &l);
    EXPECT_NE(t.text.find(bad + ": the limits are not valid JSON"), std::string::npos) << t.text;
}

TEST(Limits, VerdictsAreInclusiveAndFailWithoutAValue) {
    const Limits l = parse_ok(R"({"signal": {"S/N": {"min": 110, "max": 130},
                                              "SFDR": {"min": 115, "channels": [2]},
                                              "S/D": {"max": 100}, "THD": {"max": -100}}})");
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<Readout> shown = {{"S/N", 2, 110.0},
                                        {"S/PN", 2, 90.0},
                                        {"S/D", 2, inf},
                                        {"SFDR", 2, 114.99},
                                        {"THD", 2, std::nullopt}};
    const auto v1 = analysis::evaluate_limits(l, analysis::kSignalFft, 0, shown);
    ASSERT_EQ(v1.size(), 3u);  // SFDR applies to channel 2 only
    EXPECT_EQ(v1[0].figure, "S/N");
    EXPECT_TRUE(v1[0].pass);   // 110 is within [110, 130]
    EXPECT_FALSE(v1[1].pass);  // S/D infinite, above its maximum
    EXPECT_EQ(v1[2].figure, "THD");
    EXPECT_FALSE(v1[2].pass);  // no value to judge
    EXPECT_FALSE(v1[2].value);

    const auto v2 = analysis::evaluate_limits(l, analysis::kSignalFft, 1, shown);
    ASSERT_EQ(v2.size(), 4u);
    EXPECT_EQ(v2[2].figure, "SFDR");
    EXPECT_FALSE(v2[2].pass);
    EXPECT_EQ(*v2[2].min, 115.0);
    // Another test's read-outs are not judged by these limits.
    EXPECT_TRUE(analysis::evaluate_limits(l, analysis::kNoiseFft, 0, shown).empty());
}

// An upper bound says the figure lies below it: it meets a maximum and can never meet a minimum.
TEST(Limits, ABoundMeetsAMaximumButNeverAMinimum) {
    const Limits l = parse_ok(R"({"crosstalk": {"Crosstalk": {"max": -100}},
                                  "psd": {"Noise density": {"min": 1, "max": 500}}})");
    const std::vector<Readout> bounded = {{"Crosstalk", 2, -130.0, "", true}};
    const auto v = analysis::evaluate_limits(l, analysis::kCrosstalk, 0, bounded);
    ASSERT_EQ(v.size(), 1u);
    EXPECT_TRUE(v[0].pass);
    const Limits both = parse_ok(R"({"crosstalk": {"Crosstalk": {"min": -150, "max": -100}}})");
    EXPECT_FALSE(analysis::evaluate_limits(both, analysis::kCrosstalk, 0, bounded)[0].pass);
    const std::vector<Readout> measured = {{"Crosstalk", 2, -130.0}};
    EXPECT_TRUE(analysis::evaluate_limits(both, analysis::kCrosstalk, 0, measured)[0].pass);
}

}  // namespace
