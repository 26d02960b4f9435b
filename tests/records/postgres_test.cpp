// The records on a real PostgreSQL server, started by the test in its own folder: the same
// round trip as SQLite, benches writing at once, the spool while the server is down, and a
// password that never shows.
#include "records/postgres_store.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "chipfiles/temp_dir.h"
#include "records/pg_server.h"
#include "records/spooled_store.h"
#include "records/store.h"
#include "records/store_checks.h"

namespace {

using core::Fault;
using records::PostgresStore;
using records::RunRecord;
using testing_support::sample_record;
using testing_support::stored;

class PostgresRecords : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { server = new testing_support::PgServer; }
    static void TearDownTestSuite() { delete server; }
    void SetUp() override {
        ASSERT_EQ(server->error(), "");
        url = server->create_database("records_" + std::to_string(++databases));
        ASSERT_NE(url, "") << server->error();
    }
    std::unique_ptr<PostgresStore> open() const {
        std::unique_ptr<PostgresStore> store;
        EXPECT_TRUE(PostgresStore::open(url, &store).ok());
        return store;
    }

    static testing_support::PgServer* server;
    static int databases;
    std::string url;
};

testing_support::PgServer* PostgresRecords::server = nullptr;
int PostgresRecords::databases = 0;

TEST_F(PostgresRecords, RecordsComeBackWhole) {
    const std::vector<RunRecord> written = testing_support::check_round_trip(*open());
    EXPECT_EQ(stored(*open()), written);
}

TEST_F(PostgresRecords, FiltersSelectTheirRecords) {
    testing_support::check_filters(*open());
}

TEST_F(PostgresRecords, ARecordSentTwiceIsStoredOnce) {
    testing_support::check_duplicates(*open());
}

// Two benches on a new database: both make the schema at once, and every record lands once.
TEST_F(PostgresRecords, TwoBenchesWritingAtOnceAllLandOnce) {
    std::vector<std::string> failures[2];
    auto bench = [&](int n) {
        std::unique_ptr<PostgresStore> store = open();
        for (int i = 0; i < 50; ++i) {
            RunRecord r = sample_record(i);
            r.host = "bench-" + std::to_string(n);
            if (core::Status s = store->put(r); !s) failures[n].push_back(s.text);
        }
    };
    std::thread one(bench, 0), two(bench, 1);
    one.join();
    two.join();
    EXPECT_EQ(failures[0], std::vector<std::string>{});
    EXPECT_EQ(failures[1], std::vector<std::string>{});
    const std::vector<RunRecord> all = stored(*open());
    std::set<std::string> ids;
    std::multiset<std::string> hosts;
    for (const RunRecord& r : all) ids.insert(r.id), hosts.insert(r.host);
    EXPECT_EQ(all.size(), 100u);
    EXPECT_EQ(ids.size(), 100u);
    EXPECT_EQ(hosts.count("bench-0"), 50u);
    EXPECT_EQ(hosts.count("bench-1"), 50u);
}

TEST_F(PostgresRecords, RecordsWaitInTheSpoolWhileTheServerIsDown) {
    testing_support::TempDir dir;
    std::unique_ptr<records::SpooledStore> store;
    ASSERT_TRUE(records::SpooledStore::open(url, dir.path(), &store).ok());
    const std::filesystem::path spool = store->spool_file();
    std::vector<RunRecord> sent;
    auto put = [&](int n, bool spooled) {
        sent.push_back(sample_record(n));
        const core::Status s = store->put(sent.back());
        EXPECT_TRUE(s.ok()) << s.text;
        EXPECT_EQ(store->last_put_spooled(), spooled) << n;
        EXPECT_EQ(s.text.find(spool.string()) != std::string::npos, spooled) << s.text;
    };
    for (int n = 0; n < 2; ++n) put(n, false);
    // A restart between two puts leaves a dead connection that looks alive: made again.
    ASSERT_TRUE(server->stop());
    ASSERT_TRUE(server->start()) << server->error();
    put(2, false);

    ASSERT_TRUE(server->stop());
    for (int n = 3; n < 7; ++n) put(n, true);
    std::vector<RunRecord> none;
    EXPECT_EQ(store->query({}, &none).fault, Fault::NoReply);
    {
        // A crash after the server took a record but before the spool let it go: it is in both.
        std::unique_ptr<records::SqliteStore> local;
        ASSERT_TRUE(records::SqliteStore::open(spool, &local).ok());
        ASSERT_TRUE(local->put(sent[1]).ok());
    }

    ASSERT_TRUE(server->start()) << server->error();
    put(7, false);
    EXPECT_EQ(stored(*store), sent) << "each record exactly once, the oldest first";
    std::unique_ptr<records::SqliteStore> local;
    ASSERT_TRUE(records::SqliteStore::open(spool, &local).ok());
    EXPECT_EQ(stored(*local), std::vector<RunRecord>{});
    EXPECT_TRUE(store->flush().ok()) << "an empty spool needs no server";
}

