#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "bono/cBono.h"

namespace quelmar::costes {

// One bono as the user writes it on the Bonos page.
struct DatosBono {
    std::int16_t tipo = 0;       // 0-3, cBono::kNombresTipo
    double alta = 0.0;           // OLE date
    std::optional<double> baja;  // none: no end date
    std::string tiempo;          // H:MM:SS; empty: the kind's full capacity
};

// A bono as the page shows it: the registry's, and its time as the run left it.
struct FilaBono {
    DatosBono datos;
    std::optional<std::int32_t> queda;  // none: not in the registry after the run (expired)
};

// The registry that --bonos reads, edited on the Bonos page: read and saved as the command
// line reads and writes it (the one JSON reader and writer, the one writer of outputs).
class RegistroBonos {
  public:
    RegistroBonos() = default;
    explicit RegistroBonos(const cBono& r);
    // ErrorCostes naming the file.
    static RegistroBonos Leer(const std::filesystem::path& ruta);
    void Guardar(const std::filesystem::path& ruta) const;
    std::string Json() const;

    // The bonos, each with its time after the run: the bono of `tras` of the same kind and
    // alta.
    std::vector<FilaBono> Filas(const cBono& tras) const;

    // ErrorCostes when the time is no H:MM:SS; the registry is then unchanged.
    void Anadir(const DatosBono& b);
    void Cambiar(std::size_t i, const DatosBono& b);
    void Quitar(std::size_t i);
    void DiaFactura(std::uint8_t dia);
    // true: odd billing months; false: even ones.
    void MesesImpares(bool impares);
    std::uint8_t DiaFactura() const { return m_Registro.DiaFactura(); }
    bool MesesImpares() const { return m_Registro.perFactura() == 2; }
    std::size_t Cuantos() const { return static_cast<std::size_t>(m_Registro.Count()); }
    const cBono& Registro() const { return m_Registro; }

  private:
    std::vector<DatosBono> Datos() const;
    void Rehacer(const std::vector<DatosBono>& bonos);

    cBono m_Registro;
};

}  // namespace quelmar::costes
