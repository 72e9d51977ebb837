#include "Script.h"

#include <map>

namespace {

// Verb -> {least, most} argument count; -1 for no upper bound.
const std::map<QString, std::pair<int, int>>& aridades() {
    static const std::map<QString, std::pair<int, int>> a = {
        {"focus", {1, 1}},   {"type", {1, 1}},     {"key", {1, -1}},  {"click", {1, 1}},
        {"cell", {3, 3}},    {"tab", {2, 2}},      {"close", {0, 0}}, {"answer", {1, 1}},
        {"choose", {1, 1}},  {"cancel", {0, 0}},   {"print", {1, 1}}, {"print-cancel", {0, 0}},
        {"reserve", {1, 1}}, {"capslock", {1, 1}}, {"dump", {1, 1}},
    };
    return a;
}

// Splits a line at blanks; double quotes group, with \" and \\ inside them.
bool separa(const QString& linha, QStringList& partes, QString& erro) {
    int i = 0;
    const int n = linha.size();
    while (i < n) {
        while (i < n && linha[i].isSpace())
            ++i;
        if (i >= n || linha[i] == '#') break;
        QString parte;
        if (linha[i] == '"') {
            ++i;
            bool fechou = false;
            while (i < n) {
                QChar c = linha[i++];
                if (c == '\\' && i < n && (linha[i] == '"' || linha[i] == '\\')) {
                    parte += linha[i++];
                } else if (c == '"') {
                    fechou = true;
                    break;
                } else {
                    parte += c;
                }
            }
            if (!fechou) {
                erro = QStringLiteral("unterminated quote");
                return false;
            }
        } else {
            while (i < n && !linha[i].isSpace())
                parte += linha[i++];
        }
        partes << parte;
    }
    return true;
}

} // namespace

RoteiroLido leRoteiro(const QString& texto) {
    RoteiroLido r;
    const QStringList linhas = texto.split('\n');
    for (int k = 0; k < linhas.size(); ++k) {
        QStringList partes;
        QString erro;
        QString linha = linhas[k];
        if (linha.endsWith('\r')) linha.chop(1);
        if (!separa(linha, partes, erro)) {
            r.erro = QStringLiteral("line %1: %2").arg(k + 1).arg(erro);
            return r;
        }
        if (partes.isEmpty()) continue;
        Acao a{partes.takeFirst(), partes, k + 1};
        auto it = aridades().find(a.verbo);
        if (it == aridades().end()) {
            r.erro = QStringLiteral("line %1: unknown action \"%2\"").arg(k + 1).arg(a.verbo);
            return r;
        }
        const auto [minimo, maximo] = it->second;
        if (a.args.size() < minimo || (maximo >= 0 && a.args.size() > maximo)) {
            r.erro = QStringLiteral("line %1: wrong number of arguments for \"%2\"")
                         .arg(k + 1)
                         .arg(a.verbo);
            return r;
        }
        r.acoes.push_back(std::move(a));
    }
    return r;
}
