#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "costes/Pedido.h"
#include "costes/Resultado.h"

namespace quelmar::costes {

// A run that cannot be made, in the words a user reads (a missing catalogue, a file that
// is no text, a tariff not found).
class ErrorCostes : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The user stopped the run.
class Cancelado : public std::exception {
  public:
    const char* what() const noexcept override { return "cancelado"; }
};

// Told by the run as it reads, on the thread that runs it; asked whether to stop.
class Progreso {
  public:
    virtual void Avance(std::uint64_t leidos, std::uint64_t total) = 0;
    virtual bool Cancelar() const = 0;

  protected:
    ~Progreso() = default;
};

// What costs a file: the window knows it only through this, so that a test gives its own
// and the run itself stays the library's.
class MotorCostes {
  public:
    virtual ~MotorCostes() = default;
    // Every call of the file costed; the period picked. ErrorCostes, or Cancelado.
    virtual Resultado Costear(const Pedido& p, Progreso& progreso) = 0;
    // What `tarificador costear` writes on standard output for the same file and
    // options, its rows cut to the period.
    virtual std::string Csv(const Pedido& p) = 0;
    // The page `tarificador informe` writes, into `salida`: every call costed, those
    // starting in `periodo` shown (none: all), as --desde/--hasta show them.
    virtual void Informe(const Pedido& p, const std::optional<Intervalo>& periodo,
                         const std::filesystem::path& salida) = 0;
};

// The command line's run (tarificador's code).
std::unique_ptr<MotorCostes> MotorDeLlamadas();

// The layouts of call records the run reads: name (as --formato takes it) and a
// one-line description, from the library's table of formats.
std::vector<std::pair<std::string, std::string>> Formatos();

// Texts as costear's summary writes them: the amount in the locale's form with two
// decimals, a duration H:MM:SS.
std::string ImporteLegible(double importe);
std::string DuracionLegible(std::int64_t segundos);

// A whole output written as every output of the suite is (a file replaced atomically, a
// link's target, "-" standard output); ErrorCostes with the cause.
void EscribirFichero(const std::filesystem::path& ruta, const std::string& contenido);

}  // namespace quelmar::costes
