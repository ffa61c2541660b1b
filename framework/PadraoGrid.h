#pragma once
// The standard grid screen: a command bar with its maintenance menu, a
// page holding the data area and its grid, a navigator panel, the grid's
// data source and two message lists. Screens derive from it, build their
// own components in their constructor and replace the virtual handlers
// they need (calling the base first or last where they extend it).
//
// Command rule for dtsPadrao (buttons and their menu items):
//   browse: Incluir; Alterar, Excluir, Procurar, Verificar and sbtImprimir
//           when the dataset holds rows;
//   edit or insert: only Cancelar and Confirmar;
//   inactive: all off. sbtSair is never governed.
// Keys F2 Incluir, F3 Alterar, F4 Excluir, F5 Verificar, F6 Procurar,
// F7 Imprimir, F8 Cancelar, F9 Confirmar click their button while it is
// enabled.
#include "framework/Messages.h"
#include "toolkit/controls/Button.h"
#include "toolkit/controls/Container.h"
#include "toolkit/controls/DBGrid.h"
#include "toolkit/controls/DBNavigator.h"
#include "toolkit/controls/Form.h"
#include "toolkit/controls/Label.h"
#include "toolkit/controls/Menu.h"
#include "toolkit/data/DataSource.h"

namespace framework {

class TfrmPadraoGrid : public toolkit::Form {
 public:
  explicit TfrmPadraoGrid(toolkit::Component* owner = nullptr);
  ~TfrmPadraoGrid() override;

  // Command bar.
  toolkit::Panel* panMenu;
  toolkit::Button *sbtIncluir, *sbtAlterar, *sbtExcluir, *sbtProcurar, *sbtVerificar, *sbtCancelar,
      *sbtConfirmar, *sbtImprimir, *sbtSair;
  toolkit::Label* lblCodTela;
  // Menu bar: mnuManutencao holds the seven maintenance commands, each with
  // its key shown, then Imprimir and Sair, as on the button bar.
  toolkit::MainMenu* mnuPrincipal;
  toolkit::MenuItem *mnuManutencao, *mnuIncluir, *mnuAlterar, *mnuExcluir, *mnuProcurar, *mnuVerificar,
      *mnuCancelar, *mnuConfirmar, *mnuImprimir, *mnuSair;
  // Data area.
  toolkit::PageControl* pgcPadrao;
  toolkit::TabSheet* tshPadrao;
  toolkit::ScrollBox* scbFolhaDados;
  toolkit::DBGrid* dbgPadrao;
  // Navigator panel.
  toolkit::Panel* panNavigator;
  toolkit::DBText* dbtNome;
  toolkit::DBNavigator* dbnPadrao;
  // Data and messages.
  toolkit::DataSource* dtsPadrao;
  TMessages* msgPadrao;
  // Excl "Confirma exclusão?", Canc "Cancelar operação?",
  // Cia_Nao_Cad "Companhia não cadastrada.".
  TMessages* msgMensagensPadroes;

  // --- handlers screens replace -------------------------------------------
  // Applies the command rule for the current state of dtsPadrao.
  virtual void FormCreate(toolkit::Control& sender);
  // Disposes of the form (caFree).
  virtual void FormClose(toolkit::Control& sender, toolkit::CloseAction& action);
  // The function keys of the commands; a handled key is set to 0.
  virtual void FormKeyDown(toolkit::Control& sender, toolkit::Word& key, toolkit::ShiftState shift);
  // Enter in the grid moves to the next column (the character is consumed).
  virtual void dbgPadraoKeyPress(toolkit::Control& sender, char32_t& key);
  // The command rule.
  virtual void dtsPadraoStateChange(toolkit::DataSource& sender);

  // Commands, each on the dataset of dtsPadrao.
  virtual void sbtIncluirClick(toolkit::Control& sender);    // insert, focus the grid
  virtual void sbtAlterarClick(toolkit::Control& sender);    // edit, focus the grid
  virtual void sbtExcluirClick(toolkit::Control& sender);    // confirm Excl, delete
  virtual void sbtProcurarClick(toolkit::Control& sender);   // pick list over the visible fields
  virtual void sbtVerificarClick(toolkit::Control& sender);  // post pending, read the rows again
  virtual void sbtCancelarClick(toolkit::Control& sender);   // confirm Canc, cancel
  virtual void sbtConfirmarClick(toolkit::Control& sender);  // post when editing
  virtual void sbtImprimirClick(toolkit::Control& sender);   // no report in the base screen
  virtual void sbtSairClick(toolkit::Control& sender);       // close the screen

 protected:
  // The command rule itself, for screens that need it without the rest of
  // their state-change handling.
  void ApplyCommandRule();
  // The dataset of dtsPadrao, or nullptr.
  toolkit::DataSet* GridDataSet() const;

 private:
  void BuildCommandBar();
  void BuildMenu();
  void BuildDataArea();
  void BindHandlers();
  void SetCommand(toolkit::Button* button, toolkit::MenuItem* item, bool enabled);
};

}  // namespace framework
