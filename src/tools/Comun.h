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
#include "llamadas/Error.h"
#include "llamadas/Textos.h"
#include "runtime/RuntimeError.h"

namespace quelmar::herramientas {

// The command line is a front end over the run of src/llamadas: its names are ours.
using namespace llamadas;

// An unusable option or file: the program stops with this message and exit status 2
// before it writes anything. The library's own errors end the same way.
class ErrorUso : public llamadas::Error {
  public:
    explicit ErrorUso(const std::string& mensaje) : Error(Clase::Opcion, mensaje) {}
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
    [[noreturn]] void Fallo(const RuntimeError& e) const;

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

}  // namespace quelmar::herramientas
