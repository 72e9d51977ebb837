#pragma once
// Paradox tables written by the tests themselves, straight through pxlib, with raw values:
// day numbers, milliseconds, code-page bytes. Independent of the exporter under test.

extern "C" {
#include <paradox.h>
}

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <variant>
#include <vector>

namespace fixtura {

struct Campo {
    std::string nome;
    int tipo;
    int tamanho;
    int decimais = 0;
};

// NULL, an integer kind (also dates in days and times in ms), a floating kind (also
// timestamps in ms), or bytes (texts in the table's code page, blobs, BCD text).
using Valor = std::variant<std::monostate, long, double, std::string>;
using Linha = std::vector<Valor>;

// Day number of the format: 0001-01-01 is day 1.
inline long dia(int a, int m, int d) {
    return PX_GregorianToSdn(a, m, d) - 1721425;
}
inline double carimbo(int a, int m, int d, int h, int mi, int s, int ms = 0) {
    return (static_cast<double>(dia(a, m, d)) * 86400.0 + h * 3600 + mi * 60 + s) * 1000.0 + ms;
}
inline long hora(int h, int mi, int s, int ms = 0) {
    return ((h * 60 + mi) * 60 + s) * 1000L + ms;
}

inline bool ehBlob(int t) {
    return t == pxfMemoBLOb || t == pxfBLOb || t == pxfFmtMemoBLOb || t == pxfOLE ||
           t == pxfGraphic;
}

// Graphic blobs carry an 8-byte header of their own before the image.
inline std::string grafico(const std::string& imagem) {
    std::string h(4, '\0');
    auto n = static_cast<unsigned>(imagem.size());
    for (int i = 0; i < 4; ++i)
        h.push_back(static_cast<char>((n >> (8 * i)) & 0xFF));
    return h + imagem;
}

// Writes DIR/NAME.DB (and NAME.MB when a field is a blob). |paginaDeCodigo| goes into the
// header; the texts given must already be in it.
inline void escreve(const std::string& arquivo, const std::vector<Campo>& campos,
                    const std::vector<Linha>& linhas, int paginaDeCodigo = 1252) {
    pxdoc_t* d = PX_new();
    ASSERT_NE(d, nullptr);
    auto* f = static_cast<pxfield_t*>(d->malloc(d, campos.size() * sizeof(pxfield_t), "f"));
    bool blob = false;
    int tamanho = 0;
    for (std::size_t i = 0; i < campos.size(); ++i) {
        f[i].px_fname = PX_strdup(d, campos[i].nome.c_str());
        f[i].px_ftype = static_cast<char>(campos[i].tipo);
        f[i].px_flen = campos[i].tamanho;
        f[i].px_fdc = campos[i].decimais;
        blob = blob || ehBlob(campos[i].tipo);
        tamanho += campos[i].tamanho;
    }
    // Our own stream, closed (and so flushed) by us: pxlib leaves it open.
    std::FILE* fp = std::fopen((arquivo + ".DB").c_str(), "w+b");
    ASSERT_NE(fp, nullptr);
    ASSERT_EQ(PX_create_fp(d, f, static_cast<int>(campos.size()), fp, pxfFileTypNonIndexDB), 0);
    d->px_head->px_doscodepage = paginaDeCodigo;
    if (blob) {
        pxblob_t* b = PX_new_blob(d);
        ASSERT_EQ(PX_create_blob_file(b, (arquivo + ".MB").c_str()), 0);
    }
    std::vector<char> reg(static_cast<std::size_t>(tamanho));
    for (auto& l : linhas) {
        ASSERT_EQ(l.size(), campos.size());
        std::memset(reg.data(), 0, reg.size());
        char* p = reg.data();
        for (std::size_t i = 0; i < campos.size(); ++i) {
            const auto& c = campos[i];
            const Valor& v = l[i];
            if (!std::holds_alternative<std::monostate>(v)) {
                switch (c.tipo) {
                case pxfAlpha: {
                    std::string s = std::get<std::string>(v);
                    PX_put_data_alpha(d, p, c.tamanho, s.data());
                    break;
                }
                case pxfShort:
                    PX_put_data_short(d, p, 2, static_cast<short>(std::get<long>(v)));
                    break;
                case pxfLong:
                case pxfAutoInc:
                case pxfDate:
                case pxfTime:
                    PX_put_data_long(d, p, 4, static_cast<int>(std::get<long>(v)));
                    break;
                case pxfLogical:
                    PX_put_data_byte(d, p, 1, static_cast<char>(std::get<long>(v)));
                    break;
                case pxfCurrency:
                case pxfNumber:
                case pxfTimestamp:
                    PX_put_data_double(d, p, 8, std::get<double>(v));
                    break;
                case pxfBCD: {
                    std::string s = std::get<std::string>(v);
                    PX_put_data_bcd(d, p, c.decimais, s.data());
                    break;
                }
                case pxfBytes: {
                    std::string s = std::get<std::string>(v);
                    s.resize(static_cast<std::size_t>(c.tamanho), '\0');
                    PX_put_data_bytes(d, p, c.tamanho, s.data());
                    break;
                }
                default: { // blobs
                    std::string s = std::get<std::string>(v);
                    ASSERT_EQ(
                        PX_put_data_blob(d, p, c.tamanho, s.data(), static_cast<int>(s.size())), 0);
                }
                }
            }
            p += c.tamanho;
        }
        ASSERT_GE(PX_put_record(d, reg.data()), 0);
    }
    PX_close(d);
    PX_delete(d);
    ASSERT_EQ(std::fclose(fp), 0);
}

} // namespace fixtura
