// The typed calls of the application server's methods: against the real
// server over the demo data (the argument order shows in what comes back),
// and against a small stand-in for the by-reference arguments.
#include "appserver/Methods.h"
#include "framework/ServerAnswer.h"
#include "rpc/Dispatcher.h"
#include "screen_fixture.h"
#include "server/HistoryCalls.h"
#include "server/ServerMethods.h"
#include "toolkit/data/ClientDataSet.h"

namespace screen_test {
namespace {

using Strings = std::vector<std::string>;

class ServerMethods : public ServerCallTest {
 protected:
  // The answer's packet in a dataset of its own.
  toolkit::ClientDataSet& Load(const framework::ServerAnswer& answer) {
    EXPECT_TRUE(answer.ok) << answer.message;
    loaded.push_back(std::make_unique<toolkit::ClientDataSet>());
    loaded.back()->SetData(framework::CheckResultServ(answer, true, 0));
    return *loaded.back();
  }
  std::string First(const framework::ServerAnswer& answer, const char* field) {
    toolkit::ClientDataSet& d = Load(answer);
    return d.IsEmpty() ? "<no row>" : d.FieldByName(field).AsString();
  }
  std::vector<std::unique_ptr<toolkit::ClientDataSet>> loaded;
};

TEST_F(ServerMethods, FlightContextReads) {
  std::string allFlights, allLegs = "T";
  toolkit::ClientDataSet& legs =
      Load(server::GetCompanhia(net, "ASUL", "", "0001", "1110", allFlights, "", allLegs));
  EXPECT_EQ(calls.Last("GetCompanhia"), (Strings{"ASUL", "", "0001", "1110", "", "", "T"}));
  EXPECT_EQ(allFlights, "");
  EXPECT_EQ(allLegs, "T");
  ASSERT_EQ(legs.RecordCount(), 2);
  EXPECT_EQ(legs.FieldByName("CDTRECHO").AsString(), "01");
  EXPECT_EQ(legs.FieldByName("DSTRECHO").AsString(), "GRU-GIG 11h20");

  EXPECT_GT(Load(server::GetCompanhia(net, "", "T", "0001")).RecordCount(), 2);
  EXPECT_EQ(calls.Last("GetCompanhia"), (Strings{"", "T", "0001"}));

  toolkit::ClientDataSet& services = Load(server::GetPropServico(net, "0001", "0101", "1110", "01"));
  EXPECT_EQ(calls.Last("GetPropServico"), (Strings{"0001", "0101", "1110", "01"}));
  ASSERT_EQ(services.RecordCount(), 2);
  EXPECT_EQ(services.FieldByName("CDSERVICO").AsString(), "10101001");
}

TEST_F(ServerMethods, RangeReads) {
  toolkit::ClientDataSet& ranges =
      Load(server::GetQtdePropServico(net, "0001", "ASUL", "10101001", "0001", "0001", "1110", "01"));
  EXPECT_EQ(calls.Last("GetQtdePropServico"), (Strings{"0001", "ASUL", "10101001", "0001", "0001", "1110", "01"}));
  ASSERT_EQ(ranges.RecordCount(), 3);
  EXPECT_EQ(ranges.FieldByName("QTPAXATE").AsString(), "20");

  EXPECT_EQ(First(server::GetValidaServ(net, "10101001", "0001", "0101", "1110", "01"), "CDSERVICO"), "10101001");
  EXPECT_EQ(First(server::GetValidaServ(net, "10102001", "0001", "0101", "1110", "01"), "CDSERVICO"), "<no row>");
  EXPECT_EQ(calls.Last("GetValidaServ"), (Strings{"10102001", "0001", "0101", "1110", "01"}));

  EXPECT_EQ(First(server::GetMaiorPax(net, "0001", "0101", "10101001", "1110", "01"), "MAXPAX"), "220");
  EXPECT_EQ(First(server::GetMaiorPax(net, "0001", "0101", "10102001", "1110", "01"), "MAXPAX"), "");
  EXPECT_EQ(calls.Last("GetMaiorPax"), (Strings{"0001", "0101", "10102001", "1110", "01"}));
}

TEST_F(ServerMethods, RangeChecksSendTheBoundsAsNumbers) {
  EXPECT_EQ(First(server::GetFindProp(net, "0001", "0101", "10101001", 21, 50, "1110", "01"), "CONT"), "1");
  EXPECT_EQ(First(server::GetFindProp(net, "0001", "0101", "10101001", 21, 49, "1110", "01"), "CONT"), "0");
  EXPECT_EQ(calls.Last("GetFindProp"), (Strings{"0001", "0101", "10101001", "21", "49", "1110", "01"}));
  ASSERT_EQ(calls.calls.back().params.size(), 7u);
  EXPECT_EQ(calls.calls.back().params[3].kind, rpc::Param::Kind::Number);
  EXPECT_EQ(calls.calls.back().params[4].kind, rpc::Param::Kind::Number);

  auto pax = [&](double from, double to) {
    return First(server::GetTestaPropSe(net, "0001", "0101", "10101001", from, to, "1110", "01"), "PAX");
  };
  EXPECT_EQ(pax(15, 30), "1");     // lower bound inside 1-20
  EXPECT_EQ(pax(0, 10), "2");      // upper bound inside 1-20
  EXPECT_EQ(pax(0, 10000), "3");   // covers the stored ranges
  EXPECT_EQ(pax(21, 50), "<no row>");  // the same range is no collision
  EXPECT_EQ(calls.Last("GetTestaPropSe"), (Strings{"0001", "0101", "10101001", "21", "50", "1110", "01"}));
}

TEST_F(ServerMethods, SavingSendsTheChangeLogAsOneObject) {
  toolkit::ClientDataSet ranges;
  ranges.SetData(framework::CheckResultServ(
      server::GetQtdePropServico(net, "0001", "0101", "10101001", "0001", "0001", "1110", "01"), true, 0));
  ASSERT_EQ(ranges.FieldByName("QTSERVICO").AsString(), "2");
  ranges.Edit();
  ranges.FieldByName("QTSERVICO").SetAsFloat(7);
  ranges.Post();
  const std::string delta = ranges.DeltaJson();
  framework::ServerAnswer saved = server::SetQtdePropServico(net, delta);
  ASSERT_TRUE(saved.ok) << saved.message;
  ASSERT_EQ(calls.calls.back().params.size(), 1u);
  EXPECT_EQ(calls.calls.back().params[0].kind, rpc::Param::Kind::Object);
  EXPECT_EQ(calls.calls.back().params[0].text, delta);
  EXPECT_EQ(First(server::GetQtdePropServico(net, "0001", "0101", "10101001", "0001", "0001", "1110", "01"),
                  "QTSERVICO"),
            "7");

  // The same change again is stale: refused as an answer, not thrown.
  framework::ServerAnswer stale = server::SetQtdePropServico(net, delta);
  EXPECT_FALSE(stale.ok);
  EXPECT_EQ(stale.code, rpc::kConflict);

  ranges.MergeChangeLog();
  ranges.Edit();
  ranges.FieldByName("QTSERVICO").SetAsFloat(2);
  ranges.Post();
  ASSERT_TRUE(server::SetQtdePropServico(net, ranges.DeltaJson()).ok);

  // Both saves are the service's history, newest first, a page at a time.
  toolkit::ClientDataSet& newest =
      Load(server::GetHistoricoProp(net, "0001", "ASUL", "1110", "01", "10101001", "", "", 1, ""));
  EXPECT_EQ(calls.Last("GetHistoricoProp"), (Strings{"0001", "ASUL", "1110", "01", "10101001", "", "", "1", ""}));
  ASSERT_EQ(newest.RecordCount(), 1);
  EXPECT_EQ(newest.FieldByName("DSOPERACAO").AsString(), "alteração");
  EXPECT_EQ(newest.FieldByName("QTSERVICO_OLD").AsString(), "7");
  EXPECT_EQ(newest.FieldByName("QTSERVICO_NEW").AsString(), "2");
  const std::string below = newest.FieldByName("IDLOG").AsString();
  toolkit::ClientDataSet& older = Load(
      server::GetHistoricoProp(net, "0001", "ASUL", "1110", "01", "10101001", "2000-01-01 00:00:00", "", 1, below));
  EXPECT_EQ(calls.Last("GetHistoricoProp"),
            (Strings{"0001", "ASUL", "1110", "01", "10101001", "2000-01-01 00:00:00", "", "1", below}));
  ASSERT_EQ(older.RecordCount(), 1);
  EXPECT_EQ(older.FieldByName("QTSERVICO_OLD").AsString(), "2");
  EXPECT_EQ(older.FieldByName("QTSERVICO_NEW").AsString(), "7");
}

// A stand-in server whose GetCompanhia answers chosen by-reference values.
class ByReference : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    dispatcher.Add("GetCompanhia", [this](const rpc::Request& r, rpc::Session&) {
      if (!refusal.empty()) throw rpc::RpcError(rpc::kUnknownReference, refusal);
      received = r.params.size();
      rpc::Reply reply;
      reply.resultJson = R"({"fields":[],"rows":[]})";
      reply.byrefJson = byref;
      return reply;
    });
    rpc::Dispatcher* d = &dispatcher;
    server = std::make_unique<rpc::Server>(rpc::ServerOptions{},
                                           [d](std::string_view t, rpc::Session& s) { return d->Handle(t, s); });
    server->Start();
    net.SetServerName("Teste.rdmByRef");
    net.SetPort(server->Port());
  }
  void TearDown() override {
    net.SetConnected(false);
    server.reset();
    ScreenTest::TearDown();
  }
  framework::ServerAnswer Ask() { return server::GetCompanhia(net, "ASUL", "", "0001", "", flights, "", legs); }

  rpc::Dispatcher dispatcher{"Teste.rdmByRef", ""};
  std::unique_ptr<rpc::Server> server;
  framework::TNetConnection net;
  std::string byref, refusal;
  std::size_t received = 0;
  std::string flights = "T", legs = "T";
};

TEST_F(ByReference, ArgumentsTakeWhatTheServerSendsBackInOrder) {
  byref = R"(["", "X"])";
  ASSERT_TRUE(Ask().ok);
  EXPECT_EQ(received, 7u);
  EXPECT_EQ(flights, "");
  EXPECT_EQ(legs, "X");
}

TEST_F(ByReference, WhatTheServerDoesNotSendStaysAsItWas) {
  byref = R"([1.5])";  // not a string, and no second value
  ASSERT_TRUE(Ask().ok);
  EXPECT_EQ(flights, "T");
  EXPECT_EQ(legs, "T");
  byref.clear();
  ASSERT_TRUE(Ask().ok);
  EXPECT_EQ(flights, "T");
  refusal = "Voo desconhecido.";
  framework::ServerAnswer refused = Ask();
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.message, "Voo desconhecido.");
  EXPECT_EQ(legs, "T");
}

}  // namespace
}  // namespace screen_test
