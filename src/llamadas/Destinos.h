#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelmar::llamadas {

// A dialled number as digits: blanks, dashes and dots dropped, a leading "+" read as "00".
// Nothing when anything else is left (a letter, a "+" inside) or no digit is.
std::optional<std::string> NormalizarNumero(std::string_view numero);
// The same into `digitos`, whose room is reused from call to call; false for nothing.
bool NormalizarNumero(std::string_view numero, std::string& digitos);

// The --destinos table: which tariff a dialled number takes, by the longest prefix of its
// digits found in the table. A country's numbering plan is millions of rows naming a few
// tariffs: a row costs its digits and some twenty bytes.
class Destinos {
  public:
    struct Destino {
        std::uint32_t inicio, largo;  // its digits in the table's text (Prefijo)
        std::uint32_t tarifa;         // of Tarifas()
        std::uint32_t linea;          // of the file, from 1
    };

    // Reads "prefijo,tarifa" rows (or ";"), with blank lines, "#" comments and a first
    // header line "prefijo,tarifa". Error "fichero:línea: ..." on a bad row or
    // a prefix given twice (both lines named), and for a table without rows.
    static Destinos Leer(std::string_view texto, const std::string& fichero);

    // The row whose prefix is the longest that `digitos` starts with; null when none.
    const Destino* Buscar(std::string_view digitos) const;
    const std::vector<Destino>& Filas() const { return m_Filas; }
    // A row's digits, as NormalizarNumero gives them.
    std::string_view Prefijo(const Destino& f) const {
        return std::string_view(m_Texto).substr(f.inicio, f.largo);
    }
    // A row's tariff, UTF-8 as written.
    const std::string& Tarifa(const Destino& f) const { return m_Tarifas[f.tarifa]; }
    // Every tariff the table names, once, in the order of the first row naming it.
    const std::vector<std::string>& Tarifas() const { return m_Tarifas; }

  private:
    Destinos() = default;
    // The slot of m_Indice that holds `prefijo`'s row, or the empty one it would go in.
    std::size_t Hueco(std::string_view prefijo) const;

    std::string m_Texto;  // every row's digits, one after another
    std::vector<Destino> m_Filas;
    std::vector<std::string> m_Tarifas;
    // Open addressing, a power of two at most half full: row + 1, 0 for an empty slot.
    std::vector<std::uint32_t> m_Indice;
    std::size_t m_Largo = 0;  // the longest prefix
};

}  // namespace quelmar::llamadas
