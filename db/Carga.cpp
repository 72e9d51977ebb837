#include "Carga.h"

#include "Armazem.h"
#include "Motor.h"
#include "Sql.h"

#include <algorithm>
#include <filesystem>
#include <optional>

namespace db {

bool temArmazem(const std::string& diretorio) {
    return existemTabelas(diretorio);
}

bool noServidor(const std::string& diretorio) {
    std::error_code ec;
    auto p = std::filesystem::absolute(diretorio, ec);
    if (ec) return false;
    for (;;) {
        if (std::filesystem::exists(p / "banco.conf", ec)) return true;
        if (!p.has_parent_path() || p.parent_path() == p) return false;
        p = p.parent_path();
    }
}

std::vector<std::string> tabelas(const std::string& diretorio) {
    auto r = tabelasDe(diretorio);
    std::sort(r.begin(), r.end(), [](const std::string& a, const std::string& b) {
        return sql::minusculas(a) < sql::minusculas(b);
    });
    return r;
}

std::vector<Campo> camposDaTabela(const std::string& diretorio, const std::string& tabela) {
    Tabela t(diretorio, tabela);
    t.abre();
    std::vector<Campo> r = t.campos();
    t.fecha();
    return r;
}

struct Carga::Impl {
    std::string diretorio; // normalised
    std::shared_ptr<motor::Conexao> con;
    std::optional<UnidadeDeTrabalho> unidade;
    std::string qualificador; // where the directory's tables are on the connection
    std::string esquema;      // server schema; empty on SQLite
    std::unique_ptr<motor::Comando> insercao;
    bool usando = false;

    bool servidor() const { return !esquema.empty(); }

    [[noreturn]] void falha(const std::exception& e) const {
        throw Erro(con->descricao(diretorio) + ": " + e.what());
    }

    template <class F> auto protege(F f) {
        try {
            return f();
        } catch (const Erro& e) {
            falha(e);
        }
    }

    // A field's name as the store keeps it.
    std::string campo(const std::string& nome) const {
        return servidor() ? sql::minusculas(nome) : nome;
    }

    // Name of the table as stored (names match without regard to case), qualified.
    std::string alvo(const std::string& nome) {
        std::string semDb = sql::semSufixoDb(nome);
        std::string guardado = protege([&] { return con->nomeGuardado(diretorio, semDb); });
        if (guardado.empty()) throw Erro(con->descricao(diretorio) + ": " + con->semTabela(semDb));
        return qualificador + sql::aspas(guardado);
    }
};

Carga::Carga(const std::string& diretorio) : impl_(std::make_unique<Impl>()) {
    auto& i = *impl_;
    i.diretorio = motor::normaliza(diretorio);
    Local l = localDe(i.diretorio);
    if (l.servidor()) i.esquema = l.esquema;
    i.con = motor::conexaoPara(i.diretorio);
    // Never creates the file or schema: a missing store is an error, as for every data set.
    i.qualificador = i.protege([&] { return i.con->usaDiretorio(i.diretorio); });
    i.usando = true;
    i.unidade.emplace(i.diretorio);
}

Carga::~Carga() {
    if (!impl_) return;
    impl_->insercao.reset();
    impl_->unidade.reset(); // rolls back when not confirmed
    if (impl_->usando) impl_->con->largaDiretorio(impl_->diretorio);
}

void Carga::criaTabela(const TabelaEsquema& tabela) {
    auto& i = *impl_;
    auto cmds = i.servidor() ? comandosCriacaoServidor(tabela, i.esquema)
                             : comandosCriacao(tabela, i.qualificador);
    i.protege([&] {
        for (auto& c : cmds)
            i.con->executa(c);
    });
}

void Carga::acrescentaCampo(const std::string& tabela, const CampoEsquema& campo) {
    auto& i = *impl_;
    std::string tipo = i.servidor() ? tipoServidor(campo.tipo, campo.soData) : tipoSql(campo.tipo);
    std::string texto = "ALTER TABLE " + i.alvo(tabela) + " ADD COLUMN " +
                        sql::aspas(i.campo(campo.nome)) + " " + tipo;
    i.protege([&] { i.con->executa(texto); });
}

std::int64_t Carga::conta(const std::string& tabela) {
    auto& i = *impl_;
    std::string texto = "SELECT count(*) FROM " + i.alvo(tabela);
    return i.protege([&] {
        auto c = i.con->prepara(texto);
        if (!c->passo()) throw Erro("count(*) sem resultado");
        return c->valor(0).comoInteiro();
    });
}

void Carga::esvazia(const std::string& tabela) {
    auto& i = *impl_;
    std::string texto = "DELETE FROM " + i.alvo(tabela);
    i.protege([&] { i.con->executa(texto); });
}

void Carga::preparaInsercao(const std::string& tabela, const std::vector<std::string>& campos) {
    auto& i = *impl_;
    std::string cols, vals;
    for (std::size_t k = 0; k < campos.size(); ++k) {
        cols += (k ? ", " : "") + sql::aspas(i.campo(campos[k]));
        vals += (k ? ", :c" : ":c") + std::to_string(k);
    }
    std::string texto =
        "INSERT INTO " + i.alvo(tabela) +
        (campos.empty() ? " DEFAULT VALUES" : " (" + cols + ") VALUES (" + vals + ")");
    i.insercao.reset();
    i.insercao = i.protege([&] { return i.con->prepara(texto); });
    if (i.insercao->parametros().size() != campos.size())
        throw Erro(i.con->descricao(i.diretorio) + ": parâmetros da inserção não conferem");
}

void Carga::insere(const std::vector<Valor>& valores) {
    auto& i = *impl_;
    motor::Comando* c = i.insercao.get();
    if (!c) throw Erro(i.con->descricao(i.diretorio) + ": inserção não preparada");
    if (valores.size() != c->parametros().size())
        throw Erro(i.con->descricao(i.diretorio) + ": número de valores diferente do de campos");
    i.protege([&] {
        c->limpa();
        for (std::size_t k = 0; k < valores.size(); ++k)
            c->liga(k, valores[k]);
        c->passo();
    });
}

void Carga::confirma() {
    auto& i = *impl_;
    i.insercao.reset();
    i.protege([&] { i.unidade->confirma(); });
}

} // namespace db
