// Hostile texts in the company register, the catalogues and what the clerk types: beyond
// their columns' lengths, NUL bytes, control characters, quotes and shell metacharacters.
// A transfer with cheques is posted through notera-host and its notice printed; the texts
// must be stored as they came, run nothing, and stay inside their boxes on the notice.

#include "Host.h"
#include "Pdf.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using apoio::sql;

namespace {

// A text as an SQL expression: quotes doubled, NUL and control characters through char().
std::string literal(const std::string& s) {
    std::string r = "(''";
    std::string trecho;
    auto fecha = [&] {
        if (!trecho.empty()) r += " || '" + trecho + "'";
        trecho.clear();
    };
    for (unsigned char c : s) {
        if (c < 0x20 || c == 0x7f) {
            fecha();
            r += " || char(" + std::to_string(c) + ")";
        } else if (c == '\'') {
            trecho += "''";
        } else {
            trecho += static_cast<char>(c);
        }
    }
    fecha();
    return r + ")";
}

// A typed text as a script argument.
std::string roteiro(const std::string& s) {
    std::string r = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') r += '\\';
        r += c;
    }
    return r + "\"";
}

std::string repete(const std::string& s, std::size_t tamanho) {
    std::string r;
    while (r.size() < tamanho)
        r += s;
    return r.substr(0, tamanho);
}

