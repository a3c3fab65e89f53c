#pragma once

// Shared by the editor's tests: a window that records what the handlers ask of it, a
// temporary program folder and a catalogue of tariffs whose values tell them apart.

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/cLlamada.h"
#include "editor/IVentana.h"
#include "runtime/OleDate.h"
#include "runtime/Variant.h"
#include "support/CarpetaTemporal.h"

namespace quelmar::editor::prueba {

struct Mensaje {
    std::string texto;
    int estilo;
    std::string titulo;
};

class VentanaFalsa : public IVentana {
  public:
    void MsgBox(const std::string& texto, int estilo, const std::string& titulo) override {
        mensajes.push_back({texto, estilo, titulo});
    }
    bool Preguntar(const std::string& texto, const std::string& titulo) override {
        preguntas.push_back({texto, 0, titulo});
        return respuesta;
    }
    int PreguntarConCancelar(const std::string& texto, const std::string& titulo) override {
        preguntas.push_back({texto, 0, titulo});
        return respuestaSalvar;
    }
    void Cerrar() override { ++cierres; }
    void FocoEn(const Control& control) override { focos.push_back(control.Name()); }

    std::vector<Mensaje> mensajes;
    std::vector<Mensaje> preguntas;
    bool respuesta = false;
    int respuestaSalvar = IVentana::vbCancel;
    int cierres = 0;
    std::vector<std::string> focos;
};

// Writes that fail with `error` (a full disk unless told) while `fallar` is set.
class EscrituraFallida : public Escritura {
  public:
    long Escribir(int fd, const void* datos, std::size_t n) override {
        if (fallar) {
            errno = error;
            return -1;
        }
        return Escritura::Escribir(fd, datos, n);
    }
    bool fallar = false;
    int error = ENOSPC;
};

// Distinct values per tariff and field; times carry seconds and a fraction of a second,
// so any loss of precision shows.
inline double HoraDe(int tarifa, int campo) {
    return fecha::DesdeHora(tarifa % 24, (campo * 7) % 60, 59) + (tarifa + 1) * 1e-7;
}

inline std::string NombreDe(int i) {
    return "Tarifa " + std::to_string(i);
}

using ::CarpetaTemporal;

// Writes Tarifas.Dat with `n` tariffs named "Tarifa 0", "Tarifa 1", ...
inline void EscribirCatalogo(const std::filesystem::path& carpeta, int n) {
    cLlamada c(carpeta);
    for (int i = 0; i < n; ++i) {
        c.Add();
        const auto k = static_cast<std::int16_t>(i);
        c.Valor(k, "Nombre", Variant(NombreDe(i)));
        c.Valor(k, "Conexion.Importe", Variant("1" + std::to_string(i)));
        c.Valor(k, "Conexion.Tiempo", Variant::DeFecha(HoraDe(i, 0)));
        int campo = 1;
        for (const char* dia : {"Semana.", "Sabado.", "Festivo."}) {
            for (const char* banda : {"Normal.", "Reducida."}) {
                const std::string p = std::string(dia) + banda;
                c.Valor(k, p + "Importe", Variant(std::to_string(i) + "," + std::to_string(campo)));
                c.Valor(k, p + "Inicio", Variant::DeFecha(HoraDe(i, campo++)));
                c.Valor(k, p + "Fin", Variant::DeFecha(HoraDe(i, campo++)));
            }
        }
    }
    c.Save();
}

inline std::vector<char> Bytes(const std::filesystem::path& f) {
    std::ifstream in(f, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline double FechaDe(const cLlamada& c, int i, const std::string& clave) {
    return c.Valor(static_cast<std::int16_t>(i), clave).fecha();
}

inline std::string TextoDe(const cLlamada& c, int i, const std::string& clave) {
    return c.Valor(static_cast<std::int16_t>(i), clave).texto();
}

}  // namespace quelmar::editor::prueba
