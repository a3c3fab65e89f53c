#include "bono/cBono.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <utility>

#include "runtime/OleDate.h"
#include "runtime/RuntimeError.h"

namespace quelmar {

namespace {

constexpr const auto& kNombres = cBono::kNombresTipo;
constexpr std::array<std::int16_t, 4> kGrupos{0, 0, 1, 1};
constexpr std::string_view kDiezHoras = "10:00:00";
constexpr std::string_view kCincuentaHoras = "50:00:00";
constexpr std::int32_t kSegundosDiez = 10 * 3600;
constexpr std::int32_t kSegundosCincuenta = 50 * 3600;

// Before 1899-12-30 the time is a positive fraction below a negative day (-1.25 is
// 29 Dec 06:00, later than -1.0); this maps dates onto one increasing line.
double EnLinea(double d) {
    const double dia = std::trunc(d);
    return dia + std::fabs(d - dia);
}
bool Antes(double a, double b) {
    return EnLinea(a) < EnLinea(b);
}

// The capacities as time values, parsed once (Restar and Reset assign them often).
const cTiempo& TiempoDe(std::string_view capacidad) {
    static const cTiempo diez = [] {
        cTiempo t;
        t.Valor(kDiezHoras);
        return t;
    }();
    static const cTiempo cincuenta = [] {
        cTiempo t;
        t.Valor(kCincuentaHoras);
        return t;
    }();
    static const cTiempo cero;
    if (capacidad == kDiezHoras) return diez;
    if (capacidad == kCincuentaHoras) return cincuenta;
    return cero;
}

// Kind index of a name after stripping spaces, or -1 for none of the four.
int Clase(const TextoFijo<8>& nombre) {
    const std::string_view n =
        RecortarEspacios(std::string_view(nombre.Bytes().data(), nombre.Bytes().size()));
    for (std::size_t k = 0; k < kNombres.size(); ++k)
        if (n == kNombres[k]) return static_cast<int>(k);
    return -1;
}

}  // namespace

cBono::cBono(Reloj reloj) : m_Bonos(1), m_Reloj(std::move(reloj)) {}

const tBono& cBono::Bono(std::int16_t Index) const {
    if (Index < 0 || static_cast<std::size_t>(Index) > Bonos())
        Lanzar(kFueraDeRango, "no hay bono en la posición " + std::to_string(Index));
    return m_Bonos[static_cast<std::size_t>(Index)];
}

tBono& cBono::Bono(std::int16_t Index) {
    return const_cast<tBono&>(std::as_const(*this).Bono(Index));
}

std::int16_t cBono::TipoDe(std::size_t i) const {
    const int k = Clase(m_Bonos[i].sNombre);
    return static_cast<std::int16_t>(k < 0 ? 0 : k);
}

std::int16_t cBono::GrupoDe(std::size_t i) const {
    const int k = Clase(m_Bonos[i].sNombre);
    return k < 0 ? std::int16_t{0} : kGrupos[static_cast<std::size_t>(k)];
}

std::string_view cBono::Capacidad(std::size_t i) const {
    const auto& b = m_Bonos[i].sNombre.Bytes();
    if (b[0] == '1' && b[1] == '0') return kDiezHoras;
    if (b[0] == '5' && b[1] == '0') return kCincuentaHoras;
    return {};
}

void cBono::DarAlta(std::int16_t Tipo, const std::optional<Variant>& fecha) {
    // Everything that can fail comes before the registry grows.
    if (Bonos() + 1 > static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max()))
        Lanzar(kDesbordamiento, "más de 32767 bonos");
    const double alta = fecha ? CDate(*fecha) : fecha::Validar(m_Reloj());

    m_Bonos.emplace_back();
    const std::size_t i = Bonos() - 1;
    tBono& b = m_Bonos[i];
    if (Tipo >= 0 && Tipo < static_cast<std::int16_t>(kNombres.size()))
        b.sNombre.Asignar(kNombres[static_cast<std::size_t>(Tipo)]);
    b.dAlta = alta;
    b.vBaja = Variant(std::int16_t{-1});
    b.vBajaPer = Variant(std::int16_t{-1});
    b.oTiempo = TiempoDe(Capacidad(i));
}

void cBono::Quitar(std::int16_t i) {
    if (i < 0 || Bonos() == 0) Lanzar(kFueraDeRango, "no hay bono que quitar");
    const std::size_t pos = std::min(static_cast<std::size_t>(i), Bonos() - 1);
    m_Bonos.erase(m_Bonos.begin() + static_cast<std::ptrdiff_t>(pos));
    m_Bonos.back() = tBono{};  // the spare slot comes out blank
}

