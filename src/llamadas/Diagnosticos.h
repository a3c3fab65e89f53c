#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "llamadas/Error.h"

namespace quelmar::llamadas {

// What a warning is about; a front end may show some kinds only so many times.
enum class TipoAviso {
    Unico,         // said once per run, on the first record that calls for it
    BonoCaducado,  // a bono dropped at a call's start
    Desacuerdo,    // a record whose instants and billed time disagree
    Catalogo,      // a doubt about the catalogue (no line)
};

// Where a run tells what it finds as it reads: the command line writes it as
// "fichero:línea: ..." on the error stream, a window lists it.
class Diagnosticos {
  public:
    // A record that is not costed, and why. The run goes on.
    virtual void Mala(const Lugar& lugar, const std::string& motivo) = 0;
    virtual void Aviso(const Lugar& lugar, const std::string& texto, TipoAviso tipo) = 0;
    // Every thousand records: how many were read, and the bytes read of the input's
    // total (0: not known). False stops the run there.
    virtual bool Progreso(std::size_t /*registros*/, std::uint64_t /*leidos*/,
                          std::uint64_t /*total*/) {
        return true;
    }

  protected:
    ~Diagnosticos() = default;
};

}  // namespace quelmar::llamadas
