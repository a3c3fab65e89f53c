#include "catalogue/FicherosUtil.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "runtime/RuntimeError.h"

namespace quelmar {

long Escritura::Escribir(int fd, const void* datos, std::size_t n) {
    return static_cast<long>(::write(fd, datos, n));
}

int Escritura::Sincronizar(int fd) {
    return ::fsync(fd);
}

namespace FicherosUtil {

namespace {

// Closes a descriptor on every path out.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    int Cerrar() {
        const int r = ::close(fd_);
        fd_ = -1;
        return r;
    }

  private:
    int fd_;
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

// The system's own words are English under many locales; the user reads these instead.
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
            return "no queda espacio en el disco";
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
        default:
            return "errno " + std::to_string(err);
    }
}

}  // namespace

void LanzarErrno(int err, const std::filesystem::path& ruta) {
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
    : ruta_(otro.ruta_), fd_(otro.fd_), leidos_(otro.leidos_), flujo_(otro.flujo_) {
    otro.fd_ = -1;
}

// No status query at opening: a directory in the file's place fails at its first read.
FicheroLectura::FicheroLectura(const std::filesystem::path& ruta, int fd) : ruta_(&ruta), fd_(fd) {
    if (fd_ < 0) LanzarErrno(errno, ruta);
}

FicheroLectura::~FicheroLectura() {
    if (fd_ >= 0) ::close(fd_);
}

std::size_t FicheroLectura::Tamano() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) LanzarErrno(errno, *ruta_);
    return S_ISREG(st.st_mode) ? static_cast<std::size_t>(st.st_size) : 0;
}

std::size_t FicheroLectura::Leer(void* destino, std::size_t n) {
    auto* p = static_cast<unsigned char*>(destino);
    std::size_t hechos = 0;
    while (hechos < n) {
        const std::size_t pedidos = n - hechos;
        const ssize_t r =
            flujo_ ? ::read(fd_, p + hechos, pedidos)
                   : ::pread(fd_, p + hechos, pedidos, static_cast<off_t>(leidos_ + hechos));
        if (r < 0) {
            if (errno == EINTR) continue;
            if (errno == ESPIPE && !flujo_) {
                flujo_ = true;
                continue;
            }
            LanzarErrno(errno, *ruta_);
        }
        if (r == 0) break;
        hechos += static_cast<std::size_t>(r);
        // A file read by position gives every byte up to its end at once: a short read is
        // the end, found without one more read.
        if (!flujo_ && static_cast<std::size_t>(r) < pedidos) break;
    }
    leidos_ += hechos;
    return hechos;
}

void EscribirAtomico(const std::filesystem::path& ruta, const unsigned char* datos, std::size_t n,
                     Escritura& es) {
    const std::filesystem::path carpeta =
        ruta.parent_path().empty() ? std::filesystem::path(".") : ruta.parent_path();
    std::string plantilla = (carpeta / ("." + ruta.filename().string() + ".XXXXXX")).string();
    const int fdTmp = ::mkstemp(plantilla.data());
    if (fdTmp < 0) LanzarErrno(errno, ruta);
    Descriptor fd(fdTmp);
    const std::filesystem::path temporal = plantilla;
    auto fallar = [&](int err) {
        fd.Cerrar();
        ::unlink(temporal.c_str());
        LanzarErrno(err, ruta);
    };

    // Keep the mode of the file replaced; a new file gets the usual mode under the umask.
    struct stat st {};
    mode_t modo;
    if (::stat(ruta.c_str(), &st) == 0) {
        modo = st.st_mode & 07777;
    } else {
        const mode_t mascara = ::umask(0);
        ::umask(mascara);
        modo = 0666 & ~mascara;
    }
    if (::fchmod(fd.get(), modo) != 0) fallar(errno);

    std::size_t escritos = 0;
    while (escritos < n) {
        const long r = es.Escribir(fd.get(), datos + escritos, n - escritos);
        if (r < 0) {
            if (errno == EINTR) continue;
            fallar(errno);
        }
        if (r == 0) fallar(ENOSPC);
        escritos += static_cast<std::size_t>(r);
    }
    if (es.Sincronizar(fd.get()) != 0) fallar(errno);
    if (fd.Cerrar() != 0) {
        const int err = errno;
        ::unlink(temporal.c_str());
        LanzarErrno(err, ruta);
    }
    if (::rename(temporal.c_str(), ruta.c_str()) != 0) {
        const int err = errno;
        ::unlink(temporal.c_str());
        LanzarErrno(err == EISDIR ? EISDIR : err, ruta);
    }
    // Make the rename itself durable.
    Descriptor dir(::open(carpeta.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) ::fsync(dir.get());
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

}  // namespace FicherosUtil
}  // namespace quelmar
