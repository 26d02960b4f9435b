#include "analysis/data_file.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <istream>
#include <limits>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/state.h"
#include "core/system_types.h"

namespace analysis {

namespace {

// --- writing ---------------------------------------------------------------------------

// Shortest decimal text that reads back to the same value.
void put_real(std::string& s, double v) {
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
    s.append(buf, r.ptr);
}

void put_int(std::string& s, long long v) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    s.append(buf, r.ptr);
}

// Negative words are written as their 32-bit pattern, so every value reads back.
void put_hex(std::string& s, std::int32_t v) {
    char buf[16];
    const auto r = std::to_chars(buf, buf + sizeof buf, static_cast<std::uint32_t>(v), 16);
    s.append(buf, r.ptr);
}

// --- reading ---------------------------------------------------------------------------

bool blank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view t) {
    while (!t.empty() && blank(t.front())) t.remove_prefix(1);
    while (!t.empty() && blank(t.back())) t.remove_suffix(1);
    return t;
}

// A scanner over one line; each read skips leading blanks and consumes what it read.
struct Cursor {
    const char* p;
    const char* end;

    void skip_blanks() {
        while (p < end && blank(*p)) ++p;
    }
    bool at_end() {
        skip_blanks();
        return p == end;
    }
    bool literal(char c) {
        skip_blanks();
        if (p == end || *p != c) return false;
        ++p;
        return true;
    }
    const char* sign_skipped() {
        return (p < end && *p == '+' && p + 1 < end && *(p + 1) != '-') ? p + 1 : p;
    }
    bool integer(long long lo, long long hi, long long* v) {
        skip_blanks();
        const auto r = std::from_chars(sign_skipped(), end, *v);
        if (r.ec != std::errc() || *v < lo || *v > hi) return false;
        p = r.ptr;
        return true;
    }
    // Hexadecimal, with or without 0x, either letter case; the 32-bit pattern.
    bool hex(std::int32_t* v) {
        skip_blanks();
        const char* q = p;
        if (end - q > 2 && q[0] == '0' && (q[1] == 'x' || q[1] == 'X')) q += 2;
        unsigned long long u = 0;
        const auto r = std::from_chars(q, end, u, 16);
        if (r.ec != std::errc() || u > 0xFFFFFFFFull) return false;
        *v = static_cast<std::int32_t>(static_cast<std::uint32_t>(u));
        p = r.ptr;
        return true;
    }
    bool real(double* v) {
        skip_blanks();
        const auto r = std::from_chars(sign_skipped(), end, *v, std::chars_format::general);
        if (r.ec != std::errc()) return false;
        p = r.ptr;
        return true;
    }
    // A decimal sample; a real one is truncated toward zero.
    bool sample(std::int32_t* v) {
        skip_blanks();
        const char* start = sign_skipped();
        long long i = 0;
        auto r = std::from_chars(start, end, i);
        if (r.ec == std::errc() &&
            (r.ptr == end || (*r.ptr != '.' && *r.ptr != 'e' && *r.ptr != 'E'))) {
            if (i < std::numeric_limits<std::int32_t>::min() ||
                i > std::numeric_limits<std::int32_t>::max())
                return false;
            *v = static_cast<std::int32_t>(i);
            p = r.ptr;
            return true;
        }
        double d = 0.0;
        const auto rd = std::from_chars(start, end, d, std::chars_format::general);
        if (rd.ec != std::errc() || !std::isfinite(d)) return false;
        d = std::trunc(d);
        if (d < std::numeric_limits<std::int32_t>::min() ||
            d > std::numeric_limits<std::int32_t>::max())
            return false;
        *v = static_cast<std::int32_t>(d);
        p = rd.ptr;
        return true;
    }
};

bool next_line(std::istream& in, std::string* line) {
    if (!std::getline(in, *line)) return false;
    if (!line->empty() && line->back() == '\r') line->pop_back();
    return true;
}

bool fail(ReadError* error, int line, std::string what) {
    error->line = line;
    error->what = std::move(what);
    return false;
}

enum class Kind { Int, Real, Hex };
struct Field {
    const char* name;
    Kind kind;
};
constexpr Field kFields[10] = {
    {"sample count", Kind::Int},    {"field 2", Kind::Int},
    {"sample rate", Kind::Real},    {"window", Kind::Int},
    {"full-scale code", Kind::Hex}, {"full-scale volts", Kind::Real},
    {"bandwidth limit", Kind::Int}, {"field 8", Kind::Int},
    {"channel count", Kind::Int},   {"reference power", Kind::Real},
};

}  // namespace

