#pragma once

// The run over one input, as Sesion::Recorrer drives it (Recorrido.cpp): private to the
// library.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "llamadas/Cortador.h"
#include "llamadas/Eleccion.h"
#include "llamadas/Horario.h"
#include "llamadas/Instantes.h"
#include "llamadas/Sesion.h"
#include "llamadas/Troncales.h"
#include "llamadas/formatos/Lector.h"

namespace quelmar::llamadas {

class Sesion::Recorrido : public Avisos, private SalidaTroncal, private CortadorRegistros::Salida {
  public:
    Recorrido(Sesion& s, Entrada& entrada, const Origen& origen, DestinoLlamadas& destino,
              const FormatoRegistro& formato)
        : m_Sesion(s),
          m_Diag(s.m_Diagnosticos),
          m_Entrada(entrada),
          m_Lugar{origen.lugar, 0},
          m_Destino(destino),
          m_Lector(formato.crear()),
          m_Cortador(m_Lector->Maximo(), m_Lector->Cabe()),
          m_Eleccion(s.m_Catalogo, s.m_Nombres, s.m_Destinos.get(), s.m_TarifaDada,
                     !s.m_Troncales.empty()) {
        for (const std::string& a : m_Lector->Apartados()) m_Totales.apartados.emplace_back(a, 0);
        m_Totales.formato = formato.nombre;
        m_Totales.reconocido = FormatoAutomatico(s.m_Formato);
        m_Centralita = m_Lector->Centralita();
        if (!s.m_Troncales.empty()) m_Troncales.emplace(s.m_Troncales);
        m_Totales.conTroncal = m_Troncales.has_value();
    }

    // One line of the input, as read; false when the run is to stop.
    bool Linea(std::string_view bruta, bool cortada, std::uint64_t leidos);
    // After the last line: a record left open is read line by line, the calls still
    // pending on a trunk costed, the records read twice told.
    void Acabar();
    Totales Terminar();
    std::size_t Maximo() const { return m_Lector->Maximo(); }

    void Aviso(const std::string& texto, TipoAviso tipo) override {
        m_Diag.Aviso(m_Lugar, texto, tipo);
    }

  private:
    // A record's text to its call, costed; its faults told.
    void Cortado(std::size_t linea, std::string_view texto) override;
    void LineaMala(std::size_t linea, const std::string& motivo) override;
    void AvisoDeLinea(std::size_t linea, const std::string& texto) override;
    void Leer(std::string_view linea, bool primera);
    bool Costear(const Llamada& l);
    // A call read: its tariff chosen, then costed and handed on.
    void Elegir(Registro& r);
    void Saliente(const LlamadaTroncal& t) override;
    void Hora(Llamada& l);
    // A call costed, and handed to the result as one of the period's or not.
    void Entregar(const Llamada& l);
    bool FueraDelPeriodo(const Llamada& l) const {
        const auto &desde = m_Sesion.m_Desde, &hasta = m_Sesion.m_Hasta;
        return (desde && Antes(l.ini, *desde)) || (hasta && !Antes(l.ini, *hasta));
    }
    void Mala(const std::string& motivo);
    void Unico(bool& dado, const char* texto);

    Sesion& m_Sesion;
    Diagnosticos& m_Diag;
    Entrada& m_Entrada;
    Lugar m_Lugar;  // of the record being read
    DestinoLlamadas& m_Destino;
    std::unique_ptr<Lector> m_Lector;
    CortadorRegistros m_Cortador;
    EleccionTarifa m_Eleccion;
    Registro m_Registro;
    Totales m_Totales;
    bool m_Primera = true, m_AvisoOrden = false, m_AvisoNumero = false;
    std::string m_Motivo;
    std::size_t m_NumLinea = 0;
    // What the office pays (Troncales.h): the trunk stage, records read twice, the clock.
    std::optional<Troncales> m_Troncales;
    Repetidos m_Repetidos;
    bool m_Centralita = false;
    Horario m_Horario;
    std::string m_TextoIni, m_TextoFin;  // of an instant made local
};

}  // namespace quelmar::llamadas
