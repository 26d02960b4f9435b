#include "records/spooled_store.h"

#include "records/content_hash.h"
#include "records/sql_session.h"

namespace records {

using core::Fault;
using core::Status;

SpooledStore::SpooledStore(std::unique_ptr<PostgresStore> server,
                           std::unique_ptr<SqliteStore> spool, std::filesystem::path spool_file)
    : server_(std::move(server)), spool_(std::move(spool)), spool_file_(std::move(spool_file)) {}

Status SpooledStore::open(const std::string& conninfo, const std::filesystem::path& spool_dir,
                          std::unique_ptr<SpooledStore>* out) {
    std::unique_ptr<PostgresStore> server;
    std::unique_ptr<SqliteStore> local;
    Status s = PostgresStore::open(conninfo, &server);
    if (!s) return s;
    // Named by a hash: the server's name holds slashes (a socket folder) and user names.
    std::filesystem::path file =
        spool_dir / ("spool-" + content_hash(server->where()).substr(0, 16) + ".sqlite");
    s = SqliteStore::open(file, &local);
    if (s) out->reset(new SpooledStore(std::move(server), std::move(local), std::move(file)));
    return s;
}

Status SpooledStore::flush() {
    std::vector<RunRecord> waiting;
    Status s = spool_->query({}, &waiting);
    if (!s) return s;
    Status refused = Status::success();
    for (const RunRecord& r : waiting) {
        const Status sent = server_->put(r);
        if (sent.fault == Fault::NoReply) return sent;
        if (!sent) {
            if (refused) refused = sent;
            continue;
        }
        if (Status gone = spool_->remove(r.id); !gone) return gone;
    }
    return refused;
}

Status SpooledStore::put(const RunRecord& r) {
    spooled_ = false;
    Status sent = flush();
    if (sent.fault != Fault::NoReply) sent = server_->put(r);
    if (sent) return sent;
    if (Status kept = spool_->put(r); !kept) return kept;
    spooled_ = true;
    return Status::success(
        "Production Records",
        sent.text + " The record is kept in " + spool_->where() + " and sent with the next one.");
}

Status SpooledStore::query(const RecordFilter& f, std::vector<RunRecord>* out) {
    return server_->query(f, out);
}

std::string SpooledStore::where() const {
    return server_->where();
}

}  // namespace records