void write_data_file(std::ostream& out, const DataHeader& h, const AnalysisState& st) {
    std::string s;
    put_int(s, h.num_samples);
    s += ",0,";
    put_real(s, h.fs);
    s += ',';
    put_int(s, h.window_index);
    s += ',';
    put_hex(s, h.fs_code);
    s += ',';
    put_real(s, h.fs_volt);
    s += ',';
    put_int(s, h.limit_bw);
    s += ",0,";
    put_int(s, h.channels);
    s += ',';
    put_real(s, h.ref_power);
    s += "\n \n";
    const int rows = static_cast<int>(h.rows());  // checked against the arrays before
    for (int i = 0; i < rows; ++i) {
        for (int c = 0; c < kChannels; ++c) {
            put_hex(s, st.tag(c)[i]);
            s += ", ";
            put_int(s, st.data(c)[i]);
            s += c + 1 < kChannels ? ", " : "\n";
        }
        if (s.size() > (1 << 16)) {
            out.write(s.data(), static_cast<std::streamsize>(s.size()));
            s.clear();
        }
    }
    out.write(s.data(), static_cast<std::streamsize>(s.size()));
}

bool read_data_header(std::istream& in, DataHeader* h, ReadError* error) {
    std::string line;
    if (!next_line(in, &line)) return fail(error, 1, "the file is empty");
    std::vector<std::string_view> parts;
    std::string_view rest = line;
    for (;;) {
        const auto comma = rest.find(',');
        parts.push_back(trim(rest.substr(0, comma)));
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    if (parts.size() != 10)
        return fail(error, 1,
                    "expected ten comma-separated settings, found " + std::to_string(parts.size()));
    long long ints[10] = {};
    double reals[10] = {};
    for (int f = 0; f < 10; ++f) {
        Cursor c{parts[f].data(), parts[f].data() + parts[f].size()};
        std::int32_t hex = 0;
        bool ok = false;
        switch (kFields[f].kind) {
            case Kind::Int:
                ok = c.integer(std::numeric_limits<std::int32_t>::min(),
                               std::numeric_limits<std::int32_t>::max(), &ints[f]);
                break;
            case Kind::Real:
                ok = c.real(&reals[f]);
                break;
            case Kind::Hex:
                ok = c.hex(&hex);
                ints[f] = hex;
                break;
        }
        if (!ok || !c.at_end())
            return fail(error, 1,
                        std::string("the ") + kFields[f].name + " \"" + std::string(parts[f]) +
                            "\" is not a number of its kind");
    }
    h->num_samples = static_cast<int>(ints[0]);
    h->fs = reals[2];
    h->window_index = static_cast<int>(ints[3]);
    h->fs_code = static_cast<int>(ints[4]);
    h->fs_volt = reals[5];
    h->limit_bw = static_cast<int>(ints[6]);
    h->channels = static_cast<int>(ints[8]);
    h->ref_power = reals[9];
    if (h->channels < 1 || h->channels > kChannels)
        return fail(error, 1,
                    "the channel count " + std::to_string(h->channels) + " is not 1 to 4");
    if (h->num_samples < 0)
        return fail(error, 1,
                    "the sample count " + std::to_string(h->num_samples) + " is negative");
    if (h->rows() > core::kBufferEntries)
        return fail(error, 1,
                    std::to_string(h->num_samples) + " samples on " + std::to_string(h->channels) +
                        " channel(s) need " + std::to_string(h->rows()) +
                        " rows; the channel arrays hold " + std::to_string(core::kBufferEntries));
    return true;
}

bool read_data_rows(std::istream& in, const DataHeader& h, std::int32_t* rows, ReadError* error) {
    const int total = static_cast<int>(h.rows());  // checked against the arrays before
    std::string line;
    int line_no = 1, row = 0;
    while (row < total && next_line(in, &line)) {
        ++line_no;
        Cursor c{line.data(), line.data() + line.size()};
        if (c.at_end()) continue;  // the one-space line, or any blank line
        std::int32_t* out = rows + 8 * static_cast<std::ptrdiff_t>(row);
        bool ok = true;
        for (int k = 0; k < 4 && ok; ++k) {
            ok = (k == 0 || c.literal(',')) && c.hex(&out[2 * k]) && c.literal(',') &&
                 c.sample(&out[2 * k + 1]);
        }
        if (!ok || !c.at_end())
            return fail(error, line_no,
                        "data row " + std::to_string(row) +
                            " does not read as four pairs of a hexadecimal tag and a sample");
        ++row;
    }
    if (row < total)
        return fail(error, line_no + 1,
                    "the file ends after " + std::to_string(row) + " of " + std::to_string(total) +
                        " data rows");
    return true;
}

}  // namespace analysis
