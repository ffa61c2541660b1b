// Two ate-appserver processes over one database, as two stations run them,
// with clients on both editing the same range at the same time: every
// stale save must come back as a conflict and no save may be lost.

#include <gtest/gtest.h>

#include <barrier>
#include <iostream>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <thread>

#include "appserver/db/DbSession.h"
#include "pg_instance.h"
#include "rpc/Client.h"
#include "server_process.h"

namespace appserver_it {
namespace {

using nlohmann::json;
constexpr char kServer[] = "Ate11600.rdmPropPass";

enum class Backend { Sqlite, Postgresql };

// One database (a private PostgreSQL database or an SQLite file) with two
// servers on it: A creates the schema and loads the demo, B starts on what
// A made, as a second station does.
class TwoServers : public testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    std::string url;
    if (GetParam() == Backend::Postgresql) {
      std::string why;
      pg_ = testsupport::PgInstance::Get(&why);
      if (!pg_) GTEST_SKIP() << why;
      pgName_ = pg_->CreateDatabase();
      url = "postgresql:" + pg_->ConnectString(pgName_);
    } else {
      url = "sqlite:" + (dir_.Path() / "ate.db").string();
    }
    const std::vector<std::string> common{"--db", url, "--listen", "127.0.0.1:0", "--threads", "4", "--log-level",
                                          "warn"};
    std::vector<std::string> first = common;
    first.insert(first.end(), {"--init-db", "--demo"});
    a_ = std::make_unique<ServerProcess>(first);
    b_ = std::make_unique<ServerProcess>(common);
    side_ = dbsession::Open(dbsession::ParseUrl(url));
  }

  void TearDown() override {
    side_.reset();
    a_.reset();
    b_.reset();
    if (!pgName_.empty()) pg_->DropDatabase(pgName_);
  }

  // The quantity of the range on leg 1110/01, -1 when there is none.
  double Stored(const std::string& service, int de) {
    double qt = -1;
    *side_ << "SELECT QTSERVICO FROM PROPSERVICO WHERE CDFILIAL = '0001' AND CDCIA = '0101' AND NRVOO = '1110' "
              "AND CDTRECHO = '01' AND CDSERVICO = :s AND QTPAXDE = :de",
        soci::use(service), soci::use(de), soci::into(qt);
    return qt;
  }

  int Count(const std::string& sql) {
    int n = -1;
    *side_ << sql, soci::into(n);
    return n;
  }

  testsupport::PgInstance* pg_ = nullptr;
  std::string pgName_;
  TempDir dir_;
  std::unique_ptr<ServerProcess> a_, b_;
  std::unique_ptr<soci::session> side_;
};

// A client as the screen is one: it reads the ranges of a service on leg
// 1110/01 of the demo and sends change logs with every field of the row.
class Station {
 public:
  Station(std::uint16_t port, const std::string& user) : client_("127.0.0.1", port) {
    client_.Connect(kServer, user, "");
  }

  // The range of the service starting at `de`, as the screen holds it
  // (field name to value), or nullopt when there is none.
  std::optional<json> Read(const std::string& service, int de) {
    const json p = json::parse(
        client_.Call("GetQtdePropServico", {S("0001"), S("0101"), S(service), S(""), S(""), S("1110"), S("01")})
            .resultJson);
    for (const json& values : p["rows"]) {
      json row;
      for (std::size_t i = 0; i < p["fields"].size(); ++i) row[p["fields"][i]["name"].get<std::string>()] = values[i];
      if (row["QTPAXDE"] == de) return row;
    }
    return std::nullopt;
  }

  // Sends one change; the error code, or 0 when it was stored.
  int Save(const json& change) {
    try {
      client_.Call("SetQtdePropServico", {rpc::Param::Json(json{{"changes", {change}}}.dump())});
      return 0;
    } catch (const rpc::RpcError& e) {
      message_ = e.what();
      return e.Code();
    }
  }

  const std::string& LastMessage() const { return message_; }

 private:
  static rpc::Param S(std::string v) { return rpc::Param::String(std::move(v)); }
  rpc::Client client_;
  std::string message_;
};

json Modify(const json& row, double qt) {
  json after = row;
  after["QTSERVICO"] = qt;
  return {{"op", "modify"}, {"old", row}, {"new", after}};
}

// One save as a client sent it: the quantity it had read and what came back.
struct Attempt {
  std::string user;
  double read = 0;
  int code = 0;
};

constexpr char kService[] = "10101001";  // the demo's ranges 1-20, 21-50 and 51-9999
constexpr int kFrom = 21;
constexpr int kClients = 8;
constexpr int kRounds = 12;

