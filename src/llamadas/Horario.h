#pragma once

#include <cstdint>

namespace quelmar::llamadas {

// The local clock of the zone of TZ, through the C library's time-zone database (the
// standard library here has no chrono zones). Instants are OLE dates to the second; each
// answer is kept for the quarter of an hour or the day it was worked out for, so a run
// asks the database about once per call at most.
class Horario {
  public:
    // The instant of UTC `utc` as the local clock reads it, across both clock changes.
    double ALocal(double utc);
    // Whether the local instant is one the clock skips (inside the spring gap).
    bool EnHueco(double local);

  private:
    std::int64_t m_Cuarto = INT64_MIN, m_Desfase = 0;
    std::int64_t m_Dia = INT64_MIN;
    bool m_DiaConCambio = false;
    std::int64_t m_Antes = 0, m_Despues = 0;
};

}  // namespace quelmar::llamadas
