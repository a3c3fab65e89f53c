#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quelmar::llamadas {

// ---- checking a bill: the amount the operator charged, against the amount costed ----

// The amount of a `cobrado` cell as the command line reads amounts: a plain number with
// "." or a decimal comma (then `coma` is set, for the notice), blanks around. An empty
// cell is no amount (`importe` empty). False when the cell is not an amount.
bool LeerCobrado(std::string_view celda, std::optional<double>& importe, bool& coma);
// The largest amount charged for one call that is taken as one: past it, a cell is a
// typo or another column's value, and its sums would lose the cents.
inline constexpr double kCobradoMaximo = 1e9;

// Charged minus costed, to the cent (never -0.00): above 0 charged more than the tariff
// gives, below 0 less.
double DiferenciaCobrada(double cobrado, double costeado);

// How many calls were charged more and less, and by how much in total.
struct RevisionFactura {
    std::size_t mas = 0, menos = 0, revisadas = 0;
    double deMas = 0.0, deMenos = 0.0;  // both positive
    void Anotar(double diferencia);
    // "N llamadas cobradas de más (X en total), M de menos (Y)", or that none differs;
    // `importe` writes an amount as the reader reads it.
    std::string Resumen(const std::function<std::string(double)>& importe) const;
};

// ---- totals per calling extension or per account ----

struct TotalClave {
    std::string clave;
    std::size_t llamadas = 0;
    std::int64_t segundos = 0;
    double importe = 0.0;
};

// The calls' totals by a key (src or accountcode); memory grows with the keys, never with
// the calls.
class TotalesPorClave {
  public:
    void Sumar(std::string_view clave, std::int64_t segundos, double importe);
    // Largest amount first; equal amounts by key.
    std::vector<TotalClave> Ordenados() const;
    bool Vacio() const { return m_Totales.empty(); }

  private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const {
            return std::hash<std::string_view>{}(s);
        }
    };
    std::unordered_map<std::string, TotalClave, Hash, std::equal_to<>> m_Totales;
};

}  // namespace quelmar::llamadas
