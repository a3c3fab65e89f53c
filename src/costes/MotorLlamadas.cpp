// The window's run on the library of the run over call records: one session, the rows
// kept, the candidates fed from them. The CSV and the report are the command line's own
// writers, so that what the window exports is what tarificador writes.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "costes/Csv.h"
#include "costes/Motor.h"
#include "llamadas/Candidatas.h"
#include "llamadas/Diagnosticos.h"
#include "llamadas/Entrada.h"
#include "llamadas/Error.h"
#include "llamadas/Instantes.h"
#include "llamadas/Llamada.h"
#include "llamadas/Sesion.h"
#include "llamadas/Textos.h"
#include "llamadas/formatos/Lector.h"
#include "runtime/OleDate.h"
#include "tools/Bonos.h"
#include "tools/Comun.h"
#include "tools/Consola.h"
#include "tools/Costear.h"
#include "tools/Formato.h"
#include "tools/Informe.h"

namespace quelmar::costes {

namespace h = herramientas;
namespace ll = llamadas;

namespace {

// A stream into memory: what the command line writes on its standard streams.
class Memoria {
  public:
    Memoria() : m_F(open_memstream(&m_Datos, &m_Tamano)) {}
    ~Memoria() {
        if (m_F) std::fclose(m_F);
        std::free(m_Datos);
    }
    Memoria(const Memoria&) = delete;
    Memoria& operator=(const Memoria&) = delete;
    std::FILE* f() const { return m_F; }
    std::string Texto() {
        std::fflush(m_F);
        return std::string(m_Datos, m_Tamano);
    }

  private:
    char* m_Datos = nullptr;
    std::size_t m_Tamano = 0;
    std::FILE* m_F;
};

struct Cerrar {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using Fichero = std::unique_ptr<std::FILE, Cerrar>;

Fichero Abrir(const std::filesystem::path& ruta) {
    Fichero f(std::fopen(ruta.c_str(), "rb"));
    if (!f) throw ErrorCostes(ll::NoSePuedeAbrir(ruta, errno));
    return f;
}

// The layout asked for, or the one the file's first bytes are recognised as (the plain
// log when none recognises them).
std::string FormatoDe(const Pedido& p) {
    if (!p.opciones.formato.empty()) return p.opciones.formato;
    std::string principio(1 << 14, '\0');
    if (Fichero f{std::fopen(p.fichero.c_str(), "rb")})
        principio.resize(std::fread(principio.data(), 1, principio.size(), f.get()));
    const auto formatos = ll::Formatos();
    for (std::size_t i = 1; i < formatos.size(); ++i)
        if (formatos[i].reconoce(principio)) return std::string(formatos[i].nombre);
    return std::string(formatos.front().nombre);
}

// The same options as tarificador's, for its own writers.
h::OpcionesCosteo OpcionesDeCosteo(const Pedido& p) {
    const OpcionesCostes& o = p.opciones;
    h::OpcionesCosteo r;
    r.catalogo = o.catalogo.empty() ? FicherosUtil::CarpetaCatalogo() : o.catalogo;
    if (!o.tarifa.empty()) r.tarifa = o.tarifa;
    if (!o.festivos.empty()) r.festivos = o.festivos;
    if (!o.bonos.empty()) r.bonos = o.bonos;
    if (!o.destinos.empty()) r.destinos = o.destinos;
    r.formato = FormatoDe(p);
    r.troncales = o.troncales;
    r.contextos = o.contextos;
    r.utc = o.utc;
    r.llamadas = p.fichero;
    return r;
}

// Runs `hacer`, the library's and the engine's errors in the words they carry.
template <class F>
auto Traducir(F&& hacer) -> decltype(hacer()) {
    try {
        return hacer();
    } catch (const Cancelado&) {
        throw;
    } catch (const ErrorCostes&) {
        throw;
    } catch (const ll::Error& e) {
        throw ErrorCostes(e.what());
    } catch (const std::exception& e) {
        throw ErrorCostes(ll::MensajeEngine(e));
    }
}

// What the run tells: every bad record and warning listed whole, the progress passed on.
class Lista final : public ll::Diagnosticos {
  public:
    Lista(std::vector<costes::Aviso>& avisos, costes::Progreso& progreso)
        : m_Avisos(avisos), m_Progreso(progreso) {}
    void Mala(const ll::Lugar& l, const std::string& motivo) override { Anotar(l, motivo); }
    void Aviso(const ll::Lugar& l, const std::string& texto, ll::TipoAviso) override {
        Anotar(l, "aviso: " + texto);
    }
    bool Progreso(std::size_t, std::uint64_t leidos, std::uint64_t total) override {
        m_Progreso.Avance(leidos, total);
        return !m_Progreso.Cancelar();
    }

