#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "costing/cLlamada.h"
#include "llamadas/Destinos.h"
#include "llamadas/Llamada.h"
#include "llamadas/Sugerencia.h"
#include "llamadas/formatos/Lector.h"

namespace quelmar::llamadas {

// Which tariff a call read takes: the one its record names (the closest catalogue name
// as a hint when the catalogue lacks it), else the one the number dialled picks in the
// destination table, else the one given for records that name none. A name is looked
// up once per run, as Find finds it (the first tariff of that name).
class EleccionTarifa {
  public:
    // SinPrefijo: a PBX's number that no prefix covers and no trunk tells a call out (an
    // internal or incoming call, most often): counted, not a bad record.
    enum class Resultado { Elegida, Mala, SinTarifa, SinPrefijo };

    // `principal`: the tariff of records that name none, found in `m`; `dada`: whether it
    // was given (else a number no prefix covers has none).
    EleccionTarifa(const cLlamada& m, const std::vector<std::string>& nombres,
                   const Destinos* destinos, bool dada, bool conTroncal);
    // The digits of the number last read.
    const std::string& Digitos() const { return m_Digitos; }
    // The records that were SinPrefijo, and the `n` commonest of their numbers with their
    // counts (ties by number).
    std::size_t SinPrefijo() const { return m_CuantosSinPrefijo; }
    std::vector<std::pair<std::string, std::size_t>> NumerosSinPrefijo(std::size_t n) const;

    // Sets r.llamada.tarifa; `motivo` says why not when Mala or SinTarifa (a record naming a
    // tariff the catalogue lacks, then with no tariff).
    Resultado Elegir(Registro& r, std::string& motivo);

  private:
    struct HashTexto {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const {
            return std::hash<std::string_view>{}(s);
        }
    };

    Resultado PorNumero(Llamada& l, std::string_view numero, std::string& motivo,
                        bool deCentralita = false);
    TarifaPedida& PedidaEnLog(std::string_view pedido);
    bool EnCatalogo(TarifaPedida& t) const;
    static TarifaPedida Pedida(std::optional<std::string> bytes);

    const std::vector<std::string>& m_Nombres;  // the catalogue's, in UTF-8
    const Destinos* m_Destinos;
    const bool m_Dada, m_ConTroncal;
    std::vector<Firma> m_Firmas;  // of the names, made at the first unknown one
    std::unordered_map<std::string, std::int16_t, HashTexto, std::equal_to<>> m_Posiciones;
    TarifaPedida m_Principal;
    // A log names few tariffs over and over: their conversions are worked out once.
    std::unordered_map<std::string, TarifaPedida, HashTexto, std::equal_to<>> m_Pedidas;
    std::vector<TarifaPedida> m_TarifasDestino;  // of each tariff of the destination table
    std::string m_Digitos;                       // of the number being read
    std::size_t m_CuantosSinPrefijo = 0;
    std::unordered_map<std::string, std::size_t, HashTexto, std::equal_to<>> m_SinPrefijo;
};

}  // namespace quelmar::llamadas
