// What the keyboard can do, shown where a person looks for it: the menu
// items of the keys that move between the grids, and the screen's help.
#include "screen/Cli_ate11600.h"
#include "toolkit/controls/Application.h"
#include "toolkit/controls/DialogService.h"

namespace {

const char kHelp[] = R"(<h2>Proporção de Serviço por Passageiro</h2>
<p>Define, por filial, companhia, vôo e trecho, quantas unidades de cada serviço o vôo recebe
conforme o número de passageiros.</p>
<h3>Como usar</h3>
<ol>
<li>Informe a companhia (ou escolha em <b>…</b>, que já traz vôo e trecho), o vôo e o trecho.</li>
<li>Ao sair do cabeçalho, a tela mostra os serviços do vôo (à esquerda) e as faixas de passageiros
do serviço escolhido (à direita).</li>
<li>Inclua, altere ou exclua serviços e faixas e confirme cada alteração.</li>
</ol>
<h3>Comandos</h3>
<table cellspacing="4">
<tr><td><b>F2</b></td><td>Incluir: um serviço ou uma faixa, na grade em uso.</td></tr>
<tr><td><b>F3</b></td><td>Alterar a linha atual.</td></tr>
<tr><td><b>F4</b></td><td>Excluir a linha atual (pede confirmação; um serviço leva suas faixas).</td></tr>
<tr><td><b>F5</b></td><td>Verificar: lê de novo os dados do servidor.</td></tr>
<tr><td><b>F6</b></td><td>Procurar um serviço na lista.</td></tr>
<tr><td><b>F7</b></td><td>Imprimir as proporções do vôo.</td></tr>
<tr><td><b>F8</b></td><td>Cancelar a alteração em curso (pede confirmação).</td></tr>
<tr><td><b>F9</b></td><td>Confirmar a alteração em curso.</td></tr>
<tr><td><b>Sair</b></td><td>Fechar a tela (avisa se houver algo não confirmado).</td></tr>
</table>
<h3>Teclas</h3>
<table cellspacing="4">
<tr><td><b>Tab</b>, <b>Shift+Tab</b></td><td>Próximo / anterior campo; dentro de uma grade, próxima / anterior coluna.</td></tr>
<tr><td><b>Ctrl+Tab</b>, <b>Ctrl+Shift+Tab</b></td><td>Sair da grade para o próximo / anterior controle.</td></tr>
<tr><td><b>Alt+PgDown</b></td><td>Ir para as faixas de passageiros.</td></tr>
<tr><td><b>Alt+PgUp</b></td><td>Voltar aos serviços.</td></tr>
<tr><td><b>Enter</b></td><td>Na grade, aceita a célula e passa à seguinte.</td></tr>
<tr><td><b>Seta para baixo</b></td><td>Na última linha das faixas, começa uma nova faixa.</td></tr>
<tr><td><b>Esc</b></td><td>Descarta o que foi digitado na célula; de novo, cancela a linha.</td></tr>
<tr><td><b>Ctrl+Delete</b></td><td>Excluir a linha da grade (pede confirmação).</td></tr>
<tr><td><b>F1</b></td><td>Esta ajuda.</td></tr>
</table>
<h3>Ferramentas</h3>
<table cellspacing="4">
<tr><td><b>Ctrl+K</b></td><td>Cobertura do trecho: os números de passageiros sem quantidade, serviço a serviço.</td></tr>
<tr><td><b>Ctrl+Q</b></td><td>Quantidade por passageiros: o que cada serviço recebe para um número de passageiros.</td></tr>
<tr><td><b>Ctrl+Shift+C</b></td><td>Copiar as proporções do trecho para outros trechos da companhia.</td></tr>
<tr><td><b>Ctrl+Shift+E</b>, <b>Ctrl+Shift+I</b></td><td>Exportar para um arquivo CSV e importar dele.</td></tr>
<tr><td><b>Ctrl+R</b></td><td>Relatório de cobertura da companhia.</td></tr>
<tr><td><b>Ctrl+H</b></td><td>Histórico das alterações do trecho, e a restauração de um serviço como estava antes
de uma delas (também no menu da grade de faixas: botão direito, tecla Menu ou Shift+F10).</td></tr>
</table>
<h3>Regras das faixas</h3>
<ul>
<li>Cada faixa vai de <b>Pax. Mínimo</b> a <b>Pax. Máximo</b> passageiros (de 1 a 9999) e dá a
<b>Qtde. Serviço</b> (de 0 a 99999) para qualquer número de passageiros dentro dela.</li>
<li>O máximo não pode ser menor que o mínimo.</li>
<li>As faixas de um serviço não podem se sobrepor: cada número de passageiros tem uma só quantidade.</li>
<li>Uma nova faixa começa logo após a maior faixa já cadastrada.</li>
<li>Nas colunas numéricas só se digitam algarismos, o sinal e a vírgula decimal; depois de um erro,
o texto da célula fica selecionado e o que se digita o substitui.</li>
</ul>)";

}  // namespace

void TfrmPropPass::BuildKeyboardMenu() {
  SetHelpText(kHelp);
  auto item = [this](const char* name, const char* caption, const char* key) {
    auto* i = new toolkit::MenuItem(this);
    i->SetName(name);
    i->SetCaption(caption);
    i->SetKeyHint(key);
    mnuManutencao->Add(i);
    return i;
  };
  // Sair stays last.
  mnuManutencao->Remove(mnuSair);
  // The same keys, through the same handler, as pressed on the form.
  auto press = [this](toolkit::Word key) {
    return [this, key](toolkit::MenuItem&) {
      toolkit::Word k = key;
      FormKeyDown(*this, k, toolkit::ssAlt);
    };
  };
  item("mnuIrFaixas", "Ir para as &faixas", "Alt+PgDown")->OnClick = press(toolkit::VK_NEXT);
  item("mnuIrServicos", "Ir para os servi&ços", "Alt+PgUp")->OnClick = press(toolkit::VK_PRIOR);
  item("mnuAjuda", "A&juda", "F1")->OnClick = [this](toolkit::MenuItem&) {
    toolkit::Application::Instance().Dialogs().ShowHelp(Caption(), HelpText());
  };
  item("mnuSepSair", "-", "");
  mnuManutencao->Add(mnuSair);
}
