#include "appserver/PropBinding.h"

namespace appserver {

namespace {

void SetOptionalText(Statement& st, std::size_t i, const std::optional<std::string>& v) {
  if (v)
    st.SetText(i, *v);
  else
    st.SetNull(i);
}

void SetOptionalNumber(Statement& st, std::size_t i, const std::optional<double>& v) {
  if (v)
    st.SetNumber(i, *v);
  else
    st.SetNull(i);
}

}  // namespace

void BindKey(Statement& st, std::size_t at, const PropRow& r) {
  st.SetText(at, r.filial);
  st.SetText(at + 1, r.cia);
  st.SetText(at + 2, r.voo);
  st.SetText(at + 3, r.trecho);
  st.SetText(at + 4, r.servico);
  st.SetNumber(at + 5, *r.de);
  st.SetNumber(at + 6, *r.ate);
}

void BindRow(Statement& st, std::size_t at, const PropRow* r) {
  if (!r) {
    for (std::size_t i = 0; i < 10; ++i) st.SetNull(at + i);
    return;
  }
  BindKey(st, at, *r);
  SetOptionalText(st, at + 7, r->classe);
  SetOptionalText(st, at + 8, r->ciclo);
  SetOptionalNumber(st, at + 9, r->qtservico);
}

}  // namespace appserver
