// Cheque.dll under Wine: a 32-bit host (chequeteste.exe) calls the export for every case of
// cheque_casos.h; here its print files, batch files, launches and boxes are compared byte for
// byte with what the Linux library writes for the same cases.

#include "Apoio.h"
#include "Extenso.h"
#include "cheque/PrintFiles.h"
#include "cheque_casos.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

using namespace cheque;

namespace {

std::string b(int n) {
    return std::string(static_cast<std::size_t>(n), ' ');
}

// Z: is the root of the Linux file system under Wine.
std::string caminhoWine(const std::string& linux) {
    std::string w = "Z:" + linux;
    for (char& c : w)
        if (c == '/') c = '\\';
    return w;
}

std::string deHex(const std::string& h) {
    std::string s;
    for (std::size_t i = 0; i + 1 < h.size(); i += 2)
        s += static_cast<char>(std::stoi(h.substr(i, 2), nullptr, 16));
    return s;
}

struct Execucao {
    apoio::Resultado r;
    std::vector<std::string> geral;                          // lines before the first case
    std::map<std::string, std::vector<std::string>> porCaso; // lines of each case
    std::string windir;
};

class ChequeWine : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = std::make_unique<apoio::DirTemp>();
        // Not there yet: the DLL creates it and its missing parent.
        std::filesystem::create_directory(*dir / "tmp");
        const std::string pasta = CHEQUE_WINDOWS_DIR;
        exe = std::make_unique<Execucao>();
        const char* wine = std::getenv("CHEQUE_WINE");
        // A box nobody answers ends the run instead of hanging it.
        exe->r =
            apoio::executa({"/usr/bin/timeout", "180", wine && *wine ? wine : "/usr/bin/wine",
                            pasta + "/chequeteste.exe", caminhoWine(pasta + "/Cheque.dll"),
                            caminhoWine(dir->caminho()), caminhoWine(*dir / "tmp/novo/sub") + "\\"},
                           {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}});
        std::istringstream in(apoio::leArquivo(*dir / "manifesto.txt"));
        std::string linha, caso;
        while (std::getline(in, linha)) {
            if (linha.rfind("caso ", 0) == 0) {
                caso = linha.substr(5);
                exe->porCaso[caso];
            } else if (caso.empty()) {
                exe->geral.push_back(linha);
                if (linha.rfind("windir ", 0) == 0) exe->windir = linha.substr(7);
            } else {
                exe->porCaso[caso].push_back(linha);
            }
        }
    }
    static void TearDownTestSuite() {
        exe.reset();
        dir.reset();
    }

    static std::vector<std::string> linhas(const std::string& caso, const std::string& prefixo) {
        std::vector<std::string> l;
        for (const auto& s : exe->porCaso[caso])
            if (s.rfind(prefixo, 0) == 0) l.push_back(s.substr(prefixo.size()));
        return l;
    }
    static std::string unica(const std::string& caso, const std::string& prefixo) {
        auto l = linhas(caso, prefixo);
        return l.size() == 1 ? l[0] : "<" + std::to_string(l.size()) + " linhas " + prefixo + ">";
    }

    static std::unique_ptr<apoio::DirTemp> dir;
    static std::unique_ptr<Execucao> exe;
};

std::unique_ptr<apoio::DirTemp> ChequeWine::dir;
std::unique_ptr<Execucao> ChequeWine::exe;

// The case's data as the host passed them (the host lengthens two texts of one case).
DadosCheque dadosDoCaso(const CasoCheque& c) {
    DadosCheque d;
    d.valor = c.valor;
    d.banco = c.banco;
    d.nomeBanco = c.nomeBanco;
    d.numero = c.numero;
    d.data = c.data;
    d.portador = c.portador;
    d.cidade = c.cidade;
    d.verso = c.verso;
    d.empresa = c.empresa;
    if (std::string(c.nome) == "mode_com_nt") {
        d.nomeBanco += std::string(5000, 'X');
        d.empresa = (d.empresa + std::string(300, 'E')).substr(0, 255);
    }
    return d;
}

