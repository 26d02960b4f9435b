#include "records/sql_session.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <map>

namespace records::detail {

namespace {

using core::Fault;
using core::Status;

// Entry i brings the schema from version i to version i + 1. Released entries are never edited;
// a change of schema is a new entry at the end.
const std::vector<std::vector<std::string>> kMigrations = {
    {
        "CREATE TABLE runs (id TEXT PRIMARY KEY, utc TEXT NOT NULL, host TEXT NOT NULL, "
        "operator_name TEXT NOT NULL, program_version TEXT NOT NULL, board_serial TEXT NOT NULL, "
        "board_code INTEGER NOT NULL, firmware TEXT NOT NULL, kind TEXT NOT NULL, "
        "test TEXT NOT NULL, settings_json TEXT NOT NULL, limits_name TEXT NOT NULL, "
        "limits_hash TEXT NOT NULL, data_ref TEXT NOT NULL, verdict TEXT NOT NULL)",
        "CREATE TABLE figures (run_id TEXT NOT NULL REFERENCES runs (id), seq INTEGER NOT NULL, "
        "channel INTEGER NOT NULL, figure_key TEXT NOT NULL, unit TEXT NOT NULL, "
        "value DOUBLE PRECISION, upper_bound INTEGER NOT NULL, PRIMARY KEY (run_id, seq))",
        "CREATE TABLE verdicts (run_id TEXT NOT NULL REFERENCES runs (id), seq INTEGER NOT NULL, "
        "channel INTEGER NOT NULL, figure_key TEXT NOT NULL, value DOUBLE PRECISION, "
        "min_value DOUBLE PRECISION, max_value DOUBLE PRECISION, pass INTEGER NOT NULL, "
        "PRIMARY KEY (run_id, seq))",
        "CREATE INDEX runs_serial ON runs (board_serial)",
        "CREATE INDEX runs_utc ON runs (utc)",
        "CREATE INDEX figures_key ON figures (figure_key)",
    },
};

const std::string kRunColumns =
    "id, utc, host, operator_name, program_version, board_serial, board_code, firmware, kind, "
    "test, settings_json, limits_name, limits_hash, data_ref, verdict";

// The runs a filter selects, with $1 serial, $2 since, $3 figure, $4 failed only, $5 limit.
const std::string kSelected =
    " WHERE ($1 = '' OR board_serial = $1) AND ($2 = '' OR utc >= $2) AND ($3 = '' OR EXISTS "
    "(SELECT 1 FROM figures f WHERE f.run_id = runs.id AND f.figure_key = $3)) AND "
    "($4 = '' OR verdict = $4) ORDER BY utc, id LIMIT $5";

// Runs body in a transaction opened by begin: committed when body succeeds, else rolled back.
Status in_transaction(SqlSession& db, const char* begin, const std::function<Status()>& body) {
    Status s = db.run(begin, {});
    if (!s) return s;
    s = body();
    if (s) s = db.run("COMMIT", {});
    if (!s) db.run("ROLLBACK", {});
    return s;
}

// A figure's value as a parameter; NaN is kept as no value, as SQLite would keep it.
Param number(std::optional<double> v) {
    return v && !std::isnan(*v) ? Param{*v} : Param{};
}

Param flag(bool b) {
    return std::int64_t{b ? 1 : 0};
}

// Reads a result row's cells in order; a cell that is missing or not a number marks it bad.
class Cells {
  public:
    explicit Cells(const Row& row) : row_(row) {}
    bool bad() const { return bad_; }

    std::string text() {
        const auto* c = next();
        return c && *c ? **c : std::string{};
    }
    std::int64_t integer() {
        const auto* c = next();
        std::int64_t v = 0;
        if (!c || !*c || !parse(**c, v)) bad_ = true;
        return v;
    }
    int small() { return static_cast<int>(integer()); }
    std::optional<double> number() {
        const auto* c = next();
        if (!c) bad_ = true;
        if (!c || !*c) return std::nullopt;
        double v = 0;
        if (!parse(**c, v)) bad_ = true;
        return v;
    }

