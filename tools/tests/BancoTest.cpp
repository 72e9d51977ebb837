// notera-dados on a server: criar and demo with --banco, and copiar between SQLite and
// PostgreSQL trees.

#include "Arvore.h"
#include "TempDir.h"

#include "db/Armazem.h"
#include "db/Conjunto.h"
#include "db/Esquema.h"
#include "db/Sql.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <map>

namespace fs = std::filesystem;

namespace {

int roda(const std::string& args, std::string* erro = nullptr) {
    std::string saida =
        fs::temp_directory_path() / ("notera-dados-banco-" + std::to_string(getpid()));
    int st = std::system((std::string(NOTERA_DADOS) + " " + args + " 2>" + saida).c_str());
    std::ifstream f(saida);
    std::string texto(std::istreambuf_iterator<char>(f), {});
    if (erro) *erro = texto;
    fs::remove(saida);
    int r = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    if (r != 0 && !erro) ADD_FAILURE() << args << ": " << texto;
    return r;
}

std::string aspas(const std::string& s) {
    return "'" + s + "'";
}

// Every row of every table of every directory, each value in the form its kind compares
// by: money in ten-thousandths, date-times in days, the rest as stored.
using Conteudo = std::map<std::string, std::vector<std::vector<std::string>>>;

std::string comparavel(const db::Campo& c, const db::Valor& v) {
    if (v.ehNulo()) return "<null>";
    switch (c.tipo) {
    case db::Tipo::Dinheiro:
        return "M" + std::to_string(v.comoDinheiro().dezMilesimos());
    case db::Tipo::DataHora:
        return "D" + db::textoDeDataHora(v.comoDataHora());
    case db::Tipo::Imagem: {
        auto b = v.comoBytes();
        return "B" + std::string(b.begin(), b.end());
    }
    case db::Tipo::Flutuante: {
        char buf[64];
        std::snprintf(buf, sizeof buf, "F%.17g", v.comoDouble());
        return buf;
    }
    default:
        return (c.tipo == db::Tipo::Inteiro ? "I" : "T") + v.comoTexto();
    }
}

Conteudo conteudo(const std::string& dados) {
    Conteudo r;
    for (auto& rel : db::diretoriosDe(dados)) {
        std::string dir = (fs::path(dados) / rel).string();
        for (auto& tabela : db::tabelasDe(dir)) {
            db::Tabela t(dir, tabela);
            t.abre();
            auto& linhas = r[rel + "/" + db::sql::minusculas(tabela)];
            for (t.primeiro(); !t.fim(); t.proximo()) {
                std::vector<std::string> l;
                for (std::size_t k = 0; k < t.campos().size(); ++k)
                    l.push_back(db::sql::minusculas(t.campos()[k].nome) + "=" +
                                comparavel(t.campos()[k], t.registro().em(k)));
                linhas.push_back(l);
            }
        }
    }
    return r;
}

std::size_t total(const Conteudo& c) {
    std::size_t n = 0;
    for (auto& [_, linhas] : c)
        n += linhas.size();
    return n;
}

TEST(NoteraDadosBanco, CriarNoServidorEscreveBancoConfEEsquemas) {
    BancoDeTestes banco;
    TempDir dir;
    ASSERT_EQ(roda("criar " + dir.str() + " 1 12 --banco " + aspas(banco.uri())), 0);
    std::ifstream conf(dir.caminho() / "banco.conf");
    std::string texto(std::istreambuf_iterator<char>(conf), {});
    EXPECT_EQ(db::uriDeConfiguracao(texto), banco.uri());
    EXPECT_EQ(db::diretoriosDe(dir.str()),
              (std::vector<std::string>{"Tabelas", "Tabelas/001", "Tabelas/012"}));
    EXPECT_FALSE(fs::exists(dir.caminho() / "Tabelas" / "tabelas.sqlite"));
    db::Tabela t(dir.str() + "/Tabelas/012/", "TbLanPag.db");
    ASSERT_NO_THROW(t.abre());
    EXPECT_TRUE(t.vazio());
    EXPECT_EQ(t.campos().at(10).tipo, db::Tipo::Dinheiro);
    // Again: refused, nothing touched.
    std::string erro;
    EXPECT_EQ(roda("criar " + dir.str() + " 2 1 --banco " + aspas(banco.uri()), &erro), 1);
    EXPECT_NE(erro.find("já tem tabelas"), std::string::npos) << erro;
    EXPECT_FALSE(db::existemTabelas(dir.str() + "/Tabelas/002"));
    EXPECT_EQ(roda("criar " + dir.str() + " 2 --banco postgresql:///outro", &erro), 1);
    EXPECT_NE(erro.find("outro servidor"), std::string::npos) << erro;
}

// The demo on a server holds what the demo in files holds; a copy there and back gives the
// same rows.
TEST(NoteraDadosBanco, DemoECopiaIdaEVolta) {
    BancoDeTestes servidor, copia;
    TempDir arquivos, noServidor, ida, volta;
    ASSERT_EQ(roda("demo " + arquivos.str()), 0);
    ASSERT_EQ(roda("demo " + noServidor.str() + " --banco " + aspas(servidor.uri())), 0);
    const Conteudo original = conteudo(arquivos.str());
    EXPECT_GT(total(original), 50u);
    EXPECT_EQ(conteudo(noServidor.str()), original);

    { std::ofstream(ida.caminho() / "banco.conf") << "# cópia\n" << copia.uri() << "\n"; }
    ASSERT_EQ(roda("copiar " + arquivos.str() + " " + ida.str()), 0);
    EXPECT_EQ(conteudo(ida.str()), original);
    ASSERT_EQ(roda("copiar " + ida.str() + " " + volta.str()), 0);
    EXPECT_TRUE(fs::exists(volta.caminho() / "Tabelas" / "003" / "tabelas.sqlite"));
    EXPECT_EQ(conteudo(volta.str()), original);

    // A destination table with rows: refused, named, nothing written anywhere.
    db::Tabela cli(volta.str() + "/Tabelas/001", "TbCli");
    cli.abre();
    const auto antes = conteudo(volta.str());
    std::string erro;
    TempDir vazio;
    ASSERT_EQ(roda("criar " + vazio.str() + " 1"), 0);
    db::Tabela cliVazio(vazio.str() + "/Tabelas/001", "TbCli");
    cliVazio.abre();
    cliVazio.acrescenta();
    cliVazio.define("cod_cli", 99);
    cliVazio.grava();
    cliVazio.fecha();
    EXPECT_EQ(roda("copiar " + arquivos.str() + " " + vazio.str(), &erro), 1);
    EXPECT_NE(erro.find("TbCli"), std::string::npos) << erro;
    EXPECT_NE(erro.find("nada foi copiado"), std::string::npos) << erro;
    EXPECT_EQ(total(conteudo(vazio.str())), 1u);
    EXPECT_FALSE(fs::exists(vazio.caminho() / "Tabelas" / "002"));
    ASSERT_EQ(roda("copiar " + arquivos.str() + " " + vazio.str() + " --substituir"), 0);
    EXPECT_EQ(conteudo(vazio.str()), original);

    // The same refusal on a server, and its replacement in one transaction.
    ASSERT_EQ(roda("copiar " + arquivos.str() + " " + ida.str(), &erro), 1);
    EXPECT_NE(erro.find("nada foi copiado"), std::string::npos) << erro;
    ASSERT_EQ(roda("copiar " + arquivos.str() + " " + ida.str() + " --substituir"), 0);
    EXPECT_EQ(conteudo(ida.str()), original);
    EXPECT_EQ(conteudo(volta.str()), antes);
}

// The demo's scripted transfer through notera-host, on a data tree kept on the server.
TEST(NoteraDadosBanco, TransferenciaPeloHostNoServidor) {
    BancoDeTestes banco;
    TempDir dir;
    const std::string dados = dir.str() + "/dados";
    ASSERT_EQ(roda("demo " + dados + " --banco " + aspas(banco.uri())), 0);
    std::string roteiro =
        "# origin company 2, its supplier, cost centre, bank account and expense category\n"
        "type 2\n"
        "key Enter\n"
        "type 1\n"
        "key Enter\n"
        "type ADM\n"
        "key Enter\n"
        "type 1\n"
        "key Enter\n"
        "type 3\n"
        "key Enter\n"
        "focus Ed_HistVar2\n"
        "type \"TRANSFERENCIA PARA BOM SABOR\"\n"
        "# two cheques: 1.000,00 and the 500,00 that the grid proposes\n"
        "focus GradeChq\n"
        "key Enter Enter\n"
        "type 850301\n"
        "key Enter Backspace\n"
        "type 1000\n"
        "key Enter Enter Enter Enter\n"
        "key Enter Enter\n"
        "type 850302\n"
        "key Enter Enter Enter Enter Enter\n"
        "# a new row was proposed: erase its date and leave the grid\n"
        "key Backspace Enter\n"
        "# destination page: client, cost centre, bank, revenue, history\n"
        "key Enter\n"
        "type 3\n"
        "key Enter\n"
        "type ADM\n"
        "key Enter\n"
        "type 1\n"
        "key Enter\n"
        "type 2\n"
        "key Enter Enter\n"
        "type \"APORTE PARA PAGAMENTOS DE DEZEMBRO\"\n"
        "# post it, print the notice once into a PDF\n"
        "answer Sim\n"
        "answer Nao\n"
        "print @PDF@\n"
        "click BtOk\n";
    const std::string pdf = dir.str() + "/aviso.pdf";
    roteiro.replace(roteiro.find("@PDF@"), 5, pdf);
    std::ofstream(dir.caminho() / "t.script") << roteiro;
    fs::create_directories(dir.caminho() / "run");
    fs::permissions(dir.caminho() / "run", fs::perms::owner_all);
    const std::string ambiente = "QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=" + dir.str() +
                                 "/cfg XDG_RUNTIME_DIR=" + dir.str() + "/run ";
    const int st =
        std::system((ambiente + NOTERA_HOST + " transferencia --dados " + dados +
                     "/ --empresa 1 --contabil --valor 1500.00 --ref 'NF 1' "
                     "--controle DEMO --script " +
                     dir.str() + "/t.script --log " + dir.str() + "/log.jsonl 2>/dev/null")
                        .c_str());
    ASSERT_TRUE(WIFEXITED(st));
    EXPECT_EQ(WEXITSTATUS(st), 0);
    auto conta = [&](const std::string& d, const char* t) {
        db::Tabela x(dados + "/Tabelas/" + d, t);
        x.abre();
        return x.conta();
    };
    EXPECT_EQ(conta("002", "TbLanPag"), 5);
    EXPECT_EQ(conta("002", "TbChqPag"), 3);
    EXPECT_EQ(conta("001", "TbLanRec"), 4);
    db::Tabela cal(dados + "/Tabelas/001", "TbCal");
    cal.abre();
    ASSERT_EQ(cal.conta(), 1);
    EXPECT_EQ(cal.campo("num_cal").comoInteiro(), 1);
    EXPECT_EQ(cal.campo("nal_cal").comoInteiro(), 42);
    EXPECT_EQ(cal.campo("tot_cal").comoDouble(), 1500.0);
    EXPECT_TRUE(fs::exists(pdf));
}

} // namespace
