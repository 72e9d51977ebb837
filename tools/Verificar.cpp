#include "Verificar.h"

#include "Dados.h"

#include "db/Conjunto.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <tuple>

namespace fs = std::filesystem;

namespace dados {

namespace {

using base::Dinheiro;
using Numero = std::int64_t;

struct Lancamento { // a payable or a receivable
    Numero num = 0, nal = 0, emp = 0, nop = 0;
    std::string dc;
    Dinheiro val;
};

struct Cheque {
    Numero lan = 0, num = 0, ban = 0, nop = 0;
    std::string dup;
};

struct RegistroAL {
    Numero num = 0, nal = 0, ori = 0;
    Dinheiro tot;
};

struct Partida { // a ledger entry
    Numero num = 0, cor = 0;
    std::string lote, origem;
    bool debito = false, credito = false;
    Dinheiro val;
};

struct Total {
    std::string cod;
    Dinheiro deb, cre;
};

struct Empresa {
    long cod = 0;
    std::string dir;
    bool cadastrada = false, lida = false;
    Numero nal = 0, nos = 0;
    std::vector<Lancamento> pagar, receber;
    std::vector<Cheque> cheques;
    std::vector<RegistroAL> registros;
    std::vector<Partida> partidas;
    std::vector<Total> totais;
    std::set<std::string> lotes; // TbCtl
};

std::string nnn(Numero c) {
    char b[32];
    std::snprintf(b, sizeof b, "%03lld", static_cast<long long>(c));
    return b;
}

std::string emp(Numero c) {
    return "empresa " + nnn(c);
}

std::string num(Numero n) {
    return std::to_string(n);
}

// "1500,00", with the third and fourth decimals only when they are not zero.
std::string dinheiro(Dinheiro d) {
    Numero v = d.dezMilesimos();
    const bool negativo = v < 0;
    const std::uint64_t a =
        negativo ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
    char b[48];
    if (a % 100 == 0)
        std::snprintf(b, sizeof b, "%s%llu,%02llu", negativo ? "-" : "",
                      static_cast<unsigned long long>(a / 10000),
                      static_cast<unsigned long long>(a % 10000 / 100));
    else
        std::snprintf(b, sizeof b, "%s%llu,%04llu", negativo ? "-" : "",
                      static_cast<unsigned long long>(a / 10000),
                      static_cast<unsigned long long>(a % 10000));
    return b;
}

std::string aparado(const std::string& s) {
    auto i = s.find_first_not_of(' ');
    if (i == std::string::npos) return {};
    return s.substr(i, s.find_last_not_of(' ') - i + 1);
}

// The AL number of a document reference "AL n"; empty for any other reference.
std::optional<Numero> numeroAL(const std::string& dup) {
    if (dup.size() < 4 || dup.compare(0, 3, "AL ") != 0) return std::nullopt;
    Numero n = 0;
    auto [fim, ec] = std::from_chars(dup.data() + 3, dup.data() + dup.size(), n);
    if (ec != std::errc() || fim != dup.data() + dup.size()) return std::nullopt;
    return n;
}

// Every record of a table, a window at a time, never the whole table at once.
void percorre(const std::string& dir, const char* tabela,
              const std::function<void(const db::Registro&)>& f) {
    db::Tabela t;
    t.defineSomenteLeitura(true);
    t.defineDiretorio(dir);
    t.defineNome(tabela);
    t.abre();
    constexpr std::size_t Janela = 4096;
    std::optional<db::Marcador> apos;
    for (;;) {
        auto lote = t.leApos(apos, Janela);
        for (const auto& r : lote)
            f(r);
        if (lote.size() < Janela) break;
        apos = lote.back().marcador();
    }
    t.fecha();
}

std::vector<Lancamento> leLancamentos(const std::string& dir, const char* tabela) {
    std::vector<Lancamento> l;
    percorre(dir, tabela, [&](const db::Registro& r) {
        l.push_back({r["num_lan"].comoInteiro(), r["nal_lan"].comoInteiro(),
                     r["emp_lan"].comoInteiro(), r["nop_lan"].comoInteiro(),
                     aparado(r["d_c_lan"].comoTexto()), r["val_lan"].comoDinheiro()});
    });
    return l;
}

void leEmpresa(Empresa& e) {
    e.pagar = leLancamentos(e.dir, "TbLanPag");
    e.receber = leLancamentos(e.dir, "TbLanRec");
    percorre(e.dir, "TbChqPag", [&](const db::Registro& r) {
        e.cheques.push_back({r["lan_chq"].comoInteiro(), r["num_chq"].comoInteiro(),
                             r["ban_chq"].comoInteiro(), r["nop_chq"].comoInteiro(),
                             r["dup_chq"].comoTexto()});
    });
    percorre(e.dir, "TbCal", [&](const db::Registro& r) {
        e.registros.push_back({r["num_cal"].comoInteiro(), r["nal_cal"].comoInteiro(),
                               r["Ori_cal"].comoInteiro(), r["tot_cal"].comoDinheiro()});
    });
    percorre(e.dir, "TbLct", [&](const db::Registro& r) {
        e.partidas.push_back({r["num_lct"].comoInteiro(), r["cor_lct"].comoInteiro(),
                              aparado(r["lot_lct"].comoTexto()), aparado(r["orl_lct"].comoTexto()),
                              !aparado(r["cfd_lct"].comoTexto()).empty(),
                              !aparado(r["cfc_lct"].comoTexto()).empty(),
                              r["val_lct"].comoDinheiro()});
    });
    percorre(e.dir, "TbTot", [&](const db::Registro& r) {
        e.totais.push_back({aparado(r["cod_tot"].comoTexto()), r["deb_tot"].comoDinheiro(),
                            r["cre_tot"].comoDinheiro()});
    });
    percorre(e.dir, "TbCtl",
             [&](const db::Registro& r) { e.lotes.insert(aparado(r["num_lot"].comoTexto())); });
}

class Verificador {
public:
    explicit Verificador(std::string dir) : dir_(std::move(dir)) {}

