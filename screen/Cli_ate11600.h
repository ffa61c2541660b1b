#pragma once
// Unit Cli_ate11600: the main screen "Proporção de Serviço por Passageiro"
// (ATE11600). It keeps, for one flight context (branch, airline, flight,
// leg), the services of the flight and the passenger ranges of each
// service, read from and saved to the application server.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/LookupButton.h"
#include "framework/NetConnection.h"
#include "framework/PadraoGrid.h"
#include "framework/Query.h"
#include "framework/ServerAnswer.h"
#include "screen/PlanningContext.h"
#include "toolkit/controls/ComboBox.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/controls/RangeBar.h"
#include "toolkit/data/ClientDataSet.h"

class TfrmPropPass : public framework::TfrmPadraoGrid {
 public:
  // Builds every component of the screen, owned by it and named, with its
  // handlers bound. Throws std::logic_error when the host has not opened
  // the general database (framework::dtmDBGeral), which the lookups use.
  explicit TfrmPropPass(toolkit::Component* owner = nullptr);

  // --- header --------------------------------------------------------------
  toolkit::Panel* panPlaVooCia;
  toolkit::Label *lblfilial, *lblCia, *Label1;
  toolkit::MaskEdit *edtfilial, *medSgCia, *medNrVoo;
  toolkit::Edit *edtNmfilial, *edtPrefixo, *edtEquip;
  framework::TBtnPesquisa *btnfilial, *btpSgCompanhia;
  toolkit::ComboBox* cbbTrecho;
  // --- data area -----------------------------------------------------------
  toolkit::Splitter* splQtdePropServico;
  toolkit::DBGrid* dbgQtdePropServico;
  // The range grid and, under it, the bar picturing its ranges up to the
  // seats of the header's leg.
  toolkit::Panel* panQtdePropServico;
  toolkit::RangeBar* rbrQtdePropServico;
  // --- client datasets and their fields --------------------------------------
  toolkit::ClientDataSet* cdsPropServico;
  toolkit::Field *cdsPropServicoCDARVPROD, *cdsPropServicoCDSERVICO, *cdsPropServicoNMPRODUTO,
      *cdsPropServicoSGCLASSE, *cdsPropServicoIDCICLO, *cdsPropServicoCDCIA, *cdsPropServicoNMCIA,
      *cdsPropServicoCDCLASSE, *cdsPropServicoCDCICLO, *cdsPropServicoCDFILIAL, *cdsPropServicoCDTRECHO,
      *cdsPropServicoNRVOO;
  toolkit::ClientDataSet* cdsQtdePropServico;
  toolkit::Field *cdsQtdePropServicoCDSERVICO, *cdsQtdePropServicoCDCIA, *cdsQtdePropServicoQTPAXDE,
      *cdsQtdePropServicoQTSERVICO, *cdsQtdePropServicoQTPAXATE, *cdsQtdePropServicoCDCICLO,
      *cdsQtdePropServicoCDFILIAL, *cdsQtdePropServicoCDCLASSE, *cdsQtdePropServicoNRVOO,
      *cdsQtdePropServicoCDTRECHO;
  toolkit::ClientDataSet* cdsCompanhia;
  toolkit::Field *cdsCompanhiaCDCIA, *cdsCompanhiaSGCIA, *cdsCompanhiaNMCIA, *cdsCompanhiaNRVOO,
      *cdsCompanhiaBASEORI, *cdsCompanhiaBASEDES, *cdsCompanhiaCDEQUIP, *cdsCompanhiaDSTRECHO,
      *cdsCompanhiaCDTRECHO, *cdsCompanhiaSGPREFIXO, *cdsCompanhiaSGEQUIP;
  toolkit::ClientDataSet* cdsListaTrecho;
  toolkit::Field *cdsListaTrechoCDTRECHO, *cdsListaTrechoDSTRECHO;
  toolkit::ClientDataSet *cdsValidaServ, *cdsMaiorPax, *cdsFindProp, *cdsTestaPropSe;
  toolkit::Field *cdsValidaServCDSERVICO, *cdsMaiorPaxMAXPAX, *cdsFindPropCONT, *cdsTestaPropSePAX;
  // --- lookups on the general database ---------------------------------------
  framework::TADOIBQuery *qryFilial, *qryClasse, *qryServicoCiaPesq, *qryCiclo;
  toolkit::Field *qryFilialCDFILIAL, *qryFilialNMFILIAL;
  toolkit::Field *qryClasseSGCLASSE, *qryClasseDSCLASSECIA, *qryClasseCDCLASSE;
  toolkit::Field *qryServicoCiaPesqCDARVPROD, *qryServicoCiaPesqCDCIA, *qryServicoCiaPesqCDPRODUTO,
      *qryServicoCiaPesqNMPRODUTO, *qryServicoCiaPesqSGCLASSE, *qryServicoCiaPesqIDCICLO;
  toolkit::Field *qryCicloCDCICLO, *qryCicloIDCICLO;
  // --- data sources and the server connection ------------------------------
  toolkit::DataSource *dtsQtdePropServico, *dtsCompanhia, *dtsServicoCiaPesq, *dtsFilial, *dtsClasse, *dtsCiclo;
  framework::TNetConnection* netPropPass;

