#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quelmar::llamadas {

// A dialled number as digits: blanks, dashes and dots dropped, a leading "+" read as "00".
// Nothing when anything else is left (a letter, a "+" inside) or no digit is.
std::optional<std::string> NormalizarNumero(std::string_view numero);
// The same into `digitos`, whose room is reused from call to call; false for nothing.
bool NormalizarNumero(std::string_view numero, std::string& digitos);

// The --destinos table: which tariff a dialled number takes, by the longest prefix of its
// digits found in the table.
class Destinos {
  public:
    struct Destino {
        std::string prefijo;  // digits, as NormalizarNumero gives them
        std::string tarifa;   // UTF-8, as written
        std::size_t linea;    // of the file, from 1
    };

    // Reads "prefijo,tarifa" rows (or ";"), with blank lines, "#" comments and a first
    // header line "prefijo,tarifa". Error "fichero:línea: ..." on a bad row or
    // a prefix given twice (both lines named), and for a table without rows.
    static Destinos Leer(std::string_view texto, const std::string& fichero);

    // The row whose prefix is the longest that `digitos` starts with; null when none.
    const Destino* Buscar(std::string_view digitos) const;
    const std::vector<Destino>& Filas() const { return m_Filas; }

    // Moved, never copied: the index points into the rows.
    Destinos(Destinos&&) = default;
    Destinos& operator=(Destinos&&) = default;
    Destinos(const Destinos&) = delete;
    Destinos& operator=(const Destinos&) = delete;

  private:
    Destinos() = default;

    std::vector<Destino> m_Filas;
    std::unordered_map<std::string_view, std::size_t> m_Indice;  // prefix -> row
    std::size_t m_Largo = 0;                                     // the longest prefix
};

}  // namespace quelmar::llamadas