    Verificacao roda() {
        if (!leCadastro()) return std::move(v_);
        for (auto& [cod, e] : empresas_) {
            try {
                leEmpresa(e);
                e.lida = true;
            } catch (const db::Erro& x) {
                v_.ilegiveis.push_back(emp(cod) + " (" + e.dir + "): " + x.what());
            }
        }
        for (auto& [cod, e] : empresas_) {
            if (!e.cadastrada)
                acha("empresa-sem-cadastro",
                     emp(cod) + ": diretório " + e.dir + " sem registro em TbEmp");
            if (!e.lida) continue;
            duplicados(e);
            cheques(e);
            partidas(e);
            totais(e);
        }
        transferencias();
        contadores();
        return std::move(v_);
    }

private:
    void acha(const char* tipo, std::string texto) {
        v_.achados.push_back({tipo, std::move(texto)});
    }
    void nota(const char* tipo, std::string texto) { v_.notas.push_back({tipo, std::move(texto)}); }

    // A company of the tree whose tables could not be read.
    bool ilegivel(Numero cod) const {
        auto it = empresas_.find(static_cast<long>(cod));
        return it != empresas_.end() && !it->second.lida;
    }

    bool leCadastro() {
        const std::string registro = (fs::path(dir_) / "Tabelas").string();
        try {
            percorre(registro, "TbEmp", [&](const db::Registro& r) {
                const Numero cod = r["cod_emp"].comoInteiro();
                if (!cadastro_.insert(cod).second) {
                    acha("numero-duplicado", "TbEmp: cod_emp " + num(cod) + " repetido");
                    return;
                }
                if (cod < 1 || cod > 0x7fffffff) {
                    acha("empresa-invalida", "TbEmp: cod_emp " + num(cod) + " inválido");
                    return;
                }
                Empresa& e = empresas_[static_cast<long>(cod)];
                e.cod = static_cast<long>(cod);
                e.dir = diretorioEmpresa(dir_, e.cod);
                e.cadastrada = true;
                e.nal = r["nal_emp"].comoInteiro();
                e.nos = r["nos_emp"].comoInteiro();
            });
        } catch (const db::Erro& x) {
            v_.ilegiveis.push_back("cadastro de empresas (" + registro + "): " + x.what());
            return false;
        }
        // Company directories on disk that the register does not name are read too.
        std::error_code ec;
        for (const auto& d : fs::directory_iterator(registro, ec)) {
            const std::string nome = d.path().filename().string();
            if (nome.size() < 3 || nome.size() > 10 ||
                !std::all_of(nome.begin(), nome.end(),
                             [](unsigned char c) { return std::isdigit(c); }) ||
                !d.is_directory(ec))
                continue;
            const long cod = std::stol(nome);
            if (cod < 1 || diretorioEmpresa(dir_, cod) != d.path().string()) continue;
            Empresa& e = empresas_[cod];
            if (e.cadastrada) continue;
            e.cod = cod;
            e.dir = d.path().string();
        }
        return true;
    }

