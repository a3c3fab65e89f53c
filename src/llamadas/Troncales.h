#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "llamadas/Llamada.h"
#include "llamadas/formatos/Lector.h"

namespace quelmar::llamadas {

// A call out on the operator's line, its texts owned: the records of one trunk channel
// that touch or overlap in time, from the first answer to the last end, under the number,
// extension and account of the first.
struct LlamadaTroncal {
    double ini = 0, fin = 0;
    std::int64_t segundos = 0;
    std::string textoIni, textoFin, numero, origen, cuenta;
    std::optional<double> cobrado;
    bool columnaCobrado = false;
    bool segunBillsec = false;  // some record of it was costed for its billsec
    std::size_t linea = 0;      // of its first record
    std::size_t registros = 0;

    // The call as the session costs it; valid while this lives.
    Llamada Vista() const;
};

// Where the trunk stage hands each call out, once its last record is known.
class SalidaTroncal {
  public:
    virtual void Saliente(const LlamadaTroncal& l) = 0;

  protected:
    ~SalidaTroncal() = default;
};

// What the office pays, between the reader and the costing: a record whose channel or
// dstchannel starts with a trunk's prefix is on the operator's line. A trunk channel first
// seen as dstchannel is a call out, first seen as channel a call in; a record with no
// trunk channel is internal. The records of one trunk channel that touch or overlap in
// time are one call. Only the calls pending on some channel are kept: a call is handed on
// when a later record starts after its end, or at the end.
class Troncales {
  public:
    explicit Troncales(std::vector<std::string> prefijos) : m_Prefijos(std::move(prefijos)) {}

    enum class Sentido { Saliente, Entrante, Interna };
    // The trunk channel of a record and how it is seen there; empty when none.
    std::string_view CanalTroncal(const Registro& r, bool& comoDestino) const;

    // An answered record, read on line `linea`; calls out finished before it go to `s`.
    Sentido Anotar(const Registro& r, std::size_t linea, SalidaTroncal& s);
    // Every call still pending, in the order of their first records.
    void Vaciar(SalidaTroncal& s);

    std::size_t Entrantes() const { return m_Entrantes; }
    std::size_t Internas() const { return m_Internas; }
    // Records joined to a call out before them (a transfer): not a second charge.
    std::size_t Unidas() const { return m_Unidas; }

  private:
    struct Pendiente {
        std::string canal;
        bool activa = false, saliente = false;
        LlamadaTroncal llamada;
    };
    void Terminar(std::size_t i, SalidaTroncal& s);
    std::size_t Primera(const double* ini) const;

    std::vector<std::string> m_Prefijos;
    // The calls pending, and slots of calls handed on (not `activa`) to be used again.
    std::vector<Pendiente> m_Pendientes;
    std::size_t m_Entrantes = 0, m_Internas = 0, m_Unidas = 0;
};

// The same record read twice (every field equal, as when Master.csv and the per-account
// files are read together): recent records are remembered by a hash of their text in a
// table of fixed size that stays in the processor's cache (each record has a set of four
// places, and takes the oldest's), so memory stays the same however long the file and
// a repeat thousands of records later is still seen.
class Repetidos {
  public:
    static constexpr std::size_t kHuecos = 1 << 14, kVias = 4;
    // Whether the record was read before.
    bool Visto(std::string_view registro);
    std::size_t Cuantos() const { return m_Repetidos; }

  private:
    std::vector<std::uint64_t> m_Tabla;  // 0: empty
    std::size_t m_Repetidos = 0;
};

}  // namespace quelmar::llamadas
