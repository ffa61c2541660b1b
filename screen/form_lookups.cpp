// The form description of the read-only lookups on the general database:
// fields, SQL texts line by line, parameters and data sources.
#include "framework/GeneralDatabase.h"
#include "screen/Cli_ate11600.h"
#include "screen/FormParts.h"

#include <stdexcept>

using namespace screen_form;

framework::TGeneralConnection& screen_form::GeneralConnection() {
  if (!framework::dtmDBGeral || !framework::dtmDBGeral->adcGeral->Connected())
    throw std::logic_error("TfrmPropPass: the host has not opened the general database (dtmDBGeral->adcGeral)");
  return *framework::dtmDBGeral->adcGeral;
}

void TfrmPropPass::BuildLookups() {
  framework::TGeneralConnection* general = &GeneralConnection();

  qryFilial = Make<framework::TADOIBQuery>(this, "qryFilial");
  qryFilialCDFILIAL = StrField(qryFilial, "CDFILIAL", 4, "Código");
  qryFilialNMFILIAL = StrField(qryFilial, "NMFILIAL", 30, "Nome");

  qryClasse = Make<framework::TADOIBQuery>(this, "qryClasse");
  qryClasseSGCLASSE = StrField(qryClasse, "SGCLASSE", 5, "Sigla");
  qryClasseDSCLASSECIA = StrField(qryClasse, "DSCLASSECIA", 30, "Descrição");
  qryClasseCDCLASSE = StrField(qryClasse, "CDCLASSE", 4, "", kHidden);

  qryServicoCiaPesq = Make<framework::TADOIBQuery>(this, "qryServicoCiaPesq");
  qryServicoCiaPesqCDARVPROD = StrField(qryServicoCiaPesq, "CDARVPROD", 20, "Código");
  qryServicoCiaPesqCDCIA = StrField(qryServicoCiaPesq, "CDCIA", 4, "", kHidden);
  qryServicoCiaPesqCDPRODUTO = StrField(qryServicoCiaPesq, "CDPRODUTO", 10, "Código", kHidden);
  qryServicoCiaPesqNMPRODUTO = StrField(qryServicoCiaPesq, "NMPRODUTO", 50, "Descrição");
  qryServicoCiaPesqSGCLASSE = StrField(qryServicoCiaPesq, "SGCLASSE", 5, "Classe");
  qryServicoCiaPesqIDCICLO = StrField(qryServicoCiaPesq, "IDCICLO", 10, "Ciclo");

  qryCiclo = Make<framework::TADOIBQuery>(this, "qryCiclo");
  qryCicloCDCICLO = StrField(qryCiclo, "CDCICLO", 4, "Código");
  qryCicloIDCICLO = StrField(qryCiclo, "IDCICLO", 10, "Identificação");

  for (framework::TADOIBQuery* q : {qryFilial, qryClasse, qryServicoCiaPesq, qryCiclo}) q->SetConnection(general);
  BuildLookupSql();

  dtsServicoCiaPesq = Make<toolkit::DataSource>(this, "dtsServicoCiaPesq");
  dtsServicoCiaPesq->SetDataSet(qryServicoCiaPesq);
  dtsFilial = Make<toolkit::DataSource>(this, "dtsFilial");
  dtsFilial->SetDataSet(qryFilial);
  btnfilial->SetDataSource(dtsFilial);
  dtsClasse = Make<toolkit::DataSource>(this, "dtsClasse");
  dtsClasse->SetDataSet(qryClasse);
  dtsCiclo = Make<toolkit::DataSource>(this, "dtsCiclo");
  dtsCiclo->SetDataSet(qryCiclo);
}

void TfrmPropPass::BuildLookupSql() {
  qryFilial->SetSQL({"SELECT", "   CDFILIAL,NMFILIAL", "FROM", "   FILIAL", "WHERE",
                     "   ((CDFILIAL = :P_CDFILIAL) OR (:P_TCDFILIAL = 'T'))", "ORDER BY", "   CDFILIAL"});
  qryClasse->SetSQL({"SELECT CL.SGCLASSE, CC.DSCLASSECIA, CC.CDCLASSE", "FROM CLASSE CL, CLASSECIA  CC",
                     "WHERE ((:P_SGCLASSE = CL.SGCLASSE) OR (:P_TSGCLASSE = 'T')) AND",
                     "      (CL.CDCLASSE  = CC.CDCLASSE) AND", "      (CC.CDFILIAL  = :P_CDFILIAL) AND",
                     "      (CC.CDCIA     = :P_CDCIA   )", "ORDER BY CL.SGCLASSE "});
  qryServicoCiaPesq->SetSQL({"SELECT PR.CDCIA,PR.CDPRODUTO,PR.NMPRODUTO,PR.CDARVPROD,CL.SGCLASSE,CI.IDCICLO",
                             "FROM PRODUTO PR,CLASSE CL,CICLO CI", "WHERE (PR.IDPRODCOMISS = '1'           ) AND",
                             "      (PR.CDNVPRODUTO  = :P_CDNVPRODUTO) AND", "      (PR.CDCIA        = :CDCIA        ) AND",
                             "      (PR.CDCLASSE     = CL.CDCLASSE   ) AND", "      (CI.CDCICLO      = PR.CDCICLO    ) AND",
                             "      ((PR.CDARVPROD = :CDARVPROD) OR (:TODOS = 'T'))"});
  auto ciclo = [](const char* firstCondition) {
    return std::vector<std::string>{"SELECT IDCICLO, CDCICLO", "FROM CICLOCIA", firstCondition,
                                    "      (CDCIA = :P_CDCIA)     AND", "      (CDFILIAL = :P_CDFILIAL)",
                                    "ORDER BY CDCICLO"};
  };
  qryCiclo->SetSQL(ciclo("WHERE (IDCICLO = NVL(:P_IDCICLO,IDCICLO)) AND"));
  qryCiclo->SetDialectSQL(framework::TSqlDialect::Oracle, ciclo("WHERE (IDCICLO = NVL(:P_IDCICLO,IDCICLO)) AND"));
  qryCiclo->SetDialectSQL(framework::TSqlDialect::MSSQL, ciclo("WHERE (IDCICLO = ISNULL(:P_IDCICLO,IDCICLO)) AND"));
  qryCiclo->SetDialectSQL(framework::TSqlDialect::InterBase, ciclo("WHERE (IDCICLO = NVLSTR(:P_IDCICLO,IDCICLO)) AND"));
}
