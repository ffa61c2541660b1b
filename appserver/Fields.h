#pragma once
// The field lists of the datasets that receive each method's answer: every
// answer carries all of them, with these names, types and sizes.

#include <vector>

#include "packet/DataPacket.h"

namespace appserver::fields {

// Checked and written once (see packet::PacketFields); List() is the vector.
using Fields = packet::PacketFields;

const Fields& Companhia();        // GetCompanhia
const Fields& PropServico();      // GetPropServico
const Fields& QtdePropServico();  // GetQtdePropServico
const Fields& ValidaServ();       // GetValidaServ
const Fields& MaiorPax();         // GetMaiorPax
const Fields& FindProp();         // GetFindProp
const Fields& TestaPropSe();      // GetTestaPropSe
const Fields& SituacaoGravacao(); // GetSituacaoGravacao

}  // namespace appserver::fields
