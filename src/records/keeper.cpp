#include "records/keeper.h"

#include <cstdlib>

#include "core/atomic_file.h"
#include "core/input_file.h"
#include "core/user_files.h"

namespace records {

std::filesystem::path records_dir() {
    return core::user_data_dir(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
}

std::string saved_url(const std::filesystem::path& data_dir) {
    core::InputFile file(data_dir / "records-url", 4096);
    std::string text;
    if (!file.ok() || !file.read_all(&text)) return {};
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

core::Status save_url(const std::filesystem::path& data_dir, const std::string& url) {
    std::error_code ec;
    std::filesystem::create_directories(data_dir, ec);
    return core::write_file_atomically(data_dir / "records-url", url + "\n");
}

bool is_records_url(const std::string& url) {
    return url.empty() || url.starts_with("postgresql://") || url.starts_with("postgres://") ||
           (url.starts_with("sqlite:") && url.size() > 7) || url.ends_with(".sqlite");
}

void RecordKeeper::set(std::string url, bool off, std::filesystem::path data_dir) {
    url_ = std::move(url);
    off_ = off;
    dir_ = std::move(data_dir);
    store_.reset();
}

core::Status RecordKeeper::open() {
    if (store_) return core::Status::success();
    return open_store(url_, dir_, &store_);
}

Kept RecordKeeper::keep(const RunRecord& r) {
    Kept k;
    if (off_) return k;
    k.status = open();
    if (!k.status) return k;
    k.status = store_->put(r);
    k.spooled = k.status && store_->last_put_spooled();
    k.where = store_->where();
    return k;
}

core::Status RecordKeeper::query(const RecordFilter& f, std::vector<RunRecord>* out) {
    if (core::Status s = open(); !s) return s;
    return store_->query(f, out);
}

}  // namespace records