  // --- lifecycle -----------------------------------------------------------
  // Connects to the application server (a refusal is shown, not thrown),
  // sets the product-code masks, fixes or frees the branch controls by the
  // branch mode and shows the host's branch.
  void FormCreate(toolkit::Control& sender) override;
  // Repaints; the first activation of the instance also loads the ranges of
  // the header's context (a failed load propagates and is retried by the
  // next activation).
  void FormActivate(toolkit::Control& sender);
  // After a connect that failed while the screen was created (the
  // failure was shown then), the first load and the header's loads wait
  // until the screen has been left once: the next activation makes it.
  void FormDeactivate(toolkit::Control& sender);
  // Clears boStCriado and disconnects; the base screen disposes of it.
  void FormClose(toolkit::Control& sender, toolkit::CloseAction& action) override;
  // Alt+Page Down / Alt+Page Up: the range grid / the service grid takes
  // the focus (when it can) and the key is consumed.
  void FormKeyDown(toolkit::Control& sender, toolkit::Word& key, toolkit::ShiftState shift) override;
  // The host's server port and address.
  void netPropPassBeforeConnect(framework::TNetConnection& sender);
  // The command rule while the range grid is in use: include in browse,
  // alter/delete/search/verify in browse with rows, cancel/confirm while
  // editing; every button follows its menu item.
  void HabilitaBotoes();

  // --- legs ------------------------------------------------------------------
  // The leg code ("COD") or description ("DES") at a position of the leg
  // list; "" for a closed or empty list or another selector.
  std::string SelecionaTrecho(int position, const std::string& selector);
  // The position of the first leg whose field equals the value, or -1.
  int RetornaIndiceTrecho(const std::string& fieldName, const std::string& value);

