#include "llamadas/Horario.h"

#include <cstdint>
#include <ctime>
#include <initializer_list>

#include "runtime/OleDate.h"

namespace quelmar::llamadas {

namespace {

// Seconds of the OLE scale at 1970-01-01 00:00:00.
constexpr std::int64_t kEpocaUnix = 25569LL * 86400;

std::int64_t Floor(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// The local wall-clock second (as if it were UTC) of a UTC second.
std::int64_t ALocalUnix(std::int64_t utc) {
    const std::time_t t = static_cast<std::time_t>(utc);
    std::tm tm{};
    ::localtime_r(&t, &tm);
    return static_cast<std::int64_t>(::timegm(&tm));
}

}  // namespace

double Horario::ALocal(double utc) {
    const std::int64_t s = fecha::ASegundos(utc) - kEpocaUnix;
    // Zones change their offset on a quarter of an hour.
    const std::int64_t cuarto = Floor(s, 900);
    if (cuarto != m_Cuarto) {
        m_Cuarto = cuarto;
        m_Desfase = ALocalUnix(s) - s;
    }
    return fecha::DesdeSegundos(s + m_Desfase + kEpocaUnix);
}

// Only localtime_r: mktime looks at the zone file on the disk at every call.
bool Horario::EnHueco(double local) {
    const std::int64_t pared = fecha::ASegundos(local) - kEpocaUnix;
    const std::int64_t dia = Floor(pared, 86400);
    if (dia != m_Dia) {
        m_Dia = dia;
        // The offsets a day before and two days after: the same unless the clock changes.
        m_Antes = ALocalUnix((dia - 1) * 86400) - (dia - 1) * 86400;
        m_Despues = ALocalUnix((dia + 2) * 86400) - (dia + 2) * 86400;
        m_DiaConCambio = m_Antes != m_Despues;
    }
    if (!m_DiaConCambio) return false;
    // A wall-clock time is shown when some UTC second under either offset reads as it.
    for (const std::int64_t desfase : {m_Antes, m_Despues})
        if (ALocalUnix(pared - desfase) == pared) return false;
    return true;
}

}  // namespace quelmar::llamadas