const std::string Sim = "&Sim", Nao = "&N\xE3o";

} // namespace

TEST_F(ChequeWine, ODllCarregaEExportaSemDecoracao) {
    ASSERT_EQ(exe->r.saida, 0) << exe->r.out << exe->r.err;
    ASSERT_GE(exe->geral.size(), 3u) << exe->r.err;
    EXPECT_EQ(exe->geral[0], "exporta fCheque_Morvane=sim fCheque_Erro=sim decorado=nao");
    EXPECT_EQ(exe->geral[1], "troca WinExec=sim ShellExecuteA=sim GetVersionExA=sim");
    EXPECT_NE(std::find(exe->geral.begin(), exe->geral.end(), "janela sim"), exe->geral.end())
        << "no window could be created: no confirmation box can open";
    EXPECT_TRUE(exe->porCaso.count("temp_longo"));
    EXPECT_EQ(unica("temp_longo", "fim"), "");
}

// Every call must leave the stack as it found it: __stdcall removes the 56 bytes of
// arguments. The same measure on a cdecl function shows that the check can fail.
TEST_F(ChequeWine, ConvencaoStdcall) {
    if (std::find(exe->geral.begin(), exe->geral.end(), "arquitetura x86_64") != exe->geral.end())
        GTEST_SKIP() << "64-bit build: one register convention, nothing to measure (the 32-bit "
                        "DLL's ret is checked by scripts/verifica-dll.sh in make windows)";
    int chamadas = 0;
    for (const auto& [caso, l] : exe->porCaso)
        for (const auto& r : linhas(caso, "retirados ")) {
            EXPECT_EQ(r, "56") << caso;
            ++chamadas;
        }
    EXPECT_EQ(chamadas, static_cast<int>(std::size(CasosCheque)) + 3);
    EXPECT_EQ(unica("temp_longo", "cdecl retirados "), "0");
}

TEST_F(ChequeWine, ArquivosIguaisAosDoLinux) {
    int comparados = 0;
    for (const auto& c : CasosCheque) {
        if (*c.erro) continue;
        SCOPED_TRACE(c.nome);
        const DadosCheque d = dadosDoCaso(c);
        const std::string arquivo = unica(c.nome, "arquivo ");
        ASSERT_EQ(arquivo.rfind(caminhoWine(*dir / "tmp/novo/sub") + "\\", 0), 0u) << arquivo;
        ASSERT_EQ(arquivo.size(), caminhoWine(*dir / "tmp/novo/sub").size() + 1 + 10) << arquivo;
        EXPECT_EQ(arquivo.substr(arquivo.size() - 4), ".TXT");
        EXPECT_EQ(unica(c.nome, "erro "), "");
        EXPECT_EQ(unica(c.nome, "novos "), "2");
        EXPECT_EQ(unica(c.nome, "versao tamanho="), "148");

        // What was launched, in order, and the questions asked on the way.
        std::vector<std::string> esperados = {arquivoFrente(d)};
        std::vector<std::string> caixas;
        const std::string respostas = c.respostas;
        std::size_t r = 0;
        if (*c.verso) {
            const char a = respostas.at(r++);
            caixas.push_back("Confirme|Confirma a impress\xE3o do verso do cheque?|" + Sim + "|" +
                             Nao + "|" + a);
            if (a == 'S') esperados.push_back(arquivoVerso(d.verso));
        }
        if (c.copia) {
            const char a = respostas.at(r++);
            caixas.push_back("Confirme|Confirma a impress\xE3o da c\xF3pia do cheque?|" + Sim +
                             "|" + Nao + "|" + a);
            TExtenso extenso;
            extenso.Valor = d.valor;
            if (a == 'S') esperados.push_back(arquivoCopia(d, extenso.PorExtenso()));
        }
        EXPECT_EQ(linhas(c.nome, "caixa "), caixas);
        EXPECT_EQ(unica(c.nome, "respostas usadas "), std::to_string(r));

        const std::string lote = arquivo.substr(0, arquivo.size() - 4) + ".BAT";
        const auto lancamentos = linhas(c.nome, "lancamento ");
        ASSERT_EQ(lancamentos.size(), esperados.size());
        const Familia familia = c.plataforma < 2 ? Familia::Win9x : Familia::NT;
        const std::string diretorioComandos =
            exe->windir + (familia == Familia::Win9x ? "COMMAND\\" : "SYSTEM32\\");
        for (std::size_t i = 0; i < esperados.size(); ++i) {
            EXPECT_EQ(apoio::leArquivo(
                          *dir / (std::string(c.nome) + "_" + std::to_string(i + 1) + ".TXT")),
                      esperados[i])
                << "impressao " << i + 1;
            if (familia == Familia::NT)
                EXPECT_EQ(lancamentos[i], "WinExec|" + lote + "|0");
            else
                EXPECT_EQ(lancamentos[i], "ShellExecute|open|COMMAND.COM| /C " + lote + "|" +
                                              diretorioComandos + "|0");
        }
        EXPECT_EQ(apoio::leArquivo(*dir / (std::string(c.nome) + ".BAT")),
                  arquivoLote(arquivo, c.porta, familia, *c.modeCom ? diretorioComandos : ""));
        ++comparados;
    }
    EXPECT_EQ(comparados, 6);
}

