#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quelmar {

// The system calls of a save, replaceable so that tests can make any one of them fail
// (a full disk, a device error) without a full disk. Each answers as its POSIX call does:
// -1 (or a negative count) with errno set on failure.
class Escritura {
  public:
    virtual ~Escritura() = default;
    // mkstemp: creates and opens the temporary file, filling in the template.
    virtual int Crear(char* plantilla);
    virtual long Escribir(int fd, const void* datos, std::size_t n);
    // fsync, of the file and then of its folder.
    virtual int Sincronizar(int fd);
    virtual int Cerrar(int fd);
    virtual int Renombrar(const char* de, const char* a);
    // open of the folder, for its fsync.
    virtual int AbrirCarpeta(const char* ruta);
    virtual int Borrar(const char* ruta);
};

namespace FicherosUtil {

// Whether a file is there: opens it for reading and closes it again. A missing file
// answers false; any other failure (no access, a directory) answers true, so that the
// caller's own open meets the failure and reports it.
bool ExisteFichero(const std::filesystem::path& ruta);

// A file open for reading, closed when the object ends. Failures raise the run-time error
// of the failure (53, 70, 75, 57...) with the file's name in the message.
// The reader keeps a reference to the path it was given (for its error messages): the
// path must outlive it.
class FicheroLectura {
  public:
    explicit FicheroLectura(const std::filesystem::path& ruta);
    // Opens the file when it is there, as one step: nothing when the file is not found,
    // the run-time error for any other failure.
    static std::optional<FicheroLectura> AbrirSiExiste(const std::filesystem::path& ruta);
    FicheroLectura(FicheroLectura&& otro) noexcept;
    ~FicheroLectura();
    FicheroLectura(const FicheroLectura&) = delete;
    FicheroLectura& operator=(const FicheroLectura&) = delete;

    // Reads up to n bytes from where the last read ended; fewer only at the end of the file.
    std::size_t Leer(void* destino, std::size_t n);
    // The size in bytes now (0 for what is no regular file); asks the system each time.
    std::size_t Tamano() const;

  private:
    FicheroLectura(const std::filesystem::path& ruta, int fd);

    const std::filesystem::path* m_Ruta;
    int m_Fd;
    std::size_t m_Leidos = 0;
    // A pipe or the like, which has no positions: read as a stream to its end.
    bool m_Flujo = false;
};

// Where the bytes of an output go. A regular file, or the final target of a symbolic
// link (the link stays in place), is replaced atomically in its own folder; what is no
// regular file (a pipe, a terminal, a device) is written straight, since replacing it
// would leave the reader with nothing. Every output of every program asks this.
struct DestinoEscritura {
    std::filesystem::path ruta;  // the file that receives the bytes
    bool directo = false;
};
DestinoEscritura ResolverDestino(const std::filesystem::path& ruta);

// An output being written: opened when made, so that a file that cannot be written is
// known before any work whose result it is to hold. Replacing a file: the bytes go to a
// temporary file in the target's folder, which is flushed to disk and renamed over the
// target by Confirmar. On any failure before the rename the old file stays whole, the
// temporary file is removed (unless the system refuses that too: the next save removes
// it) and the run-time error names `ruta`. Temporary files that earlier saves left behind
// (a killed process) are removed first. A failure to flush the folder after the rename is
// reported too: the new file is in place but might not survive a power cut.
// `reserva` bytes are set aside on the disk at once where the file system can (a full
// disk then fails here, not at the end of a long run).
// Ending without Confirmar removes the temporary file and leaves the target as it was.
class FicheroSalida {
  public:
    FicheroSalida(const std::filesystem::path& ruta, Escritura& es, std::size_t reserva = 0);
    ~FicheroSalida();
    FicheroSalida(const FicheroSalida&) = delete;
    FicheroSalida& operator=(const FicheroSalida&) = delete;

    void Escribir(const void* datos, std::size_t n);
    void Confirmar();

  private:
    [[noreturn]] void Fallar(int err);

    std::filesystem::path m_Ruta;  // as the caller named it, for messages
    DestinoEscritura m_Destino;
    std::filesystem::path m_Temporal;  // empty when written straight
    Escritura& m_Es;
    int m_Fd = -1;
    std::size_t m_Escritos = 0, m_Reserva = 0;
};

// The whole output in one step: a FicheroSalida written and confirmed.
void EscribirFichero(const std::filesystem::path& ruta, const unsigned char* datos, std::size_t n,
                     Escritura& es);

// Removes the temporary files that saves of `ruta` left behind and that no save is still
// writing; the rest of the folder is untouched. Failures are ignored: a leftover that
// cannot be removed now is tried again at the next save.
void LimpiarTemporales(const std::filesystem::path& ruta, Escritura& es);

// Deletes the file; a missing file is no error.
void BorrarFichero(const std::filesystem::path& ruta);

// The folder of the running program.
std::filesystem::path CarpetaPrograma();

// Where a program's catalogue lives. Run from its own folder (the build tree, an unpacked
// copy) a program keeps Tarifas.Dat beside itself, as it always did. An installed program
// (its folder is an install's bindir, and the install's sample catalogue is in place, in
// <datadir>/quelmar/ejemplo/Tarifas.Dat) never writes beside itself: its catalogue is in
// $XDG_DATA_HOME/quelmar, by default $HOME/.local/share/quelmar, made from the installed
// sample the first time.
struct LugarCatalogo {
    std::filesystem::path carpeta;
    // The installed sample to copy when `carpeta` has no catalogue yet; empty when the
    // program runs from its own folder.
    std::filesystem::path muestra;
};

// The decision alone, from the program's folder and the values of XDG_DATA_HOME and HOME
// (null when unset). Reads the file system only to look for the installed sample.
// An installed program with neither variable usable raises error 76.
LugarCatalogo DecidirCatalogo(const std::filesystem::path& carpetaPrograma, const char* xdgDataHome,
                              const char* home);

// The decision for the running program, from its folder and its environment.
LugarCatalogo LugarDelPrograma();

// Makes the folder and puts a copy of the sample there when it holds no Tarifas.Dat yet,
// atomically: a catalogue already there is never touched, also when another program makes
// it at the same moment. Nothing to do for a program run from its own folder. Failures
// raise the run-time error naming the folder or file.
void PrepararCatalogo(const LugarCatalogo& lugar);

// The catalogue folder of the running program, ready to use: every program and the default
// store ask this one function.
std::filesystem::path CarpetaCatalogo();

// The cause of a failure in the user's words ("disco lleno", "sin permiso"...): the
// system's own words are English under many locales.
std::string Causa(int err);

// Raises the run-time error that stands for an errno value, naming the file.
[[noreturn]] void LanzarErrno(int err, const std::filesystem::path& ruta);

}  // namespace FicherosUtil
}  // namespace quelmar