void cBono::Limpiar(const std::optional<Variant>& Index) {
    if (Index) {
        Quitar(CInt(*Index));
        return;
    }
    // Restart from the front after each removal, as positions shift down.
    for (bool quitado = true; quitado;) {
        quitado = false;
        for (std::size_t i = 0; i < Bonos(); ++i) {
            const tBono& b = m_Bonos[i];
            if (!IsDate(b.vBaja) || !b.vBajaPer.EsFecha()) continue;
            if (Antes(b.vBajaPer.fecha(), m_Reloj())) {
                Quitar(static_cast<std::int16_t>(i));
                quitado = true;
                break;
            }
        }
    }
}

double cBono::Alta(std::int16_t Index) const {
    return Bono(Index).dAlta;
}

void cBono::Alta(std::int16_t Index, double d) {
    tBono& b = Bono(Index);
    b.dAlta = fecha::Validar(d);
}

Variant cBono::Baja(std::int16_t Index) const {
    const tBono& b = Bono(Index);
    return IsDate(b.vBaja) ? b.vBaja : Variant("");
}

Variant cBono::BajaPer(std::int16_t Index) const {
    const tBono& b = Bono(Index);
    return IsDate(b.vBajaPer) ? b.vBajaPer : Variant("");
}

void cBono::Baja(std::int16_t Index, const Variant& d) {
    tBono& b = Bono(Index);
    if (!IsDate(d)) return;
    // The expiry is worked out before anything is stored, so a failure changes nothing.
    fecha::Partes e = fecha::Descomponer(CDate(d));
    if (e.dia > m_DiaFactura) e = fecha::Descomponer(fecha::DesdeCalendario(e.anio, e.mes + 1, 1));
    const int mes = e.mes % 2 == m_perFactura ? e.mes : e.mes + 1;
    const double expira = fecha::DesdeCalendario(e.anio, mes, m_DiaFactura);
    b.vBaja = d;
    b.vBajaPer = Variant::DeFecha(expira);
}

void cBono::RecalcularBajas() {
    for (std::size_t i = 0; i < Bonos(); ++i) {
        const auto pos = static_cast<std::int16_t>(i);
        Baja(pos, Baja(pos));
    }
}

void cBono::DiaFactura(std::uint8_t d) {
    m_DiaFactura = d;
    RecalcularBajas();
}

void cBono::perFactura(std::uint8_t d) {
    m_perFactura = d == 2 ? 1 : 0;
    RecalcularBajas();
}

std::int16_t cBono::Count() const noexcept {
    return static_cast<std::int16_t>(Bonos());
}

std::int16_t cBono::CountGrupo(std::int16_t gr) const {
    std::int16_t n = 0;
    for (std::size_t i = 0; i < Bonos(); ++i)
        if (GrupoDe(i) == gr) ++n;
    return n;
}

std::int16_t cBono::CountTipo(std::int16_t tp) const {
    std::int16_t n = 0;
    for (std::size_t i = 0; i < Bonos(); ++i)
        if (TipoDe(i) == tp) ++n;
    return n;
}

std::int16_t cBono::Tipo(std::int16_t Index) const {
    Bono(Index);
    return TipoDe(static_cast<std::size_t>(Index));
}

std::int16_t cBono::Grupo(std::int16_t Index) const {
    Bono(Index);
    return GrupoDe(static_cast<std::size_t>(Index));
}

std::string cBono::Nombre(std::int16_t Index) const {
    return Bono(Index).sNombre.Texto();
}

void cBono::Nombre(std::int16_t Index, std::string_view s) {
    Bono(Index).sNombre.Asignar(s);
}

std::string cBono::tiempo(std::int16_t Index) const {
    return Bono(Index).oTiempo.Valor();
}

void cBono::tiempo(std::int16_t Index, std::string_view sTiempo) {
    tBono& b = Bono(Index);
    // cTiempo stores the parts it read before a failing one: read aside, so that an error
    // leaves the bono's time as it was.
    cTiempo t;
    t.Valor(sTiempo);
    b.oTiempo = t;
}

cTiempo cBono::SumaTiempos(bool porGrupo, std::int16_t codigo) const {
    cTiempo suma;
    for (std::size_t i = 0; i < Bonos(); ++i)
        if ((porGrupo ? GrupoDe(i) : TipoDe(i)) == codigo) suma.Sumar(m_Bonos[i].oTiempo);
    return suma;
}

