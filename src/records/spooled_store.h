// The server's records with a local spool: a bench keeps testing while the server is away. A
// record the server cannot take now waits in a local SQLite file and goes with the next put or
// flush; it leaves the spool only once the server has committed it, so a crash in between sends
// it again, which the server takes as already stored.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "records/postgres_store.h"
#include "records/sqlite_store.h"

namespace records {

class SpooledStore : public RecordStore {
  public:
    // The server's store for conninfo with its spool in spool_dir: one file per server (as
    // where() names it), so a bench moved to another server never sends it the first one's
    // records. The file is created when missing.
    static core::Status open(const std::string& conninfo, const std::filesystem::path& spool_dir,
                             std::unique_ptr<SpooledStore>* out);

    // Sends the spool, then the record. When the server cannot take it, the record is spooled
    // and the outcome is success, with a message saying so and last_put_spooled() true.
    core::Status put(const RunRecord& r) override;
    // The server's records; Fault::NoReply when it cannot be reached. Spooled records are not
    // among them until sent.
    core::Status query(const RecordFilter& f, std::vector<RunRecord>* out) override;
    std::string where() const override;
    bool last_put_spooled() const override { return spooled_; }

    // Sends every spooled record, the oldest first. Fault::NoReply when the server cannot be
    // reached; a record the server refuses stays spooled and the others still go.
    core::Status flush();
    // The spool file of this server.
    const std::filesystem::path& spool_file() const { return spool_file_; }

  private:
    SpooledStore(std::unique_ptr<PostgresStore> server, std::unique_ptr<SqliteStore> spool,
                 std::filesystem::path spool_file);

    std::unique_ptr<PostgresStore> server_;
    std::unique_ptr<SqliteStore> spool_;
    std::filesystem::path spool_file_;
    bool spooled_ = false;
};

}  // namespace records