// What the form stores of a typed text: the form keeps Caps Lock on.
std::string maiusculas(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

std::string arquivoEmpresa(const std::string& dados, int cod) {
    char nnn[8];
    std::snprintf(nnn, sizeof nnn, "%03d", cod);
    return dados + "/Tabelas/" + nnn + "/tabelas.sqlite";
}

class Hostil : public ::testing::Test {
protected:
    void SetUp() override {
        auto r =
            apoio::executa({apoio::binario("notera-dados"), "demo", dados()},
                           {{"QT_QPA_PLATFORM", "offscreen"}, {"XDG_RUNTIME_DIR", dir.caminho()}});
        ASSERT_EQ(r.saida, 0) << r.err;
    }
    std::string dados() const { return dir / "dados"; }
    std::string marca() const { return dir / "INJETADO"; }
    // Quotes, SQL and every shell construct that would create the mark if a shell ran it.
    std::string shell() const {
        const std::string m = marca();
        return "O'Brien \"Aspas\" '; DROP TABLE TbEmp; -- ; touch " + m + " ; $(touch " + m +
               ") `touch " + m + "` | tee " + m + " & > " + m + " < * ? \\ %s %n %x";
    }

    apoio::DirTemp dir;
};

TEST_F(Hostil, TransferenciaComTextosHostisGravadaEImpressa) {
    const std::string nomeDestino = repete("BOM SABOR 'ALIMENTOS' \"LTDA\" $(touch X) ", 5000);
    const std::string controles = std::string("Rua\tdas\r\nPalmeiras\x1b[2J\x07") + '\0' + "fim";
    const std::string registro = dados() + "/Tabelas/tabelas.sqlite";
    sql(registro, "UPDATE TbEmp SET nom_emp = " + literal(nomeDestino) +
                      ", end_emp = " + literal(controles) + ", nro_emp = " + literal(shell()) +
                      ", cid_emp = " + literal(repete("CIDADE ", 300)) +
                      ", uf_emp = " + literal(std::string("S") + '\0' + "P") +
                      " WHERE cod_emp = 1;"
                      "UPDATE TbEmp SET nom_emp = " +
                      literal(shell() + " \xF0\x9F\x98\x80 \xE6\xBC\xA2") + " WHERE cod_emp = 2");
    const std::string origem = arquivoEmpresa(dados(), 2), destino = arquivoEmpresa(dados(), 1);
    const std::string nomeFornecedor = shell() + repete(" FORNECEDOR", 300);
    sql(origem, "UPDATE TbFor SET nom_for = " + literal(nomeFornecedor) +
                    " WHERE cod_for = 1;"
                    "UPDATE TbHis SET nom_his = " +
                    literal(std::string("HIST") + '\0' + "OCULTO") +
                    " WHERE cod_his = 1;"
                    "UPDATE TbBan SET nom_ban = " +
                    literal(repete("BANCO MUITO LONGO ", 5000)) +
                    " WHERE cod_ban = 1;"
                    "UPDATE TbCen SET nom_cen = " +
                    literal("ADM\r\n\x07\x1b[1m") +
                    " WHERE cod_cen = 'ADM';"
                    "UPDATE TbRed SET nom_red = " +
                    literal(shell()) +
                    " WHERE cod_red = 3;"
                    "UPDATE TbPla SET nom_pla = " +
                    literal(repete("CONTA 'LONGA' ", 41)) + " WHERE cde_pla = '2.1.01.001'");
    sql(destino, "UPDATE TbCli SET nom_cli = " + literal(std::string("CLIENTE") + '\0' + "NUL") +
                     " WHERE cod_cli = 3;"
                     "UPDATE TbHis SET nom_his = " +
                     literal(shell()) +
                     " WHERE cod_his = 3;"
                     "UPDATE TbRed SET nom_red = " +
                     literal(repete("RECEITA ", 300)) + " WHERE cod_red = 2");

    const std::string hist2 = "PAGTO 'X' \"Y\" $(touch " + marca() + ") ; | & `id` %s";
    const std::string hist1 = repete("APORTE 'A' \"B\" ; $(id) ", 300);
    const std::string ref = "NF 1'; DROP TABLE TbCal; -- $(touch " + marca() + ")";
    const std::string controle = repete("CTL \"'$;|&`", 300);
    const std::string pdf = dir / "aviso.pdf";
    const std::string texto =
        "type 2\nkey Enter\n"
        "type 1\nkey Enter\n"
        "type ADM\nkey Enter\n"
        "type 1\nkey Enter\n"
        "type 3\nkey Enter\n"
        "focus Ed_HistVar2\ntype " +
        roteiro(hist2) +
        "\n"
        "dump Ed_Fornecedor\ndump Ed_Custo2\ndump Ed_Banco2\ndump Ed_Despesa\ndump Ed_Empresa\n"
        "focus GradeChq\n"
        "key Enter Enter\ntype 850301\nkey Enter Backspace\ntype 1000\n"
        "key Enter Enter Enter Enter\n"
        "key Enter Enter\ntype 850302\nkey Enter Enter Enter Enter Enter\n"
        "key Backspace Enter\n"
        "key Enter\ntype 3\nkey Enter\n"
        "type ADM\nkey Enter\n"
        "type 1\nkey Enter\n"
        "type 2\nkey Enter Enter\n"
        "focus Ed_HistVar1\ntype " +
        roteiro(hist1) +
        "\n"
        "dump Ed_Cliente\ndump Ed_HistPad1\n"
        "answer Sim\nanswer Nao\nprint " +
        pdf + "\nclick BtOk\n";
    auto e = apoio::rodaHost(dir,
                             {"transferencia", "--dados", dados() + "/", "--empresa", "1",
                              "--contabil", "--valor", "1500", "--ref", ref, "--controle", controle,
                              "--data", "2025-06-15"},
                             texto);
    ASSERT_EQ(e.r.saida, 0) << e.r.err;
    EXPECT_TRUE(e.erros().isEmpty()) << e.erros().join(" | ").toStdString();

    // Nothing ran and nothing was injected.
    EXPECT_FALSE(std::filesystem::exists(marca()));
    EXPECT_EQ(sql(registro, "SELECT count(*) FROM TbEmp"), "3\n");

    // The catalogue names reached the form whole.
    auto mostrado = [&](const char* campo) {
        auto d = e.dumps(QString::fromLatin1(campo));
        return d.isEmpty() ? QString() : d.last()["text"].toString();
    };
    EXPECT_EQ(mostrado("Ed_Fornecedor").toStdString(), nomeFornecedor);
    EXPECT_EQ(mostrado("Ed_Despesa").toStdString(), shell());
    EXPECT_EQ(mostrado("Ed_Banco2").toStdString(), repete("BANCO MUITO LONGO ", 5000));
    EXPECT_EQ(mostrado("Ed_HistPad1").toStdString(), shell());

    // Stored exactly as typed (in capitals) and passed.
    auto um = [&](const std::string& arquivo, const std::string& consulta) {
        auto t = sql(arquivo, consulta);
        if (!t.empty() && t.back() == '\n') t.pop_back();
        return t;
    };
    EXPECT_EQ(um(destino, "SELECT his_cal FROM TbCal WHERE nal_cal = 42"), maiusculas(hist1));
    EXPECT_EQ(um(destino, "SELECT las_cal FROM TbCal WHERE nal_cal = 42"), controle);
    EXPECT_EQ(um(origem, "SELECT group_concat(his_lan, '|') FROM TbLanPag WHERE nal_lan = 42"),
              maiusculas(hist2) + "|" + maiusculas(hist2));
    EXPECT_EQ(um(origem, "SELECT count(*) FROM TbChqPag WHERE dup_chq = 'AL 42'"), "2");
    EXPECT_EQ(um(origem, "SELECT hvd_lct FROM TbLct WHERE num_lct = 1"),
              "42 REF. PAGAMENTOS: " + ref + " - " + maiusculas(hist2));
    EXPECT_EQ(um(destino, "SELECT hvd_lct FROM TbLct WHERE num_lct = 1"),
              "42 REF. PAGAMENTOS: " + ref + " - " + maiusculas(hist1));

    // The notice: the destination's name cut inside its box, with an ellipsis.
    const auto doc = pdf::le(QString::fromStdString(pdf));
    ASSERT_EQ(doc.paginas, 1);
    const double m = 6.35, direita = m + 4.445 + 156.210, topo = m + 19.262;
    int palavrasDoNome = 0;
    bool reticencias = false;
    double fimDoNome = 0, fimDaFolha = 0;
    for (const auto& w : doc.palavras) {
        fimDaFolha = std::max(fimDaFolha, w.caixa.x1);
        if (w.caixa.y0 < topo - 1 || w.caixa.y0 > topo + 3) continue;
        ++palavrasDoNome;
        fimDoNome = std::max(fimDoNome, w.caixa.x1);
        reticencias = reticencias || w.texto.endsWith(QChar(0x2026));
    }
    EXPECT_GT(palavrasDoNome, 3);
    EXPECT_LE(fimDoNome, direita + 0.1);
    EXPECT_TRUE(reticencias);
    EXPECT_LE(fimDaFolha, 210.0); // nothing off the sheet

    // And the books still agree.
    auto v = apoio::executa({apoio::binario("notera-dados"), "verificar", dados()});
    EXPECT_EQ(v.saida, 0) << v.out << v.err;
}

// The cheque's texts come from the same catalogues: the files keep their form whatever the
// texts hold.
TEST_F(Hostil, ChequeComTextosHostis) {
    const std::string porta = dir / "porta.prn";
    apoio::gravaArquivo(dir / "respostas.txt", "answer Sim\nanswer Sim\n");
    auto r = apoio::executa({apoio::binario("notera-host"),
                             "cheque",
                             "--porta",
                             porta,
                             "--valor",
                             "1234.50",
                             "--banco",
                             "1",
                             "--nome-banco",
                             "Banco\r\nPRINT /D:" + marca() + " /etc/passwd\x1b",
                             "--numero",
                             "4321",
                             "--data",
                             "2003-03-05",
                             "--portador",
                             "A\r\n\x1b\xc2\xa3 999,99 " + shell(),
                             "--cidade",
                             "Rio\x1b@\r\n" + shell(),
                             "--empresa",
                             "Emp\tresa\r\n" + shell(),
                             "--verso",
                             "Pague\x1b@\r\n" + shell(),
                             "--copia",
                             "--script",
                             dir / "respostas.txt",
                             "--log",
                             dir / "log.jsonl"},
                            {{"QT_QPA_PLATFORM", "offscreen"},
                             {"TMPDIR", dir.caminho()},
                             {"XDG_RUNTIME_DIR", dir.caminho()}});
    ASSERT_EQ(r.saida, 0) << r.err;
    std::string arquivo = r.out;
    while (!arquivo.empty() && (arquivo.back() == '\n' || arquivo.back() == '\r'))
        arquivo.pop_back();
    ASSERT_TRUE(arquivo.ends_with(".TXT")) << r.out;
    const std::string lote = arquivo.substr(0, arquivo.size() - 4) + ".BAT";
    EXPECT_EQ(apoio::leArquivo(lote),
              "MODE COM1:9600,N,8,1\r\nPRINT /D:" + porta + " " + arquivo + "\r\nEXIT\r\n");
    // The copy, the last file written: lines end in CR LF only, escapes only open a line.
    const std::string copia = apoio::leArquivo(arquivo);
    ASSERT_NE(copia.find("COPIA DE CHEQUE"), std::string::npos);
    for (std::size_t i = 0; i < copia.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(copia[i]);
        if (c == '\r') {
            ASSERT_TRUE(i + 1 < copia.size() && copia[i + 1] == '\n') << i;
        } else if (c == '\n') {
            ASSERT_TRUE(i > 0 && copia[i - 1] == '\r') << i;
        } else if (c == 0x1b) {
            ASSERT_EQ(i, 0u);
        } else {
            ASSERT_TRUE(c >= ' ' && c != 0x7f) << "byte " << int(c) << " at " << i;
        }
    }
    EXPECT_FALSE(std::filesystem::exists(marca()));
}

} // namespace
