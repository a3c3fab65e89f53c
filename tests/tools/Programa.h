#pragma once

#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "bono/cBono.h"
#include "costing/cLlamada.h"
#include "runtime/OleDate.h"
#include "support/CarpetaTemporal.h"

extern char** environ;

namespace quelmar::pruebas {

inline std::string LeerTodo(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

inline void EscribirTodo(const std::filesystem::path& p, const std::string& s) {
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f << s;
}

// The tool writes numbers for people as the locale does: the tests read them as Spain
// writes them without one, whatever the machine's locale.
inline const bool kSinLocale = ::setenv("LC_ALL", "C", 1) == 0;
// The report says when it was made: one moment for every run, so that pages compare.
inline const bool kFechaFija = ::setenv("SOURCE_DATE_EPOCH", "0", 1) == 0;

struct Resultado {
    int estado = -1;
    std::string salida, errores;
};

// Runs tarificador with `args`, `entrada` on its standard input; output captured in files
// of `carpeta`. `salidaEstandar` and `entradaEstandar`, when given, are opened in their place
// (a device, a folder): then `salida` stays empty.
inline Resultado Ejecutar(const std::filesystem::path& carpeta, std::vector<std::string> args,
                          const std::string& entrada = "", const char* salidaEstandar = nullptr,
                          const char* entradaEstandar = nullptr) {
    const auto fEntrada = carpeta / ".entrada", fSalida = carpeta / ".salida",
               fErrores = carpeta / ".errores";
    EscribirTodo(fEntrada, entrada);
    posix_spawn_file_actions_t acciones;
    posix_spawn_file_actions_init(&acciones);
    posix_spawn_file_actions_addopen(
        &acciones, 0, entradaEstandar ? entradaEstandar : fEntrada.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&acciones, 1,
                                     salidaEstandar ? salidaEstandar : fSalida.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&acciones, 2, fErrores.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    args.insert(args.begin(), TARIFICADOR);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid;
    Resultado r;
    if (posix_spawn(&pid, TARIFICADOR, &acciones, nullptr, argv.data(), environ) != 0) {
        ADD_FAILURE() << "no se pudo lanzar " << TARIFICADOR;
        return r;
    }
    posix_spawn_file_actions_destroy(&acciones);
    int st = 0;
    ::waitpid(pid, &st, 0);
    r.estado = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
    r.salida = LeerTodo(fSalida);
    r.errores = LeerTodo(fErrores);
    std::filesystem::remove(fEntrada);
    std::filesystem::remove(fSalida);
    std::filesystem::remove(fErrores);
    return r;
}

// The sample catalogue of data/tarifas.csv imported into `carpeta`, as a user makes it.
inline Resultado ImportarMuestra(const std::filesystem::path& carpeta) {
    return Ejecutar(carpeta,
                    {"importar", "--catalogo", carpeta.string(), CARPETA_DATOS "/tarifas.csv"});
}

// "importe total X" of a run's summary, written as Spain writes it (the tests run without a
// locale), in the machine form the CSV uses; "?" when there is none.
inline std::string ImporteTotal(const std::string& errores) {
    const auto p = errores.find("importe total ");
    if (p == std::string::npos) return "?";
    std::string r;
    for (std::size_t i = p + 14; i < errores.size() && errores[i] != ' ' && errores[i] != '\n'; ++i)
        if (errores[i] != '.') r += errores[i] == ',' ? '.' : errores[i];
    if (!r.empty() && r.back() == '.') r.pop_back();  // the comma after the amount
    return r;
}

// The cells of a CSV row without quotes, an empty last cell included.
inline std::vector<std::string> Celdas(const std::string& fila) {
    std::vector<std::string> r;
    std::stringstream s(fila);
    for (std::string c; std::getline(s, c, ',');) r.push_back(c);
    if (!fila.empty() && fila.back() == ',') r.emplace_back();
    return r;
}

inline std::vector<std::string> Lineas(const std::string& s) {
    std::vector<std::string> r;
    std::size_t i = 0;
    while (i < s.size()) {
        std::size_t j = s.find('\n', i);
        if (j == std::string::npos) j = s.size();
        r.push_back(s.substr(i, j - i));
        i = j + 1;
    }
    return r;
}

}  // namespace quelmar::pruebas
