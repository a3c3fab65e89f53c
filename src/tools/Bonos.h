#pragma once

#include <string>
#include <string_view>

#include "bono/cBono.h"

namespace quelmar::herramientas {

// A bono registry as JSON:
//   {"dia_factura": 15, "per_factura": 2,
//    "bonos": [{"tipo": "50DIA", "alta": "1999-12-01T00:00:00", "baja": "2000-02-10",
//               "tiempo": "49:30:00"}]}
// dia_factura 1-31 (default 1); per_factura 1 (even billing months, default) or 2 (odd);
// tipo a kind name or code 0-3; alta a day or an instant; baja (optional, or null) the
// same; tiempo (optional: full capacity) H:MM:SS. Unknown keys are refused, so that a
// misspelt one is not silently ignored. Faults raise ErrorUso naming `origen`.
cBono LeerBonos(std::string_view json, std::string_view origen);

// The registry in the same form, one bono a line.
std::string EscribirBonos(const cBono& r);

}  // namespace quelmar::herramientas