  // Below: the handlers of the header, the service list, the ranges and
  // the commands, each bound to its event by the form description.
  // --- header ----------------------------------------------------------------
  // Failures below are shown to the user and end the operation with a
  // silent EAbort, after the focus went to the entry to correct; a failed
  // server call is shown by CheckResultServ.
  //
  // The typed branch fitted to width 4 and looked up in qryFilial: the
  // stored code and its name are shown. Blank: FILI_NI when obligatory,
  // else nothing; unknown: FILI_NC. Any failure focuses edtfilial.
  void Vd_Filial(bool obligatory);
  // Clears the branch name and the airline (and so all that follows it).
  void edtfilialChange(toolkit::Control& sender);
  void edtfilialExit(toolkit::Control& sender);  // Vd_Filial(true)
  // Opens qryFilial over every branch for the pick list.
  void btnfilialBeforePesq(toolkit::Control& sender, bool& proceed);
  // Shows the picked branch's code, then its name.
  void btnfilialAfterPesq(toolkit::Control& sender);
  // Airline ("CIA") or flight ("VOO") against GetCompanhia, whose answer
  // is loaded into cdsCompanhia; obligatory "CIA" with an airline also
  // tests the flight. Messages Cia_Obr, Cia_Nao_Cad, Voo_Obr, Voo_Nao_Cad.
  // With a flight, prefix and equipment show the first row. Throws
  // std::invalid_argument for another kind.
  void Vd_Companhia(bool obligatory, const std::string& kind);
  // Clears flight (and so the legs), prefix and equipment.
  void medSgCiaChange(toolkit::Control& sender);
  void medSgCiaExit(toolkit::Control& sender);  // Vd_Companhia(false, "CIA")
  // Clears the offered legs (not cdsListaTrecho), prefix and equipment.
  void medNrVooChange(toolkit::Control& sender);
  // Vd_Companhia(false, "VOO"); then builds the legs unless some are
  // still offered. An airline the build refuses takes the focus first.
  void medNrVooExit(toolkit::Control& sender);
  // Loads every airline, flight and leg of the branch into cdsCompanhia.
  void btpSgCompanhiaBeforePesq(toolkit::Control& sender, bool& proceed);
  // Fills airline, flight, prefix and equipment from the picked row, builds
  // its legs and selects the picked one (none when it is not listed).
  void btpSgCompanhiaAfterPesq(toolkit::Control& sender);
  // Disables the record navigator and Include, and loads ranges and
  // services for the header as typed (not while the screen opens without
  // a connection).
  void panPlaVooCiaEnter(toolkit::Control& sender);
  // Validates branch, airline and flight, then loads the service lookup,
  // the services and the first service's ranges of that context.
  void panPlaVooCiaExit(toolkit::Control& sender);
  // The legs of the typed airline and flight, from cdsCompanhia in its
  // order, the first selected; cdsCompanhia is left unfiltered on the row
  // it was on, also on failure. Nothing happens while it is closed. A
  // single quote in airline or flight is refused with a message.
  void Preenche_Listaa_Trecho();

  // --- services --------------------------------------------------------------
  // Refusals below are shown through MensErro and end the operation with a
  // silent EAbort; a failed server call is shown by CheckResultServ.
  //
  // The typed product-tree code looked up among the airline's services
  // (qryServicoCiaPesq); found, the service row is filled from it and the
  // header. Blank: not_null_CDSERVICO when obligatory, else nothing;
  // unknown: serv_err. Needs cdsPropServico in insert or edit state.
  void Vd_CdServico(bool obligatory);
  // The row's class / cycle resolved for branch and airline: CDCLASSE and
  // SGCLASSE / IDCICLO and CDCICLO rewritten from the lookup. Blank:
  // CLASSE_NI / CICLO_NI when obligatory; unknown: CLASSE_NC / CICLO_NC.
  void Vd_SGCLASSE(bool obligatory);
  void Vd_IDCICLO(bool obligatory);
  // The search list of the airline's services, on the code column of a
  // service being inserted; a pick fills the row. Not_Serv when none.
  void dbgPadraoEditButtonClick(toolkit::Control& sender);
  // Entering the code column applies its rule: editable with an ellipsis
  // button while a service is inserted, else read-only without one.
  void dbgPadraoColEnter(toolkit::Control& sender);
  // Leaving the code column of a service being inserted looks it up
  // (a blank code passes).
  void dbgPadraoColExit(toolkit::Control& sender);
  // The base screen's handling, then upper case in the class column.
  void dbgPadraoKeyPress(toolkit::Control& sender, char32_t& key) override;
  void dbgPadraoExit(toolkit::Control& sender);
  // A service without ranges gets a range instead of a second service.
  void cdsPropServicoBeforeInsert(toolkit::DataSet& dataSet);
  void cdsPropServicoAfterInsert(toolkit::DataSet& dataSet);
  // The code must name a service of the airline not yet registered for
  // the flight (GetValidaServ); SERV_INV otherwise.
  void cdsPropServicoBeforePost(toolkit::DataSet& dataSet);
  // A stored service opens its first range (with the range grid focused
  // when it was not editing); not when a range's post stored it.
  void cdsPropServicoAfterPost(toolkit::DataSet& dataSet);
  // Drops every local change since the list was last loaded.
  void cdsPropServicoAfterCancel(toolkit::DataSet& dataSet);
  // A new range must have a valid upper bound before the service changes.
  void cdsPropServicoBeforeScroll(toolkit::DataSet& dataSet);
  // Loads the current service's ranges.
  void cdsPropServicoAfterScroll(toolkit::DataSet& dataSet);
  // A code cleared during an insert clears the name.
  void cdsPropServicoCDSERVICOChange(toolkit::Field& sender);
  // The command rule, the code column's rule, the range grid enabled while
  // there are services, the header enabled only while not editing.
  void dtsPadraoStateChange(toolkit::DataSource& sender) override;

