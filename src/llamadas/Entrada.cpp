#include "llamadas/Entrada.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "llamadas/Error.h"
#include "llamadas/Textos.h"

namespace quelmar::llamadas {

EntradaDescriptor::EntradaDescriptor(int fd) : m_Fd(fd) {
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
        m_Tamano = static_cast<std::uint64_t>(st.st_size);
}

long EntradaDescriptor::Leer(char* destino, std::size_t n) {
    ssize_t r;
    do r = ::read(m_Fd, destino, n);
    while (r < 0 && errno == EINTR);
    return r < 0 ? -errno : static_cast<long>(r);
}

int EntradaFichero::Abrir(const std::filesystem::path& ruta) {
    std::error_code ec;
    if (std::filesystem::is_directory(ruta, ec))
        throw llamadas::Error(llamadas::Error::Clase::Fichero, EsCarpeta(ruta));
    const int fd = ::open(ruta.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw llamadas::Error(llamadas::Error::Clase::Fichero, NoSePuedeAbrir(ruta, errno));
    return fd;
}

EntradaFichero::EntradaFichero(const std::filesystem::path& ruta)
    : EntradaDescriptor(Abrir(ruta)) {}

EntradaFichero::~EntradaFichero() {
    ::close(Descriptor());
}

bool LectorLineas::Siguiente(std::string_view& linea, bool& cortada) {
    cortada = false;
    if (m_Ini < m_Fin) {
        const char* p = m_Buf.data() + m_Ini;
        const std::size_t n = std::min(m_Fin - m_Ini, m_Guardado + 1);
        if (const auto* nl = static_cast<const char*>(std::memchr(p, '\n', n))) {
            linea = {p, static_cast<std::size_t>(nl - p)};
            m_Ini += linea.size() + 1;
            return true;
        }
    }
    // A line across reads, or too long: assembled, and cut at m_Maximo bytes.
    m_Linea.clear();
    bool algo = false;
    while (true) {
        if (m_Ini == m_Fin && !Llenar()) {
            linea = m_Linea;
            return algo;
        }
        algo = true;
        const char* p = m_Buf.data() + m_Ini;
        const auto* nl = static_cast<const char*>(std::memchr(p, '\n', m_Fin - m_Ini));
        const std::size_t n = nl ? static_cast<std::size_t>(nl - p) : m_Fin - m_Ini;
        const std::size_t cabe = std::min(n, m_Guardado - m_Linea.size());
        m_Linea.append(p, cabe);
        cortada = cortada || cabe < n;
        m_Ini += nl ? n + 1 : n;
        if (nl) {
            linea = m_Linea;
            return true;
        }
    }
}

std::string_view LectorLineas::Principio() {
    if (m_Ini == m_Fin) Llenar();
    return {m_Buf.data() + m_Ini, m_Fin - m_Ini};
}

bool LectorLineas::Llenar() {
    m_Ini = m_Fin = 0;
    const long n = m_Entrada.Leer(m_Buf.data(), m_Buf.size());
    if (n < 0) m_Error = static_cast<int>(-n);
    if (n > 0) {
        m_Fin = static_cast<std::size_t>(n);
        m_Leidos += static_cast<std::uint64_t>(n);
    }
    return n > 0;
}

}  // namespace quelmar::llamadas
