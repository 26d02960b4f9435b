#include "records/spooled_store.h"
#include "records/sql_session.h"
#include "records/store.h"

namespace records {

core::Status open_store(const std::string& url, const std::filesystem::path& data_dir,
                        std::unique_ptr<RecordStore>* out) {
    auto open_sqlite = [&](const std::filesystem::path& file) {
        std::unique_ptr<SqliteStore> store;
        core::Status s = SqliteStore::open(file, &store);
        if (s) *out = std::move(store);
        return s;
    };
    const bool server = url.starts_with("postgresql://") || url.starts_with("postgres://");
    if ((url.empty() || server) && data_dir.empty())
        return detail::records_failure(core::Fault::BadInput, "open_store",
                                       "There is no data folder for the production records.");
    if (url.empty()) return open_sqlite(data_dir / "records.sqlite");
    if (server) {
        std::unique_ptr<SpooledStore> store;
        core::Status s = SpooledStore::open(url, data_dir, &store);
        if (s) *out = std::move(store);
        return s;
    }
    if (url.starts_with("sqlite:") && url.size() > 7) return open_sqlite(url.substr(7));
    if (url.ends_with(".sqlite")) return open_sqlite(url);
    // The text is not repeated: a mistyped server URL may hold a password.
    return detail::records_failure(core::Fault::BadInput, "open_store",
                                   "The records location is not postgresql://host/database, "
                                   "sqlite:PATH or a file ending in .sqlite.");
}

}  // namespace records