// The first two cases written out: the same bytes the Linux host test expects.
TEST_F(ChequeWine, BytesEscritosPorExtenso) {
    const std::string frente = "\r\n"
                               "\x1B@\r\n"
                               "\x1B\xA3        1234,50\r\n"
                               "\x1B\xA2  1\r\n"
                               "\x1B\xA4"
                               "05/03/03\r\n"
                               "\x1B\xA6Jos\xE9 da Silva                           \r\n"
                               "\x1B\xA7Recife                        \r\n"
                               "\x1B\xB1\r\n"
                               "\x1B\xB0\r\n";
    const std::string verso = "\x1B@\r\n" + b(10) + "Pague-se a\r\n" + b(10) + "Fulano\r\n";
    const std::string copia = "\x1B@\r\n"
                              "   COPIA DE CHEQUE\r\n"
                              "   Empresa: Com\xE9rcio Alfa Ltda" +
                              b(42) +
                              "\r\n"
                              " \r\n"
                              "   Banco :   1  Banco do Brasil" +
                              b(15) + "Cheque No: 4321\r\n" + b(46) +
                              "Valor    :         1234,50\r\n"
                              " \r\n"
                              " \r\n" +
                              b(9) +
                              "UM MIL, DUZENTOS E TRINTA E QUATRO REAIS E CINQUENTA CENTAVOS\r\n"
                              "   Portador: Jos\xE9 da Silva" +
                              b(27) +
                              "\r\n"
                              " \r\n" +
                              b(20) + "Local e Data: Recife,  5 de Mar\xE7o de 2003\r\n" + " \r\n" +
                              b(10) + "Pague-se a\r\n" + b(10) + "Fulano\r\n";
    EXPECT_EQ(apoio::leArquivo(*dir / "so_frente_1.TXT"), frente);
    EXPECT_EQ(apoio::leArquivo(*dir / "verso_e_copia_1.TXT"), frente);
    EXPECT_EQ(apoio::leArquivo(*dir / "verso_e_copia_2.TXT"), verso);
    EXPECT_EQ(apoio::leArquivo(*dir / "verso_e_copia_3.TXT"), copia);
    const std::string arquivo = unica("so_frente", "arquivo ");
    EXPECT_EQ(apoio::leArquivo(*dir / "so_frente.BAT"),
              "MODE COM1:9600,N,8,1\r\nPRINT /D:LPT1 " + arquivo + "\r\nEXIT\r\n");
    EXPECT_EQ(apoio::leArquivo(*dir / "nao_verso_sim_copia_9x.BAT"),
              exe->windir + "COMMAND\\MODE COM1:9600,N,8,1\r\nTYPE " +
                  unica("nao_verso_sim_copia_9x", "arquivo ") + " >LPT2\r\nEXIT\r\n");
}

