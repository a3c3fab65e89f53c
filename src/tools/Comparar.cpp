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

// A candidate and the costing state it carries from call to call.
struct CosteoCandidatas::Estado {
    Candidata c;
    Minutos minutos{c};
    cCosteo costeo;
    std::int16_t tarifa;
    std::optional<double> finAnterior;
};

// Calls costed a block at a time: few enough to keep memory flat, enough that a block
// outweighs starting its threads.
constexpr std::size_t kBloque = 8192;

CosteoCandidatas::CosteoCandidatas(const cLlamada& m, const Preparacion& p, unsigned hilos)
    : m_Catalogo(m) {
    for (std::int16_t i = 0; i < m.Count(); ++i)
        // Costing by name finds the first tariff of a name: a later one of the same name
        // is never charged.
        if ((i == 0 || i >= cLlamada::kTarifasDelPrograma) && m.Find(NombreDeTarifa(m, i)) == i) {
            auto e = std::make_unique<Estado>();
            e->c.tarifa = Cp1252AUtf8(NombreDeTarifa(m, i));
            e->c.celda = CeldaTarifa(NombreDeTarifa(m, i));
            e->tarifa = i;
            PrepararMotor(e->costeo, p);
            e->costeo.Observador(&e->minutos);
            m_Estados.push_back(std::move(e));
        }
    m_Hilos = static_cast<unsigned>(
        std::clamp<std::size_t>(hilos, 1, std::max<std::size_t>(1, m_Estados.size())));
    m_Leyendo.reserve(kBloque);
    m_Costeando.reserve(kBloque);
}

CosteoCandidatas::~CosteoCandidatas() {
    for (std::thread& t : m_Trabajo) t.join();
}

void CosteoCandidatas::Anadir(const LlamadaCandidata& l) {
    m_Leyendo.push_back(l);
    if (m_Leyendo.size() < kBloque) return;
    Esperar();
    std::swap(m_Leyendo, m_Costeando);
    m_Leyendo.clear();
    Lanzar();
}

// The candidates primera, primera + cada, ... over the block being costed, each from where
// its last block left it.
void CosteoCandidatas::Costear(std::size_t primera, std::size_t cada) noexcept {
    for (std::size_t k = primera; k < m_Estados.size(); k += cada) {
        Estado& e = *m_Estados[k];
        for (const LlamadaCandidata& l : m_Costeando) {
            if (e.c.fallo) break;
            try {
                LlevarRegistro(e.costeo.Bono(), e.finAnterior, l.ini);
                e.costeo.Datos(m_Catalogo, e.tarifa, l.ini, l.fin, &e.costeo.Bono());
            } catch (const std::exception& ex) {
                try {
                    e.c.fallo = "el motor no pudo costear la llamada que empieza " +
                                TextoInstante(l.ini) + ": " + MensajeEngine(ex);
                } catch (...) {
                    m_Fallos[primera] = std::current_exception();
                    return;
                }
                break;
            }
            e.finAnterior = l.fin;
            e.c.importe += e.costeo.importe();
            e.c.segundos += l.segundos;
            ++e.c.llamadas;
        }
    }
}

// The block read so far costed: on the caller's thread with one thread, else spread over
// threads of its own while the caller reads on.
void CosteoCandidatas::Lanzar() {
    if (m_Costeando.empty()) return;
    m_Fallos.assign(m_Hilos, nullptr);
    if (m_Hilos == 1) {
        Costear(0, 1);
        Esperar();
        return;
    }
    for (unsigned h = 0; h < m_Hilos; ++h)
        m_Trabajo.emplace_back([this, h] { Costear(h, m_Hilos); });
}

void CosteoCandidatas::Esperar() {
    for (std::thread& t : m_Trabajo) t.join();
    m_Trabajo.clear();
    for (const auto& f : m_Fallos)
        if (f) std::rethrow_exception(f);
    m_Fallos.clear();
}

std::vector<Candidata> CosteoCandidatas::Terminar() {
    Esperar();
    std::swap(m_Leyendo, m_Costeando);
    m_Leyendo.clear();
    Lanzar();
    Esperar();
    std::vector<Candidata> r;
    for (auto& e : m_Estados) r.push_back(std::move(e->c));
    std::stable_sort(r.begin(), r.end(),
                     [](const Candidata& a, const Candidata& b) { return a.importe < b.importe; });
    return r;
}

unsigned HilosCandidatas() {
    if (const char* v = std::getenv("TARIFICADOR_HILOS")) {
        char* fin = nullptr;
        const long n = std::strtol(v, &fin, 10);
        if (fin != v && *fin == '\0' && n >= 1 && n <= 256) return static_cast<unsigned>(n);
    }
    return std::max(1U, std::thread::hardware_concurrency());
}

int Comparar(const OpcionesCosteo& o, std::FILE* entrada, std::FILE* salida, std::FILE* errores) {
    CatalogoExistente(o.catalogo);
    cLlamada m(o.catalogo);
    Preparacion p = PrepararCosteo(m, o);
    cCosteo motor;
    PrepararMotor(motor, p);
    // Every candidate is costed in the same pass as the log's own tariffs.
    CosteoCandidatas candidatas(m, p, HilosCandidatas());
    CompararLlamadas destino(candidatas);
    const TotalesRecorrido propio =
        Recorrer(m, motor, o, std::move(p.nombres), entrada, errores, destino, p.destinos.get());
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
