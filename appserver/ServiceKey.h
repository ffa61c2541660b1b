#pragma once
// The condition that picks the ranges of one service on one leg, shared by
// the reads and the save. Parameters: branch, airline, flight, leg, service.

#include <string>

namespace appserver {

inline const std::string kServiceKey =
    "CDFILIAL = :filial AND CDCIA = :cdcia AND NRVOO = :nrvoo AND CDTRECHO = :cdtrecho AND CDSERVICO = :servico";

}  // namespace appserver