  // --- ranges ----------------------------------------------------------------
  // The upper bound: required when obligatory (not_null_QTPAXATE), not
  // below the lower bound (PAXDE>PAXATE), at most 9999 (QTPAXATE_space).
  void Vd_QtPaxAte(bool obligatory);
  // A new range: upper bound, quantity (quant_serv_null), bounds not yet
  // stored (prop_exist), then its key fields filled. Every range whose
  // values changed: no collision with another (Qtde_Existe,
  // Interv_Existe). Then a service not yet stored is posted with it.
  void cdsQtdePropServicoBeforePost(toolkit::DataSet& dataSet);
  // The header closes while a range is open; the commands follow the grid
  // in use (HabilitaBotoes for the range grid, the service grid's rule).
  void dtsQtdePropServicoStateChange(toolkit::DataSource& sender);
  // A new range: airline controls locked, the lower bound one above the
  // service's highest stored upper bound (1 without ranges, GetMaiorPax),
  // the focus on the upper bound.
  void cdsQtdePropServicoAfterInsert(toolkit::DataSet& dataSet);
  // An edited range locks the airline controls.
  void cdsQtdePropServicoAfterEdit(toolkit::DataSet& dataSet);
  // Every unsaved range change is dropped; the airline controls unlock.
  void cdsQtdePropServicoAfterCancel(toolkit::DataSet& dataSet);
  // Before the range list takes a change (insert, edit, delete), a save
  // whose answer was lost is settled first (SettleLostSave); settling
  // drops the change begun, after its message, and a stored one reloads
  // both lists on the same service and range.
  void cdsQtdePropServicoBeforeChange(toolkit::DataSet& dataSet);
  // Sends the change log (SetQtdePropServico, "Atualizando Servidor..."),
  // merges it, refreshes the cached PROPSERVICO lookups, reloads both
  // lists and returns to the same service and range, in one repaint. A
  // failed send is shown and propagates; the change stays in the log. A
  // send whose answer was lost is settled with the server (SaveWithIdentity).
  void cdsQtdePropServicoAfterPost(toolkit::DataSet& dataSet);
  // Leaving a column of a new range checks its upper bound, not required.
  void dbgQtdePropServicoColExit(toolkit::Control& sender);
  // Entering the range grid stores a service being inserted.
  void dbgQtdePropServicoEnter(toolkit::Control& sender);
  // Gives the record navigator back (the header took it).
  void scbFolhaDadosEnter(toolkit::Control& sender);
  // The bounds of a stored range take no Delete and no character but
  // Enter; a new range's take anything.
  void dbgQtdePropServicoKeyDown(toolkit::Control& sender, toolkit::Word& key, toolkit::ShiftState shift);
  void dbgQtdePropServicoKeyPress(toolkit::Control& sender, char32_t& key);

  // --- commands ------------------------------------------------------------
  // Include: a range with the range grid focused, else a service (its code
  // column focused); only from browse.
  void sbtIncluirClick(toolkit::Control& sender) override;
  // Alter: the current range's quantity, in edit.
  void sbtAlterarClick(toolkit::Control& sender) override;
  // Confirm: a pending range is posted first when the range grid has the
  // focus; then the base screen's confirm.
  void sbtConfirmarClick(toolkit::Control& sender) override;
  // Verify: a save whose answer was lost is settled first (a save not
  // stored keeps its change on the screen and ends the verify); then both
  // lists read again, on the first service.
  void sbtVerificarClick(toolkit::Control& sender) override;
  // Delete, after Yes: in the service grid the service with all its
  // ranges, in the range grid the current range; sent at once, the list
  // read again, the focus on the code column.
  void sbtExcluirClick(toolkit::Control& sender) override;
  // Cancel, after Yes: the open range and service are abandoned with every
  // unsaved change; the list is read again where that may have changed it.
  void sbtCancelarClick(toolkit::Control& sender) override;
  // Print: an open range, then an open service, is cancelled with every
  // unsaved change, without asking; then the report screen opens
  // (CriaRelPropServPass) and the command returns when it closes.
  void sbtImprimirClick(toolkit::Control& sender) override;
  // Exit: with typed, unsaved values, only after Yes to "Cancelar
  // operação?"; then the base screen closes it.
  void sbtSairClick(toolkit::Control& sender) override;

