// The one body of SQL behind both stores. SQLite and PostgreSQL take the same tables and the
// same statements with $1, $2... parameters; each store supplies a session that runs one
// statement with bound values and hands back the rows as text, and says how it opens its
// transactions. Migrations, put and query are written once, here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/status.h"
#include "records/run_record.h"

namespace records::detail {

using Param = std::variant<std::monostate, std::int64_t, double, std::string>;  // monostate: NULL
using Row = std::vector<std::optional<std::string>>;                            // nullopt: NULL

// How a database opens its transactions.
struct Dialect {
    const char* begin_write;     // a transaction that will write
    const char* begin_read;      // a transaction that reads one consistent state
    const char* migration_lock;  // run first in the migration's transaction; empty for none
};

class SqlSession {
  public:
    explicit SqlSession(Dialect d) : dialect(d) {}
    virtual ~SqlSession() = default;

    // Runs one statement with $1..$n bound to params and, when rows is given, appends the
    // result rows; numbers come back in a text that reads back to the same value.
    // Fault::NoReply when the connection to the database was lost.
    virtual core::Status run(const std::string& sql, const std::vector<Param>& params,
                             std::vector<Row>* rows = nullptr) = 0;

    const Dialect dialect;
};

// The schema version this program writes.
int known_schema_version();

// Brings the schema to known_schema_version() in one transaction; Fault::NotAllowed, with
// nothing changed, when the database is newer than this program. where names it in messages.
core::Status migrate(SqlSession& db, const std::string& where);

// Stores r in one transaction; a record whose id is stored already is left alone (success).
core::Status insert(SqlSession& db, const RunRecord& r);

// The records f selects, the oldest first, read in one transaction.
core::Status select(SqlSession& db, const RecordFilter& f, std::vector<RunRecord>* out);

// Removes the record with this id, if there is one.
core::Status remove(SqlSession& db, const std::string& id);

// The failure of a records operation, with the message the person is shown.
core::Status records_failure(core::Fault fault, const std::string& step, const std::string& text);

}  // namespace records::detail
