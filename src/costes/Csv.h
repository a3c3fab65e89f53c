#pragma once

#include <string>

#include "costes/Pedido.h"

namespace quelmar::costes {

// costear's CSV with only the rows of the calls that start inside the period (the header
// and the rows' order kept). The period is resolved on the rows' own first and last
// start, as the window resolves it on the calls.
std::string RecortarCsv(const std::string& csv, const Periodo& p);

}  // namespace quelmar::costes
