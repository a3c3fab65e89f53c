#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "llamadas/Diagnosticos.h"
#include "llamadas/Llamada.h"

namespace quelmar::llamadas {

// A record read as a call, before its tariff is known: the tariff its record names (empty:
// none), or the number dialled that must pick one.
struct Registro {
    Llamada llamada{};
    std::string_view tarifa;
    // The number dialled is what picks the tariff (a PBX's record names none).
    bool numeroElige = false;
    // What a PBX's record says of the line it went over, also for a record set apart
    // (empty when it says nothing; the session clears them before each record): the
    // channel it came from, the one it reached, its context, and its start as written.
    std::string_view canal, canalDestino, contexto, inicio;
};

// What a reader makes of one record.
struct Lectura {
    enum class Clase {
        Llamada,  // a call to cost
        Nada,     // a record that holds no call (a header)
        Mala,     // a record that cannot be read: `motivo` says why
        Aparte,   // a record set apart and counted under `motivo` (an unanswered call)
    };
    Clase clase = Clase::Nada;
    std::string motivo;

    static Lectura DeLlamada() { return {Clase::Llamada, {}}; }
    static Lectura DeNada() { return {Clase::Nada, {}}; }
    static Lectura DeMala(std::string motivo) { return {Clase::Mala, std::move(motivo)}; }
    static Lectura DeAparte(std::string motivo) { return {Clase::Aparte, std::move(motivo)}; }
};

// Where a reader says what it warns of, on the record being read.
class Avisos {
  public:
    virtual void Aviso(const std::string& texto, TipoAviso tipo) = 0;

  protected:
    ~Avisos() = default;
};

// The reader of one layout of call records: each record (a line without its end, as
// text in UTF-8) becomes a call, nothing, a bad record or one set apart. The texts of
// the call point into the record or into the reader, valid until the next record.
class Lector {
  public:
    virtual ~Lector() = default;
    // `primera`: whether no record came before it (a header is looked for there).
    virtual Lectura Leer(std::string_view registro, bool primera, Registro& r, Avisos& a) = 0;
    // The reasons records are set apart for, in the order a summary counts them.
    virtual std::vector<std::string> Apartados() const { return {}; }
    // Whether the file has an amount charged (a column the header named).
    virtual bool ColumnaCobrado() const { return false; }
    // What the summary says of how the file was read, a sentence each.
    virtual std::vector<std::string> Notas() const { return {}; }
    // The longest record read, in bytes, and what one that long holds at most (for the
    // message about a longer one).
    // A PBX's record may take kilobytes (a ring group's Dial string).
    virtual std::size_t Maximo() const { return Centralita() ? 64 * 1024 : 1024; }
    virtual std::string Cabe() const {
        return Centralita() ? "es lo más que ocupa un registro de una centralita"
                            : "una llamada ocupa menos de 100";
    }
    // Whether the records are a PBX's: each written once, so one read twice is the same
    // record repeated (two files read together), not a second call.
    virtual bool Centralita() const { return false; }
};

// One layout of call records, as a front end offers it.
struct FormatoRegistro {
    std::string_view nombre;       // as --formato takes it
    std::string_view descripcion;  // one line, Spanish
    // What of it is costed and what is only counted, for the help (Spanish, may be empty).
    std::string_view detalle;
    // Whether the first bytes of a file are records of this layout.
    bool (*reconoce)(std::string_view principio);
    std::unique_ptr<Lector> (*crear)();
    // A layout without a header is also recognised by a later one of the first records: a
    // PBX's file may open with a record cut short or broken by hand.
    bool sinCabecera = false;
};

// Every layout, the plain log first (what a file is read as when none is named).
std::span<const FormatoRegistro> Formatos();
// The layout of that name; null when none.
const FormatoRegistro* BuscarFormato(std::string_view nombre);
// The layout a file's first bytes are records of: the first row of the table after the
// plain log whose `reconoce` takes them; failing that, the first layout without a header
// that takes them from one of the next few records; else the plain log.
const FormatoRegistro& ReconocerFormato(std::string_view principio);
// Whether a --formato value asks for the layout to be recognised ("" or "auto").
inline bool FormatoAutomatico(std::string_view nombre) {
    return nombre.empty() || nombre == "auto";
}
// The help lines of the options that only a PBX's records take (--troncal, --contexto,
// --utc): they name the layouts' own fields.
std::string_view AyudaCentralita();
// "«llamadas», «asterisk»": the names, as a message lists them.
std::string NombresDeFormatos(std::string_view separador = ", ", bool citados = true);

}  // namespace quelmar::llamadas
