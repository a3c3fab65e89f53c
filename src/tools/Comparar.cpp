#include "tools/Comparar.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <nlohmann/json.hpp>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

#include "costing/cCosteo.h"
#include "runtime/CodePage.h"
#include "tools/CatalogoCsv.h"
#include "tools/Comun.h"
#include "tools/Csv.h"
#include "tools/Instantes.h"

namespace quelmar::herramientas {

namespace {

// Adds up where each second of a call went.
class Minutos : public ObservadorTramos {
  public:
    explicit Minutos(Candidata& c) : m_C(c) {}
    void Tramo(const cTramo& t) override {
        if (t.clase == cTramo::Clase::EntrePeriodos) return;
        const Reparto r = RepartoDe(t);
        (r == kBono ? m_C.bono : r == kNormal ? m_C.normal : m_C.reducida) += t.segundos;
    }

  private:
    Candidata& m_C;
};

// The calls under tariff t, with a costing state of its own over the catalogue as loaded:
// the same costing as cLlamada::Datos without reading Tarifas.Dat again for every call.
void CostearCandidata(const cLlamada& m, std::int16_t t, const Preparacion& p,
                      const std::vector<LlamadaGuardada>& llamadas, Candidata& c) {
    Minutos minutos(c);
    cCosteo costeo;
    if (!p.festivos.empty()) costeo.Festivos(p.festivos);
    costeo.Observador(&minutos);
    costeo.Bono() = p.inicial;
    for (std::size_t i = 0; i < llamadas.size(); ++i) {
        const LlamadaGuardada& l = llamadas[i];
        try {
            LlevarRegistro(costeo.Bono(),
                           i > 0 ? std::optional<double>(llamadas[i - 1].fin) : std::nullopt,
                           l.ini);
            costeo.Datos(m, t, l.ini, l.fin, &costeo.Bono());
        } catch (const std::exception& e) {
            c.fallo = "el motor no pudo costear la llamada que empieza " + TextoInstante(l.ini) +
                      ": " + MensajeEngine(e);
            return;
        }
        c.importe += costeo.importe();
        c.segundos += l.segundos;
        ++c.llamadas;
    }
}

// + 0.0: a difference that rounds to nothing is 0.00, never -0.00.
double Centimos(double x) {
    return std::round(x * 100.0) / 100.0 + 0.0;
}

// Any size: an amount near the float limit has 39 digits before its point.
std::string Numero(const char* formato, double x) {
    char b[512];
    std::snprintf(b, sizeof b, formato, x);
    return b;
}

std::string EscribirCandidatas(const std::vector<Candidata>& cs, double propio, bool json) {
    std::string salida;
    if (!json)
        salida =
            "tarifa,importe,diferencia,importe_minuto,minutos_normal,minutos_reducida,"
            "minutos_bono,llamadas\n";
    // Every figure is worked out from the totals as shown, so that the CSV and the JSON
    // agree to the cent and a reader's own subtraction gives the difference shown.
    const double propioMostrado = Centimos(propio);
    for (const Candidata& c : cs) {
        if (c.fallo) continue;
        const double minutos = static_cast<double>(c.segundos) / 60.0;
        auto min = [](std::int64_t s) { return static_cast<double>(s) / 60.0; };
        const double importe = Centimos(c.importe);
        const double diferencia = Centimos(importe - propioMostrado);
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
            salida += c.celda + ',' + Numero("%.2f", importe) + ',' + Numero("%.2f", diferencia) +
                      ',' + (c.segundos > 0 ? Numero("%.4f", importe / minutos) : "") + ',' +
                      Numero("%.2f", min(c.normal)) + ',' + Numero("%.2f", min(c.reducida)) + ',' +
                      Numero("%.2f", min(c.bono)) + ',' + std::to_string(c.llamadas) + '\n';
        }
    }
    return salida;
}

}  // namespace

std::string LineasSinTarifa(std::size_t n) {
    return n == 1 ? "1 línea nombra una tarifa que no está en el catálogo: cuenta para cada tarifa "
                    "de la comparación, pero no para el importe con sus propias tarifas"
                  : std::to_string(n) +
                        " líneas nombran una tarifa que no está en el catálogo: cuentan para cada "
                        "tarifa de la comparación, pero no para el importe con sus propias tarifas";
}

std::vector<Candidata> CostearCandidatas(const cLlamada& m, const Preparacion& p,
                                         const std::vector<LlamadaGuardada>& llamadas,
                                         std::FILE* avance) {
    std::vector<std::int16_t> tarifas;
    for (std::int16_t i = 0; i < m.Count(); ++i)
        // Costing by name finds the first tariff of a name: a later one of the same name
        // is never charged.
        if ((i == 0 || i >= cLlamada::kTarifasDelPrograma) && m.Find(NombreDeTarifa(m, i)) == i)
            tarifas.push_back(i);
    std::vector<Candidata> r;
    for (std::size_t k = 0; k < tarifas.size(); ++k) {
        Candidata c;
        c.tarifa = Cp1252AUtf8(NombreDeTarifa(m, tarifas[k]));
        c.celda = CeldaTarifa(NombreDeTarifa(m, tarifas[k]));
        if (avance) {
            std::fprintf(avance, "\rtarificador: costeando con %s (%zu de %zu)\033[K",
                         CitarCorto(c.tarifa).c_str(), k + 1, tarifas.size());
            std::fflush(avance);
        }
        CostearCandidata(m, tarifas[k], p, llamadas, c);
        r.push_back(std::move(c));
    }
    if (avance) std::fputs("\r\033[K", avance);
    std::stable_sort(r.begin(), r.end(),
                     [](const Candidata& a, const Candidata& b) { return a.importe < b.importe; });
    return r;
}

int Comparar(const OpcionesCosteo& o, std::FILE* entrada, std::FILE* salida, std::FILE* errores) {
    CatalogoExistente(o.catalogo);
    cLlamada m(o.catalogo);
    Preparacion p = PrepararCosteo(m, o);
    GuardarLlamadas guardadas;
    const TotalesRecorrido propio =
        Recorrer(m, o, p.nombres, entrada, errores, guardadas, p.destinos.get());
    const auto candidatas = CostearCandidatas(m, p, guardadas.Llamadas(),
                                              ::isatty(::fileno(errores)) ? errores : nullptr);
    for (const Candidata& c : candidatas)
        if (c.fallo)
            std::fprintf(errores, "tarificador: la tarifa %s queda fuera: %s\n",
                         CitarCorto(c.tarifa).c_str(), c.fallo->c_str());
    Emitir(salida, EscribirCandidatas(candidatas, propio.importe, o.json));
    Descargar(salida);
    const int estado = Resumir(propio, errores);
    if (guardadas.SinTarifa())
        std::fprintf(errores, "tarificador: %s\n", LineasSinTarifa(guardadas.SinTarifa()).c_str());
    return estado;
}

}  // namespace quelmar::herramientas
