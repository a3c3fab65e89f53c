#pragma once

// The layouts' own entries, for the table of formats, and the words they share.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "llamadas/formatos/Lector.h"

namespace quelmar::llamadas {

std::unique_ptr<Lector> CrearLectorLlamadas();
bool PareceLlamadas(std::string_view principio);
std::unique_ptr<Lector> CrearLectorAsterisk();
bool PareceAsterisk(std::string_view principio);
std::unique_ptr<Lector> CrearLectorAsteriskCustom();
bool PareceAsteriskCustom(std::string_view principio);
std::unique_ptr<Lector> CrearLectorFreeswitch();
bool PareceFreeswitch(std::string_view principio);
std::unique_ptr<Lector> CrearLectorCabecera();
bool PareceCabecera(std::string_view principio);

// How an instant is written: by the plain log, by a PBX.
inline constexpr std::string_view kFormaPlana = "AAAA-MM-DDTHH:MM:SS";
inline constexpr std::string_view kFormaCentralita = "AAAA-MM-DD HH:MM:SS";
// Why an instant of a record cannot be read, after its quoted text and how it is written.
std::string InstanteIlegible(std::string_view texto, std::string_view forma = kFormaPlana);
// A call longer than the engine costs.
std::string LlamadaDemasiadoLarga();

// The first line of a file's first bytes that holds something: no byte order mark, no
// line end, blank lines and "#" comments skipped.
std::string_view PrimeraLinea(std::string_view principio);
// What follows that line.
std::string_view TrasPrimeraLinea(std::string_view principio);
// ASCII letters compared without their case.
bool MismoTextoSinCaso(std::string_view a, std::string_view b);

// An answered record of a PBX, as its fields write it: costed from answer to end, or for
// billsec from answer when they disagree by more than a second (or when `sinFin` and the
// end is empty).
struct RegistroContestado {
    std::string_view respuesta, fin;
    std::int64_t billsec;
    std::string_view numero, origen, cuenta;
    bool sinFin;
};
// The call of such a record in `reg` (its tariff the number's); `textoFin` holds an end
// worked out.
Lectura LeerContestada(const RegistroContestado& c, Registro& reg, Avisos& a,
                       std::string& textoFin);

}  // namespace quelmar::llamadas
