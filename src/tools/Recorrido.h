#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bono/cBono.h"
#include "costing/cCosteo.h"
#include "costing/cLlamada.h"
#include "runtime/Variant.h"
#include "tools/Cobrado.h"
#include "tools/Costear.h"
#include "tools/Destinos.h"

namespace quelmar::herramientas {

// The run over a call log that costear, comparar and informe share: the log read line by
// line, each call costed under the tariff its line names with one bono registry carried
// from call to call, bad lines told on the error stream. The catalogue is loaded once and
// each call costed by cCosteo directly; a tariff name is looked up once per run. What
// becomes of each call costed is the caller's: a DestinoLlamadas.

// A tariff as a log names it: its catalogue bytes (none when no catalogue name can be
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

// One call of the log as read from its line; the texts and the tariff stay valid until
// the next line is read.
struct Llamada {
    double ini, fin;
    std::int64_t segundos;
    const TarifaPedida* tarifa;
    // The instants as the line writes them: LeerInstante takes only AAAA-MM-DD?HH:MM:SS
    // with a valid date and time, so with a "T" in the middle they are TextoInstante's.
    std::string_view textoIni, textoFin;
    // What a PBX's record or the log's extra columns say (empty when they say nothing):
    // the number dialled, the calling extension, the account, the amount charged.
    std::string_view numero, origen, cuenta;
    std::optional<double> cobrado;
    // Whether the log has a `cobrado` column at all.
    bool columnaCobrado = false;
};

// What a run does with each call the engine has costed: `motor` holds its results and the
// registry after it, `antes` the registry before it. A destination is told the calls in
// line order and keeps what it needs of them: none of the three commands keeps every call.
class DestinoLlamadas {
  public:
    // Whether each call's row goes to a terminal as it is costed.
    virtual bool FilasEnTerminal() const { return false; }
    // Once the input is known to be text, before its first line.
    virtual void Empezar() {}
    virtual void Costeada(const Llamada& l, const cCosteo& motor, const cBono& antes) = 0;
    // A call whose line names a tariff the catalogue lacks: a bad line (told apart), not
    // costed, but a call all the same for whoever costs it under other tariffs.
    virtual void SinTarifa(const Llamada& /*l*/) {}
    // Every bad line, also those past the ones told on the error stream.
    virtual void Mala(std::size_t /*linea*/, const std::string& /*motivo*/) {}
    // After the last line; ErrorUso when the output could not be written.
    virtual void Terminar() {}

  protected:
    ~DestinoLlamadas() = default;
};

struct TotalesRecorrido {
    std::size_t costeadas = 0, malas = 0;
    double importe = 0.0;  // the calls' importe added in line order
    std::int64_t segundos = 0;
    // Of a PBX's records: those not costed, by disposition (ANSWERED: of no billed time),
    // and the answered ones costed on billsec because their instants disagreed with it.
    std::array<std::size_t, 5> sinCostear{};
    std::size_t desacuerdos = 0;
    // The calls with an amount charged, against their cost.
    bool columnaCobrado = false;
    RevisionFactura factura;
};

// What a run starts from: the catalogue's names in UTF-8 (for suggestions), the holiday
// list given to the engine (empty: none) and the registry of bonos.
struct Preparacion {
    std::vector<std::string> nombres;
    std::vector<Variant> festivos;
    cBono inicial;
    // --destinos, read and its tariffs found in the catalogue.
    std::shared_ptr<const Destinos> destinos;
};

// Everything that can make a run unusable, checked before the first output: the catalogue
// and its program tariffs, --tarifa, --festivos, --bonos and the folder of --salida-bonos.
// The catalogue is loaded and gets the tariff; the holidays and the registry are read.
Preparacion PrepararCosteo(cLlamada& m, const OpcionesCosteo& o);

// The costing state a run starts from: the prepared holidays and registry.
void PrepararMotor(cCosteo& c, const Preparacion& p);

// Reads the log from `entrada` and costs it (see above) under catalogue `m` as loaded, with
// `motor` (PrepararMotor) carrying the registry; `destino` is told each call costed.
// `destinos` (may be null) picks the tariff of a call by its number. ErrorUso when the
// input is no text or cannot be read.
TotalesRecorrido Recorrer(const cLlamada& m, cCosteo& motor, const OpcionesCosteo& o,
                          std::vector<std::string> nombres, std::FILE* entrada, std::FILE* errores,
                          DestinoLlamadas& destino, const Destinos* destinos = nullptr);

// The key a call is added up by for --por: its extension or its account.
inline std::string_view ClaveDe(const Llamada& l, Agrupar por) {
    return por == Agrupar::Cuenta ? l.cuenta : l.origen;
}

// What to set aside on the disk for --salida-bonos before the run: the registry written
// after the run has the bonos it starts with, and a little room for longer times.
std::size_t ReservaBonos(const cBono& inicial);

// The totals on the error stream, as every run ends; the exit status.
int Resumir(const TotalesRecorrido& t, std::FILE* errores);

// A registry carried to the start `ini` of a call from the end of the one before it,
// `finAnterior` (none for the first call): the bonos whose expiry date is before `ini`
// removed, as Limpiar would if the program ran at that moment, each told to `quitado`
// (kind, alta, expiry) when given; then full again when a billing period began in between.
using AvisoCaducado = std::function<void(const std::string& tipo, double alta, double caducidad)>;
void LlevarRegistro(cBono& r, std::optional<double> finAnterior, double ini,
                    const AvisoCaducado& quitado = {});

// The name of the tariff at position i, its catalogue bytes without the trailing blanks.
std::string NombreDeTarifa(const cLlamada& m, std::int16_t i);

}  // namespace quelmar::herramientas
