// Saves whose answer is lost after the server stored them: the screen must
// say they were stored (at once, or at the next change once the server
// answers again) and must not send them a second time.
#include "appserver/db/Soci.h"

#include <map>
#include <mutex>

#include "framework/GeneralDatabase.h"
#include "screen_fixture.h"
#include "toolkit/data/Abort.h"

namespace screen_test {
namespace {

const char kStored[] =
    "A alteração enviada ao servidor foi gravada, embora a resposta não tenha chegado a tempo. Os dados foram "
    "recarregados.";
const char kUnknown[] =
    "Não foi possível confirmar se a alteração foi gravada: o servidor de aplicação não respondeu. Isso será "
    "verificado quando a conexão voltar.";

// The demo's server, except that it carries out the next call of a method
// and then closes the connection instead of answering.
class LossyServer {
 public:
  LossyServer()
      : server_(rpc::ServerOptions{}, [this](std::string_view text, rpc::Session& session) {
          rpc::Dispatcher::Outcome outcome = Backend::Get().Handle(text, session);
          std::lock_guard lock(mutex_);
          if (int& losses = lose_[rpc::DecodeRequest(text).method]; losses > 0) {
            --losses;
            return rpc::Dispatcher::Outcome{"", true};
          }
          return outcome;
        }) {
    server_.Start();
  }
  void LoseNext(const std::string& method) {
    std::lock_guard lock(mutex_);
    ++lose_[method];
  }
  std::uint16_t Port() const { return server_.Port(); }

 private:
  std::mutex mutex_;
  std::map<std::string, int> lose_;
  rpc::Server server_;
};

class SaveSettlement : public ScreenTest {
 protected:
  TfrmPropPass& OnFlight() {
    framework::Host().webPort = lossy.Port();
    TfrmPropPass& f = Open();
    f.medSgCia->SetText("ASUL");
    f.medNrVoo->SetFocus();
    f.medNrVoo->SetText("1110");
    f.dbgPadrao->SetFocus();
    f.dbgQtdePropServico->SetFocus();
    EXPECT_TRUE(dialogs.Messages().empty());
    return f;
  }
  static void EditFirstQuantity(TfrmPropPass& f, double quantity) {
    f.cdsQtdePropServico->First();
    f.cdsQtdePropServico->Edit();
    f.cdsQtdePropServicoQTSERVICO->SetAsFloat(quantity);
  }
  static int StoredQuantity() {
    int quantity = -1;
    framework::dtmDBGeral->adcGeral->Session()
        << "SELECT QTSERVICO FROM PROPSERVICO WHERE CDFILIAL = '0001' AND NRVOO = '1110' AND CDTRECHO = '01' "
           "AND CDSERVICO = '10101001' AND QTPAXDE = 1",
        soci::into(quantity);
    return quantity;
  }
  // Saves the demo's value back, as any save: no message.
  void PutBack(TfrmPropPass& f) {
    EditFirstQuantity(f, 2);
    f.cdsQtdePropServico->Post();
    EXPECT_TRUE(dialogs.TakeMessages().empty());
    EXPECT_EQ(StoredQuantity(), 2);
  }
  LossyServer lossy;
};

TEST_F(SaveSettlement, AStoredSaveWhoseAnswerIsLostIsReportedStoredAndReloaded) {
  TfrmPropPass& f = OnFlight();
  lossy.LoseNext("SetQtdePropServico");
  calls.calls.clear();
  EditFirstQuantity(f, 7);
  f.cdsQtdePropServico->Post();
  EXPECT_EQ(dialogs.TakeMessages(), (std::vector<std::string>{kStored}));
  EXPECT_EQ(calls.Count("SetQtdePropServico"), 1);
  EXPECT_EQ(calls.Count("GetSituacaoGravacao"), 1);
  EXPECT_EQ(StoredQuantity(), 7);
  EXPECT_EQ(f.cdsQtdePropServico->ChangeCount(), 0);
  EXPECT_EQ(f.cdsQtdePropServicoQTSERVICO->AsString(), "7");
  EXPECT_TRUE(f.panNavigator->Enabled());
  PutBack(f);
}

TEST_F(SaveSettlement, AStoredSaveLeftUnsettledIsSettledBeforeTheNextChange) {
  TfrmPropPass& f = OnFlight();
  lossy.LoseNext("SetQtdePropServico");
  lossy.LoseNext("GetSituacaoGravacao");
  EditFirstQuantity(f, 7);
  EXPECT_THROW(f.cdsQtdePropServico->Post(), toolkit::EAbort);
  EXPECT_EQ(dialogs.TakeMessages(), (std::vector<std::string>{kUnknown}));
  EXPECT_EQ(f.cdsQtdePropServico->ChangeCount(), 1);
  EXPECT_FALSE(f.panNavigator->Enabled());

  // The change the user begins next waits for the answer: stored, so the
  // lists are read again and that change is dropped for the user to redo.
  f.cdsQtdePropServico->Next();
  calls.calls.clear();
  EXPECT_THROW(f.cdsQtdePropServico->Edit(), toolkit::EAbort);
  EXPECT_EQ(dialogs.TakeMessages(), (std::vector<std::string>{kStored}));
  EXPECT_EQ(calls.Count("GetSituacaoGravacao"), 1);
  EXPECT_EQ(calls.Count("SetQtdePropServico"), 0);
  EXPECT_EQ(f.cdsQtdePropServico->State(), toolkit::DataSetState::dsBrowse);
  EXPECT_EQ(f.cdsQtdePropServico->ChangeCount(), 0);
  EXPECT_EQ(f.cdsQtdePropServicoQTPAXDE->AsString(), "21") << "back on the range the change began on";
  EXPECT_TRUE(f.panNavigator->Enabled());
  f.cdsQtdePropServico->First();
  EXPECT_EQ(f.cdsQtdePropServicoQTSERVICO->AsString(), "7");
  EXPECT_EQ(StoredQuantity(), 7);
  PutBack(f);
}

}  // namespace
}  // namespace screen_test
