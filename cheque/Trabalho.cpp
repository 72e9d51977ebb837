#include "Trabalho.h"

#include "Extenso.h"
#include "base/Cp1252.h"

#include <cstdio>

namespace cheque {

namespace {

constexpr int SegundosNoDia = 24 * 60 * 60;

std::string cp(const char* utf8) {
    return base::utf8ParaCp1252(utf8);
}

std::string erroCriacao(const std::string& caminho) {
    return cp("Erro na criação do arquivo: ") + caminho;
}

void grava(ArquivoDoTrabalho& arquivo, const std::string& caminho, const std::string& bytes) {
    if (!arquivo.regrava(bytes)) throw ErroCheque(erroCriacao(caminho));
}

struct ArquivosDoTrabalho {
    std::string impressao, lote;
    std::unique_ptr<ArquivoDoTrabalho> arqImpressao, arqLote;
};

// Both names are created exclusively. Two jobs in the same second, or a file left or planted
// under the name, make the job take the next second's name instead of sharing one.
ArquivosDoTrabalho criaArquivos(Sistema& s, const std::string& dir) {
    const int inicio = s.segundosDoDia();
    std::string ultimo;
    for (int k = 0; k < SegundosNoDia; ++k) {
        ArquivosDoTrabalho a;
        a.impressao = dir + horaHHNNSS(inicio + k) + ".TXT";
        a.lote = a.impressao.substr(0, a.impressao.size() - 4) + ".BAT";
        Criacao r = Criacao::Falhou;
        a.arqLote = s.criaExclusivo(a.lote, r);
        if (r == Criacao::Existe) continue;
        if (r != Criacao::Criado || !a.arqLote) throw ErroCheque(erroCriacao(a.lote));
        a.arqImpressao = s.criaExclusivo(a.impressao, r);
        if (r == Criacao::Criado && a.arqImpressao) return a;
        a.arqLote.reset();
        s.removeArquivo(a.lote);
        if (r != Criacao::Existe) throw ErroCheque(erroCriacao(a.impressao));
        ultimo = a.lote;
    }
    // Every name of the day is taken.
    throw ErroCheque(erroCriacao(ultimo.empty() ? dir + horaHHNNSS(inicio) + ".BAT" : ultimo));
}

} // namespace

std::string horaHHNNSS(int segundosDoDia) {
    int s = segundosDoDia % SegundosNoDia;
    if (s < 0) s += SegundosNoDia;
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d%02d%02d", s / 3600, s / 60 % 60, s % 60);
    return buf;
}

std::string executaCheque(Sistema& s, const std::string& porta, const DadosCheque& d,
                          bool imprimeCopia) {
    // Refused before anything is written: the port text goes into the batch file.
    if (std::string motivo = recusaPorta(porta, s.usaInterpretador()); !motivo.empty())
        throw ErroCheque(motivo);

    std::string dir = s.diretorioTemporario();
    if (dir.empty() || dir.size() > 259)
        throw ErroCheque(cp("Não foi possível ler diretório temporário!"));
    if (dir.back() != s.separador()) dir += s.separador();
    if (!s.existeDiretorio(dir)) s.criaDiretorios(dir);

    const Familia familia = s.familia();
    std::string diretorioComandos = s.diretorioWindows();
    if (!diretorioComandos.empty())
        diretorioComandos += familia == Familia::Win9x ? std::string("COMMAND") + s.separador()
                                                       : std::string("SYSTEM32") + s.separador();
    const std::string diretorioDoMode =
        !diretorioComandos.empty() && s.existeArquivo(diretorioComandos + "MODE.COM")
            ? diretorioComandos
            : std::string();

    ArquivosDoTrabalho a = criaArquivos(s, dir);
    grava(*a.arqLote, a.lote, arquivoLote(a.impressao, porta, familia, diretorioDoMode));
    a.arqLote.reset();
    grava(*a.arqImpressao, a.impressao, arquivoFrente(d));

    // The front must not be reported as printed when it was not handed to the port.
    if (std::string motivo = s.lanca(a.lote, familia, diretorioComandos); !motivo.empty())
        throw ErroCheque(cp("Não foi possível imprimir o cheque: ") + motivo);

    if (!d.verso.empty() && s.confirma(cp("Confirma a impressão do verso do cheque?"))) {
        grava(*a.arqImpressao, a.impressao, arquivoVerso(d.verso));
        // The front is printed: a later failure is told, not turned into a failed call.
        if (std::string motivo = s.lanca(a.lote, familia, diretorioComandos); !motivo.empty())
            s.avisa(cp("Não foi possível imprimir o verso do cheque: ") + motivo);
    }
    if (imprimeCopia && s.confirma(cp("Confirma a impressão da cópia do cheque?"))) {
        TExtenso extenso;
        extenso.Valor = d.valor;
        grava(*a.arqImpressao, a.impressao, arquivoCopia(d, extenso.PorExtenso()));
        if (std::string motivo = s.lanca(a.lote, familia, diretorioComandos); !motivo.empty())
            s.avisa(cp("Não foi possível imprimir a cópia do cheque: ") + motivo);
    }
    return a.impressao;
}

} // namespace cheque
