// The runtime's date texts, leading numbers and conversions, under each locale order: a
// date text reads as a valid date whose general form reads back to it; numbers read back
// from their text; conversions answer or raise error 6 or 13; date arithmetic on any double
// stays within the range of dates or raises error 6.
#include <cmath>
#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>

#include "Comprobar.h"
#include "runtime/Checked.h"
#include "runtime/Locale.h"
#include "runtime/OleDate.h"
#include "runtime/Texto.h"
#include "runtime/Variant.h"

using namespace quelmar;

namespace {

void Fecha(const std::string& texto) {
    const std::optional<double> d = LeerFecha(texto);
    fuzz::Exigir(IsDate(Variant(texto)) == d.has_value(), "IsDate y LeerFecha discrepan");
    const int err = fuzz::Error([&] { (void)CDate(Variant(texto)); });
    if (!d) {
        fuzz::Exigir(err == kTiposNoCoinciden,
                     [&] { return std::string("CDate de una no fecha: " + std::to_string(err)); });
        return;
    }
    fuzz::Exigir(err == 0 && fecha::EsValida(*d), "fecha leída fuera de rango");
    const std::string general = TextoFecha(*d);
    fuzz::Exigir(LeerFecha(general) == d,
                 [&] { return std::string("«" + general + "» no se lee igual"); });
}

void Numero(const std::string& texto) {
    (void)NumeroInicial(texto);
    const std::optional<double> x = LeerNumero(texto);
    if (!x) {
        fuzz::Exigir(fuzz::Error([&] { (void)CDbl(Variant(texto)); }) == kTiposNoCoinciden,
                     "CDbl de un no número");
        return;
    }
    fuzz::Exigir(std::isfinite(*x), "número no finito");
    const std::optional<double> otra = LeerNumero(TextoNumero(*x));
    // Fifteen significant digits: equal to the last of them.
    fuzz::Exigir(otra && std::fabs(*otra - *x) <= 1e-14 * std::fabs(*x),
                 [&] { return std::string("el número no se relee: " + TextoNumero(*x)); });
    for (int e : {fuzz::Error([&] { (void)CInt(Variant(texto)); }),
                  fuzz::Error([&] { (void)CLng(Variant(texto)); })})
        fuzz::Exigir(e == 0 || e == kDesbordamiento,
                     [&] { return std::string("CInt/CLng: " + std::to_string(e)); });
}

void Aritmetica(double d, std::int64_t k) {
    const bool valida = fecha::EsValida(d);
    const int err = fuzz::Error([&] { (void)fecha::Descomponer(d); });
    fuzz::Exigir(valida ? err == 0 : err == kDesbordamiento, "Descomponer");
    if (!valida) return;
    const std::int64_t s = fecha::ASegundos(d);
    fuzz::Exigir(fecha::ASegundos(fecha::DesdeSegundos(s)) == s, "segundos de ida y vuelta");
    const fecha::Partes p = fecha::Descomponer(d);
    const double armada = fecha::DesdeCalendario(p.anio, p.mes, p.dia);
    fuzz::Exigir(fecha::ASegundos(armada) + p.hora * 3600 + p.minuto * 60 + p.segundo == s,
                 "las partes no rehacen la fecha");
    for (auto op : {+[](double x, std::int64_t k) { return fecha::SumarMeses(x, k); },
                    +[](double x, std::int64_t k) { return fecha::SumarDias(x, k); },
                    +[](double x, std::int64_t k) { return fecha::SumarSegundos(x, k); }}) {
        double r = 0;
        const int e = fuzz::Error([&] { r = op(d, k); });
        fuzz::Exigir(e == 0 ? fecha::EsValida(r) : e == kDesbordamiento, "aritmética de fechas");
    }
    (void)TextoFecha(d);
    (void)fecha::DiaSemana(d);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    FuzzedDataProvider e(datos, n);
    Locale l;
    l.orden = static_cast<Locale::Orden>(e.ConsumeIntegralInRange(0, 2));
    l.separadorFecha = "/.-"[e.ConsumeIntegralInRange(0, 2)];
    l.separadorDecimal = e.ConsumeBool() ? ',' : '.';
    LocaleScope ambito(l);
    const double d = e.ConsumeFloatingPoint<double>();
    const auto k = e.ConsumeIntegral<std::int64_t>();
    const std::string texto = e.ConsumeRandomLengthString(64);
    Fecha(texto);
    Numero(texto);
    Aritmetica(d, k);
    Aritmetica(static_cast<double>(k % 4000000) + (d - std::trunc(d)), k % 200000);
    return 0;
}
