#include "AvisoAL.h"

#include "base/BrFormat.h"
#include "notera/core/Execucao.h"
#include "notera/core/Transferencia.h"

#include <cmath>
#include <optional>

namespace notera {

namespace {

using report::Alinhamento;

enum class Tipo { Forma, LinhaH, LinhaV, Texto, TextoFixo, Numero, NumeroFixo, Memo, Imagem };

struct Definicao {
    const char* nome;
    Tipo tipo;
    report::Caixa caixa;
    const char* texto = "";
    bool negrito = false;
    Alinhamento alinhamento = Alinhamento::Esquerda;
};

constexpr auto E = Alinhamento::Esquerda;
constexpr auto C = Alinhamento::Centro;
constexpr auto D = Alinhamento::Direita;

// The upper copy, in drawing order.
const Definicao Superior[] = {
    {"ppShape1", Tipo::Forma, {2.752, 3.387, 190.712, 98.002}},
    {"ppLabel4", Tipo::TextoFixo, {33.443, 8.890, 127.424, 4.022}, "AVISO DE LANÇAMENTO", true, C},
    {"Line2", Tipo::LinhaH, {2.963, 17.145, 190.500, 1.270}},
    {"ppLine4", Tipo::LinhaV, {30.692, 3.387, 0.635, 14.817}},
    {"ppDBImage1", Tipo::Imagem, {3.810, 4.233, 23.918, 13.123}},
    {"ppLb_Emp11", Tipo::TextoFixo, {4.445, 19.262, 156.210, 4.064}},
    {"ppLabel5", Tipo::Texto, {163.619, 8.890, 13.970, 4.022}, "Número:", true, E},
    {"ppNumero", Tipo::Numero, {178.435, 8.890, 12.700, 4.022}, "", true, D},
    {"ppLine1", Tipo::LinhaH, {2.963, 34.713, 190.500, 0.212}},
    {"ppLine2", Tipo::LinhaV, {162.560, 3.387, 0.212, 14.817}},
    {"ppLb_Emp12", Tipo::TextoFixo, {4.445, 24.342, 156.210, 4.064}},
    {"ppLb_Emp13", Tipo::TextoFixo, {4.445, 29.633, 156.210, 4.064}},
    {"ppLb_Emp21", Tipo::TextoFixo, {4.445, 40.005, 156.210, 4.022}},
    {"ppLabel1", Tipo::Texto, {4.445, 35.560, 2.328, 4.022}, "A"},
    {"ppLine3", Tipo::LinhaH, {2.963, 44.873, 190.500, 0.212}},
    {"ppLine5", Tipo::LinhaH, {2.963, 51.223, 190.500, 0.212}},
    {"ppLabel2",
     Tipo::Texto,
     {4.657, 45.932, 118.110, 4.022},
     "Levamos a seu conhecimento o lançamento abaixo descrito a crédito de sua conta."},
    {"ppHistorico", Tipo::Memo, {4.868, 52.917, 155.152, 30.903}},
    {"ppLine6", Tipo::LinhaV, {162.560, 51.435, 2.963, 49.953}},
    {"ppLabel3", Tipo::TextoFixo, {166.370, 52.705, 25.612, 4.022}, "VALOR", true, D},
    {"ppValor", Tipo::NumeroFixo, {166.370, 57.362, 25.612, 4.022}, "", false, D},
    {"ppLine7", Tipo::LinhaH, {2.963, 85.725, 190.500, 0.212}},
    {"ppLine8", Tipo::LinhaV, {32.173, 85.725, 0.847, 15.875}},
    {"ppLabel6", Tipo::Texto, {4.445, 86.572, 13.758, 4.022}, "Feito Por"},
    {"ppLabel7", Tipo::Texto, {33.867, 86.572, 20.955, 4.022}, "Conferido Por"},
    {"ppLine9", Tipo::LinhaV, {63.923, 85.725, 0.847, 15.875}},
    {"ppLabel8", Tipo::Texto, {66.040, 86.572, 15.028, 4.022}, "Assinatura"},
    {"ppLabel9", Tipo::Texto, {165.100, 86.360, 6.562, 4.022}, "Data"},
    {"ppLbData1", Tipo::Texto, {165.312, 91.864, 12.277, 4.022}},
};

// The lower copy's names, twin by twin of the upper copy.
const char* const Gemeos[] = {
    "ppShape2",    "ppLabel10", "ppLine10",  "ppLine11",  "ppDBImage2",  "ppLb_Emp211",
    "ppLabel23",   "ppNumero2", "ppLine12",  "ppLine18",  "ppLb_Emp212", "ppLb_Emp213",
    "ppLb_Emp221", "ppLabel15", "ppLine13",  "ppLine14",  "ppLabel16",   "ppHistorico2",
    "ppLine19",    "ppLabel22", "ppValor2",  "ppLine15",  "ppLine16",    "ppLabel18",
    "ppLabel19",   "ppLine17",  "ppLabel20", "ppLabel21", "ppLbData2",
};
static_assert(std::size(Gemeos) == std::size(Superior));

constexpr double DeslocaX = 0.635, DeslocaY = 106.680;

// Twins whose box is not the plain shift of their original; NaN keeps the shifted value.
struct Diferenca {
    const char* nome;
    double esquerda, topo, largura, altura;
};
constexpr double Igual = NAN;
const Diferenca Diferencas[] = {
    {"ppLb_Emp211", Igual, Igual, Igual, 4.022},     {"ppLb_Emp212", Igual, Igual, Igual, 4.022},
    {"ppLb_Emp213", Igual, Igual, Igual, 4.022},     {"ppNumero2", 177.165, Igual, 14.605, Igual},
    {"ppHistorico2", Igual, 160.020, Igual, 30.268}, {"ppLine19", 163.153, 157.904, Igual, Igual},
    {"ppLbData2", 165.735, 198.332, Igual, Igual},
};

report::Caixa caixaDoGemeo(const char* nome, report::Caixa c) {
    c.esquerda += DeslocaX;
    c.topo += DeslocaY;
    for (const auto& d : Diferencas) {
        if (std::string_view(d.nome) != nome) continue;
        if (!std::isnan(d.esquerda)) c.esquerda = d.esquerda;
        if (!std::isnan(d.topo)) c.topo = d.topo;
        if (!std::isnan(d.largura)) c.largura = d.largura;
        if (!std::isnan(d.altura)) c.altura = d.altura;
    }
    return c;
}

const std::string FormatoValor = "#,0.00;-#,0.00";

void adiciona(report::Regiao& destino, const Definicao& d, const std::string& nome,
              report::Caixa caixa, const std::function<std::string()>& logotipo) {
    using L = report::Linha::Direcao;
    auto rotulo = [&](report::Rotulo& r, bool fixo) {
        r.texto = d.texto;
        r.fixo = fixo;
        r.negrito = d.negrito;
        r.alinhamento = d.alinhamento;
    };
    switch (d.tipo) {
    case Tipo::Forma:
        destino.adiciona<report::Forma>(nome, caixa);
        break;
    case Tipo::LinhaH:
        destino.adiciona<report::Linha>(nome, caixa, L::Horizontal);
        break;
    case Tipo::LinhaV:
        destino.adiciona<report::Linha>(nome, caixa, L::Vertical);
        break;
    case Tipo::Texto:
        rotulo(destino.adiciona<report::Rotulo>(nome, caixa), false);
        break;
    case Tipo::TextoFixo:
        rotulo(destino.adiciona<report::Rotulo>(nome, caixa), true);
        break;
    case Tipo::Numero:
    case Tipo::NumeroFixo: {
        auto& v = destino.adiciona<report::Valor>(nome, caixa);
        rotulo(v, d.tipo == Tipo::NumeroFixo);
        if (d.tipo == Tipo::NumeroFixo) v.formato = FormatoValor;
        break;
    }
    case Tipo::Memo:
        destino.adiciona<report::Memo>(nome, caixa);
        break;
    case Tipo::Imagem:
        destino.adiciona<report::Imagem>(nome, caixa).fonte = logotipo;
        break;
    }
}

std::string texto(const db::Conjunto& c, const char* campo) {
    return textoDoCampo(c, campo);
}

} // namespace

AvisoAL::AvisoAL() {
    TbEmp.defineNome("TbEmp.db");
    ppAL.cabecalho.altura = 213.149;
    ppAL.cabecalho.antesDeImprimir = [this] { ppHeaderBand1BeforePrint(); };
    auto logotipo = [this]() -> std::string {
        if (!TbEmp.aberto() || TbEmp.vazio()) return {};
        const db::Bytes b = TbEmp.campo("imag_emp").comoBytes();
        return std::string(reinterpret_cast<const char*>(b.data()), b.size());
    };
    auto& banda = ppAL.cabecalho.elementos;
    for (const auto& d : Superior)
        adiciona(banda, d, d.nome, d.caixa, logotipo);
    auto& via2 =
        banda.adiciona<report::Regiao>("ppRegiao2Via", report::Caixa{0, 106.892, 197.300, 103.505});
    for (std::size_t i = 0; i < std::size(Superior); ++i)
        adiciona(via2, Superior[i], Gemeos[i], caixaDoGemeo(Gemeos[i], Superior[i].caixa),
                 logotipo);
}

void AvisoAL::defineDuasVias(bool duas) {
    ppAL.em<report::Regiao>("ppRegiao2Via").visivel = duas;
}

void AvisoAL::preenche(Execucao& ex, const DadosTransferencia& dados, std::int32_t NumeroAL) {
    codEmpDestino_ = dados.CodEmpDestino;
    numeroAL_ = NumeroAL;
    valor_ = dados.Valor;

    auto par = [this](const char* um, const char* outro, const std::string& t) {
        ppAL.em<report::Rotulo>(um).texto = t;
        ppAL.em<report::Rotulo>(outro).texto = t;
    };
    auto& emp = ex.TabPadroes.QTbEmp;
    // A code the register does not hold leaves it where it stands, as both were resolved before.
    emp.localiza("cod_emp", db::Valor(codEmpDestino_));
    par("ppLbData1", "ppLbData2",
        base::formataDataLonga(base::Data::deDiasDelphi(ex.DataMovimento)));
    par("ppLb_Emp11", "ppLb_Emp211", texto(emp, "nom_emp"));
    par("ppLb_Emp12", "ppLb_Emp212",
        texto(emp, "end_emp") + ' ' + texto(emp, "nro_emp") + ' ' +
            "FONE: " + texto(emp, "fon_emp") + ' ' + "FAX: " + texto(emp, "fax_emp"));
    par("ppLb_Emp13", "ppLb_Emp213",
        "CEP: " + texto(emp, "cep_emp") + ' ' + texto(emp, "cid_emp") + " - " +
            texto(emp, "uf_emp"));
    emp.localiza("cod_emp", db::Valor(dados.CodEmpresa));
    par("ppLb_Emp21", "ppLb_Emp221", texto(emp, "nom_emp"));

    Extenso1.Valor = valor_.emReais(); // the words are rounded to cents
    auto& historico = ppAL.em<report::Memo>("ppHistorico");
    historico.linhas = {"REF. PAGAMENTOS: " + ex.RefPagamentos + " - " + dados.HistVar1,
                        "(" + Extenso1.PorExtenso() + ")"};
    ppAL.em<report::Memo>("ppHistorico2").linhas = historico.linhas;
}

void AvisoAL::ppHeaderBand1BeforePrint() {
    if (TbEmp.aberto()) TbEmp.localiza("cod_emp", db::Valor(codEmpDestino_));
    auto& numero = ppAL.em<report::Valor>("ppNumero");
    numero.valor = numeroAL_;
    ppAL.em<report::Valor>("ppNumero2").valor = numero.valor;
    auto& valor = ppAL.em<report::Valor>("ppValor");
    valor.valor = valor_.emReais(); // shown with two decimals
    ppAL.em<report::Valor>("ppValor2").valor = valor.valor;
}

void ImprimeAviso(Execucao& ex, const DadosTransferencia& dados, std::int32_t NumeroAL,
                  report::Impressao& impressao) {
    AvisoAL aviso;
    ImprimeAviso(ex, dados, NumeroAL, impressao, aviso);
}

void ImprimeAviso(Execucao& ex, const DadosTransferencia& dados, std::int32_t NumeroAL,
                  report::Impressao& impressao, AvisoAL& aviso) {
    auto& m = *ex.mensagens;
    if (!m.confirma("Imprimir \"Aviso de Lançamento\" ?")) return;
    aviso.defineDuasVias(m.confirma("Imprimir em 2 vias?"));

    try {
        aviso.TbEmp.fecha();
        aviso.TbEmp.defineDiretorio(ex.DirTabelas);
        aviso.TbEmp.abre();
    } catch (const std::exception& e) {
        m.informacao(
            std::string("Não foi possível abrir tabela de empresas para carregar logotipo!\r\n") +
            e.what());
        return;
    }
    // The transfer is posted already: a failure of the register or the printer is shown and
    // the OK action goes on.
    try {
        aviso.preenche(ex, dados, NumeroAL);
        impressao.imprime(aviso.ppAL);
    } catch (const std::exception& e) {
        m.erro(e.what());
    }
}

} // namespace notera