    template <class T, class Chave>
    void repetidos(const Empresa& e, const std::vector<T>& l, const char* tipo, const char* tabela,
                   const char* campo, Chave chave) {
        std::map<decltype(chave(l.front())), int> vistos;
        for (const auto& x : l)
            ++vistos[chave(x)];
        for (const auto& [k, n] : vistos)
            if (n > 1)
                acha(tipo, emp(e.cod) + " " + tabela + ": " + campo + " " + texto(k) + " em " +
                               num(n) + " registros");
    }
    static std::string texto(Numero n) { return num(n); }
    static std::string texto(const std::string& s) { return "\"" + s + "\""; }
    static std::string texto(const std::pair<Numero, Numero>& p) {
        return num(p.second) + " do banco " + num(p.first);
    }

    void duplicados(const Empresa& e) {
        auto n = [](const auto& x) { return x.num; };
        if (!e.pagar.empty()) repetidos(e, e.pagar, "numero-duplicado", "TbLanPag", "num_lan", n);
        if (!e.receber.empty())
            repetidos(e, e.receber, "numero-duplicado", "TbLanRec", "num_lan", n);
        if (!e.cheques.empty()) {
            repetidos(e, e.cheques, "numero-duplicado", "TbChqPag", "lan_chq",
                      [](const Cheque& c) { return c.lan; });
            std::vector<Cheque> numerados;
            std::copy_if(e.cheques.begin(), e.cheques.end(), std::back_inserter(numerados),
                         [](const Cheque& c) { return c.num > 0; });
            if (!numerados.empty())
                repetidos(e, numerados, "cheque-duplicado", "TbChqPag", "cheque",
                          [](const Cheque& c) { return std::pair(c.ban, c.num); });
        }
        if (!e.registros.empty()) {
            repetidos(e, e.registros, "numero-duplicado", "TbCal", "num_cal", n);
            std::vector<RegistroAL> comAL;
            std::copy_if(e.registros.begin(), e.registros.end(), std::back_inserter(comAL),
                         [](const RegistroAL& r) { return r.nal > 0; });
            if (!comAL.empty())
                repetidos(e, comAL, "al-duplicada", "TbCal", "nal_cal",
                          [](const RegistroAL& r) { return r.nal; });
        }
        if (!e.partidas.empty())
            repetidos(e, e.partidas, "numero-duplicado", "TbLct", "num_lct", n);
        if (!e.totais.empty())
            repetidos(e, e.totais, "total-duplicado", "TbTot", "cod_tot",
                      [](const Total& t) { return t.cod; });
    }

