// The records in one SQLite file: a bench's own store, and the spool of a bench that sends its
// records to a server. Several programs may write the same file at once; each waits its turn.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "records/store.h"

namespace records {

namespace detail {
class SqlSession;
}

class SqliteStore : public RecordStore {
  public:
    // Opens the file, creating it and its folders when missing, and brings its schema up to
    // date. Fault::NotAllowed, with the file unchanged, when its schema is newer than this
    // program; Fault::FileError when it cannot be opened or is not a records database.
    static core::Status open(const std::filesystem::path& file, std::unique_ptr<SqliteStore>* out);
    ~SqliteStore() override;

    core::Status put(const RunRecord& r) override;
    core::Status query(const RecordFilter& f, std::vector<RunRecord>* out) override;
    std::string where() const override;

    // Removes the record with this id; success when there is none.
    core::Status remove(const std::string& id);

  private:
    SqliteStore(std::unique_ptr<detail::SqlSession> db, std::string where);

    std::unique_ptr<detail::SqlSession> db_;
    std::string where_;
};

}  // namespace records
