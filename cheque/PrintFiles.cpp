#include "PrintFiles.h"

#include "base/BrFormat.h"

#include <algorithm>

namespace cheque {

namespace {

constexpr char ESC = '\x1B';
constexpr std::string_view FimDeLinha = "\r\n";
constexpr const char* Meses[] = {"Janeiro",  "Fevereiro", "Mar\xE7o", "Abril",
                                 "Maio",     "Junho",     "Julho",    "Agosto",
                                 "Setembro", "Outubro",   "Novembro", "Dezembro"};

void linha(std::string& out, std::string_view texto) {
    out += texto;
    out += FimDeLinha;
}

std::string comando(char codigo, std::string_view campo = {}) {
    std::string s{ESC, codigo};
    s += campo;
    return s;
}

// Leading and trailing control characters and blanks removed, as the original trim did.
std::string_view apara(std::string_view s) {
    auto branco = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!s.empty() && branco(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && branco(s.back()))
        s.remove_suffix(1);
    return s;
}

void versoIndentado(std::string& out, std::string_view verso) {
    for (const auto& l : linhasDoVerso(verso))
        linha(out, Espacos(10) + l);
}

} // namespace

std::string Imprimivel(std::string_view texto) {
    std::string s(texto);
    for (char& c : s)
        if (static_cast<unsigned char>(c) < ' ' || c == '\x7F') c = ' ';
    return s;
}

std::string Espacos(int n) {
    return std::string(static_cast<std::size_t>(std::max(n, 0)), ' ');
}

std::string Alinha(std::string_view texto, int largura, char modo) {
    if (largura < 1) return {};
    auto w = static_cast<std::size_t>(largura);
    if (texto.size() >= w) return Imprimivel(texto.substr(0, w));
    int falta = largura - static_cast<int>(texto.size());
    switch (modo) {
    case 'R':
        return Espacos(falta) + Imprimivel(texto);
    case 'C': {
        int direita = falta / 2;
        return Espacos(falta - direita) + Imprimivel(texto) + Espacos(direita);
    }
    default:
        return Imprimivel(texto) + Espacos(falta);
    }
}

std::vector<std::string> linhasDoVerso(std::string_view verso) {
    verso = verso.substr(0, std::min(verso.find('\0'), std::size_t{1024}));
    std::vector<std::string> linhas;
    std::string atual;
    for (char c : verso) {
        if (c == '\n') {
            linhas.push_back(std::move(atual));
            atual.clear();
        } else if (c != '\r') {
            atual += Imprimivel(std::string_view(&c, 1));
        }
    }
    if (!atual.empty()) linhas.push_back(std::move(atual));
    return linhas;
}

std::string arquivoFrente(const DadosCheque& d) {
    std::string out;
    linha(out, "");
    linha(out, comando('\x40'));
    linha(out, comando('\xA3', Alinha(base::formata0_00(d.valor), 15, 'R')));
    linha(out, comando('\xA2', Alinha(std::to_string(d.banco), 3, 'R')));
    linha(out, comando('\xA4', base::formataDataCurta(base::Data::deDiasDelphi(d.data))));
    linha(out, comando('\xA6', Alinha(d.portador, 40, 'L')));
    linha(out, comando('\xA7', Alinha(d.cidade, 30, 'L')));
    linha(out, comando('\xB1'));
    linha(out, comando('\xB0'));
    return out;
}

std::string arquivoVerso(std::string_view verso) {
    std::string out;
    linha(out, comando('\x40'));
    versoIndentado(out, verso);
    return out;
}

std::string arquivoCopia(const DadosCheque& d, std::string_view porExtenso) {
    const auto data = base::Data::deDiasDelphi(d.data);
    // The bank name has a column of 30 before "Cheque No: ", and the city the front's field
    // of 30: longer texts are cut there instead of running off the sheet.
    const std::string nomeBanco =
        d.nomeBanco.substr(0, std::min<std::size_t>(d.nomeBanco.size(), 30));
    const std::string cidade(apara(d.cidade).substr(0, 30));
    const int nomeAparado = static_cast<int>(apara(nomeBanco).size());
    const std::string enchimento = nomeAparado < 30 ? Espacos(30 - nomeAparado) : "";

    std::string out;
    linha(out, comando('\x40'));
    linha(out, Espacos(3) + "COPIA DE CHEQUE");
    linha(out, Espacos(3) + "Empresa: " + Alinha(d.empresa, 60, 'L'));
    linha(out, " ");
    linha(out, Espacos(3) + "Banco : " + Alinha(std::to_string(d.banco), 3, 'R') + "  " +
                   Imprimivel(nomeBanco) + enchimento + "Cheque No: " + std::to_string(d.numero));
    linha(out, Espacos(46) + "Valor    : " + Alinha(base::formata0_00(d.valor), 15, 'R'));
    linha(out, " ");
    linha(out, " ");
    linha(out, Espacos(9) + std::string(porExtenso));
    linha(out, Espacos(3) + "Portador: " + Alinha(d.portador, 40, 'L'));
    linha(out, " ");
    linha(out, Espacos(20) + "Local e Data: " + Imprimivel(cidade) + ", " +
                   Alinha(std::to_string(data.dia), 2, 'R') + " de " + Meses[data.mes - 1] +
                   " de " + Alinha(std::to_string(data.ano), 4, 'R'));
    linha(out, " ");
    versoIndentado(out, d.verso);
    return out;
}

std::string arquivoLote(std::string_view arquivoImpressao, std::string_view porta, Familia familia,
                        std::string_view diretorioDoMode) {
    std::string out;
    linha(out, std::string(diretorioDoMode) + "MODE COM1:9600,N,8,1");
    if (familia == Familia::Win9x)
        linha(out, "TYPE " + std::string(arquivoImpressao) + " >" + std::string(porta));
    else
        linha(out, "PRINT /D:" + std::string(porta) + " " + std::string(arquivoImpressao));
    linha(out, "EXIT");
    return out;
}

std::string arquivoLote(std::string_view arquivoImpressao, std::string_view porta) {
    return arquivoLote(arquivoImpressao, porta, Familia::NT, {});
}

std::string recusaPorta(std::string_view porta, bool interpretadorDeComandos) {
    bool recusada = false;
    std::string mostrada;
    for (char c : porta) {
        const auto u = static_cast<unsigned char>(c);
        bool ruim = u < 32 || u == 127;
        if (interpretadorDeComandos &&
            std::string_view("&|<>^\"'%").find(c) != std::string_view::npos)
            ruim = true;
        recusada = recusada || ruim;
        mostrada += (u < 32 || u == 127) ? '?' : c;
    }
    if (!recusada) return {};
    return "Porta de impress\xE3o inv\xE1lida: " + mostrada;
}

} // namespace cheque
