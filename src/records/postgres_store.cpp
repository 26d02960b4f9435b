#include "records/postgres_store.h"

#include <libpq-fe.h>

#include <charconv>
#include <functional>

#include "records/sql_session.h"

namespace records {

namespace detail {

namespace {

using core::Fault;
using core::Status;

// Parameter types as the server knows them (pg_type).
constexpr Oid kInt8 = 20;
constexpr Oid kText = 25;
constexpr Oid kFloat8 = 701;

// How long to wait for an unreachable host before keeping the record locally; the string may
// set its own connect_timeout.
constexpr const char* kConnectTimeoutS = "5";

std::string first_line(const char* message) {
    std::string s = message ? message : "";
    s = s.substr(0, s.find('\n'));
    return s.empty() ? "no reason given" : s;
}

}  // namespace

class PgSession : public SqlSession {
  public:
    PgSession(std::string conninfo, std::string where)
        : SqlSession({"BEGIN", "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY",
                      // Two benches starting on a new database: one creates the tables.
                      "SELECT pg_advisory_xact_lock(5316853)"}),
          conninfo_(std::move(conninfo)),
          where_(std::move(where)) {}
    ~PgSession() override { PQfinish(conn_); }

    // Connects, or connects again after the connection was lost.
    Status connect() {
        if (!conn_) {
            const char* keys[] = {"connect_timeout", "dbname", nullptr};
            const char* values[] = {kConnectTimeoutS, conninfo_.c_str(), nullptr};
            conn_ = PQconnectdbParams(keys, values, 1);
            // The server's notices ("already exists, skipping") are not for the person.
            if (conn_)
                PQsetNoticeProcessor(
                    conn_, [](void*, const char*) {}, nullptr);
        } else if (PQstatus(conn_) != CONNECTION_OK) {
            PQreset(conn_);
        }
        if (conn_ && PQstatus(conn_) == CONNECTION_OK) return Status::success();
        return records_failure(Fault::NoReply, "connect",
                               "The records server " + where_ + " cannot be reached: " +
                                   first_line(conn_ ? PQerrorMessage(conn_) : nullptr) + ".");
    }

    Status run(const std::string& sql, const std::vector<Param>& params,
               std::vector<Row>* rows) override {
        std::vector<std::string> texts(params.size());
        std::vector<const char*> values(params.size());
        std::vector<Oid> types(params.size(), 0);
        for (std::size_t i = 0; i < params.size(); ++i) {
            const Param& p = params[i];
            if (const auto* n = std::get_if<std::int64_t>(&p)) {
                texts[i] = std::to_string(*n), types[i] = kInt8;
            } else if (const auto* x = std::get_if<double>(&p)) {
                char buf[32];
                texts[i].assign(buf, std::to_chars(buf, buf + sizeof buf, *x).ptr);
                types[i] = kFloat8;
            } else if (const auto* t = std::get_if<std::string>(&p)) {
                texts[i] = *t, types[i] = kText;
            }
            values[i] = std::holds_alternative<std::monostate>(p) ? nullptr : texts[i].c_str();
        }
        PGresult* res = PQexecParams(conn_, sql.c_str(), static_cast<int>(params.size()),
                                     types.data(), values.data(), nullptr, nullptr, 0);
        const ExecStatusType st = PQresultStatus(res);
        Status s = Status::success();
        if (st == PGRES_TUPLES_OK && rows) {
            for (int r = 0; r < PQntuples(res); ++r) {
                Row row;
                for (int c = 0; c < PQnfields(res); ++c)
                    row.push_back(PQgetisnull(res, r, c)
                                      ? std::nullopt
                                      : std::optional<std::string>(PQgetvalue(res, r, c)));
                rows->push_back(std::move(row));
            }
        } else if (st != PGRES_TUPLES_OK && st != PGRES_COMMAND_OK) {
            const bool lost = PQstatus(conn_) != CONNECTION_OK;
            s = records_failure(
                lost ? Fault::NoReply : Fault::FileError, "postgresql",
                "The records server " + where_ + (lost ? " was lost: " : " refused the request: ") +
                    first_line(res ? PQresultErrorMessage(res) : PQerrorMessage(conn_)) + ".");
        }
        PQclear(res);
        return s;
    }

  private:
    std::string conninfo_;
    std::string where_;
    PGconn* conn_ = nullptr;
};

}  // namespace detail

namespace {

using core::Fault;
using core::Status;

// The server as messages name it: user, host, port and database, never the password.
std::string shown_name(PQconninfoOption* options) {
    std::string user, host, port, db;
    for (PQconninfoOption* o = options; o->keyword; ++o) {
        const std::string key = o->keyword, value = o->val ? o->val : "";
        if (key == "user") user = value;
        if (key == "host" || (key == "hostaddr" && host.empty())) host = value;
        if (key == "port") port = value;
        if (key == "dbname") db = value;
    }
    return "postgresql://" + (user.empty() ? "" : user + "@") + host +
           (port.empty() ? "" : ":" + port) + "/" + db;
}

}  // namespace

PostgresStore::PostgresStore(std::string conninfo, std::string where)
    : db_(std::make_unique<detail::PgSession>(std::move(conninfo), where)),
      where_(std::move(where)) {}

PostgresStore::~PostgresStore() = default;

Status PostgresStore::open(const std::string& conninfo, std::unique_ptr<PostgresStore>* out) {
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(conninfo.c_str(), &error);
    // libpq's reason may quote the string, password and all; it is not passed on.
    PQfreemem(error);
    if (!options)
        return detail::records_failure(
            Fault::BadInput, "open",
            "The records server address is not a PostgreSQL connection string such as "
            "postgresql://user@host:5432/database.");
    const std::string where = shown_name(options);
    PQconninfoFree(options);
    out->reset(new PostgresStore(conninfo, where));
    return Status::success();
}

Status PostgresStore::connected() {
    Status s = db_->connect();
    if (s && !migrated_) {
        s = detail::migrate(*db_, where_);
        migrated_ = s.ok();
    }
    return s;
}

namespace {

// Runs op on a live connection; a connection found dead during op (the server restarted since
// the last call) is made again once. A repeated put is harmless: the id is stored once.
Status with_connection(const std::function<Status()>& connect, const std::function<Status()>& op) {
    Status s;
    for (int attempt = 0; attempt < 2; ++attempt) {
        s = connect();
        if (!s) break;  // a server that cannot be reached is not tried twice
        s = op();
        if (s.fault != Fault::NoReply) break;
    }
    return s;
}

}  // namespace

Status PostgresStore::put(const RunRecord& r) {
    return with_connection([&] { return connected(); }, [&] { return detail::insert(*db_, r); });
}

Status PostgresStore::query(const RecordFilter& f, std::vector<RunRecord>* out) {
    return with_connection([&] { return connected(); },
                           [&] { return detail::select(*db_, f, out); });
}

std::string PostgresStore::where() const {
    return where_;
}

}  // namespace records
