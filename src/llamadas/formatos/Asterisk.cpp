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

bool MismoTextoSinCaso(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

std::optional<Disposicion> LeerDisposicion(std::string_view texto) {
    for (const auto d : {Disposicion::Contestada, Disposicion::SinRespuesta, Disposicion::Ocupado,
                         Disposicion::Fallida, Disposicion::Congestion})
        if (MismoTextoSinCaso(texto, NombreDisposicion(d))) return d;
    if (MismoTextoSinCaso(texto, "CANCEL")) return Disposicion::SinRespuesta;
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

std::optional<std::int64_t> LeerSegundos(std::string_view texto) {
    std::int64_t s = -1;
    const auto [p, ec] = std::from_chars(texto.data(), texto.data() + texto.size(), s);
    if (ec != std::errc{} || p != texto.data() + texto.size() || s < 0) return std::nullopt;
    return s;
}

std::optional<std::string> LeerRegistroAsterisk(const std::vector<std::string>& campos,
                                                RegistroAsterisk& r, const ColumnasAsterisk& c) {
    if (campos.size() < c.minimos || campos.size() > c.maximos)
        return "se esperaban " + std::string(c.descripcion) + " y hay " +
               std::to_string(campos.size());
    const std::string_view disposicion = RecortarBlancos(campos[c.disposicion]);
    const auto d = LeerDisposicion(disposicion);
    if (!d)
        return "disposición " + CitarCorto(disposicion) +
               " desconocida (se espera ANSWERED, NO ANSWER, BUSY, FAILED, CONGESTION o CANCEL)";
    const std::string_view billsec = RecortarBlancos(campos[c.billsec]);
    const auto s = LeerSegundos(billsec);
    if (!s) return "billsec " + CitarCorto(billsec) + " no es un número de segundos";
    r.cuenta = RecortarBlancos(campos[c.cuenta]);
    r.origen = RecortarBlancos(campos[c.origen]);
    r.destino = RecortarBlancos(campos[c.destino]);
    r.contexto = RecortarBlancos(campos[c.contexto]);
    r.canal = RecortarBlancos(campos[c.canal]);
    r.canalDestino = RecortarBlancos(campos[c.canalDestino]);
    r.inicio = RecortarBlancos(campos[c.inicio]);
    r.respuesta = RecortarBlancos(campos[c.respuesta]);
    r.fin = RecortarBlancos(campos[c.fin]);
    r.billsec = *s;
    r.disposicion = *d;
    return std::nullopt;
}

TramoCosteado TramoDeRegistro(double respuesta, double fin, std::int64_t billsec) {
    const std::int64_t medidos = fecha::SegundosEntre(respuesta, fin);
    if (medidos - billsec <= 1 && billsec - medidos <= 1) return {respuesta, fin, false};
    return {respuesta, fecha::DesdeSegundos(fecha::ASegundos(respuesta) + billsec), true};
}

Lectura LeerContestada(const RegistroContestado& c, Registro& reg, Avisos& a,
                       std::string& textoFin) {
    const auto respuesta = LeerInstante(c.respuesta);
    if (!respuesta)
        return Lectura::DeMala("answer " + InstanteIlegible(c.respuesta, kFormaCentralita));
    TramoCosteado t{*respuesta, 0.0, true};
    std::string_view texto = c.fin;
    if (!c.fin.empty() || !c.sinFin) {
        const auto fin = LeerInstante(c.fin);
        if (!fin) return Lectura::DeMala("end " + InstanteIlegible(c.fin, kFormaCentralita));
        t = TramoDeRegistro(*respuesta, *fin, c.billsec);
        if (t.desacuerdo) {
            a.Aviso("de answer a end van " +
                        std::to_string(fecha::SegundosEntre(*respuesta, *fin)) +
                        " s y billsec dice " + std::to_string(c.billsec) +
                        "; se cuesta billsec desde answer",
                    TipoAviso::Desacuerdo);
        }
    } else {
        t.fin = fecha::DesdeSegundos(fecha::ASegundos(*respuesta) + c.billsec);
    }
    if (t.desacuerdo) {
        textoFin = TextoInstante(t.fin);
        texto = textoFin;
    }
    const std::int64_t segundos = fecha::SegundosEntre(t.ini, t.fin);
    if (segundos > cTiempo::kSegundosMaximos) return Lectura::DeMala(LlamadaDemasiadoLarga());
    Llamada& l = reg.llamada;
    l = Llamada{};
    l.ini = t.ini, l.fin = t.fin, l.segundos = segundos;
    l.textoIni = c.respuesta, l.textoFin = texto;
    l.numero = c.numero;
    l.origen = c.origen;
    l.cuenta = c.cuenta;
    l.segunBillsec = t.desacuerdo;
    reg.tarifa = {};
    reg.numeroElige = true;
    return Lectura::DeLlamada();
}

namespace {

// Asterisk's records, one layout of columns: the answered call from answer to end (or
// billsec); other records are only counted by disposition. Its tariff is the number
// dialled's.
class LectorAsterisk : public Lector {
  public:
    explicit LectorAsterisk(const ColumnasAsterisk& c) : m_C(c) {}
    Lectura Leer(std::string_view linea, bool primera, Registro& r, Avisos& a) override;
    std::vector<std::string> Apartados() const override {
        return {Motivo(Disposicion::Contestada), Motivo(Disposicion::SinRespuesta),
                Motivo(Disposicion::Ocupado), Motivo(Disposicion::Fallida),
                Motivo(Disposicion::Congestion)};
    }
    bool Centralita() const override { return true; }

  private:
    static std::string Motivo(Disposicion d) {
        return std::string(NombreDisposicion(d)) +
               (d == Disposicion::Contestada ? " con billsec 0" : "");
    }

    const ColumnasAsterisk& m_C;
    std::vector<std::string> m_Campos;
    std::string m_TextoFin;  // an end worked out from billsec
};

Lectura LectorAsterisk::Leer(std::string_view linea, bool primera, Registro& reg, Avisos& a) {
    if (auto fallo = PartirCsv(linea, ',', m_Campos)) return Lectura::DeMala(*fallo);
    // Asterisk writes no header, but a file put together by hand may have the field names.
    if (primera && m_Campos.size() > m_C.disposicion &&
        MismoTextoSinCaso(RecortarBlancos(m_Campos[m_C.disposicion]), "disposition"))
        return Lectura::DeNada();
    RegistroAsterisk r;
    if (auto fallo = LeerRegistroAsterisk(m_Campos, r, m_C)) return Lectura::DeMala(*fallo);
    reg.canal = r.canal, reg.canalDestino = r.canalDestino, reg.contexto = r.contexto;
    reg.inicio = r.inicio;
    if (!SeCostea(r)) return Lectura::DeAparte(Motivo(r.disposicion));
    // The call began at `start`: a record whose start is no instant, or comes after its
    // answer, is not what Asterisk writes.
    const auto inicio = LeerInstante(r.inicio);
    if (!inicio) return Lectura::DeMala("start " + InstanteIlegible(r.inicio, kFormaCentralita));
    if (const auto respuesta = LeerInstante(r.respuesta); respuesta && Antes(*respuesta, *inicio))
        return Lectura::DeMala("answer " + CitarCorto(r.respuesta) + " es anterior a start " +
                               CitarCorto(r.inicio));
    return LeerContestada({r.respuesta, r.fin, r.billsec, r.destino, r.origen, r.cuenta, false},
                          reg, a, m_TextoFin);
}

bool PareceDe(std::string_view principio, const ColumnasAsterisk& c) {
    std::vector<std::string> campos;
    if (PartirCsv(PrimeraLinea(principio), ',', campos)) return false;
    RegistroAsterisk r;
    return !LeerRegistroAsterisk(campos, r, c);
}

}  // namespace

std::unique_ptr<Lector> CrearLectorAsterisk() {
    return std::make_unique<LectorAsterisk>(kCdrCsv);
}

std::unique_ptr<Lector> CrearLectorAsteriskCustom() {
    return std::make_unique<LectorAsterisk>(kCdrCustom);
}

// A first record of 16 to 21 fields whose 15th is a disposition Asterisk writes.
bool PareceAsterisk(std::string_view principio) {
    return PareceDe(principio, kCdrCsv);
}

// A first record of 16 to 19 fields whose 14th is a disposition.
bool PareceAsteriskCustom(std::string_view principio) {
    return PareceDe(principio, kCdrCustom);
}

}  // namespace quelmar::llamadas
