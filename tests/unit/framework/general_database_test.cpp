// The general data module: its connection and its read transaction on a
// demo database.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <stdexcept>

#include "appserver/db/DbSession.h"
#include "appserver/db/Soci.h"
#include "demo_database.h"
#include "framework/GeneralDatabase.h"
#include "framework/Query.h"
#include "rpc/Client.h"
#include "server_process.h"

namespace {

using framework::TGeneralConnection;
using framework::TGeneralTransaction;

class GeneralDatabase : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { demo_ = std::make_unique<framework_test::DemoDatabase>("general"); }
  static void TearDownTestSuite() { demo_.reset(); }

  // Branches as a lookup on the connection sees them.
  int Branches() {
    framework::TADOIBQuery q;
    q.SetConnection(db.adcGeral);
    q.AddStringField("CDFILIAL", 4);
    q.SetSQL({"SELECT CDFILIAL FROM FILIAL"});
    q.Open();
    return q.RecordCount();
  }
  void AddBranch() { db.adcGeral->Session() << "INSERT INTO FILIAL (CDFILIAL, NMFILIAL) VALUES ('0099', 'Teste')"; }

  static inline std::unique_ptr<framework_test::DemoDatabase> demo_;
  framework::TdtmDBGeral db;
};

TEST_F(GeneralDatabase, ModuleHoldsOneConnectionUnderTwoNames) {
  EXPECT_EQ(db.adcGeral, db.dtbGeral);
  EXPECT_EQ(db.FindComponent("adcGeral"), db.adcGeral);
  EXPECT_EQ(db.FindComponent("ibtGeral"), db.ibtGeral);
  EXPECT_FALSE(db.adcGeral->Connected());
  EXPECT_FALSE(db.ibtGeral->InTransaction());

  auto* module = new framework::TdtmDBGeral();
  framework::dtmDBGeral = module;
  delete module;
  EXPECT_EQ(framework::dtmDBGeral, nullptr);  // no dangling module for the screens
}

TEST_F(GeneralDatabase, OpenAndCloseTheConnection) {
  TGeneralConnection& c = *db.adcGeral;
  try {
    c.Session();
    ADD_FAILURE() << "a closed connection gave a session";
  } catch (const std::logic_error& e) {
    EXPECT_NE(std::string(e.what()).find("adcGeral"), std::string::npos) << e.what();
  }
  c.Open(demo_->Url());
  EXPECT_TRUE(c.Connected());
  EXPECT_EQ(c.Url(), demo_->Url());
  EXPECT_EQ(c.Dialect(), framework::TSqlDialect::Default);
  EXPECT_EQ(Branches(), 3);
  c.Close();
  EXPECT_FALSE(c.Connected());
  EXPECT_TRUE(c.Url().empty());
  EXPECT_THROW(c.Session(), std::logic_error);
}

TEST_F(GeneralDatabase, FailedOpenLeavesTheConnectionClosed) {
  TGeneralConnection& c = *db.adcGeral;
  EXPECT_THROW(c.Open("nowhere:at-all"), std::invalid_argument);
  EXPECT_THROW(c.Open("sqlite:/nonexistent-folder-of-ate/general.db"), std::exception);
  EXPECT_FALSE(c.Connected());
  EXPECT_TRUE(c.Url().empty());
}

TEST_F(GeneralDatabase, TransactionCommitsOrRollsBack) {
  db.adcGeral->Open(demo_->Url());
  TGeneralTransaction& t = *db.ibtGeral;
  t.StartTransaction();
  EXPECT_TRUE(t.InTransaction());
  EXPECT_THROW(t.StartTransaction(), std::logic_error);
  AddBranch();
  EXPECT_EQ(Branches(), 4);  // the lookups run inside it
  t.Rollback();
  EXPECT_FALSE(t.InTransaction());
  EXPECT_EQ(Branches(), 3);
  EXPECT_THROW(t.Rollback(), std::logic_error);
  EXPECT_THROW(t.Commit(), std::logic_error);

  t.StartTransaction();
  AddBranch();
  t.Commit();
  EXPECT_FALSE(t.InTransaction());
  db.adcGeral->Close();
  db.adcGeral->Open(demo_->Url());
  EXPECT_EQ(Branches(), 4);
  db.adcGeral->Session() << "DELETE FROM FILIAL WHERE CDFILIAL = '0099'";
}

TEST_F(GeneralDatabase, ATransactionLeftActiveIsRolledBack) {
  db.adcGeral->Open(demo_->Url());
  {
    TGeneralTransaction t(*db.adcGeral);
    t.StartTransaction();
    AddBranch();
  }
  EXPECT_EQ(Branches(), 3);
  {
    TGeneralTransaction t(*db.adcGeral);
    t.StartTransaction();
    AddBranch();
    db.adcGeral->Close();  // the connection ends it first
  }
  db.adcGeral->Open(demo_->Url());
  EXPECT_EQ(Branches(), 3);
}

// A range stored through a real app server, which then ends: the last
// connection to leave checkpoints the file and deletes its WAL index.
void StoreThroughAServerThatEnds(const std::string& url, int from, int to) {
  appserver_it::ServerProcess server({"--db", url, "--listen", "127.0.0.1:0", "--threads", "2"});
  rpc::Client client("127.0.0.1", server.Port());
  client.Connect("Ate11600.rdmPropPass", "teste", "");
  const std::string row = R"({"CDFILIAL":"0001","CDCIA":"0101","NRVOO":"1110","CDTRECHO":"01","CDSERVICO":"10102001",)"
                          R"("QTPAXDE":)" + std::to_string(from) + R"(,"QTPAXATE":)" + std::to_string(to) +
                          R"(,"CDCLASSE":"","CDCICLO":"","QTSERVICO":1})";
  client.Call("SetQtdePropServico", {rpc::Param::Json(R"({"changes":[{"op":"insert","new":)" + row + "}]}")});
  client.Disconnect();
  ASSERT_EQ(server.Stop(), 0);
}

// Opening and closing the database's files anywhere in the host (a file
// dialog looking into the folder does) drops every lock the process holds
// on them; the next server to leave then deletes the index the lookups
// still read. They must go on seeing what later servers store.
TEST_F(GeneralDatabase, LookupsSeeNewRowsAfterTheProcessLostItsLocks) {
  framework_test::DemoDatabase own("stale");
  const std::string url = own.Url();
  const std::string path = url.substr(std::string("sqlite:").size());
  db.adcGeral->Open(url);
  auto ranges = [&] {
    int count = 0;
    db.adcGeral->Session() << "SELECT COUNT(*) FROM PROPSERVICO WHERE CDSERVICO = '10102001' AND NRVOO = '1110'",
        soci::into(count);
    return count;
  };
  ASSERT_EQ(ranges(), 0);
  for (const char* suffix : {"", "-wal", "-shm"}) {
    const int fd = ::open((path + suffix).c_str(), O_RDONLY);
    if (fd >= 0) ::close(fd);
  }
  StoreThroughAServerThatEnds(url, 1, 10);
  StoreThroughAServerThatEnds(url, 11, 20);
  EXPECT_EQ(ranges(), 2);
  StoreThroughAServerThatEnds(url, 21, 30);
  EXPECT_EQ(ranges(), 3);
}

}  // namespace
