#include "appserver/CsvReader.h"

#include <csv.h>

#include <cstdio>
#include <exception>
#include <new>
#include <utility>

namespace appserver {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// The length of the valid UTF-8 sequence at text[i], or 0 (overlong forms,
// surrogates and code points past U+10FFFF are not valid).
std::size_t SequenceAt(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char b = byte(i);
  if (b < 0x80) return 1;
  std::size_t n;
  unsigned char lo = 0x80, hi = 0xBF;
  if (b >= 0xC2 && b <= 0xDF) {
    n = 2;
  } else if (b >= 0xE0 && b <= 0xEF) {
    n = 3;
    if (b == 0xE0) lo = 0xA0;
    if (b == 0xED) hi = 0x9F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    n = 4;
    if (b == 0xF0) lo = 0x90;
    if (b == 0xF4) hi = 0x8F;
  } else {
    return 0;
  }
  if (i + n > text.size()) return 0;
  if (byte(i + 1) < lo || byte(i + 1) > hi) return 0;
  for (std::size_t k = 2; k < n; ++k)
    if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
  return n;
}

// U+FFFD is what a conversion leaves of bytes that were not UTF-8: no
// such file holds it otherwise.
void CheckUtf8(std::string_view text) {
  std::size_t line = 1;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = SequenceAt(text, i);
    if (n == 0 || text.substr(i, n) == "\xEF\xBF\xBD")
      throw CsvError(line, "Linha " + std::to_string(line) +
                               ": o texto não está em UTF-8. Salve a planilha como \"CSV UTF-8\" e importe de novo.");
    if (text[i] == '\n') ++line;
    i += n;
  }
}

// Lower case for comparing titles: ASCII and the accented letters of
// Latin-1 (À to Þ, two bytes in UTF-8, are 0x20 below their lower case).
std::string Folded(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  std::string out(s);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const auto b = static_cast<unsigned char>(out[i]);
    if (b >= 'A' && b <= 'Z') out[i] = static_cast<char>(b + 0x20);
    if (b == 0xC3 && i + 1 < out.size()) {
      const auto next = static_cast<unsigned char>(out[i + 1]);
      if (next >= 0x80 && next <= 0x9E && next != 0x97) out[i + 1] = static_cast<char>(next + 0x20);
      ++i;
    }
  }
  return out;
}

std::string Joined(const std::vector<std::string>& header) {
  std::string text;
  for (const std::string& title : header) text += (text.empty() ? "" : ";") + title;
  return text;
}

class Reader {
 public:
  Reader(const std::vector<std::string>& header, const CsvLimits& limits) : header_(header), limits_(limits) {
    if (csv_init(&parser_, CSV_STRICT | CSV_STRICT_FINI) != 0) throw std::bad_alloc();
    csv_set_delim(&parser_, ';');
  }
  ~Reader() { csv_free(&parser_); }
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;

  // Line by line, so that each row knows the line it starts on.
  std::vector<CsvRow> Read(std::string_view text) {
    for (std::size_t start = 0; start < text.size();) {
      const std::size_t end = text.find('\n', start);
      const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
      Feed(text.substr(start, next - start));
      start = next;
    }
    if (csv_fini(&parser_, OnField, OnRow, this) != 0) {
      if (!headerSeen_) CheckSeparator(rowLine_);
      Fail(rowLine_, "as aspas abertas nesta linha não se fecham até o fim do arquivo.");
    }
    Rethrow();
    if (!headerSeen_) throw CsvError(0, "O arquivo está vazio.");
    return std::move(rows_);
  }

 private:
  void Feed(std::string_view line) {
    ++line_;
    const bool blank = line.find_first_not_of(" \t\r\n") == std::string_view::npos;
    if (!headerSeen_ && rowEnded_ && !blank && firstLine_.empty()) firstLine_ = line;
    CheckBytes(line);
    if (rowEnded_) {
      if (blank) return;
      rowEnded_ = false;
      rowLine_ = line_;
    }
    const std::size_t parsed = csv_parse(&parser_, line.data(), line.size(), OnField, OnRow, this);
    Rethrow();
    if (parsed != line.size()) {
      if (csv_error(&parser_) == CSV_ENOMEM || csv_error(&parser_) == CSV_ETOOBIG) throw std::bad_alloc();
      if (!headerSeen_) CheckSeparator(line_);
      Fail(line_,
           "aspas fora de lugar. Um campo entre aspas deve começar e terminar com elas, e as aspas dentro "
           "dele devem ser dobradas (\"\").");
    }
  }

