#pragma once
// "Cobertura do trecho": the passenger counts each service of a leg leaves
// without a quantity, one line a hole, and the hole the user picks.
#include <optional>
#include <string>

#include "packet/DataPacket.h"
#include "screen/PlanningContext.h"
#include "toolkit/controls/Button.h"
#include "toolkit/controls/DBGrid.h"
#include "toolkit/controls/Form.h"
#include "toolkit/controls/Label.h"
#include "toolkit/data/ClientDataSet.h"
#include "toolkit/data/DataSource.h"

namespace screen_tools {

struct PickedHole {
  std::string service, serviceClass, cycle;  // CDSERVICO, CDCLASSE, CDCICLO
  int firstPax = 0;                          // the hole's lower bound
};

class TfrmCoberturaTrecho : public toolkit::Form {
 public:
  explicit TfrmCoberturaTrecho(toolkit::Component* owner = nullptr);

  // Shows the holes of GetCoberturaProp's answer for the context. Without
  // any, says that every service covers 1 to coveredTo (the seats, or the
  // ranges' reach without them) or, with coveredTo unknown, that the leg
  // has no ranges. Throws packet::PacketError for an answer without the
  // method's fields.
  void Show(const PlanningContext& context, const packet::DataPacket& holes, std::optional<int> coveredTo);
  // The hole picked with a double click, Enter or "Ir ao serviço", once the
  // form closed so.
  const std::optional<PickedHole>& Picked() const { return picked_; }

  toolkit::Panel *panTopo, *panBotoes;
  toolkit::Label *lblContexto, *lblResumo;
  toolkit::DBGrid* dbgCobertura;
  toolkit::ClientDataSet* cdsCobertura;
  toolkit::DataSource* dtsCobertura;
  toolkit::Button *sbtIrServico, *sbtFechar;

 private:
  void PickCurrent();
  std::optional<PickedHole> picked_;
};

// "Café da manhã econômico: sem quantidade de 21 a 30 passageiros".
std::string HoleText(const std::string& service, int from, int to);

}  // namespace screen_tools
