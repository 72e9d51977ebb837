// The transfer form's behaviour driven without widgets, and its text operations.

#include "notera/form/LogicaAL.h"
#include "notera/form/Operacoes.h"
#include "platform/Memoria.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using namespace notera;

TEST(Operacoes, EhNome) {
    const std::pair<const char*, bool> casos[] = {
        {"", true},
        {"   ", true},
        {"ABC", true},
        {"12A", true},
        {"XAVIER", true},
        {"2147483648", true},
        {"XADE", false},
        {"12", false},
        {"-5", false},
        {"  12  ", false},
        {"0000000012", false},
        {"00000000012", true},
        {"$1F", false},
        {"0X1F", false},
        {"x1f", false},
        {"-2147483648", true}, // eleven characters
        {"12 3", true},
        {"+7", false},
        {"$", true},
        {"-", true},
    };
    for (const auto& [texto, nome] : casos)
        EXPECT_EQ(EhNome(texto), nome) << texto;
    EXPECT_EQ(leInteiro("X1F"), 31);
    EXPECT_EQ(leInteiro("  -$A"), -10);
    EXPECT_EQ(leInteiro("12 "), std::nullopt); // anything after the number fails the reading
    EXPECT_EQ(leInteiro("-2147483649"), std::nullopt);
}

TEST(Operacoes, FiltraDecimal) {
    struct Caso {
        const char* texto;
        char tecla;
        int decimais;
        std::optional<char> resultado;
    };
    const Caso casos[] = {
        {"", ',', 2, std::nullopt},
        {"", '-', 2, '-'},
        {"", '5', 2, '5'},
        {"12", '.', 2, ','},
        {"12", ',', 2, ','},
        {"12,5", ',', 2, std::nullopt},
        {"12,5", '3', 2, '3'},
        {"12,50", '3', 2, std::nullopt},
        {"1", '-', 2, std::nullopt},
        {"  ", '-', 2, '-'},
        {"12", ',', 0, std::nullopt},
        {"12", '7', 0, '7'},
        {"1,2", '.', 2, std::nullopt},
    };
    for (const auto& c : casos) {
        auto r = FiltraDecimal(c.texto, char32_t(c.tecla), c.decimais);
        ASSERT_EQ(r.has_value(), c.resultado.has_value()) << c.texto << " " << c.tecla;
        if (r) {
            EXPECT_EQ(*r, char32_t(*c.resultado)) << c.texto << " " << c.tecla;
        }
    }
}

TEST(Operacoes, ValorMonetario) {
    const auto padrao = base::Dinheiro::deDezMilesimos(-1);
    const std::pair<const char*, std::int64_t> casos[] = {
        {"1.000,5", 10005000},
        {"1.2.3", 1230000},
        {"-7,5", -75000},
        {"0,12345", 1234},
        {"0,12355", 1236},
        {"0,12365", 1236}, // halves to even
        {"0,123451", 1235},
        {" 12 ", 120000},
        {"1,5E2", 1500000},
        {"2E-4", 2},
        {"+3", 30000},
        {",5", 5000},
        {"1500,00", 15000000},
        {"1.234.567,89", 12345678900},
        {"", -1},
        {"   ", -1},
        {"ABC", -1},
        {"1,2,3", -1},
        {"12A", -1},
        {"1E", -1},
        {"99999999999999999999", -1},
    };
    for (const auto& [texto, esperado] : casos)
        EXPECT_EQ(ValorMonetario(texto, padrao).dezMilesimos(), esperado) << texto;
}

TEST(Memoria, NomeDoArquivoIni) {
    EXPECT_EQ(platform::arquivoIniPara("/opt/app.v2/bin/host.exe", "/c"), "/c/host.ini");
    EXPECT_EQ(platform::arquivoIniPara("/opt/a.b/notera-host", "/c"), "/c/notera-host.ini");
    EXPECT_EQ(platform::arquivoIniPara("/x/fin.2024.bin", "/c"), "/c/fin.2024.ini");
}

namespace {

// A window made of maps: texts, hidden controls, a grid of texts.
class VisaoFalsa : public VisaoAL {
public:
    std::map<std::string, std::string, std::less<>> textos;
    std::set<std::string, std::less<>> ocultos = {"Pn_Contabil2", "Pn_ContabilG2"};
    int pagina = 0;
    std::string foco;
    bool fechada = false;
    int rolagens = 0;
    int colunas = 10, linhas = 2, col = 0, lin = 1;
    std::map<std::pair<int, int>, std::string> celulas;
    int seletorCol = -2, item = 0;

