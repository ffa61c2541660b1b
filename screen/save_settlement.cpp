// A save whose answer was lost (time-out, broken connection) may have been
// stored or not. Each save carries an identity and a deadline, and the
// server can say what became of an identity, settling it for good (see
// SetQtdePropServico on the server). So the screen asks once the server
// answers again, and tells the user only what it knows. Until then the
// change stays in the log, and nothing else is saved or read over it:
// a new change, a save and a verify each settle it first.
#include "screen/SaveSettlement.h"

#include <random>

#include "framework/Helpers.h"
#include "framework/LocalCache.h"
#include "packet/DataPacket.h"
#include "screen/Cli_ate11600.h"
#include "server/ServerMethods.h"
#include "toolkit/data/Abort.h"

namespace save_settlement {

SaveTicket NewSaveTicket(std::chrono::milliseconds callTimeout) {
  std::random_device random;
  std::uniform_int_distribution<int> digit(0, 15);
  SaveTicket ticket;
  for (int i = 0; i < 32; ++i) ticket.id += "0123456789abcdef"[digit(random)];
  const auto deadline = std::chrono::system_clock::now() + callTimeout;
  ticket.deadlineMs = static_cast<double>(
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline.time_since_epoch()).count());
  return ticket;
}

SaveFate FateOf(const framework::ServerAnswer& answer, const std::string& id) {
  if (!answer.ok) return SaveFate::Unknown;
  packet::DataPacket packet;
  try {
    packet = packet::DecodePacket(answer.resultJson);
  } catch (const packet::PacketError&) {
    return SaveFate::Unknown;  // an answer that is none is no answer
  }
  const int idField = packet.FieldIndex("IDGRAVACAO");
  const int situationField = packet.FieldIndex("IDSITUACAO");
  if (idField < 0 || situationField < 0 || packet.rows.size() != 1) return SaveFate::Unknown;
  const packet::Row& row = packet.rows.front();
  const auto* gotId = std::get_if<std::string>(&row[idField]);
  const auto* situation = std::get_if<std::string>(&row[situationField]);
  if (!gotId || *gotId != id || !situation) return SaveFate::Unknown;
  if (*situation == "G") return SaveFate::Stored;
  if (*situation == "D") return SaveFate::NotStored;
  return SaveFate::Unknown;
}

}  // namespace save_settlement

using save_settlement::SaveFate;

void TfrmPropPass::SaveWithIdentity() {
  // The log holds just that save's changes: every new change settled it.
  if (lostSave_) return SettleLostSave();
  const save_settlement::SaveTicket ticket = save_settlement::NewSaveTicket(framework::TNetConnection::CallTimeout());
  const framework::ServerAnswer answer =
      server::SetQtdePropServico(*netPropPass, cdsQtdePropServico->DeltaJson(), ticket.id, ticket.deadlineMs);
  if (answer.ok || !answer.answerLost) {
    framework::CheckResultServ(answer, true, 0);
    return;
  }
  lostSave_ = ticket.id;
  SettleLostSave();
}

void TfrmPropPass::SettleLostSave() {
  const SaveFate fate = save_settlement::FateOf(server::GetSituacaoGravacao(*netPropPass, *lostSave_), *lostSave_);
  struct Commands {
    TfrmPropPass& form;
    ~Commands() { form.ShowUnsentChanges(); }
  } commands{*this};
  switch (fate) {
    case SaveFate::Unknown:
      // Still unsettled: asked again by the next save, change or verify.
      framework::MensErro(msgPadrao->Msg("Grav_Incerta"), true);
      break;
    case SaveFate::NotStored: {
      lostSave_.reset();
      // The log may have been read over meanwhile (another service, another flight).
      std::string text = msgPadrao->Msg("Grav_Nao_Gravada");
      if (cdsQtdePropServico->ChangeCount() > 0) text += " " + msgPadrao->Msg("Grav_Na_Tela");
      framework::MensErro(text, true);
      break;
    }
    case SaveFate::Stored:
      lostSave_.reset();
      msgPadrao->ShowMsg("Grav_Gravada", framework::mtInformation, framework::mbOK, 0);
      if (cdsQtdePropServico->LogChanges()) cdsQtdePropServico->MergeChangeLog();
      SetEditLock(true);
      break;
  }
}

void TfrmPropPass::SettlePendingSave() {
  if (!lostSave_) return;
  SettleLostSave();
  framework::AtualizaLocalCache({"PROPSERVICO"});
}

void TfrmPropPass::cdsQtdePropServicoBeforeChange(toolkit::DataSet& /*dataSet*/) {
  if (!lostSave_) return;
  framework::WindowUpdateLock frozen(this);
  const std::vector<toolkit::Variant> service = CurrentServiceKey();
  const std::vector<toolkit::Variant> range{cdsQtdePropServicoQTPAXDE->AsString(),
                                            cdsQtdePropServicoQTPAXATE->AsString()};
  SettlePendingSave();
  // Stored: the lists are read again, and the change begun on the old ones
  // is dropped for the user to make again.
  ReturnTo(service, range);
  toolkit::Abort();
}