// Port texts that would reach the command interpreter: refused through fCheque_Erro before
// any file is written or anything launched.
TEST_F(ChequeWine, PortasRecusadas) {
    int recusados = 0;
    for (const auto& c : CasosCheque) {
        if (!*c.erro) continue;
        SCOPED_TRACE(c.nome);
        EXPECT_EQ(deHex(unica(c.nome, "erro ")), c.erro);
        EXPECT_EQ(unica(c.nome, "arquivo "), "|todo NUL");
        EXPECT_EQ(unica(c.nome, "novos "), "0");
        EXPECT_TRUE(linhas(c.nome, "lancamento ").empty());
        EXPECT_TRUE(linhas(c.nome, "caixa ").empty());
        ++recusados;
    }
    EXPECT_EQ(recusados, 7);
}

// A failed print is never reported as printed: the front's launch failing fails the call;
// once the front is printed, a failed back is told in a warning box and the call succeeds.
TEST_F(ChequeWine, LancamentoQueNaoIniciou) {
    EXPECT_EQ(linhas("falha_na_frente", "lancamento ").size(), 1u);
    const std::string erro = deHex(unica("falha_na_frente", "erro "));
    EXPECT_EQ(erro.rfind("N\xE3o foi poss\xEDvel imprimir o cheque: " +
                             caminhoWine(*dir / "tmp/novo/sub") + "\\",
                         0),
              0u)
        << erro;
    EXPECT_EQ(erro.substr(erro.size() - 20), ".BAT n\xE3o iniciou (2)") << erro;
    EXPECT_EQ(unica("falha_na_frente", "arquivo "), "");
    EXPECT_TRUE(linhas("falha_na_frente", "caixa ").empty()); // no question after a failed front

    const std::string arquivo = unica("falha_no_verso", "arquivo ");
    EXPECT_EQ(arquivo.substr(arquivo.size() - 4), ".TXT");
    EXPECT_EQ(unica("falha_no_verso", "erro "), "");
    const auto caixas = linhas("falha_no_verso", "caixa ");
    ASSERT_EQ(caixas.size(), 2u);
    EXPECT_EQ(caixas[0], "Confirme|Confirma a impress\xE3o do verso do cheque?|&Sim|&N\xE3o|S");
    EXPECT_EQ(caixas[1], "Aviso|N\xE3o foi poss\xEDvel imprimir o verso do cheque: " +
                             arquivo.substr(0, arquivo.size() - 4) +
                             ".BAT n\xE3o iniciou (2)|OK|O");
}

TEST_F(ChequeWine, DoisTrabalhosSeguidosDoisNomes) {
    auto arquivos = linhas("dois_seguidos", "arquivo ");
    ASSERT_EQ(arquivos.size(), 2u);
    EXPECT_NE(arquivos[0], arquivos[1]);
    EXPECT_EQ(linhas("dois_seguidos", "lancamento ").size(), 2u);
    for (int i = 1; i <= 2; ++i)
        EXPECT_NE(apoio::leArquivo(*dir / ("dois_seguidos_" + std::to_string(i) + ".TXT"))
                      .find("\x1B\xA3           " + std::to_string(i) + ",00"),
                  std::string::npos);
}

TEST_F(ChequeWine, DiretorioTemporarioLongoDemais) {
    EXPECT_EQ(deHex(unica("temp_longo", "erro ")),
              "N\xE3o foi poss\xEDvel ler diret\xF3rio tempor\xE1rio!");
    EXPECT_EQ(unica("temp_longo", "todo NUL "), "sim");
}
