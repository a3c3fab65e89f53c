// The command line's run under the window's interface, until the run is a library of its
// own: the same reading, costing and candidates as costear and comparar, the rows kept.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <utility>
#include <vector>

#include "costes/Csv.h"
#include "costes/Motor.h"
#include "costing/cLlamada.h"
#include "runtime/OleDate.h"
#include "tools/Comparar.h"
#include "tools/Comun.h"
#include "tools/Costear.h"
#include "tools/Formato.h"
#include "tools/Informe.h"
#include "tools/Instantes.h"
#include "tools/Recorrido.h"

namespace quelmar::costes {

namespace h = herramientas;

namespace {

struct Cerrar {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using Fichero = std::unique_ptr<std::FILE, Cerrar>;

Fichero Abrir(const std::filesystem::path& ruta) {
    Fichero f(std::fopen(ruta.c_str(), "rb"));
    if (!f) throw ErrorCostes(h::NoSePuedeAbrir(ruta, errno));
    return f;
}

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

h::OpcionesCosteo Opciones(const Pedido& p) {
    const OpcionesCostes& o = p.opciones;
    h::OpcionesCosteo r;
    r.catalogo = o.catalogo.empty() ? FicherosUtil::CarpetaCatalogo() : o.catalogo;
    if (!o.tarifa.empty()) r.tarifa = o.tarifa;
    if (!o.festivos.empty()) r.festivos = o.festivos;
    if (!o.bonos.empty()) r.bonos = o.bonos;
    if (!o.destinos.empty()) r.destinos = o.destinos;
    if (o.formato == "asterisk") r.formato = h::FormatoLlamadas::Asterisk;
    r.llamadas = p.fichero;
    return r;
}

// Runs `hacer`, the command line's errors in the words it writes them.
template <class F>
auto Traducir(F&& hacer) -> decltype(hacer()) {
    try {
        return hacer();
    } catch (const Cancelado&) {
        throw;
    } catch (const ErrorCostes&) {
        throw;
    } catch (const h::ErrorUso& e) {
        throw ErrorCostes(e.what());
    } catch (const std::exception& e) {
        throw ErrorCostes(h::MensajeEngine(e));
    }
}

// The bono seconds of the call being costed, by group, from its stretches.
class BonoGastado final : public ObservadorTramos {
  public:
    void Tramo(const cTramo& t) override {
        if (t.bono && t.clase != cTramo::Clase::EntrePeriodos)
            segundos[t.grupo == 0 ? 0 : 1] += t.segundos;
    }
    std::int32_t segundos[2] = {0, 0};
};

// Keeps every call as a small row and what the candidates need of it.
class Recogida final : public h::DestinoLlamadas {
  public:
    Recogida(Resultado& r, std::string lugar, std::FILE* entrada, Progreso& progreso,
             BonoGastado& gastado)
        : m_R(r),
          m_Lugar(std::move(lugar)),
          m_Entrada(entrada),
          m_Progreso(progreso),
          m_Gastado(gastado) {
        Interno("");
        struct stat st {};
        if (::fstat(::fileno(entrada), &st) == 0 && S_ISREG(st.st_mode))
            m_Total = static_cast<std::uint64_t>(st.st_size);
    }

