#include "bono/cBono.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <utility>

#include "runtime/Checked.h"
#include "runtime/OleDate.h"
#include "runtime/RuntimeError.h"

namespace quelmar {

namespace {

constexpr const auto& kNombres = cBono::kNombresTipo;
constexpr std::array<std::int16_t, 4> kGrupos{0, 0, 1, 1};
// Before 1899-12-30 the time is a positive fraction below a negative day (-1.25 is
// 29 Dec 06:00, later than -1.0); this maps dates onto one increasing line.
double EnLinea(double d) {
    const double dia = std::trunc(d);
    return dia + std::fabs(d - dia);
}
bool Antes(double a, double b) {
    return EnLinea(a) < EnLinea(b);
}

// Balances add and subtract as the old time values did: error 6 when a result leaves 32
// bits or its hours leave 16 (what a cTiempo holds), so totals fail where they always did.
std::int32_t Acotar(std::int32_t s) {
    static_cast<void>(A16(s / 3600));
    return s;
}
std::int32_t Mas(std::int32_t a, std::int32_t b) {
    return Acotar(Sumar32(a, b));
}
std::int32_t Menos(std::int32_t a, std::int32_t b) {
    return Acotar(Restar32(a, b));
}

cTiempo TiempoDeSegundos(std::int32_t s) {
    cTiempo t;
    t.ConvTiempo(s);
    return t;
}

std::string TextoDeSegundos(std::int32_t s) {
    return TiempoDeSegundos(s).Valor();
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

std::int32_t cBono::SegundosCapacidad(std::string_view nombre) noexcept {
    if (nombre.starts_with("10")) return 10 * 3600;
    if (nombre.starts_with("50")) return 50 * 3600;
    return 0;
}

std::int32_t cBono::Capacidad(std::size_t i) const noexcept {
    const auto& b = m_Bonos[i].sNombre.Bytes();
    return SegundosCapacidad(std::string_view(b.data(), b.size()));
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
    b.oTiempo = TiempoDeSegundos(Capacidad(i));
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

std::int32_t cBono::SumaSegundos(bool porGrupo, std::int16_t codigo) const {
    std::int32_t suma = 0;
    for (std::size_t i = 0; i < Bonos(); ++i)
        if ((porGrupo ? GrupoDe(i) : TipoDe(i)) == codigo)
            suma = Mas(suma, m_Bonos[i].oTiempo.ConvSegundos());
    return suma;
}

std::int32_t cBono::SegundosTipo(std::int16_t tip) const {
    return SumaSegundos(false, tip);
}

std::int32_t cBono::SegundosGrupo(std::int16_t gr) const {
    return SumaSegundos(true, gr);
}

std::string cBono::TotalTiempoTipo(std::int16_t tip) const {
    return TextoDeSegundos(SegundosTipo(tip));
}

std::string cBono::TotalTiempoGrupo(std::int16_t gr) const {
    return TextoDeSegundos(SegundosGrupo(gr));
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

std::int32_t cBono::SegundosGastadosGrupo(std::int16_t gr) const {
    std::int32_t gastado = 0;
    for (std::size_t i = 0; i < Bonos(); ++i)
        if (GrupoDe(i) == gr) gastado = Mas(gastado, Capacidad(i));
    return Menos(gastado, SegundosGrupo(gr));
}

std::string cBono::TiempoGastadoGrupo(std::int16_t gr) const {
    return TextoDeSegundos(SegundosGastadosGrupo(gr));
}

bool cBono::EstaVacioTipo(std::int16_t tp) const {
    return SegundosTipo(tp) == 0;
}

bool cBono::EstaVacioGrupo(std::int16_t gr) const {
    return SegundosGrupo(gr) == 0;
}

std::int16_t cBono::Cual(std::int16_t gr) const {
    const std::int16_t grande = gr == 0 ? 1 : 3;
    if (!EstaVacioTipo(grande)) return grande;
    if (!EstaVacioTipo(static_cast<std::int16_t>(grande - 1)))
        return static_cast<std::int16_t>(grande - 1);
    return -1;
}

void cBono::Reset() {
    for (std::size_t i = 0; i < Bonos(); ++i) m_Bonos[i].oTiempo = TiempoDeSegundos(Capacidad(i));
}

std::string cBono::Restar(std::int16_t gr, std::string_view t, const std::optional<Variant>& d) {
    // Moment and charge are worked out before any bono is written.
    const double momento = d ? CDate(*d) : fecha::Validar(m_Reloj());
    cTiempo cargo;
    cargo.Valor(t);
    return TextoDeSegundos(RestarSegundos(gr, cargo.ConvSegundos(), momento));
}

std::int32_t cBono::RestarSegundos(std::int16_t gr, std::int32_t segundos, double momento) {
    // The pool is worked out before any bono is written.
    std::int32_t pool = 0;
    for (std::size_t i = 0; i < Bonos(); ++i) {
        if (GrupoDe(i) != gr) continue;
        const tBono& b = m_Bonos[i];
        // A cancelled bono counts until its expiry instant, exclusive.
        if (IsDate(b.vBajaPer) && !Antes(momento, CDate(b.vBajaPer))) continue;
        pool = Mas(pool, b.oTiempo.ConvSegundos());
    }
    pool = Menos(pool, segundos);

    std::int32_t falta = 0;
    if (pool < 0) {
        falta = pool;
        pool = 0;
    }

    // Spread by position: fill each bono of the group while the pool exceeds its kind's
    // capacity, give the rest to the next one, zero to those after it. Expired bonos take
    // their share too; what is left after the last one is dropped.
    for (std::size_t i = 0; i < Bonos(); ++i) {
        if (GrupoDe(i) != gr) continue;
        tBono& b = m_Bonos[i];
        const std::int32_t umbral =
            SegundosCapacidad(kNombres[static_cast<std::size_t>(TipoDe(i))]);
        if (pool > umbral) {
            b.oTiempo = TiempoDeSegundos(Capacidad(i));  // zero for a name that is no kind
            pool = Menos(pool, umbral);
        } else {
            b.oTiempo = TiempoDeSegundos(pool);
            pool = 0;
        }
    }
    return falta;
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