// A bench that moves to another server while records wait keeps each server's records for it.
TEST_F(PostgresRecords, ASpooledRecordGoesOnlyToTheServerItWasMeantFor) {
    testing_support::TempDir dir;
    const std::string other = server->create_database("records_other");
    ASSERT_NE(other, "") << server->error();
    std::vector<RunRecord> made;
    for (int n = 0; n < 4; ++n) made.push_back(sample_record(n));
    auto put = [&](const std::string& to, int n) {
        std::unique_ptr<records::RecordStore> store;
        ASSERT_TRUE(records::open_store(to, dir.path(), &store).ok());
        EXPECT_TRUE(store->put(made[n]).ok());
    };
    ASSERT_TRUE(server->stop());
    put(url, 0);
    put(other, 1);
    ASSERT_TRUE(server->start()) << server->error();
    put(other, 2);
    put(url, 3);
    std::unique_ptr<PostgresStore> second;
    ASSERT_TRUE(PostgresStore::open(other, &second).ok());
    EXPECT_EQ(stored(*second), (std::vector<RunRecord>{made[1], made[2]}));
    EXPECT_EQ(stored(*open()), (std::vector<RunRecord>{made[0], made[3]}));
}

TEST_F(PostgresRecords, APasswordNeverShows) {
    const std::string secret = "s3cret-Pa55";
    const std::string dir = server->socket_dir(), port = std::to_string(server->port());
    const std::string gone = std::to_string(server->port() + 1);  // no server on that socket
    struct Case {
        std::string conninfo;
        Fault put;
    };
    const Case cases[] = {
        {"postgresql://bench:" + secret + "@/postgres?host=" + dir + "&port=" + port, Fault::None},
        {"postgresql://bench:" + secret + "@/postgres?host=" + dir + "&port=" + gone,
         Fault::NoReply},
        {"host=" + dir + " port=" + gone + " dbname=postgres user=bench password=" + secret,
         Fault::NoReply},
        {"postgresql:///postgres?host=" + dir + "&port=" + gone + "&password=" + secret,
         Fault::NoReply},
    };
    for (const Case& c : cases) {
        std::unique_ptr<PostgresStore> store;
        ASSERT_TRUE(PostgresStore::open(c.conninfo, &store).ok());
        EXPECT_EQ(store->where().find(secret), std::string::npos) << store->where();
        EXPECT_NE(store->where().find(dir), std::string::npos) << store->where();
        const core::Status s = store->put(sample_record(1));
        EXPECT_EQ(s.fault, c.put) << s.text;
        EXPECT_EQ(s.text.find(secret), std::string::npos) << s.text;
    }
    for (const std::string& bad : {"postgresql://bench:" + secret + "@host/db?nonsense=1",
                                   "host=x password=" + secret + " dbname"}) {
        std::unique_ptr<PostgresStore> store;
        const core::Status s = PostgresStore::open(bad, &store);
        EXPECT_EQ(s.fault, Fault::BadInput);
        EXPECT_EQ(s.text.find(secret), std::string::npos) << s.text;
    }
}

}  // namespace
