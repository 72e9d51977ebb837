#include "Dados.h"

#include "db/Armazem.h"
#include "db/Conjunto.h"
#include "db/Esquema.h"
#include "db/Sql.h"

#include <QBuffer>
#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <charconv>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

namespace fs = std::filesystem;

namespace dados {

namespace {

using db::Valor;
using Linha = std::vector<std::pair<const char*, Valor>>;

// DIR/banco.conf naming the server; an existing one must name the same server.
void escreveBancoConf(const std::string& dir, const std::string& uri) {
    if (uri.find_first_of("\r\n") != std::string::npos)
        throw db::Erro("endereço do banco de dados com quebra de linha");
    fs::create_directories(dir);
    fs::path conf = fs::path(dir) / "banco.conf";
    if (fs::exists(conf)) {
        std::ifstream in(conf, std::ios::binary);
        std::string texto((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (db::uriDeConfiguracao(texto) != uri)
            throw db::Erro(conf.string() + " já existe com outro servidor; nada foi criado");
        return;
    }
    std::ofstream out(conf, std::ios::binary);
    out << "# Servidor PostgreSQL das tabelas deste diretório (URI da libpq).\n" << uri << "\n";
    if (!out.flush()) throw db::Erro(conf.string() + ": não foi possível gravar");
}

long codigoValido(const std::string& texto) {
    long v = 0;
    auto [fim, ec] = std::from_chars(texto.data(), texto.data() + texto.size(), v);
    if (ec != std::errc() || fim != texto.data() + texto.size() || v < 1 || v > INT_MAX)
        throw db::Erro("código de empresa inválido: " + texto);
    return v;
}

void acrescenta(const std::string& dir, const char* tabela, const std::vector<Linha>& linhas) {
    db::Tabela t(dir, tabela);
    t.abre();
    for (auto& l : linhas) {
        t.acrescenta();
        for (auto& [campo, valor] : l)
            t.define(campo, valor);
        t.grava();
    }
    t.fecha();
}

// cfg_emp: one flag per position, from 1; unread positions hold "N".
std::string configuracao(std::size_t tamanho, std::vector<std::pair<std::size_t, char>> flags) {
    std::string s(tamanho, 'N');
    for (auto [pos, c] : flags)
        s[pos - 1] = c;
    return s;
}

db::Bytes logotipo(const QString& iniciais, QColor cor) {
    QImage img(160, 80, QImage::Format_ARGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(cor);
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(4, 4, 72, 72, 12, 12);
        p.setPen(Qt::white);
        QFont f("DejaVu Sans", 26, QFont::Bold);
        p.setFont(f);
        p.drawText(QRect(4, 4, 72, 72), Qt::AlignCenter, iniciais);
        p.setPen(cor);
        p.setFont(QFont("DejaVu Sans", 10));
        p.drawText(QRect(82, 4, 76, 72), Qt::AlignVCenter | Qt::TextWordWrap, "Grupo Bom Sabor");
    }
    QByteArray png;
    QBuffer buf(&png);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return db::Bytes(png.begin(), png.end());
}

// Painting text needs a GUI application; a tool run has none, so one is made offscreen.
std::unique_ptr<QGuiApplication> aplicacaoGrafica() {
    if (QCoreApplication::instance()) return nullptr;
    static int argc = 3;
    static char nome[] = "notera-dados", opcao[] = "-platform", plataforma[] = "offscreen";
    static char* argv[] = {nome, opcao, plataforma, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

struct Conta {
    const char* cde;
    int cdr;
    const char* nome;
    const char* gerencial; // plag_pla
};

// Fiscal chart: levels 1.1.01.001; a last level of zero marks a synthetic account.
const Conta PlanoFiscal[] = {
    {"1.0.00.000", 0, "ATIVO", ""},
    {"1.1.00.000", 101, "ATIVO CIRCULANTE", ""},
    {"1.1.01.000", 102, "DISPONÍVEL", ""},
    {"1.1.01.001", 103, "CAIXA GERAL", "3.01.001"},
    {"1.1.01.002", 104, "BANCO DO BRASIL C/C 12345-6", "3.01.001"},
    {"1.1.01.003", 105, "ITAÚ C/C 98765-4", "3.01.001"},
    {"1.1.02.000", 106, "CLIENTES", ""},
    {"1.1.02.001", 107, "DUPLICATAS A RECEBER", "1.01.002"},
    {"1.1.03.000", 108, "CRÉDITOS COM EMPRESAS DO GRUPO", ""},
    {"1.1.03.001", 109, "TRANSFERÊNCIAS A RECEBER", "1.02.001"},
    {"2.0.00.000", 0, "PASSIVO", ""},
    {"2.1.00.000", 110, "PASSIVO CIRCULANTE", ""},
    {"2.1.01.000", 111, "FORNECEDORES", ""},
    {"2.1.01.001", 112, "FORNECEDORES NACIONAIS", "2.01.001"},
    {"2.1.02.000", 113, "DÉBITOS COM EMPRESAS DO GRUPO", ""},
    {"2.1.02.001", 114, "TRANSFERÊNCIAS A PAGAR", "2.02.001"},
    {"3.0.00.000", 0, "RECEITAS", ""},
    {"3.1.00.000", 115, "RECEITAS OPERACIONAIS", ""},
    {"3.1.01.000", 116, "VENDAS", ""},
    {"3.1.01.001", 117, "VENDA DE MERCADORIAS", "1.01.001"},
    {"3.1.02.000", 118, "RECEITAS DIVERSAS", ""},
    {"3.1.02.001", 119, "TRANSFERÊNCIAS RECEBIDAS", "1.02.001"},
    {"3.1.02.002", 120, "RECEITAS FINANCEIRAS", ""},
    {"4.0.00.000", 0, "DESPESAS", ""},
    {"4.1.00.000", 121, "DESPESAS OPERACIONAIS", ""},
    {"4.1.01.000", 122, "DESPESAS ADMINISTRATIVAS", ""},
    {"4.1.01.001", 123, "ALUGUÉIS", "2.01.001"},
    {"4.1.01.002", 124, "ENERGIA ELÉTRICA", "2.01.001"},
    {"4.1.01.003", 125, "TARIFAS BANCÁRIAS", "2.01.002"},
    {"4.1.02.000", 126, "DESPESAS COM O GRUPO", ""},
    {"4.1.02.001", 127, "TRANSFERÊNCIAS CONCEDIDAS", "2.02.001"},
};

const Conta PlanoGerencial[] = {
    {"1.00.000", 0, "ENTRADAS", ""},
    {"1.01.000", 501, "RECEITAS DE VENDAS", ""},
    {"1.01.001", 502, "VENDAS À VISTA", ""},
    {"1.01.002", 503, "VENDAS A PRAZO", ""},
    {"1.02.000", 504, "ENTRADAS DO GRUPO", ""},
    {"1.02.001", 505, "APORTES DE EMPRESAS DO GRUPO", ""},
    {"2.00.000", 0, "SAÍDAS", ""},
    {"2.01.000", 506, "CUSTOS OPERACIONAIS", ""},
    {"2.01.001", 507, "FORNECEDORES E DESPESAS", ""},
    {"2.01.002", 508, "DESPESAS BANCÁRIAS", ""},
    {"2.02.000", 509, "SAÍDAS PARA O GRUPO", ""},
    {"2.02.001", 510, "REPASSES A EMPRESAS DO GRUPO", ""},
    {"3.00.000", 0, "DISPONIBILIDADES", ""},
    {"3.01.000", 511, "CAIXA E BANCOS", ""},
    {"3.01.001", 512, "SALDOS BANCÁRIOS", ""},
};

void catalogos(const std::string& dir) {
    std::vector<Linha> pla, plag;
    for (auto& c : PlanoFiscal)
        pla.push_back({{"cde_pla", c.cde},
                       {"cdr_pla", c.cdr},
                       {"nom_pla", c.nome},
                       {"plag_pla", c.gerencial}});
    for (auto& c : PlanoGerencial)
        plag.push_back({{"cde_pla", c.cde}, {"cdr_pla", c.cdr}, {"nom_pla", c.nome}});
    acrescenta(dir, "TbPla", pla);
    acrescenta(dir, "TbPlaG", plag);

    acrescenta(dir, "TbHis",
               {{{"cod_his", 1}, {"nom_his", "PAGAMENTO DE FORNECEDOR"}},
                {{"cod_his", 2}, {"nom_his", "RECEBIMENTO DE CLIENTE"}},
                {{"cod_his", 3}, {"nom_his", "TRANSFERÊNCIA ENTRE EMPRESAS DO GRUPO"}},
                {{"cod_his", 4}, {"nom_his", "DEPÓSITO BANCÁRIO"}},
                {{"cod_his", 5}, {"nom_his", "TARIFA BANCÁRIA"}},
                {{"cod_his", 6}, {"nom_his", "PAGAMENTO EM CHEQUE"}}});
    auto red = [](int cod, const char* nome, const char* conta, int his) {
        return Linha{{"cod_red", cod}, {"nom_red", nome}, {"ccb_red", conta}, {"his_red", his}};
    };
    acrescenta(dir, "TbRed",
               {red(1, "VENDAS DE MERCADORIAS", "3.1.01.001", 2),
                red(2, "TRANSFERÊNCIA RECEBIDA DO GRUPO", "3.1.02.001", 3),
                red(3, "TRANSFERÊNCIA CONCEDIDA AO GRUPO", "4.1.02.001", 3),
                red(4, "ALUGUEL", "4.1.01.001", 1), red(5, "ENERGIA ELÉTRICA", "4.1.01.002", 1),
                red(6, "TARIFAS BANCÁRIAS", "4.1.01.003", 5)});
    auto cli = [](int cod, const char* nome, const char* conta, int his) {
        return Linha{{"cod_cli", cod}, {"nom_cli", nome}, {"ccn_cli", conta}, {"hpn_cli", his}};
    };
    acrescenta(dir, "TbCli",
               {cli(1, "SUPERMERCADO PÃO DOURADO LTDA", "1.1.02.001", 2),
                cli(2, "MERCEARIA SÃO JORGE", "1.1.02.001", 2),
                cli(3, "TRANSPORTADORA RIO CLARO S.A.", "1.1.03.001", 3),
                cli(4, "BOM SABOR DISTRIBUIDORA LTDA", "1.1.03.001", 3),
                cli(5, "ATACADÃO PAULISTA LTDA", "1.1.02.001", 2),
                cli(6, "BOM SABOR ALIMENTOS LTDA", "1.1.03.001", 3)});
    auto forn = [](int cod, const char* nome, const char* conta, int his) {
        return Linha{{"cod_for", cod}, {"nom_for", nome}, {"ccn_for", conta}, {"hpn_for", his}};
    };
    acrescenta(dir, "TbFor",
               {forn(1, "COOPERATIVA AGRÍCOLA VALE VERDE", "2.1.01.001", 1),
                forn(2, "EMBALAGENS CAMPINAS LTDA", "2.1.01.001", 1),
                forn(3, "BOM SABOR ALIMENTOS LTDA", "2.1.02.001", 3),
                forn(4, "TRANSPORTADORA RIO CLARO S.A.", "2.1.02.001", 3),
                forn(5, "BOM SABOR DISTRIBUIDORA LTDA", "2.1.02.001", 3),
                forn(6, "CPFL ENERGIA", "2.1.01.001", 1)});
    auto ban = [](int cod, const char* nome, const char* conta, int his) {
        return Linha{{"cod_ban", cod},
                     {"nom_ban", nome},
                     {"ccb_ban", conta},
                     {"ccn_ban", conta},
                     {"hpn_ban", his}};
    };
    acrescenta(dir, "TbBan",
               {ban(1, "BANCO DO BRASIL C/C 12345-6", "1.1.01.002", 4),
                ban(2, "ITAÚ C/C 98765-4", "1.1.01.003", 4),
                ban(3, "CAIXA GERAL", "1.1.01.001", 6)});
    acrescenta(dir, "TbCen",
               {{{"cod_cen", "ADM"}, {"nom_cen", "ADMINISTRAÇÃO"}},
                {{"cod_cen", "COM"}, {"nom_cen", "COMERCIAL"}},
                {{"cod_cen", "FIN"}, {"nom_cen", "FINANCEIRO"}},
                {{"cod_cen", "LOG"}, {"nom_cen", "LOGÍSTICA"}},
                {{"cod_cen", "01.02.003"}, {"nom_cen", "FILIAL CURITIBA"}}});
}

// Monthly periods from 2024 to 2027, lot number = month. With |dezembroAteJaneiro|,
// December's period runs to the end of January and takes the next year in its lot code.
void periodos(const std::string& dir, bool dezembroAteJaneiro, int anoLotesDe, int anoLotesAte) {
    std::vector<Linha> per, ctl;
    for (int ano = 2024; ano <= 2027; ++ano) {
        for (int mes = 1; mes <= 12; ++mes) {
            if (dezembroAteJaneiro && mes == 1 && ano > 2024) continue; // inside December's
            base::Data ini{ano, mes, 1};
            int mesFim = mes, anoFim = ano;
            if (dezembroAteJaneiro && mes == 12) {
                mesFim = 1;
                anoFim = ano + 1;
            }
            int ultimo = 31;
            while (!base::Data::valida(anoFim, mesFim, ultimo))
                --ultimo;
            per.push_back({{"INI_PER", Valor(ini)},
                           {"FIM_PER", Valor(base::Data{anoFim, mesFim, ultimo})},
                           {"LOT_PER", Valor(static_cast<double>(mes))}});
            if (anoFim >= anoLotesDe && anoFim <= anoLotesAte) {
                char lote[16];
                std::snprintf(lote, sizeof lote, "%03d/%d", mes, anoFim);
                ctl.push_back({{"num_lot", lote}});
            }
        }
    }
    acrescenta(dir, "TBPERLOT", per);
    acrescenta(dir, "TbCtl", ctl);
}

// A few earlier records, so that numbering goes on from them.
void movimento(const std::string& dir, int empresa) {
    double dia = base::Data{2025, 3, 10}.emDiasDelphi();
    auto lan = [&](int num, int ccf, int ban, int his, const char* doc, const char* texto,
                   double valor, const char* dc) {
        return Linha{{"num_lan", num},
                     {"dat_lan", Valor::dataHora(dia + num)},
                     {"ven_lan", Valor::dataHora(dia + num + 30)},
                     {"ccf_lan", ccf},
                     {"ban_lan", ban},
                     {"con_lan", his},
                     {"ped_lan", 0},
                     {"nf_lan", 1000 + num},
                     {"dup_lan", doc},
                     {"his_lan", texto},
                     {"val_lan", valor},
                     {"sit_lan", "A"},
                     {"d_c_lan", dc},
                     {"bai_lan", "N"},
                     {"cen_lan", "ADM"},
                     {"ass_opr", 0},
                     {"red_lan", 4},
                     {"lot_lan", 0},
                     {"ncc_lan", 0},
                     {"nop_lan", 0},
                     {"cde_lan", ""},
                     {"ccr_lan", ""},
                     {"cdg_lan", ""},
                     {"ccg_lan", ""},
                     {"orl_lan", ""},
                     {"cor_lan", 0},
                     {"nal_lan", 0},
                     {"emp_lan", 0}};
    };
    acrescenta(dir, "TbLanPag",
               {lan(1, 1, 1, 1, "NF 4521", "COMPRA DE HORTIFRUTI", 1850.40, "D"),
                lan(2, 6, 1, 1, "FATURA MARÇO", "ENERGIA ELÉTRICA", 732.15, "D"),
                lan(3, 2, 2, 1, "NF 998", "EMBALAGENS", 419.9, "D")});
    acrescenta(dir, "TbLanRec",
               {lan(1, 1, 1, 2, "NF 120", "VENDA A PRAZO", 3200.0, "C"),
                lan(2, 5, 2, 2, "NF 121", "VENDA A PRAZO", 1275.5, "C")});
    acrescenta(dir, "TbChqPag",
               {{{"lan_chq", 1},
                 {"num_chq", 850001 + empresa * 100},
                 {"ban_chq", 1},
                 {"dat_Chq", Valor::dataHora(dia)},
                 {"ven_chq", Valor::dataHora(dia + 15)},
                 {"ccf_chq", 1},
                 {"his_chq", "COMPRA DE HORTIFRUTI"},
                 {"val_chq", 1850.40},
                 {"sit_chq", "P"},
                 {"mot_chq", 0},
                 {"cen_chq", "ADM"},
                 {"dup_chq", "NF 4521"},
                 {"lot_chq", 0},
                 {"rcm_chq", 0},
                 {"ass_opr", 0},
                 {"nop_chq", 0},
                 {"cct_chq", ""},
                 {"ccg_chq", ""}}});
}

} // namespace

std::string diretorioEmpresa(const std::string& dir, long codigo) {
    char nnn[24];
    std::snprintf(nnn, sizeof nnn, "%03ld", codigo);
    return (fs::path(dir) / "Tabelas" / nnn).string();
}

void criar(const std::string& dir, const std::vector<std::string>& codigos,
           const std::string& uri) {
    std::vector<long> cods;
    for (auto& c : codigos)
        cods.push_back(codigoValido(c));
    if (!uri.empty()) escreveBancoConf(dir, uri);
    std::string registro = (fs::path(dir) / "Tabelas").string();
    std::vector<std::string> destinos{registro};
    for (long c : cods)
        destinos.push_back(diretorioEmpresa(dir, c));
    for (auto& d : destinos)
        if (db::existemTabelas(d))
            throw db::Erro(uri.empty() ? db::caminhoArquivo(d) + " já existe; nada foi criado"
                                       : d + " já tem tabelas; nada foi criado");
    for (std::size_t i = 0; i < destinos.size(); ++i) {
        fs::create_directories(destinos[i]);
        db::criaTabelas(destinos[i], i == 0 ? db::Nivel::Registro : db::Nivel::Empresa);
    }
}

void demo(const std::string& dir, const std::string& uri) {
    criar(dir, {"1", "2", "3"}, uri);
    auto app = aplicacaoGrafica();
    std::string registro = (fs::path(dir) / "Tabelas").string();
    auto emp = [](int cod, const char* nome, const char* end, const char* nro, const char* fone,
                  const char* fax, const char* cep, const char* cid, const char* uf, int cen,
                  std::string cfg, int nal, int nos, db::Bytes logo) {
        return Linha{{"cod_emp", cod},
                     {"nom_emp", nome},
                     {"end_emp", end},
                     {"nro_emp", nro},
                     {"fon_emp", fone},
                     {"fax_emp", fax},
                     {"cep_emp", cep},
                     {"cid_emp", cid},
                     {"uf_emp", uf},
                     {"cen_emp", cen},
                     {"cfg_emp", Valor(std::move(cfg))},
                     {"nal_emp", nal},
                     {"nos_emp", nos},
                     {"imag_emp", Valor(std::move(logo))}};
    };
    acrescenta(registro, "TbEmp",
               {// Check digit typed with "-", situations Q and A, managerial chart in use.
                emp(1, "BOM SABOR ALIMENTOS LTDA", "Rua das Palmeiras", "1250", "(19) 3232-4545",
                    "(19) 3232-4546", "13015-100", "Campinas", "SP", 0,
                    configuracao(30, {{17, 'S'}, {22, 'Q'}, {27, 'S'}, {28, 'A'}}), 41, 17,
                    logotipo("BS", QColor(0xB0, 0x30, 0x20))),
                // Reduced codes without check digit, blank situation at 22, no managerial chart.
                emp(2, "TRANSPORTADORA RIO CLARO S.A.", "Avenida Brasil", "3400", "(19) 3524-1800",
                    "(19) 3524-1801", "13500-000", "Rio Claro", "SP", 0,
                    configuracao(28, {{17, 'N'}, {22, ' '}, {27, 'N'}, {28, 'B'}}), 0, 0,
                    logotipo("RC", QColor(0x20, 0x50, 0x90))),
                // Uses company 1's catalogues; cfg_emp ends before positions 27 and 28.
                emp(3, "BOM SABOR DISTRIBUIDORA LTDA", "Rua XV de Novembro", "88", "(41) 3322-7070",
                    "", "80020-310", "Curitiba", "PR", 1, configuracao(24, {{17, ' '}, {22, 'C'}}),
                    5, 2, logotipo("BD", QColor(0x20, 0x80, 0x40)))});
    catalogos(diretorioEmpresa(dir, 1));
    catalogos(diretorioEmpresa(dir, 2));
    periodos(diretorioEmpresa(dir, 1), false, 2025, 2026);
    periodos(diretorioEmpresa(dir, 2), true, 2024, 2028);
    periodos(diretorioEmpresa(dir, 3), false, 2026, 2026);
    for (int e = 1; e <= 3; ++e)
        movimento(diretorioEmpresa(dir, e), e);
    // The accounting program's presence is what the library looks for.
    std::ofstream((fs::path(dir) / "Contabilidade.exe").string(), std::ios::binary);
}

namespace {

// The layout to create for a copied table: the known one when the table is one of ours (its
// names' spelling, keys and indexes), else the source's fields and kinds.
db::TabelaEsquema esquemaDaCopia(const std::string& nome, const std::vector<db::Campo>& campos) {
    const db::TabelaEsquema* conhecida = db::tabelaConhecida(nome);
    db::TabelaEsquema t;
    t.nome = conhecida ? conhecida->nome : nome;
    for (auto& c : campos) {
        if (c.calculado) continue;
        db::CampoEsquema ce{c.nome, c.tipo, false};
        if (conhecida)
            for (auto& k : conhecida->campos)
                if (db::sql::mesmoNome(k.nome, c.nome)) ce = k;
        t.campos.push_back(ce);
    }
    if (conhecida) {
        t.unicos = conhecida->unicos;
        t.indices = conhecida->indices;
    }
    return t;
}

struct ItemCopia {
    std::string origem, destino; // directories
    std::string tabela;          // source's stored name
    db::TabelaEsquema esquema;
    bool existe = false; // the destination already has the table
};

void copiaLinhas(const ItemCopia& item, Copia& copia) {
    db::Tabela o(item.origem, item.tabela);
    o.abre();
    db::Tabela d(item.destino, item.esquema.nome);
    d.abre();
    const auto campos = o.campos();
    std::optional<db::Marcador> m;
    for (;;) {
        auto linhas = o.leApos(m, 1000);
        if (linhas.empty()) break;
        for (auto& r : linhas) {
            d.acrescenta();
            for (std::size_t k = 0; k < campos.size(); ++k)
                if (!campos[k].calculado) d.define(campos[k].nome, r.em(k));
            d.grava();
            ++copia.linhas;
        }
        m = linhas.back().marcador();
    }
}

} // namespace

Copia copiar(const std::string& origem, const std::string& destino, bool substituir) {
    Copia copia;
    const auto diretorios = db::diretoriosDe(origem);
    if (diretorios.empty()) throw db::Erro(origem + ": nenhuma tabela para copiar");
    fs::create_directories(destino);
    const bool servidor = db::emServidor(destino);

    // Everything is read and checked before anything is written.
    std::vector<ItemCopia> itens;
    for (auto& rel : diretorios) {
        std::string dirOrigem = (fs::path(origem) / rel).lexically_normal().string();
        std::string dirDestino = (fs::path(destino) / rel).lexically_normal().string();
        std::vector<std::string> existentes;
        if (db::existemTabelas(dirDestino)) existentes = db::tabelasDe(dirDestino);
        for (auto& tabela : db::tabelasDe(dirOrigem)) {
            ItemCopia item;
            item.origem = dirOrigem;
            item.destino = dirDestino;
            item.tabela = tabela;
            db::Tabela o(dirOrigem, tabela);
            o.abre();
            item.esquema = esquemaDaCopia(tabela, o.campos());
            for (auto& e : existentes)
                if (db::sql::mesmoNome(e, item.esquema.nome)) {
                    item.existe = true;
                    item.esquema.nome = e;
                }
            if (item.existe && !substituir) {
                db::Tabela d(dirDestino, item.esquema.nome);
                d.abre();
                if (!d.vazio())
                    throw db::Erro("a tabela " + item.esquema.nome + " de " + dirDestino +
                                   " já tem registros; nada foi copiado (use --substituir)");
            }
            itens.push_back(std::move(item));
        }
    }

    // On a server: one transaction for the whole copy, the tables it makes included.
    std::optional<db::UnidadeDeTrabalho> tudo;
    if (servidor) tudo.emplace(destino);

    for (auto& rel : diretorios) {
        std::string dirDestino = (fs::path(destino) / rel).lexically_normal().string();
        std::vector<db::TabelaEsquema> faltam;
        for (auto& item : itens)
            if (item.destino == dirDestino && !item.existe) faltam.push_back(item.esquema);
        fs::create_directories(dirDestino);
        if (!faltam.empty()) {
            if (db::existemTabelas(dirDestino))
                db::acrescentaTabelas(dirDestino, faltam);
            else
                db::criaTabelas(dirDestino, faltam);
        }
        ++copia.diretorios;
    }

    for (auto& rel : diretorios) {
        std::string dirDestino = (fs::path(destino) / rel).lexically_normal().string();
        // SQLite: one transaction per directory.
        std::optional<db::UnidadeDeTrabalho> unidade;
        if (!servidor) unidade.emplace(dirDestino);
        for (auto& item : itens) {
            if (item.destino != dirDestino) continue;
            if (item.existe && substituir) {
                db::Tabela d(dirDestino, item.esquema.nome);
                d.abre();
                d.apagaTodos();
            }
            copiaLinhas(item, copia);
            ++copia.tabelas;
        }
        if (unidade) unidade->confirma();
    }
    if (tudo) tudo->confirma();
    return copia;
}

} // namespace dados