  private:
    void Anotar(const ll::Lugar& l, const std::string& texto) {
        m_Avisos.push_back({l.fichero.empty() ? std::string()
                            : l.linea         ? l.fichero + ":" + std::to_string(l.linea)
                                              : l.fichero,
                            texto});
    }
    std::vector<costes::Aviso>& m_Avisos;
    costes::Progreso& m_Progreso;
};

// The bono seconds of the call being costed, by group, from its stretches.
class BonoGastado final : public ObservadorTramos {
  public:
    void Tramo(const cTramo& t) override {
        if (t.bono && t.clase != cTramo::Clase::EntrePeriodos)
            segundos[t.grupo == 0 ? 0 : 1] += t.segundos;
    }
    std::int32_t segundos[2] = {0, 0};
};

// Keeps every call as a small row, and where the calls whose tariff the catalogue lacks
// fall among them (the candidates cost those too).
class Recogida final : public ll::DestinoLlamadas {
  public:
    explicit Recogida(Resultado& r) : m_R(r) { Interno(""); }

    void Costeada(const ll::Llamada& l, const cCosteo& m, const cBono&) override {
        FilaLlamada f{};
        f.ini = l.ini;
        f.fin = l.fin;
        f.cobrado = l.cobrado ? *l.cobrado : std::numeric_limits<double>::quiet_NaN();
        f.importe = m.importe();
        f.segundos = static_cast<std::int32_t>(l.segundos);
        f.bonoDia = m.Bono().SegundosGrupo(0);
        f.bonoNoche = m.Bono().SegundosGrupo(1);
        f.gastadoDia = m_Gastado.segundos[0];
        f.gastadoNoche = m_Gastado.segundos[1];
        m_Gastado = {};
        f.tarifa = Interno(l.tarifa->utf8);
        f.numero = Interno(l.numero);
        f.origen = Interno(l.origen);
        f.cuenta = Interno(l.cuenta);
        f.tipo = m.Tipo();
        f.tipoActual = m.TipoActual();
        f.bonoNet = m.BonoNet();
        f.bonoNetActual = m.BonoNetActual();
        m_R.todas.push_back(f);
        m_R.columnaCobrado = m_R.columnaCobrado || l.columnaCobrado;
    }
    void SinTarifa(const ll::Llamada& l) override {
        m_Gastado = {};
        sinTarifa.push_back({m_R.todas.size(), {l.ini, l.fin, l.segundos}});
    }
    // A call the engine failed on told its stretches all the same.
    void Mala(std::size_t, const std::string&) override { m_Gastado = {}; }
    ObservadorTramos* Observador() override { return &m_Gastado; }

    std::vector<std::pair<std::size_t, ll::LlamadaCandidata>> sinTarifa;

  private:
    std::uint32_t Interno(std::string_view s) {
        const auto i = m_Indices.find(std::string(s));
        if (i != m_Indices.end()) return i->second;
        const auto n = static_cast<std::uint32_t>(m_R.textos.size());
        m_R.textos.emplace_back(s);
        m_Indices.emplace(std::string(s), n);
        return n;
    }

    Resultado& m_R;
    std::unordered_map<std::string, std::uint32_t> m_Indices;
    BonoGastado m_Gastado;
};

void Meses(Resultado& r) {
    std::vector<std::pair<int, unsigned>> meses;
    for (const FilaLlamada& f : r.todas) {
        const fecha::Partes p = fecha::Descomponer(f.ini);
        if (meses.empty() || meses.back() != std::pair(p.anio, static_cast<unsigned>(p.mes)))
            meses.emplace_back(p.anio, static_cast<unsigned>(p.mes));
    }
    std::sort(meses.begin(), meses.end());
    meses.erase(std::unique(meses.begin(), meses.end()), meses.end());
    r.meses = std::move(meses);
}

class MotorLlamadas final : public MotorCostes {
  public:
    Resultado Costear(const Pedido& p, Progreso& progreso) override {
        return Traducir([&] { return Correr(p, progreso); });
    }

