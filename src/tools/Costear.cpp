#include "tools/Costear.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <unistd.h>
#include <utility>
#include <vector>

#include "bono/cBono.h"
#include "costing/cCosteo.h"
#include "costing/cLlamada.h"
#include "tools/Bonos.h"
#include "tools/Comun.h"
#include "tools/Instantes.h"
#include "tools/Recorrido.h"

namespace quelmar::herramientas {

namespace {

// An instant of a call as a row writes it, from its text in the log.
void AnadirInstanteLeido(std::string& fila, std::string_view texto) {
    fila += texto;
    fila[fila.size() - texto.size() + 10] = 'T';
}

// A small integer appended without a temporary string: one per field of every row.
void AnadirEntero(std::string& fila, std::int16_t n) {
    char b[8];
    fila.append(b, std::to_chars(b, b + sizeof b, n).ptr);
}

// The amount as a JSON number with the digits of TextoImporte: a whole amount as an
// integer, any other as the double those digits read as. nlohmann writes the same digits,
// in exponent form below 0.0001 ("5e-05" where TextoImporte gives "0.00005").
nlohmann::ordered_json NumeroJson(float importe) {
    const std::string texto = TextoImporte(importe);
    if (texto.find('.') == std::string::npos && std::fabs(importe) < 9e18f)
        return static_cast<std::int64_t>(importe);
    return std::strtod(texto.c_str(), nullptr);
}

// costear's output: one row per call costed, CSV or JSON, written in blocks, or each at
// once when someone is watching.
class Filas : public DestinoLlamadas {
  public:
    Filas(bool json, std::FILE* entrada, std::FILE* salida)
        : m_Json(json),
          m_Salida(salida),
          m_Interactivo(::isatty(::fileno(entrada)) || ::isatty(::fileno(salida))) {}

    bool FilasEnTerminal() const override { return ::isatty(::fileno(m_Salida)) != 0; }

    void Empezar() override {
        if (!m_Json)
            std::fputs(
                "inicio,fin,tarifa,importe,duracion,tipo,tipo_actual,bono_net,"
                "bono_net_actual,bono_dia,bono_noche\n",
                m_Salida);
    }

    void Costeada(const Llamada& l, const cCosteo& motor, const cBono& antes) override {
        TotalesDeGrupo(motor.Bono(), antes);
        if (m_Json)
            FilaJson(l, motor);
        else
            FilaCsv(l, motor);
        if (m_Interactivo || m_Fila.size() >= (1 << 16)) Vaciar();
    }

    void Terminar() override {
        Vaciar();
        Descargar(m_Salida);
    }

  private:
    // The registry's group totals, worked out again only when the call changed the
    // registry: `antes`, the registry after the previous call, is the one they were last
    // worked out for.
    void TotalesDeGrupo(const cBono& ahora, const cBono& antes) {
        if (m_TotalesVistos && ahora.MismosTiempos(antes)) return;
        m_Dia = ahora.TotalTiempoGrupo(0);
        m_Noche = ahora.TotalTiempoGrupo(1);
        m_TotalesVistos = true;
    }

    void FilaJson(const Llamada& l, const cCosteo& m) {
        const nlohmann::ordered_json fila = {
            {"inicio", TextoInstante(l.ini)},
            {"fin", TextoInstante(l.fin)},
            {"tarifa", l.tarifa->utf8},
            {"importe", NumeroJson(m.importe())},
            {"duracion", m.Duracion()},
            {"tipo", m.Tipo()},
            {"tipo_actual", m.TipoActual()},
            {"bono_net", m.BonoNet()},
            {"bono_net_actual", m.BonoNetActual()},
            {"bono_dia", m_Dia},
            {"bono_noche", m_Noche},
        };
        m_Fila += fila.dump();
        m_Fila += '\n';
    }

    // Appended into the pending rows: no temporary strings per call.
    void FilaCsv(const Llamada& l, const cCosteo& m) {
        AnadirInstanteLeido(m_Fila, l.textoIni);
        m_Fila += ',';
        AnadirInstanteLeido(m_Fila, l.textoFin);
        m_Fila += ',';
        m_Fila += l.tarifa->celda;
        m_Fila += ',';
        AnadirImporte(m_Fila, m.importe());
        m_Fila += ',';
        m_Fila += m.Duracion();
        m_Fila += ',';
        AnadirEntero(m_Fila, m.Tipo());
        m_Fila += ',';
        AnadirEntero(m_Fila, m.TipoActual());
        m_Fila += m.BonoNet() ? ",1," : ",0,";
        m_Fila += m.BonoNetActual() ? "1," : "0,";
        m_Fila += m_Dia;
        m_Fila += ',';
        m_Fila += m_Noche;
        m_Fila += '\n';
    }

    void Vaciar() {
        Emitir(m_Salida, m_Fila);
        m_Fila.clear();
        if (m_Interactivo) Descargar(m_Salida);
    }

    const bool m_Json;
    std::FILE* m_Salida;
    const bool m_Interactivo;
    std::string m_Fila;  // rows not yet written
    std::string m_Dia, m_Noche;
    bool m_TotalesVistos = false;
};

}  // namespace

int Costear(const OpcionesCosteo& o, std::FILE* entrada, std::FILE* salida, std::FILE* errores) {
    CatalogoExistente(o.catalogo);
    cLlamada m(o.catalogo);
    Preparacion p = PrepararCosteo(m, o);
    // Made before the first row, so that an output that cannot be written stops the run
    // before it starts.
    std::optional<Salida> bonos;
    if (o.salidaBonos) bonos.emplace(*o.salidaBonos, ReservaBonos(p.inicial));
    Filas filas(o.json, entrada, salida);
    cCosteo motor;
    PrepararMotor(motor, p);
    const TotalesRecorrido t = Recorrer(m, motor, o, std::move(p.nombres), entrada, errores, filas);
    if (bonos) {
        bonos->Escribir(EscribirBonos(motor.Bono()));
        bonos->Confirmar();
    }
    return Resumir(t, errores);
}

}  // namespace quelmar::herramientas
