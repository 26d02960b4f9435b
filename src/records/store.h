// Where the production records go. Every judged run stores one RunRecord; a bench keeps them in
// a local SQLite file, or sends them to the site's PostgreSQL server with a local spool for the
// times the server cannot be reached. The callers see only this interface.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/status.h"
#include "records/run_record.h"

namespace records {

class RecordStore {
  public:
    virtual ~RecordStore() = default;

    // Stores the record whole or not at all; a record whose id is stored already is left as it
    // is, and that is success.
    virtual core::Status put(const RunRecord& r) = 0;

    // The records the filter selects, the oldest first, with their figures and verdicts.
    virtual core::Status query(const RecordFilter& f, std::vector<RunRecord>* out) = 0;

    // The store for messages ("sqlite:/path", "postgresql://host/db"), never with a password.
    virtual std::string where() const = 0;

    // Whether the last successful put kept the record locally to be sent later.
    virtual bool last_put_spooled() const { return false; }
};

// The store a records URL names: empty for data_dir/records.sqlite; "sqlite:PATH" or a path
// ending in .sqlite for that file; "postgresql://..." or "postgres://..." for that server with
// its spool in data_dir (a file per server). Fault::BadInput for any other URL.
core::Status open_store(const std::string& url, const std::filesystem::path& data_dir,
                        std::unique_ptr<RecordStore>* out);

}  // namespace records
