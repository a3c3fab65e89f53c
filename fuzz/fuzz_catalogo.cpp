// Any bytes as Tarifas.Dat: Load reads a catalogue or raises a numbered error that leaves
// the catalogue as it was; every key reads; Save writes back exactly the records read, and
// reading that gives the same catalogue.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "Comprobar.h"
#include "catalogue/cCatalogo.h"

using namespace quelmar;

namespace {

std::string Leer(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

void Escribir(const std::filesystem::path& p, const std::uint8_t* d, std::size_t n) {
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(d), static_cast<std::streamsize>(n));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    const std::filesystem::path& carpeta = fuzz::CarpetaDelProceso();
    const std::filesystem::path fichero = carpeta / cCatalogo::kNombreFichero;
    Escribir(fichero, datos, n);

    cCatalogo cat(carpeta);
    cat.Add();  // a catalogue that a failed reading must leave as it was
    cat.Valor(0, "Nombre", "Previa");
    const int err = fuzz::Error([&] { cat.Load(); });
    if (err != 0) {
        fuzz::Exigir(err == kDesbordamiento,
                     [&] { return std::string("error de lectura " + std::to_string(err)); });
        fuzz::Exigir(cat.Count() == 1, "una lectura fallida cambió el catálogo");
        return 0;
    }
    const auto tarifas = static_cast<std::size_t>(cat.Count());
    fuzz::Exigir(tarifas * tTarifa::kTamano <= n, "más tarifas que registros enteros");
    fuzz::Exigir(cat.BytesSueltos() == n % tTarifa::kTamano, "bytes sueltos mal contados");
    // The records read are the file's whole records.
    const std::string esperado(reinterpret_cast<const char*>(datos), tarifas * 168);
    for (std::size_t i = 0; i < tarifas; ++i) {
        const auto& r = cat.Registro(static_cast<std::int16_t>(i)).Registro();
        fuzz::Exigir(std::memcmp(r.data(), esperado.data() + i * 168, 168) == 0, [&] {
            return std::string("registro " + std::to_string(i) + " distinto del fichero");
        });
        fuzz::Exigir(r[0] >= 32 && r[0] <= 126, "tarifa con un nombre que acaba la lista");
    }
    // The record after the last tariff ended the list (or no whole record was left).
    if ((tarifas + 1) * 168 <= n)
        fuzz::Exigir(datos[tarifas * 168] < 32 || datos[tarifas * 168] > 126,
                     "la lista acabó antes de tiempo");
    for (std::int16_t k = 0; k <= cat.Count(); ++k)
        for (const tTarifa::Campo& c : tTarifa::Campos()) {
            const Variant v = cat.Valor(k, c.clave);
            fuzz::Exigir(c.tipo == tTarifa::Tipo::Texto ? v.EsTexto() : v.EsFecha(), "tipo");
        }
    fuzz::Exigir(fuzz::Error([&] { cat.Save(); }) == 0, "guardar lo leído falló");
    if (tarifas == 0) {
        fuzz::Exigir(!std::filesystem::exists(fichero), "un catálogo vacío dejó fichero");
        return 0;
    }
    fuzz::Exigir(Leer(fichero) == esperado, "lo guardado no son los registros leídos");
    cCatalogo otra(carpeta);
    otra.Load();
    fuzz::Exigir(otra.Count() == cat.Count(), "releer dio otro número de tarifas");
    for (std::int16_t k = 0; k < otra.Count(); ++k)
        fuzz::Exigir(otra.Registro(k) == cat.Registro(k), "releer dio otro registro");
    return 0;
}
