// Bus traces as `trace show` decodes them: any input ends, either decoded or refused at a line
// that exists; a decoded trace gives at most one exchange per line, in the order written.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "cli/trace_decode.h"
#include "fuzz_check.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(fuzz::as_text(data, size));
    std::istringstream in(text);
    std::vector<cli::DecodedExchange> exchanges;
    int bad = 0;
    const long lines = std::count(text.begin(), text.end(), '\n') + 1;
    if (!cli::decode_trace(in, &exchanges, &bad)) {
        FUZZ_CHECK(bad >= 1 && bad <= lines);
        return 0;
    }
    FUZZ_CHECK(static_cast<long>(exchanges.size()) <= lines);
    for (const auto& e : exchanges) FUZZ_CHECK(!e.text.empty());
    return 0;
}
