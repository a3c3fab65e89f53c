#pragma once

#include <cstddef>
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>

#include "llamadas/Error.h"

namespace quelmar::llamadas {

// The words every front end uses for what it reads: quoting, text checks, files.

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

// The whole file as bytes; Error naming the file when it cannot be read.
std::string LeerFicheroEntero(const std::filesystem::path& ruta);

// Tarifas.Dat in `carpeta`, checked to be there: Error otherwise.
std::filesystem::path CatalogoExistente(const std::filesystem::path& carpeta);

// "no se puede leer NOMBRE: " and the cause of the errno value.
std::string ErrorDeLectura(std::string_view nombre, int err);

// The words for a catalogue cut short, the same in every command: what it is, what to do.
std::string CatalogoCortado(const std::filesystem::path& ruta, std::size_t tamano);

// Spanish text for a run-time error of the engine (the number and what it means).
std::string MensajeEngine(const std::exception& e);

}  // namespace quelmar::llamadas
