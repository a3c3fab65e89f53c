#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelmar::llamadas {

// One record of Asterisk's Master.csv (cdr-csv), fields in its documented order:
// accountcode, src, dst, dcontext, clid, channel, dstchannel, lastapp, lastdata, start,
// answer, end, duration, billsec, disposition, amaflags[, uniqueid[, userfield]].
enum class Disposicion { Contestada, SinRespuesta, Ocupado, Fallida, Congestion };

// "ANSWERED", "NO ANSWER", "BUSY", "FAILED", "CONGESTION" as written; nothing for others.
std::optional<Disposicion> LeerDisposicion(std::string_view texto);
const char* NombreDisposicion(Disposicion d);

struct RegistroAsterisk {
    std::string_view cuenta, origen, destino;
    // The instants' texts, "AAAA-MM-DD HH:MM:SS".
    std::string_view inicio, respuesta, fin;
    std::int64_t billsec = 0;
    Disposicion disposicion = Disposicion::Contestada;
};

// The record of the fields of one CSV line; the texts point into `campos`. What is wrong
// (Spanish) when the fields are not a cdr-csv record.
std::optional<std::string> LeerRegistroAsterisk(const std::vector<std::string>& campos,
                                                RegistroAsterisk& r);

// Whether a record is a call to cost: answered and billed for some time.
inline bool SeCostea(const RegistroAsterisk& r) {
    return r.disposicion == Disposicion::Contestada && r.billsec > 0;
}

// The stretch costed of an answered call: from `answer` to `end`, unless the two and
// billsec disagree by more than a second; then billsec from `answer`, and `desacuerdo` set.
struct TramoCosteado {
    double ini, fin;
    bool desacuerdo;
};
TramoCosteado TramoDeRegistro(double respuesta, double fin, std::int64_t billsec);

}  // namespace quelmar::llamadas
