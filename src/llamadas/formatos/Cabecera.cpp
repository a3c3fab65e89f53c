// A CSV whose first line names its columns as Asterisk or FreeSWITCH do: a database export
// of a PBX's cdr table, a PBX's web report.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "llamadas/Csv.h"
#include "llamadas/Instantes.h"
#include "llamadas/Textos.h"
#include "llamadas/formatos/Asterisk.h"
#include "llamadas/formatos/Lector.h"
#include "llamadas/formatos/Lectores.h"
#include "runtime/OleDate.h"

namespace quelmar::llamadas {

namespace {

// What a column is to the run.
enum Papel : std::size_t {
    kNumero,
    kOrigen,
    kCuenta,
    kContexto,
    kCanal,
    kCanalDestino,
    kInicio,
    kRespuesta,
    kFin,
    kDuracion,
    kBillsec,
    kDisposicion,
    kCausa,
    kPapeles,
};

struct Nombre {
    std::string_view nombre;
    Papel papel;
};
constexpr std::array kNombres = {
    Nombre{"dst", kNumero},
    Nombre{"destination_number", kNumero},
    Nombre{"src", kOrigen},
    Nombre{"caller_id_number", kOrigen},
    Nombre{"accountcode", kCuenta},
    Nombre{"dcontext", kContexto},
    Nombre{"context", kContexto},
    Nombre{"channel", kCanal},
    Nombre{"dstchannel", kCanalDestino},
    Nombre{"calldate", kInicio},
    Nombre{"start", kInicio},
    Nombre{"start_stamp", kInicio},
    Nombre{"answer", kRespuesta},
    Nombre{"answer_stamp", kRespuesta},
    Nombre{"end", kFin},
    Nombre{"end_stamp", kFin},
    Nombre{"duration", kDuracion},
    Nombre{"billsec", kBillsec},
    Nombre{"disposition", kDisposicion},
    Nombre{"hangup_cause", kCausa},
};
constexpr std::size_t kSin = SIZE_MAX;

std::optional<Papel> PapelDe(std::string_view nombre) {
    for (const Nombre& n : kNombres)
        if (MismoTextoSinCaso(nombre, n.nombre)) return n.papel;
    return std::nullopt;
}

// The separator of a header: the one of ",", ";" and tab it has most of.
char Separador(std::string_view linea) {
    char mejor = ',';
    std::size_t n = 0;
    for (const char s : {',', ';', '\t'}) {
        const auto k = static_cast<std::size_t>(std::count(linea.begin(), linea.end(), s));
        if (k > n) mejor = s, n = k;
    }
    return mejor;
}

// Where the header puts each column; false when it names no destination or no time.
bool Columnas(std::string_view linea, char sep, std::array<std::size_t, kPapeles>& col) {
    std::vector<std::string> campos;
    if (PartirCsv(linea, sep, campos)) return false;
    col.fill(kSin);
    for (std::size_t i = 0; i < campos.size(); ++i)
        if (const auto p = PapelDe(RecortarBlancos(campos[i])); p && col[*p] == kSin) col[*p] = i;
    const bool tiempo = col[kBillsec] != kSin && (col[kRespuesta] != kSin ||
                                                  (col[kInicio] != kSin && col[kDuracion] != kSin));
    return col[kNumero] != kSin && tiempo;
}

class LectorCabecera : public Lector {
  public:
    Lectura Leer(std::string_view linea, bool primera, Registro& reg, Avisos& a) override {
        if (primera) {
            m_Sep = Separador(linea);
            m_Valida = Columnas(linea, m_Sep, m_Col);
            if (!m_Valida) return Lectura::DeMala(kSinCabecera);
            m_Minimo = 0;
            for (const std::size_t c : m_Col)
                if (c != kSin && c + 1 > m_Minimo) m_Minimo = c + 1;
            return Lectura::DeNada();
        }
        if (!m_Valida) return Lectura::DeMala(kSinCabecera);
        if (auto fallo = PartirCsv(linea, m_Sep, m_Campos)) return Lectura::DeMala(*fallo);
        if (m_Campos.size() < m_Minimo)
            return Lectura::DeMala("se esperaban al menos " + std::to_string(m_Minimo) +
                                   " campos (los de la cabecera) y hay " +
                                   std::to_string(m_Campos.size()));
        reg.canal = Campo(kCanal), reg.canalDestino = Campo(kCanalDestino);
        reg.contexto = Campo(kContexto), reg.inicio = Campo(kInicio);
        const auto billsec = LeerSegundos(Campo(kBillsec));
        if (!billsec)
            return Lectura::DeMala("billsec " + CitarCorto(Campo(kBillsec)) +
                                   " no es un número de segundos");
        if (m_Col[kDisposicion] != kSin) {
            const auto d = LeerDisposicion(Campo(kDisposicion));
            if (!d)
                return Lectura::DeMala("disposición " + CitarCorto(Campo(kDisposicion)) +
                                       " desconocida (se espera ANSWERED, NO ANSWER, BUSY, "
                                       "FAILED, CONGESTION o CANCEL)");
            if (*d != Disposicion::Contestada) return Lectura::DeAparte(NombreDisposicion(*d));
            if (*billsec == 0) return Lectura::DeAparte("ANSWERED con billsec 0");
        } else if (m_Col[kCausa] != kSin) {
            if (*billsec == 0 || (m_Col[kRespuesta] != kSin && Campo(kRespuesta).empty())) {
                std::string causa(Campo(kCausa));
                for (char& c : causa)
                    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
                return Lectura::DeAparte(causa.empty() ? std::string("sin hangup_cause") : causa);
            }
        } else if (*billsec == 0) {
            return Lectura::DeAparte("billsec 0");
        }
        std::string_view respuesta = Campo(kRespuesta), fin = Campo(kFin);
        bool sinFin = m_Col[kFin] == kSin;
        if (m_Col[kRespuesta] == kSin) {
            // calldate + duration - billsec: when the call was answered.
            const std::string_view inicio = Campo(kInicio);
            const auto i = LeerInstante(inicio);
            if (!i)
                return Lectura::DeMala("calldate " + InstanteIlegible(inicio, kFormaCentralita));
            const auto duracion = LeerSegundos(Campo(kDuracion));
            if (!duracion || *duracion < *billsec)
                return Lectura::DeMala("duration " + CitarCorto(Campo(kDuracion)) +
                                       " no es un número de segundos no menor que billsec");
            m_Respuesta =
                TextoInstante(fecha::DesdeSegundos(fecha::ASegundos(*i) + *duracion - *billsec));
            respuesta = m_Respuesta;
            fin = {};
            sinFin = true;
        }
        return LeerContestada(
            {respuesta, fin, *billsec, Campo(kNumero), Campo(kOrigen), Campo(kCuenta), sinFin}, reg,
            a, m_TextoFin);
    }
    bool Centralita() const override { return true; }

  private:
    std::string_view Campo(Papel p) const {
        const std::size_t i = m_Col[p];
        return i < m_Campos.size() ? RecortarBlancos(m_Campos[i]) : std::string_view();
    }

    static constexpr const char* kSinCabecera =
        "la primera línea no nombra las columnas de una centralita: hacen falta dst (o "
        "destination_number), billsec y answer (o calldate y duration)";
    bool m_Valida = false;
    char m_Sep = ',';
    std::array<std::size_t, kPapeles> m_Col{};
    std::size_t m_Minimo = 0;
    std::vector<std::string> m_Campos;
    std::string m_Respuesta, m_TextoFin;
};

}  // namespace

std::unique_ptr<Lector> CrearLectorCabecera() {
    return std::make_unique<LectorCabecera>();
}

// A first line that names a destination and the times of a PBX's records.
bool PareceCabecera(std::string_view principio) {
    const std::string_view linea = PrimeraLinea(principio);
    std::array<std::size_t, kPapeles> col{};
    return Columnas(linea, Separador(linea), col);
}

}  // namespace quelmar::llamadas
