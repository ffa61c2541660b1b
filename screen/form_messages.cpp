// The screen's message catalogue, in msgPadrao. The texts are the
// screen's own, double blanks, backslash and missing full stop included;
// the Grav_ keys came with the settling of saves whose answer was lost.
#include "screen/Cli_ate11600.h"

namespace {

struct Entry {
  const char* key;
  const char* text;
};

const Entry kMessages[] = {
    {"Excl", "Confirma Exclusão?"},
    {"primary_key", "Código já cadastrado."},
    {"not_null_CDSERVICO", "Código deve ser informado."},
    {"not_null_QTPAXDE", "Quantidade mínima de passageiros deve ser informada."},
    {"not_null_QTPAXATE", "Pax máximo deve ser informado."},
    {"Servico", "Serviço com Proporção Variável."},
    {"PAXDE>PAXATE", "A quantidade máxima de passageiros não pode ser menor que quantidade mínima."},
    {"TblVazia", "Tabela está vazia."},
    {"QTSERVICO_space", "Campo Qte. Padrão não deve ultrapassar  4 caracteres."},
    {"QTPAXATE_space", "Campo Pax Máximo não deve ultrapassar  4 caracteres."},
    {"QTPAXDE_space", "Campo Pax Mínimo não deve ultrapassar  4 caracteres."},
    {"RegDuplic", "Registro já existente."},
    {"qtdeprod_empty", "Proporção de passageiros deve ser informada."},
    {"serv_err", "Serviço não cadastrado."},
    {"Cia_Nao_Cad", "Companhia não cadastrada."},
    {"Excl_Serv_All", "Confirma a exclusão do serviço e todas as suas proporções?"},
    {"quant_serv_null", "Qtde serviço deve ser informado."},
    {"prop_exist", "Proporção já cadastrada para este serviço."},
    {"cia", "Companhia"},
    {"voo_erro", "Número do vôo não cadastrado."},
    {"voos", "Vôos"},
    {"Qtde_Existe", "Já existe quantidade de serviço cadastrada para %s passageiro(s) em outro intervalo."},
    {"Interv_Existe", "Um intervalo de passageiros não pode sobrepor outro."},
    {"Not_Serv", "Não há serviço cadastrado para a companhia informada."},
    {"Cia_Obr", "Companhia deve ser informada"},
    {"FILI_NI", "Filial deve ser informada."},
    {"FILI_NC", "Filial não cadastrada."},
    {"CLASSE_NI", "Classe deve ser informada."},
    {"CLASSE_NC", "Classe não cadastrada."},
    {"CICLO_NI", "Ciclo deve ser informado."},
    {"CICLO_NC", "Ciclo não cadastrado."},
    {"Not_CLASSE", "Não há classe cadastrada."},
    {"Classe", "Classe"},
    {"Not_Ciclo", "Não há ciclo cadastrado."},
    {"Ciclo", "Ciclo"},
    {"SERV_INV", "Classe e\\ou Ciclo já cadastrado para o serviço informado."},
    {"Atual_Server", "Atualizando Servidor..."},
    {"Voo_Nao_Cad", "Vôo não cadastrado."},
    {"Voo_Obr", "Vôo deve ser informado."},
    // Added with the safeguards of typed values and quantities.
    {"Prop_Em_Edicao", "Confirme ou cancele a proporção em edição antes de trocar de serviço."},
    {"QTSERVICO_faixa", "A quantidade do serviço deve estar entre 0 e 99999."},
    {"Serv_Completo", "O serviço já tem proporção até 9999 passageiros; altere ou exclua a última faixa."},
    // A save whose answer was lost, once settled (or not yet).
    {"Grav_Gravada",
     "A alteração enviada ao servidor foi gravada, embora a resposta não tenha chegado a tempo. Os dados foram "
     "recarregados."},
    {"Grav_Nao_Gravada", "A alteração enviada ao servidor não foi gravada: ele não a concluiu a tempo."},
    {"Grav_Na_Tela", "Ela continua na tela: confirme-a novamente ou cancele-a."},
    {"Grav_Incerta",
     "Não foi possível confirmar se a alteração foi gravada: o servidor de aplicação não respondeu. Isso será "
     "verificado quando a conexão voltar."},
};

}  // namespace

void TfrmPropPass::BuildMessages() {
  for (const Entry& e : kMessages) msgPadrao->Add(e.key, e.text);
}
