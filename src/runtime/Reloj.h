#pragma once

#include <functional>

namespace quelmar {

// The current local date and time as an OLE date. Classes that need "now" take a Reloj
// (defaulting to AhoraLocal) so tests can pin the moment.
using Reloj = std::function<double()>;
double AhoraLocal();

}  // namespace quelmar
