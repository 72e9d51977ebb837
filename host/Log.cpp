#include "Log.h"

#include "base/Texto.h"

namespace {

void escreveTexto(std::string& s, const std::string& t) {
    static const char* const hex = "0123456789abcdef";
    s += '"';
    for (unsigned char c : t) {
        switch (c) {
        case '"':
            s += "\\\"";
            break;
        case '\\':
            s += "\\\\";
            break;
        case '\b':
            s += "\\b";
            break;
        case '\f':
            s += "\\f";
            break;
        case '\n':
            s += "\\n";
            break;
        case '\r':
            s += "\\r";
            break;
        case '\t':
            s += "\\t";
            break;
        default:
            if (c < 0x20) {
                s += "\\u00";
                s += hex[c >> 4];
                s += hex[c & 15];
            } else {
                s += static_cast<char>(c);
            }
        }
    }
    s += '"';
}

} // namespace

Json::Json(const std::vector<std::string>& a) : v_(std::vector<Json>(a.begin(), a.end())) {}

void Json::escreve(std::string& s) const {
    if (auto b = std::get_if<bool>(&v_)) {
        s += *b ? "true" : "false";
    } else if (auto i = std::get_if<long long>(&v_)) {
        s += std::to_string(*i);
    } else if (auto t = std::get_if<std::string>(&v_)) {
        escreveTexto(s, *t);
    } else {
        s += '[';
        bool primeiro = true;
        for (const auto& e : std::get<std::vector<Json>>(v_)) {
            if (!primeiro) s += ',';
            primeiro = false;
            e.escreve(s);
        }
        s += ']';
    }
}

std::string emJson(const Evento& e) {
    std::string s = "{";
    bool primeiro = true;
    for (const auto& [chave, valor] : e) {
        if (!primeiro) s += ',';
        primeiro = false;
        escreveTexto(s, chave);
        s += ':';
        valor.escreve(s);
    }
    return s + "}";
}

bool Registro::abre(const std::string& caminho) {
    arquivo_.open(base::caminhoUtf8(caminho), std::ios::binary | std::ios::trunc);
    return arquivo_.is_open();
}

void Registro::escreve(const Evento& evento) {
    std::lock_guard<std::mutex> t(trava_);
    if (!arquivo_.is_open()) return;
    arquivo_ << emJson(evento) << '\n';
    arquivo_.flush();
}
