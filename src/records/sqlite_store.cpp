#include "records/sqlite_store.h"

#include <sqlite3.h>

#include <charconv>
#include <system_error>

#include "records/sql_session.h"

namespace records {

namespace {

using core::Fault;
using core::Status;
using detail::Param;
using detail::Row;

// Another program writing the same file holds it for a few milliseconds a record; this waits
// far longer than any such turn takes.
constexpr int kBusyTimeoutMs = 5000;

class SqliteSession : public detail::SqlSession {
  public:
    SqliteSession(sqlite3* db, std::string where)
        : SqlSession({"BEGIN IMMEDIATE", "BEGIN", ""}), db_(db), where_(std::move(where)) {}
    ~SqliteSession() override { sqlite3_close(db_); }

    Status run(const std::string& sql, const std::vector<Param>& params,
               std::vector<Row>* rows) override {
        // SQLite numbers its parameters ?1, ?2...: the shared statements' $1 is the same.
        std::string text = sql;
        for (char& c : text)
            if (c == '$') c = '?';
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db_, text.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
            return failure();
        int rc = SQLITE_OK;
        for (std::size_t i = 0; rc == SQLITE_OK && i < params.size(); ++i)
            rc = bind(stmt, static_cast<int>(i + 1), params[i]);
        if (rc == SQLITE_OK) {
            while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
                if (rows) rows->push_back(row(stmt));
        }
        const Status s = rc == SQLITE_DONE ? Status::success() : failure();
        sqlite3_finalize(stmt);
        return s;
    }

  private:
    static int bind(sqlite3_stmt* stmt, int i, const Param& p) {
        if (const auto* n = std::get_if<std::int64_t>(&p)) return sqlite3_bind_int64(stmt, i, *n);
        if (const auto* x = std::get_if<double>(&p)) return sqlite3_bind_double(stmt, i, *x);
        if (const auto* t = std::get_if<std::string>(&p))
            return sqlite3_bind_text(stmt, i, t->data(), static_cast<int>(t->size()),
                                     SQLITE_TRANSIENT);
        return sqlite3_bind_null(stmt, i);
    }

    static Row row(sqlite3_stmt* stmt) {
        Row r;
        for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
            switch (sqlite3_column_type(stmt, i)) {
                case SQLITE_NULL:
                    r.emplace_back();
                    break;
                case SQLITE_FLOAT: {
                    // The shortest text that reads back to the same double.
                    char buf[32];
                    const auto end =
                        std::to_chars(buf, buf + sizeof buf, sqlite3_column_double(stmt, i)).ptr;
                    r.emplace_back(std::string(buf, end));
                    break;
                }
                default:
                    r.emplace_back(
                        std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)),
                                    static_cast<std::size_t>(sqlite3_column_bytes(stmt, i))));
            }
        }
        return r;
    }

    Status failure() const {
        return detail::records_failure(
            Fault::FileError, "sqlite",
            "The records at " + where_ + " cannot be used: " + sqlite3_errmsg(db_) + ".");
    }

    sqlite3* db_;
    std::string where_;
};

}  // namespace

SqliteStore::SqliteStore(std::unique_ptr<detail::SqlSession> db, std::string where)
    : db_(std::move(db)), where_(std::move(where)) {}

SqliteStore::~SqliteStore() = default;

Status SqliteStore::open(const std::filesystem::path& file, std::unique_ptr<SqliteStore>* out) {
    const std::string where = "sqlite:" + file.string();
    std::error_code ec;
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ec);
    sqlite3* raw = nullptr;
    const int rc =
        sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        const std::string why = raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc);
        sqlite3_close(raw);
        return detail::records_failure(
            Fault::FileError, "open",
            "The records file " + file.string() + " cannot be opened: " + why + ".");
    }
    sqlite3_busy_timeout(raw, kBusyTimeoutMs);
    auto db = std::make_unique<SqliteSession>(raw, where);
    // The write-ahead log lets readers go on while another program writes.
    Status s = db->run("PRAGMA journal_mode = WAL", {}, nullptr);
    if (s) s = db->run("PRAGMA foreign_keys = ON", {}, nullptr);
    if (s) s = detail::migrate(*db, where);
    if (!s) return s;
    out->reset(new SqliteStore(std::move(db), where));
    return s;
}

Status SqliteStore::put(const RunRecord& r) {
    return detail::insert(*db_, r);
}

Status SqliteStore::query(const RecordFilter& f, std::vector<RunRecord>* out) {
    return detail::select(*db_, f, out);
}

std::string SqliteStore::where() const {
    return where_;
}

Status SqliteStore::remove(const std::string& id) {
    return detail::remove(*db_, id);
}

}  // namespace records