    // A transfer's cheque (its reference "AL n") needs the payables of its operation with
    // that AL number. A cheque with any other reference is the host's own: its operation
    // follows the host's rules, so it is only noted.
    void cheques(const Empresa& e) {
        std::set<std::pair<Numero, Numero>> operacoesAL;
        for (const auto& p : e.pagar)
            if (p.nop > 0) operacoesAL.insert({p.nop, p.nal});
        for (const auto& c : e.cheques) {
            if (c.nop <= 0) continue;
            const auto al = numeroAL(c.dup);
            const std::string onde = emp(e.cod) + " TbChqPag: lan_chq " + num(c.lan) + " (cheque " +
                                     num(c.num) + ", operação " + num(c.nop);
            if (!al) {
                nota("cheque-do-hospedeiro", onde + ", referência \"" + aparado(c.dup) +
                                                 "\"): sem AL, operação não verificada");
                continue;
            }
            if (!operacoesAL.count({c.nop, *al}))
                acha("cheque-sem-pagar",
                     onde + ", AL " + num(*al) + ") sem conta a pagar da operação");
        }
    }

    // An entry made from a payable or a receivable points at it through cor_lct.
    void partidas(const Empresa& e) {
        std::map<Numero, const Lancamento*> pagar, receber;
        for (const auto& p : e.pagar)
            pagar.emplace(p.num, &p);
        for (const auto& r : e.receber)
            receber.emplace(r.num, &r);
        for (const auto& l : e.partidas) {
            const bool fpa = l.origem == "FPA", fre = l.origem == "FRE";
            if (!fpa && !fre) continue;
            const auto& mapa = fpa ? pagar : receber;
            const char* tabela = fpa ? "TbLanPag" : "TbLanRec";
            auto it = mapa.find(l.cor);
            const std::string onde = emp(e.cod) + " TbLct: num_lct " + num(l.num) + " (" +
                                     l.origem + ", cor_lct " + num(l.cor) + ")";
            if (it == mapa.end())
                acha("lancamento-sem-registro",
                     onde + " sem registro " + num(l.cor) + " em " + tabela);
            else if (it->second->nal > 0 && it->second->val != l.val)
                acha("lancamento-divergente", onde + ": valor " + dinheiro(l.val) + ", registro " +
                                                  dinheiro(it->second->val));
        }
    }

    void totais(const Empresa& e) {
        struct Soma {
            Dinheiro deb, cre;
        };
        Soma geral;
        std::map<std::string, Soma> lotes;
        for (const auto& l : e.partidas) {
            Soma& s = lotes[l.lote];
            if (l.debito) {
                geral.deb += l.val;
                s.deb += l.val;
            }
            if (l.credito) {
                geral.cre += l.val;
                s.cre += l.val;
            }
        }
        auto compara = [&](const std::string& nome, const char* tipo, Soma esperado,
                           const Total* t) {
            const Dinheiro deb = t ? t->deb : Dinheiro(), cre = t ? t->cre : Dinheiro();
            if (deb == esperado.deb && cre == esperado.cre) return;
            acha(tipo, emp(e.cod) + " TbTot: " + nome + (t ? "" : " sem registro") +
                           " com débito " + dinheiro(deb) + " e crédito " + dinheiro(cre) +
                           "; os lançamentos somam débito " + dinheiro(esperado.deb) +
                           " e crédito " + dinheiro(esperado.cre));
        };
        std::map<std::string, const Total*> porCodigo;
        for (const auto& t : e.totais)
            porCodigo.emplace(t.cod, &t);
        auto achaTotal = [&](const std::string& cod) -> const Total* {
            auto it = porCodigo.find(cod);
            return it == porCodigo.end() ? nullptr : it->second;
        };
        compara("total geral", "total-geral-divergente", geral, achaTotal(""));
        // A lot's row is kept only while the lot-control table lists the lot.
        for (const auto& t : e.totais)
            if (!t.cod.empty() && e.lotes.count(t.cod)) {
                auto it = lotes.find(t.cod);
                compara("lote " + t.cod, "total-lote-divergente",
                        it == lotes.end() ? Soma{} : it->second, &t);
            }
        for (const auto& [lote, soma] : lotes)
            if (!lote.empty() && e.lotes.count(lote) && !achaTotal(lote) &&
                (soma.deb != Dinheiro() || soma.cre != Dinheiro()))
                compara("lote " + lote, "total-lote-divergente", soma, nullptr);
    }

