// The posting notice printed to PDF through its print dialog, read back by text positions
// and by the pixels of its lines and logo.

#include "Apoio.h"
#include "Host.h"
#include "Pdf.h"
#include "Respostas.h"

#include "notera/core/Execucao.h"
#include "notera/core/Transferencia.h"
#include "notera/form/Operacoes.h"
#include "notera/notice/AvisoAL.h"
#include "notera/report/qt/ImpressaoQt.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

namespace {

using apoio::Caixa;
using platform::Icone;

const QString Pergunta1 = QStringLiteral("Imprimir \"Aviso de Lançamento\" ?");
const QString Pergunta2 = QStringLiteral("Imprimir em 2 vias?");
const QString SemTabela =
    QStringLiteral("Não foi possível abrir tabela de empresas para carregar logotipo!");
constexpr int Sim = 0, Nao = 1, OK = 0;

constexpr double Margem = 6.35;              // left and top, mm
constexpr double DX = 0.635, DY = 106.680;   // the lower copy's shift
constexpr double Linha = 0.75 * 25.4 / 72.0; // line width, mm

// A logo whose left half is red and right half blue, as PNG bytes in SQL hex.
std::string logotipoHex() {
    QImage img(200, 100, QImage::Format_RGB32);
    img.fill(Qt::blue);
    QPainter(&img).fillRect(0, 0, 100, 100, Qt::red);
    QByteArray png;
    QBuffer b(&png);
    b.open(QIODevice::WriteOnly);
    img.save(&b, "PNG");
    return png.toHex().toStdString();
}

// A data directory with the destination (1, with logo), the origin (2) and a company
// without logo (3).
struct Dados {
    apoio::DirTemp dir;
    std::string tabelas = dir / "d/Tabelas";
    Dados() {
        auto r =
            apoio::executa({apoio::binario("notera-dados"), "criar", dir / "d", "1", "2", "3"});
        EXPECT_EQ(r.saida, 0) << r.err;
        apoio::sql(
            tabelas + "/tabelas.sqlite",
            "INSERT INTO TbEmp (cod_emp, nom_emp, end_emp, nro_emp, fon_emp, fax_emp, cep_emp, "
            "cid_emp, "
            "uf_emp, imag_emp) VALUES "
            "(1, 'DESTINO COMERCIO LTDA', 'RUA DAS FLORES', '100', '11 5555-0001', '11 5555-0002', "
            "'01000-000', 'SAO PAULO', 'SP', X'" +
                logotipoHex() +
                "'), "
                "(2, 'ORIGEM INDUSTRIA SA', 'AV. BRASIL', '2000', '21 4444-0000', '', '20000-000', "
                "'RIO DE JANEIRO', 'RJ', NULL), "
                "(3, 'SEM LOGO LTDA', 'RUA B', '3', '', '', '30000-000', 'BELO HORIZONTE', 'MG', "
                "NULL)");
    }
};

struct Saida {
    std::vector<Caixa> caixas;
    bool pdf = false;
    int dialogos = 0;
};

struct Pedido {
    std::vector<int> respostas;
    std::vector<QString> impressoes; // "@" stands for the test's PDF file
    QString valor = QStringLiteral("1.500,00");
    int destino = 1;
    bool registroAusente = false;
};

Saida imprime(const Dados& d, const Pedido& p, const QString& arquivo) {
    Saida s;
    notera::Execucao ex(notera::ServicosHost(nullptr, nullptr, nullptr),
                        std::make_unique<apoio::MensagensRoteiro>(p.respostas, s.caixas));
    ex.DirTabelas = p.registroAusente ? d.dir / "nada/Tabelas" : d.tabelas;
    ex.TabPadroes.QTbEmp.defineDiretorio(d.tabelas);
    ex.TabPadroes.QTbEmp.abre();
    ex.RefPagamentos = "PAG 2024/03";
    ex.DataMovimento = base::Data{2024, 3, 15}.emDiasDelphi();

    notera::DadosTransferencia t;
    t.CodEmpresa = 2;
    t.CodEmpDestino = p.destino;
    t.Valor = notera::ValorMonetario(p.valor.toStdString(), {});
    t.HistVar1 = "TRANSFERENCIA MENSAL";

    std::vector<QString> impressoes;
    for (const auto& i : p.impressoes)
        impressoes.push_back(i == QLatin1String("@") ? arquivo : i);
    apoio::RespondeImpressao responde(impressoes);
    report::ImpressaoQt impressao;
    notera::ImprimeAviso(ex, t, 42, impressao);
    s.dialogos = responde.dialogos();
    s.pdf = QFile::exists(arquivo);
    return s;
}

// --- The flow: questions, dialog, failure messages ---------------------------------------

struct CasoFluxo {
    const char* nome;
    Pedido pedido;
    std::vector<Caixa> caixas; // expected, in order; a text ending in "…" is a prefix
    int dialogos;
    bool pdf;
};

class Fluxo : public ::testing::TestWithParam<CasoFluxo> {};

TEST_P(Fluxo, PerguntasDialogoEMensagens) {
    const auto& c = GetParam();
    Dados d;
    const QString arquivo = QString::fromStdString(d.dir / "aviso.pdf");
    const Saida s = imprime(d, c.pedido, arquivo);
    ASSERT_EQ(s.caixas.size(), c.caixas.size());
    for (std::size_t i = 0; i < c.caixas.size(); ++i) {
        const auto& quer = c.caixas[i];
        const auto& viu = s.caixas[i];
        EXPECT_EQ(viu.icone, quer.icone) << i;
        if (quer.texto.endsWith(QChar(0x2026)))
            EXPECT_TRUE(viu.texto.startsWith(quer.texto.chopped(1))) << viu.texto.toStdString();
        else
            EXPECT_EQ(viu.texto, quer.texto);
        EXPECT_EQ(viu.botoes, quer.botoes) << i;
    }
    EXPECT_EQ(s.dialogos, c.dialogos);
    EXPECT_EQ(s.pdf, c.pdf);
}

const QStringList SimNao = {QString::fromStdString(platform::BotaoSim),
                            QString::fromStdString(platform::BotaoNao)};
const QStringList Ok = {QString::fromStdString(platform::BotaoOK)};

INSTANTIATE_TEST_SUITE_P(
    Aviso, Fluxo,
    ::testing::Values(
        CasoFluxo{"UmaVia",
                  {{Sim, Nao}, {"@"}},
                  {{Icone::Pergunta, Pergunta1, SimNao}, {Icone::Pergunta, Pergunta2, SimNao}},
                  1,
                  true},
        CasoFluxo{"DuasVias",
                  {{Sim, Sim}, {"@"}},
                  {{Icone::Pergunta, Pergunta1, SimNao}, {Icone::Pergunta, Pergunta2, SimNao}},
                  1,
                  true},
        CasoFluxo{"Recusado", {{Nao}, {}}, {{Icone::Pergunta, Pergunta1, SimNao}}, 0, false},
        CasoFluxo{"DialogoCancelado",
                  {{Sim, Nao}, {""}},
                  {{Icone::Pergunta, Pergunta1, SimNao}, {Icone::Pergunta, Pergunta2, SimNao}},
                  1,
                  false},
        CasoFluxo{"SemTabelaDeEmpresas",
                  {{Sim, Sim, OK}, {}, QStringLiteral("1.500,00"), 1, true},
                  {{Icone::Pergunta, Pergunta1, SimNao},
                   {Icone::Pergunta, Pergunta2, SimNao},
                   {Icone::Informacao, SemTabela + QStringLiteral("\r\n") + QChar(0x2026), Ok}},
                  0,
                  false},
        CasoFluxo{"ArquivoQueNaoPodeSerCriado",
                  {{Sim, Nao, OK}, {QStringLiteral("/nao/existe/aviso.pdf")}},
                  {{Icone::Pergunta, Pergunta1, SimNao},
                   {Icone::Pergunta, Pergunta2, SimNao},
                   {Icone::Erro,
                    QStringLiteral("Não foi possível criar o arquivo \"/nao/existe/aviso.pdf\": ") +
                        QChar(0x2026),
                    Ok}},
                  1,
                  false}),
    [](const auto& i) { return std::string(i.param.nome); });

// --- What the page holds --------------------------------------------------------------------

enum class Al { E, C, D };

struct Texto {
    const char* frase;
    double esquerda, topo, largura;
    Al al;
    // The twin's box when it is not the plain shift (NaN: shifted).
    double esquerda2 = NAN, topo2 = NAN, largura2 = NAN;
};

// Texts of the upper copy with 1.500,00 from company 2 to company 1.
const Texto Textos[] = {
    {"AVISO DE LANÇAMENTO", 33.443, 8.890, 127.424, Al::C},
    {"Número:", 163.619, 8.890, 13.970, Al::E},
    {"42", 178.435, 8.890, 12.700, Al::D, 177.165, NAN, 14.605},
    {"DESTINO COMERCIO LTDA", 4.445, 19.262, 156.210, Al::E},
    {"RUA DAS FLORES 100 FONE: 11 5555-0001 FAX: 11 5555-0002", 4.445, 24.342, 156.210, Al::E},
    {"CEP: 01000-000 SAO PAULO - SP", 4.445, 29.633, 156.210, Al::E},
    {"A", 4.445, 35.560, 2.328, Al::E},
    {"ORIGEM INDUSTRIA SA", 4.445, 40.005, 156.210, Al::E},
    {"Levamos a seu conhecimento o lançamento abaixo descrito a crédito de sua conta.", 4.657,
     45.932, 118.110, Al::E},
    {"REF. PAGAMENTOS: PAG 2024/03 - TRANSFERENCIA MENSAL", 4.868, 52.917, 155.152, Al::E, NAN,
     160.020},
    {"VALOR", 166.370, 52.705, 25.612, Al::D},
    {"1.500,00", 166.370, 57.362, 25.612, Al::D},
    {"Feito Por", 4.445, 86.572, 13.758, Al::E},
    {"Conferido Por", 33.867, 86.572, 20.955, Al::E},
    {"Assinatura", 66.040, 86.572, 15.028, Al::E},
    {"Data", 165.100, 86.360, 6.562, Al::E},
    {"15/03/2024", 165.312, 91.864, 12.277, Al::E, 165.735, 198.332},
};

// Horizontal (H) lines, vertical (V) lines and the outline (R), with their twins' boxes.
struct Traco {
    const char* nome;
    char tipo;
    double esquerda, topo, largura, altura;
    double esquerda2 = NAN, topo2 = NAN;
};
const Traco Tracos[] = {
    {"ppShape1", 'R', 2.752, 3.387, 190.712, 98.002},
    {"Line2", 'H', 2.963, 17.145, 190.500, 1.270},
    {"ppLine4", 'V', 30.692, 3.387, 0.635, 14.817},
    {"ppLine1", 'H', 2.963, 34.713, 190.500, 0.212},
    {"ppLine2", 'V', 162.560, 3.387, 0.212, 14.817},
    {"ppLine3", 'H', 2.963, 44.873, 190.500, 0.212},
    {"ppLine5", 'H', 2.963, 51.223, 190.500, 0.212},
    {"ppLine6", 'V', 162.560, 51.435, 2.963, 49.953, 163.153, 157.904},
    {"ppLine7", 'H', 2.963, 85.725, 190.500, 0.212},
    {"ppLine8", 'V', 32.173, 85.725, 0.847, 15.875},
    {"ppLine9", 'V', 63.923, 85.725, 0.847, 15.875},
};

const double TolX = 0.05, TolY = 0.05; // mm

void confereTexto(const pdf::Documento& doc, const Texto& t, int vias) {
    SCOPED_TRACE(t.frase);
    const auto achados = pdf::procura(doc, QString::fromUtf8(t.frase));
    ASSERT_EQ(achados.size(), static_cast<std::size_t>(vias));
    for (int via = 0; via < vias; ++via) {
        SCOPED_TRACE(via + 1);
        double e = t.esquerda, topo = t.topo, l = t.largura;
        if (via == 1) {
            e = std::isnan(t.esquerda2) ? e + DX : t.esquerda2;
            topo = std::isnan(t.topo2) ? topo + DY : t.topo2;
            l = std::isnan(t.largura2) ? l : t.largura2;
        }
        const auto& c = achados[via];
        switch (t.al) {
        case Al::E:
            EXPECT_NEAR(c.x0, Margem + e, TolX);
            break;
        case Al::D:
            EXPECT_NEAR(c.x1, Margem + e + l, TolX);
            break;
        case Al::C:
            EXPECT_NEAR((c.x0 + c.x1) / 2, Margem + e + l / 2, TolX);
            break;
        }
        EXPECT_NEAR(c.y0, Margem + topo, TolY);
    }
}

bool escuro(const QImage& img, double xmm, double ymm) {
    const QColor c = img.pixelColor(static_cast<int>(xmm * 10), static_cast<int>(ymm * 10));
    return qGray(c.rgb()) < 110;
}
bool claro(const QImage& img, double xmm, double ymm) {
    return qGray(img.pixel(static_cast<int>(xmm * 10), static_cast<int>(ymm * 10))) > 230;
}

// The line's centre is dark and 0.5 mm to each side is white.
void confereTraco(const QImage& img, const Traco& t, bool presente, double dx, double dy, double e2,
                  double t2) {
    SCOPED_TRACE(t.nome);
    const double e = Margem + (std::isnan(e2) ? t.esquerda + dx : e2);
    const double topo = Margem + (std::isnan(t2) ? t.topo + dy : t2);
    std::vector<std::pair<double, double>> centro, fora;
    auto horizontal = [&](double y, double x) {
        centro.push_back({x, y});
        fora.push_back({x, y - 0.5});
        fora.push_back({x, y + 0.5});
    };
    auto vertical = [&](double x, double y) {
        centro.push_back({x, y});
        fora.push_back({x - 0.5, y});
        fora.push_back({x + 0.5, y});
    };
    switch (t.tipo) {
    case 'H':
        horizontal(topo + t.altura - Linha / 2, e + t.largura - 5);
        break;
    case 'V':
        vertical(e + Linha / 2, topo + t.altura / 2);
        break;
    case 'R':
        vertical(e + Linha / 2, topo + t.altura / 2);
        vertical(e + t.largura - Linha / 2, topo + t.altura / 2);
        horizontal(topo + Linha / 2, e + 100);
        horizontal(topo + t.altura - Linha / 2, e + 100);
        break;
    }
    for (auto [x, y] : centro)
        EXPECT_EQ(escuro(img, x, y), presente) << x << "," << y;
    for (auto [x, y] : fora)
        EXPECT_TRUE(claro(img, x, y)) << x << "," << y;
}

QColor cor(const QImage& img, double xmm, double ymm) {
    return img.pixelColor(static_cast<int>(xmm * 10), static_cast<int>(ymm * 10));
}

// The logo box (3.810, 4.233, 23.918 x 13.123): stretched, so its left quarter is red and
// its right quarter blue right up to the box's edges.
void confereLogotipo(const QImage& img, double dx, double dy, bool comLogo) {
    const double e = Margem + 3.810 + dx, t = Margem + 4.233 + dy, l = 23.918, a = 13.123;
    const std::pair<double, QColor> pontos[] = {{e + 0.4, Qt::red},
                                                {e + l / 4, Qt::red},
                                                {e + 3 * l / 4, Qt::blue},
                                                {e + l - 0.4, Qt::blue}};
    for (const auto& [x, quer] : pontos)
        for (double y : {t + 0.4, t + a / 2, t + a - 0.4}) {
            const QColor c = cor(img, x, y);
            const QColor esperado = comLogo ? quer : QColor(Qt::white);
            EXPECT_LT(std::abs(c.red() - esperado.red()) + std::abs(c.green() - esperado.green()) +
                          std::abs(c.blue() - esperado.blue()),
                      60)
                << x << "," << y << " " << c.name().toStdString();
        }
    // Nothing outside the box.
    EXPECT_TRUE(claro(img, e - 0.4, t + a / 2));
    EXPECT_TRUE(claro(img, e + l / 2, t + a + 0.6));
}

struct CasoPagina {
    const char* nome;
    bool duasVias;
};

class Pagina : public ::testing::TestWithParam<CasoPagina> {};

TEST_P(Pagina, TextosLinhasELogotipoNosLugares) {
    const bool duas = GetParam().duasVias;
    Dados d;
    const QString arquivo = QString::fromStdString(d.dir / "aviso.pdf");
    imprime(d, {{Sim, duas ? Sim : Nao}, {"@"}}, arquivo);
    ASSERT_TRUE(QFile::exists(arquivo));

    const auto doc = pdf::le(arquivo);
    EXPECT_EQ(doc.paginas, 1);
    EXPECT_EQ(pdf::titulo(arquivo), QStringLiteral("Report"));
    EXPECT_NEAR(doc.largura, 210.0, 0.1);
    EXPECT_NEAR(doc.altura, 297.0, 0.1);
    const int vias = duas ? 2 : 1;
    for (const auto& t : Textos)
        confereTexto(doc, t, vias);

    // The amount in words is the memo's second line.
    const auto palavras = pdf::procura(doc, QStringLiteral("(UM MIL E QUINHENTOS REAIS)"));
    const auto ref = pdf::procura(doc, QStringLiteral("REF. PAGAMENTOS:"));
    ASSERT_EQ(palavras.size(), static_cast<std::size_t>(vias));
    ASSERT_EQ(ref.size(), palavras.size());
    for (std::size_t i = 0; i < palavras.size(); ++i) {
        EXPECT_NEAR(palavras[i].x0, ref[i].x0, 0.01);
        EXPECT_NEAR(palavras[i].y0 - ref[i].y0, 10 * 25.4 / 72 * 1.15, 0.5); // one line below
    }
    // The lower half holds nothing for one copy.
    if (!duas) {
        for (const auto& p : doc.palavras)
            EXPECT_LT(p.caixa.y1, Margem + 106.892) << p.texto.toStdString();
    }

    for (const QString& f : pdf::fontes(arquivo))
        EXPECT_TRUE(f.contains(QLatin1String("LiberationSerif")) ||
                    f.contains(QLatin1String("TimesNewRoman")))
            << f.toStdString();

    const QImage img = pdf::rasteriza(arquivo);
    ASSERT_EQ(img.width(), 2100);
    for (const auto& t : Tracos) {
        confereTraco(img, t, true, 0, 0, NAN, NAN);
        confereTraco(img, t, duas, DX, DY, t.esquerda2, t.topo2);
    }
    confereLogotipo(img, 0, 0, true);
    confereLogotipo(img, DX, DY, duas);
}

INSTANTIATE_TEST_SUITE_P(Aviso, Pagina,
                         ::testing::Values(CasoPagina{"UmaVia", false},
                                           CasoPagina{"DuasVias", true}),
                         [](const auto& i) { return std::string(i.param.nome); });

// --- Filled contents for other inputs ---------------------------------------------------

struct CasoConteudo {
    const char* nome;
    QString valor;
    int destino;
    QString valorImpresso, extenso, nome1;
    bool logotipo;
    int linhasExtenso;
};

class Conteudo : public ::testing::TestWithParam<CasoConteudo> {};

TEST_P(Conteudo, ValorExtensoEEmpresa) {
    const auto& c = GetParam();
    Dados d;
    const QString arquivo = QString::fromStdString(d.dir / "aviso.pdf");
    Pedido p{{Sim, Nao}, {"@"}, c.valor, c.destino};
    imprime(d, p, arquivo);
    ASSERT_TRUE(QFile::exists(arquivo));
    const auto doc = pdf::le(arquivo);
    EXPECT_EQ(pdf::procura(doc, c.valorImpresso).size(), 1u) << c.valorImpresso.toStdString();
    const auto extenso = pdf::procura(doc, c.extenso);
    ASSERT_EQ(extenso.size(), 1u) << c.extenso.toStdString();
    // Long words wrap inside the memo's box (4.868, 155.152 wide).
    EXPECT_LE(extenso.front().x1, Margem + 4.868 + 155.152);
    const double altura = extenso.front().y1 - extenso.front().y0, linha = 10 * 25.4 / 72 * 1.15;
    EXPECT_GT(altura, (c.linhasExtenso - 1) * linha);
    EXPECT_LT(altura, c.linhasExtenso * linha);
    EXPECT_EQ(pdf::procura(doc, c.nome1).size(), 1u) << c.nome1.toStdString();
    confereLogotipo(pdf::rasteriza(arquivo), 0, 0, c.logotipo);
}

INSTANTIATE_TEST_SUITE_P(
    Aviso, Conteudo,
    ::testing::Values(CasoConteudo{"SemSeparadores", "1500", 1, "1.500,00",
                                   "(UM MIL E QUINHENTOS REAIS)", "DESTINO COMERCIO LTDA", true, 1},
                      CasoConteudo{"Centavos", "1234567,89", 1, "1.234.567,89",
                                   "(UM MILHAO, DUZENTOS E TRINTA E QUATRO MIL, QUINHENTOS E "
                                   "SESSENTA E SETE REAIS E OITENTA E NOVE CENTAVOS)",
                                   "DESTINO COMERCIO LTDA", true, 2},
                      CasoConteudo{"EmpresaSemLogotipo", "0,50", 3, "0,50", "(CINQUENTA CENTAVOS)",
                                   "SEM LOGO LTDA", false, 1}),
    [](const auto& i) { return std::string(i.param.nome); });

} // namespace
