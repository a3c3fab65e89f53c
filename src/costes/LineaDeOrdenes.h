#pragma once

#include <optional>
#include <string>
#include <vector>

#include "costes/Pedido.h"

namespace quelmar::costes {

// What quelmar-costes is started with: the costing options of `tarificador costear`, the
// period and the file, and what is left for Qt (its own options, argv[0] first).
struct Arranque {
    // Set when the program ends at once: --help or --version answered (0), a bad option (2).
    std::optional<int> salida;
    std::string texto;  // what to write then: standard output for 0, standard error for 2
    OpcionesCostes opciones;
    std::vector<std::string> dadas;  // the option names given, in order
    std::optional<Periodo> periodo;
    std::string fichero;
    std::vector<std::string> paraQt;
};

Arranque LeerLineaDeOrdenes(const std::vector<std::string>& args, const char* version);

}  // namespace quelmar::costes
