#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bono/cBono.h"
#include "costing/cCosteo.h"
#include "costing/cLlamada.h"
#include "llamadas/Costeo.h"
#include "llamadas/Destinos.h"
#include "llamadas/Diagnosticos.h"
#include "llamadas/Entrada.h"
#include "llamadas/Llamada.h"
#include "runtime/Variant.h"

namespace quelmar::llamadas {

// What a run is asked to cost with.
struct OpcionesSesion {
    // The folder of Tarifas.Dat.
    std::filesystem::path catalogo;
    // The tariff of records that name none (UTF-8); the catalogue's first when absent.
    std::optional<std::string> tarifa;
    std::optional<std::filesystem::path> festivos;
    // Reads the registry of bonos the run starts with, after the catalogue and the
    // holidays (how it is written is the front end's); none when absent.
    std::function<cBono()> bonos;
    // The prefijo,tarifa table that picks a call's tariff by the number dialled.
    std::optional<std::filesystem::path> destinos;
    // The layout of the records (Formatos()); "" or "auto": recognised from the file's
    // first records.
    std::string formato = "llamadas";
    // The calls looked at: those that start from `desde` (included) to `hasta` (excluded).
    // Every call of the file is costed all the same, so that bonos run from its start.
    std::optional<double> desde, hasta;
    // The channel-name prefixes of the lines to the operator: when given, only the calls
    // out through them are costed, a call once however many records it has.
    std::vector<std::string> troncales;
    // Only the records of these contexts (dcontext, context) are read, when given.
    std::vector<std::string> contextos;
    // The records' instants are UTC, costed in the local time of TZ.
    bool utc = false;
};

// How the records' input is named: in messages ("«fichero»", "la entrada estándar") and
// as the place of a record ("fichero", "(entrada estándar)").
struct Origen {
    std::string nombre, lugar;
};

// One run over a file of call records. Made, it has done everything that can make the
// run unusable, before any output: the catalogue loaded once and checked (its doubts told
// as warnings), the tariff of records that name none found (with the closest name as a
// hint), the holidays, the registry and the destination table read and every tariff of
// the table found. Error otherwise. Then Recorrer costs the records.
class Sesion {
  public:
    Sesion(const OpcionesSesion& o, Diagnosticos& d);
    ~Sesion();
    Sesion(const Sesion&) = delete;
    Sesion& operator=(const Sesion&) = delete;

    const cLlamada& Catalogo() const { return m_Catalogo; }
    // The catalogue's names in UTF-8, in its order.
    const std::vector<std::string>& Nombres() const { return m_Nombres; }
    const cBono& Inicial() const { return m_Inicial; }
    // A costing state as every run starts: the holidays and the registry.
    void Preparar(cCosteo& c) const;

    // Reads the records of `entrada` and costs each call under the tariff its record
    // names or its number picks, the registry carried from call to call; each call
    // costed goes to `destino`, each bad record and warning to the diagnostics. Error when
    // the input is no text or cannot be read. Once per session.
    Totales Recorrer(Entrada& entrada, const Origen& origen, DestinoLlamadas& destino);

    // The costing of the run: its day kinds, and its registry after the last call.
    const cCosteo& Motor() const { return m_Costeador.Motor(); }

  private:
    class Recorrido;

    cLlamada m_Catalogo;
    std::vector<std::string> m_Nombres;
    std::vector<Variant> m_Festivos;
    cBono m_Inicial;
    std::shared_ptr<const Destinos> m_Destinos;
    bool m_TarifaDada = false;
    std::string m_Formato;
    std::optional<double> m_Desde, m_Hasta;
    std::vector<std::string> m_Troncales, m_Contextos;
    bool m_Utc = false;
    Diagnosticos& m_Diagnosticos;
    Costeador m_Costeador{true};
};

// The name of the tariff at position i, its catalogue bytes without the trailing blanks.
std::string NombreDeTarifa(const cLlamada& m, std::int16_t i);

}  // namespace quelmar::llamadas
