#include "Paradox.h"

#include "base/BrFormat.h"
#include "base/Cp1252.h"
#include "base/Money.h"

extern "C" {
#include <paradox.h>
}

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace paradox {

namespace {

// pxlib reports through a callback; the last message explains the failing call. Warnings
// it raises on readable files (an .MB not padded to 4 kB) are kept but are not failures.
void anotaErro(pxdoc_t*, int, const char* msg, void* dados) {
    if (dados && msg) *static_cast<std::string*>(dados) = msg;
}

struct Documento {
    pxdoc_t* doc = nullptr;
    std::string ultimoErro;
    Documento() {
        doc = PX_new3(anotaErro, nullptr, nullptr, nullptr, &ultimoErro);
        if (!doc) throw Erro("pxlib: sem memória");
    }
    ~Documento() {
        if (doc) PX_delete(doc);
    }
    Documento(const Documento&) = delete;
    Documento& operator=(const Documento&) = delete;
    std::string motivo() const { return ultimoErro.empty() ? "erro de pxlib" : ultimoErro; }
};

struct FechaArquivo {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using Arquivo = std::unique_ptr<std::FILE, FechaArquivo>;

// The blob file as pxlib sees it. pxlib 0.6.8 overruns its stack while indexing the
// blocks of a blob file whose size is a multiple of 4 kB (every sound one), an index it
// needs only for writing. Its scan is skipped when the size is not such a multiple, so the
// file is handed over through a read-only stream that reports one byte more at its end
// when its size is one (and its own size otherwise: one byte short of a multiple must not
// become one).
class BlobSemIndice {
public:
    explicit BlobSemIndice(const std::string& arquivo) : real_(std::fopen(arquivo.c_str(), "rb")) {
        if (!real_) return;
        cookie_io_functions_t f{};
        f.read = [](void* c, char* buf, std::size_t n) -> ssize_t {
            auto* self = static_cast<BlobSemIndice*>(c);
            std::size_t lido = std::fread(buf, 1, n, self->real_.get());
            if (lido < n && std::ferror(self->real_.get())) return -1;
            // Unbuffered, so a short read is pxlib's own request cut by the file's end;
            // pxlib does not notice, the reader asks curto().
            if (lido < n) self->curto_ = true;
            return static_cast<ssize_t>(lido);
        };
        f.seek = [](void* c, off64_t* pos, int onde) -> int {
            auto* self = static_cast<BlobSemIndice*>(c);
            std::FILE* r = self->real_.get();
            off64_t alvo = *pos;
            if (onde == SEEK_END) {
                if (std::fseek(r, 0, SEEK_END) != 0) return -1;
                const auto fim = static_cast<off64_t>(std::ftell(r));
                alvo += fim % 4096 == 0 ? fim + 1 : fim;
            } else if (onde == SEEK_CUR) {
                alvo += static_cast<off64_t>(std::ftell(r));
            }
            if (alvo < 0 || std::fseek(r, static_cast<long>(alvo), SEEK_SET) != 0) return -1;
            *pos = alvo;
            return 0;
        };
        visto_.reset(fopencookie(this, "rb", f));
        if (visto_) std::setvbuf(visto_.get(), nullptr, _IONBF, 0);
    }
    BlobSemIndice(const BlobSemIndice&) = delete;
    BlobSemIndice& operator=(const BlobSemIndice&) = delete;
    std::FILE* arquivo() const { return visto_.get(); }
    // pxlib closes the stream from now on: a stream it did not open it never frees.
    void entregaAoPxlib() { (void)visto_.release(); }
    // Whether a read ran into the end of the file since the last limpa().
    bool curto() const { return curto_; }
    void limpa() { curto_ = false; }

private:
    bool curto_ = false;
    struct Fecha {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Fecha> real_;
    std::unique_ptr<std::FILE, Fecha> visto_; // closed first: it reads through real_
};

// A table being written, kept in memory and put on disk whole when complete: pxlib seeks
// and rereads around every record it adds (hundreds of system calls each), which in memory
// costs nothing; and a table that fails half-way never reaches the disk.
class ArquivoNaMemoria {
public:
    ArquivoNaMemoria() {
        cookie_io_functions_t f{};
        f.read = [](void* c, char* buf, std::size_t n) -> ssize_t {
            auto* self = static_cast<ArquivoNaMemoria*>(c);
            std::size_t tem =
                self->pos_ < self->dados_.size() ? self->dados_.size() - self->pos_ : 0;
            n = std::min(n, tem);
            std::memcpy(buf, self->dados_.data() + self->pos_, n);
            self->pos_ += n;
            return static_cast<ssize_t>(n);
        };
        f.write = [](void* c, const char* buf, std::size_t n) -> ssize_t {
            auto* self = static_cast<ArquivoNaMemoria*>(c);
            if (self->dados_.size() < self->pos_ + n) self->dados_.resize(self->pos_ + n);
            std::memcpy(self->dados_.data() + self->pos_, buf, n);
            self->pos_ += n;
            return static_cast<ssize_t>(n);
        };
        f.seek = [](void* c, off64_t* pos, int onde) -> int {
            auto* self = static_cast<ArquivoNaMemoria*>(c);
            off64_t base = onde == SEEK_SET   ? 0
                           : onde == SEEK_CUR ? static_cast<off64_t>(self->pos_)
                                              : static_cast<off64_t>(self->dados_.size());
            if (base + *pos < 0) return -1;
            self->pos_ = static_cast<std::size_t>(base + *pos);
            *pos = static_cast<off64_t>(self->pos_);
            return 0;
        };
        arquivo_ = fopencookie(this, "w+", f);
    }
    ~ArquivoNaMemoria() { fecha(); }
    ArquivoNaMemoria(const ArquivoNaMemoria&) = delete;
    ArquivoNaMemoria& operator=(const ArquivoNaMemoria&) = delete;

    std::FILE* arquivo() const { return arquivo_; }
    bool fecha() {
        if (!arquivo_) return true;
        int rc = std::fclose(arquivo_);
        arquivo_ = nullptr;
        return rc == 0;
    }
    const std::vector<char>& dados() const { return dados_; }

private:
    std::FILE* arquivo_ = nullptr;
    std::vector<char> dados_;
    std::size_t pos_ = 0;
};

// Texts of one code page to and from UTF-8, strictly: a byte or a letter without a
// counterpart is refused, never turned into another one.
class Pagina {
public:
    explicit Pagina(int numero) : numero_(numero) {
        if (numero_ == 1252) return; // the project's own tables, both ways
        const std::string nome = "CP" + std::to_string(numero_);
        de_ = iconv_open("UTF-8", nome.c_str());
        para_ = iconv_open(nome.c_str(), "UTF-8");
        if (de_ == Nenhum || para_ == Nenhum) {
            fecha();
            throw Erro("página de código " + std::to_string(numero_) + " não suportada");
        }
    }
    ~Pagina() { fecha(); }
    Pagina(const Pagina&) = delete;
    Pagina& operator=(const Pagina&) = delete;

    int numero() const { return numero_; }
    std::optional<std::string> paraUtf8(std::string_view bytes) const {
        if (numero_ == 1252) return base::cp1252ParaUtf8(bytes);
        return converte(de_, bytes);
    }
    std::optional<std::string> daUtf8(std::string_view utf8) const {
        if (numero_ != 1252) return converte(para_, utf8);
        std::string r = base::utf8ParaCp1252(utf8);
        // The encoder puts '?' for each letter the code page lacks.
        if (std::count(r.begin(), r.end(), '?') != std::count(utf8.begin(), utf8.end(), '?'))
            return std::nullopt;
        return r;
    }

private:
    static inline const iconv_t Nenhum = reinterpret_cast<iconv_t>(-1);
    static std::optional<std::string> converte(iconv_t c, std::string_view de) {
        std::string saida(de.size() * 4 + 4, '\0');
        char* entrada = const_cast<char*>(de.data());
        std::size_t restante = de.size(), livre = saida.size();
        char* destino = saida.data();
        iconv(c, nullptr, nullptr, nullptr, nullptr);
        if (iconv(c, &entrada, &restante, &destino, &livre) == static_cast<std::size_t>(-1))
            return std::nullopt;
        saida.resize(saida.size() - livre);
        return saida;
    }
    void fecha() {
        if (de_ != Nenhum) iconv_close(de_);
        if (para_ != Nenhum) iconv_close(para_);
        de_ = para_ = Nenhum;
    }

    int numero_;
    iconv_t de_ = Nenhum, para_ = Nenhum;
};

// The first letter of |utf8| that |pagina| cannot hold.
std::string primeiraQueNaoCabe(const Pagina& pagina, std::string_view utf8) {
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t n = 1;
        while (i + n < utf8.size() && (static_cast<unsigned char>(utf8[i + n]) & 0xC0) == 0x80)
            ++n;
        if (!pagina.daUtf8(utf8.substr(i, n))) return std::string(utf8.substr(i, n));
        i += n;
    }
    return {};
}

bool ehBlob(Tipo t) {
    return t == Tipo::Memo || t == Tipo::Blob || t == Tipo::MemoFormatado || t == Tipo::Ole ||
           t == Tipo::Grafico;
}

bool tipoConhecido(int t) {
    switch (static_cast<Tipo>(t)) {
    case Tipo::Alfa:
    case Tipo::Data:
    case Tipo::Curto:
    case Tipo::Longo:
    case Tipo::Moeda:
    case Tipo::Numero:
    case Tipo::Logico:
    case Tipo::Memo:
    case Tipo::Blob:
    case Tipo::MemoFormatado:
    case Tipo::Ole:
    case Tipo::Grafico:
    case Tipo::Hora:
    case Tipo::DataHora:
    case Tipo::AutoIncremento:
    case Tipo::Bcd:
    case Tipo::Bytes:
        return true;
    }
    return false;
}

// Size of a field kind in the record, when fixed.
int tamanhoFixo(Tipo t) {
    switch (t) {
    case Tipo::Data:
    case Tipo::Longo:
    case Tipo::Hora:
    case Tipo::AutoIncremento:
        return 4;
    case Tipo::Curto:
        return 2;
    case Tipo::Moeda:
    case Tipo::Numero:
    case Tipo::DataHora:
        return 8;
    case Tipo::Logico:
        return 1;
    case Tipo::Bcd:
        return 17;
    default:
        return 0;
    }
}

// Graphic blobs carry 8 bytes of their own before the image.
constexpr std::size_t CabecalhoGrafico = 8;
constexpr double MsPorDia = 86400000.0;
// Serial day number of 0001-01-01 minus one, as pxlib's calendar functions count.
constexpr long BaseSdn = 1721425;

// Store days (Delphi convention: before 1899-12-30 the time is a positive fraction below
// the whole day) to the format's day number and milliseconds of the day.
void diaEMs(double dias, long& dia, long long& ms) {
    double inteiro = std::trunc(dias);
    ms = std::llround(std::fabs(dias - inteiro) * MsPorDia);
    if (ms >= 86400000LL) {
        ms = 0;
        inteiro += dias < 0 ? -1 : 1;
    }
    base::Data d = base::Data::deDiasDelphi(inteiro);
    dia = PX_GregorianToSdn(d.ano, d.mes, d.dia) - BaseSdn;
}

// Days of the format the store can hold: 0001-01-01 to 9999-12-31.
constexpr long UltimoDia = 2958465 + DiasAte1899_12_30;
bool diaNoAlcance(double dia) {
    return dia >= 1 && dia <= UltimoDia;
}

double diasDoArmazem(long dia, double msDoDia) {
    int a = 0, m = 0, d = 0;
    PX_SdnToGregorian(dia + BaseSdn, &a, &m, &d);
    double inteiro = base::Data{a, m, d}.emDiasDelphi();
    double fracao = msDoDia / MsPorDia;
    return inteiro < 0 ? inteiro - fracao : inteiro + fracao;
}

// Exact decimal text ("-12.34", either separator) to ten-thousandths; empty when it does
// not fit or has more than four decimals that are not zero.
std::optional<std::int64_t> decimalEmDezMilesimos(const std::string& s) {
    constexpr std::int64_t Limite = (INT64_MAX - 9) / 10;
    std::size_t i = 0;
    bool negativo = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negativo = s[i++] == '-';
    std::int64_t v = 0;
    int casas = -1;
    for (; i < s.size(); ++i) {
        char c = s[i];
        if (c == '.' || c == ',') {
            if (casas >= 0) return std::nullopt;
            casas = 0;
            continue;
        }
        if (c < '0' || c > '9') return std::nullopt;
        if (casas >= 4) {
            if (c != '0') return std::nullopt;
            continue;
        }
        if (v > Limite) return std::nullopt;
        v = v * 10 + (c - '0');
        if (casas >= 0) ++casas;
    }
    for (int k = casas < 0 ? 0 : casas; k < 4; ++k) {
        if (v > Limite) return std::nullopt;
        v *= 10;
    }
    return negativo ? -v : v;
}

// What is wrong with a table file's header or block chain, read from its bytes; empty when
// pxlib can be given it. pxlib follows the chain without bounds: a chain that loops, or
// runs past the file's end (where it takes the last block read again), never ends. And
// it counts each block's records from the block's own size, so a size larger than the
// block makes it read records beyond it. The chain of an encrypted table cannot be
// checked before pxlib decrypts it, so such a table is refused.
std::string defeitoDosBlocos(std::FILE* f, std::uintmax_t tamanho) {
    // The fixed header (0x58 bytes) and, from format version 4.0 on, the data header.
    unsigned char c[0x78] = {};
    const std::size_t lidos =
        std::fseek(f, 0, SEEK_SET) == 0 ? std::fread(c, 1, sizeof c, f) : std::size_t{0};
    if (tamanho < 0x58 || lidos < 0x58) return "cabeçalho danificado (arquivo curto)";
    auto u16 = [](const unsigned char* p) { return static_cast<unsigned>(p[0] | p[1] << 8); };
    auto u32 = [](const unsigned char* p) {
        return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
               static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
    };
    const unsigned registro = u16(c), cabecalho = u16(c + 0x02), tipo = c[0x04], blocoKb = c[0x05],
                   blocos = u16(c + 0x0C), primeiro = u16(c + 0x0E), versao = c[0x39];
    const auto registros = static_cast<std::int32_t>(u32(c + 0x06));
    if (tipo != pxfFileTypIndexDB && tipo != pxfFileTypNonIndexDB)
        return "cabeçalho danificado (não é um arquivo de tabela)";
    if (registro == 0 || cabecalho < 0x58 || blocoKb < 1 || blocoKb > 32 || registros < 0 ||
        versao < 3 || versao > 15)
        return "cabeçalho danificado";
    // 0xFF00FF00 says the key is in the data header, which older versions lack.
    std::uint32_t chave = u32(c + 0x25);
    if (chave == 0xFF00FF00u) {
        if (versao < 5 || cabecalho < sizeof c || lidos < sizeof c) return "cabeçalho danificado";
        chave = u32(c + 0x5C);
    }
    if (chave != 0) return "tabela criptografada (protegida por senha)";
    const std::uintmax_t bloco = blocoKb * 1024u;
    // pxlib does not notice a short read either: a file cut below its blocks is refused.
    const std::uintmax_t esperado = cabecalho + blocos * bloco;
    if (tamanho < esperado)
        return "arquivo truncado (" + std::to_string(tamanho) + " bytes de " +
               std::to_string(esperado) + ")";

    // Each block starts with the next block's number, the previous one's and the bytes
    // used minus one record (six bytes).
    constexpr unsigned CabecalhoDoBloco = 6;
    const unsigned cabem = (static_cast<unsigned>(bloco) - CabecalhoDoBloco) / registro;
    std::vector<bool> visto(blocos + 1u, false);
    long long contados = 0;
    for (unsigned b = primeiro; b != 0;) {
        if (b > blocos || visto[b])
            return "cabeçalho danificado (cadeia de blocos em " + std::to_string(b) + ")";
        visto[b] = true;
        unsigned char h[CabecalhoDoBloco];
        if (std::fseek(f, static_cast<long>(cabecalho + (b - 1) * bloco), SEEK_SET) != 0 ||
            std::fread(h, 1, sizeof h, f) != sizeof h)
            return "bloco " + std::to_string(b) + " ilegível";
        const unsigned noBloco = u16(h + 4) / registro + 1;
        if (noBloco > cabem) return "bloco " + std::to_string(b) + " danificado";
        contados += noBloco;
        b = u16(h);
    }
    if (contados != registros)
        return "cabeçalho danificado (" + std::to_string(registros) + " registros no cabeçalho, " +
               std::to_string(contados) + " nos blocos)";
    return {};
}

} // namespace

db::Tipo tipoNoArmazem(const Campo& c) {
    switch (c.tipo) {
    case Tipo::Alfa:
    case Tipo::Memo:
    case Tipo::MemoFormatado:
        return db::Tipo::Texto;
    case Tipo::Curto:
    case Tipo::Longo:
    case Tipo::AutoIncremento:
    case Tipo::Logico:
        return db::Tipo::Inteiro;
    case Tipo::Moeda:
        return db::Tipo::Dinheiro;
    case Tipo::Numero:
        return db::Tipo::Flutuante;
    case Tipo::Bcd:
        return c.decimais <= 4 ? db::Tipo::Dinheiro : db::Tipo::Flutuante;
    case Tipo::Data:
    case Tipo::Hora:
    case Tipo::DataHora:
        return db::Tipo::DataHora;
    case Tipo::Blob:
    case Tipo::Ole:
    case Tipo::Grafico:
    case Tipo::Bytes:
        return db::Tipo::Imagem;
    }
    return db::Tipo::Outro;
}

const char* nomeDoTipo(Tipo t) {
    switch (t) {
    case Tipo::Alfa:
        return "alfanumérico";
    case Tipo::Data:
        return "data";
    case Tipo::Curto:
        return "inteiro curto";
    case Tipo::Longo:
        return "inteiro longo";
    case Tipo::Moeda:
        return "moeda";
    case Tipo::Numero:
        return "número";
    case Tipo::Logico:
        return "lógico";
    case Tipo::Memo:
        return "memo";
    case Tipo::Blob:
        return "blob";
    case Tipo::MemoFormatado:
        return "memo formatado";
    case Tipo::Ole:
        return "OLE";
    case Tipo::Grafico:
        return "gráfico";
    case Tipo::Hora:
        return "hora";
    case Tipo::DataHora:
        return "data e hora";
    case Tipo::AutoIncremento:
        return "autoincremento";
    case Tipo::Bcd:
        return "BCD";
    case Tipo::Bytes:
        return "bytes";
    }
    return "desconhecido";
}

int paginaDaOrdem(unsigned ordem) {
    switch (ordem) {
    case 0x00: // ASCII
    case 0xB7: // international
    case 0xF0: // Swedish/Finnish
        return 437;
    case 0x82: // Norwegian/Danish
    case 0xE6: // Norwegian/Danish, 4.0
        return 865;
    default:
        return 0;
    }
}

// ---------------------------------------------------------------------------------------

struct Leitor::Impl {
    std::string arquivo;
    std::unique_ptr<BlobSemIndice> blob; // outlives the document that reads through it
    Documento px;
    Arquivo fp;
    std::vector<char> registro;
    std::unique_ptr<Pagina> pagina;

    [[noreturn]] void falha(const std::string& porque) const {
        throw Erro(arquivo + ": " + porque);
    }

    std::string texto(const char* p, std::size_t n) {
        auto t = pagina->paraUtf8({p, n});
        if (!t)
            falha("texto inválido na página de código " + std::to_string(pagina->numero()) +
                  " da tabela");
        return *t;
    }
};

Leitor::Leitor(const std::string& arquivo, int paginaForcada) : impl_(std::make_unique<Impl>()) {
    auto& i = *impl_;
    i.arquivo = arquivo;
    // Opened by us, read-only: the source is never written.
    i.fp.reset(std::fopen(arquivo.c_str(), "rb"));
    if (!i.fp) i.falha(std::strerror(errno));
    std::error_code ec;
    const auto tamanho = fs::file_size(arquivo, ec);
    if (ec) i.falha(ec.message());
    if (auto defeito = defeitoDosBlocos(i.fp.get(), tamanho); !defeito.empty()) i.falha(defeito);
    // The format's version and sort order, from the header itself (checked just above).
    unsigned char cab[0x3A] = {};
    if (std::fseek(i.fp.get(), 0, SEEK_SET) != 0 ||
        std::fread(cab, 1, sizeof cab, i.fp.get()) != sizeof cab)
        i.falha("cabeçalho ilegível");
    const unsigned versao = cab[0x39], ordem = cab[0x29];
    pxdoc_t* d = i.px.doc;
    if (PX_open_fp(d, i.fp.get()) < 0) i.falha("cabeçalho danificado (" + i.px.motivo() + ")");
    const pxhead_t* h = d->px_head;
    if (h->px_filetype != pxfFileTypIndexDB && h->px_filetype != pxfFileTypNonIndexDB)
        i.falha("cabeçalho danificado (não é um arquivo de tabela)");
    if (h->px_numfields <= 0 || h->px_recordsize <= 0 || h->px_maxtablesize <= 0 ||
        h->px_numrecords < 0)
        i.falha("cabeçalho danificado");

    // Format 4.0 and later keep the code page in the header; older tables only their sort
    // order, which was made for one code page.
    if (paginaForcada != 0) {
        paginaDeCodigo_ = paginaForcada;
    } else if (versao >= 5) {
        paginaDeCodigo_ = h->px_doscodepage == 0 ? 1252 : h->px_doscodepage;
    } else {
        paginaDeCodigo_ = paginaDaOrdem(ordem);
        paginaInferida_ = true;
        if (paginaDeCodigo_ == 0) {
            char b[8];
            std::snprintf(b, sizeof b, "0x%02X", ordem);
            i.falha(std::string("tabela do formato 3.x sem página de código e com uma ordem de "
                                "classificação desconhecida (") +
                    b + "); diga a página com --pagina-de-codigo N");
        }
    }
    try {
        i.pagina = std::make_unique<Pagina>(paginaDeCodigo_);
    } catch (const Erro& e) {
        i.falha(e.what());
    }

    int soma = 0;
    for (int k = 0; k < h->px_numfields; ++k) {
        const pxfield_t* f = PX_get_field(d, k);
        if (!f) i.falha("cabeçalho danificado (" + i.px.motivo() + ")");
        int tipo = static_cast<unsigned char>(f->px_ftype);
        // Names are in the table's code page too.
        std::string nome =
            f->px_fname ? i.texto(f->px_fname, std::strlen(f->px_fname)) : std::string();
        if (nome.empty())
            i.falha("cabeçalho danificado (campo " + std::to_string(k + 1) + " sem nome)");
        if (!tipoConhecido(tipo))
            i.falha("o campo " + nome + " é de um tipo desconhecido (0x" + [&] {
                char b[8];
                std::snprintf(b, sizeof b, "%02X", static_cast<unsigned>(tipo));
                return std::string(b);
            }() + ")");
        Campo c{nome, static_cast<Tipo>(tipo), f->px_flen, f->px_fdc};
        const int fixo = tamanhoFixo(c.tipo);
        // A blob field holds a 10-byte pointer into the blob file after the first bytes of its
        // data, of any length, none included.
        std::string largura;
        if (fixo && c.tamanho != fixo)
            largura = "o formato pede " + std::to_string(fixo);
        else if (ehBlob(c.tipo) && c.tamanho < 10)
            largura = "o formato pede ao menos 10";
        else if (c.tamanho <= 0)
            largura = "o formato pede ao menos 1";
        if (!largura.empty())
            i.falha("cabeçalho danificado: campo " + nome + " (" + nomeDoTipo(c.tipo) +
                    ") com largura " + std::to_string(c.tamanho) + " (" + largura + ")");
        soma += c.tamanho;
        campos_.push_back(std::move(c));
    }
    if (soma != h->px_recordsize) i.falha("cabeçalho danificado (tamanho do registro)");
    registros_ = h->px_numrecords;

    bool precisaBlob = false;
    for (auto& c : campos_)
        precisaBlob = precisaBlob || ehBlob(c.tipo);
    if (precisaBlob) {
        fs::path db(arquivo);
        std::string base = db.stem().string();
        std::string achado;
        for (auto& e :
             fs::directory_iterator(db.parent_path().empty() ? "." : db.parent_path(), ec)) {
            auto n = e.path().filename().string();
            auto minusc = [](std::string s) {
                for (auto& ch : s)
                    ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
                return s;
            };
            if (minusc(n) == minusc(base + ".mb")) achado = e.path().string();
        }
        if (achado.empty()) i.falha("arquivo de blobs ausente (" + base + ".MB)");
        i.blob = std::make_unique<BlobSemIndice>(achado);
        if (!i.blob->arquivo()) i.falha(achado + ": " + std::strerror(errno));
        if (PX_set_blob_fp(d, i.blob->arquivo()) < 0)
            i.falha("arquivo de blobs ilegível (" + i.px.motivo() + ")");
        if (d->px_blob && d->px_blob->mb_stream) {
            d->px_blob->mb_stream->close = px_true;
            i.blob->entregaAoPxlib();
        }
    }
    i.registro.assign(static_cast<std::size_t>(h->px_recordsize), '\0');
}

Leitor::~Leitor() = default;

std::vector<db::Valor> Leitor::le(long n) {
    auto& i = *impl_;
    pxdoc_t* d = i.px.doc;
    if (n < 0 || n >= registros_) i.falha("registro fora do intervalo");
    if (!PX_get_record(d, static_cast<int>(n), i.registro.data()))
        i.falha("registro " + std::to_string(n + 1) + " ilegível (" + i.px.motivo() + ")");
    std::vector<db::Valor> r;
    r.reserve(campos_.size());
    char* p = i.registro.data();
    for (auto& c : campos_) {
        // An empty field is all zero bytes. Checked here because pxlib 0.6.8 reads eight
        // bytes to test a four-byte field, so an empty integer can come back as a number.
        if (std::all_of(p, p + c.tamanho, [](char b) { return b == 0; })) {
            r.emplace_back();
            p += c.tamanho;
            continue;
        }
        // A blank BCD keeps its precision byte, without the sign bit a value always has.
        if (c.tipo == Tipo::Bcd && (static_cast<unsigned char>(p[0]) & 0x80) == 0 &&
            std::all_of(p + 1, p + c.tamanho, [](char b) { return b == 0; })) {
            r.emplace_back();
            p += c.tamanho;
            continue;
        }
        auto erroCampo = [&](const std::string& porque) {
            i.falha("registro " + std::to_string(n + 1) + ", campo " + c.nome + " (" +
                    nomeDoTipo(c.tipo) + "): " + porque);
        };
        // What the store cannot hold comes in empty, and is told.
        auto descarta = [&](const std::string& porque, const std::string& bruto) {
            descartados_.push_back({n + 1, c.nome, porque, bruto});
            r.emplace_back();
        };
        switch (c.tipo) {
        case Tipo::Alfa: {
            char* v = nullptr;
            int rc = PX_get_data_alpha(d, p, c.tamanho, &v);
            if (rc < 0) erroCampo(i.px.motivo());
            if (!v) {
                r.emplace_back();
                break;
            }
            std::string t = i.texto(v, strnlen(v, static_cast<std::size_t>(c.tamanho)));
            d->free(d, v);
            r.emplace_back(std::move(t));
            break;
        }
        case Tipo::Curto: {
            short v = 0;
            if (PX_get_data_short(d, p, c.tamanho, &v) == 0)
                r.emplace_back();
            else
                r.emplace_back(static_cast<std::int64_t>(v));
            break;
        }
        case Tipo::Longo:
        case Tipo::AutoIncremento:
        case Tipo::Data:
        case Tipo::Hora: {
            long v = 0;
            if (PX_get_data_long(d, p, c.tamanho, &v) == 0) {
                r.emplace_back();
            } else if (c.tipo == Tipo::Data) {
                if (!diaNoAlcance(static_cast<double>(v)))
                    descarta("data fora dos anos 1 a 9999", "dia " + std::to_string(v));
                else
                    r.push_back(db::Valor::dataHora(diasDoArmazem(v, 0)));
            } else if (c.tipo == Tipo::Hora) {
                if (v < 0 || v >= 86400000L)
                    descarta("hora fora de um dia", std::to_string(v) + " ms");
                else
                    r.push_back(db::Valor::dataHora(static_cast<double>(v) / MsPorDia));
            } else {
                r.emplace_back(static_cast<std::int64_t>(v));
            }
            break;
        }
        case Tipo::Moeda:
        case Tipo::Numero:
        case Tipo::DataHora: {
            double v = 0;
            if (PX_get_data_double(d, p, c.tamanho, &v) == 0) {
                r.emplace_back();
            } else if (!std::isfinite(v)) {
                erroCampo("número inválido");
            } else if (c.tipo == Tipo::Moeda) {
                auto m = base::Dinheiro::deDouble(v);
                if (!m) erroCampo("valor fora do alcance");
                r.emplace_back(*m);
            } else if (c.tipo == Tipo::DataHora) {
                double dia = std::floor(v / MsPorDia);
                char bruto[40];
                std::snprintf(bruto, sizeof bruto, "%.0f ms", v);
                if (!diaNoAlcance(dia)) {
                    descarta("data fora dos anos 1 a 9999", bruto);
                } else {
                    auto valor = db::Valor::dataHora(
                        diasDoArmazem(static_cast<long>(dia), v - dia * MsPorDia));
                    // The last second of 9999-12-31 can round up past it.
                    if (!db::dataHoraDeTexto(valor.comoTexto()))
                        descarta("data fora dos anos 1 a 9999", bruto);
                    else
                        r.push_back(std::move(valor));
                }
            } else {
                r.emplace_back(v);
            }
            break;
        }
        case Tipo::Logico: {
            char v = 0;
            if (PX_get_data_byte(d, p, c.tamanho, &v) == 0)
                r.emplace_back();
            else
                r.emplace_back(static_cast<std::int64_t>(v != 0));
            break;
        }
        case Tipo::Bcd: {
            char* v = nullptr;
            int rc = PX_get_data_bcd(d, reinterpret_cast<unsigned char*>(p), c.decimais, &v);
            if (rc < 0) erroCampo("número BCD inválido");
            if (!v) {
                r.emplace_back();
                break;
            }
            std::string t(v);
            d->free(d, v);
            if (c.decimais <= 4) {
                auto m = decimalEmDezMilesimos(t);
                if (!m) erroCampo("número BCD fora do alcance");
                r.emplace_back(base::Dinheiro::deDezMilesimos(*m));
            } else {
                for (auto& ch : t)
                    if (ch == ',') ch = '.';
                r.emplace_back(std::strtod(t.c_str(), nullptr));
            }
            break;
        }
        case Tipo::Bytes:
            // The record holds the bytes as they are; pxlib's accessor would take a
            // leading zero byte for an empty field.
            r.emplace_back(db::Bytes(p, p + c.tamanho));
            break;
        case Tipo::Memo:
        case Tipo::MemoFormatado:
        case Tipo::Blob:
        case Tipo::Ole:
        case Tipo::Grafico: {
            char* v = nullptr;
            int mod = 0, tamanho = 0;
            // Graphics too are read as plain blobs: pxlib's graphic reader returns the
            // wrong bytes for small graphics; the 8-byte graphic header is dropped below.
            if (i.blob) i.blob->limpa();
            int rc = PX_get_data_blob(d, p, c.tamanho, &mod, &tamanho, &v);
            if (i.blob && i.blob->curto()) {
                if (v) d->free(d, v);
                erroCampo("arquivo de blobs truncado");
            }
            if (!v) {
                if (tamanho > 0 || (rc < 0 && tamanho != 0))
                    erroCampo("blob ilegível (" + i.px.motivo() + ")");
                r.emplace_back();
                break;
            }
            std::string bruto(v, static_cast<std::size_t>(tamanho));
            d->free(d, v);
            if (c.tipo == Tipo::Memo || c.tipo == Tipo::MemoFormatado) {
                r.emplace_back(i.texto(bruto.data(), bruto.size()));
            } else {
                std::size_t inicio = 0;
                if (c.tipo == Tipo::Grafico) {
                    if (bruto.size() < CabecalhoGrafico) erroCampo("gráfico danificado");
                    inicio = CabecalhoGrafico;
                }
                r.emplace_back(
                    db::Bytes(bruto.begin() + static_cast<std::ptrdiff_t>(inicio), bruto.end()));
            }
            break;
        }
        }
        p += c.tamanho;
    }
    return r;
}

// ---------------------------------------------------------------------------------------

struct Gravador::Impl {
    std::string arquivo, arquivoBlob;
    ArquivoNaMemoria memoria;
    std::unique_ptr<Documento> px =
        std::make_unique<Documento>(); // outlives the document that writes into it
    std::vector<Campo> campos;
    std::vector<char> registro;
    std::unique_ptr<Pagina> pagina;
    long registros = 0;
    bool fechado = false;

    // |utf8| in the table's code page, or an error naming the field, the record and the
    // first letter the code page lacks.
    std::string codifica(std::string_view utf8, const std::string& onde) const {
        if (auto r = pagina->daUtf8(utf8)) return *r;
        throw ErroDePagina(arquivo + ": " + onde + ": \"" + primeiraQueNaoCabe(*pagina, utf8) +
                           "\" não existe na página de código " + std::to_string(pagina->numero()));
    }

    [[noreturn]] void falha(const std::string& porque) const {
        throw Erro(arquivo + ": " + porque);
    }

    void fechaTudo() {
        px.reset(); // PX_delete closes the blob file; the table's stream is ours
        if (!memoria.fecha()) falha("erro ao completar a tabela");
    }

    void gravaNoDisco() {
        std::FILE* f = std::fopen(arquivo.c_str(), "wb");
        if (!f) falha(std::strerror(errno));
        const auto& d = memoria.dados();
        bool ok = std::fwrite(d.data(), 1, d.size(), f) == d.size();
        ok = (std::fclose(f) == 0) && ok;
        if (!ok) falha(std::strerror(errno));
    }
};

Gravador::Gravador(const std::string& arquivo, const std::vector<Campo>& campos, int paginaDeCodigo)
    : impl_(std::make_unique<Impl>()) {
    auto& i = *impl_;
    i.arquivo = arquivo;
    i.campos = campos;
    pxdoc_t* d = i.px->doc;
    if (campos.empty()) i.falha("tabela sem campos");
    try {
        i.pagina = std::make_unique<Pagina>(paginaDeCodigo);
    } catch (const Erro& e) {
        i.falha(e.what());
    }
    std::vector<std::string> nomes;
    for (auto& c : campos)
        nomes.push_back(i.codifica(c.nome, std::string("nome do campo ") + c.nome));
    // pxlib owns the field array and frees it with the document.
    auto* f = static_cast<pxfield_t*>(d->malloc(d, campos.size() * sizeof(pxfield_t), "campos"));
    if (!f) i.falha("sem memória");
    std::memset(f, 0, campos.size() * sizeof(pxfield_t));
    bool temBlob = false;
    int tamanho = 0;
    for (std::size_t k = 0; k < campos.size(); ++k) {
        f[k].px_fname = PX_strdup(d, nomes[k].c_str());
        f[k].px_ftype = static_cast<char>(campos[k].tipo);
        f[k].px_flen = campos[k].tamanho;
        f[k].px_fdc = campos[k].decimais;
        temBlob = temBlob || ehBlob(campos[k].tipo);
        tamanho += campos[k].tamanho;
    }
    if (!i.memoria.arquivo()) {
        for (std::size_t k = 0; k < campos.size(); ++k)
            d->free(d, f[k].px_fname);
        d->free(d, f);
        i.falha(std::strerror(errno));
    }
    if (PX_create_fp(d, f, static_cast<int>(campos.size()), i.memoria.arquivo(),
                     pxfFileTypNonIndexDB) < 0)
        i.falha("não foi possível criar a tabela (" + i.px->motivo() + ")");
    d->px_head->px_doscodepage = paginaDeCodigo;
    std::string nomeTabela = i.codifica(fs::path(arquivo).filename().string(), "nome da tabela");
    if (PX_set_parameter(d, "tablename", nomeTabela.c_str()) < 0)
        i.falha("não foi possível criar a tabela (" + i.px->motivo() + ")");
    if (temBlob) {
        i.arquivoBlob =
            (fs::path(arquivo).parent_path() / (fs::path(arquivo).stem().string() + ".MB"))
                .string();
        pxblob_t* b = PX_new_blob(d);
        if (!b || PX_create_blob_file(b, i.arquivoBlob.c_str()) < 0)
            i.falha("não foi possível criar o arquivo de blobs (" + i.px->motivo() + ")");
    }
    i.registro.assign(static_cast<std::size_t>(tamanho), '\0');
}

Gravador::~Gravador() {
    if (!impl_->fechado) {
        try {
            impl_->fechaTudo();
        } catch (...) { // the caller is already failing; the first error is the one to show
        }
    }
}

void Gravador::acrescenta(const std::vector<db::Valor>& valores) {
    auto& i = *impl_;
    pxdoc_t* d = i.px->doc;
    if (valores.size() != i.campos.size()) i.falha("número de valores diferente do de campos");
    std::memset(i.registro.data(), 0, i.registro.size());
    ++i.registros;
    char* p = i.registro.data();
    for (std::size_t k = 0; k < valores.size(); ++k) {
        const Campo& c = i.campos[k];
        const db::Valor& v = valores[k];
        const auto onde = [&] {
            return "registro " + std::to_string(i.registros) + ", campo " + c.nome + " (" +
                   nomeDoTipo(c.tipo) + ")";
        };
        auto vazio = [&] {
            if (v.ehNulo()) return true;
            if (auto* s = std::get_if<std::string>(&v.dado())) return s->empty();
            if (auto* b = std::get_if<db::Bytes>(&v.dado())) return b->empty();
            return false;
        }();
        if (!vazio) {
            switch (c.tipo) {
            case Tipo::Alfa: {
                std::string t = i.codifica(v.comoTexto(), onde());
                if (t.size() > static_cast<std::size_t>(c.tamanho))
                    t.resize(static_cast<std::size_t>(c.tamanho));
                PX_put_data_alpha(d, p, c.tamanho, t.data());
                break;
            }
            case Tipo::Curto:
                PX_put_data_short(d, p, c.tamanho, static_cast<short>(v.comoInteiro()));
                break;
            case Tipo::Longo:
            case Tipo::AutoIncremento:
                PX_put_data_long(d, p, c.tamanho, static_cast<int>(v.comoInteiro()));
                break;
            case Tipo::Logico:
                PX_put_data_byte(d, p, c.tamanho, v.comoInteiro() != 0 ? 1 : 0);
                break;
            case Tipo::Numero:
                PX_put_data_double(d, p, c.tamanho, v.comoDouble());
                break;
            case Tipo::Moeda:
                PX_put_data_double(d, p, c.tamanho, v.comoDinheiro().emReais());
                break;
            case Tipo::Data:
            case Tipo::Hora:
            case Tipo::DataHora: {
                long dia = 0;
                long long ms = 0;
                diaEMs(v.comoDataHora(), dia, ms);
                if (c.tipo == Tipo::Data)
                    PX_put_data_long(d, p, c.tamanho, static_cast<int>(dia));
                else if (c.tipo == Tipo::Hora)
                    PX_put_data_long(d, p, c.tamanho, static_cast<int>(ms));
                else
                    PX_put_data_double(d, p, c.tamanho,
                                       static_cast<double>(dia) * MsPorDia +
                                           static_cast<double>(ms));
                break;
            }
            case Tipo::Bytes: {
                db::Bytes b = v.comoBytes();
                b.resize(static_cast<std::size_t>(c.tamanho), 0);
                PX_put_data_bytes(d, p, c.tamanho, reinterpret_cast<char*>(b.data()));
                break;
            }
            case Tipo::Memo:
            case Tipo::MemoFormatado:
            case Tipo::Blob:
            case Tipo::Ole:
            case Tipo::Grafico: {
                std::string dados;
                if (c.tipo == Tipo::Memo || c.tipo == Tipo::MemoFormatado) {
                    dados = i.codifica(v.comoTexto(), onde());
                } else {
                    db::Bytes b = v.comoBytes();
                    if (c.tipo == Tipo::Grafico) {
                        // Graphic header: a reserved word and the image's size.
                        auto n = static_cast<std::uint32_t>(b.size());
                        dados.assign(4, '\0');
                        for (int s = 0; s < 4; ++s)
                            dados.push_back(static_cast<char>((n >> (8 * s)) & 0xFF));
                    }
                    dados.append(b.begin(), b.end());
                }
                if (PX_put_data_blob(d, p, c.tamanho, dados.data(),
                                     static_cast<int>(dados.size())) < 0)
                    i.falha("blob não gravado (" + i.px->motivo() + ")");
                break;
            }
            case Tipo::Bcd:
                i.falha("campos BCD não são gravados");
            }
        }
        p += c.tamanho;
    }
    if (PX_put_record(d, i.registro.data()) < 0)
        i.falha("registro não gravado (" + i.px->motivo() + ")");
}

void Gravador::fecha() {
    auto& i = *impl_;
    if (i.fechado) return;
    i.fechado = true;
    i.fechaTudo();
    i.gravaNoDisco();
    if (!i.arquivoBlob.empty()) {
        // Blob files are read in 4 kB blocks; pxlib leaves the last one short.
        std::error_code ec;
        auto n = fs::file_size(i.arquivoBlob, ec);
        if (!ec && n % 4096) fs::resize_file(i.arquivoBlob, (n / 4096 + 1) * 4096, ec);
        if (ec) i.falha(i.arquivoBlob + ": " + ec.message());
    }
}

} // namespace paradox
