// Where the program keeps its judged runs: the store a records URL names (the local SQLite file
// when none is given), opened when first needed, or nowhere when records are off. A run is
// never failed for its record: a store that cannot take it says why in the outcome.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/status.h"
#include "records/store.h"

namespace records {

// $XDG_DATA_HOME/seisbench, else ~/.local/share/seisbench; empty when neither is set.
std::filesystem::path records_dir();

// The records URL the desktop program was told to use (its file "records-url" in the data
// folder); empty when none was saved.
std::string saved_url(const std::filesystem::path& data_dir);
core::Status save_url(const std::filesystem::path& data_dir, const std::string& url);

// Whether a URL names a store open_store can open (not whether it can be reached).
bool is_records_url(const std::string& url);

struct Kept {
    core::Status status;
    bool spooled = false;  // kept locally, to be sent to the server with a later run
    std::string where;     // the store, never with a password
};

class RecordKeeper {
  public:
    // The URL (empty: data_dir/records.sqlite) and whether records are off; closes any store
    // opened before.
    void set(std::string url, bool off, std::filesystem::path data_dir);
    bool off() const { return off_; }
    const std::filesystem::path& dir() const { return dir_; }
    const std::string& url() const { return url_; }

    Kept keep(const RunRecord& r);
    core::Status query(const RecordFilter& f, std::vector<RunRecord>* out);

  private:
    core::Status open();

    std::string url_;
    bool off_ = false;
    std::filesystem::path dir_;
    std::unique_ptr<RecordStore> store_;
};

}  // namespace records