  // --- safeguards of the flight context and of typed values ------------------
  // A cancelled airline pick list puts cdsCompanhia back as it was.
  void btpSgCompanhiaCancelPesq(toolkit::Control& sender);
  // A leg chosen in the combo box: grids of another context are emptied.
  void cbbTrechoChange(toolkit::Control& sender);
  // True while a range or a service is open with something typed in it.
  bool OpenRowTyped() const;
  // The same, or range changes whose save failed still in the log.
  bool TypedUnsaved() const;
  // True when no open row holds typed values, or the user agreed to drop
  // them ("Cancelar operação?").
  bool MayDropOpenRows() const;
  // After a failed or unsettled save: the command rule of the grid in use,
  // with Cancelar on while range changes wait in the log.
  void ShowUnsentChanges();
  // Range changes whose save failed or is unsettled, still in the log.
  bool UnsentRangeChanges() const;

  // --- planning tools (tools_menu.cpp) ---------------------------------------
  // The "Ferramentas" group; its items are disabled while a range or a
  // service is open.
  toolkit::MenuItem *mnuFerramentas, *mnuCobertura, *mnuQtdePax, *mnuCopiar, *mnuExportar, *mnuImportar,
      *mnuRelCobertura, *mnuHistorico;
  // The range grid's context menu: the history of the service on screen.
  toolkit::PopupMenu* popFaixas;
  toolkit::MenuItem* mnuFaixasHistorico;
  // The header validated as leaving it validates it (its messages, the
  // entry to correct focused, then a silent EAbort), with its leg's seats.
  screen_tools::PlanningContext ToolContext();
  // The same for branch and airline only (flight, leg and seats left
  // empty): an airline is required, a flight is not.
  screen_tools::PlanningContext AirlineToolContext();
  // The grids on that service of the header's context, the range grid
  // focused on the range that ends just before firstPax when there is one.
  void GoToService(const std::string& service, const std::string& serviceClass, const std::string& cycle,
                   int firstPax);
  // After a copy onto targets ("NRVOO/CDTRECHO;..."): the lists read again
  // when a leg of the flight on screen was among them.
  void CopyApplied(const std::string& targets);
  // After an import or a restore: the lists read again, on the same
  // service.
  void ImportApplied();
  // The service the grids show for the header's leg, "" when none.
  std::string ToolService() const;

