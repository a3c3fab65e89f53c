#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelmar::llamadas {

// Where a layout of Asterisk's records puts the fields used, and how many it may have.
struct ColumnasAsterisk {
    std::size_t cuenta, origen, destino, contexto, canal, canalDestino, inicio, respuesta, fin,
        billsec, disposicion, minimos, maximos;
    // What the count's message says the fields are.
    const char* descripcion;
};

// cdr_csv's Master.csv, in its documented order: accountcode, src, dst, dcontext, clid,
// channel, dstchannel, lastapp, lastdata, start, answer, end, duration, billsec,
// disposition, amaflags[, uniqueid[, userfield[, peeraccount, linkedid, sequence]]]:
// 16 to 21 fields as cdr.conf's loguniqueid, loguserfield and newcdrcolumns make them.
inline constexpr ColumnasAsterisk kCdrCsv{
    0,
    1,
    2,
    3,
    5,
    6,
    9,
    10,
    11,
    13,
    14,
    16,
    21,
    "de 16 a 21 campos de Asterisk (accountcode,src,dst,...,disposition,amaflags[,uniqueid,"
    "userfield[,peeraccount,linkedid,sequence]])"};
// cdr_custom with the mapping of Asterisk's sample cdr_custom.conf: clid, src, dst,
// dcontext, channel, dstchannel, lastapp, lastdata, start, answer, end, duration, billsec,
// disposition, amaflags, accountcode, uniqueid, userfield, sequence.
inline constexpr ColumnasAsterisk kCdrCustom{
    15,
    1,
    2,
    3,
    4,
    5,
    8,
    9,
    10,
    12,
    13,
    16,
    19,
    "de 16 a 19 campos de Asterisk cdr_custom (clid,src,dst,dcontext,channel,...,"
    "disposition,amaflags,accountcode[,uniqueid,userfield,sequence])"};

enum class Disposicion { Contestada, SinRespuesta, Ocupado, Fallida, Congestion };

// "ANSWERED", "NO ANSWER", "BUSY", "FAILED", "CONGESTION" in any letter case, and "CANCEL"
// as NO ANSWER (a call hung up before it was answered); nothing for others.
std::optional<Disposicion> LeerDisposicion(std::string_view texto);
const char* NombreDisposicion(Disposicion d);

struct RegistroAsterisk {
    std::string_view cuenta, origen, destino;
    std::string_view contexto, canal, canalDestino, inicio;
    std::string_view respuesta, fin;  // the instants' texts, "AAAA-MM-DD HH:MM:SS"
    std::int64_t billsec = 0;
    Disposicion disposicion = Disposicion::Contestada;
};

// The record of the fields of one CSV line; the texts point into `campos`. What is wrong
// (Spanish) when the fields are not a record of that layout.
std::optional<std::string> LeerRegistroAsterisk(const std::vector<std::string>& campos,
                                                RegistroAsterisk& r,
                                                const ColumnasAsterisk& c = kCdrCsv);

// A whole number of seconds, as billsec and duration are written.
std::optional<std::int64_t> LeerSegundos(std::string_view texto);

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