    void Costeada(const h::Llamada& l, const cCosteo& m, const cBono&) override {
        FilaLlamada f{};
        f.ini = l.ini;
        f.fin = l.fin;
        f.cobrado = l.cobrado ? *l.cobrado : std::numeric_limits<double>::quiet_NaN();
        f.gastadoDia = m_Gastado.segundos[0];
        f.gastadoNoche = m_Gastado.segundos[1];
        m_Gastado = {};
        f.importe = m.importe();
        f.segundos = static_cast<std::int32_t>(l.segundos);
        f.bonoDia = m.Bono().SegundosGrupo(0);
        f.bonoNoche = m.Bono().SegundosGrupo(1);
        f.tarifa = Interno(l.tarifa->utf8);
        f.numero = Interno(l.numero);
        f.origen = Interno(l.origen);
        f.cuenta = Interno(l.cuenta);
        f.tipo = m.Tipo();
        f.tipoActual = m.TipoActual();
        f.bonoNet = m.BonoNet();
        f.bonoNetActual = m.BonoNetActual();
        Avanzar();
        m_R.todas.push_back(f);
        m_R.columnaCobrado = m_R.columnaCobrado || l.columnaCobrado;
    }
    void SinTarifa(const h::Llamada& l) override {
        m_Gastado = {};
        Avanzar();
        sinTarifa.push_back({m_R.todas.size(), {l.ini, l.fin, l.segundos}});
    }
    void Mala(std::size_t linea, const std::string& motivo) override {
        m_Gastado = {};  // a call the engine failed on told its stretches all the same
        Avanzar();
        m_R.avisos.push_back({m_Lugar + ":" + std::to_string(linea), motivo});
    }

    // The calls whose tariff the catalogue lacks, which the candidates cost all the same,
    // each with the number of rows before it; the others are the rows themselves.
    std::vector<std::pair<std::size_t, h::LlamadaCandidata>> sinTarifa;

    void Final() { m_Progreso.Avance(m_Total, m_Total); }

  private:
    // Every few records: how far the reading is (the file's offset), and whether to stop.
    void Avanzar() {
        if (++m_Cuenta % 1024 != 0) return;
        if (m_Progreso.Cancelar()) throw Cancelado();
        const auto donde = ::lseek(::fileno(m_Entrada), 0, SEEK_CUR);
        if (donde >= 0) m_Progreso.Avance(static_cast<std::uint64_t>(donde), m_Total);
    }

    std::uint32_t Interno(std::string_view s) {
        const auto i = m_Indices.find(std::string(s));
        if (i != m_Indices.end()) return i->second;
        const auto n = static_cast<std::uint32_t>(m_R.textos.size());
        m_R.textos.emplace_back(s);
        m_Indices.emplace(std::string(s), n);
        return n;
    }

    Resultado& m_R;
    std::string m_Lugar;
    std::unordered_map<std::string, std::uint32_t> m_Indices;
    std::FILE* m_Entrada;
    Progreso& m_Progreso;
    BonoGastado& m_Gastado;
    std::uint64_t m_Total = 0, m_Cuenta = 0;
};

// The warnings the run wrote ("lugar: aviso: ..."), beside the bad records.
void AnadirAvisos(Resultado& r, const std::string& errores) {
    std::string_view resto = errores;
    while (!resto.empty()) {
        const auto fin = resto.find('\n');
        const std::string_view linea = resto.substr(0, fin);
        resto = fin == std::string_view::npos ? std::string_view{} : resto.substr(fin + 1);
        const auto marca = linea.find(": aviso: ");
        if (marca != std::string_view::npos)
            r.avisos.push_back(
                {std::string(linea.substr(0, marca)), std::string(linea.substr(marca + 2))});
    }
}

void Meses(Resultado& r) {
    std::vector<std::pair<int, unsigned>> meses;
    for (const FilaLlamada& f : r.todas) {
        const fecha::Partes p = fecha::Descomponer(f.ini);
        meses.emplace_back(p.anio, static_cast<unsigned>(p.mes));
    }
    std::sort(meses.begin(), meses.end());
    meses.erase(std::unique(meses.begin(), meses.end()), meses.end());
    r.meses = std::move(meses);
}

class MotorTarificador final : public MotorCostes {
  public:
    Resultado Costear(const Pedido& p, Progreso& progreso) override {
        return Traducir([&] { return Correr(p, progreso); });
    }

