#include "llamadas/formatos/Asterisk.h"

#include <charconv>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "llamadas/Csv.h"
#include "llamadas/Instantes.h"
#include "llamadas/Textos.h"
#include "llamadas/formatos/Lector.h"
#include "llamadas/formatos/Lectores.h"
#include "runtime/OleDate.h"
#include "time/cTiempo.h"

namespace quelmar::llamadas {

namespace {

// Where each field used lies in a record.
enum Campo : std::size_t {
    kCuenta = 0,
    kOrigen = 1,
    kDestino = 2,
    kInicio = 9,
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
    r.inicio = RecortarBlancos(campos[kInicio]);
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

namespace {

// Master.csv: the answered call from answer to end (or billsec); other records are only
// counted by disposition. Its tariff is the number dialled's.
class LectorAsterisk : public Lector {
  public:
    Lectura Leer(std::string_view linea, bool primera, Registro& r, Avisos& a) override;
    std::vector<std::string> Apartados() const override {
        return {Motivo(Disposicion::Contestada), Motivo(Disposicion::SinRespuesta),
                Motivo(Disposicion::Ocupado), Motivo(Disposicion::Fallida),
                Motivo(Disposicion::Congestion)};
    }
    std::vector<std::string> Notas() const override {
        if (!m_Desacuerdos) return {};
        return {std::to_string(m_Desacuerdos) +
                (m_Desacuerdos == 1 ? " llamada costeada" : " llamadas costeadas") +
                " según billsec: de answer a end no cuadra con él"};
    }

    // A ring group's Dial string alone may take kilobytes.
    std::size_t Maximo() const override { return 64 * 1024; }
    std::string Cabe() const override { return "es lo más que ocupa un registro de una centralita"; }

  private:
    static std::string Motivo(Disposicion d) {
        return std::string(NombreDisposicion(d)) +
               (d == Disposicion::Contestada ? " con billsec 0" : "");
    }

    std::vector<std::string> m_Campos;
    std::string m_TextoFin;  // an end worked out from billsec
    std::size_t m_Desacuerdos = 0;
};

Lectura LectorAsterisk::Leer(std::string_view linea, bool primera, Registro& reg, Avisos& a) {
    if (auto fallo = PartirCsv(linea, ',', m_Campos)) return Lectura::DeMala(*fallo);
    // Asterisk writes no header, but a file put together by hand may have the field names.
    if (primera && m_Campos.size() > 14 && RecortarBlancos(m_Campos[14]) == "disposition")
        return Lectura::DeNada();
    RegistroAsterisk r;
    if (auto fallo = LeerRegistroAsterisk(m_Campos, r)) return Lectura::DeMala(*fallo);
    if (!SeCostea(r)) return Lectura::DeAparte(Motivo(r.disposicion));
    // The call began at `start`: a record whose start is no instant, or comes after its
    // answer, is not what Asterisk writes.
    const auto inicio = LeerInstante(r.inicio);
    if (!inicio) return Lectura::DeMala("start " + InstanteIlegible(r.inicio));
    const auto respuesta = LeerInstante(r.respuesta);
    if (!respuesta) return Lectura::DeMala("answer " + InstanteIlegible(r.respuesta));
    if (Antes(*respuesta, *inicio))
        return Lectura::DeMala("answer " + CitarCorto(r.respuesta) + " es anterior a start " +
                               CitarCorto(r.inicio));
    const auto fin = LeerInstante(r.fin);
    if (!fin) return Lectura::DeMala("end " + InstanteIlegible(r.fin));
    const TramoCosteado t = TramoDeRegistro(*respuesta, *fin, r.billsec);
    std::string_view textoFin = r.fin;
    if (t.desacuerdo) {
        m_TextoFin = TextoInstante(t.fin);
        textoFin = m_TextoFin;
        ++m_Desacuerdos;
        a.Aviso("de answer a end van " + std::to_string(fecha::SegundosEntre(*respuesta, *fin)) +
                    " s y billsec dice " + std::to_string(r.billsec) +
                    "; se cuesta billsec desde answer",
                TipoAviso::Desacuerdo);
    }
    const std::int64_t segundos = fecha::SegundosEntre(t.ini, t.fin);
    if (segundos > cTiempo::kSegundosMaximos) return Lectura::DeMala(LlamadaDemasiadoLarga());
    Llamada& l = reg.llamada;
    l = Llamada{};
    l.ini = t.ini, l.fin = t.fin, l.segundos = segundos;
    l.textoIni = r.respuesta, l.textoFin = textoFin;
    l.numero = r.destino;
    l.origen = r.origen;
    l.cuenta = r.cuenta;
    reg.tarifa = {};
    reg.numeroElige = true;
    return Lectura::DeLlamada();
}

}  // namespace

std::unique_ptr<Lector> CrearLectorAsterisk() {
    return std::make_unique<LectorAsterisk>();
}

// A first record of 16 to 18 fields whose 15th is a disposition Asterisk writes.
bool PareceAsterisk(std::string_view principio) {
    const std::string_view linea = principio.substr(0, principio.find('\n'));
    std::vector<std::string> campos;
    if (PartirCsv(linea, ',', campos)) return false;
    RegistroAsterisk r;
    return !LeerRegistroAsterisk(campos, r);
}

}  // namespace quelmar::llamadas