// Each round every client, after a common start, reads the range and saves
// its quantity plus one, re-reading and retrying after each conflict until
// its save is stored. Each client thus stores exactly once per round.
// Clients alternate between the two ports.
std::vector<Attempt> RaceOnOneRange(std::uint16_t portA, std::uint16_t portB, std::vector<std::string>* failures) {
  std::vector<std::vector<Attempt>> perClient(kClients);
  std::vector<std::string> errors(kClients);
  std::barrier start(kClients);
  std::vector<std::thread> threads;
  for (int c = 0; c < kClients; ++c) {
    threads.emplace_back([&, c] {
      const std::string user = "c" + std::to_string(c);
      std::optional<Station> station;
      try {
        station.emplace(c % 2 == 0 ? portA : portB, user);
      } catch (const std::exception& e) {
        errors[c] = e.what();
      }
      for (int round = 0; round < kRounds; ++round) {
        start.arrive_and_wait();  // every thread arrives every round, even after a failure
        for (bool stored = false; station && errors[c].empty() && !stored;) {
          try {
            const json row = station->Read(kService, kFrom).value();
            const double qt = row["QTSERVICO"];
            const int code = station->Save(Modify(row, qt + 1));
            perClient[c].push_back({user, qt, code});
            if (code != 0 && code != rpc::kConflict) {
              errors[c] = "error " + std::to_string(code) + ": " + station->LastMessage();
            }
            stored = code == 0;
          } catch (const std::exception& e) {
            errors[c] = e.what();
          }
        }
      }
    });
  }
  for (std::thread& th : threads) th.join();
  std::vector<Attempt> all;
  for (int c = 0; c < kClients; ++c) {
    if (!errors[c].empty()) failures->push_back("c" + std::to_string(c) + ": " + errors[c]);
    all.insert(all.end(), perClient[c].begin(), perClient[c].end());
  }
  return all;
}

TEST_P(TwoServers, ConcurrentEditsOfOneRangeAreEachStoredOrRefusedAsAConflict) {
  const double start = Stored(kService, kFrom);
  std::vector<std::string> failures;
  const std::vector<Attempt> attempts = RaceOnOneRange(a_->Port(), b_->Port(), &failures);
  for (const std::string& f : failures) ADD_FAILURE() << f;

  int saved = 0, detected = 0;
  for (const Attempt& a : attempts) {
    saved += a.code == 0;
    detected += a.code == rpc::kConflict;
  }
  EXPECT_EQ(saved + detected, static_cast<int>(attempts.size())) << "answers other than stored or conflict";
  EXPECT_EQ(saved, kClients * kRounds);
  EXPECT_EQ(Stored(kService, kFrom), start + saved) << "an increment was lost";

  // The audit trail says which save moved the quantity from each value: one
  // row per stored save, each starting from a different value.
  std::map<double, std::string> savedFrom;
  soci::rowset<soci::row> log = side_->prepare << "SELECT NMUSUARIO, QTSERVICO_OLD FROM PROPSERVICO_LOG "
                                                  "WHERE IDOPERACAO = 'A' AND NRVOO_OLD = '1110' "
                                                  "AND CDSERVICO_OLD = '10101001' "
                                                  "AND QTPAXDE_OLD = 21";
  int logRows = 0;
  for (const soci::row& r : log) {
    ++logRows;
    EXPECT_TRUE(savedFrom.emplace(r.get<double>(1), r.get<std::string>(0)).second)
        << "two saves stored from quantity " << r.get<double>(1);
  }
  EXPECT_EQ(logRows, saved);

  // A save must be refused exactly when another client had stored from the
  // value it read (the conflict was really there).
  int provoked = 0;
  for (const Attempt& a : attempts) {
    const auto winner = savedFrom.find(a.read);
    const bool stale = winner != savedFrom.end() && winner->second != a.user;
    provoked += stale;
    EXPECT_EQ(a.code == 0, winner != savedFrom.end() && winner->second == a.user)
        << a.user << " read " << a.read << " and got " << a.code;
  }
  EXPECT_EQ(detected, provoked);
  EXPECT_GT(provoked, 0) << "the clients never raced";
  std::cout << "[ figures  ] " << attempts.size() << " attempts, " << saved << " saved, " << detected
            << " conflicts detected, " << provoked << " provoked, "
            << (start + saved - Stored(kService, kFrom)) << " lost\n";
}

