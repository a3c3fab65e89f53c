#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "llamadas/Destinos.h"
#include "llamadas/Entrada.h"

namespace quelmar::llamadas {

// What a file of call records is, for whoever must choose how to cost it: its layout,
// what its records are, where its calls go, and whether its clock is UTC. Nothing is
// costed; memory stays the same however long the file (each table keeps its first
// kMaximoFilas keys).
struct Examen {
    static constexpr std::size_t kMaximoFilas = 10000;
    // How the layouts name the fields the tables below are of, for whoever shows them.
    static constexpr const char* kCampoCanal = "channel";
    static constexpr const char* kCampoCanalDestino = "dstchannel";
    static constexpr const char* kCampoContexto = "dcontext o context";

    std::string formato;  // the layout, as --formato names it
    std::size_t registros = 0, malas = 0, contestados = 0;
    std::optional<double> primero, ultimo;  // instants as written
    // Records by disposition (or hangup cause), the answered first.
    std::vector<std::pair<std::string, std::size_t>> disposiciones;

    // A context, or a channel peer (a channel name before its last "-").
    struct Grupo {
        std::string nombre;
        std::size_t registros = 0, contestados = 0;
        std::int64_t segundos = 0;  // of the answered records
        // As channel and as dstchannel; answered records to a number of 7 digits or more.
        std::size_t comoCanal = 0, comoDestino = 0, largos = 0;
    };
    std::vector<Grupo> contextos, pares;  // most answered seconds first

    // Answered records by the hour of day their answer is written in.
    std::array<std::size_t, 24> porHora{};
    // Instants the local clock skips in spring: only a file in UTC has them.
    std::size_t enHueco = 0;

    // With a destination table: answered records whose number no prefix covers, and
    // those numbers, commonest first.
    std::size_t sinPrefijo = 0;
    std::vector<std::pair<std::string, std::size_t>> numerosSinPrefijo;

    // The channel peer that most looks like the line to the operator (the one most calls
    // to long numbers reach), empty when none; the context of those calls likewise.
    std::string troncal, contexto;
};

// Reads every record of `entrada` in the layout `formato` ("" or "auto": recognised)
// and tells what they are. Error when the input is no text or cannot be read, or the
// layout is unknown.
Examen Examinar(Entrada& entrada, const std::string& formato, const std::string& nombre,
                const Destinos* destinos);

}  // namespace quelmar::llamadas
