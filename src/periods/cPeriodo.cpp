#include "periods/cPeriodo.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <utility>

#include "runtime/Checked.h"
#include "runtime/Locale.h"
#include "runtime/OleDate.h"
#include "runtime/RuntimeError.h"
#include "runtime/Variant.h"

namespace quelmar {

namespace {

constexpr std::int16_t kSinFiltro = 9999;

// Before 1899-12-30 the time is a positive fraction below a negative day (-1.25 is
// 29 Dec 06:00, later than -1.0); this maps dates onto one increasing line.
double EnLinea(double d) {
    const double dia = std::trunc(d);
    return dia + std::fabs(d - dia);
}
bool Despues(double a, double b) {
    return EnLinea(a) > EnLinea(b);
}
bool Antes(double a, double b) {
    return EnLinea(a) < EnLinea(b);
}
bool Igual(double a, double b) {
    return EnLinea(a) == EnLinea(b);
}

double UltimoSegundoDe(double diaAMedianoche) {
    return fecha::SumarSegundos(diaAMedianoche, fecha::kSegundosDia - 1);
}

// Days in a month of the proleptic Gregorian calendar.
int DiasDelMes(int anio, int mes) {
    static constexpr int kDias[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool bisiesto = (anio % 4 == 0 && anio % 100 != 0) || anio % 400 == 0;
    return kDias[mes - 1] + (mes == 2 && bisiesto ? 1 : 0);
}

// Day number (0 = 1899-12-30) of a calendar date.
std::int64_t NumeroDeDia(int anio, int mes, int dia) {
    using namespace std::chrono;
    constexpr sys_days kEpoca = sys_days{year{1899} / December / 30};
    const sys_days d{year{anio} / month{static_cast<unsigned>(mes)} /
                     day{static_cast<unsigned>(dia)}};
    return (d - kEpoca).count();
}

std::string TextoPeriodo(const std::optional<cPeriodo::Intervalo>& p) {
    if (!p) return {};
    if (p->otro) return "Otro";
    return TextoFecha(p->ini) + " - " + TextoFecha(p->fin);
}

}  // namespace

void cPeriodo::Datos(std::uint8_t Dia, std::uint8_t per) {
    m_Dia = Dia;
    m_Clase = per == 0 ? 2 : per == 2 ? 1 : 0;
    m_Datos = Sumar16(m_Datos, 1);
}

void cPeriodo::Periodos(double dIni, double dFin) {
    fecha::Validar(dIni);
    fecha::Validar(dFin);
    m_Ini = dIni;
    m_Fin = dFin;
    m_Cursor = dIni;
    m_PrimeroDado = false;
    m_Datos = Sumar16(m_Datos, 1);
}

void cPeriodo::Reset() noexcept {
    m_Cursor = m_Ini;
    m_PrimeroDado = false;
}

std::string cPeriodo::Periodo() {
    return TextoPeriodo(SiguientePeriodo());
}

std::optional<cPeriodo::Intervalo> cPeriodo::PeriodoFechas() {
    return SiguientePeriodo();
}

std::string cPeriodo::PeriodoActual() {
    std::optional<Intervalo> previo;
    for (auto actual = SiguientePeriodo(); actual; actual = SiguientePeriodo()) previo = actual;
    return TextoPeriodo(previo);
}

std::optional<cPeriodo::Intervalo> cPeriodo::SiguientePeriodo() {
    if (m_Datos < 2) return {};
    if (!m_PrimeroDado) return PrimerPeriodo();

    if (!Antes(m_Cursor, m_Fin)) return {};
    // Here the cursor is a midnight before the range end, its date in m_*Cursor. Stepping
    // by month numbers gives what fecha::SumarMeses gives (the day clamped to the month's
    // end, the clamp kept), without a calendar conversion there and back each period:
    // ranges of centuries have thousands of periods.
    const double inicio = m_Cursor;
    const int anio = m_AnioCursor;
    if (anio > m_Filtro) return {};  // the cursor stays
    const int meses = m_AnioCursor * 12 + (m_MesCursor - 1) + (m_Clase == 2 ? 1 : 2);
    const int anioNuevo = meses / 12, mesNuevo = meses % 12 + 1;
    if (anioNuevo > 9999) Lanzar(kDesbordamiento, "un periodo pasaría del año 9999");
    const int diaNuevo = std::min(m_DiaCursor, DiasDelMes(anioNuevo, mesNuevo));
    double cursor = static_cast<double>(NumeroDeDia(anioNuevo, mesNuevo, diaNuevo));
    if (Despues(cursor, m_Fin)) cursor = m_Fin;
    m_Cursor = cursor;
    m_AnioCursor = anioNuevo, m_MesCursor = mesNuevo, m_DiaCursor = diaNuevo;
    if (m_Filtro != kSinFiltro && anio < m_Filtro) return Intervalo{0.0, 0.0, true};
    const double fin = Igual(m_Cursor, m_Fin) ? m_Fin : fecha::SumarSegundos(m_Cursor, -1);
    return Intervalo{inicio, fin, false};
}

std::optional<cPeriodo::Intervalo> cPeriodo::PrimerPeriodo() {
    const fecha::Partes ini = fecha::Descomponer(m_Ini);
    if (ini.anio > m_Filtro) return {};

    double c = fecha::SoloFecha(m_Ini);
    if (ini.dia > m_Dia) c = fecha::DesdeCalendario(ini.anio, ini.mes + 1, 1);
    const fecha::Partes pc = fecha::Descomponer(c);
    int mes = pc.mes;
    if (m_Clase != 2 && pc.mes % 2 != m_Clase) ++mes;
    const double cierre = fecha::DesdeCalendario(pc.anio, mes, m_Dia);

    double fin = UltimoSegundoDe(cierre);
    if (Despues(fin, m_Fin)) fin = m_Fin;

    const bool otro = m_Filtro != kSinFiltro && ini.anio < m_Filtro;
    m_Cursor = fecha::SumarDias(fecha::SoloFecha(fin), 1);
    const fecha::Partes pcur = fecha::Descomponer(m_Cursor);
    m_AnioCursor = pcur.anio, m_MesCursor = pcur.mes, m_DiaCursor = pcur.dia;
    m_PrimeroDado = true;
    return Intervalo{m_Ini, fin, otro};
}

double cPeriodo::FechaIni(std::string_view s) {
    const std::size_t p = s.find('-');
    if (p == std::string_view::npos) Lanzar(kArgumentoInvalido, "un texto de periodo sin «-»");
    return CDate(Variant(std::string(s.substr(0, p))));
}

double cPeriodo::FechaFin(std::string_view s) {
    const std::size_t p = s.find('-');
    const std::string_view resto = p == std::string_view::npos ? s : s.substr(p + 1);
    return CDate(Variant(std::string(resto)));
}

}  // namespace quelmar
