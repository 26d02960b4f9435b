// Limits files: whatever the text, a rejection is BadInput with a reason and leaves the limits
// held before as they were; an acceptance is a success that holds only known tests and
// figures, each once, with a finite bound or two in order and at least one channel, and whose
// verdicts pass a value on a bound and fail one beyond it.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <utility>

#include "analysis/limits.h"
#include "analysis/readouts.h"
#include "fuzz_check.h"
#include "fuzz_input.h"

namespace {

analysis::Limits held() {
    analysis::Limits l;
    analysis::FigureLimit f;
    f.test = 2;
    f.figure = "held before";
    f.min = -1.0;
    f.channels = {false, true, false, false};
    l.entries.push_back(f);
    return l;
}

bool same(const analysis::FigureLimit& a, const analysis::FigureLimit& b) {
    return a.test == b.test && a.figure == b.figure && a.min == b.min && a.max == b.max &&
           a.channels == b.channels;
}

bool pass(const analysis::FigureLimit& l, int channel, double value) {
    const analysis::Readout r{l.figure, 2, value};
    analysis::Limits one;
    one.entries.push_back(l);
    const auto v = analysis::evaluate_limits(one, l.test, channel, std::span(&r, 1));
    FUZZ_CHECK(v.size() == 1);
    return v[0].pass;
}

void check_entry(const analysis::FigureLimit& l) {
    FUZZ_CHECK(analysis::test_key(l.test) != nullptr);
    FUZZ_CHECK(analysis::known_figure(l.test, l.figure));
    FUZZ_CHECK(l.min || l.max);
    if (l.min) FUZZ_CHECK(std::isfinite(*l.min));
    if (l.max) FUZZ_CHECK(std::isfinite(*l.max));
    if (l.min && l.max) FUZZ_CHECK(*l.min <= *l.max);
    int channel = -1;
    for (int c = 3; c >= 0; --c)
        if (l.channels[c]) channel = c;
    FUZZ_CHECK(channel >= 0);
    const double bound = l.min ? *l.min : *l.max;
    FUZZ_CHECK(pass(l, channel, bound));
    if (l.min && *l.min > -1e300) FUZZ_CHECK(!pass(l, channel, std::nextafter(*l.min, -INFINITY)));
    if (l.max && *l.max < 1e300) FUZZ_CHECK(!pass(l, channel, std::nextafter(*l.max, INFINITY)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    analysis::Limits limits = held();
    const core::Status s =
        analysis::parse_limits(fuzz::as_text(data, size), analysis::known_figure, &limits);
    if (!s.ok()) {
        FUZZ_CHECK(s.fault == core::Fault::BadInput);
        FUZZ_CHECK(!s.text.empty());
        FUZZ_CHECK(limits.entries.size() == 1 && same(limits.entries[0], held().entries[0]));
        return 0;
    }
    std::set<std::pair<int, std::string>> seen;
    for (const auto& l : limits.entries) {
        check_entry(l);
        FUZZ_CHECK(seen.emplace(l.test, l.figure).second);
    }
    return 0;
}
