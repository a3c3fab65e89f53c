// The run over one input: lines read, records cut into calls by the format's reader, each
// call's tariff chosen and the call costed by the one per-call rule, in the file's order.
#include "llamadas/Recorrido.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <new>
#include <string>
#include <string_view>
#include <utility>

#include "llamadas/Cobrado.h"
#include "llamadas/Instantes.h"
#include "llamadas/Textos.h"
#include "runtime/OleDate.h"

namespace quelmar::llamadas {

void Sesion::Recorrido::Mala(const std::string& motivo) {
    ++m_Totales.malas;
    m_Destino.Mala(m_Lugar.linea, motivo);
    m_Diag.Mala(m_Lugar, motivo);
}

// A warning given once per run, on the record that first calls for it.
void Sesion::Recorrido::Unico(bool& dado, const char* texto) {
    if (dado) return;
    dado = true;
    m_Diag.Aviso(m_Lugar, texto, TipoAviso::Unico);
}

// Costs the call with the registry carried from the previous one; false (told) when the
// engine fails, the registry as it was.
bool Sesion::Recorrido::Costear(const Llamada& l) {
    Costeador& c = m_Sesion.m_Costeador;
    if (c.FinAnterior() && Antes(l.ini, *c.FinAnterior()))
        Unico(m_AvisoOrden,
              "la llamada empieza antes de que acabe la anterior; los bonos se gastan en el "
              "orden de las líneas");
    const auto fallo = c.Costear(m_Sesion.m_Catalogo, l.tarifa->posicion, l.ini, l.fin, l.segundos,
                                 [this](const std::string& tipo, double alta, double caducidad) {
                                     m_Diag.Aviso(m_Lugar,
                                                  "el bono " + tipo + " dado de alta el " +
                                                      TextoDiaOInstante(alta) + " caducó el " +
                                                      TextoDiaOInstante(caducidad) +
                                                      "; desde esta llamada no cuenta",
                                                  TipoAviso::BonoCaducado);
                                 });
    if (fallo) {
        Mala("el motor no pudo costear la llamada: " + fallo->mensaje +
             (fallo->finDeFechas ? "; su periodo de facturación acaba después del año 9999, la "
                                   "última fecha que el motor cuenta"
                                 : ""));
        return false;
    }
    return true;
}

void Sesion::Recorrido::Entregar(const Llamada& l) {
    if (!Costear(l)) return;
    const Costeador& c = m_Sesion.m_Costeador;
    if (FueraDelPeriodo(l)) {
        m_Destino.Fuera(l);
        return;
    }
    // The totals are the period's calls' own, added in the file's order.
    ++m_Totales.costeadas;
    if (l.segunBillsec) ++m_Totales.segunBillsec;
    m_Totales.importe += c.Motor().importe();
    m_Totales.segundos += l.segundos;
    if (l.cobrado) m_Totales.factura.Anotar(DiferenciaCobrada(*l.cobrado, c.Motor().importe()));
    m_Destino.Costeada(l, c.Motor(), c.Antes());
}

bool Sesion::Recorrido::Linea(std::string_view bruta, bool cortada, std::uint64_t leidos) {
    ++m_NumLinea;
    if (m_NumLinea % 1000 == 0 && !m_Diag.Progreso(m_NumLinea, leidos, m_Entrada.Tamano())) {
        m_Totales.cancelado = true;
        return false;
    }
    m_Cortador.Linea(m_NumLinea, bruta, cortada, *this);
    return true;
}

// A line that holds no record it could read: the first record is then no header.
void Sesion::Recorrido::LineaMala(std::size_t linea, const std::string& motivo) {
    m_Lugar.linea = linea;
    m_Primera = false;
    Mala(motivo);
}

void Sesion::Recorrido::AvisoDeLinea(std::size_t linea, const std::string& texto) {
    m_Lugar.linea = linea;
    m_Diag.Aviso(m_Lugar, texto, TipoAviso::Unico);
}

void Sesion::Recorrido::Cortado(std::size_t linea, std::string_view texto) {
    m_Lugar.linea = linea;
    const bool primera = m_Primera;
    m_Primera = false;
    try {
        Leer(texto, primera);
    } catch (const Error& e) {
        // What makes the whole file unreadable (its header), at its place.
        throw Error(e.clase(),
                    m_Lugar.fichero + ":" + std::to_string(m_Lugar.linea) + ": " + e.what(),
                    m_Lugar);
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {
        // Whatever one record makes the engine raise (an instant past the year 9999) is
        // that record's fault alone: the run goes on.
        Mala("el registro no se puede costear: " + MensajeEngine(e));
    }
}

void Sesion::Recorrido::Leer(std::string_view linea, bool primera) {
    if (m_Centralita && m_Repetidos.Visto(linea)) return;
    m_Registro.canal = m_Registro.canalDestino = m_Registro.contexto = m_Registro.inicio = {};
    const Lectura lectura = m_Lector->Leer(linea, primera, m_Registro, *this);
    const auto& contextos = m_Sesion.m_Contextos;
    if ((lectura.clase == Lectura::Clase::Llamada || lectura.clase == Lectura::Clase::Aparte) &&
        !contextos.empty() &&
        std::find(contextos.begin(), contextos.end(), m_Registro.contexto) == contextos.end()) {
        ++m_Totales.otrosContextos;
        return;
    }
    switch (lectura.clase) {
        case Lectura::Clase::Llamada:
            break;
        case Lectura::Clase::Nada:
            return;
        case Lectura::Clase::Mala:
            Mala(lectura.motivo);
            return;
        case Lectura::Clase::Aparte:
            m_Totales.Apartar(lectura.motivo);
            return;
    }
    Hora(m_Registro.llamada);
    if (m_Troncales) {
        m_Troncales->Anotar(m_Registro, m_Lugar.linea, *this);
        return;
    }
    Elegir(m_Registro);
}

void Sesion::Recorrido::Elegir(Registro& r) {
    const Llamada& l = r.llamada;
    switch (m_Eleccion.Elegir(r, m_Motivo)) {
        case EleccionTarifa::Resultado::Elegida:
            if (!r.numeroElige && !l.numero.empty() && !m_Sesion.m_Destinos)
                Unico(
                    m_AvisoNumero,
                    "el registro trae números marcados, pero sin --destinos no eligen la tarifa de "
                    "sus llamadas");
            Entregar(l);
            break;
        case EleccionTarifa::Resultado::Mala:
            Mala(m_Motivo);
            break;
        case EleccionTarifa::Resultado::SinPrefijo:
            break;
        case EleccionTarifa::Resultado::SinTarifa:
            Mala(m_Motivo);
            if (FueraDelPeriodo(l))
                m_Destino.Fuera(l);
            else
                m_Destino.SinTarifa(l);
            break;
    }
}

// A call out, once its last record on the trunk is known: costed as the record of its first
// line.
void Sesion::Recorrido::Saliente(const LlamadaTroncal& t) {
    const std::size_t linea = m_Lugar.linea;
    m_Lugar.linea = t.linea;
    Registro r;
    r.llamada = t.Vista();
    r.numeroElige = true;
    Elegir(r);
    m_Lugar.linea = linea;
}

// The call's instants in local time: made so from UTC (its length kept), or warned when
// the local clock never showed its answer.
void Sesion::Recorrido::Hora(Llamada& l) {
    if (m_Sesion.m_Utc) {
        l.ini = m_Horario.ALocal(l.ini);
        l.fin = m_Horario.ALocal(l.fin);
        if (fecha::SegundosEntre(l.ini, l.fin) != l.segundos)
            l.fin = fecha::DesdeSegundos(fecha::ASegundos(l.ini) + l.segundos);
        m_TextoIni = TextoInstante(l.ini);
        m_TextoFin = TextoInstante(l.fin);
        l.textoIni = m_TextoIni, l.textoFin = m_TextoFin;
        return;
    }
    // The end may be worked out from billsec across the change: only the answer tells.
    if (m_Horario.EnHueco(l.ini))
        m_Diag.Aviso(m_Lugar,
                     "la llamada de " + CitarCorto(l.textoIni) +
                         " cae en la hora que el reloj local se salta en el cambio de hora de "
                         "primavera; si el fichero está en UTC, use --utc",
                     TipoAviso::Desacuerdo);
}

void Sesion::Recorrido::Acabar() {
    m_Cortador.Acabar(*this);
    if (m_Troncales) m_Troncales->Vaciar(*this);
    if (m_Repetidos.Cuantos())
        m_Diag.Aviso(
            {},
            std::to_string(m_Repetidos.Cuantos()) +
                (m_Repetidos.Cuantos() == 1 ? " registro repetido" : " registros repetidos") +
                " (igual campo a campo que otro, como al leer juntos Master.csv y los "
                "ficheros de cada cuenta) se cuenta una vez",
            TipoAviso::Unico);
}

Totales Sesion::Recorrido::Terminar() {
    m_Totales.columnaCobrado = m_Lector->ColumnaCobrado();
    m_Totales.notas = m_Lector->Notas();
    // Only the calls that were costed and shown: a record set apart later is not one.
    if (const std::size_t n = m_Totales.segunBillsec)
        m_Totales.notas.push_back(std::to_string(n) +
                                  (n == 1 ? " llamada costeada" : " llamadas costeadas") +
                                  " según billsec: de answer a end no cuadra con él");
    std::erase_if(m_Totales.apartados, [](const auto& a) { return a.second == 0; });
    if (m_Troncales) {
        m_Totales.entrantes = m_Troncales->Entrantes();
        m_Totales.internas = m_Troncales->Internas();
    }
    m_Totales.repetidos = m_Repetidos.Cuantos();
    m_Totales.sinPrefijo = m_Eleccion.SinPrefijo();
    m_Totales.numerosSinPrefijo = m_Eleccion.NumerosSinPrefijo(5);
    return std::move(m_Totales);
}

Totales Sesion::Recorrer(Entrada& entrada, const Origen& origen, DestinoLlamadas& destino) {
    // The longest record any layout reads: each layout tells a longer one for itself.
    LectorLineas lector(entrada, 64 * 1024);
    // An input that cannot be read fails here, before the first byte of output.
    const std::string_view principio = lector.Principio();
    if (lector.Error())
        throw Error(Error::Clase::Fichero, ErrorDeLectura(origen.nombre, lector.Error()),
                    {origen.lugar});
    if (!PareceTexto(principio))
        throw Error(Error::Clase::Fichero,
                    NoEsTexto(origen.nombre, principio) +
                        "; se espera un registro de llamadas, una por línea: inicio,fin[,tarifa]",
                    {origen.lugar});
    ObservadorTramos* observador = destino.Observador();
    if (observador) m_Costeador.Motor().Observador(observador);
    const FormatoRegistro& formato =
        FormatoAutomatico(m_Formato) ? ReconocerFormato(principio) : *BuscarFormato(m_Formato);
    Recorrido recorrido(*this, entrada, origen, destino, formato);
    destino.Empezar();
    std::string_view linea;
    bool cortada = false;
    while (lector.Siguiente(linea, cortada))
        if (!recorrido.Linea(linea, cortada, lector.Leidos())) break;
    recorrido.Acabar();
    destino.Terminar();
    if (observador) m_Costeador.Motor().Observador(nullptr);
    if (lector.Error())
        throw Error(Error::Clase::Fichero, ErrorDeLectura(origen.nombre, lector.Error()),
                    {origen.lugar});
    return recorrido.Terminar();
}

}  // namespace quelmar::llamadas
