#pragma once
// "Histórico das proporções": the stored changes of the leg's ranges,
// newest first, a page at a time as the person scrolls, for one service
// or all and within a period; the values a change altered stand out.
// "Restaurar" on a change previews what brings that service's ranges back
// to how they were just before it; "Confirmar restauração" stores it as
// any save is stored, so every rule and conflict check applies and the
// restore is itself logged.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "framework/ServerAnswer.h"
#include "screen/PlanningContext.h"
#include "screen/RestorePlan.h"
#include "toolkit/controls/Button.h"
#include "toolkit/controls/ComboBox.h"
#include "toolkit/controls/DBGrid.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/controls/Form.h"
#include "toolkit/controls/Label.h"
#include "toolkit/data/ClientDataSet.h"
#include "toolkit/data/DataSource.h"

namespace screen_tools {

// The server calls the form makes, for its leg.
struct HistoryCalls {
  // A page of the log: service ("" all), period as UTC texts ("" open),
  // rows below the log id before ("" from the newest).
  std::function<framework::ServerAnswer(const std::string& service, const std::string& from, const std::string& to,
                                        int pageSize, const std::string& before)>
      page;
  // The service's stored ranges, every class and cycle.
  std::function<framework::ServerAnswer(const std::string& service)> ranges;
  // Stores a change log (SetQtdePropServico).
  std::function<framework::ServerAnswer(const std::string& changeLog)> save;
};

class TfrmHistoricoProp : public toolkit::Form {
 public:
  static constexpr int kPageRows = 50;

  explicit TfrmHistoricoProp(toolkit::Component* owner = nullptr);

  // The leg, its services for the filter, the one listed first ("" for
  // all) and the calls; reads the first page.
  void Start(const PlanningContext& leg, std::vector<ServiceChoice> services, const std::string& service,
             HistoryCalls calls);
  // A restore was stored.
  bool Restored() const { return restored_; }

  toolkit::Panel *panTopo, *panAcoes;
  toolkit::Label *lblContexto, *lblServico, *lblPeriodo, *lblAte, *lblContagem, *lblResumo;
  toolkit::ComboBox* cbbServico;
  toolkit::MaskEdit *medDe, *medAte;
  toolkit::Button *sbtFiltrar, *sbtRestaurar, *sbtConfirmar, *sbtFechar;
  toolkit::DBGrid *dbgHistorico, *dbgPrevia;
  toolkit::ClientDataSet *cdsHistorico, *cdsPrevia;
  toolkit::DataSource *dtsHistorico, *dtsPrevia;

 private:
  // One listed change, as read.
  struct Entry {
    double id = 0;
    char op = 'I';
    std::string service, serviceText, when;
    std::optional<StoredRange> before, after;
  };

  void BuildFilters();
  void BuildLists();
  void BindHandlers();
  // The list again from the newest, with the filters as they stand.
  void Reload();
  // The next page below the last row listed, the cursor left where it is.
  void ReadMore();
  packet::Row ListRow(const Entry& entry, const std::string& user, const std::string& operation) const;
  void ShowCount();
  bool Marked(int row, int column) const;
  std::string Service() const;
  std::string ServiceText(const std::string& code, const std::string& name) const;

  // history_restore.cpp
  void Preview();
  void Confirm();
  void PreviewStale();
  std::vector<StoredRange> StoredRanges(const std::string& service) const;
  // The service's log from the newest change down to the one with that id.
  std::vector<RangeLogStep> StepsDownTo(const std::string& service, double id) const;
  void ShowPlan(const Entry& entry);

  PlanningContext leg_;
  std::vector<ServiceChoice> services_;
  HistoryCalls calls_;
  std::vector<Entry> entries_;
  std::string from_, to_;  // the period listed, UTC
  std::string filterService_;
  bool more_ = false, reading_ = false, restored_ = false;
  // The restore previewed: the ranges it was built on and what it changes.
  std::string planService_, planText_;
  std::vector<StoredRange> planBase_;
  RestorePlan plan_;
};

// The range in the row's columns QTPAXDE<suffix> .. QTSERVICO<suffix>
// (of a log row's "_OLD" or "_NEW" side, or of a stored range for ""),
// nullopt when the side is empty.
std::optional<StoredRange> LogSide(toolkit::DataSet& rows, const std::string& suffix);

}  // namespace screen_tools