  private:
    const std::optional<std::string>* next() { return i_ < row_.size() ? &row_[i_++] : nullptr; }
    template <typename T>
    static bool parse(const std::string& s, T& v) {
        const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
        return ec == std::errc{} && end == s.data() + s.size();
    }

    const Row& row_;
    std::size_t i_ = 0;
    bool bad_ = false;
};

Status unreadable() {
    return records_failure(Fault::FileError, "query",
                           "The records hold a value this program cannot read.");
}

// An ISO date, optionally with a time, as the stored UTC texts start: "2026-12-08",
// "2026-12-08T10:00", "2026-12-08T10:00:00.5Z".
bool valid_since(const std::string& s) {
    auto digit = [&](std::size_t i) { return s[i] >= '0' && s[i] <= '9'; };
    if (s.size() < 10) return false;
    for (std::size_t i = 0; i < 10; ++i)
        if ((i == 4 || i == 7) ? s[i] != '-' : !digit(i)) return false;
    if (s.size() == 10) return true;
    if (s[10] != 'T' || s.size() == 11) return false;
    for (std::size_t i = 11; i < s.size(); ++i)
        if (!digit(i) && s[i] != ':' && s[i] != '.' && !(s[i] == 'Z' && i + 1 == s.size()))
            return false;
    return true;
}

}  // namespace

int known_schema_version() {
    return static_cast<int>(kMigrations.size());
}

Status records_failure(Fault fault, const std::string& step, const std::string& text) {
    return Status::failed(fault, step, "Production Records", text);
}

Status migrate(SqlSession& db, const std::string& where) {
    return in_transaction(db, db.dialect.begin_write, [&]() -> Status {
        Status s;
        if (*db.dialect.migration_lock) s = db.run(db.dialect.migration_lock, {});
        if (s)
            s = db.run("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)", {});
        std::vector<Row> rows;
        if (s) s = db.run("SELECT MAX(version) FROM schema_version", {}, &rows);
        if (!s) return s;
        if (rows.size() != 1) return unreadable();
        Cells cells(rows[0]);
        const std::optional<double> stored = cells.number();
        if (cells.bad()) return unreadable();
        const int version = stored ? static_cast<int>(*stored) : 0;
        if (version > known_schema_version())
            return records_failure(Fault::NotAllowed, "migrate",
                                   "The records at " + where + " have schema version " +
                                       std::to_string(version) + "; this program knows up to " +
                                       std::to_string(known_schema_version()) +
                                       ". Use a newer program.");
        for (int v = version; s && v < known_schema_version(); ++v) {
            for (const std::string& sql : kMigrations[v])
                if (s) s = db.run(sql, {});
            if (s)
                s = db.run("INSERT INTO schema_version (version) VALUES ($1)",
                           {std::int64_t{v + 1}});
        }
        return s;
    });
}

Status insert(SqlSession& db, const RunRecord& r) {
    return in_transaction(db, db.dialect.begin_write, [&]() -> Status {
        std::vector<Row> inserted;
        Status s = db.run("INSERT INTO runs (" + kRunColumns +
                              ") VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12, $13, "
                              "$14, $15) ON CONFLICT (id) DO NOTHING RETURNING id",
                          {r.id, r.utc, r.host, r.operator_name, r.program_version, r.board_serial,
                           std::int64_t{r.board_code}, r.firmware, r.kind, r.test, r.settings_json,
                           r.limits_name, r.limits_hash, r.data_ref, r.verdict},
                          &inserted);
        if (!s || inserted.empty()) return s;  // empty: this record is stored already
        for (std::size_t i = 0; s && i < r.figures.size(); ++i) {
            const FigureRow& f = r.figures[i];
            s = db.run(
                "INSERT INTO figures (run_id, seq, channel, figure_key, unit, value, upper_bound) "
                "VALUES ($1, $2, $3, $4, $5, $6, $7)",
                {r.id, static_cast<std::int64_t>(i), std::int64_t{f.channel}, f.key, f.unit,
                 number(f.value), flag(f.upper_bound)});
        }
        for (std::size_t i = 0; s && i < r.verdicts.size(); ++i) {
            const VerdictRow& v = r.verdicts[i];
            s = db.run(
                "INSERT INTO verdicts (run_id, seq, channel, figure_key, value, min_value, "
                "max_value, pass) VALUES ($1, $2, $3, $4, $5, $6, $7, $8)",
                {r.id, static_cast<std::int64_t>(i), std::int64_t{v.channel}, v.figure,
                 number(v.value), number(v.min), number(v.max), flag(v.pass)});
        }
        return s;
    });
}

Status select(SqlSession& db, const RecordFilter& f, std::vector<RunRecord>* out) {
    std::string since = f.since;
    if (!since.empty() && !valid_since(since))
        return records_failure(Fault::BadInput, "query",
                               "The date \"" + since +
                                   "\" is not an ISO date such as 2026-12-08 "
                                   "or 2026-12-08T10:00:00Z.");
    // Stored times end in "...ss.fffZ": without its Z a bound compares below every record of its
    // second, which keeps the bound inclusive.
    if (!since.empty() && since.back() == 'Z') since.pop_back();
    const std::vector<Param> params = {f.serial, since, f.figure, f.verdict,
                                       f.limit > 0 ? std::int64_t{f.limit} : INT64_MAX};
    std::vector<Row> runs, figures, verdicts;
    const Status s = in_transaction(db, db.dialect.begin_read, [&]() -> Status {
        Status q = db.run("SELECT " + kRunColumns + " FROM runs" + kSelected, params, &runs);
        if (q)
            q = db.run(
                "SELECT run_id, channel, figure_key, unit, value, upper_bound FROM figures "
                "WHERE run_id IN (SELECT id FROM runs" +
                    kSelected + ") ORDER BY run_id, seq",
                params, &figures);
        if (q)
            q = db.run(
                "SELECT run_id, channel, figure_key, value, min_value, max_value, pass "
                "FROM verdicts WHERE run_id IN (SELECT id FROM runs" +
                    kSelected + ") ORDER BY run_id, seq",
                params, &verdicts);
        return q;
    });
    if (!s) return s;

    std::vector<RunRecord> found;
    std::map<std::string, std::size_t> index;
    for (const Row& row : runs) {
        Cells c(row);
        RunRecord r;
        r.id = c.text();
        r.utc = c.text();
        r.host = c.text();
        r.operator_name = c.text();
        r.program_version = c.text();
        r.board_serial = c.text();
        r.board_code = c.small();
        r.firmware = c.text();
        r.kind = c.text();
        r.test = c.text();
        r.settings_json = c.text();
        r.limits_name = c.text();
        r.limits_hash = c.text();
        r.data_ref = c.text();
        r.verdict = c.text();
        if (c.bad()) return unreadable();
        index[r.id] = found.size();
        found.push_back(std::move(r));
    }
    for (const Row& row : figures) {
        Cells c(row);
        const auto it = index.find(c.text());
        FigureRow x;
        x.channel = c.small();
        x.key = c.text();
        x.unit = c.text();
        x.value = c.number();
        x.upper_bound = c.integer() != 0;
        if (c.bad()) return unreadable();
        if (it != index.end()) found[it->second].figures.push_back(std::move(x));
    }
    for (const Row& row : verdicts) {
        Cells c(row);
        const auto it = index.find(c.text());
        VerdictRow x;
        x.channel = c.small();
        x.figure = c.text();
        x.value = c.number();
        x.min = c.number();
        x.max = c.number();
        x.pass = c.integer() != 0;
        if (c.bad()) return unreadable();
        if (it != index.end()) found[it->second].verdicts.push_back(std::move(x));
    }
    *out = std::move(found);
    return s;
}

Status remove(SqlSession& db, const std::string& id) {
    return in_transaction(db, db.dialect.begin_write, [&]() -> Status {
        Status s;
        for (const char* sql :
             {"DELETE FROM verdicts WHERE run_id = $1", "DELETE FROM figures WHERE run_id = $1",
              "DELETE FROM runs WHERE id = $1"})
            if (s) s = db.run(sql, {id});
        return s;
    });
}

}  // namespace records::detail
