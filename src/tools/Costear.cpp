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
#include "llamadas/Cobrado.h"
#include "llamadas/Csv.h"
#include "llamadas/Filas.h"
#include "llamadas/Instantes.h"
#include "llamadas/Sesion.h"
#include "tools/Bonos.h"
#include "tools/Comun.h"
#include "tools/Consola.h"

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

nlohmann::ordered_json Centimos(double x) {
    return std::round(x * 100.0) / 100.0 + 0.0;
}

// costear's output: one row per call costed, CSV or JSON, written in blocks, or each at
// once when someone is watching.
class FilasEscritas : public Filas {
  public:
    // `mezcla`: the totals follow the rows in the same JSON stream, so each object says its
    // kind.
    FilasEscritas(bool json, bool mezcla, Agrupar por, std::FILE* entrada, std::FILE* salida)
        : Filas(por),
          m_Json(json),
          m_Mezcla(mezcla),
          m_Salida(salida),
          m_Interactivo(::isatty(::fileno(entrada)) || ::isatty(::fileno(salida))) {}

    void Terminar() override {
        if (!m_Cabecera) Cabecera(false);
        Vaciar();
        Descargar(m_Salida);
    }

  private:
    void Fila(const FilaCosteada& f) override {
        // The header waits for the first call: a log with a `cobrado` column gets two more.
        if (!m_Cabecera) Cabecera(f.llamada.columnaCobrado);
        if (m_Json)
            FilaJson(f);
        else
            FilaCsv(f);
        if (m_Interactivo || m_Fila.size() >= (1 << 16)) Vaciar();
    }

    void Cabecera(bool cobrado) {
        m_Cabecera = true;
        if (m_Json) return;
        m_Fila +=
            "inicio,fin,tarifa,importe,duracion,tipo,tipo_actual,bono_net,bono_net_actual,"
            "bono_dia,bono_noche";
        m_Fila += cobrado ? ",cobrado,diferencia\n" : "\n";
        if (m_Interactivo) Vaciar();
    }

    void FilaJson(const FilaCosteada& f) {
        const Llamada& l = f.llamada;
        const cCosteo& m = f.motor;
        nlohmann::ordered_json fila;
        if (m_Mezcla) fila["clase"] = "llamada";
        fila.update(nlohmann::ordered_json{
            {"inicio", TextoInstante(l.ini)},
            {"fin", TextoInstante(l.fin)},
            {"tarifa", l.tarifa->utf8},
            {"importe", NumeroJson(m.importe())},
            {"duracion", m.Duracion()},
            {"tipo", m.Tipo()},
            {"tipo_actual", m.TipoActual()},
            {"bono_net", m.BonoNet()},
            {"bono_net_actual", m.BonoNetActual()},
            {"bono_dia", f.bonoDia},
            {"bono_noche", f.bonoNoche},
        });
        if (l.columnaCobrado) {
            fila["cobrado"] = l.cobrado ? nlohmann::ordered_json(*l.cobrado) : nullptr;
            fila["diferencia"] = f.diferencia ? Centimos(*f.diferencia) : nullptr;
        }
        m_Fila += fila.dump();
        m_Fila += '\n';
    }

    // Appended into the pending rows: no temporary strings per call.
    void FilaCsv(const FilaCosteada& f) {
        const Llamada& l = f.llamada;
        const cCosteo& m = f.motor;
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
        m_Fila += f.bonoDia;
        m_Fila += ',';
        m_Fila += f.bonoNoche;
        if (l.columnaCobrado) {
            m_Fila += ',';
            if (l.cobrado) {
                AnadirDecimal(m_Fila, *l.cobrado, -1);
                m_Fila += ',';
                AnadirDecimal(m_Fila, *f.diferencia, 2);
            } else {
                m_Fila += ',';
            }
        }
        m_Fila += '\n';
    }

    void Vaciar() {
        Emitir(m_Salida, m_Fila);
        m_Fila.clear();
        if (m_Interactivo) Descargar(m_Salida);
    }

    const bool m_Json, m_Mezcla;
    bool m_Cabecera = false;
    std::FILE* m_Salida;
    const bool m_Interactivo;
    std::string m_Fila;  // rows not yet written
};

}  // namespace

std::string EscribirTotales(const std::vector<TotalClave>& filas, Agrupar por, bool json,
                            bool mezcla) {
    const char* clave = por == Agrupar::Cuenta ? "cuenta" : "origen";
    std::string r;
    if (!json) r = std::string(clave) + ",llamadas,duracion,importe\n";
    for (const TotalClave& t : filas) {
        if (json) {
            nlohmann::ordered_json o;
            if (mezcla) o["clase"] = "total";
            o.update(nlohmann::ordered_json{{clave, t.clave},
                                            {"llamadas", t.llamadas},
                                            {"duracion", TextoDuracion(t.segundos)},
                                            {"importe", Centimos(t.importe)}});
            r += o.dump() + '\n';
        } else {
            r += CeldaCsv(SinFormula(TextoSeguro(t.clave))) + ',' + std::to_string(t.llamadas) +
                 ',' + TextoDuracion(t.segundos) + ',' + TextoDecimal(t.importe, 2) + '\n';
        }
    }
    return r;
}

int Costear(const OpcionesCosteo& o, std::FILE* entrada, std::FILE* salida, std::FILE* errores) {
    Consola consola(errores, ::isatty(::fileno(salida)) != 0);
    Sesion sesion(OpcionesDeSesion(o), consola);
    // Made before the first row, so that an output that cannot be written stops the run
    // before it starts.
    std::optional<Salida> bonos;
    if (o.salidaBonos) bonos.emplace(*o.salidaBonos, ReservaBonos(sesion.Inicial()));
    std::optional<Salida> totales;
    if (o.por != Agrupar::Nada && o.salidaTotales) totales.emplace(*o.salidaTotales);
    // With --json and no file of their own, the totals follow the rows as objects.
    const bool mezcla = o.por != Agrupar::Nada && !totales && o.json;
    FilasEscritas filas(o.json, mezcla, o.por, entrada, salida);
    const Totales t = Recorrer(sesion, o, entrada, consola, filas);
    std::string tabla;
    if (o.por != Agrupar::Nada)
        tabla = EscribirTotales(filas.Totales().Ordenados(), o.por, o.json, mezcla);
    if (mezcla) {
        Emitir(salida, tabla);
        Descargar(salida);
    }
    if (totales) {
        totales->Escribir(tabla);
        totales->Confirmar();
    }
    if (bonos) {
        bonos->Escribir(EscribirBonos(sesion.Motor().Bono()));
        bonos->Confirmar();
    }
    const int estado = Resumir(t, errores);
    AvisarSinClave(o.por, filas.Totales(), errores);
    // As CSV they are a second table: on the error stream, standard output keeping one.
    if (o.por != Agrupar::Nada && !totales && !o.json) Emitir(errores, tabla);
    return estado;
}

}  // namespace quelmar::herramientas
