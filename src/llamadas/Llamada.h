#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bono/cBono.h"
#include "costing/cCosteo.h"
#include "llamadas/Cobrado.h"

namespace quelmar::llamadas {

// A tariff as a record names it: its catalogue bytes (none when no catalogue name can be
// written so) and how a row shows it.
struct TarifaPedida {
    std::optional<std::string> bytes;
    std::string utf8, celda;
    // Where the catalogue has it (-1: nowhere), once `buscada`.
    std::int16_t posicion = -1;
    bool buscada = false;
    // The closest catalogue name, worked out the first time the name is not found.
    std::optional<std::string> sugerencia;
};

// One call as read from its record; the texts and the tariff stay valid until the next
// record is read.
struct Llamada {
    double ini, fin;
    std::int64_t segundos;
    const TarifaPedida* tarifa;
    // The instants as the record writes them, AAAA-MM-DD?HH:MM:SS (with a "T" in the
    // middle they are TextoInstante's).
    std::string_view textoIni, textoFin;
    // What a PBX's record or the log's extra columns say (empty when they say nothing):
    // the number dialled, the calling extension, the account, the amount charged.
    std::string_view numero, origen, cuenta;
    std::optional<double> cobrado;
    // Whether the file has an amount charged at all.
    bool columnaCobrado = false;
    // Costed for the billed seconds from the answer: the record's end disagreed with them.
    bool segunBillsec = false;
};

// What --por adds up the calls by: nothing, the calling extension, the account.
enum class Agrupar { Nada, Origen, Cuenta };

// The key a call is added up by.
inline std::string_view ClaveDe(const Llamada& l, Agrupar por) {
    return por == Agrupar::Cuenta ? l.cuenta : l.origen;
}

// What a run does with each call the engine has costed: a result. `motor` holds the
// call's results and the registry after it, `antes` the registry before it. A result is
// told the calls in the file's order and keeps what it needs of them: none of the
// command line's keeps every call.
class DestinoLlamadas {
  public:
    // Once the input is known to be text, before its first record.
    virtual void Empezar() {}
    virtual void Costeada(const Llamada& l, const cCosteo& motor, const cBono& antes) = 0;
    // A call costed outside the period looked at: it spent and refilled bonos as every
    // call does, but is no result (the next call's `antes` is the registry it left).
    virtual void Fuera(const Llamada& /*l*/) {}
    // A call whose record names a tariff the catalogue lacks: a bad record (told apart),
    // not costed, but a call all the same for whoever costs it under other tariffs.
    virtual void SinTarifa(const Llamada& /*l*/) {}
    // Every bad record, by the line it starts on.
    virtual void Mala(std::size_t /*linea*/, const std::string& /*motivo*/) {}
    // After the last record.
    virtual void Terminar() {}
    // Told every stretch of every call the run costs, when not null.
    virtual ObservadorTramos* Observador() { return nullptr; }

  protected:
    ~DestinoLlamadas() = default;
};

// What a run adds up of its file.
struct Totales {
    std::size_t costeadas = 0, malas = 0;
    // Of the calls costed, those costed for their billsec (Llamada::segunBillsec).
    std::size_t segunBillsec = 0;
    double importe = 0.0;  // the calls' importe added in the file's order
    std::int64_t segundos = 0;
    // Records that hold no call to cost, counted by why (the format's reasons in its own
    // order, "NO ANSWER", "BUSY", ...; only those with a count are set).
    std::vector<std::pair<std::string, std::size_t>> apartados;
    void Apartar(const std::string& motivo) {
        for (auto& [m, n] : apartados)
            if (m == motivo) {
                ++n;
                return;
            }
        apartados.emplace_back(motivo, 1);
    }
    // What the format and the run say of how the file was read, a sentence each ("3
    // llamadas costeadas según ...").
    std::vector<std::string> notas;
    // The calls with an amount charged, against their cost.
    bool columnaCobrado = false;
    RevisionFactura factura;
    // The run was stopped before the end of its input (Diagnosticos::Progreso).
    bool cancelado = false;
    // The layout read, and whether it was recognised (no layout asked for).
    std::string formato;
    bool reconocido = false;
    // With trunks named: the calls in and the internal ones, not costed.
    bool conTroncal = false;
    std::size_t entrantes = 0, internas = 0;
    // Records of contexts not asked for; records read twice (counted once).
    std::size_t otrosContextos = 0, repetidos = 0;
    // Answered records whose number no prefix of the destination table covers (without a
    // trunk, not bad records), and the commonest such numbers with their counts.
    std::size_t sinPrefijo = 0;
    std::vector<std::pair<std::string, std::size_t>> numerosSinPrefijo;
};

}  // namespace quelmar::llamadas
