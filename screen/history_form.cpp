#include "framework/Helpers.h"
#include "screen/FormParts.h"
#include "screen/HistoryForm.h"
#include "screen/LogDates.h"
#include "screen/ToolList.h"
#include "toolkit/controls/Application.h"
#include "toolkit/controls/DialogService.h"
#include "toolkit/data/FloatText.h"

namespace screen_tools {

using namespace screen_form;

namespace {

// What was typed in a date entry, its blanks left out; "" when no digit.
std::string Typed(const toolkit::MaskEdit& edit) {
  std::string text;
  bool digit = false;
  for (char c : edit.Text()) {
    if (c == ' ') continue;
    digit = digit || (c >= '0' && c <= '9');
    text.push_back(c);
  }
  return digit ? text : "";
}

std::optional<std::string> OptionalText(const toolkit::Field& f) {
  if (f.IsNull()) return std::nullopt;
  return f.AsString();
}

}  // namespace

std::optional<StoredRange> LogSide(toolkit::DataSet& rows, const std::string& suffix) {
  toolkit::Field& from = rows.FieldByName("QTPAXDE" + suffix);
  if (from.IsNull()) return std::nullopt;
  StoredRange r;
  r.from = from.AsFloat();
  r.to = rows.FieldByName("QTPAXATE" + suffix).AsFloat();
  r.serviceClass = OptionalText(rows.FieldByName("CDCLASSE" + suffix));
  r.cycle = OptionalText(rows.FieldByName("CDCICLO" + suffix));
  toolkit::Field& quantity = rows.FieldByName("QTSERVICO" + suffix);
  if (!quantity.IsNull()) r.quantity = quantity.AsFloat();
  return r;
}

namespace {

// The listed columns, before and after, in the list's order.
const char* const kSides[][3] = {{"DSFAIXA_OLD", "DSQTDE_OLD", "DSCLASSE_OLD"},
                                 {"DSFAIXA_NEW", "DSQTDE_NEW", "DSCLASSE_NEW"}};

}  // namespace

TfrmHistoricoProp::TfrmHistoricoProp(toolkit::Component* owner) : Form(owner) {
  SetName("frmHistoricoProp");
  SetCaption("Histórico das proporções");
  SetBounds(0, 0, 1090, 580);
  SetKeyPreview(true);
  BuildFilters();
  BuildLists();
  BindHandlers();
}

void TfrmHistoricoProp::BuildFilters() {
  panTopo = Place<toolkit::Panel>(this, "panTopo", this);
  panTopo->SetAlign(toolkit::Align::alTop);
  panTopo->SetHeight(62);
  lblContexto = Place<toolkit::Label>(this, "lblContexto", panTopo);
  lblContexto->SetBounds(8, 6, 600, 17);
  lblContexto->SetBold(true);
  lblContagem = Place<toolkit::Label>(this, "lblContagem", panTopo);
  lblContagem->SetBounds(760, 6, 320, 17);
  lblServico = Place<toolkit::Label>(this, "lblServico", panTopo);
  lblServico->SetCaption("Serviço:");
  lblServico->SetBounds(8, 36, 56, 17);
  cbbServico = Place<toolkit::ComboBox>(this, "cbbServico", panTopo);
  cbbServico->SetBounds(66, 33, 330, 21);
  lblPeriodo = Place<toolkit::Label>(this, "lblPeriodo", panTopo);
  lblPeriodo->SetCaption("Período:");
  lblPeriodo->SetBounds(412, 36, 56, 17);
  medDe = Place<toolkit::MaskEdit>(this, "medDe", panTopo);
  medDe->SetEditMask("99/99/9999;1; ");
  medDe->SetBounds(470, 33, 86, 21);
  lblAte = Place<toolkit::Label>(this, "lblAte", panTopo);
  lblAte->SetCaption("a");
  lblAte->SetBounds(562, 36, 12, 17);
  medAte = Place<toolkit::MaskEdit>(this, "medAte", panTopo);
  medAte->SetEditMask("99/99/9999;1; ");
  medAte->SetBounds(578, 33, 86, 21);
  sbtFiltrar = Place<toolkit::Button>(this, "sbtFiltrar", panTopo);
  sbtFiltrar->SetCaption("Filtrar");
  sbtFiltrar->SetBounds(672, 32, 72, 24);
}

void TfrmHistoricoProp::BuildLists() {
  const ToolList history = MakeToolList(
      this, "Historico", this,
      {{"DSDATA", 19, "Data e hora", 140}, {"NMUSUARIO", 64, "Usuário", 80}, {"DSOPERACAO", 12, "Operação", 80},
       {"DSSERVICO", 70, "Serviço", 200}, {"DSFAIXA_OLD", 24, "Faixa antes", 80}, {"DSQTDE_OLD", 12, "Qtde antes", 70},
       {"DSCLASSE_OLD", 12, "Classe/ciclo antes", 70}, {"DSFAIXA_NEW", 24, "Faixa depois", 80},
       {"DSQTDE_NEW", 12, "Qtde depois", 70}, {"DSCLASSE_NEW", 12, "Classe/ciclo depois", 70}});
  cdsHistorico = history.data;
  dtsHistorico = history.source;
  dbgHistorico = history.grid;
  dbgHistorico->SetAlign(toolkit::Align::alTop);
  dbgHistorico->SetHeight(300);

  panAcoes = Place<toolkit::Panel>(this, "panAcoes", this);
  panAcoes->SetAlign(toolkit::Align::alTop);
  panAcoes->SetHeight(32);
  sbtRestaurar = Place<toolkit::Button>(this, "sbtRestaurar", panAcoes);
  sbtRestaurar->SetCaption("Restaurar");
  sbtRestaurar->SetBounds(8, 4, 84, 24);
  sbtConfirmar = Place<toolkit::Button>(this, "sbtConfirmar", panAcoes);
  sbtConfirmar->SetCaption("Confirmar restauração");
  sbtConfirmar->SetBounds(96, 4, 150, 24);
  sbtFechar = Place<toolkit::Button>(this, "sbtFechar", panAcoes);
  sbtFechar->SetCaption("Fechar");
  sbtFechar->SetBounds(250, 4, 72, 24);
  lblResumo = Place<toolkit::Label>(this, "lblResumo", panAcoes);
  lblResumo->SetBounds(330, 8, 752, 17);

  const ToolList preview =
      MakeToolList(this, "Previa", this,
                   {{"DSACAO", 10, "Ação", 80}, {"DSFAIXA", 24, "Faixa", 90}, {"DSQTDE_ATUAL", 12, "Qtde atual", 80},
                    {"DSQTDE_NOVA", 12, "Qtde restaurada", 100}, {"DSCLASSE_ATUAL", 12, "Classe/ciclo atual", 110},
                    {"DSCLASSE_NOVA", 12, "Classe/ciclo restaurada", 130}});
  cdsPrevia = preview.data;
  dtsPrevia = preview.source;
  dbgPrevia = preview.grid;
  dbgPrevia->SetAlign(toolkit::Align::alClient);
}

void TfrmHistoricoProp::BindHandlers() {
  using C = toolkit::Control;
  dbgHistorico->CellMarked = [this](int row, int column) { return Marked(row, column); };
  dbgHistorico->OnLastRowShown = [this](C&) { ReadMore(); };
  // The cursor on the last row listed reads the next page, as scrolling
  // there does.
  cdsHistorico->AfterScroll = [this](toolkit::DataSet& d) {
    if (reading_) return;
    PreviewStale();
    if (d.RecNo() == d.RecordCount()) ReadMore();
  };
  cbbServico->OnChange = [this](C&) { Reload(); };
  sbtFiltrar->OnClick = [this](C&) { Reload(); };
  sbtRestaurar->OnClick = [this](C&) { Preview(); };
  sbtConfirmar->OnClick = [this](C&) { Confirm(); };
  sbtFechar->OnClick = [this](C&) { SetModalResult(toolkit::mrCancel); };
  OnShow = [this](C&) { dbgHistorico->SetFocus(); };
  OnKeyDown = [this](C&, toolkit::Word& key, toolkit::ShiftState shift) {
    if (shift != 0) return;
    if (key == toolkit::VK_ESCAPE) {
      SetModalResult(toolkit::mrCancel);
    } else if (key == toolkit::VK_RETURN && (ActiveControl() == medDe || ActiveControl() == medAte)) {
      Reload();
    } else {
      return;
    }
    key = 0;
  };
}

void TfrmHistoricoProp::Start(const PlanningContext& leg, std::vector<ServiceChoice> services,
                              const std::string& service, HistoryCalls calls) {
  leg_ = leg;
  calls_ = std::move(calls);
  services_ = std::move(services);
  lblContexto->SetCaption(leg.Describe());
  std::vector<std::string> items{"Todos os serviços"};
  int chosen = 0;
  for (std::size_t i = 0; i < services_.size(); ++i) {
    items.push_back(services_[i].text);
    if (services_[i].code == service) chosen = static_cast<int>(i) + 1;
  }
  cbbServico->SetItems(std::move(items));
  cbbServico->SetItemIndex(chosen);
  PreviewStale();
  Reload();
}

std::string TfrmHistoricoProp::Service() const {
  const int i = cbbServico->ItemIndex();
  return i >= 1 && i <= static_cast<int>(services_.size()) ? services_[i - 1].code : "";
}

void TfrmHistoricoProp::Reload() {
  const std::string typedFrom = Typed(*medDe), typedTo = Typed(*medAte);
  std::optional<std::string> from, to;
  if (!typedFrom.empty() && !(from = UtcStartOf(typedFrom))) {
    medDe->SetFocus();
    framework::MensErro("Data inicial inválida: " + typedFrom + ".");
  }
  if (!typedTo.empty() && !(to = UtcStartOf(typedTo, true))) {
    medAte->SetFocus();
    framework::MensErro("Data final inválida: " + typedTo + ".");
  }
  if (from && to && *from >= *to) {
    medDe->SetFocus();
    framework::MensErro("A data inicial deve ser igual ou anterior à final.");
  }
  from_ = from.value_or("");
  to_ = to.value_or("");
  filterService_ = Service();
  entries_.clear();
  reading_ = true;
  cdsHistorico->Close();
  cdsHistorico->CreateDataSet();
  reading_ = false;
  more_ = true;
  PreviewStale();
  ReadMore();
}

void TfrmHistoricoProp::ReadMore() {
  if (!more_ || reading_) return;
  const std::string before = entries_.empty() ? "" : toolkit::FloatToText(entries_.back().id);
  toolkit::ClientDataSet rows;
  rows.SetData(
      framework::CheckResultServ(calls_.page(filterService_, from_, to_, kPageRows, before), true, HelpContext()));
  // Added after the rows listed, the cursor and the view left where the
  // person has them.
  packet::DataPacket page;
  for (int i = 0; i < cdsHistorico->FieldCount(); ++i) {
    const toolkit::Field& f = cdsHistorico->Fields(i);
    page.fields.push_back({f.FieldName(), f.DataType(), f.Size()});
  }
  for (rows.First(); !rows.Eof(); rows.Next()) {
    Entry e;
    e.id = rows.FieldByName("IDLOG").AsFloat();
    const std::string op = rows.FieldByName("IDOPERACAO").AsString();
    e.op = op.empty() ? 'I' : op[0];
    e.service = rows.FieldByName("CDSERVICO").AsString();
    e.serviceText = ServiceText(e.service, rows.FieldByName("NMPRODUTO").AsString());
    e.when = LocalTimeText(rows.FieldByName("DTLOG").AsString());
    e.before = LogSide(rows, "_OLD");
    e.after = LogSide(rows, "_NEW");
    page.rows.push_back(ListRow(e, rows.FieldByName("NMUSUARIO").AsString(), rows.FieldByName("DSOPERACAO").AsString()));
    entries_.push_back(std::move(e));
  }
  more_ = static_cast<int>(page.rows.size()) == kPageRows;
  reading_ = true;
  cdsHistorico->AppendData(std::move(page));
  reading_ = false;
  ShowCount();
}

// As the service filter names it; a service no longer on the leg by its
// code and product name.
std::string TfrmHistoricoProp::ServiceText(const std::string& code, const std::string& name) const {
  for (const ServiceChoice& s : services_)
    if (s.code == code) return s.text;
  return name.empty() ? code : code + "  " + name;
}

// The entry in the list's field order.
packet::Row TfrmHistoricoProp::ListRow(const Entry& e, const std::string& user, const std::string& operation) const {
  std::vector<std::pair<const char*, std::string>> texts{
      {"DSDATA", e.when}, {"NMUSUARIO", user}, {"DSOPERACAO", operation}, {"DSSERVICO", e.serviceText}};
  for (int side = 0; side < 2; ++side) {
    const std::optional<StoredRange>& r = side ? e.after : e.before;
    texts.push_back({kSides[side][0], RangeText(r)});
    texts.push_back({kSides[side][1], QuantityText(r)});
    texts.push_back({kSides[side][2], ClassCycleText(r)});
  }
  packet::Row row(cdsHistorico->FieldCount());
  for (const auto& [field, text] : texts) row[cdsHistorico->FieldByName(field).Index()] = text;
  return row;
}

void TfrmHistoricoProp::ShowCount() {
  const std::size_t n = entries_.size();
  if (n == 0)
    lblContagem->SetCaption("Nenhuma alteração registrada.");
  else if (more_)
    lblContagem->SetCaption(std::to_string(n) + " alterações mostradas; role para ver mais.");
  else
    lblContagem->SetCaption(n == 1 ? "1 alteração." : std::to_string(n) + " alterações.");
  sbtRestaurar->SetEnabled(n > 0);
}

// What a change altered: all it wrote (inclusion), all it took away
// (exclusion), or each value that differs on both sides.
bool TfrmHistoricoProp::Marked(int row, int column) const {
  if (row < 0 || row >= static_cast<int>(entries_.size()) || column < 0) return false;
  const Entry& e = entries_[row];
  const std::string field = dbgHistorico->Columns(column).FieldName();
  for (int side = 0; side < 2; ++side)
    for (int k = 0; k < 3; ++k) {
      if (field != kSides[side][k]) continue;
      const std::optional<StoredRange>& mine = side ? e.after : e.before;
      const std::optional<StoredRange>& other = side ? e.before : e.after;
      if (!mine) return false;
      if (!other) return true;
      if (k == 0) return RangeText(mine) != RangeText(other);
      if (k == 1) return QuantityText(mine) != QuantityText(other);
      return ClassCycleText(mine) != ClassCycleText(other);
    }
  return false;
}

}  // namespace screen_tools
