#include "tools/Comun.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdio_ext.h>
#include <sys/stat.h>
#include <unistd.h>

#include "catalogue/FicherosUtil.h"
#include "costing/cLlamada.h"
#include "runtime/CodePage.h"
#include "runtime/RuntimeError.h"

namespace quelmar::herramientas {

Salida::Salida(std::filesystem::path ruta, std::size_t reserva) : m_Ruta(std::move(ruta)) {
    if (Estandar()) return;
    std::error_code ec;
    if (std::filesystem::is_directory(m_Ruta, ec)) throw ErrorUso(EsCarpeta(m_Ruta));
    // A link that leads nowhere it can end (a loop) is the path's fault, said as such.
    FicherosUtil::DestinoEscritura destino;
    try {
        destino = FicherosUtil::ResolverDestino(m_Ruta);
    } catch (const RuntimeError& e) {
        Fallo(e);
    }
    const auto carpeta = destino.ruta.parent_path().empty() ? std::filesystem::path(".")
                                                            : destino.ruta.parent_path();
    if (!destino.directo && !std::filesystem::is_directory(carpeta, ec))
        throw ErrorUso("no se puede escribir " + Citar(m_Ruta.string()) + ": la carpeta " +
                       Citar(carpeta.string()) + " no existe");
    m_Escritura = std::make_unique<Escritura>();
    try {
        m_Fichero = std::make_unique<FicherosUtil::FicheroSalida>(m_Ruta, *m_Escritura, reserva);
    } catch (const RuntimeError& e) {
        Fallo(e);
    }
}

namespace {

// A file error names its path and then its cause in parentheses; the message around it has
// named the path already, so only the cause is left.
std::string CausaDeFichero(const RuntimeError& e) {
    const std::string& d = e.Detalle();
    if (!d.ends_with(')')) return MensajeEngine(e);
    int abiertos = 0;
    for (std::size_t i = d.size(); i-- > 0;) {
        if (d[i] == ')') ++abiertos;
        if (d[i] == '(' && --abiertos == 0)
            return i > 0 && d[i - 1] == ' ' ? d.substr(i + 1, d.size() - i - 2) : MensajeEngine(e);
    }
    return MensajeEngine(e);
}

}  // namespace

void Salida::Fallo(const RuntimeError& e) const {
    throw ErrorUso("no se puede escribir " + Citar(m_Ruta.string()) + ": " + CausaDeFichero(e));
}

void Salida::Escribir(std::string_view contenido) {
    if (Estandar()) return Emitir(stdout, contenido);
    try {
        m_Fichero->Escribir(contenido.data(), contenido.size());
    } catch (const RuntimeError& e) {
        Fallo(e);
    }
}

void Salida::Confirmar() {
    if (Estandar()) return;
    try {
        m_Fichero->Confirmar();
    } catch (const RuntimeError& e) {
        Fallo(e);
    }
}

void EscribirSalida(const std::filesystem::path& ruta, std::string_view contenido) {
    Salida s(ruta);
    s.Escribir(contenido);
    s.Confirmar();
}

namespace {

std::string NombreDeFlujo(std::FILE* f) {
    return f == stdout ? "la salida estándar" : "la salida";
}

}  // namespace

void Emitir(std::FILE* f, std::string_view texto) {
    if (std::fwrite(texto.data(), 1, texto.size(), f) == texto.size()) return;
    const int err = errno;
    // What is still buffered would fail again at the exit: dropped, told once.
    __fpurge(f);
    std::clearerr(f);
    throw ErrorUso("no se puede escribir en " + NombreDeFlujo(f) + ": " + FicherosUtil::Causa(err));
}

void Descargar(std::FILE* f) {
    if (std::fflush(f) == 0 && !std::ferror(f)) return;
    const int err = errno;
    __fpurge(f);
    std::clearerr(f);
    throw ErrorUso("no se puede escribir en " + NombreDeFlujo(f) + ": " + FicherosUtil::Causa(err));
}

std::optional<std::string> CerrarSalidaEstandar() {
    errno = 0;
    const bool fallo = std::fflush(stdout) != 0 || std::ferror(stdout);
    int err = errno;
    if (std::fclose(stdout) != 0 && !fallo)
        err = errno;
    else if (!fallo)
        return std::nullopt;
    return "no se puede escribir en la salida estándar: " +
           (err ? FicherosUtil::Causa(err) : std::string("error de escritura"));
}

namespace {

struct Identidad {
    dev_t dispositivo;
    ino_t nodo;
    bool regular;
};

// The file a part names, links followed; none when it is not there (yet).
std::optional<Identidad> IdentidadDe(const Papel& p, bool salida) {
    struct stat st {};
    const int r = p.ruta == "-" ? ::fstat(salida ? STDOUT_FILENO : STDIN_FILENO, &st)
                                : ::stat(p.ruta.c_str(), &st);
    if (r != 0) return std::nullopt;
    return Identidad{st.st_dev, st.st_ino, S_ISREG(st.st_mode)};
}

std::string Nombrar(const Papel& p, bool salida) {
    if (p.ruta == "-") return salida ? "la salida estándar" : "la entrada estándar";
    return p.nombre + " " + Citar(p.ruta.string());
}

// Where an output that is not there yet would be made, to tell two such outputs apart.
std::filesystem::path DondeSeHace(const std::filesystem::path& ruta) {
    std::error_code ec;
    const auto destino = FicherosUtil::ResolverDestino(ruta).ruta;
    const auto absoluto = std::filesystem::absolute(destino, ec);
    return std::filesystem::weakly_canonical(ec ? destino : absoluto, ec);
}

}  // namespace

void ComprobarDistintos(const std::vector<Papel>& entradas, const std::vector<Papel>& salidas) {
    for (std::size_t i = 0; i < salidas.size(); ++i) {
        const Papel& s = salidas[i];
        for (std::size_t j = 0; j < i; ++j)
            if (s.ruta == "-" && salidas[j].ruta == "-")
                throw ErrorUso(salidas[j].nombre + " y " + s.nombre +
                               " irían los dos a la salida estándar; dé un fichero a uno de "
                               "ellos");
        const auto ids = IdentidadDe(s, true);
        // A pipe, a terminal or /dev/null read and written loses nothing.
        if (ids && !ids->regular) continue;
        auto rechazar = [&](const std::string& otro) {
            throw ErrorUso(Nombrar(s, true) + " es el mismo fichero que " + otro +
                           "; no se ha escrito nada (elija otra salida)");
        };
        if (ids) {
            for (const Papel& e : entradas) {
                const auto ide = IdentidadDe(e, false);
                if (ide && ide->dispositivo == ids->dispositivo && ide->nodo == ids->nodo)
                    rechazar(Nombrar(e, false));
            }
        }
        for (std::size_t j = 0; j < i; ++j) {
            const Papel& o = salidas[j];
            const auto ido = IdentidadDe(o, true);
            // Standard output is a file of its own only when it is one (a pipe or a
            // terminal is written straight, and loses nothing to another output).
            if ((s.ruta == "-" || o.ruta == "-") && !(ids && ido && ido->regular)) continue;
            const bool mismo = ids && ido
                                   ? ids->dispositivo == ido->dispositivo && ids->nodo == ido->nodo
                                   : DondeSeHace(s.ruta) == DondeSeHace(o.ruta);
            if (mismo) rechazar(Nombrar(o, true));
        }
    }
}

}  // namespace quelmar::herramientas
