// Writes the seeds of fuzz_paradox into DIR: small tables made by the project's own Paradox
// writer, each as its table file followed by its blob file (EntradaParadox.h). Every seed
// is read back whole through the reader before it is kept.
//
//   gera-sementes-paradox fuzz/corpus/paradox

#include "EntradaParadox.h"
#include "paradox/Paradox.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using paradox::Campo;
using paradox::Tipo;

namespace {

std::string le(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

db::Bytes bytes(std::size_t n, int semente) {
    db::Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<unsigned char>((i * 7 + static_cast<std::size_t>(semente)) % 256);
    return b;
}

struct Semente {
    std::string nome;
    std::vector<Campo> campos;
    std::vector<std::vector<db::Valor>> linhas;
};

// Writes the table in |tmp|, checks the split and the reading, and keeps the seed.
void grava(const Semente& s, const fs::path& tmp, const fs::path& destino) {
    const fs::path db = tmp / "t.DB", mb = tmp / "t.MB";
    fs::remove(db);
    fs::remove(mb);
    {
        paradox::Gravador g(db.string(), s.campos);
        for (auto& l : s.linhas)
            g.acrescenta(l);
        g.fecha();
    }
    const std::string tabela = le(db);
    const std::string blobs = fs::exists(mb) ? le(mb) : std::string();
    const std::string entrada = tabela + blobs;
    if (entrada_paradox::tamanhoDaTabela(entrada) != tabela.size()) {
        std::cerr << s.nome << ": o cabeçalho não dá o tamanho da tabela\n";
        std::exit(1);
    }
    paradox::Leitor leitor(db.string());
    if (leitor.registros() != static_cast<long>(s.linhas.size())) {
        std::cerr << s.nome << ": " << leitor.registros() << " registros lidos\n";
        std::exit(1);
    }
    for (long n = 0; n < leitor.registros(); ++n) {
        const auto lido = leitor.le(n);
        const auto& escrito = s.linhas[static_cast<std::size_t>(n)];
        for (std::size_t k = 0; k < s.campos.size(); ++k)
            if (lido.at(k) != escrito[k]) {
                std::cerr << s.nome << ": registro " << n + 1 << ", campo " << s.campos[k].nome
                          << ": lido \"" << lido[k].comoTexto() << "\", escrito \""
                          << escrito[k].comoTexto() << "\"\n";
                std::exit(1);
            }
    }
    std::ofstream(destino / s.nome, std::ios::binary) << entrada;
    std::cout << s.nome << ": " << tabela.size() << " + " << blobs.size() << " bytes\n";
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "uso: gera-sementes-paradox DIR\n";
        return 2;
    }
    const fs::path destino = argv[1];
    fs::create_directories(destino);
    std::string modelo = (fs::temp_directory_path() / "sementes-paradox-XXXXXX").string();
    if (!mkdtemp(modelo.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path tmp = modelo;

    const std::vector<Campo> todos = {
        {"alfa", Tipo::Alfa, 20},
        {"data", Tipo::Data, 4},
        {"curto", Tipo::Curto, 2},
        {"longo", Tipo::Longo, 4},
        {"moeda", Tipo::Moeda, 8},
        {"numero", Tipo::Numero, 8},
        {"logico", Tipo::Logico, 1},
        {"memo", Tipo::Memo, 15},
        {"blob", Tipo::Blob, 12},
        {"memof", Tipo::MemoFormatado, 12},
        {"ole", Tipo::Ole, 12},
        {"grafico", Tipo::Grafico, 12},
        {"hora", Tipo::Hora, 4},
        {"datahora", Tipo::DataHora, 8},
        {"auto", Tipo::AutoIncremento, 4},
        {"bytes", Tipo::Bytes, 6},
    };
    const std::vector<db::Valor> cheia = {
        std::string("Água & Cia"),
        db::Valor(base::Data{2024, 2, 29}),
        -123,
        1234567,
        base::Dinheiro::deDezMilesimos(12345678),
        3.25,
        1,
        std::string("Observação: ") + std::string(40, 'x'),
        bytes(3000, 1), // its own blocks in the blob file
        std::string("curto"),
        bytes(5, 2),
        bytes(200, 3),
        db::Valor::dataHora(0.5),
        db::Valor::dataHora(45000.25),
        7,
        bytes(6, 4),
    };
    const std::vector<db::Valor> nula(todos.size());
    const std::vector<db::Valor> antiga = {
        std::string("ç"),
        db::Valor(base::Data{1899, 12, 29}),
        0,
        -1,
        base::Dinheiro::deDezMilesimos(-1),
        -0.5,
        0,
        std::string("m"),
        bytes(1, 5),
        std::string(300, 'y'),
        bytes(40, 6),
        bytes(1, 7),
        db::Valor::dataHora(0.999),
        db::Valor::dataHora(-1.25),
        8,
        bytes(6, 8),
    };

    const std::vector<Semente> sementes = {
        {"todos-os-tipos", todos, {cheia, nula, antiga}},
        {"vazia", {{"codigo", Tipo::Longo, 4}, {"nome", Tipo::Alfa, 10}}, {}},
        {"nulos-e-brancos",
         {{"codigo", Tipo::Longo, 4},
          {"nome", Tipo::Alfa, 10},
          {"valor", Tipo::Moeda, 8},
          {"dia", Tipo::Data, 4}},
         {{1, std::string("um"), base::Dinheiro::deDezMilesimos(10000),
           db::Valor(base::Data{2003, 3, 15})},
          {db::Valor(), db::Valor(), db::Valor(), db::Valor()},
          {0, db::Valor(), base::Dinheiro::deDezMilesimos(0), db::Valor()}}},
        {"memo-no-registro", {{"texto", Tipo::Memo, 30}}, {{std::string("cabe no registro")}}},
    };
    for (auto& s : sementes)
        grava(s, tmp, destino);
    fs::remove_all(tmp);
    return 0;
}
