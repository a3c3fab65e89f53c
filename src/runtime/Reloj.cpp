#include "runtime/Reloj.h"

#include <chrono>
#include <ctime>

#include "runtime/OleDate.h"

namespace quelmar {

double AhoraLocal() {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return fecha::DesdeCalendario(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
           fecha::DesdeHora(local.tm_hour, local.tm_min, local.tm_sec);
}

}  // namespace quelmar