    static std::string painelDe(std::string_view c) {
        if (c == "Ed_Cred2" || c == "Ed_Deb2") return "Pn_Contabil2";
        if (c == "Ed_CredG2" || c == "Ed_DebG2") return "Pn_ContabilG2";
        if (c == "Ed_Cred1" || c == "Ed_CredG1") return "Pn_Contabil1";
        return {};
    }
    std::string texto(std::string_view c) const override {
        auto it = textos.find(c);
        return it == textos.end() ? std::string() : it->second;
    }
    void defineTexto(std::string_view c, const std::string& t) override {
        textos[std::string(c)] = t;
    }
    bool visivelNaPagina(std::string_view c) const override {
        return !ocultos.count(c) && !ocultos.count(painelDe(c));
    }
    void defineVisivel(std::string_view c, bool v) override {
        if (v)
            ocultos.erase(std::string(c));
        else
            ocultos.insert(std::string(c));
    }
    int paginaAtual() const override { return pagina; }
    void mostraPagina(int p) override { pagina = p; }
    void aplicaFoco(std::string_view c) override { foco = c; }
    void fecha() override { fechada = true; }
    int colunasGrade() const override { return colunas; }
    void defineColunasGrade(int n) override { colunas = n; }
    int linhasGrade() const override { return linhas; }
    void defineLinhasGrade(int n) override { linhas = n; }
    std::string celula(int c, int l) const override {
        auto it = celulas.find({c, l});
        return it == celulas.end() ? std::string() : it->second;
    }
    void defineCelula(int c, int l, const std::string& t) override { celulas[{c, l}] = t; }
    int larguraColuna(int c) const override { return 100 + c; }
    void defineLarguraColuna(int, int) override {}
    int colunaAtual() const override { return col; }
    int linhaAtual() const override { return lin; }
    void defineCelulaAtual(int c, int l) override {
        col = c;
        lin = l;
    }
    void rolaGradeParaColuna(int) override { ++rolagens; }
    void mostraSeletor(int c, int, int i) override {
        seletorCol = c;
        item = i;
    }
    void escondeSeletor() override { seletorCol = -1; }
    bool seletorVisivel() const override { return seletorCol >= 0; }
    int itemDoSeletor() const override { return item; }
    void selecionaTudo(std::string_view) override {}
    void fechaEdicao() override {}
    bool formularioVisivel() const override { return true; }
    void cursorDeEspera(bool) override {}
    void botaoOkPressionado(bool) override {}
    // What arrives while the OK action lets pending messages run (a second click, say).
    std::function<void()> mensagensPendentes;
    void processaMensagens() override {
        if (auto f = std::exchange(mensagensPendentes, nullptr)) f();
    }
};

class Formulario : public ::testing::Test {
protected:
    void SetUp() override {
        auto controles = LogicaAL::ordemDeTab(0);
        const auto destino = LogicaAL::ordemDeTab(1);
        controles.insert(controles.end(), destino.begin(), destino.end());
        for (const std::string_view v : controles) {
            const std::string c(v);
            logica.defineEntrada(c, [this, c] { eventos.push_back("enter " + c); });
            logica.defineSaida(c, [this, c] { eventos.push_back("exit " + c); });
        }
        logica.defineAcaoOk([this] { eventos.push_back("ok"); });
        logica.FormCreate();
        logica.FormActivate();
        eventos.clear();
    }
    void vaiPara(const std::string& c) {
        logica.solicitaFoco(c);
        eventos.clear();
    }

    VisaoFalsa visao;
    LogicaAL logica{visao};
    std::vector<std::string> eventos;
};

} // namespace

TEST_F(Formulario, CriacaoEAtivacao) {
    EXPECT_EQ(logica.estado().LarguraConta, 109);
    EXPECT_EQ(visao.colunas, 8);
    EXPECT_EQ(visao.pagina, 0);
    EXPECT_EQ(logica.ativo(), "Ed_Empresa");
    EXPECT_EQ(visao.foco, "Ed_Empresa");
    EXPECT_EQ(visao.linhas, 2);
    EXPECT_EQ(visao.celula(0, 0), "Vencimento");
    EXPECT_EQ(visao.celula(7, 0), "Quitação");
    EXPECT_EQ(visao.celula(8, 0), ""); // no account columns yet
    EXPECT_EQ(visao.texto("Lb_ChqTotal"), "0,00");
    EXPECT_EQ(visao.seletorCol, -1);
    EXPECT_TRUE(logica.estado().OkLivre);

    // Coming back from a message box gives the focus back and clears nothing.
    visao.defineCelula(0, 1, "01/02/2027");
    visao.foco.clear();
    logica.FormActivate();
    EXPECT_EQ(visao.foco, "Ed_Empresa");
    EXPECT_EQ(visao.celula(0, 1), "01/02/2027");
    EXPECT_TRUE(eventos.empty());
}

TEST_F(Formulario, EnterAvancaComSaidaEEntrada) {
    EXPECT_TRUE(logica.teclaPressionada("Ed_Empresa", '\r'));
    EXPECT_EQ(eventos, (std::vector<std::string>{"exit Ed_Empresa", "enter Ed_Fornecedor"}));
    EXPECT_EQ(logica.ativo(), "Ed_Fornecedor");
    EXPECT_FALSE(logica.teclaPressionada("Ed_Fornecedor", 'A')); // other keys go to the edit
}

