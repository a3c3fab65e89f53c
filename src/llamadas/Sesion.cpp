#include "llamadas/Sesion.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "catalogue/Validez.h"
#include "llamadas/Cobrado.h"
#include "llamadas/Csv.h"
#include "llamadas/Horario.h"
#include "llamadas/Instantes.h"
#include "llamadas/Sugerencia.h"
#include "llamadas/Textos.h"
#include "llamadas/Troncales.h"
#include "llamadas/formatos/Lector.h"
#include "runtime/CodePage.h"
#include "runtime/OleDate.h"
#include "runtime/Texto.h"

namespace quelmar::llamadas {

std::string NombreDeTarifa(const cLlamada& m, std::int16_t i) {
    static const tTarifa::Campo& kNombre = tTarifa::CampoNombre();
    return std::string(RecortarEspacios(m.Registro(i).Texto(kNombre)));
}

namespace {

// The problems of a catalogue that is costed, as the commands that cost say them
// ("tarifa N («nombre»), «clave»: ..."): errors, which refuse it, and doubts, which warn.
struct ProblemasCosteo {
    std::vector<std::string> errores, dudas;
};

ProblemasCosteo ProblemasParaCostear(std::span<const tTarifa> tarifas) {
    ProblemasCosteo r;
    for (const Problema& p : ProblemasDelCatalogo(tarifas)) {
        std::string texto;
        if (p.posicion < tarifas.size()) {
            const std::string nombre(
                RecortarEspacios(tarifas[p.posicion].TextoBruto(tTarifa::CampoNombre())));
            texto = "tarifa " + std::to_string(p.posicion + 1);
            if (!RecortarBlancos(nombre).empty())
                texto += " (" + CitarCorto(Cp1252AUtf8(nombre)) + ")";
            if (p.campo) texto += ", " + Citar(p.campo->clave);
            texto += ": ";
        }
        (p.gravedad == Gravedad::Error ? r.errores : r.dudas).push_back(texto + p.razon);
    }
    return r;
}

std::vector<Variant> LeerFestivos(const std::filesystem::path& ruta) {
    const std::string texto = LeerFicheroEntero(ruta);
    std::vector<Variant> r;
    // Filled once: tens of thousands of holidays would otherwise be copied as it grows.
    r.reserve(static_cast<std::size_t>(std::count(texto.begin(), texto.end(), '\n')) + 2);
    std::size_t n = 0, desde = 0;
    while (desde <= texto.size()) {
        std::size_t hasta = texto.find('\n', desde);
        if (hasta == std::string::npos) hasta = texto.size();
        std::string_view linea(texto.data() + desde, hasta - desde);
        ++n;
        desde = hasta + 1;
        if (n == 1 && linea.starts_with("\xEF\xBB\xBF")) linea.remove_prefix(3);
        if (linea.ends_with('\r')) linea.remove_suffix(1);
        linea = RecortarBlancos(linea);
        if (linea.empty() || linea.starts_with('#')) continue;
        const auto d = LeerDia(linea);
        if (!d)
            throw Error(Error::Clase::Datos,
                        ruta.string() + ":" + std::to_string(n) + ": " + CitarCorto(linea) +
                            " no es una fecha AAAA-MM-DD",
                        {ruta.string(), n});
        r.push_back(Variant::DeFecha(*d));
    }
    if (r.size() > 32768)
        throw Error(Error::Clase::Datos, Citar(ruta.string()) + ": más de 32768 festivos");
    r.emplace_back();  // the spare entry the engine never reads
    return r;
}

// The catalogue loaded and holding the program's tariffs; Error otherwise.
void CargarCatalogo(cLlamada& m, const std::filesystem::path& carpeta, Diagnosticos& d) {
    try {
        m.Load();
    } catch (const std::exception& e) {
        throw Error(Error::Clase::Catalogo, "no se puede leer Tarifas.Dat en " +
                                                Citar(carpeta.string()) + ": " + MensajeEngine(e));
    }
    if (m.BytesSueltos())
        throw Error(Error::Clase::Catalogo, CatalogoCortado(m.Ruta(), m.BytesLeidos()));
    if (m.Count() < cLlamada::kTarifasDelPrograma)
        throw Error(Error::Clase::Catalogo,
                    "el catálogo de " + Citar(carpeta.string()) + " tiene " +
                        std::to_string(m.Count()) +
                        " tarifas; el costeo necesita al menos las cinco fijas (la principal, "
                        "10DIA, 50DIA, 10NOCHE y 50NOCHE)");
    // The catalogue rule: errors refuse it before any output, doubts are told.
    const ProblemasCosteo problemas = ProblemasParaCostear(m.Tarifas());
    const std::string del = "el catálogo de " + Citar(carpeta.string());
    if (!problemas.errores.empty()) {
        std::string texto = del + " no se puede costear tal como está:";
        for (std::size_t k = 0; k < problemas.errores.size() && k < 20; ++k)
            texto += "\n  " + problemas.errores[k];
        if (problemas.errores.size() > 20)
            texto += "\n  y " + std::to_string(problemas.errores.size() - 20) + " más";
        throw Error(Error::Clase::Catalogo,
                    texto + "\nCorríjalo en Quelmar o con «tarificador importar».");
    }
    for (std::size_t k = 0; k < problemas.dudas.size() && k < 20; ++k)
        d.Aviso({}, del + ": " + problemas.dudas[k], TipoAviso::Catalogo);
    if (problemas.dudas.size() > 20)
        d.Aviso(
            {},
            del + ": y " + std::to_string(problemas.dudas.size() - 20) + " nombres repetidos más",
            TipoAviso::Catalogo);
}

// Why the tariff of those bytes cannot price calls when it is a bono kind's (positions 1
// to 4: their bands are the bonos' hours, every amount 0).
std::optional<std::string> DeBono(const cLlamada& m, const std::string& bytes) {
    const std::int16_t i = m.Find(bytes);
    if (i <= 0 || i >= cLlamada::kTarifasDelPrograma) return std::nullopt;
    return std::string(
        " es la de un tipo de bono, que no cobra nada: elija una tarifa de "
        "llamadas (con «tarificador listar» se ven todas)");
}

// The tariff of lines that name none: the one asked for, or the catalogue's first.
void ElegirTarifa(cLlamada& m, const std::optional<std::string>& pedida,
                  const std::vector<std::string>& nombres) {
    if (!pedida) {
        m.NombreTarifa(NombreDeTarifa(m, 0));
        return;
    }
    const auto b = Utf8ACp1252Exacto(*pedida);
    if (!b || m.Find(*b) < 0)
        throw Error(Error::Clase::Opcion, "la tarifa " + CitarCorto(*pedida) +
                                              " no está en el catálogo" +
                                              Sugerencia(nombres, *pedida));
    if (const auto bono = DeBono(m, *b))
        throw Error(Error::Clase::Opcion, "la tarifa " + CitarCorto(*pedida) + *bono);
    m.NombreTarifa(*b);
}

}  // namespace

Sesion::Sesion(const OpcionesSesion& o, Diagnosticos& d)
    : m_Catalogo((CatalogoExistente(o.catalogo), o.catalogo)), m_Diagnosticos(d) {
    CargarCatalogo(m_Catalogo, o.catalogo, d);
    for (std::int16_t i = 0; i < m_Catalogo.Count(); ++i)
        m_Nombres.push_back(Cp1252AUtf8(NombreDeTarifa(m_Catalogo, i)));
    ElegirTarifa(m_Catalogo, o.tarifa, m_Nombres);
    m_TarifaDada = o.tarifa.has_value();
    if (o.festivos) m_Festivos = LeerFestivos(*o.festivos);
    if (o.bonos) m_Inicial = o.bonos();
    if (o.destinos) {
        auto t = std::make_shared<Destinos>(
            Destinos::Leer(LeerFicheroEntero(*o.destinos), o.destinos->string()));
        // Every tariff of the table is known before the first call is costed; one that is
        // not is told at the first row naming it.
        std::vector<bool> vista(t->Tarifas().size());
        for (const Destinos::Destino& f : t->Filas()) {
            if (vista[f.tarifa]) continue;
            vista[f.tarifa] = true;
            const std::string& tarifa = t->Tarifa(f);
            const auto b = Utf8ACp1252Exacto(tarifa);
            const std::string lugar = o.destinos->string() + ":" + std::to_string(f.linea) +
                                      ": la tarifa " + CitarCorto(tarifa) + " del prefijo " +
                                      std::string(t->Prefijo(f));
            if (!b || m_Catalogo.Find(*b) < 0)
                throw Error(Error::Clase::Catalogo,
                            lugar + " no está en el catálogo" + Sugerencia(m_Nombres, tarifa),
                            {o.destinos->string(), f.linea});
            if (const auto bono = DeBono(m_Catalogo, *b))
                throw Error(Error::Clase::Catalogo, lugar + *bono, {o.destinos->string(), f.linea});
        }
        m_Destinos = std::move(t);
    }
    if (!FormatoAutomatico(o.formato) && !BuscarFormato(o.formato))
        throw Error(Error::Clase::Opcion, "formato " + CitarCorto(o.formato) +
                                              " desconocido: se espera " +
                                              NombresDeFormatos(" o "));
    m_Formato = o.formato;
    m_Desde = o.desde, m_Hasta = o.hasta;
    m_Troncales = o.troncales;
    m_Contextos = o.contextos;
    m_Utc = o.utc;
    Preparar(m_Costeador.Motor());
}

Sesion::~Sesion() = default;

void Sesion::Preparar(cCosteo& c) const {
    if (!m_Festivos.empty()) c.Festivos(m_Festivos);
    c.Bono() = m_Inicial;
}

}  // namespace quelmar::llamadas
