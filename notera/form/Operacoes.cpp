#include "Operacoes.h"

#include <QStringList>

#include <limits>

namespace notera {

namespace {

int valorHex(QChar c) {
    if (c >= '0' && c <= '9') return c.unicode() - '0';
    if (c >= 'a' && c <= 'f') return c.unicode() - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c.unicode() - 'A' + 10;
    return -1;
}

} // namespace

std::optional<std::int32_t> leInteiro(const QString& texto) {
    qsizetype i = 0;
    const qsizetype n = texto.size();
    while (i < n && texto[i] == ' ')
        ++i;
    bool negativo = false;
    if (i < n && (texto[i] == '-' || texto[i] == '+')) negativo = texto[i++] == '-';
    int base = 10;
    if (i < n && (texto[i] == '$' || texto[i] == 'x' || texto[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < n && texto[i] == '0' && (texto[i + 1] == 'x' || texto[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= n) return std::nullopt;
    const long long limite = negativo ? 2147483648LL : 2147483647LL;
    long long v = 0;
    for (; i < n; ++i) {
        int d = base == 16 ? valorHex(texto[i])
                           : (texto[i] >= '0' && texto[i] <= '9' ? texto[i].unicode() - '0' : -1);
        if (d < 0) return std::nullopt;
        v = v * base + d;
        if (v > limite) return std::nullopt;
    }
    return static_cast<std::int32_t>(negativo ? -v : v);
}

std::optional<std::int32_t> CodigoEscolhido(const std::optional<QString>& escolha) {
    if (!escolha) return std::nullopt;
    return leInteiro(*escolha);
}

bool EhNome(const QString& texto) {
    const QString t = texto.trimmed();
    if (t.isEmpty()) return true;
    if (t.size() > 10) return true;
    return !leInteiro(t).has_value();
}

std::optional<QChar> FiltraDecimal(const QString& texto, QChar tecla, int decimais) {
    if (tecla == ',' || tecla == '.') {
        if (texto.isEmpty() || decimais == 0 || texto.contains(',')) return std::nullopt;
        return QChar(',');
    }
    if (texto.isEmpty()) return tecla;
    if (tecla == '-') {
        if (!texto.trimmed().isEmpty()) return std::nullopt;
        return tecla;
    }
    const qsizetype virgula = texto.indexOf(',');
    if (virgula >= 0 && texto.size() - virgula - 1 >= decimais) return std::nullopt;
    return tecla;
}

base::Dinheiro ValorMonetario(const QString& texto, base::Dinheiro padrao) {
    QString t = texto;
    t.remove('.');
    t = t.trimmed();
    if (t.isEmpty()) return padrao;

    qsizetype i = 0;
    const qsizetype n = t.size();
    bool negativo = false;
    if (t[i] == '-' || t[i] == '+') negativo = t[i++] == '-';
    QString digitos;
    int casas = 0;
    while (i < n && t[i].isDigit())
        digitos += t[i++];
    if (i < n && t[i] == ',') {
        ++i;
        while (i < n && t[i].isDigit()) {
            digitos += t[i++];
            ++casas;
        }
    }
    if (digitos.isEmpty()) return padrao;
    long long expoente = 0;
    if (i < n && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        bool expNeg = false;
        if (i < n && (t[i] == '-' || t[i] == '+')) expNeg = t[i++] == '-';
        if (i >= n || !t[i].isDigit()) return padrao;
        while (i < n && t[i].isDigit()) {
            expoente = expoente * 10 + (t[i++].unicode() - '0');
            if (expoente > 100000) return padrao;
        }
        if (expNeg) expoente = -expoente;
    }
    if (i != n) return padrao;

    // value = digitos * 10^(expoente - casas); scaled by 10^4.
    long long deslocamento = expoente - casas + 4;
    while (digitos.size() > 1 && digitos[0] == '0')
        digitos.remove(0, 1);
    QString inteira = digitos, resto;
    if (deslocamento >= 0) {
        if (digitos != "0" && digitos.size() + deslocamento > 18) return padrao;
        inteira += QString(static_cast<qsizetype>(deslocamento), '0');
    } else {
        qsizetype corte = digitos.size() + deslocamento;
        if (corte <= 0) {
            resto = QString(-corte, '0') + digitos;
            inteira = "0";
        } else {
            inteira = digitos.left(corte);
            resto = digitos.mid(corte);
        }
    }
    if (inteira.size() > 18) return padrao;
    long long v = inteira.toLongLong();
    if (!resto.isEmpty()) {
        // Halves to even, on the exact decimal digits.
        const QChar primeiro = resto[0];
        bool acimaDaMetade = primeiro > '5';
        bool metade = primeiro == '5';
        if (metade) {
            for (qsizetype k = 1; k < resto.size(); ++k)
                if (resto[k] != '0') acimaDaMetade = true;
        }
        if (acimaDaMetade || (metade && !acimaDaMetade && (v % 2) == 1)) ++v;
    }
    return base::Dinheiro::deDezMilesimos(negativo ? -v : v);
}

std::optional<base::Dinheiro> LeValorDecimal(const QString& texto) {
    if (texto.contains('.')) return std::nullopt;
    // ValorMonetario reads the same grammar; a sentinel default tells a failed reading.
    const auto falha = base::Dinheiro::deDezMilesimos(std::numeric_limits<std::int64_t>::min());
    const auto v = ValorMonetario(texto, falha);
    if (v == falha) return std::nullopt;
    return v;
}

bool DataVazia(const QString& texto) {
    return texto.trimmed().isEmpty() || texto == QLatin1String("  /  /    ");
}

std::optional<base::Data> LeData(const QString& texto) {
    const QStringList partes = texto.trimmed().split('/');
    if (partes.size() != 3) return std::nullopt;
    int n[3];
    for (int i = 0; i < 3; ++i) {
        const QString p = partes[i].trimmed();
        bool ok = false;
        n[i] = p.toInt(&ok);
        if (!ok || p.isEmpty() || p.size() > (i == 2 ? 4 : 2) || p.startsWith('-') ||
            p.startsWith('+'))
            return std::nullopt;
    }
    if (partes[2].trimmed().size() <= 2) n[2] += 2000;
    if (!base::Data::valida(n[2], n[1], n[0])) return std::nullopt;
    return base::Data{n[2], n[1], n[0]};
}

} // namespace notera
