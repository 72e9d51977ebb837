// The Paradox table reader on any bytes: the input is a table file followed by its blob
// file (EntradaParadox.h), written to a private directory under TMPDIR and read whole as the
// importer reads it: header, fields, every record, every value. A damaged table must be
// refused with paradox::Erro naming the file; anything else (another exception, a crash, a
// value of the wrong kind) fails the run.

#include "EntradaParadox.h"
#include "paradox/Paradox.h"

#include "db/Valor.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <variant>

namespace fs = std::filesystem;

namespace {

// The table and blob files of this process, rewritten for every input and removed at exit.
class Arquivos {
public:
    Arquivos() {
        std::string modelo = (fs::temp_directory_path() / "fuzz-paradox-XXXXXX").string();
        if (!mkdtemp(modelo.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        dir_ = modelo;
        tabela_ = (dir_ / "tabela.db").string();
        blobs_ = (dir_ / "tabela.mb").string();
    }
    ~Arquivos() {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    Arquivos(const Arquivos&) = delete;
    Arquivos& operator=(const Arquivos&) = delete;

    // An empty remainder leaves no blob file, so its absence is met too.
    void escreve(std::string_view entrada) {
        const std::size_t n = entrada_paradox::tamanhoDaTabela(entrada);
        grava(tabela_, entrada.substr(0, n));
        if (n < entrada.size()) {
            grava(blobs_, entrada.substr(n));
        } else {
            std::error_code ec;
            fs::remove(blobs_, ec);
        }
    }
    const std::string& tabela() const { return tabela_; }

private:
    static void grava(const std::string& arquivo, std::string_view dados) {
        std::FILE* f = std::fopen(arquivo.c_str(), "wb");
        if (!f) std::abort();
        const bool ok = std::fwrite(dados.data(), 1, dados.size(), f) == dados.size();
        if (std::fclose(f) != 0 || !ok) std::abort();
    }
    fs::path dir_;
    std::string tabela_, blobs_;
};

bool utf8Valido(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = c < 0x80           ? 1
                        : (c >> 5) == 0x6  ? 2
                        : (c >> 4) == 0xE  ? 3
                        : (c >> 3) == 0x1E ? 4
                                           : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += n;
    }
    return true;
}

// A value in the kind the store's column gets for its field, usable as the store binds it.
void confere(const paradox::Campo& campo, const db::Valor& v) {
    if (v.ehNulo()) return;
    const auto& d = v.dado();
    auto exige = [&](bool ok, const char* oque) {
        if (ok) return;
        std::fprintf(stderr, "campo %s (0x%02X): %s: \"%s\"\n", campo.nome.c_str(),
                     static_cast<unsigned>(campo.tipo), oque, v.comoTexto().c_str());
        std::abort();
    };
    switch (paradox::tipoNoArmazem(campo)) {
    case db::Tipo::Texto:
        exige(std::holds_alternative<std::string>(d), "não é texto");
        exige(utf8Valido(std::get<std::string>(d)), "UTF-8 inválido");
        break;
    case db::Tipo::Inteiro:
        exige(std::holds_alternative<std::int64_t>(d), "não é inteiro");
        exige(campo.tipo != paradox::Tipo::Logico || v.comoInteiro() == 0 || v.comoInteiro() == 1,
              "lógico que não é 0 nem 1");
        break;
    case db::Tipo::Flutuante:
        exige(std::holds_alternative<double>(d) && std::isfinite(v.comoDouble()),
              "não é número finito");
        break;
    case db::Tipo::Dinheiro:
        exige(std::holds_alternative<base::Dinheiro>(d), "não é dinheiro");
        (void)v.comoDinheiro().emReais();
        break;
    case db::Tipo::DataHora:
        // Kept as the store's date-time text, which must read back as one.
        exige(std::holds_alternative<std::string>(d) &&
                  db::dataHoraDeTexto(std::get<std::string>(d)).has_value(),
              "não é data-hora do armazém");
        break;
    case db::Tipo::Imagem:
        exige(std::holds_alternative<db::Bytes>(d), "não são bytes");
        break;
    case db::Tipo::Outro:
        exige(false, "tipo sem coluna no armazém");
    }
    (void)v.comoTexto();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    // One pair of files for the whole run: libFuzzer gives no other place to keep them.
    static Arquivos arquivos;
    arquivos.escreve({reinterpret_cast<const char*>(dados), tamanho});
    try {
        paradox::Leitor leitor(arquivos.tabela());
        const auto& campos = leitor.campos();
        if (campos.empty() || leitor.registros() < 0) std::abort();
        for (long n = 0; n < leitor.registros(); ++n) {
            const auto linha = leitor.le(n);
            if (linha.size() != campos.size()) std::abort();
            for (std::size_t k = 0; k < campos.size(); ++k)
                confere(campos[k], linha[k]);
        }
    } catch (const paradox::Erro& e) {
        // Refused: the message names the table file.
        if (std::string_view(e.what()).rfind(arquivos.tabela() + ": ", 0) != 0) std::abort();
    }
    return 0;
}
