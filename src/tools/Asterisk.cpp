#include "tools/Asterisk.h"

#include <charconv>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/OleDate.h"
#include "tools/Comun.h"

namespace quelmar::herramientas {

namespace {

// Where each field used lies in a record.
enum Campo : std::size_t {
    kCuenta = 0,
    kOrigen = 1,
    kDestino = 2,
    kRespuesta = 10,
    kFin = 11,
    kBillsec = 13,
    kDisposicion = 14,
    kCamposMinimos = 16,
    kCamposMaximos = 18,
};

}  // namespace

std::optional<Disposicion> LeerDisposicion(std::string_view texto) {
    for (const auto d : {Disposicion::Contestada, Disposicion::SinRespuesta, Disposicion::Ocupado,
                         Disposicion::Fallida, Disposicion::Congestion})
        if (texto == NombreDisposicion(d)) return d;
    return std::nullopt;
}

const char* NombreDisposicion(Disposicion d) {
    switch (d) {
        case Disposicion::Contestada:
            return "ANSWERED";
        case Disposicion::SinRespuesta:
            return "NO ANSWER";
        case Disposicion::Ocupado:
            return "BUSY";
        case Disposicion::Fallida:
            return "FAILED";
        case Disposicion::Congestion:
            return "CONGESTION";
    }
    return "?";
}

std::optional<std::string> LeerRegistroAsterisk(const std::vector<std::string>& campos,
                                                RegistroAsterisk& r) {
    if (campos.size() < kCamposMinimos || campos.size() > kCamposMaximos)
        return "se esperaban de 16 a 18 campos de Asterisk (accountcode,src,dst,...,"
               "disposition,amaflags[,uniqueid,userfield]) y hay " +
               std::to_string(campos.size());
    const std::string_view disposicion = RecortarBlancos(campos[kDisposicion]);
    const auto d = LeerDisposicion(disposicion);
    if (!d)
        return "disposición " + CitarCorto(disposicion) +
               " desconocida (se espera ANSWERED, NO ANSWER, BUSY, FAILED o CONGESTION)";
    const std::string_view billsec = RecortarBlancos(campos[kBillsec]);
    std::int64_t s = -1;
    const auto [p, ec] = std::from_chars(billsec.data(), billsec.data() + billsec.size(), s);
    if (ec != std::errc{} || p != billsec.data() + billsec.size() || s < 0)
        return "billsec " + CitarCorto(billsec) + " no es un número de segundos";
    r.cuenta = RecortarBlancos(campos[kCuenta]);
    r.origen = RecortarBlancos(campos[kOrigen]);
    r.destino = RecortarBlancos(campos[kDestino]);
    r.respuesta = RecortarBlancos(campos[kRespuesta]);
    r.fin = RecortarBlancos(campos[kFin]);
    r.billsec = s;
    r.disposicion = *d;
    return std::nullopt;
}

TramoCosteado TramoDeRegistro(double respuesta, double fin, std::int64_t billsec) {
    const std::int64_t medidos = fecha::SegundosEntre(respuesta, fin);
    if (medidos - billsec <= 1 && billsec - medidos <= 1) return {respuesta, fin, false};
    return {respuesta, fecha::DesdeSegundos(fecha::ASegundos(respuesta) + billsec), true};
}

}  // namespace quelmar::herramientas