 private:
  void BuildHeader();
  void BuildHeaderBranch();
  void BuildHeaderFlight();
  void BuildDataArea();
  void BuildServiceData();
  void BuildRangeData();
  void BuildFlightData();
  void BuildAnswerData();
  void BuildLookups();
  void BuildLookupSql();
  void BuildMessages();
  // The menu's ways to the grids and to the help, with their keys shown,
  // and the help text F1 shows.
  void BuildKeyboardMenu();
  void BuildToolsMenu();
  void EnableTools();
  std::vector<std::unique_ptr<toolkit::DataLink>> toolsLinks_;  // the editing state the tools follow
  // The range bar (range_bar.cpp): placed under the range grid, its seats
  // read again whenever the range list loads for a leg of another equipment.
  void BuildRangeBar();
  void FollowLegSeats();
  std::string HeaderEquipment() const;
  std::unique_ptr<toolkit::DataLink> rangeBarSeats_;
  std::optional<std::string> seatsEquipment_;  // whose seats the bar shows
  void BindHandlers();
  void BindDataSetHandlers();
  void ApplyBranchMode(bool bound);
  void LoadHostBranch();
  void AttachRangeStateChange();
  void LoadRanges();
  void RefuseEntry(toolkit::Control& entry, const char* key);
  // The answer through CheckResultServ into the dataset.
  static void LoadAnswer(toolkit::ClientDataSet& into, const framework::ServerAnswer& answer);
  bool FillLegList();
  // True when the text cannot go into the leg list's filter.
  static bool LegFilterRefuses(const std::string& text);
  void RestoreAirlineRow(const std::vector<toolkit::Variant>& row);
  // Services and ranges.
  void OpenServiceLookup(const std::string& code, bool everyService);
  static std::string ServiceLevel();
  void FillServiceRow();
  void ApplyCodeColumnRule();
  void RefuseRange(toolkit::Field& focus, const std::string& text);
  void CheckNewRange();
  bool RangeValuesChanged() const;
  void TestRangeCollision();
  void StoreServiceOfRange();
  bool postingServiceOfRange_ = false;
  // Range editing, saving and the commands.
  std::string ActiveControlName() const;
  void SetEditLock(bool enabled);
  bool StoredBoundSelected() const;
  std::vector<toolkit::Variant> CurrentServiceKey() const;
  // The send sequence: true when there was something to send.
  bool SendRangeChanges();
  // Sends the range log, then reads both lists again and returns to the
  // service and range the user was on.
  void SaveRangesAndReturn();
  void ReloadServices();
  // Verify, then back on the service and the range, the commands set anew.
  void ReturnTo(const std::vector<toolkit::Variant>& service, const std::vector<toolkit::Variant>& range);
  // Saves whose answer was lost (save_settlement.cpp).
  // Sends the change log with a fresh identity and deadline. Returns when
  // its changes are stored: answered so, or the answer lost and the server
  // says so. Otherwise the failure is shown and the operation aborted with
  // the changes kept in the log. A save still unsettled is settled instead.
  void SaveWithIdentity();
  // Asks the server what became of lostSave_ and tells the user. Stored:
  // forgotten, its changes merged, the airline controls unlocked, and
  // returns. Not stored: forgotten, the log kept; no answer: kept for the
  // next try; both abort after their message.
  void SettleLostSave();
  // SettleLostSave with the local cache refreshed; nothing without a lost
  // save.
  void SettlePendingSave();
  std::optional<std::string> lostSave_;  // identity of the save whose answer was lost
  void ReloadAndReturn(const std::vector<toolkit::Variant>& service);
  void DeleteService();
  void DeleteRange();
  // Safeguards (header_context.cpp, typed_values.cpp).
  struct FlightContext {
    std::string branch, airline, flight, leg;
    bool operator==(const FlightContext&) const = default;
  };
  FlightContext HeaderContext() const;
  // The grids now show the header's context.
  void GridsShowHeader() { gridsContext_ = HeaderContext(); }
  // Empties both grids when they show another context than the header's.
  void EmptyGridsOffHeader();
  // Puts cdsCompanhia on the header's airline, flight and leg (reloading
  // them from the server when absent); std::logic_error when the server
  // does not know them. Nothing while the header has no airline or flight.
  void OnHeaderFlight();
  bool RangeTyped() const;
  void RefuseFullService();
  // Yes to the catalogue's confirmation of that key.
  static bool Confirmed(const framework::TMessages& messages, const char* key);
  static constexpr double kMaxPassengers = 9999;  // highest upper bound of a range
  // Range grid focused with the service grid's exit held off (a move off a
  // service is under way there).
  void FocusRangeGrid(toolkit::Field& field);
  void CheckServiceQuantity();
  void LeaveRangeBeforeServiceMove();
  // The ranges of the current service; a failed load leaves the list empty.
  void LoadServiceRanges();
  FlightContext gridsContext_;
  std::optional<packet::DataPacket> airlineBeforePick_;
  std::vector<toolkit::Variant> airlineRowBeforePick_;
  std::string proposedPaxDe_;
  bool connectFailed_ = false;
};

// The module's exports, with C linkage so that the host finds them by name.
// CriaProporServPass creates the screen once (boStCriado), shows it with
// its window state restored and focuses the airline code; an error of the
// creation or of the first activation propagates. IniProc calls it.
extern "C" {
extern TfrmPropPass* frmPropPass;
extern bool boStCriado;
extern bool boActive;
void CriaProporServPass();
void IniProc();
}

// Unit start-up and shut-down, run by the package's Initialize/Finalize.
void Cli_ate11600_Initialization();
void Cli_ate11600_Finalization();
