#pragma once

#include <string>

#include "runtime/Locale.h"

namespace quelmar::herramientas {

// How a person is shown numbers and dates (the report, the summary on the error stream):
// from the environment's locale, as Spain writes them without one (LANG unset, C or POSIX)
// or when it is not installed. Files meant for programs keep the machine form.
struct Formato {
    char decimal = ',';
    std::string miles = ".";
    Locale fechas = Locale::PorDefecto();
};

Formato FormatoDelEntorno();

// `x` with `decimales` decimals, grouped in thousands, as `f` writes it.
std::string NumeroLocal(double x, int decimales, const Formato& f);

}  // namespace quelmar::herramientas
