// The form description of the client datasets: the services, the ranges,
// the airline answer, the leg list and the single-purpose answers.
#include "screen/Cli_ate11600.h"
#include "screen/FormParts.h"

using namespace screen_form;

void TfrmPropPass::BuildServiceData() {
  cdsPropServico = Make<toolkit::ClientDataSet>(this, "cdsPropServico");
  auto* d = cdsPropServico;
  cdsPropServicoCDARVPROD = StrField(d, "CDARVPROD", 20, "Código");
  cdsPropServicoCDSERVICO = StrField(d, "CDSERVICO", 10, "Código", kHidden);
  cdsPropServicoNMPRODUTO = StrField(d, "NMPRODUTO", 50, "Descrição");
  cdsPropServicoSGCLASSE = StrField(d, "SGCLASSE", 5, "Classe");
  cdsPropServicoIDCICLO = StrField(d, "IDCICLO", 10, "Ciclo");
  cdsPropServicoCDCIA = StrField(d, "CDCIA", 4, "", kHidden);
  cdsPropServicoNMCIA = StrField(d, "NMCIA", 50, "", kHidden);
  cdsPropServicoCDCLASSE = StrField(d, "CDCLASSE", 4, "", kHidden);
  cdsPropServicoCDCICLO = StrField(d, "CDCICLO", 4, "", kHidden);
  cdsPropServicoCDFILIAL = StrField(d, "CDFILIAL", 4, "", kHidden);
  cdsPropServicoCDTRECHO = StrField(d, "CDTRECHO", 4, "", kHidden);
  cdsPropServicoNRVOO = StrField(d, "NRVOO", 5, "", kHidden);
  dtsPadrao->SetDataSet(cdsPropServico);
}

void TfrmPropPass::BuildRangeData() {
  cdsQtdePropServico = Make<toolkit::ClientDataSet>(this, "cdsQtdePropServico");
  cdsQtdePropServico->SetProviderName("dspQtdePropServico");
  auto* d = cdsQtdePropServico;
  cdsQtdePropServicoCDSERVICO = StrField(d, "CDSERVICO", 10, "", kHidden);
  cdsQtdePropServicoCDCIA = StrField(d, "CDCIA", 4, "", kHidden);
  cdsQtdePropServicoQTPAXDE = FloatField(d, "QTPAXDE", "Pax. Mínimo");
  cdsQtdePropServicoQTSERVICO = FloatField(d, "QTSERVICO", "Qtde.  Serviço");
  cdsQtdePropServicoQTPAXATE = FloatField(d, "QTPAXATE", "Pax. Máximo");
  cdsQtdePropServicoCDCICLO = StrField(d, "CDCICLO", 4, "", kHidden);
  cdsQtdePropServicoCDFILIAL = StrField(d, "CDFILIAL", 4, "", kHidden);
  cdsQtdePropServicoCDCLASSE = StrField(d, "CDCLASSE", 4, "", kHidden);
  cdsQtdePropServicoNRVOO = StrField(d, "NRVOO", 5, "", kHidden);
  cdsQtdePropServicoCDTRECHO = StrField(d, "CDTRECHO", 4, "", kHidden);
  dtsQtdePropServico = Make<toolkit::DataSource>(this, "dtsQtdePropServico");
  dtsQtdePropServico->SetDataSet(cdsQtdePropServico);
}

void TfrmPropPass::BuildFlightData() {
  cdsCompanhia = Make<toolkit::ClientDataSet>(this, "cdsCompanhia");
  auto* d = cdsCompanhia;
  cdsCompanhiaCDCIA = StrField(d, "CDCIA", 4, "Código", kHidden);
  cdsCompanhiaSGCIA = StrField(d, "SGCIA", 5, "Sigla");
  cdsCompanhiaSGCIA->SetDisplayWidth(7);
  cdsCompanhiaNMCIA = StrField(d, "NMCIA", 50, "Nome", kHidden);
  cdsCompanhiaNRVOO = StrField(d, "NRVOO", 5, "Voo");
  cdsCompanhiaBASEORI = StrField(d, "BASEORI", 5, "Origem");
  cdsCompanhiaBASEDES = StrField(d, "BASEDES", 5, "Destino");
  cdsCompanhiaCDEQUIP = StrField(d, "CDEQUIP", 4, "Código Equip.");
  cdsCompanhiaDSTRECHO = StrField(d, "DSTRECHO", 13, "", kHidden);
  cdsCompanhiaCDTRECHO = StrField(d, "CDTRECHO", 4, "Código Trecho");
  cdsCompanhiaSGPREFIXO = StrField(d, "SGPREFIXO", 10, "Prefixo");
  cdsCompanhiaSGEQUIP = StrField(d, "SGEQUIP", 10, "Equip.");
  dtsCompanhia = Make<toolkit::DataSource>(this, "dtsCompanhia");
  dtsCompanhia->SetDataSet(cdsCompanhia);
  btpSgCompanhia->SetDataSource(dtsCompanhia);

  cdsListaTrecho = Make<toolkit::ClientDataSet>(this, "cdsListaTrecho");
  cdsListaTrechoCDTRECHO = StrField(cdsListaTrecho, "CDTRECHO", 4, "Código Trecho");
  cdsListaTrechoDSTRECHO = StrField(cdsListaTrecho, "DSTRECHO", 13, "", kHidden);
}

void TfrmPropPass::BuildAnswerData() {
  cdsValidaServ = Make<toolkit::ClientDataSet>(this, "cdsValidaServ");
  cdsValidaServCDSERVICO = StrField(cdsValidaServ, "CDSERVICO", 10);
  cdsMaiorPax = Make<toolkit::ClientDataSet>(this, "cdsMaiorPax");
  cdsMaiorPaxMAXPAX = FloatField(cdsMaiorPax, "MAXPAX");
  cdsFindProp = Make<toolkit::ClientDataSet>(this, "cdsFindProp");
  cdsFindPropCONT = FloatField(cdsFindProp, "CONT", "", kHidden);
  cdsTestaPropSe = Make<toolkit::ClientDataSet>(this, "cdsTestaPropSe");
  cdsTestaPropSePAX = StrField(cdsTestaPropSe, "PAX", 1);
}
