#include "catalogue/tTarifa.h"

#include <bit>
#include <cstring>

#include "runtime/OleDate.h"

namespace quelmar {

namespace {

constexpr std::size_t kCamposFijos = 3;  // Nombre, Conexion.Importe, Conexion.Tiempo
static_assert(kCamposFijos + kClasesDia.size() * kClasesBanda.size() * kPartesBanda.size() ==
                  tTarifa::kCampos,
              "the record holds three fields a band of a day kind");

constexpr std::size_t IndiceDe(ClaseDia d, ClaseBanda b, ParteBanda p) noexcept {
    return kCamposFijos + (Orden(d) * kClasesBanda.size() + Orden(b)) * kPartesBanda.size() +
           Orden(p);
}

constexpr std::array<tTarifa::Campo, tTarifa::kCampos> kTablaCampos = [] {
    using T = tTarifa::Tipo;
    std::array<tTarifa::Campo, tTarifa::kCampos> c{};
    c[0] = {"Nombre", 0, 15, T::Texto};
    c[1] = {"Conexion.Importe", 15, 7, T::Texto};
    c[2] = {"Conexion.Tiempo", 22, 8, T::Fecha};
    constexpr std::array<std::string_view, 18> kBandas = {
        "Semana.Normal.Importe",    "Semana.Normal.Inicio",    "Semana.Normal.Fin",
        "Semana.Reducida.Importe",  "Semana.Reducida.Inicio",  "Semana.Reducida.Fin",
        "Sabado.Normal.Importe",    "Sabado.Normal.Inicio",    "Sabado.Normal.Fin",
        "Sabado.Reducida.Importe",  "Sabado.Reducida.Inicio",  "Sabado.Reducida.Fin",
        "Festivo.Normal.Importe",   "Festivo.Normal.Inicio",   "Festivo.Normal.Fin",
        "Festivo.Reducida.Importe", "Festivo.Reducida.Inicio", "Festivo.Reducida.Fin"};
    // Each band: Importe (7), Inicio (8), Fin (8) = 23 bytes, from offset 30.
    std::size_t off = 30;
    for (std::size_t i = 0; i < kBandas.size(); ++i) {
        const bool texto = i % 3 == 0;
        c[3 + i] = {kBandas[i], off, texto ? 7u : 8u, texto ? T::Texto : T::Fecha};
        off += texto ? 7 : 8;
    }
    return c;
}();

static_assert(kTablaCampos[20].desplazamiento + kTablaCampos[20].ancho == tTarifa::kTamano);
// The keys spell the map: the day kind, band and part of every band field, in order.
static_assert(kTablaCampos[IndiceDe(ClaseDia::Sabado, ClaseBanda::Reducida, ParteBanda::Inicio)]
                  .clave == "Sabado.Reducida.Inicio");
static_assert(kTablaCampos[IndiceDe(ClaseDia::Festivo, ClaseBanda::Normal, ParteBanda::Importe)]
                  .clave == "Festivo.Normal.Importe");

}  // namespace

const tTarifa::Campo& tTarifa::CampoDe(ClaseDia dia, ClaseBanda banda, ParteBanda parte) noexcept {
    return kTablaCampos[IndiceDe(dia, banda, parte)];
}

std::optional<LugarCampo> tTarifa::LugarDe(const Campo& c) noexcept {
    for (const ClaseDia d : kClasesDia)
        for (const ClaseBanda b : kClasesBanda)
            for (const ParteBanda p : kPartesBanda)
                if (&CampoDe(d, b, p) == &c) return LugarCampo{d, b, p};
    return std::nullopt;
}

const tTarifa::Campo& tTarifa::CampoNombre() noexcept {
    return kTablaCampos[0];
}
const tTarifa::Campo& tTarifa::CampoConexionImporte() noexcept {
    return kTablaCampos[1];
}
const tTarifa::Campo& tTarifa::CampoConexionTiempo() noexcept {
    return kTablaCampos[2];
}

const std::array<tTarifa::Campo, tTarifa::kCampos>& tTarifa::Campos() {
    return kTablaCampos;
}

const tTarifa::Campo* tTarifa::Buscar(std::string_view clave) noexcept {
    for (const Campo& c : kTablaCampos)
        if (c.clave == clave) return &c;
    return nullptr;
}

std::string tTarifa::Texto(const Campo& c) const {
    return std::string(reinterpret_cast<const char*>(m_Bytes.data() + c.desplazamiento), c.ancho);
}

void tTarifa::Texto(const Campo& c, std::string_view s) {
    const std::size_t n = s.size() < c.ancho ? s.size() : c.ancho;
    std::memcpy(m_Bytes.data() + c.desplazamiento, s.data(), n);
    std::memset(m_Bytes.data() + c.desplazamiento + n, ' ', c.ancho - n);
}

// Dates are little-endian in the file whatever the machine.
double tTarifa::Fecha(const Campo& c) const {
    std::uint64_t u = 0;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&u, m_Bytes.data() + c.desplazamiento, 8);
    } else {
        for (std::size_t i = 0; i < 8; ++i)
            u |= std::uint64_t{m_Bytes[c.desplazamiento + i]} << (8 * i);
    }
    return std::bit_cast<double>(u);
}

void tTarifa::Fecha(const Campo& c, double d) {
    const auto u = std::bit_cast<std::uint64_t>(d);
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(m_Bytes.data() + c.desplazamiento, &u, 8);
    } else {
        for (std::size_t i = 0; i < 8; ++i)
            m_Bytes[c.desplazamiento + i] = static_cast<unsigned char>(u >> (8 * i));
    }
}

std::span<unsigned char> tTarifa::BytesDe(std::vector<tTarifa>& registros) noexcept {
    return {reinterpret_cast<unsigned char*>(registros.data()), registros.size() * kTamano};
}

std::span<const unsigned char> tTarifa::BytesDe(std::span<const tTarifa> registros) noexcept {
    return {reinterpret_cast<const unsigned char*>(registros.data()), registros.size() * kTamano};
}

std::vector<tTarifa> tTarifa::Registros(std::string_view bytes) {
    std::vector<tTarifa> r(bytes.size() / kTamano);
    const auto destino = BytesDe(r);
    std::memcpy(destino.data(), bytes.data(), destino.size());
    return r;
}

double FinDeMinuto(long long hora, long long minuto) {
    return fecha::DesdeHora(hora, minuto, hora == 0 && minuto == 0 ? 0 : 59);
}

}  // namespace quelmar
