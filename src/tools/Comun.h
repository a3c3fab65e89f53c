#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/FicherosUtil.h"

namespace quelmar::herramientas {

// An unusable option or file: the program stops with this message and exit status 2
// before it writes anything.
class ErrorUso : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Data that cannot be used as written (a catalogue CSV with errors): the program stops
// with this message and exit status 1, and writes nothing.
class ErrorDatos : public ErrorUso {
  public:
    using ErrorUso::ErrorUso;
};

inline constexpr int kSalidaBien = 0;
inline constexpr int kSalidaLineasMalas = 1;
inline constexpr int kSalidaUso = 2;

// Blanks (space, tab) removed at both ends.
std::string_view RecortarBlancos(std::string_view s) noexcept;

// «texto», the way every message quotes what the user gave.
std::string Citar(std::string_view texto);
// As Citar, but at most `maximo` bytes of the text (cut at a character, "…" added) and
// control bytes shown as "?": a huge or binary value never floods the terminal.
std::string CitarCorto(std::string_view texto, std::size_t maximo = 60);

// Whether the bytes are well-formed UTF-8.
bool EsUtf8(std::string_view bytes) noexcept;

// Whether the first bytes of a file look like text: no NUL, and few control bytes.
bool PareceTexto(std::string_view principio) noexcept;
// "«nombre» no es un fichero de texto ...", the same words for every file read as text;
// a file in UTF-16 (told by its first bytes) is named so, with how to convert it.
std::string NoEsTexto(std::string_view nombre, std::string_view principio = {});

// The words for a --catalogo that is not a folder that is there.
std::string CarpetaDelCatalogoInservible(const std::filesystem::path& carpeta);

// The words for a path that is a folder where a file is needed, the same in every order.
std::string EsCarpeta(const std::filesystem::path& ruta);
// "no se puede abrir «ruta»: " and the engine's Spanish words for the errno value, as
// every order says it.
std::string NoSePuedeAbrir(const std::filesystem::path& ruta, int err);

// The whole file as bytes; ErrorUso naming the file when it cannot be read.
std::string LeerFicheroEntero(const std::filesystem::path& ruta);

// An output named on the command line, opened when made: a file that cannot be written is
// known before any work whose result it is to hold. "-" is standard output; any other name
// is written as every output is (FicherosUtil::FicheroSalida: a file or a link's target
// replaced atomically, a pipe or device written straight). The content is written whole by
// Escribir and is in place after Confirmar; ending without Confirmar leaves the old file.
// `reserva` bytes are set aside on the disk at once. ErrorUso names the file on failure.
class Salida {
  public:
    explicit Salida(std::filesystem::path ruta, std::size_t reserva = 0);
    bool Estandar() const { return m_Ruta == "-"; }
    void Escribir(std::string_view contenido);
    void Confirmar();

  private:
    [[noreturn]] void Fallo(const std::exception& e) const;

    std::filesystem::path m_Ruta;
    std::unique_ptr<Escritura> m_Escritura;
    std::unique_ptr<FicherosUtil::FicheroSalida> m_Fichero;
};

// The whole output in one step: "-" is standard output.
void EscribirSalida(const std::filesystem::path& ruta, std::string_view contenido);

// Writes `texto` to `f` (standard output, most often), or raises ErrorUso with the cause
// ("disco lleno", "tubería cerrada"): a long run stops at its first failed write.
void Emitir(std::FILE* f, std::string_view texto);
// Flushes what `f` holds, with the same words as Emitir on failure.
void Descargar(std::FILE* f);

// Flushes and closes standard output before the program ends, as every command must: a
// write that failed late is never an exit 0. The Spanish cause when it failed.
std::optional<std::string> CerrarSalidaEstandar();

// A file a command reads or writes, with the words that name its part ("el registro de
// llamadas", "--salida-bonos"). "-" is standard input for an input, standard output for an
// output.
struct Papel {
    std::string nombre;
    std::filesystem::path ruta;
};

// Refuses, before anything is written, an output that is the same file as an input or as
// another output (the same device and inode: links and "./x" against "x" are caught).
// Standard output counts when it is a regular file.
void ComprobarDistintos(const std::vector<Papel>& entradas, const std::vector<Papel>& salidas);

// Tarifas.Dat in `carpeta`, checked to be there: ErrorUso otherwise.
std::filesystem::path CatalogoExistente(const std::filesystem::path& carpeta);

// "no se puede leer NOMBRE: " and the cause of the errno value.
std::string ErrorDeLectura(std::string_view nombre, int err);

// The words for a catalogue cut short, the same in every command: what it is, what to do.
std::string CatalogoCortado(const std::filesystem::path& ruta, std::size_t tamano);

// Spanish text for a run-time error of the engine (the number and what it means).
std::string MensajeEngine(const std::exception& e);

}  // namespace quelmar::herramientas