// The planning writes as two stations make them through real servers: a
// copy previewed on A is applied on B with A's state token, then a CSV
// imported on B replaces the copied ranges of one service; both stored,
// each change logged under its user.
TEST_P(TwoServers, ACopyPreviewedOnOneServerIsAppliedOnTheOtherAndAnImportReplacesIt) {
  auto S = [](std::string v) { return rpc::Param::String(std::move(v)); };
  rpc::Client a("127.0.0.1", a_->Port()), b("127.0.0.1", b_->Port());
  a.Connect(kServer, "ana", "");
  b.Connect(kServer, "bia", "");
  const std::vector<rpc::Param> copy{S("0001"), S("ASUL"), S("1110"), S("01"), S("1110/02"), S(""), S("substituir")};
  std::vector<rpc::Param> preview = copy, apply = copy;
  preview.push_back(S("S"));
  const json seen = json::parse(a.Call("CopiaPropServico", preview).resultJson);
  apply.push_back(S("N"));
  apply.push_back(S(seen["rows"][0].back().get<std::string>()));
  b.Call("CopiaPropServico", apply);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM PROPSERVICO WHERE NRVOO = '1110' AND CDTRECHO = '02'"),
            Count("SELECT COUNT(*) FROM PROPSERVICO WHERE NRVOO = '1110' AND CDTRECHO = '01'"));

  const std::string csv =
      "Filial;Companhia;Voo;Trecho;Serviço;Classe;Ciclo;Pax. Mínimo;Pax. Máximo;Qtde. Serviço\r\n"
      "0001;ASUL;1110;02;01.01.001;ECO;PADRAO;1;100;3\r\n"
      "0001;ASUL;1110;02;01.01.001;ECO;PADRAO;101;220;5\r\n"
      "0001;ASUL;1110;02;01.02.003;PRI;PADRAO;1;9999;1\r\n";
  b.Call("ImportaPropServico", {S("0001"), S("ASUL"), S(csv), S("substituir"), S("N")});
  EXPECT_EQ(Count("SELECT COUNT(*) FROM PROPSERVICO WHERE NRVOO = '1110' AND CDTRECHO = '02'"), 3);
  EXPECT_EQ(Stored("10101001", 1), 2) << "leg 01 is not the file's";
  EXPECT_EQ(Count("SELECT COUNT(*) FROM PROPSERVICO_LOG WHERE NMUSUARIO = 'bia' AND NRVOO_NEW = '1110' AND "
                  "CDTRECHO_NEW = '02' AND QTPAXATE_NEW = 100"),
            1);
}

// Per round a client on A deletes a fresh range while a client on B raises
// its quantity, both from what they read: one wins, the other is told of
// the conflict, and the table and the audit trail show only the winner.
TEST_P(TwoServers, DeleteOnOneServerAgainstAnEditOnTheOtherHasOneWinner) {
  const std::string service = "10101002";  // no range on leg 1110/01 in the demo
  constexpr int kTries = 10;
  Station deleter(a_->Port(), "apagador"), editor(b_->Port(), "editor");
  int deletes = 0, edits = 0;
  for (int i = 0; i < kTries; ++i) {
    const int de = 1 + 10 * i;
    const json fresh = {{"CDSERVICO", service}, {"CDCIA", "0101"},  {"QTPAXDE", de},       {"QTSERVICO", 1},
                        {"QTPAXATE", de + 9},   {"CDCICLO", "0001"}, {"CDFILIAL", "0001"}, {"CDCLASSE", "0002"},
                        {"NRVOO", "1110"},      {"CDTRECHO", "01"}};
    ASSERT_EQ(deleter.Save({{"op", "insert"}, {"new", fresh}}), 0) << deleter.LastMessage();
    const json seenByDeleter = deleter.Read(service, de).value(), seenByEditor = editor.Read(service, de).value();
    std::barrier both(2);
    int deleteCode = -1, editCode = -1;
    std::thread del([&] {
      both.arrive_and_wait();
      deleteCode = deleter.Save({{"op", "delete"}, {"old", seenByDeleter}});
    });
    both.arrive_and_wait();
    editCode = editor.Save(Modify(seenByEditor, 2));
    del.join();

    ASSERT_TRUE((deleteCode == 0 && editCode == rpc::kConflict) || (editCode == 0 && deleteCode == rpc::kConflict))
        << "delete " << deleteCode << ", edit " << editCode;
    const std::string key =
        " AND NRVOO_OLD = '1110' AND CDSERVICO_OLD = '10101002' AND QTPAXDE_OLD = " + std::to_string(de);
    if (deleteCode == 0) {
      ++deletes;
      EXPECT_EQ(Stored(service, de), -1) << "the range is still there";
      EXPECT_EQ(Count("SELECT COUNT(*) FROM PROPSERVICO_LOG WHERE IDOPERACAO = 'E'" + key), 1);
      EXPECT_EQ(Count("SELECT COUNT(*) FROM PROPSERVICO_LOG WHERE IDOPERACAO = 'A'" + key), 0);
    } else {
      ++edits;
      EXPECT_EQ(Stored(service, de), 2);
      EXPECT_EQ(Count("SELECT COUNT(*) FROM PROPSERVICO_LOG WHERE IDOPERACAO = 'A'" + key), 1);
      EXPECT_EQ(Count("SELECT COUNT(*) FROM PROPSERVICO_LOG WHERE IDOPERACAO = 'E'" + key), 0);
      EXPECT_NE(deleter.LastMessage().find("alterada ou excluída por outro usuário"), std::string::npos)
          << deleter.LastMessage();
    }
  }
  std::cout << "[ figures  ] delete won " << deletes << ", edit won " << edits << " of " << kTries << "\n";
}

INSTANTIATE_TEST_SUITE_P(Backends, TwoServers, testing::Values(Backend::Postgresql, Backend::Sqlite),
                         [](const testing::TestParamInfo<Backend>& i) {
                           return i.param == Backend::Sqlite ? std::string("Sqlite") : std::string("Postgresql");
                         });

}  // namespace
}  // namespace appserver_it