    std::string Csv(const Pedido& p) override {
        return Traducir([&] {
            const h::OpcionesCosteo o = Opciones(p);
            Fichero entrada = Abrir(p.fichero);
            Memoria salida, errores;
            h::Costear(o, entrada.get(), salida.f(), errores.f());
            return RecortarCsv(salida.Texto(), p.periodo);
        });
    }

    void Informe(const Pedido& p, const std::filesystem::path& destino) override {
        Traducir([&] {
            Fichero entrada = Abrir(p.fichero);
            Memoria errores;
            h::Informe({Opciones(p), destino}, entrada.get(), errores.f());
        });
    }

  private:
    static Resultado Correr(const Pedido& p, Progreso& progreso) {
        const h::OpcionesCosteo o = Opciones(p);
        h::CatalogoExistente(o.catalogo);
        cLlamada m(o.catalogo);
        h::Preparacion prep = h::PrepararCosteo(m, o);
        Resultado r;
        r.bonosIniciales = prep.inicial;
        Fichero entrada = Abrir(p.fichero);
        BonoGastado gastado;
        Recogida recogida(r, p.fichero.string(), entrada.get(), progreso, gastado);
        cCosteo motor;
        h::PrepararMotor(motor, prep);
        motor.Observador(&gastado);
        Memoria errores;
        const h::TotalesRecorrido t = h::Recorrer(m, motor, o, prep.nombres, entrada.get(),
                                                  errores.f(), recogida, prep.destinos.get());
        recogida.Final();
        r.todas.shrink_to_fit();
        r.bonosFinales = motor.Bono();
        r.apartados.malas = t.malas;
        r.apartados.sinCostear = t.sinCostear;
        r.apartados.desacuerdos = t.desacuerdos;
        AnadirAvisos(r, errores.Texto());
        std::stable_sort(r.avisos.begin(), r.avisos.end(), [](const Aviso& a, const Aviso& b) {
            return Linea(a.lugar) < Linea(b.lugar);
        });
        if (!p.opciones.troncales.empty() || !p.opciones.contextos.empty() || p.opciones.utc)
            r.avisos.insert(r.avisos.begin(),
                            {"",
                             "las opciones de troncal, contexto y UTC aún no cambian el "
                             "costeo de esta versión"});
        Meses(r);
        Recortar(r, p.periodo);

        // The candidates, for the calls looked at only.
        h::CosteoCandidatas candidatas(m, prep, h::HilosCandidatas());
        auto anadir = [&](const h::LlamadaCandidata& l) {
            if (!r.intervalo || r.intervalo->Contiene(l.ini)) candidatas.Anadir(l);
        };
        auto sin = recogida.sinTarifa.begin();
        for (std::size_t i = 0; i <= r.todas.size(); ++i) {
            for (; sin != recogida.sinTarifa.end() && sin->first == i; ++sin) anadir(sin->second);
            if (i < r.todas.size()) anadir({r.todas[i].ini, r.todas[i].fin, r.todas[i].segundos});
        }
        for (h::Candidata& c : candidatas.Terminar())
            r.ranking.push_back({std::move(c.tarifa), c.importe, c.segundos, c.normal, c.reducida,
                                 c.bono, std::move(c.fallo)});
        return r;
    }

    static std::size_t Linea(const std::string& lugar) {
        const auto dos = lugar.rfind(':');
        return dos == std::string::npos ? 0 : std::strtoull(lugar.c_str() + dos + 1, nullptr, 10);
    }
};

}  // namespace

std::unique_ptr<MotorCostes> MotorDeTarificador() {
    return std::make_unique<MotorTarificador>();
}

std::string ImporteLegible(double importe) {
    return h::NumeroLocal(importe, 2, h::FormatoDelEntorno());
}

std::string DuracionLegible(std::int64_t segundos) {
    return h::TextoDuracion(segundos);
}

void EscribirFichero(const std::filesystem::path& ruta, const std::string& contenido) {
    Traducir([&] { h::EscribirSalida(ruta, contenido); });
}

}  // namespace quelmar::costes
