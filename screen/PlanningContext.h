#pragma once
// The flight context the planning tools work on: the main screen's header,
// validated as leaving the header validates it.
#include <optional>
#include <string>

namespace screen_tools {

struct PlanningContext {
  std::string branch;   // CDFILIAL
  std::string airline;  // CDCIA
  std::string airlineShort, flight, leg;  // SGCIA, NRVOO, CDTRECHO
  std::string legText;                    // the leg as the header lists it
  std::optional<int> seats;               // of the leg's equipment, when known

  // "Vôo 1110, trecho GRU-GIG 07h00 (220 assentos)", for the tools' titles.
  std::string Describe() const;
};

// A service of the leg as the tools offer it in their lists.
struct ServiceChoice {
  std::string code, text;  // CDSERVICO, and how the list shows it
};

}  // namespace screen_tools
