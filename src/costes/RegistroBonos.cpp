#include "costes/RegistroBonos.h"

#include <utility>

#include "costes/Motor.h"
#include "llamadas/Error.h"
#include "llamadas/Instantes.h"
#include "llamadas/Textos.h"
#include "runtime/OleDate.h"
#include "runtime/Variant.h"
#include "tools/Bonos.h"

namespace quelmar::costes {

RegistroBonos::RegistroBonos(const cBono& r) {
    m_Registro.Copiar(r);
}

RegistroBonos RegistroBonos::Leer(const std::filesystem::path& ruta) {
    try {
        return RegistroBonos(
            herramientas::LeerBonos(llamadas::LeerFicheroEntero(ruta), ruta.string()));
    } catch (const llamadas::Error& e) {
        throw ErrorCostes(e.what());
    }
}

std::string RegistroBonos::Json() const {
    return herramientas::EscribirBonos(m_Registro);
}

void RegistroBonos::Guardar(const std::filesystem::path& ruta) const {
    EscribirFichero(ruta, Json());
}

std::vector<DatosBono> RegistroBonos::Datos() const {
    std::vector<DatosBono> r;
    for (std::int16_t i = 0; i < m_Registro.Count(); ++i) {
        DatosBono b;
        b.tipo = m_Registro.Tipo(i);
        b.alta = m_Registro.Alta(i);
        const Variant baja = m_Registro.Baja(i);
        if (!baja.EsTexto() && !baja.EsVacio()) b.baja = CDate(baja);
        b.tiempo = m_Registro.tiempo(i);
        r.push_back(std::move(b));
    }
    return r;
}

std::vector<FilaBono> RegistroBonos::Filas(const cBono& tras) const {
    std::vector<FilaBono> r;
    for (DatosBono& b : Datos()) {
        FilaBono f{std::move(b), std::nullopt};
        for (std::int16_t j = 0; j < tras.Count(); ++j)
            if (tras.Tipo(j) == f.datos.tipo &&
                fecha::ASegundos(tras.Alta(j)) == fecha::ASegundos(f.datos.alta))
                f.queda = llamadas::LeerDuracion(tras.tiempo(j));
        r.push_back(std::move(f));
    }
    return r;
}

void RegistroBonos::Rehacer(const std::vector<DatosBono>& bonos) {
    cBono nuevo;
    nuevo.DiaFactura(m_Registro.DiaFactura());
    nuevo.perFactura(m_Registro.perFactura());
    for (const DatosBono& b : bonos) {
        if (!b.tiempo.empty() && !llamadas::LeerDuracion(b.tiempo))
            throw ErrorCostes("el tiempo «" + b.tiempo + "» no es H:MM:SS");
        const auto i = nuevo.Count();
        nuevo.DarAlta(b.tipo, Variant::DeFecha(b.alta));
        if (b.baja) nuevo.Baja(i, Variant::DeFecha(*b.baja));
        if (!b.tiempo.empty()) nuevo.tiempo(i, b.tiempo);
    }
    m_Registro.Copiar(nuevo);
}

void RegistroBonos::Anadir(const DatosBono& b) {
    auto bonos = Datos();
    bonos.push_back(b);
    Rehacer(bonos);
}

void RegistroBonos::Cambiar(std::size_t i, const DatosBono& b) {
    auto bonos = Datos();
    bonos.at(i) = b;
    Rehacer(bonos);
}

void RegistroBonos::Quitar(std::size_t i) {
    auto bonos = Datos();
    bonos.erase(bonos.begin() + static_cast<std::ptrdiff_t>(i));
    Rehacer(bonos);
}

void RegistroBonos::DiaFactura(std::uint8_t dia) {
    m_Registro.DiaFactura(dia);
}

void RegistroBonos::MesesImpares(bool impares) {
    m_Registro.perFactura(impares ? 2 : 1);
}

}  // namespace quelmar::costes
