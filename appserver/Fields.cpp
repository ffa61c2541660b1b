#include "appserver/Fields.h"

namespace appserver::fields {

namespace {

packet::FieldDef Text(const char* name, int size) { return {name, packet::FieldType::String, size}; }
packet::FieldDef Number(const char* name) { return {name, packet::FieldType::Float, 0}; }

}  // namespace

const Fields& Companhia() {
  static const Fields f{{Text("CDCIA", 4),    Text("SGCIA", 5),      Text("NMCIA", 50),  Text("NRVOO", 5),
                        Text("BASEORI", 5),  Text("BASEDES", 5),    Text("CDEQUIP", 4), Text("DSTRECHO", 13),
                        Text("CDTRECHO", 4), Text("SGPREFIXO", 10), Text("SGEQUIP", 10)}};
  return f;
}

const Fields& PropServico() {
  static const Fields f{{Text("CDARVPROD", 20), Text("CDSERVICO", 10), Text("NMPRODUTO", 50), Text("SGCLASSE", 5),
                        Text("IDCICLO", 10),   Text("CDCIA", 4),      Text("NMCIA", 50),     Text("CDCLASSE", 4),
                        Text("CDCICLO", 4),    Text("CDFILIAL", 4),   Text("CDTRECHO", 4),   Text("NRVOO", 5)}};
  return f;
}

const Fields& QtdePropServico() {
  static const Fields f{{Text("CDSERVICO", 10), Text("CDCIA", 4),   Number("QTPAXDE"),   Number("QTSERVICO"),
                        Number("QTPAXATE"),    Text("CDCICLO", 4), Text("CDFILIAL", 4), Text("CDCLASSE", 4),
                        Text("NRVOO", 5),      Text("CDTRECHO", 4)}};
  return f;
}

const Fields& ValidaServ() {
  static const Fields f{{Text("CDSERVICO", 10)}};
  return f;
}

const Fields& MaiorPax() {
  static const Fields f{{Number("MAXPAX")}};
  return f;
}

const Fields& FindProp() {
  static const Fields f{{Number("CONT")}};
  return f;
}

const Fields& TestaPropSe() {
  static const Fields f{{Text("PAX", 1)}};
  return f;
}

const Fields& SituacaoGravacao() {
  static const Fields f{{Text("IDGRAVACAO", 40), Text("IDSITUACAO", 1)}};
  return f;
}

}  // namespace appserver::fields
