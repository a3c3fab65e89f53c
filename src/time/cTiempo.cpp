#include "time/cTiempo.h"

#include "runtime/Checked.h"
#include "runtime/OleDate.h"
#include "runtime/RuntimeError.h"
#include "runtime/Texto.h"

namespace quelmar {

namespace {

static_assert(3600LL * 32768 + 60LL * 32768 + 32768 < 2147483647LL,
              "ConvSegundos relies on its sum fitting 32 bits");

std::int16_t LeerParte(std::string_view s) {
    return CInt(NumeroInicial(s));
}

// Appends a part: the sign, then at least two digits. Written into one string without
// temporaries: costing writes a time text for every call and bono segment.
void PonerParte(std::string& r, std::int16_t v) {
    int n = v < 0 ? -static_cast<int>(v) : v;
    if (v < 0) r += '-';
    char digitos[8];
    int k = 0;
    do {
        digitos[k++] = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (n > 0);
    if (k < 2) digitos[k++] = '0';
    while (k > 0) r += digitos[--k];
}

std::int32_t SegundosDeTexto(std::string_view s) {
    cTiempo t;
    t.Valor(s);
    return t.ConvSegundos();
}

// Seconds of the time of day of a date/time, to the whole second; error 6 for no date.
std::int32_t SegundosDelDia(double d) {
    const fecha::Partes p = fecha::Descomponer(d);
    return p.hora * 3600 + p.minuto * 60 + p.segundo;
}

std::int32_t SegundosDeVariant(const Variant& v) {
    if (v.EsTexto()) return SegundosDeTexto(v.texto());
    if (v.EsFecha()) return SegundosDelDia(v.fecha());
    Lanzar(kTiposNoCoinciden, "un tiempo se lee de un texto, una fecha o un tiempo");
}

}  // namespace

void cTiempo::Valor(std::string_view s) {
    const std::size_t p1 = s.find(':');
    const std::size_t p2 =
        p1 == std::string_view::npos ? std::string_view::npos : s.find(':', p1 + 1);
    m_Horas = LeerParte(s);
    if (p2 != std::string_view::npos) {
        // The second ":" is part of the piece and ends the reading.
        m_Minutos = LeerParte(s.substr(p1 + 1, p2 - p1));
        m_Segundos = LeerParte(s.substr(p2 + 1));
    } else {
        m_Minutos = LeerParte(p1 == std::string_view::npos ? s : s.substr(p1 + 1));
        m_Segundos = 0;
    }
}

std::string cTiempo::Valor() const {
    std::string r;
    PonerParte(r, m_Horas);
    r += ':';
    PonerParte(r, m_Minutos);
    r += ':';
    PonerParte(r, m_Segundos);
    return r;
}

void cTiempo::Sumar(std::string_view s) {
    ConvTiempo(Sumar32(SegundosDeTexto(s), ConvSegundos()));
}
void cTiempo::Sumar(const Variant& v) {
    ConvTiempo(Sumar32(SegundosDeVariant(v), ConvSegundos()));
}
void cTiempo::Sumar(const cTiempo& t) {
    ConvTiempo(Sumar32(t.ConvSegundos(), ConvSegundos()));
}

void cTiempo::Restar(std::string_view s) {
    ConvTiempo(Restar32(ConvSegundos(), SegundosDeTexto(s)));
}
void cTiempo::Restar(const Variant& v) {
    ConvTiempo(Restar32(ConvSegundos(), SegundosDeVariant(v)));
}
void cTiempo::Restar(const cTiempo& t) {
    ConvTiempo(Restar32(ConvSegundos(), t.ConvSegundos()));
}

void cTiempo::Iniciar() noexcept {
    m_Horas = m_Minutos = m_Segundos = 0;
}

std::int32_t cTiempo::ConvSegundos() const noexcept {
    return 3600 * static_cast<std::int32_t>(m_Horas) + 60 * static_cast<std::int32_t>(m_Minutos) +
           m_Segundos;
}

void cTiempo::ConvTiempo(std::int32_t l3) {
    // Every part is computed before any is stored, so an overflow leaves the value as it was.
    const std::int16_t horas = A16(l3 / 3600);
    const std::int32_t r = l3 % 3600;
    m_Horas = horas;
    m_Minutos = static_cast<std::int16_t>(r / 60);
    m_Segundos = static_cast<std::int16_t>(r % 60);
}

bool cTiempo::EsMayor(std::string_view sT) const {
    return ConvSegundos() > SegundosDeTexto(sT);
}
bool cTiempo::EsMenor(std::string_view sT) const {
    return ConvSegundos() < SegundosDeTexto(sT);
}
bool cTiempo::EsIgual(std::string_view sT) const {
    return ConvSegundos() == SegundosDeTexto(sT);
}

}  // namespace quelmar
