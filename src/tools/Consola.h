#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "llamadas/Diagnosticos.h"
#include "llamadas/Entrada.h"
#include "llamadas/Llamada.h"
#include "llamadas/Sesion.h"
#include "tools/Costear.h"

namespace quelmar::herramientas {

// Past this many bad lines (and disagreeing records) the rest are only counted.
inline constexpr std::size_t kMalasMostradas = 20;

// The command line's diagnostics: "fichero:línea: ..." on the error stream, the first
// kMalasMostradas bad lines only, and a progress line while a long run goes on (on a
// terminal, cleared before any other message).
class Consola : public Diagnosticos {
  public:
    // `filasEnTerminal`: the rows themselves go to a terminal, and show the progress; a
    // progress line there would end up glued to the start of a row.
    Consola(std::FILE* errores, bool filasEnTerminal);

    void Mala(const Lugar& lugar, const std::string& motivo) override;
    void Aviso(const Lugar& lugar, const std::string& texto, TipoAviso tipo) override;
    bool Progreso(std::size_t registros, std::uint64_t leidos, std::uint64_t total) override;
    // Clears the progress line before any other message.
    void Borrar();

  private:
    std::FILE* m_Errores;
    bool m_Activo = false, m_Mostrado = false;
    std::size_t m_Malas = 0, m_Desacuerdos = 0;
    std::chrono::steady_clock::time_point m_Inicio, m_Ultimo;
};

// The session of a costing order: its options as the library takes them (the bono
// registry read from its JSON).
OpcionesSesion OpcionesDeSesion(const OpcionesCosteo& o);

// The input of a costing order and how messages name it.
Origen OrigenDe(const OpcionesCosteo& o);

// The session's run over `entrada`, the progress line cleared after it.
Totales Recorrer(Sesion& s, const OpcionesCosteo& o, std::FILE* entrada, Consola& consola,
                 DestinoLlamadas& destino);

// What to set aside on the disk for --salida-bonos before the run: the registry written
// after the run has the bonos it starts with, and a little room for longer times.
std::size_t ReservaBonos(const cBono& inicial);

// Says when --por found no key in any call: the log has no column for it.
void AvisarSinClave(Agrupar por, const TotalesPorClave& t, std::FILE* errores);

// The totals on the error stream, as every run ends; the exit status.
int Resumir(const Totales& t, std::FILE* errores);
// What the summary says after its first line, a sentence each: records not costed and why,
// the layout recognised, the trunk's counts, the notes, the bill check (when `factura`).
std::vector<std::string> FrasesDelResumen(const Totales& t, bool factura = true);

}  // namespace quelmar::herramientas