TEST_F(Formulario, SaidaQueMudaOFocoInterrompeAMudanca) {
    logica.defineSaida("Ed_Empresa", [this] { logica.focaliza("Ed_Custo2"); });
    logica.proximo();
    EXPECT_EQ(logica.ativo(), "Ed_Custo2");
    EXPECT_EQ(eventos,
              (std::vector<std::string>{"enter Ed_Custo2"})); // Ed_Fornecedor was never entered
}

TEST_F(Formulario, SetaParaCimaVoltaMenosEmEd_Empresa) {
    vaiPara("Ed_Custo2");
    EXPECT_TRUE(logica.teclaAbaixada("Ed_Custo2", Tecla::Cima));
    EXPECT_EQ(logica.ativo(), "Ed_Fornecedor");
    EXPECT_EQ(eventos, (std::vector<std::string>{"exit Ed_Custo2", "enter Ed_Fornecedor"}));
    vaiPara("Ed_Empresa");
    EXPECT_FALSE(logica.teclaAbaixada("Ed_Empresa", Tecla::Cima));
    EXPECT_FALSE(logica.teclaAbaixada("Ed_Empresa", Tecla::PageDown));
    EXPECT_EQ(logica.ativo(), "Ed_Empresa");
    EXPECT_TRUE(eventos.empty());
}

TEST_F(Formulario, PageDownExecutaOkSemSairDoCampo) {
    vaiPara("Ed_Despesa");
    EXPECT_TRUE(logica.teclaAbaixada("Ed_Despesa", Tecla::PageDown));
    EXPECT_EQ(eventos, (std::vector<std::string>{"ok"}));
    EXPECT_EQ(logica.ativo(), "Ed_Despesa");
    logica.estado().OkLivre = false; // an OK action already running is not entered again
    eventos.clear();
    logica.teclaAbaixada("Ed_Despesa", Tecla::PageDown);
    EXPECT_TRUE(eventos.empty());
}

TEST_F(Formulario, FimDasSequencias) {
    vaiPara("Ed_HistVar2");
    logica.teclaPressionada("Ed_HistVar2", '\r');
    EXPECT_EQ(logica.ativo(), "GradeChq"); // account panels hidden: straight to the grid
    EXPECT_EQ(visao.rolagens, 1);

    visao.defineVisivel("Pn_Contabil2", true);
    vaiPara("Ed_HistVar2");
    logica.teclaPressionada("Ed_HistVar2", '\r');
    EXPECT_EQ(logica.ativo(), "Ed_Cred2");

    vaiPara("Ed_HisVarBan");
    logica.teclaPressionada("Ed_HisVarBan", '\r');
    EXPECT_EQ(logica.ativo(), "Ed_HistPad2");
    EXPECT_EQ(visao.rolagens, 3);

    visao.defineVisivel("Pn_Contabil1", false);
    vaiPara("Ed_HistVar1");
    EXPECT_EQ(visao.pagina, 1);
    logica.teclaPressionada("Ed_HistVar1", '\r');
    EXPECT_EQ(eventos, (std::vector<std::string>{"ok"})); // no exit, no move
    visao.defineVisivel("Pn_Contabil1", true);
    eventos.clear();
    logica.teclaPressionada("Ed_HistVar1", '\r');
    EXPECT_EQ(logica.ativo(), "Ed_Cred1");
}

TEST_F(Formulario, TabCicloPelaPaginaEControlesOcultos) {
    vaiPara("GradeChq");
    logica.proximo();
    EXPECT_EQ(logica.ativo(), "Pagina");
    logica.proximo();
    EXPECT_EQ(logica.ativo(), "Ed_Empresa");
    logica.anterior();
    logica.anterior();
    EXPECT_EQ(logica.ativo(), "GradeChq");

    logica.paginaEscolhida(1);
    EXPECT_EQ(visao.pagina, 1);
    EXPECT_EQ(logica.ativo(), "Pagina");
    visao.defineVisivel("Ed_CredG1", false);
    vaiPara("Ed_Cred1");
    logica.proximo();
    EXPECT_EQ(logica.ativo(), "Pagina");
}

TEST_F(Formulario, Sair) {
    logica.BtSairClick();
    EXPECT_TRUE(logica.estado().Saindo);
    EXPECT_FALSE(logica.estado().Confirmado);
    EXPECT_TRUE(visao.fechada);
}

TEST(AcaoOk, SegundaEntradaDuranteAAcaoERecusada) {
    // The real OK action (no replacement): a second click handled while the first one lets
    // messages run is turned away, and the guard is free again afterwards.
    VisaoFalsa visao;
    LogicaAL logica{visao};
    logica.FormCreate();
    logica.estado().CodEmpresa = 2;
    visao.defineTexto("Ed_Valor", "10,00");
    int postagens = 0;
    logica.definePostagem([&](const notera::DadosTransferencia&) {
        ++postagens;
        return notera::ResultadoPostagem{};
    });
    visao.mensagensPendentes = [&] { logica.BtOkClick(); };
    logica.BtOkClick();
    EXPECT_EQ(postagens, 1);
    EXPECT_TRUE(logica.estado().OkLivre);
    logica.BtOkClick();
    EXPECT_EQ(postagens, 2);
}
