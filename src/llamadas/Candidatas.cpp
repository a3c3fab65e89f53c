#include "llamadas/Candidatas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "costing/cCosteo.h"
#include "llamadas/Costeo.h"
#include "llamadas/Csv.h"
#include "llamadas/Instantes.h"
#include "llamadas/Textos.h"
#include "runtime/CodePage.h"

namespace quelmar::llamadas {

namespace {

// Adds up where each second of a call went.
class Minutos : public ObservadorTramos {
  public:
    explicit Minutos(Candidata& c) : m_C(c) {}
    // Whether the call being costed counts (one outside the period does not).
    bool cuenta = true;
    void Tramo(const cTramo& t) override {
        if (!cuenta || t.clase == cTramo::Clase::EntrePeriodos) return;
        const Reparto r = RepartoDe(t);
        (r == kBono ? m_C.bono : r == kNormal ? m_C.normal : m_C.reducida) += t.segundos;
    }

  private:
    Candidata& m_C;
};

}  // namespace

double Centimos(double x) {
    return std::round(x * 100.0) / 100.0 + 0.0;
}

double DiferenciaCandidata(double importe, double propio) {
    return Centimos(Centimos(importe) - Centimos(propio));
}

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
    // A candidate stops at its first call the engine cannot cost: no registry to keep.
    Costeador costeo{false};
    std::int16_t tarifa;
};

// Calls costed a block at a time: few enough to keep memory flat, enough that a block
// outweighs starting its threads.
constexpr std::size_t kBloque = 8192;

CosteoCandidatas::CosteoCandidatas(const Sesion& s, unsigned hilos) : m_Catalogo(s.Catalogo()) {
    const cLlamada& m = s.Catalogo();
    for (std::int16_t i = 0; i < m.Count(); ++i)
        // Costing by name finds the first tariff of a name: a later one of the same name
        // is never charged.
        if ((i == 0 || i >= cLlamada::kTarifasDelPrograma) && m.Find(NombreDeTarifa(m, i)) == i) {
            auto e = std::make_unique<Estado>();
            e->c.tarifa = Cp1252AUtf8(NombreDeTarifa(m, i));
            e->c.celda = CeldaTarifa(NombreDeTarifa(m, i));
            e->tarifa = i;
            s.Preparar(e->costeo.Motor());
            e->costeo.Motor().Observador(&e->minutos);
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
                e.minutos.cuenta = l.cuenta;
                if (const auto fallo =
                        e.costeo.Costear(m_Catalogo, e.tarifa, l.ini, l.fin, l.segundos)) {
                    e.c.fallo = "el motor no pudo costear la llamada que empieza " +
                                TextoInstante(l.ini) + ": " + fallo->mensaje;
                    break;
                }
            } catch (...) {
                m_Fallos[primera] = std::current_exception();
                return;
            }
            if (!l.cuenta) continue;
            e.c.importe += e.costeo.Motor().importe();
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

}  // namespace quelmar::llamadas
