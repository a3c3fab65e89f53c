// FreeSWITCH's mod_cdr_csv with its shipped template "example": caller_id_name,
// caller_id_number, destination_number, context, start_stamp, answer_stamp, end_stamp,
// duration, billsec, hangup_cause, uuid, bleg_uuid, accountcode, read_codec, write_codec.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "llamadas/Csv.h"
#include "llamadas/Instantes.h"
#include "llamadas/Textos.h"
#include "llamadas/formatos/Asterisk.h"
#include "llamadas/formatos/Lector.h"
#include "llamadas/formatos/Lectores.h"

namespace quelmar::llamadas {

namespace {

enum Campo : std::size_t {
    kOrigen = 1,
    kDestino = 2,
    kContexto = 3,
    kInicio = 4,
    kRespuesta = 5,
    kFin = 6,
    kBillsec = 8,
    kCausa = 9,
    kCuenta = 12,
    kCampos = 15,
};

// A hangup cause as FreeSWITCH names them: capitals, digits and "_".
bool EsCausa(std::string_view t) {
    if (t.empty()) return false;
    for (const char c : t)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) return false;
    return true;
}

// Answered when answer_stamp is set and billsec > 0: costed from answer_stamp to
// end_stamp by the billsec rule; the rest are counted by hangup cause.
class LectorFreeswitch : public Lector {
  public:
    Lectura Leer(std::string_view linea, bool primera, Registro& reg, Avisos& a) override {
        if (auto fallo = PartirCsv(linea, ',', m_Campos)) return Lectura::DeMala(*fallo);
        auto campo = [this](std::size_t i) { return RecortarBlancos(m_Campos[i]); };
        if (primera && m_Campos.size() > kCausa && campo(kCausa) == "hangup_cause")
            return Lectura::DeNada();
        if (m_Campos.size() < kCampos)
            return Lectura::DeMala(
                "se esperaban 15 campos de FreeSWITCH (caller_id_name,caller_id_number,"
                "destination_number,context,start_stamp,...,write_codec) y hay " +
                std::to_string(m_Campos.size()));
        reg.contexto = campo(kContexto);
        reg.inicio = campo(kInicio);
        const auto billsec = LeerSegundos(campo(kBillsec));
        if (!billsec)
            return Lectura::DeMala("billsec " + CitarCorto(campo(kBillsec)) +
                                   " no es un número de segundos");
        std::string causa(campo(kCausa));
        for (char& c : causa)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (campo(kRespuesta).empty() || *billsec == 0)
            return Lectura::DeAparte(causa.empty() ? std::string("sin hangup_cause") : causa);
        return LeerContestada({campo(kRespuesta), campo(kFin), *billsec, campo(kDestino),
                               campo(kOrigen), campo(kCuenta), false},
                              reg, a, m_TextoFin);
    }
    bool Centralita() const override { return true; }

  private:
    std::vector<std::string> m_Campos;
    std::string m_TextoFin;
};

}  // namespace

std::unique_ptr<Lector> CrearLectorFreeswitch() {
    return std::make_unique<LectorFreeswitch>();
}

// A first record of 15 fields or more: a start_stamp, a billsec and a hangup cause where
// the template puts them.
bool PareceFreeswitch(std::string_view principio) {
    std::vector<std::string> c;
    if (PartirCsv(PrimeraLinea(principio), ',', c) || c.size() < kCampos) return false;
    return FormaDeInstante(RecortarBlancos(c[kInicio])) &&
           LeerSegundos(RecortarBlancos(c[kBillsec])) && EsCausa(RecortarBlancos(c[kCausa]));
}

}  // namespace quelmar::llamadas
