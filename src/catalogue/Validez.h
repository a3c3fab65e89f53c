#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "catalogue/tTarifa.h"

namespace quelmar {

// The one rule of what a catalogue may hold. Every program that writes or costs a
// catalogue asks it (Quelmar's Salvar, importar, the commands that cost, Save); none
// re-derives it.
//
// Errors: what would not read back as written, or could not be costed as shown.
// Doubts: what reads and costs, but surely not as meant.
enum class Gravedad { Error, Duda };

enum class Motivo {
    DemasiadasTarifas,  // more than a file gives back (cCatalogo::kMaxTarifasFichero)
    NombreCortaLista,   // first byte outside 32..126: reading stops before this tariff
    NombreEnBlanco,     // blanks only: no name to choose it by
    ImporteSinNumero,   // a charge with no leading number: charged as 0
    HoraFueraDelDia,    // NaN, infinite, negative, or a day or more
    NombreRepetido,     // a doubt: only the first tariff of that name is ever chosen
};

struct Problema {
    std::size_t posicion = 0;               // the tariff, from 0
    const tTarifa::Campo* campo = nullptr;  // nullptr: the catalogue as a whole
    Motivo motivo = Motivo::DemasiadasTarifas;
    Gravedad gravedad = Gravedad::Error;
    std::string razon;     // Spanish, without the tariff's position: each program says where
    std::size_t otra = 0;  // NombreRepetido: the earlier tariff of the same name
};

// Every problem of the tariffs, in order: the size first, then tariff by tariff, field by
// field in file order. Nothing after the first name that ends the list is looked at: the
// catalogue read back ends there.
std::vector<Problema> ProblemasDelCatalogo(std::span<const tTarifa> tarifas);

// Whether a time field holds a time of day: finite, from 0 to less than one day.
bool EsHoraDelDia(double d) noexcept;

}  // namespace quelmar
