#include "Contas.h"

namespace notera {

QStringList SeparaNiveis(const QString& estrutural) {
    QStringList niveis{QString()};
    for (QChar c : estrutural) {
        if (c == '.' || c == '-') {
            niveis << QString();
            continue;
        }
        niveis.last() += c.unicode() <= ' ' ? QChar('0') : c;
    }
    return niveis;
}

bool EhSintetica(const QString& estrutural) {
    const QString ultimo = SeparaNiveis(estrutural).last();
    bool ok = false;
    const int n = ultimo.toInt(&ok);
    return !ok || n <= 0;
}

QString FormataReduzido(std::int64_t reduzido, const QString& configuracao) {
    if (configuracao.size() >= 17 && configuracao[16] == 'N') return QString::number(reduzido);
    const QString preenchido = QString::number(reduzido).rightJustified(4, '0');
    static constexpr int pesos[] = {5, 4, 3, 2};
    int soma = 0;
    for (int i = 0; i < 4; ++i) {
        const QChar c = preenchido[i];
        soma += pesos[i] * (c.isDigit() ? c.digitValue() : 0);
    }
    const int d = 11 - soma % 11;
    const int digito = d >= 10 ? 0 : d;
    return QString::number(reduzido) + '-' + QString::number(digito);
}

TextoDeConta classificaTextoDeConta(const QString& texto, const QString& configuracao) {
    int pontos = 0;
    bool traco = false, estranho = false, digitoOuTraco = false;
    TextoDeConta r;
    QChar anterior;
    for (QChar c : texto) {
        if (c == '.')
            ++pontos;
        else if (c == '-')
            traco = true;
        else if (c < '0' || c > '9')
            estranho = true;
        if (c == '-' || (c >= '0' && c <= '9')) digitoOuTraco = true;
        if (c >= '0' && c <= '9' && anterior != '-') r.digitosReduzidos += c;
        anterior = c;
    }
    const bool comTraco = configuracao.size() >= 17 && configuracao[16] == 'S';
    if (estranho)
        r.busca = BuscaDeConta::Descricao;
    else if (pontos >= 2)
        r.busca = BuscaDeConta::Estrutural;
    else if (pontos == 0 && digitoOuTraco && traco == comTraco)
        r.busca = BuscaDeConta::Reduzido;
    else
        r.busca = BuscaDeConta::SoDialogo;
    return r;
}

} // namespace notera
