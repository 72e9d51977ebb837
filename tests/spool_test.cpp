#include "Apoio.h"
#include "cheque/PrintFiles.h"
#include "cheque/Spool.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace cheque;

TEST(Lote, InterpretaPortasComBrancos) {
    const std::string texto = arquivoLote("/t/d x/101010.TXT", "LPT1 & rm -rf ~");
    auto cmds = interpretaLote(texto, "/t/d x/101010.TXT");
    ASSERT_EQ(cmds.size(), 3u);
    EXPECT_EQ(cmds[0].tipo, ComandoLote::Tipo::Modo);
    EXPECT_EQ(cmds[0].porta, "COM1");
    EXPECT_EQ(cmds[1].tipo, ComandoLote::Tipo::Imprime);
    EXPECT_EQ(cmds[1].porta, "LPT1 & rm -rf ~");
    EXPECT_EQ(cmds[1].arquivo, "/t/d x/101010.TXT");
    EXPECT_EQ(cmds[2].tipo, ComandoLote::Tipo::Sair);

    auto tipo = interpretaLote(
        "C:\\WINDOWS\\COMMAND\\MODE COM1:9600,N,8,1\r\nTYPE C:\\T\\1.TXT >LPT2\r\n", "");
    ASSERT_EQ(tipo.size(), 2u);
    EXPECT_EQ(tipo[1].porta, "LPT2");
    EXPECT_EQ(tipo[1].arquivo, "C:\\T\\1.TXT");
}

TEST(Lote, Portas) {
    struct Caso {
        const char* porta;
        Destino::Tipo tipo;
        std::vector<std::string> candidatos;
        std::string nome;
    };
    using T = Destino::Tipo;
    const Caso casos[] = {
        {"COM1", T::Dispositivo, {"/dev/ttyS0"}, ""},
        {"com2:", T::Dispositivo, {"/dev/ttyS1"}, ""},
        {"LPT1", T::Dispositivo, {"/dev/usb/lp0", "/dev/lp0"}, ""},
        {"LPT3", T::Dispositivo, {"/dev/usb/lp2", "/dev/lp2"}, ""},
        {"/var/spool/cheque.prn", T::Arquivo, {}, "/var/spool/cheque.prn"},
        {"Cheques", T::Fila, {}, "Cheques"},
        {"COM", T::Fila, {}, "COM"},
        {"LPT0x", T::Fila, {}, "LPT0x"},
        {"LPT1 & rm -rf ~", T::Fila, {}, "LPT1 & rm -rf ~"},
    };
    for (const auto& c : casos) {
        Destino d = resolvePorta(c.porta);
        EXPECT_EQ(d.tipo, c.tipo) << c.porta;
        EXPECT_EQ(d.candidatos, c.candidatos) << c.porta;
        EXPECT_EQ(d.nome, c.nome) << c.porta;
    }
}

TEST(Spool, ArquivoDePortaRecebeOsBytesEmAcrescimo) {
    apoio::DirTemp dir;
    const std::string txt = dir / "101010.TXT", bat = dir / "101010.BAT", porta = dir / "porta.prn";
    apoio::gravaArquivo(porta, "antes|");
    apoio::gravaArquivo(txt, "\x1B@\r\nconteudo\r\n");
    apoio::gravaArquivo(bat, arquivoLote(txt, porta));
    auto r = apoio::executa({apoio::binario("cheque-spool"), "--foreground", bat});
    EXPECT_EQ(r.saida, 0) << r.err;
    EXPECT_EQ(apoio::leArquivo(porta), "antes|\x1B@\r\nconteudo\r\n");
}

TEST(Spool, APortaNuncaChegaAUmShell) {
    apoio::DirTemp dir;
    const std::string txt = dir / "101010.TXT", bat = dir / "101010.BAT";
    const std::string marca = dir / "invadido";
    apoio::gravaArquivo(txt, "x\r\n");
    for (std::string porta : {"LPT1 & touch " + marca, "x; touch " + marca,
                              "$(touch " + marca + ")", "`touch " + marca + "`"}) {
        apoio::gravaArquivo(bat, arquivoLote(txt, porta));
        auto r = apoio::executa({apoio::binario("cheque-spool"), "--foreground", bat},
                                {{"PATH", "/usr/sbin:/usr/bin:/sbin:/bin"}});
        EXPECT_EQ(r.saida, 1) << porta; // no such queue: not delivered
        EXPECT_FALSE(apoio::existe(marca)) << porta;
    }
}

TEST(Spool, LoteInexistenteOuLigacaoSimbolica) {
    apoio::DirTemp dir;
    EXPECT_NE(apoio::executa({apoio::binario("cheque-spool"), dir / "nada.BAT"}).saida, 0);
    apoio::gravaArquivo(dir / "real.BAT", "EXIT\r\n");
    std::filesystem::create_symlink(dir / "real.BAT", dir / "link.BAT");
    EXPECT_NE(
        apoio::executa({apoio::binario("cheque-spool"), "--foreground", dir / "link.BAT"}).saida,
        0);
    EXPECT_EQ(apoio::executa({apoio::binario("cheque-spool")}).saida, 2);
}
