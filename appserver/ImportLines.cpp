#include "appserver/ImportLines.h"

#include <charconv>
#include <cmath>
#include <string_view>

#include "appserver/RangeRules.h"
#include "appserver/Replies.h"
#include "appserver/Statement.h"

namespace appserver {

namespace {

enum Column { kFilial, kCia, kVoo, kTrecho, kArvProd, kClasse, kCiclo, kPaxDe, kPaxAte, kQtde, kColumns };

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool AllDigits(std::string_view s) { return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos; }

// Digits without their leading zeros ("0" stays); other codes as they are.
std::string_view Loose(std::string_view s) {
  if (!AllDigits(s)) return s;
  while (s.size() > 1 && s.front() == '0') s.remove_prefix(1);
  return s;
}

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

// A value read, clipped, for a message.
std::string Quoted(std::string_view value) { return "\"" + std::string(ClipText(value, 30)) + "\""; }

// Optional minus, digits, optional decimal comma and digits.
std::optional<double> ParseNumber(std::string_view s) {
  std::string text(s);
  const std::size_t comma = text.find(',');
  if (comma != std::string::npos) text[comma] = '.';
  const std::size_t digits = text.starts_with('-') ? 1 : 0;
  if (text.size() == digits || text.find_first_not_of("0123456789.", digits) != std::string::npos ||
      text[digits] == '.' || text.back() == '.' || text.find('.') != text.rfind('.'))
    return std::nullopt;
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

class LineChecker {
 public:
  explicit LineChecker(const ImportReferences& refs) : refs_(refs) {
    for (const LegCode& leg : refs.legs)
      loose_.try_emplace({std::string(Loose(leg.flight)), std::string(Loose(leg.leg))}, leg);
  }

  // Fills out and answers "" for a sound line, else why it is not.
  std::string Check(const CsvRow& in, ImportLine& out) const {
    if (in.fields.size() != kColumns)
      return "A linha tem " + std::to_string(in.fields.size()) + " colunas; são esperadas " + std::to_string(kColumns) +
             ", separadas por ponto e vírgula.";
    const auto field = [&](Column c) { return Trimmed(in.fields[c]); };
    if (Loose(field(kFilial)) != Loose(refs_.branch))
      return "Filial " + Quoted(field(kFilial)) + " diferente da filial " + refs_.branch + " da importação.";
    if (Upper(field(kCia)) != Upper(refs_.airlineShort) && Loose(field(kCia)) != Loose(refs_.airline))
      return "Companhia " + Quoted(field(kCia)) + " diferente da companhia " + refs_.airlineShort + " da importação.";
    const LegCode* leg = FindLeg(field(kVoo), field(kTrecho));
    if (!leg)
      return "Vôo " + Quoted(field(kVoo)) + ", trecho " + Quoted(field(kTrecho)) +
             " não cadastrado para a filial e a companhia.";
    const auto service = refs_.services.find(std::string(field(kArvProd)));
    if (service == refs_.services.end())
      return "Serviço " + Quoted(field(kArvProd)) + " não cadastrado como serviço da companhia.";
    std::optional<std::string> classe = service->second.classe, ciclo = service->second.ciclo;
    if (!field(kClasse).empty() && !(classe = Code(refs_.classes, field(kClasse))))
      return "Classe " + Quoted(field(kClasse)) + " não cadastrada.";
    if (!field(kCiclo).empty() && !(ciclo = Code(refs_.cycles, field(kCiclo))))
      return "Ciclo " + Quoted(field(kCiclo)) + " não cadastrado.";
    std::optional<double> de, ate, quantity;
    if (auto why = Whole(field(kPaxDe), kPaxDe, de)) return *why;
    if (auto why = Whole(field(kPaxAte), kPaxAte, ate)) return *why;
    if (!field(kQtde).empty() && !(quantity = ParseNumber(field(kQtde))))
      return ImportHeader()[kQtde] + " " + Quoted(field(kQtde)) + " não é um número.";
    if (auto why = BoundsProblem(de, ate, std::nullopt)) return *why;
    if (quantity && (*quantity < 0 || *quantity > kMaxQuantity))
      return "A quantidade de serviço deve estar entre 0 e " + NumberText(kMaxQuantity) +
             " (informado: " + NumberText(*quantity) + ").";
    out.line = in.line;
    out.tree = service->first;
    out.row = {refs_.branch, refs_.airline, leg->flight, leg->leg, service->second.code,
               de,           ate,           classe,      ciclo,    quantity};
    return {};
  }

 private:
  const LegCode* FindLeg(std::string_view flight, std::string_view leg) const {
    const auto exact = refs_.legs.find({std::string(flight), std::string(leg)});
    if (exact != refs_.legs.end()) return &*exact;
    const auto loose = loose_.find({std::string(Loose(flight)), std::string(Loose(leg))});
    return loose == loose_.end() ? nullptr : &loose->second;
  }

  static std::optional<std::string> Code(const std::map<std::string, std::string>& codes, std::string_view given) {
    const auto it = codes.find(Upper(given));
    return it == codes.end() ? std::nullopt : std::optional(it->second);
  }

  static std::optional<std::string> Whole(std::string_view text, Column c, std::optional<double>& value) {
    value = ParseNumber(text);
    if (!value) return ImportHeader()[c] + " " + Quoted(text) + " não é um número.";
    if (*value != std::floor(*value)) return ImportHeader()[c] + " " + Quoted(text) + " não é um número inteiro.";
    return std::nullopt;
  }

  const ImportReferences& refs_;
  std::map<LegCode, LegCode> loose_;
};

// The ranges of one service of a leg taken so far, which never overlap.
struct Taken {
  double ate = 0;
  std::size_t line = 0;
};

std::string ServiceKey(const PropRow& r) { return r.voo + '\x1f' + r.trecho + '\x1f' + r.servico; }

// Why a sound line clashes with an earlier one of its leg and service, or "".
std::string Clash(std::map<double, Taken>& taken, const ImportLine& l) {
  const double de = *l.row.de, ate = *l.row.ate;
  auto it = taken.upper_bound(ate);
  if (it != taken.begin() && (--it)->second.ate >= de) {
    const std::string line = std::to_string(it->second.line);
    if (it->first == de && it->second.ate == ate)
      return "A faixa " + RangeOfService(l.row, l.tree) + " já está na linha " + line + ".";
    return "A faixa " + RangeOfService(l.row, l.tree) + " sobrepõe a da linha " + line + " (de " +
           NumberText(it->first) + " a " + NumberText(it->second.ate) + ").";
  }
  taken.emplace(de, Taken{ate, l.line});
  return {};
}

}  // namespace

const std::vector<std::string>& ImportHeader() {
  static const std::vector<std::string> h{"Filial", "Companhia", "Voo",         "Trecho",      "Serviço",
                                          "Classe", "Ciclo",     "Pax. Mínimo", "Pax. Máximo", "Qtde. Serviço"};
  return h;
}

std::string RangeOfService(const PropRow& row, const std::string& tree) {
  return "de " + NumberText(row.de.value_or(0)) + " a " + NumberText(row.ate.value_or(0)) + " passageiros do serviço " +
         tree;
}

CheckedLines CheckImportLines(const std::vector<CsvRow>& rows, const ImportReferences& refs) {
  const LineChecker checker(refs);
  CheckedLines out;
  std::map<std::string, std::map<double, Taken>> taken;  // by leg and service
  for (const CsvRow& row : rows) {
    ImportLine line;
    std::string why = checker.Check(row, line);
    if (why.empty()) why = Clash(taken[ServiceKey(line.row)], line);
    if (why.empty()) {
      out.good.push_back(std::move(line));
      continue;
    }
    const auto field = [&](Column c) { return row.fields.size() > c ? std::string(Trimmed(row.fields[c])) : ""; };
    out.bad.push_back({row.line, field(kVoo), field(kTrecho), std::move(why)});
  }
  return out;
}

}  // namespace appserver
