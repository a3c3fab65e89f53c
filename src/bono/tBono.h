#pragma once

#include <cstdint>

#include "runtime/Texto.h"
#include "runtime/Variant.h"
#include "time/cTiempo.h"

namespace quelmar {

// One bono of a registry. A value: copying a record copies its remaining time, so no two
// bonos share one. Default-constructed it is the blank spare slot: NUL name, zero time,
// start date 1899-12-30 00:00, no end date.
struct tBono {
    // Kind name, left-aligned and space-padded ("10DIA   ").
    TextoFijo<8> sNombre;
    // Remaining time.
    cTiempo oTiempo;
    // Registration date/time (OLE date).
    double dAlta = 0.0;
    // End date as given (a date or a text that reads as one); -1 or empty when not set.
    Variant vBaja;
    // Expiry date derived from vBaja by the billing rule; -1 or empty when not set.
    Variant vBajaPer;
};

}  // namespace quelmar
