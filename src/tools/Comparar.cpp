#include "tools/Comparar.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "costing/cCosteo.h"
#include "llamadas/Candidatas.h"
#include "llamadas/Csv.h"
#include "llamadas/Instantes.h"
#include "llamadas/Sesion.h"
#include "runtime/CodePage.h"
#include "tools/CatalogoCsv.h"
#include "tools/Comun.h"
#include "tools/Consola.h"

namespace quelmar::herramientas {

namespace {

std::string Numero(int decimales, double x) {
    return TextoDecimal(x, decimales);
}

std::string EscribirCandidatas(const std::vector<Candidata>& cs, double propio, bool json) {
    std::string salida;
    if (!json)
        salida =
            "tarifa,importe,diferencia,importe_minuto,minutos_normal,minutos_reducida,"
            "minutos_bono,llamadas\n";
    // Every figure is worked out from the totals as shown, so that the CSV and the JSON
    // agree to the cent and a reader's own subtraction gives the difference shown.
    for (const Candidata& c : cs) {
        if (c.fallo) continue;
        const double minutos = static_cast<double>(c.segundos) / 60.0;
        auto min = [](std::int64_t s) { return static_cast<double>(s) / 60.0; };
        const double importe = Centimos(c.importe);
        const double diferencia = DiferenciaCandidata(c.importe, propio);
        if (json) {
            nlohmann::ordered_json o = {
                {"tarifa", c.tarifa},
                {"importe", importe},
                {"diferencia", diferencia},
                {"importe_minuto", nullptr},
                {"minutos_normal", Centimos(min(c.normal))},
                {"minutos_reducida", Centimos(min(c.reducida))},
                {"minutos_bono", Centimos(min(c.bono))},
                {"llamadas", c.llamadas},
            };
            if (c.segundos > 0) o["importe_minuto"] = std::round(importe / minutos * 1e4) / 1e4;
            salida += o.dump() + "\n";
        } else {
            salida += c.celda + ',' + Numero(2, importe) + ',' + Numero(2, diferencia) + ',' +
                      (c.segundos > 0 ? Numero(4, importe / minutos) : "") + ',' +
                      Numero(2, min(c.normal)) + ',' + Numero(2, min(c.reducida)) + ',' +
                      Numero(2, min(c.bono)) + ',' + std::to_string(c.llamadas) + '\n';
        }
    }
    return salida;
}

}  // namespace

int Comparar(const OpcionesCosteo& o, std::FILE* entrada, std::FILE* salida, std::FILE* errores) {
    Consola consola(errores, false);
    Sesion sesion(OpcionesDeSesion(o), consola);
    // Every candidate is costed in the same pass as the log's own tariffs.
    CosteoCandidatas candidatas(sesion, HilosCandidatas());
    CompararLlamadas destino(candidatas);
    const Totales propio = Recorrer(sesion, o, entrada, consola, destino);
    const auto cs = candidatas.Terminar();
    for (const Candidata& c : cs)
        if (c.fallo)
            std::fprintf(errores, "tarificador: la tarifa %s queda fuera: %s\n",
                         CitarCorto(c.tarifa).c_str(), c.fallo->c_str());
    Emitir(salida, EscribirCandidatas(cs, propio.importe, o.json));
    Descargar(salida);
    const int estado = Resumir(propio, errores);
    if (destino.SinTarifa())
        std::fprintf(errores, "tarificador: %s\n", LineasSinTarifa(destino.SinTarifa()).c_str());
    return estado;
}

}  // namespace quelmar::herramientas
