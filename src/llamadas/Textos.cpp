#include "llamadas/Textos.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>

#include "catalogue/FicherosUtil.h"
#include "costing/cLlamada.h"
#include "runtime/CodePage.h"
#include "runtime/RuntimeError.h"

namespace quelmar::llamadas {

std::string_view RecortarBlancos(std::string_view s) noexcept {
    // Plain loops: costear trims every field of every line.
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

std::string Citar(std::string_view texto) {
    return "«" + std::string(texto) + "»";
}

std::string CitarCorto(std::string_view texto, std::size_t maximo) {
    // Bytes that are no UTF-8 would reach the terminal raw: read as Windows-1252, as a log is.
    std::string convertido;
    if (!EsUtf8(texto)) {
        convertido = Cp1252AUtf8(texto);
        texto = convertido;
    }
    bool cortado = false;
    if (texto.size() > maximo) {
        std::size_t n = maximo;
        while (n > 0 && (static_cast<unsigned char>(texto[n]) & 0xC0) == 0x80) --n;
        texto = texto.substr(0, n);
        cortado = true;
    }
    std::string r(texto);
    for (char& c : r)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return Citar(r + (cortado ? "…" : ""));
}

bool EsUtf8(std::string_view s) noexcept {
    std::size_t i = 0;
    while (i < s.size()) {
        // Eight ASCII bytes at a time: costear checks every line of a log.
        if (i + 8 <= s.size()) {
            std::uint64_t ocho;
            std::memcpy(&ocho, s.data() + i, 8);
            if ((ocho & 0x8080808080808080ULL) == 0) {
                i += 8;
                continue;
            }
        }
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t n;
        unsigned minimo;
        unsigned v;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            n = 1, minimo = 0x80, v = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            n = 2, minimo = 0x800, v = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            n = 3, minimo = 0x10000, v = c & 0x07;
        } else {
            return false;
        }
        if (i + n >= s.size()) return false;
        for (std::size_t k = 1; k <= n; ++k) {
            const auto d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80) return false;
            v = (v << 6) | (d & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if (v < minimo || (v >= 0xD800 && v <= 0xDFFF) || v > 0x10FFFF) return false;
        i += n + 1;
    }
    return true;
}

bool PareceTexto(std::string_view principio) noexcept {
    std::size_t control = 0;
    for (const char ch : principio) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == 0) return false;
        if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f') || c == 0x7F) ++control;
    }
    return control * 10 <= principio.size();
}

namespace {

// A byte order mark, or ASCII text with every other byte NUL.
bool EsUtf16(std::string_view p) {
    if (p.starts_with("\xFF\xFE") || p.starts_with("\xFE\xFF")) return true;
    if (p.size() < 4) return false;
    std::size_t nulos[2] = {0, 0};
    for (std::size_t i = 0; i < p.size(); ++i)
        if (p[i] == '\0') ++nulos[i % 2];
    const std::size_t mitad = p.size() / 2;
    auto texto16 = [&](std::size_t nul, std::size_t letra) {
        return nulos[nul] * 10 >= mitad * 9 && nulos[letra] * 10 <= mitad;
    };
    return texto16(0, 1) || texto16(1, 0);
}

}  // namespace

std::string NoEsTexto(std::string_view nombre, std::string_view principio) {
    if (EsUtf16(principio))
        return std::string(nombre) +
               " está en UTF-16, y se lee texto en UTF-8; guárdelo como UTF-8 (en una hoja de "
               "cálculo, «CSV UTF-8») o conviértalo con «iconv -f UTF-16 -t UTF-8 FICHERO > "
               "NUEVO»";
    return std::string(nombre) + " no es un fichero de texto (tiene bytes nulos o de control)";
}

std::string CarpetaDelCatalogoInservible(const std::filesystem::path& carpeta) {
    std::error_code ec;
    if (std::filesystem::exists(carpeta, ec))
        return Citar(carpeta.string()) +
               " no es una carpeta; --catalogo espera la carpeta que guarda Tarifas.Dat";
    return "la carpeta del catálogo " + Citar(carpeta.string()) + " no existe";
}

std::string EsCarpeta(const std::filesystem::path& ruta) {
    return Citar(ruta.string()) + " es una carpeta, no un fichero";
}

std::string NoSePuedeAbrir(const std::filesystem::path& ruta, int err) {
    try {
        FicherosUtil::LanzarErrno(err, ruta);
    } catch (const RuntimeError& e) {
        return "no se puede abrir " + Citar(ruta.string()) + ": " + MensajeEngine(e);
    }
}

std::string LeerFicheroEntero(const std::filesystem::path& ruta) {
    std::error_code ec;
    if (std::filesystem::is_directory(ruta, ec))
        throw Error(Error::Clase::Fichero, EsCarpeta(ruta));
    std::ifstream f(ruta, std::ios::binary);
    if (!f) throw Error(Error::Clase::Fichero, NoSePuedeAbrir(ruta, errno));
    // In blocks: tens of thousands of holidays are read at once, not a byte at a time.
    std::string bytes;
    // A regular file's size is known: its room at once, not twice over while growing.
    if (const auto n = std::filesystem::file_size(ruta, ec); !ec && n < (std::uint64_t{1} << 32))
        bytes.reserve(static_cast<std::size_t>(n));
    char bloque[1 << 16];
    while (f.read(bloque, sizeof bloque) || f.gcount() > 0)
        bytes.append(bloque, static_cast<std::size_t>(f.gcount()));
    if (f.bad()) throw Error(Error::Clase::Fichero, "no se puede leer " + Citar(ruta.string()));
    return bytes;
}

std::filesystem::path CatalogoExistente(const std::filesystem::path& carpeta) {
    std::error_code ec;
    if (!std::filesystem::is_directory(carpeta, ec))
        throw Error(Error::Clase::Fichero, CarpetaDelCatalogoInservible(carpeta));
    const std::filesystem::path ruta = carpeta / cLlamada::kNombreFichero;
    if (!std::filesystem::exists(ruta, ec))
        throw Error(Error::Clase::Fichero,
                    "no hay Tarifas.Dat en " + Citar(carpeta.string()) +
                        " (indique la carpeta con --catalogo, o cree el catálogo con "
                        "«tarificador importar»)");
    if (!std::filesystem::is_regular_file(ruta, ec))
        throw Error(Error::Clase::Fichero, Citar(ruta.string()) + " no es un fichero");
    return ruta;
}

std::string ErrorDeLectura(std::string_view nombre, int err) {
    return "no se puede leer " + std::string(nombre) + ": " + FicherosUtil::Causa(err);
}

std::string CatalogoCortado(const std::filesystem::path& ruta, std::size_t tamano) {
    return cLlamada::DescribirCortado(Citar(ruta.string()), tamano) +
           "; ponga en su lugar una copia buena, o ábralo con Quelmar, que lee los registros "
           "enteros, y sálvelo";
}

std::string MensajeEngine(const std::exception& e) {
    return e.what();
}

}  // namespace quelmar::llamadas
