#include "records/csv_export.h"

#include <charconv>
#include <ostream>

#include "core/atomic_file.h"

namespace records {

namespace {

// A field quoted when it holds a comma, a quote or a line break, its quotes doubled.
std::string field(const std::string& s) {
    if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
    std::string q = "\"";
    for (char c : s) {
        if (c == '"') q += '"';
        q += c;
    }
    return q + '"';
}

std::string number(const std::optional<double>& v) {
    if (!v) return {};
    char buf[32];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, *v).ptr);
}

std::string figure_verdict(const RunRecord& r, const FigureRow& f) {
    for (const VerdictRow& v : r.verdicts)
        if (v.channel == f.channel && v.figure == f.key) return v.pass ? "pass" : "fail";
    return {};
}

}  // namespace

core::Status export_csv(const std::vector<RunRecord>& records, const std::string& path) {
    return core::write_file_atomically(path, [&](std::ostream& out) {
        out << "utc,id,serial,board_code,firmware,kind,test,channel,figure,unit,value,"
               "upper_bound,figure_verdict,verdict\r\n";
        for (const RunRecord& r : records)
            for (const FigureRow& f : r.figures)
                out << field(r.utc) << ',' << field(r.id) << ',' << field(r.board_serial) << ','
                    << r.board_code << ',' << field(r.firmware) << ',' << field(r.kind) << ','
                    << field(r.test) << ',' << f.channel << ',' << field(f.key) << ','
                    << field(f.unit) << ',' << number(f.value) << ','
                    << (f.upper_bound ? "yes" : "") << ',' << figure_verdict(r, f) << ','
                    << field(r.verdict) << "\r\n";
        return static_cast<bool>(out);
    });
}

}  // namespace records
