#pragma once
// The ranges of an airline at a branch as a CSV a spreadsheet opens with its
// accents: UTF-8 with a byte order mark, ";" between fields, a decimal
// comma, CRLF line ends; the header
//   Filial;Companhia;Voo;Trecho;Serviço;Classe;Ciclo;Pax. Mínimo;Pax. Máximo;Qtde. Serviço
// then one line per range (product-tree code, class and cycle as the user
// knows them), by flight, leg, service and lower bound. The import reads
// the same format back.
#include <filesystem>
#include <string>
#include <string_view>

#include "screen/PlanningContext.h"

namespace screen_tools {

inline constexpr std::string_view kCsvHeader =
    "Filial;Companhia;Voo;Trecho;Serviço;Classe;Ciclo;Pax. Mínimo;Pax. Máximo;Qtde. Serviço";

// A field as written: quoted (quotes doubled) when it holds ";", a quote or
// a line break.
std::string CsvField(std::string_view text);
// 20, 2,5: whole numbers without decimals, a comma before a fraction.
std::string CsvNumber(double value);

// Writes the ranges of the context's airline at its branch (only its flight
// and leg with onlyLeg) read on the general database, into file: written
// whole beside it first, then put in its place, so that a failure leaves
// any earlier file as it was. Returns the ranges written. Throws
// std::runtime_error naming the file when it cannot be written, and as the
// general database's queries do.
int ExportRanges(const PlanningContext& context, bool onlyLeg, const std::filesystem::path& file);

}  // namespace screen_tools