    // The records of one transfer, found from every side.
    struct Transferencia {
        std::vector<const Lancamento*> pagar, receber;
        std::vector<const RegistroAL*> registros;
    };
    using ChaveAL = std::tuple<Numero, Numero, Numero>; // origin, destination, AL

    static std::string nomeAL(const ChaveAL& k) {
        return "AL " + num(std::get<2>(k)) + " de " + emp(std::get<0>(k)) + " para " +
               emp(std::get<1>(k));
    }

    // Two records, one of each side, of one amount.
    void par(const ChaveAL& k, const std::vector<const Lancamento*>& l, const char* tabela,
             const char* primeiro, const char* segundo) {
        if (l.empty()) return;
        if (l.size() > 2) {
            acha("al-duplicada",
                 nomeAL(k) + ": " + num(static_cast<Numero>(l.size())) + " registros em " + tabela);
            return;
        }
        if (l.size() != 2 || !((l[0]->dc == primeiro && l[1]->dc == segundo) ||
                               (l[0]->dc == segundo && l[1]->dc == primeiro)))
            acha("par-incompleto",
                 nomeAL(k) + ": em " + tabela + " falta o registro " +
                     (l.size() == 1
                          ? "\"" + std::string(l[0]->dc == primeiro ? segundo : primeiro) + "\""
                          : "de um dos lados"));
    }

    void transferencias() {
        std::map<ChaveAL, Transferencia> t;
        for (const auto& [cod, e] : empresas_) {
            if (!e.lida) continue;
            for (const auto& p : e.pagar)
                if (p.nal > 0) t[{cod, p.emp, p.nal}].pagar.push_back(&p);
            for (const auto& r : e.receber)
                if (r.nal > 0) t[{r.emp, cod, r.nal}].receber.push_back(&r);
            for (const auto& c : e.registros)
                if (c.nal > 0) t[{c.ori, cod, c.nal}].registros.push_back(&c);
        }
        for (const auto& [k, tr] : t) {
            const auto [origem, destino, al] = k;
            const std::string nome = nomeAL(k);
            // What lies in a company that could not be read is not known to be missing; a
            // company the tree does not hold at all is.
            const bool origemVista = !ilegivel(origem), destinoVista = !ilegivel(destino);
            if (!tr.pagar.empty() && destinoVista) {
                if (tr.receber.empty())
                    acha("pagar-sem-receber", nome + ": contas a pagar sem as contas a receber");
                if (tr.registros.empty())
                    acha("pagar-sem-registro-al", nome + ": contas a pagar sem registro em TbCal");
            }
            if (!tr.receber.empty() && origemVista && tr.pagar.empty())
                acha("receber-sem-pagar", nome + ": contas a receber sem as contas a pagar");
            if (!tr.receber.empty() && tr.registros.empty() && tr.pagar.empty())
                acha("receber-sem-registro-al", nome + ": contas a receber sem registro em TbCal");
            if (!tr.registros.empty() && tr.pagar.empty() && tr.receber.empty() && origemVista)
                acha("registro-al-sem-lancamentos", nome + ": registro em TbCal (num_cal " +
                                                        num(tr.registros[0]->num) +
                                                        ") sem contas a pagar nem a receber");
            par(k, tr.pagar, "TbLanPag de " + emp(origem), "C", "D");
            par(k, tr.receber, "TbLanRec de " + emp(destino), "D", "C");
            valores(k, tr);
            operacao(k, tr);
            balanco(k, tr);
        }
    }
    void par(const ChaveAL& k, const std::vector<const Lancamento*>& l, const std::string& tabela,
             const char* primeiro, const char* segundo) {
        par(k, l, tabela.c_str(), primeiro, segundo);
    }

