#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <utility>

namespace quelmar::llamadas {

// Where something of a run is: a file and, for a record, the line it starts on (0: the
// file as a whole). The file as messages name it, "fichero" or "(entrada estándar)".
struct Lugar {
    std::string fichero;
    std::size_t linea = 0;
};

// What makes a run or one of its files unusable; the message is whole, in Spanish, and
// names the file. A front end decides what becomes of it (the command line: exit status 2).
// No error about one record is raised: a bad record is a diagnostic, and the run goes on.
class Error : public std::runtime_error {
  public:
    enum class Clase {
        Opcion,    // a value given to the run that it cannot use (a tariff, a format)
        Fichero,   // a file that cannot be opened or read, or is no text
        Catalogo,  // the catalogue, or a table's tariffs against it
        Datos,     // a file read whole (holidays, destinations, bonos) that is wrongly written
    };

    Error(Clase clase, const std::string& mensaje, Lugar lugar = {})
        : std::runtime_error(mensaje), m_Clase(clase), m_Lugar(std::move(lugar)) {}

    Clase clase() const noexcept { return m_Clase; }
    const Lugar& lugar() const noexcept { return m_Lugar; }

  private:
    Clase m_Clase;
    Lugar m_Lugar;
};

}  // namespace quelmar::llamadas