std::string cBono::TotalTiempoTipo(std::int16_t tip) const {
    return SumaTiempos(false, tip).Valor();
}

std::string cBono::TotalTiempoGrupo(std::int16_t gr) const {
    return SumaTiempos(true, gr).Valor();
}

bool cBono::MismosTiempos(const cBono& otro) const noexcept {
    if (Bonos() != otro.Bonos()) return false;
    for (std::size_t i = 0; i < Bonos(); ++i) {
        const tBono &a = m_Bonos[i], &b = otro.m_Bonos[i];
        if (!(a.sNombre == b.sNombre) || a.oTiempo.ConvSegundos() != b.oTiempo.ConvSegundos())
            return false;
    }
    return true;
}

std::string cBono::TiempoGastadoGrupo(std::int16_t gr) const {
    cTiempo gastado;
    for (std::size_t i = 0; i < Bonos(); ++i)
        if (GrupoDe(i) == gr) gastado.Sumar(TiempoDe(Capacidad(i)));
    gastado.Restar(SumaTiempos(true, gr));
    return gastado.Valor();
}

bool cBono::EstaVacioTipo(std::int16_t tp) const {
    return SumaTiempos(false, tp).EstaVacio();
}

bool cBono::EstaVacioGrupo(std::int16_t gr) const {
    return SumaTiempos(true, gr).EstaVacio();
}

std::int16_t cBono::Cual(std::int16_t gr) const {
    const std::int16_t grande = gr == 0 ? 1 : 3;
    if (!EstaVacioTipo(grande)) return grande;
    if (!EstaVacioTipo(static_cast<std::int16_t>(grande - 1)))
        return static_cast<std::int16_t>(grande - 1);
    return -1;
}

void cBono::Reset() {
    for (std::size_t i = 0; i < Bonos(); ++i) m_Bonos[i].oTiempo = TiempoDe(Capacidad(i));
}

std::string cBono::Restar(std::int16_t gr, std::string_view t, const std::optional<Variant>& d) {
    // Moment, pool and charge are worked out before any bono is written.
    const double momento = d ? CDate(*d) : fecha::Validar(m_Reloj());

    cTiempo pool;
    for (std::size_t i = 0; i < Bonos(); ++i) {
        if (GrupoDe(i) != gr) continue;
        const tBono& b = m_Bonos[i];
        // A cancelled bono counts until its expiry instant, exclusive.
        if (IsDate(b.vBajaPer) && !Antes(momento, CDate(b.vBajaPer))) continue;
        pool.Sumar(b.oTiempo);
    }
    pool.Restar(t);

    std::int32_t falta = 0;
    if (pool.ConvSegundos() < 0) {
        falta = pool.ConvSegundos();
        pool.Iniciar();
    }

    // Spread by position: fill each bono of the group while the pool exceeds its kind's
    // amount, give the rest to the next one, zero to those after it. Expired bonos take
    // their share too; what is left after the last one is dropped.
    for (std::size_t i = 0; i < Bonos(); ++i) {
        if (GrupoDe(i) != gr) continue;
        tBono& b = m_Bonos[i];
        const std::int16_t tipo = TipoDe(i);
        const bool cincuenta = tipo == 1 || tipo == 3;
        const std::int32_t umbral = cincuenta ? kSegundosCincuenta : kSegundosDiez;
        if (pool.ConvSegundos() > umbral) {
            b.oTiempo = TiempoDe(Capacidad(i));  // zero for a name that is no kind
            pool.Restar(cincuenta ? kCincuentaHoras : kDiezHoras);
        } else {
            b.oTiempo = pool;
            pool.Iniciar();
        }
    }

    cTiempo resultado;
    resultado.ConvTiempo(falta);
    return resultado.Valor();
}

void cBono::Copiar(const cBono& bn) {
    if (&bn == this) return;  // emptying first would lose every bono
    m_Bonos.assign(1, tBono{});
    m_DiaFactura = bn.DiaFactura();
    perFactura(bn.perFactura());
    for (std::int16_t i = 0; i < bn.Count(); ++i) {
        DarAlta(bn.Tipo(i), Variant::DeFecha(bn.Alta(i)));
        Baja(i, bn.Baja(i));
        tiempo(i, bn.tiempo(i));
    }
}

}  // namespace quelmar