    void valores(const ChaveAL& k, const Transferencia& tr) {
        std::set<Dinheiro> v;
        std::string lista;
        auto junta = [&](const char* o, Dinheiro d) {
            v.insert(d);
            lista += std::string(lista.empty() ? "" : ", ") + o + " " + dinheiro(d);
        };
        for (auto* p : tr.pagar)
            junta("TbLanPag", p->val);
        for (auto* r : tr.receber)
            junta("TbLanRec", r->val);
        for (auto* c : tr.registros)
            junta("TbCal", c->tot);
        if (v.size() > 1)
            acha("valor-divergente", nomeAL(k) + ": valores diferentes (" + lista + ")");
    }

    // Payables of an operation need their cheques, in the origin's TbChqPag.
    void operacao(const ChaveAL& k, const Transferencia& tr) {
        const auto [origem, destino, al] = k;
        std::set<Numero> nops;
        for (auto* p : tr.pagar)
            if (p->nop > 0) nops.insert(p->nop);
        if (nops.empty()) return;
        const Empresa& o = empresas_.at(static_cast<long>(origem));
        for (Numero nop : nops) {
            const bool tem = std::any_of(o.cheques.begin(), o.cheques.end(), [&](const Cheque& c) {
                return c.nop == nop && numeroAL(c.dup) == al;
            });
            if (!tem)
                acha("pagar-sem-cheques", nomeAL(k) + ": contas a pagar da operação " + num(nop) +
                                              " sem cheques em TbChqPag");
        }
    }

    // In the origin's ledger a transfer debits and credits the same amount.
    void balanco(const ChaveAL& k, const Transferencia& tr) {
        if (tr.pagar.empty()) return;
        const Empresa& o = empresas_.at(static_cast<long>(std::get<0>(k)));
        std::set<Numero> docs;
        for (auto* p : tr.pagar)
            docs.insert(p->num);
        Dinheiro deb, cre;
        bool alguma = false;
        for (const auto& l : o.partidas) {
            if (l.origem != "FPA" || !docs.count(l.cor)) continue;
            alguma = true;
            if (l.debito) deb += l.val;
            if (l.credito) cre += l.val;
        }
        if (alguma && deb != cre)
            acha("lancamento-desbalanceado", nomeAL(k) + ": lançamentos em TbLct de " +
                                                 emp(std::get<0>(k)) + " com débito " +
                                                 dinheiro(deb) + " e crédito " + dinheiro(cre));
    }

    // nal_emp and nos_emp are the last numbers issued: none used may lie above them.
    void contadores() {
        std::map<Numero, Numero> maxAL, maxOp;
        auto sobe = [](std::map<Numero, Numero>& m, Numero k, Numero v) {
            auto& x = m[k];
            x = std::max(x, v);
        };
        for (const auto& [cod, e] : empresas_) {
            if (!e.lida) continue;
            for (const auto& p : e.pagar)
                if (p.nal > 0) {
                    sobe(maxAL, p.emp, p.nal);
                    sobe(maxOp, p.emp, p.nop);
                }
            for (const auto& r : e.receber)
                sobe(maxAL, cod, r.nal);
            for (const auto& c : e.registros)
                sobe(maxAL, cod, c.nal);
        }
        for (const auto& [cod, e] : empresas_) {
            if (!e.cadastrada) continue;
            if (auto it = maxAL.find(cod); it != maxAL.end() && it->second > e.nal)
                acha("contador-atrasado", emp(cod) + " TbEmp: nal_emp " + num(e.nal) +
                                              " abaixo da AL " + num(it->second) + " já usada");
            if (auto it = maxOp.find(cod); it != maxOp.end() && it->second > e.nos)
                acha("contador-atrasado", emp(cod) + " TbEmp: nos_emp " + num(e.nos) +
                                              " abaixo da operação " + num(it->second) +
                                              " já usada");
        }
    }

    std::string dir_;
    std::set<Numero> cadastro_;
    std::map<long, Empresa> empresas_;
    Verificacao v_;
};

} // namespace

Verificacao verifica(const std::string& dir) {
    return Verificador(dir).roda();
}

} // namespace dados
