#include "Transporte.h"

#include "Paradox.h"

#include "db/Armazem.h"
#include "db/Carga.h"
#include "db/Conjunto.h"
#include "db/Esquema.h"
#include "db/Sql.h"

#include "base/Cp1252.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>

namespace fs = std::filesystem;

namespace paradox {

namespace {

using db::sql::mesmoNome;

// A directory of a data tree: where it is on each side and which tables it keeps.
struct Diretorio {
    fs::path origem;
    fs::path destino;
    std::string rotulo; // "Tabelas" or "Tabelas/001", for messages
    db::Nivel nivel;
};

std::optional<fs::path> filhoSemCaixa(const fs::path& dir, std::string_view nome) {
    std::error_code ec;
    if (fs::is_directory(dir / std::string(nome), ec)) return dir / std::string(nome);
    for (auto& e : fs::directory_iterator(dir, ec))
        if (e.is_directory(ec) && mesmoNome(e.path().filename().string(), nome)) return e.path();
    return std::nullopt;
}

std::optional<long> codigoDeEmpresa(const std::string& nome) {
    if (nome.empty() || nome.size() > 9) return std::nullopt;
    if (!std::all_of(nome.begin(), nome.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    long v = std::stol(nome);
    if (v < 1) return std::nullopt;
    return v;
}

std::string nomeEmpresa(long codigo) {
    char nnn[24];
    std::snprintf(nnn, sizeof nnn, "%03ld", codigo);
    return nnn;
}

// The register directory and the company directories of a tree, register first, then
// companies by code. |ehArmazem| says whether a source directory takes part.
template <class Aceita>
std::vector<Diretorio> arvore(const fs::path& origem, const fs::path& destino, Aceita aceita) {
    auto registro = filhoSemCaixa(origem, "Tabelas");
    if (!registro) throw Erro(origem.string() + ": diretório Tabelas não encontrado");
    std::vector<Diretorio> r;
    if (aceita(*registro))
        r.push_back({*registro, destino / "Tabelas", "Tabelas", db::Nivel::Registro});
    std::vector<std::pair<long, fs::path>> empresas;
    std::error_code ec;
    for (auto& e : fs::directory_iterator(*registro, ec))
        if (e.is_directory(ec))
            if (auto c = codigoDeEmpresa(e.path().filename().string()))
                if (aceita(e.path())) empresas.emplace_back(*c, e.path());
    if (ec) throw Erro(registro->string() + ": " + ec.message());
    std::sort(empresas.begin(), empresas.end());
    for (auto& [c, p] : empresas)
        r.push_back({p, destino / "Tabelas" / nomeEmpresa(c), "Tabelas/" + nomeEmpresa(c),
                     db::Nivel::Empresa});
    return r;
}

// The same on a server: the directories that have a schema there, by their kept paths.
std::vector<Diretorio> arvoreNoServidor(const fs::path& origem, const fs::path& destino) {
    std::vector<Diretorio> r;
    std::vector<std::pair<long, Diretorio>> empresas;
    for (auto& rel : db::diretoriosDe(origem.string())) {
        std::vector<std::string> partes;
        for (auto& p : fs::path(rel))
            partes.push_back(p.string());
        if (partes.empty() || !mesmoNome(partes[0], "Tabelas")) continue;
        if (partes.size() == 1) {
            r.push_back({origem / rel, destino / "Tabelas", "Tabelas", db::Nivel::Registro});
        } else if (partes.size() == 2) {
            if (auto c = codigoDeEmpresa(partes[1]))
                empresas.emplace_back(*c,
                                      Diretorio{origem / rel, destino / "Tabelas" / nomeEmpresa(*c),
                                                "Tabelas/" + nomeEmpresa(*c), db::Nivel::Empresa});
        }
    }
    if (r.empty()) throw Erro(origem.string() + ": diretório Tabelas não encontrado");
    std::sort(empresas.begin(), empresas.end(), [](auto& a, auto& b) { return a.first < b.first; });
    for (auto& e : empresas)
        r.push_back(std::move(e.second));
    return r;
}

bool terminaCom(const std::string& s, std::string_view fim) {
    return s.size() >= fim.size() &&
           mesmoNome(std::string_view(s).substr(s.size() - fim.size()), fim);
}

// ---------------------------------------------------------------------------------------
// Import

struct Entrada {
    const Diretorio* dir;
    fs::path arquivo;
    std::string tabela; // name in the store
    int pagina = 0;     // the code page it is read in (0: the table's own)
};

// The code pages kept beside a directory's tables: "TABLE PAGE" a line.
std::map<std::string, int> lePaginas(const fs::path& dir) {
    std::map<std::string, int> r;
    std::ifstream f(dir / ArquivoDePaginas);
    std::string tabela;
    int pagina = 0;
    while (f >> tabela >> pagina)
        r[tabela] = pagina;
    return r;
}

void gravaPaginas(const fs::path& dir, const std::map<std::string, int>& paginas) {
    std::error_code ec;
    if (paginas.empty()) {
        fs::remove(dir / ArquivoDePaginas, ec);
        return;
    }
    const fs::path temp = dir / (std::string(ArquivoDePaginas) + ".novo");
    {
        std::ofstream f(temp, std::ios::trunc);
        for (auto& [t, p] : paginas)
            f << t << ' ' << p << '\n';
        if (!f.flush()) throw Erro(temp.string() + ": não foi possível gravar");
    }
    fs::rename(temp, dir / ArquivoDePaginas);
}

int paginaGuardada(const std::map<std::string, int>& paginas, const std::string& tabela) {
    for (auto& [t, p] : paginas)
        if (mesmoNome(t, tabela)) return p;
    return 1252;
}

std::string nomeNoArmazem(const Diretorio& d, const std::string& base,
                          const std::vector<std::string>& existentes) {
    for (auto& t : db::esquema(d.nivel))
        if (mesmoNome(t.nome, base)) return t.nome;
    for (auto& t : existentes)
        if (mesmoNome(t, base)) return t;
    return base;
}

// Writes one table; returns its row count. Everything or nothing of it is stored.
long long importaTabela(const Entrada& e, bool substituir, std::vector<Descartado>& descartados,
                        int& pagina, bool& inferida) {
    Leitor leitor(e.arquivo.string(), e.pagina);
    pagina = leitor.paginaDeCodigo();
    inferida = leitor.paginaInferida();
    std::string dir = e.dir->destino.string();
    auto existentes = db::tabelas(dir);
    bool existe = std::any_of(existentes.begin(), existentes.end(),
                              [&](auto& t) { return mesmoNome(t, e.tabela); });
    std::vector<db::Campo> guardados;
    if (existe) guardados = db::camposDaTabela(dir, e.tabela);

    db::Carga carga(dir);
    std::vector<std::string> colunas;
    std::vector<db::CampoEsquema> novos;
    for (auto& c : leitor.campos()) {
        if (std::any_of(colunas.begin(), colunas.end(),
                        [&](auto& n) { return mesmoNome(n, c.nome); }))
            throw Erro(e.arquivo.string() + ": campo repetido " + c.nome);
        auto g = std::find_if(guardados.begin(), guardados.end(),
                              [&](auto& x) { return mesmoNome(x.nome, c.nome); });
        if (g != guardados.end()) {
            colunas.push_back(g->nome);
        } else {
            colunas.push_back(c.nome);
            // A day without time is a DATE on a server.
            novos.push_back({c.nome, tipoNoArmazem(c), c.tipo == Tipo::Data});
        }
    }
    if (!existe) {
        carga.criaTabela({e.tabela, novos, {}, {}});
    } else {
        for (auto& n : novos)
            carga.acrescentaCampo(e.tabela, n);
        if (substituir) carga.esvazia(e.tabela);
        // Checked again inside the transaction: rows may have arrived since the first look.
        if (carga.conta(e.tabela) > 0)
            throw Erro(dir + ": a tabela " + e.tabela + " já tem registros");
    }
    carga.preparaInsercao(e.tabela, colunas);
    for (long n = 0; n < leitor.registros(); ++n)
        carga.insere(leitor.le(n));
    carga.confirma();
    descartados = leitor.descartados();
    return leitor.registros();
}

// ---------------------------------------------------------------------------------------
// Export

constexpr std::size_t Janela = 1000;

// Reads a whole table in windows, never all of it at once.
template <class F> void percorre(db::Tabela& t, F f) {
    std::optional<db::Marcador> m;
    for (;;) {
        auto lote = t.leApos(m, Janela);
        for (auto& r : lote)
            f(r);
        if (lote.size() < Janela) break;
        m = lote.back().marcador();
    }
}

// Field kinds and sizes for the store's columns, from what they hold.
std::vector<Campo> camposParaExportar(db::Tabela& t) {
    const auto& cs = t.campos();
    struct Medida {
        std::size_t texto = 0;
        bool foraDe32Bits = false;
        bool comHora = false;
    };
    std::vector<Medida> m(cs.size());
    percorre(t, [&](const db::Registro& r) {
        for (std::size_t k = 0; k < cs.size(); ++k) {
            const db::Valor& v = r.em(k);
            if (v.ehNulo()) continue;
            switch (cs[k].tipo) {
            case db::Tipo::Inteiro: {
                auto i = v.comoInteiro();
                m[k].foraDe32Bits = m[k].foraDe32Bits || i < INT_MIN || i > INT_MAX;
                break;
            }
            case db::Tipo::DataHora:
                m[k].comHora = m[k].comHora || v.comoTexto().size() > 10;
                break;
            case db::Tipo::Texto:
            case db::Tipo::Outro:
                m[k].texto = std::max(m[k].texto, base::utf8ParaCp1252(v.comoTexto()).size());
                break;
            default:
                break;
            }
        }
    });
    std::vector<Campo> r;
    for (std::size_t k = 0; k < cs.size(); ++k) {
        Campo c{cs[k].nome, Tipo::Alfa, 0, 0};
        switch (cs[k].tipo) {
        case db::Tipo::Inteiro:
            c.tipo = m[k].foraDe32Bits ? Tipo::Numero : Tipo::Longo;
            break;
        case db::Tipo::Flutuante:
            c.tipo = Tipo::Numero;
            break;
        case db::Tipo::Dinheiro:
            c.tipo = Tipo::Moeda;
            break;
        case db::Tipo::DataHora:
            c.tipo = m[k].comHora ? Tipo::DataHora : Tipo::Data;
            break;
        case db::Tipo::Imagem:
            c.tipo = Tipo::Grafico;
            break;
        case db::Tipo::Texto:
        case db::Tipo::Outro:
            c.tipo = m[k].texto > 255 ? Tipo::Memo : Tipo::Alfa;
            c.tamanho = static_cast<int>(std::max<std::size_t>(m[k].texto, 1));
            break;
        }
        switch (c.tipo) {
        case Tipo::Longo:
        case Tipo::Data:
            c.tamanho = 4;
            break;
        case Tipo::Numero:
        case Tipo::Moeda:
        case Tipo::DataHora:
            c.tamanho = 8;
            break;
        case Tipo::Grafico:
        case Tipo::Memo:
            c.tamanho = TamanhoCampoBlob;
            break;
        default:
            break;
        }
        r.push_back(std::move(c));
    }
    return r;
}

// Table files of |dir| whose name is |base| with ending .DB or .MB, in any case.
std::vector<fs::path> arquivosDaTabela(const fs::path& dir, const std::string& base) {
    std::vector<fs::path> r;
    std::error_code ec;
    for (auto& e : fs::directory_iterator(dir, ec)) {
        auto n = e.path().filename().string();
        if (mesmoNome(n, base + ".db") || mesmoNome(n, base + ".mb")) r.push_back(e.path());
    }
    return r;
}

long long exportaTabela(const Diretorio& d, const std::string& guardada, int pagina) {
    db::Tabela t(d.origem.string(), guardada);
    t.abre();
    auto campos = camposParaExportar(t);
    // A server keeps names in lower case: the files get the known tables' own spelling.
    std::string tabela = guardada;
    if (auto* k = db::tabelaConhecida(guardada)) {
        tabela = k->nome;
        for (auto& c : campos)
            for (auto& kc : k->campos)
                if (mesmoNome(kc.nome, c.nome)) c.nome = kc.nome;
    }
    for (auto& velho : arquivosDaTabela(d.destino, tabela))
        fs::remove(velho);
    fs::path arquivo = d.destino / (tabela + ".DB");
    long long n = 0;
    try {
        Gravador g(arquivo.string(), campos, pagina);
        percorre(t, [&](const db::Registro& r) {
            std::vector<db::Valor> v(r.tamanho());
            for (std::size_t k = 0; k < r.tamanho(); ++k)
                v[k] = r.em(k);
            g.acrescenta(v);
            ++n;
        });
        g.fecha();
    } catch (...) {
        // A half-written table would be read as a whole one.
        std::error_code ec;
        for (auto& p : arquivosDaTabela(d.destino, tabela))
            fs::remove(p, ec);
        throw;
    }
    return n;
}

void resumo(std::ostream& saida, const char* acao, const Resumo& r) {
    saida << acao << ": " << r.tabelas << (r.tabelas == 1 ? " tabela, " : " tabelas, ")
          << r.registros << (r.registros == 1 ? " registro, " : " registros, ") << r.ignoradas
          << (r.ignoradas == 1 ? " tabela ignorada" : " tabelas ignoradas");
    if (r.recusadas > 0)
        saida << ", " << r.recusadas
              << (r.recusadas == 1 ? " tabela recusada" : " tabelas recusadas");
    if (r.descartados > 0)
        saida << ", " << r.descartados
              << (r.descartados == 1 ? " valor descartado" : " valores descartados");
    saida << "\n";
}

// A table named like a system table must have that table's key: a foreign table under the
// name would come in with every system field empty.
std::string chaveAusente(const Diretorio& d, const std::string& tabela, const Leitor& l) {
    for (auto& t : db::esquema(d.nivel)) {
        if (!mesmoNome(t.nome, tabela) || t.unicos.empty()) continue;
        const auto& chave = t.unicos.front();
        for (auto& c : l.campos())
            if (mesmoNome(c.nome, chave)) return {};
        return chave;
    }
    return {};
}

} // namespace

Resumo importar(const std::string& origem, const std::string& destino, bool substituir,
                std::ostream& saida, std::ostream& erros, int pagina) {
    Resumo r;
    auto dirs = arvore(origem, destino, [](const fs::path&) { return true; });

    // First every table is looked at, so that a refusal writes nothing at all.
    std::vector<Entrada> entradas;
    std::vector<std::string> recusas;
    for (auto& d : dirs) {
        std::vector<fs::path> arquivos;
        for (auto& e : fs::directory_iterator(d.origem))
            if (e.is_regular_file() && terminaCom(e.path().filename().string(), ".db"))
                arquivos.push_back(e.path());
        std::sort(arquivos.begin(), arquivos.end());
        std::vector<std::string> existentes;
        if (db::temArmazem(d.destino.string())) existentes = db::tabelas(d.destino.string());
        for (auto& a : arquivos) {
            std::string base = a.stem().string();
            std::string tabela = nomeNoArmazem(d, base, existentes);
            try {
                Leitor l(a.string(), pagina); // header, fields, size and blob file checked here
                if (auto chave = chaveAusente(d, tabela, l); !chave.empty()) {
                    recusas.push_back("a tabela " + d.rotulo + "/" + tabela + " (" + a.string() +
                                      ") não tem o campo " + chave + ", chave da tabela " + tabela +
                                      " do sistema");
                    continue;
                }
            } catch (const Erro& e) {
                erros << "ignorada " << d.rotulo << "/" << tabela << ": " << e.what() << "\n";
                ++r.ignoradas;
                continue;
            }
            if (std::any_of(entradas.begin(), entradas.end(), [&](auto& x) {
                    return x.dir->destino == d.destino && mesmoNome(x.tabela, tabela);
                })) {
                erros << "ignorada " << d.rotulo << "/" << tabela << ": " << a.string()
                      << ": outro arquivo com o mesmo nome de tabela\n";
                ++r.ignoradas;
                continue;
            }
            if (!substituir && std::any_of(existentes.begin(), existentes.end(),
                                           [&](auto& t) { return mesmoNome(t, tabela); })) {
                db::Tabela t(d.destino.string(), tabela);
                t.abre();
                if (t.conta() > 0)
                    recusas.push_back("a tabela " + d.rotulo + "/" + tabela +
                                      " do destino já tem registros");
            }
            entradas.push_back({&d, a, tabela, pagina});
        }
    }
    if (!recusas.empty()) {
        bool registros = false;
        for (auto& t : recusas) {
            erros << t << "\n";
            registros = registros || t.find(" já tem registros") != std::string::npos;
        }
        erros << (registros ? "nada foi gravado; use --substituir para substituir os registros\n"
                            : "nada foi gravado\n");
        r.recusado = true;
        return r;
    }

    for (auto& d : dirs) {
        std::string dir = d.destino.string();
        if (!db::temArmazem(dir)) {
            fs::create_directories(d.destino);
            db::criaTabelas(dir, d.nivel);
        }
        auto paginas = lePaginas(d.destino);
        for (auto& e : entradas) {
            if (e.dir != &d) continue;
            try {
                std::vector<Descartado> descartados;
                int lida = 1252;
                bool inferida = false;
                long long n = importaTabela(e, substituir, descartados, lida, inferida);
                saida << d.rotulo << "/" << e.tabela << ": " << n
                      << (n == 1 ? " registro" : " registros") << " (página de código " << lida
                      << (e.pagina != 0 ? ", dada na linha de comando"
                          : inferida    ? ", pela ordem de classificação"
                                        : "")
                      << ")\n";
                for (auto& v : descartados)
                    saida << "  descartado: registro " << v.registro << ", campo " << v.campo
                          << ": " << v.motivo << " (" << v.bruto << ")\n";
                saida << std::flush;
                for (auto it = paginas.begin(); it != paginas.end();)
                    it = mesmoNome(it->first, e.tabela) ? paginas.erase(it) : std::next(it);
                if (lida != 1252) paginas[e.tabela] = lida;
                ++r.tabelas;
                r.registros += n;
                r.descartados += static_cast<long>(descartados.size());
            } catch (const std::exception& x) {
                erros << "ignorada " << d.rotulo << "/" << e.tabela << ": " << x.what() << "\n";
                ++r.ignoradas;
            }
        }
        gravaPaginas(d.destino, paginas);
    }
    resumo(saida, "importação", r);
    return r;
}

Resumo exportar(const std::string& origem, const std::string& destino, bool substituir,
                std::ostream& saida, std::ostream& erros) {
    Resumo r;
    auto dirs =
        db::emServidor(origem)
            ? arvoreNoServidor(origem, destino)
            : arvore(origem, destino, [](const fs::path& p) { return db::temArmazem(p.string()); });
    std::vector<std::string> recusas;
    std::vector<std::vector<std::string>> tabelas;
    for (auto& d : dirs) {
        tabelas.push_back(db::tabelas(d.origem.string()));
        if (substituir || !fs::is_directory(d.destino)) continue;
        for (auto& t : tabelas.back())
            for (auto& a : arquivosDaTabela(d.destino, t))
                recusas.push_back(a.string());
    }
    if (!recusas.empty()) {
        for (auto& a : recusas)
            erros << "o arquivo " << a << " já existe\n";
        erros << "nada foi gravado; use --substituir para substituir as tabelas\n";
        r.recusado = true;
        return r;
    }
    for (std::size_t i = 0; i < dirs.size(); ++i) {
        auto& d = dirs[i];
        fs::create_directories(d.destino);
        const auto paginas = lePaginas(d.origem);
        for (auto& t : tabelas[i]) {
            try {
                long long n = exportaTabela(d, t, paginaGuardada(paginas, t));
                saida << d.rotulo << "/" << t << ": " << n << (n == 1 ? " registro" : " registros")
                      << "\n"
                      << std::flush;
                ++r.tabelas;
                r.registros += n;
            } catch (const ErroDePagina& x) {
                erros << "recusada " << d.rotulo << "/" << t << ": " << x.what() << "\n";
                ++r.recusadas;
            } catch (const std::exception& x) {
                erros << "ignorada " << d.rotulo << "/" << t << ": " << x.what() << "\n";
                ++r.ignoradas;
            }
        }
    }
    resumo(saida, "exportação", r);
    return r;
}

int comando(const std::vector<std::string>& args) {
    std::vector<std::string> pos;
    bool substituir = false, errado = false;
    int pagina = 0;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--substituir") {
            substituir = true;
        } else if (args[i] == "--pagina-de-codigo" && i + 1 < args.size()) {
            const std::string& n = args[++i];
            errado = errado || n.empty() || n.size() > 5 ||
                     !std::all_of(n.begin(), n.end(), [](char c) { return c >= '0' && c <= '9'; });
            pagina = errado ? 0 : std::stoi(n);
            errado = errado || pagina == 0;
        } else {
            pos.push_back(args[i]);
        }
    }
    if (args.empty() || pos.size() != 2 || errado ||
        (args[0] != "importar" && args[0] != "exportar") ||
        (pagina != 0 && args[0] != "importar")) {
        std::cerr
            << "uso: notera-dados importar ORIGEM DESTINO [--substituir] [--pagina-de-codigo N]\n"
               "     notera-dados exportar ORIGEM DESTINO [--substituir]\n";
        return 2;
    }
    try {
        Resumo r = args[0] == "importar"
                       ? importar(pos[0], pos[1], substituir, std::cout, std::cerr, pagina)
                       : exportar(pos[0], pos[1], substituir, std::cout, std::cerr);
        if (r.recusado || r.recusadas > 0) return 1;
        return r.ignoradas ? 3 : 0;
    } catch (const std::exception& e) {
        std::cerr << "notera-dados: " << e.what() << "\n";
        return 1;
    }
}

} // namespace paradox
