#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

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
// "«nombre» no es un fichero de texto ...", the same words for every file read as text.
std::string NoEsTexto(std::string_view nombre);

// The words for a path that is a folder where a file is needed, the same in every order.
std::string EsCarpeta(const std::filesystem::path& ruta);
// "no se puede abrir «ruta»: " and the engine's Spanish words for the errno value, as
// every order says it.
std::string NoSePuedeAbrir(const std::filesystem::path& ruta, int err);

// The whole file as bytes; ErrorUso naming the file when it cannot be read.
std::string LeerFicheroEntero(const std::filesystem::path& ruta);

// Replaces the file atomically (temporary file in the same folder, flushed, renamed):
// on failure the old file is intact and ErrorUso names the file.
void EscribirFicheroAtomico(const std::filesystem::path& ruta, std::string_view contenido);

// An output file that can be written where it is named: not a folder, in a folder that
// is there. Checked before any work whose result it is to hold; ErrorUso otherwise.
void ComprobarSalida(const std::filesystem::path& ruta);

// Tarifas.Dat in `carpeta`, checked to be there: ErrorUso otherwise.
std::filesystem::path CatalogoExistente(const std::filesystem::path& carpeta);

// Spanish text for a run-time error of the engine (the number and what it means).
std::string MensajeEngine(const std::exception& e);

}  // namespace quelmar::herramientas
