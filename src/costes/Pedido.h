#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quelmar::costes {

// The costing options of `tarificador costear` as the window keeps them; an empty path or
// text is an option not given.
struct OpcionesCostes {
    std::filesystem::path catalogo;  // the folder of Tarifas.Dat; empty: the user's
    std::string tarifa;              // UTF-8; empty: the catalogue's first tariff
    std::filesystem::path festivos, bonos, destinos;
    std::vector<std::string> troncales, contextos;
    bool utc = false;
    std::string formato;  // a --formato name; empty: recognised from the file

    bool operator==(const OpcionesCostes&) const = default;
};

// A span of instants, OLE dates: from `desde` included to `hasta` excluded.
struct Intervalo {
    double desde, hasta;
    bool Contiene(double instante) const;
    bool operator==(const Intervalo&) const = default;
};

// The calls to look at. Every call of the file is costed, so that a billing period's bonos
// run from the start of the file; only those that start inside the period are shown.
struct Periodo {
    enum class Clase { UltimoMesEntero, Mes, Entre, Todo };
    Clase clase = Clase::UltimoMesEntero;
    int anio = 0;
    unsigned mes = 0;                    // Mes: 1-12
    std::optional<double> desde, hasta;  // Entre: days, both included
    bool operator==(const Periodo&) const = default;
};

// One month, from its first day at 00:00 to the next month's.
Intervalo IntervaloDeMes(int anio, unsigned mes);

// The last month that the file's calls cover whole: its first call starts on or before
// that month's first day and its last call starts on that month's last day or later. None
// when the file covers no month whole.
std::optional<Intervalo> UltimoMesEntero(double primera, double ultima);

// The span a period stands for, given the first and last call of the file (none: the
// whole file). A month the file does not cover whole falls back to the whole file.
std::optional<Intervalo> Resolver(const Periodo& p, double primera, double ultima);

// What one run is asked: the file, how it is costed, the calls looked at.
struct Pedido {
    std::filesystem::path fichero;
    OpcionesCostes opciones;
    Periodo periodo;
};

}  // namespace quelmar::costes