  // NULs anywhere and other control bytes outside quotes mean a file that
  // is not text; tracking the quotes here agrees with the parser on every
  // file it accepts.
  void CheckBytes(std::string_view line) {
    std::string_view body = line;
    if (body.ends_with('\n')) body.remove_suffix(1);
    if (body.ends_with('\r')) body.remove_suffix(1);
    for (std::size_t i = 0; i < line.size(); ++i) {
      const auto b = static_cast<unsigned char>(line[i]);
      if (b == '"') inQuote_ = !inQuote_;
      if (b == 0) Fail(line_, "caractere nulo: o arquivo não é um texto CSV.");
      const bool control = b < 0x20 || b == 0x7F;
      if (!control || inQuote_ || i >= body.size() || (b == '\t' && !headerSeen_)) continue;
      char code[8];
      std::snprintf(code, sizeof code, "0x%02X", b);
      Fail(line_, std::string("caractere de controle (") + code + ") fora de aspas: o arquivo não é um texto CSV.");
    }
  }

  static void OnField(void* data, std::size_t size, void* self) {
    auto& r = *static_cast<Reader*>(self);
    if (r.failure_) return;
    try {
      r.current_.fields.emplace_back(data ? static_cast<const char*>(data) : "", data ? size : 0);
    } catch (...) {
      r.failure_ = std::current_exception();
    }
  }

  static void OnRow(int, void* self) {
    auto& r = *static_cast<Reader*>(self);
    r.rowEnded_ = true;
    if (r.failure_) return;
    try {
      r.Row();
    } catch (...) {
      r.failure_ = std::current_exception();
    }
  }

  void Row() {
    CsvRow row{rowLine_, std::move(current_.fields)};
    current_.fields.clear();
    if (row.fields.size() == 1 && row.fields[0].empty()) return;  // a line of "" alone
    if (!headerSeen_) return CheckHeader(row);
    if (rows_.size() == limits_.maxRows)
      throw CsvError(row.line, "O arquivo tem mais de " + std::to_string(limits_.maxRows) +
                                   " linhas de dados (a linha " + std::to_string(row.line) +
                                   " passa do limite). Divida-o em arquivos menores.");
    rows_.push_back(std::move(row));
  }

  void CheckHeader(const CsvRow& row) {
    headerSeen_ = true;
    bool same = row.fields.size() == header_.size();
    for (std::size_t i = 0; same && i < header_.size(); ++i) same = Folded(row.fields[i]) == Folded(header_[i]);
    if (same) return;
    CheckSeparator(row.line);
    throw CsvError(row.line, "Linha " + std::to_string(row.line) +
                                 ": o cabeçalho não é o esperado. A primeira linha deve ser: " + Joined(header_));
  }

  // A file of the header's titles separated otherwise gets told so.
  void CheckSeparator(std::size_t line) const {
    if (firstLine_.find(';') != std::string::npos) return;
    const char* other = firstLine_.find('\t') != std::string::npos  ? "tabulações"
                        : firstLine_.find(',') != std::string::npos ? "vírgulas"
                                                                    : nullptr;
    if (other)
      throw CsvError(line, "Linha " + std::to_string(line) + ": as colunas estão separadas por " + other +
                               "; o separador deve ser ponto e vírgula (;).");
  }

  [[noreturn]] static void Fail(std::size_t line, const std::string& what) {
    throw CsvError(line, "Linha " + std::to_string(line) + ": " + what);
  }

  void Rethrow() {
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
  }

  const std::vector<std::string>& header_;
  const CsvLimits& limits_;
  csv_parser parser_{};
  std::size_t line_ = 0, rowLine_ = 0;
  bool rowEnded_ = true, inQuote_ = false, headerSeen_ = false;
  std::string firstLine_;
  CsvRow current_;
  std::vector<CsvRow> rows_;
  // The parser is C: what a callback throws waits here until it returns.
  std::exception_ptr failure_;
};

}  // namespace

std::vector<CsvRow> ReadCsv(std::string_view text, const std::vector<std::string>& header, const CsvLimits& limits) {
  if (text.size() > limits.maxBytes)
    throw CsvError(
        0, "O arquivo tem mais de " + std::to_string(limits.maxBytes >> 20) + " MiB. Divida-o em arquivos menores.");
  if (text.starts_with(kBom)) text.remove_prefix(kBom.size());
  CheckUtf8(text);
  return Reader(header, limits).Read(text);
}

}  // namespace appserver
