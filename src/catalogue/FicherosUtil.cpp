#include "catalogue/FicherosUtil.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "runtime/RuntimeError.h"

namespace quelmar {

int Escritura::Crear(char* plantilla) {
    return ::mkstemp(plantilla);
}

long Escritura::Escribir(int fd, const void* datos, std::size_t n) {
    return static_cast<long>(::write(fd, datos, n));
}

int Escritura::Sincronizar(int fd) {
    return ::fsync(fd);
}

int Escritura::Cerrar(int fd) {
    return ::close(fd);
}

int Escritura::Renombrar(const char* de, const char* a) {
    return ::rename(de, a);
}

int Escritura::AbrirCarpeta(const char* ruta) {
    return ::open(ruta, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

int Escritura::Borrar(const char* ruta) {
    return ::unlink(ruta);
}

namespace FicherosUtil {

namespace {

// Closes a descriptor on every path out.
class Descriptor {
  public:
    explicit Descriptor(int fd) : m_Fd(fd) {}
    ~Descriptor() {
        if (m_Fd >= 0) ::close(m_Fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_Fd; }
    int Cerrar() {
        if (m_Fd < 0) return 0;
        const int r = ::close(m_Fd);
        m_Fd = -1;
        return r;
    }
    // Gives the descriptor up to the caller, who closes it.
    int Soltar() {
        const int fd = m_Fd;
        m_Fd = -1;
        return fd;
    }

  private:
    int m_Fd;
};

int Codigo(int err, const std::filesystem::path& ruta) {
    switch (err) {
        case ENOENT: {
            std::error_code ec;
            const bool carpeta = std::filesystem::is_directory(
                ruta.parent_path().empty() ? std::filesystem::path(".") : ruta.parent_path(), ec);
            return carpeta ? kFicheroNoEncontrado : kRutaNoEncontrada;
        }
        case ENOTDIR:
            return kRutaNoEncontrada;
        case EACCES:
        case EPERM:
        case EROFS:
            return kPermisoDenegado;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return kDiscoLleno;
        case EIO:
            return kErrorDispositivo;
        default:
            return kErrorAccesoRuta;
    }
}

}  // namespace

std::string Causa(int err) {
    switch (err) {
        case ENOENT:
            return "no existe";
        case ENOTDIR:
            return "una parte de la ruta no es una carpeta";
        case EISDIR:
            return "es una carpeta";
        case EACCES:
        case EPERM:
            return "sin permiso";
        case EROFS:
            return "sistema de ficheros de solo lectura";
        case ENOSPC:
            return "disco lleno";
        case EDQUOT:
            return "cuota de disco agotada";
        case EFBIG:
            return "fichero demasiado grande";
        case EIO:
            return "fallo del dispositivo";
        case EMFILE:
        case ENFILE:
            return "demasiados ficheros abiertos";
        case ENAMETOOLONG:
            return "nombre demasiado largo";
        case EPIPE:
            return "tubería cerrada";
        case EBADF:
            return "no está abierta";
        case ELOOP:
            return "demasiados enlaces simbólicos";
        default:
            return "errno " + std::to_string(err);
    }
}

namespace {

std::filesystem::path Carpeta(const std::filesystem::path& ruta) {
    return ruta.parent_path().empty() ? std::filesystem::path(".") : ruta.parent_path();
}

// The temporary files of saves of `ruta`: "." + its name + "." + the six characters mkstemp
// puts in place of XXXXXX.
std::string PrefijoTemporal(const std::filesystem::path& ruta) {
    return "." + ruta.filename().string() + ".";
}

// Whether `ruta` still names the file open as fd.
bool MismoFichero(int fd, const std::filesystem::path& ruta) {
    struct stat a {
    }, b{};
    return ::fstat(fd, &a) == 0 && ::lstat(ruta.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

// Takes the writer's lock on its temporary file; retried when a signal interrupts it.
// A file system without flock fails here and in every cleaner alike, so that no cleaner
// removes anything there: the temporary file is then written unlocked.
void Bloquear(int fd) {
    while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
}

}  // namespace

void LanzarErrno(int err, const std::filesystem::path& ruta) {
    // Said as what it is: nothing the user's permissions could change.
    if (err == EROFS) throw RuntimeError(Codigo(err, ruta), ruta.string(), Causa(err));
    throw RuntimeError(Codigo(err, ruta), ruta.string() + " (" + Causa(err) + ")");
}

bool ExisteFichero(const std::filesystem::path& ruta) {
    const int fd = ::open(ruta.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        return true;
    }
    return Codigo(errno, ruta) != kFicheroNoEncontrado;
}

FicheroLectura::FicheroLectura(const std::filesystem::path& ruta)
    : FicheroLectura(ruta, ::open(ruta.c_str(), O_RDONLY | O_CLOEXEC)) {}

std::optional<FicheroLectura> FicheroLectura::AbrirSiExiste(const std::filesystem::path& ruta) {
    const int fd = ::open(ruta.c_str(), O_RDONLY | O_CLOEXEC);
    const int err = errno;
    if (fd < 0 && Codigo(err, ruta) == kFicheroNoEncontrado) return std::nullopt;
    errno = err;  // the folder test above may have changed it
    return FicheroLectura(ruta, fd);
}

FicheroLectura::FicheroLectura(FicheroLectura&& otro) noexcept
    : m_Ruta(otro.m_Ruta), m_Fd(otro.m_Fd), m_Leidos(otro.m_Leidos), m_Flujo(otro.m_Flujo) {
    otro.m_Fd = -1;
}

// No status query at opening: a directory in the file's place fails at its first read.
FicheroLectura::FicheroLectura(const std::filesystem::path& ruta, int fd)
    : m_Ruta(&ruta), m_Fd(fd) {
    if (m_Fd < 0) LanzarErrno(errno, ruta);
}

FicheroLectura::~FicheroLectura() {
    if (m_Fd >= 0) ::close(m_Fd);
}

std::size_t FicheroLectura::Tamano() const {
    struct stat st {};
    if (::fstat(m_Fd, &st) != 0) LanzarErrno(errno, *m_Ruta);
    return S_ISREG(st.st_mode) ? static_cast<std::size_t>(st.st_size) : 0;
}

std::size_t FicheroLectura::Leer(void* destino, std::size_t n) {
    auto* p = static_cast<unsigned char*>(destino);
    std::size_t hechos = 0;
    while (hechos < n) {
        const std::size_t pedidos = n - hechos;
        const ssize_t r =
            m_Flujo ? ::read(m_Fd, p + hechos, pedidos)
                    : ::pread(m_Fd, p + hechos, pedidos, static_cast<off_t>(m_Leidos + hechos));
        if (r < 0) {
            if (errno == EINTR) continue;
            if (errno == ESPIPE && !m_Flujo) {
                m_Flujo = true;
                continue;
            }
            LanzarErrno(errno, *m_Ruta);
        }
        if (r == 0) break;
        hechos += static_cast<std::size_t>(r);
        // A file read by position gives every byte up to its end at once: a short read is
        // the end, found without one more read.
        if (!m_Flujo && static_cast<std::size_t>(r) < pedidos) break;
    }
    m_Leidos += hechos;
    return hechos;
}

// Stale temporary files, and why removing them is safe while another copy of the program
// saves: every writer holds an exclusive flock on its temporary file from just after
// creating it until after its rename (or its own removal of the file). The kernel drops
// that lock when the writer's process ends, killed or not. So a temporary file whose lock
// can be taken has no live writer, except in the instant between a writer's mkstemp and its
// flock; a writer checks after locking that the name still leads to its file and, if a
// cleaner removed it in that instant, creates another. The cleaner holds the lock while it
// removes the file and removes it only if the name still leads to the file it locked.
void LimpiarTemporales(const std::filesystem::path& ruta, Escritura& es) {
    const std::string prefijo = PrefijoTemporal(ruta);
    std::error_code ec;
    std::filesystem::directory_iterator it(Carpeta(ruta), ec);
    if (ec) return;
    for (const std::filesystem::directory_entry& e : it) {
        const std::string nombre = e.path().filename().string();
        if (nombre.size() != prefijo.size() + 6 || nombre.compare(0, prefijo.size(), prefijo) != 0)
            continue;
        Descriptor fd(::open(e.path().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
        if (fd.get() < 0) continue;
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) continue;  // a save is writing it
        if (MismoFichero(fd.get(), e.path())) es.Borrar(e.path().c_str());
    }
}

DestinoEscritura ResolverDestino(const std::filesystem::path& ruta) {
    // What the name leads to: a pipe, a terminal or a device (also behind a link, such as
    // /dev/stdout) is written straight.
    struct stat lleva {};
    if (::stat(ruta.c_str(), &lleva) == 0 && !S_ISREG(lleva.st_mode) && !S_ISDIR(lleva.st_mode))
        return {ruta, true};
    std::filesystem::path p = ruta;
    // As many links as the system itself follows before it gives up with ELOOP.
    for (int enlaces = 0;; ++enlaces) {
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0) return {p, false};  // made new, atomically
        if (!S_ISLNK(st.st_mode)) return {p, false};
        // The links of /proc stand for open files (/dev/stdout when it is a file): written
        // through, as the opener's own descriptor would be.
        if (p.string().starts_with("/proc/")) return {ruta, true};
        if (enlaces == 40) LanzarErrno(ELOOP, ruta);
        std::error_code ec;
        const std::filesystem::path destino = std::filesystem::read_symlink(p, ec);
        if (ec) LanzarErrno(ec.value(), ruta);
        p = destino.is_absolute() ? destino : p.parent_path() / destino;
    }
}

FicheroSalida::FicheroSalida(const std::filesystem::path& ruta, Escritura& es, std::size_t reserva)
    : m_Ruta(ruta), m_Destino(ResolverDestino(ruta)), m_Es(es) {
    if (m_Destino.directo) {
        m_Fd = ::open(m_Destino.ruta.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY);
        if (m_Fd < 0) LanzarErrno(errno, ruta);
        return;
    }
    const std::filesystem::path& destino = m_Destino.ruta;
    LimpiarTemporales(destino, es);
    const std::string patron = (Carpeta(destino) / (PrefijoTemporal(destino) + "XXXXXX")).string();
    std::string plantilla;
    for (int intento = 0;; ++intento) {
        plantilla = patron;
        m_Fd = es.Crear(plantilla.data());
        if (m_Fd < 0) LanzarErrno(errno, ruta);
        Bloquear(m_Fd);
        if (MismoFichero(m_Fd, plantilla)) break;
        // Another save's cleaner took it before the lock: try a new name, a bounded number
        // of times.
        ::close(m_Fd);
        m_Fd = -1;
        if (intento == 100) LanzarErrno(EAGAIN, ruta);
    }
    m_Temporal = plantilla;

    // Keep the mode of the file replaced; a new file gets the usual mode under the umask.
    struct stat st {};
    mode_t modo;
    if (::stat(destino.c_str(), &st) == 0) {
        modo = st.st_mode & 07777;
    } else {
        const mode_t mascara = ::umask(0);
        ::umask(mascara);
        modo = 0666 & ~mascara;
    }
    if (::fchmod(m_Fd, modo) != 0) Fallar(errno);
    if (reserva > 0) {
        // Only a full disk counts: a file system that cannot reserve is written as it comes.
        const int r = ::posix_fallocate(m_Fd, 0, static_cast<off_t>(reserva));
        if (r == ENOSPC || r == EDQUOT || r == EFBIG) Fallar(r);
        if (r == 0) m_Reserva = reserva;
    }
}

FicheroSalida::~FicheroSalida() {
    if (m_Fd < 0) return;
    if (!m_Temporal.empty()) m_Es.Borrar(m_Temporal.c_str());
    ::close(m_Fd);
}

void FicheroSalida::Fallar(int err) {
    // Removes the temporary file while still holding its lock; if the system refuses, the
    // file stays unlocked once closed and the next save removes it.
    if (!m_Temporal.empty()) m_Es.Borrar(m_Temporal.c_str());
    if (m_Fd >= 0) ::close(m_Fd);
    m_Fd = -1;
    LanzarErrno(err, m_Ruta);
}

void FicheroSalida::Escribir(const void* datos, std::size_t n) {
    const auto* p = static_cast<const unsigned char*>(datos);
    std::size_t hechos = 0;
    while (hechos < n) {
        const long r = m_Es.Escribir(m_Fd, p + hechos, n - hechos);
        if (r < 0) {
            if (errno == EINTR) continue;
            Fallar(errno);
        }
        if (r == 0) Fallar(ENOSPC);
        hechos += static_cast<std::size_t>(r);
    }
    m_Escritos += n;
}

void FicheroSalida::Confirmar() {
    if (m_Destino.directo) {
        const int fd = m_Fd;
        m_Fd = -1;
        if (m_Es.Cerrar(fd) != 0) LanzarErrno(errno, m_Ruta);
        return;
    }
    // What was set aside and not used.
    if (m_Reserva > m_Escritos && ::ftruncate(m_Fd, static_cast<off_t>(m_Escritos)) != 0)
        Fallar(errno);
    if (m_Es.Sincronizar(m_Fd) != 0) Fallar(errno);
    // A second descriptor keeps the lock past the close, until the rename is done.
    Descriptor cerrojo(::fcntl(m_Fd, F_DUPFD_CLOEXEC, 0));
    if (cerrojo.get() < 0) Fallar(errno);
    // close releases the descriptor even when it fails.
    const int fd = m_Fd;
    m_Fd = -1;
    if (m_Es.Cerrar(fd) != 0) {
        m_Fd = cerrojo.Soltar();
        Fallar(errno);
    }
    if (m_Es.Renombrar(m_Temporal.c_str(), m_Destino.ruta.c_str()) != 0) {
        m_Fd = cerrojo.Soltar();
        Fallar(errno);
    }
    cerrojo.Cerrar();

    // Make the rename itself durable. The new file is in place by now, so a failure here is
    // no failed save, but the user is told: the change might not survive a power cut.
    // EINVAL is a folder that has nothing to flush.
    const std::filesystem::path carpeta = Carpeta(m_Destino.ruta);
    auto fallarCarpeta = [&](int err) {
        throw RuntimeError(Codigo(err, carpeta), m_Ruta.string() +
                                                     " (reemplazado, pero su carpeta no se pudo "
                                                     "asegurar en el disco: " +
                                                     Causa(err) + ")");
    };
    Descriptor dir(m_Es.AbrirCarpeta(carpeta.c_str()));
    if (dir.get() < 0) fallarCarpeta(errno);
    if (m_Es.Sincronizar(dir.get()) != 0 && errno != EINVAL) fallarCarpeta(errno);
}

void EscribirFichero(const std::filesystem::path& ruta, const unsigned char* datos, std::size_t n,
                     Escritura& es) {
    FicheroSalida f(ruta, es);
    f.Escribir(datos, n);
    f.Confirmar();
}

void BorrarFichero(const std::filesystem::path& ruta) {
    if (::unlink(ruta.c_str()) != 0 && errno != ENOENT) LanzarErrno(errno, ruta);
}

std::filesystem::path CarpetaPrograma() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return std::filesystem::current_path();
    return exe.parent_path();
}

namespace {

// Where an install puts the programs and its shared data, as the build was configured.
#ifndef QUELMAR_BINDIR
#define QUELMAR_BINDIR "bin"
#endif
#ifndef QUELMAR_DATADIR
#define QUELMAR_DATADIR "share"
#endif

// The install prefix when `carpeta` is an install's bindir, by name: the build tree's
// bin/ or a copy in any folder is no install unless the sample is there too.
std::optional<std::filesystem::path> Prefijo(const std::filesystem::path& carpeta) {
    const std::filesystem::path bindir = QUELMAR_BINDIR;
    std::filesystem::path c = carpeta.lexically_normal();
    if (!c.has_filename()) c = c.parent_path();
    if (bindir.is_absolute()) {
        if (c != bindir) return std::nullopt;
        return std::filesystem::path("/");
    }
    std::vector<std::filesystem::path> partes(bindir.begin(), bindir.end());
    for (auto p = partes.rbegin(); p != partes.rend(); ++p) {
        if (c.filename() != *p) return std::nullopt;
        c = c.parent_path();
    }
    return c;
}

// Only absolute values count, as the XDG base directory rules say.
bool Absoluta(const char* valor) {
    return valor != nullptr && valor[0] == '/';
}

}  // namespace

// The sample's own folder, ejemplo/, is where no user's catalogue can be, even when the
// prefix is ~/.local and the user's data folder is the install's share/quelmar: so no
// install writes a user's catalogue, and a user's catalogue never makes a program look
// installed.
LugarCatalogo DecidirCatalogo(const std::filesystem::path& carpetaPrograma, const char* xdgDataHome,
                              const char* home) {
    const auto prefijo = Prefijo(carpetaPrograma);
    if (!prefijo) return {carpetaPrograma, {}};
    const std::filesystem::path muestra =
        *prefijo / QUELMAR_DATADIR / "quelmar" / "ejemplo" / "Tarifas.Dat";
    std::error_code ec;
    if (!std::filesystem::is_regular_file(muestra, ec)) return {carpetaPrograma, {}};
    if (Absoluta(xdgDataHome)) return {std::filesystem::path(xdgDataHome) / "quelmar", muestra};
    if (Absoluta(home))
        return {std::filesystem::path(home) / ".local" / "share" / "quelmar", muestra};
    throw RuntimeError(kRutaNoEncontrada,
                       "no se sabe dónde guardar el catálogo: ni XDG_DATA_HOME ni HOME dan "
                       "una carpeta");
}

void PrepararCatalogo(const LugarCatalogo& lugar) {
    if (lugar.muestra.empty()) return;
    const std::filesystem::path destino = lugar.carpeta / "Tarifas.Dat";
    std::error_code ec;
    std::filesystem::create_directories(lugar.carpeta, ec);
    if (ec) LanzarErrno(ec.value(), lugar.carpeta);
    // Only once the folder is there: a missing folder reads as "there is a file, unreadable".
    if (ExisteFichero(destino)) return;

    std::string bytes;
    {
        FicheroLectura muestra(lugar.muestra);
        char trozo[8192];
        while (const std::size_t n = muestra.Leer(trozo, sizeof trozo)) bytes.append(trozo, n);
    }
    // Written whole under a temporary name (the one saves use, so that a save removes
    // it if this process dies), then linked into place: link never replaces a file.
    std::string plantilla = (lugar.carpeta / (PrefijoTemporal(destino) + "XXXXXX")).string();
    Descriptor fd(::mkstemp(plantilla.data()));
    if (fd.get() < 0) LanzarErrno(errno, destino);
    auto fallar = [&](int err) {
        ::unlink(plantilla.c_str());
        fd.Cerrar();
        LanzarErrno(err, destino);
    };
    const mode_t mascara = ::umask(0);
    ::umask(mascara);
    if (::fchmod(fd.get(), 0666 & ~mascara) != 0) fallar(errno);
    std::size_t escritos = 0;
    while (escritos < bytes.size()) {
        const ssize_t r = ::write(fd.get(), bytes.data() + escritos, bytes.size() - escritos);
        if (r < 0) {
            if (errno == EINTR) continue;
            fallar(errno);
        }
        escritos += static_cast<std::size_t>(r);
    }
    if (::fsync(fd.get()) != 0) fallar(errno);
    if (fd.Cerrar() != 0) fallar(errno);
    const int enlazado = ::link(plantilla.c_str(), destino.c_str());
    const int err = errno;
    ::unlink(plantilla.c_str());
    if (enlazado != 0 && err != EEXIST) LanzarErrno(err, destino);
}

LugarCatalogo LugarDelPrograma() {
    const char* home = std::getenv("HOME");
    std::string delUsuario;
    if (!Absoluta(home)) {
        // No HOME (a service, a bare environment): the account's own home folder.
        if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) {
            delUsuario = pw->pw_dir;
            home = delUsuario.c_str();
        }
    }
    return DecidirCatalogo(CarpetaPrograma(), std::getenv("XDG_DATA_HOME"), home);
}

std::filesystem::path CarpetaCatalogo() {
    const LugarCatalogo lugar = LugarDelPrograma();
    PrepararCatalogo(lugar);
    return lugar.carpeta;
}

}  // namespace FicherosUtil
}  // namespace quelmar
