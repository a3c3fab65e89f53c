#include "tools/Consola.h"

#include <unistd.h>

#include "llamadas/Instantes.h"
#include "llamadas/Textos.h"
#include "llamadas/formatos/Lector.h"
#include "tools/Bonos.h"
#include "tools/Comun.h"
#include "tools/Formato.h"

namespace quelmar::herramientas {

Consola::Consola(std::FILE* errores, bool filasEnTerminal) : m_Errores(errores) {
    m_Activo = ::isatty(::fileno(errores)) != 0 && !filasEnTerminal;
    m_Inicio = m_Ultimo = std::chrono::steady_clock::now();
}

void Consola::Mala(const Lugar& lugar, const std::string& motivo) {
    if (m_Malas++ >= kMalasMostradas) return;
    Borrar();
    std::fprintf(m_Errores, "%s:%zu: %s\n", lugar.fichero.c_str(), lugar.linea, motivo.c_str());
}

void Consola::Aviso(const Lugar& lugar, const std::string& texto, TipoAviso tipo) {
    if (tipo == TipoAviso::Desacuerdo && m_Desacuerdos++ >= kMalasMostradas) return;
    Borrar();
    if (lugar.fichero.empty())
        std::fprintf(m_Errores, "aviso: %s\n", texto.c_str());
    else
        std::fprintf(m_Errores, "%s:%zu: aviso: %s\n", lugar.fichero.c_str(), lugar.linea,
                     texto.c_str());
}

bool Consola::Progreso(std::size_t registros, std::uint64_t leidos, std::uint64_t total) {
    if (!m_Activo) return true;
    const auto ahora = std::chrono::steady_clock::now();
    if (ahora - m_Inicio < std::chrono::seconds(1) ||
        ahora - m_Ultimo < std::chrono::milliseconds(250))
        return true;
    m_Ultimo = ahora;
    m_Mostrado = true;
    if (total > 0)
        std::fprintf(m_Errores, "\rtarificador: línea %zu (%llu %%)", registros,
                     static_cast<unsigned long long>(leidos * 100 / total));
    else
        std::fprintf(m_Errores, "\rtarificador: línea %zu", registros);
    std::fflush(m_Errores);
    return true;
}

void Consola::Borrar() {
    if (!m_Mostrado) return;
    std::fputs("\r\033[K", m_Errores);
    m_Mostrado = false;
}

OpcionesSesion OpcionesDeSesion(const OpcionesCosteo& o) {
    OpcionesSesion s;
    s.catalogo = o.catalogo;
    s.tarifa = o.tarifa;
    s.festivos = o.festivos;
    if (o.bonos) {
        const std::filesystem::path ruta = *o.bonos;
        s.bonos = [ruta] { return LeerBonos(LeerFicheroEntero(ruta), ruta.string()); };
    }
    s.destinos = o.destinos;
    s.formato = o.formato;
    s.desde = o.desde, s.hasta = o.hasta;
    s.troncales = o.troncales;
    s.contextos = o.contextos;
    s.utc = o.utc;
    return s;
}

Origen OrigenDe(const OpcionesCosteo& o) {
    return {o.llamadas ? Citar(o.llamadas->string()) : std::string("la entrada estándar"),
            o.llamadas ? o.llamadas->string() : "(entrada estándar)"};
}

Totales Recorrer(Sesion& s, const OpcionesCosteo& o, std::FILE* entrada, Consola& consola,
                 DestinoLlamadas& destino) {
    EntradaDescriptor e(::fileno(entrada));
    try {
        Totales t = s.Recorrer(e, OrigenDe(o), destino);
        consola.Borrar();
        return t;
    } catch (...) {
        consola.Borrar();
        throw;
    }
}

std::size_t ReservaBonos(const cBono& inicial) {
    return EscribirBonos(inicial).size() + 4096;
}

void AvisarSinClave(Agrupar por, const TotalesPorClave& t, std::FILE* errores) {
    const auto filas = t.Ordenados();
    if (por == Agrupar::Nada || filas.size() != 1 || !filas[0].clave.empty()) return;
    std::fprintf(errores,
                 "tarificador: aviso: --por %s: ninguna llamada dice su %s; en un registro "
                 "sencillo, la cabecera nombra la columna «%s»\n",
                 por == Agrupar::Cuenta ? "cuenta" : "origen",
                 por == Agrupar::Cuenta ? "cuenta" : "origen",
                 por == Agrupar::Cuenta ? "cuenta" : "origen");
}

int Resumir(const Totales& t, std::FILE* errores) {
    // Read by a person: the locale's number form, as the report writes it.
    const std::string importe = NumeroLocal(t.importe, 2, FormatoDelEntorno());
    std::fprintf(errores, "tarificador: %zu %s, importe total %s, duración total %s", t.costeadas,
                 t.costeadas == 1 ? "llamada" : "llamadas", importe.c_str(),
                 TextoDuracion(t.segundos).c_str());
    if (t.malas)
        std::fprintf(errores, "; %zu %s", t.malas,
                     t.malas == 1 ? "línea con errores" : "líneas con errores");
    if (t.malas > kMalasMostradas)
        std::fprintf(errores, " (solo se muestran las %zu primeras)", kMalasMostradas);
    std::fputs("\n", errores);
    for (const std::string& frase : FrasesDelResumen(t))
        std::fprintf(errores, "tarificador: %s\n", frase.c_str());
    return t.malas ? kSalidaLineasMalas : kSalidaBien;
}

std::vector<std::string> FrasesDelResumen(const Totales& t, bool factura) {
    std::vector<std::string> r;
    auto cuantos = [](std::size_t n, const char* uno, const char* varios) {
        return std::to_string(n) + " " + (n == 1 ? uno : varios);
    };
    std::string sin;
    for (const auto& [motivo, n] : t.apartados)
        sin += (sin.empty() ? "" : ", ") + std::to_string(n) + " " + motivo;
    if (!sin.empty()) r.push_back("registros sin costear: " + sin);
    if (t.reconocido && t.formato != Formatos().front().nombre)
        if (const FormatoRegistro* f = BuscarFormato(t.formato))
            r.push_back("formato reconocido: " + Citar(f->nombre) + ", " +
                        std::string(f->descripcion));
    if (t.conTroncal)
        r.push_back(
            "por la troncal: " + cuantos(t.costeadas, "llamada saliente", "llamadas salientes") +
            ", " + cuantos(t.entrantes, "entrante", "entrantes") + " (no se cuestan), " +
            cuantos(t.internas, "interna", "internas") + " (no se cuestan)");
    if (t.otrosContextos)
        r.push_back(cuantos(t.otrosContextos, "registro", "registros") +
                    " de otros contextos, sin leer");
    if (t.sinPrefijo) {
        std::string numeros;
        for (const auto& [n, k] : t.numerosSinPrefijo)
            numeros += (numeros.empty() ? "" : ", ") + n + " (" + std::to_string(k) + ")";
        r.push_back(cuantos(t.sinPrefijo, "registro contestado", "registros contestados") +
                    " a números que ningún prefijo de --destinos cubre, sin costear (los más "
                    "frecuentes: " +
                    numeros +
                    "): serán internas o entrantes; «tarificador examinar FICHERO --destinos "
                    "FICHERO» muestra la troncal y los números, y --troncal cuesta solo las "
                    "salientes");
    }
    r.insert(r.end(), t.notas.begin(), t.notas.end());
    if (factura && t.columnaCobrado)
        r.push_back(
            t.factura.Resumen([](double x) { return NumeroLocal(x, 2, FormatoDelEntorno()); }));
    return r;
}

}  // namespace quelmar::herramientas
