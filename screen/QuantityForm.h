#pragma once
// "Quantidade por passageiros": what each service of a leg gets for the
// passenger count being typed, read again at every change of the count.
#include <functional>
#include <string>

#include "framework/ServerAnswer.h"
#include "screen/PlanningContext.h"
#include "toolkit/controls/Button.h"
#include "toolkit/controls/DBGrid.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/controls/Form.h"
#include "toolkit/controls/Label.h"
#include "toolkit/data/ClientDataSet.h"
#include "toolkit/data/DataSource.h"

namespace screen_tools {

class TfrmQtdeParaPax : public toolkit::Form {
 public:
  // Asks the server for a passenger count (as typed, a whole number from 1
  // to 9999).
  using Ask = std::function<framework::ServerAnswer(const std::string& passengers)>;

  explicit TfrmQtdeParaPax(toolkit::Component* owner = nullptr);

  // The leg shown and the way to ask; the count starts at the seats when
  // they are known.
  void Start(const PlanningContext& context, Ask ask);

  toolkit::Panel *panTopo, *panBotoes;
  toolkit::Label *lblContexto, *lblQtPax, *lblSituacao;
  toolkit::Edit* edtQtPax;
  toolkit::DBGrid* dbgQtdePax;
  toolkit::ClientDataSet* cdsQtdePax;
  toolkit::DataSource* dtsQtdePax;
  toolkit::Button* sbtFechar;

 private:
  // The list for the count in the entry; a count that cannot be asked, or
  // a failed call, empties it and says why beside the entry, so typing
  // goes on undisturbed.
  void Refresh();
  void Fill(const framework::ServerAnswer& answer);
  Ask ask_;
};

}  // namespace screen_tools
