#include "tools/Comun.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "catalogue/FicherosUtil.h"
#include "catalogue/cLlamada.h"
#include "runtime/RuntimeError.h"

namespace quelmar::herramientas {

std::string_view RecortarBlancos(std::string_view s) noexcept {
    const auto ini = s.find_first_not_of(" \t");
    if (ini == std::string_view::npos) return {};
    const auto fin = s.find_last_not_of(" \t");
    return s.substr(ini, fin - ini + 1);
}

std::string Citar(std::string_view texto) {
    return "«" + std::string(texto) + "»";
}

std::string LeerFicheroEntero(const std::filesystem::path& ruta) {
    std::error_code ec;
    if (std::filesystem::is_directory(ruta, ec))
        throw ErrorUso(Citar(ruta.string()) + " es una carpeta, no un fichero");
    std::ifstream f(ruta, std::ios::binary);
    if (!f)
        throw ErrorUso("no se puede abrir " + Citar(ruta.string()) + ": " + std::strerror(errno));
    std::string bytes{std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
    if (f.bad()) throw ErrorUso("no se puede leer " + Citar(ruta.string()));
    return bytes;
}

void EscribirFicheroAtomico(const std::filesystem::path& ruta, std::string_view contenido) {
    Escritura escritura;
    try {
        FicherosUtil::EscribirAtomico(ruta,
                                      reinterpret_cast<const unsigned char*>(contenido.data()),
                                      contenido.size(), escritura);
    } catch (const RuntimeError& e) {
        throw ErrorUso("no se puede escribir " + Citar(ruta.string()) + ": " + MensajeEngine(e));
    }
}

std::filesystem::path CatalogoExistente(const std::filesystem::path& carpeta) {
    std::error_code ec;
    if (!std::filesystem::is_directory(carpeta, ec))
        throw ErrorUso("la carpeta del catálogo " + Citar(carpeta.string()) + " no existe");
    const std::filesystem::path ruta = carpeta / cLlamada::kNombreFichero;
    if (!std::filesystem::exists(ruta, ec))
        throw ErrorUso("no hay Tarifas.Dat en " + Citar(carpeta.string()) +
                       " (indique la carpeta con --catalogo, o cree el catálogo con "
                       "«tarificador importar»)");
    if (!std::filesystem::is_regular_file(ruta, ec))
        throw ErrorUso(Citar(ruta.string()) + " no es un fichero");
    return ruta;
}

std::string MensajeEngine(const std::exception& e) {
    return e.what();
}

}  // namespace quelmar::herramientas
