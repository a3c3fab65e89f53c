#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bono/tBono.h"
#include "runtime/Reloj.h"
#include "runtime/Variant.h"

namespace quelmar {

// The registry of one subscriber's bonos with the billing settings, the balances and the
// charging of connection time.
//
// Kinds, from the name: 0 "10DIA", 1 "50DIA" (group 0, day), 2 "10NOCHE", 3 "50NOCHE"
// (group 1, night); any other name is kind 0, group 0. Capacity, the one rule: the hours
// a name starts with, "10" -> 10 h, "50" -> 50 h, else zero. A bono is refilled to the
// capacity of its own name; charging spreads the pool by the capacity of its kind's name.
//
// Positions run 0..Count()-1; position Count() is a spare slot that reads and writes
// like a blank bono but is seen by no count, total or charge. A position below 0 or above
// Count() is error 9 and changes nothing. Inside, balances are whole seconds (the
// ...Segundos operations, which the costing uses); the old texts of cTiempo ("10:00:00")
// are wrappers over them. "Now" comes from the clock given to the constructor.
class cBono {
  public:
    explicit cBono(Reloj reloj = AhoraLocal);

    // The kinds' names, by kind code.
    static constexpr std::array<std::string_view, 4> kNombresTipo{"10DIA", "50DIA", "10NOCHE",
                                                                  "50NOCHE"};

    // Registers a bono of kind Tipo at position Count(), full capacity, no end date. fecha
    // (now when missing) converts as a date: a text that is no date is error 13, a value
    // out of the date range error 6; beyond 32767 bonos error 6. On error nothing changes.
    // A kind outside 0..3 writes no name (the spare slot's name stays).
    void DarAlta(std::int16_t Tipo, const std::optional<Variant>& fecha = std::nullopt);
    // Removes the bono at Index (converted to 16 bits, halves to even: error 13/6; negative
    // or on an empty registry error 9; at or after the last bono removes the last).
    // Without Index removes every bono with an end date whose expiry is before now.
    void Limpiar(const std::optional<Variant>& Index = std::nullopt);

    double Alta(std::int16_t Index) const;
    // Error 6 for a value that is no date.
    void Alta(std::int16_t Index, double d);
    // The end date / expiry date, or "" when not set.
    Variant Baja(std::int16_t Index) const;
    Variant BajaPer(std::int16_t Index) const;
    // Stores the end date and derives the expiry: the first billing day on or after it
    // (day after DiaFactura moves to the next month; an off-parity month to the next one;
    // the day runs over short months), at 00:00. A value that reads as no date is ignored.
    void Baja(std::int16_t Index, const Variant& d);

    // Setting either re-derives every expiry date.
    void DiaFactura(std::uint8_t d);
    std::uint8_t DiaFactura() const noexcept { return m_DiaFactura; }
    // 2 selects odd billing months, any other value even ones; reads 1 (even) or 2 (odd).
    void perFactura(std::uint8_t d);
    std::uint8_t perFactura() const noexcept { return m_perFactura == 1 ? 2 : 1; }

    std::int16_t Count() const noexcept;
    std::int16_t CountGrupo(std::int16_t gr) const;
    std::int16_t CountTipo(std::int16_t tp) const;
    std::int16_t Tipo(std::int16_t Index) const;
    std::int16_t Grupo(std::int16_t Index) const;
    // All 8 characters, padding included.
    std::string Nombre(std::int16_t Index) const;
    void Nombre(std::int16_t Index, std::string_view s);
    std::string tiempo(std::int16_t Index) const;
    // Parsed as cTiempo::Valor(s): error 6 for a part out of 16 bits.
    void tiempo(std::int16_t Index, std::string_view sTiempo);

    // Sums of remaining times of a kind / a group, expired bonos included. Error 6 when a
    // partial sum leaves what a time holds (32767 hours).
    std::int32_t SegundosTipo(std::int16_t tip) const;
    std::int32_t SegundosGrupo(std::int16_t gr) const;
    std::string TotalTiempoTipo(std::int16_t tip) const;
    std::string TotalTiempoGrupo(std::int16_t gr) const;
    // Whether `otro` holds as many bonos with the same names and remaining seconds, position
    // by position: every total of a kind or a group then reads the same in both.
    bool MismosTiempos(const cBono& otro) const noexcept;
    // Capacities of the group less its remaining times.
    std::int32_t SegundosGastadosGrupo(std::int16_t gr) const;
    std::string TiempoGastadoGrupo(std::int16_t gr) const;
    // Seconds of the capacity rule for a kind name's bytes ("10DIA   " -> 36000).
    static std::int32_t SegundosCapacidad(std::string_view nombre) noexcept;

    // Every bono back to its capacity.
    void Reset();

    // Charges t to group gr at moment d (now when missing; a text must read as a date, else
    // error 13). The time of the group's bonos that are not expired at d makes a pool; t is
    // taken from it and the rest spread back by position: each bono in turn is filled to
    // capacity while the pool exceeds it, the next takes what is left, later ones get zero.
    // Returns "00:00:00" when t was covered, else the uncovered part as a negative time.
    std::string Restar(std::int16_t gr, std::string_view t,
                       const std::optional<Variant>& d = std::nullopt);
    // The same in whole seconds at moment `momento`: returns 0 when `segundos` was covered,
    // else the uncovered part, negative.
    std::int32_t RestarSegundos(std::int16_t gr, std::int32_t segundos, double momento);

    bool EstaVacioGrupo(std::int16_t gr) const;
    bool EstaVacioTipo(std::int16_t tp) const;
    // Kind to charge in a group (0 day, any other night): the 50-hour kind if it has time,
    // else the 10-hour one, else -1.
    std::int16_t Cual(std::int16_t gr) const;

    // Replaces this registry by a copy of bn, read through bn's public operations only:
    // names are rebuilt from kind codes, expiry dates derived again. A copy of itself
    // changes nothing.
    void Copiar(const cBono& bn);

  private:
    const tBono& Bono(std::int16_t Index) const;
    tBono& Bono(std::int16_t Index);
    void Quitar(std::int16_t i);
    std::int32_t Capacidad(std::size_t i) const noexcept;
    std::int16_t GrupoDe(std::size_t i) const;
    std::int16_t TipoDe(std::size_t i) const;
    void RecalcularBajas();
    std::size_t Bonos() const noexcept { return m_Bonos.size() - 1; }
    std::int32_t SumaSegundos(bool porGrupo, std::int16_t codigo) const;

    // Positions 0..Count()-1 hold the bonos; the last element is the spare slot.
    std::vector<tBono> m_Bonos;
    std::uint8_t m_DiaFactura = 1;
    // 0: even billing months, 1: odd ones.
    std::uint8_t m_perFactura = 0;
    Reloj m_Reloj;
};

}  // namespace quelmar
