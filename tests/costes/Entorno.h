#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>

#include "support/CarpetaTemporal.h"

// What the model's tests share: a folder with the sample catalogue, generated logs and
// the real tarificador run on them.
namespace quelmar::pruebas {

// Numbers for people as Spain writes them without a locale, as tarificador's tests pin.
inline const bool kLocaleC = ::setenv("LC_ALL", "C", 1) == 0;

inline std::string Leer(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

inline void Escribir(const std::filesystem::path& p, const std::string& s) {
    std::ofstream(p, std::ios::binary | std::ios::trunc) << s;
}

class Carpeta : public CarpetaTemporal {
  public:
    Carpeta() {
        const std::string orden = std::string(IMPORTAR_MUESTRA) +
                                  " " CARPETA_DATOS "/tarifas.csv " + fichero().string() +
                                  " >/dev/null 2>&1";
        if (std::system(orden.c_str()) != 0) std::abort();
    }
    std::filesystem::path operator/(const std::string& nombre) const { return ruta() / nombre; }

    struct Salida {
        int estado;
        std::string salida, errores;
    };
    // tarificador ARGS, its standard output and error.
    Salida Tarificador(const std::string& args) const {
        const auto so = ruta() / ".so", se = ruta() / ".se";
        const std::string orden =
            std::string(TARIFICADOR) + " " + args + " >" + so.string() + " 2>" + se.string();
        const int estado = std::system(orden.c_str());
        return {WEXITSTATUS(estado), pruebas::Leer(so), pruebas::Leer(se)};
    }
};

// A plain log of `dias` days from 1 January 2000, `porDia` calls a day over the sample's
// tariffs and extensions, some lines bad.
inline std::string LogGenerado(int dias, int porDia, bool conMalas = true) {
    static const char* const kTarifas[] = {"", "Provincial", "Nacional", "Movil", "Plana Noche"};
    std::string r = "inicio,fin,tarifa\n";
    char b[128];
    int n = 0;
    for (int d = 0; d < dias; ++d) {
        const int mes = 1 + d / 28, dia = 1 + d % 28;  // 28 days a month: whole months
        for (int k = 0; k < porDia; ++k, ++n) {
            const int h = (k * 5) % 24, m = (k * 7) % 50;
            std::snprintf(b, sizeof b,
                          "2000-%02d-%02dT%02d:%02d:00,2000-%02d-%02dT%02d:%02d:%02d,%s\n", mes,
                          dia, h, m, mes, dia, h, m + 3 + k % 7, (k * 13) % 60, kTarifas[n % 5]);
            r += b;
            if (conMalas && n % 97 == 5) r += "2000-13-01T00:00:00,2000-13-01T00:01:00\n";
        }
    }
    return r;
}

}  // namespace quelmar::pruebas