    std::string Csv(const Pedido& p) override {
        return Traducir([&] {
            Fichero entrada = Abrir(p.fichero);
            Memoria salida, errores;
            h::Costear(OpcionesDeCosteo(p), entrada.get(), salida.f(), errores.f());
            return RecortarCsv(salida.Texto(), p.periodo);
        });
    }

    void Informe(const Pedido& p, const std::optional<Intervalo>& periodo,
                 const std::filesystem::path& destino) override {
        Traducir([&] {
            Fichero entrada = Abrir(p.fichero);
            Memoria errores;
            h::OpcionesCosteo o = OpcionesDeCosteo(p);
            if (periodo) o.desde = periodo->desde, o.hasta = periodo->hasta;
            h::Informe({std::move(o), destino}, entrada.get(), errores.f());
        });
    }

  private:
    static Resultado Correr(const Pedido& p, Progreso& progreso) {
        const h::OpcionesCosteo o = OpcionesDeCosteo(p);
        Resultado r;
        Lista lista(r.avisos, progreso);
        ll::CatalogoExistente(o.catalogo);
        ll::Sesion sesion(h::OpcionesDeSesion(o), lista);
        r.bonosIniciales = sesion.Inicial();
        Recogida recogida(r);
        ll::EntradaFichero entrada(p.fichero);
        const ll::Totales t =
            sesion.Recorrer(entrada, {ll::Citar(p.fichero.string()), p.fichero.string()}, recogida);
        if (t.cancelado || progreso.Cancelar()) throw Cancelado();
        progreso.Avance(entrada.Tamano(), entrada.Tamano());
        r.todas.shrink_to_fit();
        r.bonosFinales = sesion.Motor().Bono();
        r.apartados.malas = t.malas;
        r.apartados.porQue = t.apartados;
        r.apartados.notas = t.notas;
        // What the trunk tells apart, and numbers no prefix covers, counted with the rest.
        for (const auto& [porQue, cuantos] :
             {std::pair<const char*, std::size_t>{"entrantes", t.entrantes},
              {"internas", t.internas},
              {"sin prefijo de destino", t.sinPrefijo},
              {"de otros contextos", t.otrosContextos}})
            if (cuantos) r.apartados.porQue.emplace_back(porQue, cuantos);
        Meses(r);
        Recortar(r, p.periodo);

        // The candidates, for the calls looked at only, in the file's order.
        ll::CosteoCandidatas candidatas(sesion, ll::HilosCandidatas());
        auto anadir = [&](const ll::LlamadaCandidata& l) {
            if (!r.intervalo || r.intervalo->Contiene(l.ini)) candidatas.Anadir(l);
        };
        auto sin = recogida.sinTarifa.begin();
        for (std::size_t i = 0; i <= r.todas.size(); ++i) {
            // Costing every candidate takes a while too: a new run need not wait for it.
            if (i % 4096 == 0 && progreso.Cancelar()) throw Cancelado();
            for (; sin != recogida.sinTarifa.end() && sin->first == i; ++sin) anadir(sin->second);
            if (i < r.todas.size()) anadir({r.todas[i].ini, r.todas[i].fin, r.todas[i].segundos});
        }
        for (ll::Candidata& c : candidatas.Terminar())
            r.ranking.push_back({std::move(c.tarifa), c.importe, c.segundos, c.normal, c.reducida,
                                 c.bono, std::move(c.fallo)});
        return r;
    }
};

}  // namespace

std::unique_ptr<MotorCostes> MotorDeLlamadas() {
    return std::make_unique<MotorLlamadas>();
}

std::vector<std::pair<std::string, std::string>> Formatos() {
    std::vector<std::pair<std::string, std::string>> r;
    for (const ll::FormatoRegistro& f : ll::Formatos())
        r.emplace_back(std::string(f.nombre), std::string(f.descripcion));
    return r;
}

std::string ImporteLegible(double importe) {
    return h::NumeroLocal(importe, 2, h::FormatoDelEntorno());
}

std::string DuracionLegible(std::int64_t segundos) {
    return ll::TextoDuracion(segundos);
}

void EscribirFichero(const std::filesystem::path& ruta, const std::string& contenido) {
    Traducir([&] { h::EscribirSalida(ruta, contenido); });
}

}  // namespace quelmar::costes
