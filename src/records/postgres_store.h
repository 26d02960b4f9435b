// The records on the site's PostgreSQL server, shared by every bench. The connection string is
// a libpq URL or key=value text; the password comes only from libpq's own places (the service
// file, ~/.pgpass, PG* variables or the string itself) and never shows in a message.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "records/store.h"

namespace records {

namespace detail {
class PgSession;
}

class PostgresStore : public RecordStore {
  public:
    // Checks the connection string; the server is reached on first use, so a bench starts
    // while it is down. Fault::BadInput for a string libpq cannot read.
    static core::Status open(const std::string& conninfo, std::unique_ptr<PostgresStore>* out);
    ~PostgresStore() override;

    // Each call connects again when the connection was lost, and tries once more when it is
    // lost during the call. Fault::NoReply when the server cannot be reached.
    core::Status put(const RunRecord& r) override;
    core::Status query(const RecordFilter& f, std::vector<RunRecord>* out) override;
    std::string where() const override;

  private:
    PostgresStore(std::string conninfo, std::string where);
    core::Status connected();

    std::unique_ptr<detail::PgSession> db_;
    std::string where_;
    bool migrated_ = false;
};

}  // namespace records
