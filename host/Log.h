#pragma once
// The robot's log: JSON Lines, one event an object, written as it happens. Texts are UTF-8;
// an object's keys come out in sorted order.

#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <variant>
#include <vector>

class Json {
public:
    Json(bool b) : v_(b) {}
    Json(int i) : v_(static_cast<long long>(i)) {}
    Json(long long i) : v_(i) {}
    Json(const char* s) : v_(std::string(s)) {}
    Json(std::string s) : v_(std::move(s)) {}
    Json(std::vector<Json> a) : v_(std::move(a)) {}
    Json(const std::vector<std::string>& a);
    void escreve(std::string& saida) const;

private:
    std::variant<bool, long long, std::string, std::vector<Json>> v_;
};

using Evento = std::map<std::string, Json>;
std::string emJson(const Evento& e);

class Registro {
public:
    Registro() = default;
    bool abre(const std::string& caminho);
    // Safe from any thread: the hooks and the robot write to one log.
    void escreve(const Evento& evento);

private:
    std::mutex trava_;
    std::ofstream arquivo_;
};
