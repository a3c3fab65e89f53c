#include "tools/Costear.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "bono/cBono.h"
#include "catalogue/cLlamada.h"
#include "periods/cPeriodo.h"
#include "runtime/CodePage.h"
#include "runtime/OleDate.h"
#include "runtime/RuntimeError.h"
#include "runtime/Texto.h"
#include "tools/Bonos.h"
#include "tools/Comun.h"
#include "tools/Csv.h"
#include "tools/Instantes.h"

namespace quelmar::herramientas {

namespace {

// cTiempo holds the duration with 16-bit hours.
constexpr std::int64_t kDuracionMaxima = 32767LL * 3600 + 3599;

std::string NombreDeTarifa(const cLlamada& m, std::int16_t i) {
    static const tTarifa::Campo& kNombre = *tTarifa::Buscar("Nombre");
    return std::string(RecortarEspacios(m.Registro(i).Texto(kNombre)));
}

// UTF-8 to the catalogue's bytes; nothing when the code page cannot hold it.
std::optional<std::string> A1252(std::string_view utf8) {
    std::string b = Utf8ACp1252(utf8);
    if (Cp1252AUtf8(b) != utf8) return std::nullopt;
    return b;
}

std::vector<Variant> LeerFestivos(const std::filesystem::path& ruta) {
    const std::string texto = LeerFicheroEntero(ruta);
    std::vector<Variant> r;
    std::size_t n = 0, desde = 0;
    while (desde <= texto.size()) {
        std::size_t hasta = texto.find('\n', desde);
        if (hasta == std::string::npos) hasta = texto.size();
        std::string_view linea(texto.data() + desde, hasta - desde);
        ++n;
        desde = hasta + 1;
        if (n == 1 && linea.starts_with("\xEF\xBB\xBF")) linea.remove_prefix(3);
        if (linea.ends_with('\r')) linea.remove_suffix(1);
        linea = RecortarBlancos(linea);
        if (linea.empty() || linea.starts_with('#')) continue;
        const auto d = LeerDia(linea);
        if (!d)
            throw ErrorUso(Citar(ruta.string()) + " línea " + std::to_string(n) + ": " +
                           Citar(linea) + " no es una fecha AAAA-MM-DD");
        r.push_back(Variant::DeFecha(*d));
    }
    if (r.size() > 32768) throw ErrorUso(Citar(ruta.string()) + ": más de 32768 festivos");
    r.emplace_back();  // the spare entry the engine never reads
    return r;
}

// Whether the billing periods from the previous call's end to this call's start are more
// than one, as the engine cuts a call: the bonos then start this call full.
bool CruzaPeriodo(std::uint8_t diaFactura, double finAnterior, double inicio) {
    // Periods cover whole days, so two instants of one day share a period.
    if (fecha::SoloFecha(finAnterior) == fecha::SoloFecha(inicio)) return false;
    cPeriodo p;
    p.Datos(diaFactura, 2);
    p.Periodos(finAnterior, inicio);
    p.Reset();
    int n = 0;
    for (std::string s = p.Periodo(); !s.empty(); s = p.Periodo())
        if (s != "Otro" && ++n > 1) return true;
    return false;
}

class Progreso {
  public:
    Progreso(std::FILE* errores, std::FILE* entrada) : errores_(errores) {
        activo_ = ::isatty(::fileno(errores)) != 0;
        struct stat st {};
        if (::fstat(::fileno(entrada), &st) == 0 && S_ISREG(st.st_mode))
            total_ = static_cast<long long>(st.st_size);
        inicio_ = ultimo_ = std::chrono::steady_clock::now();
    }
    void Linea(std::size_t n, std::FILE* entrada) {
        if (!activo_ || n % 1000 != 0) return;
        const auto ahora = std::chrono::steady_clock::now();
        if (ahora - inicio_ < std::chrono::seconds(1) ||
            ahora - ultimo_ < std::chrono::milliseconds(250))
            return;
        ultimo_ = ahora;
        mostrado_ = true;
        const long long pos = total_ > 0 ? static_cast<long long>(std::ftell(entrada)) : -1;
        if (pos >= 0)
            std::fprintf(errores_, "\rtarificador: línea %zu (%lld %%)", n, pos * 100 / total_);
        else
            std::fprintf(errores_, "\rtarificador: línea %zu", n);
        std::fflush(errores_);
    }
    // Clears the progress line before any other message.
    void Borrar() {
        if (!mostrado_) return;
        std::fputs("\r\033[K", errores_);
        mostrado_ = false;
    }

  private:
    std::FILE* errores_;
    bool activo_ = false;
    bool mostrado_ = false;
    long long total_ = 0;
    std::chrono::steady_clock::time_point inicio_, ultimo_;
};

}  // namespace

int Costear(const OpcionesCosteo& o, std::FILE* entrada, std::FILE* salida, std::FILE* errores) {
    // Everything that can make the run unusable is checked before the first output.
    CatalogoExistente(o.catalogo);
    cLlamada m(o.catalogo);
    try {
        m.Load();
    } catch (const std::exception& e) {
        throw ErrorUso("no se puede leer Tarifas.Dat en " + Citar(o.catalogo.string()) + ": " +
                       MensajeEngine(e));
    }
    if (m.Count() < 5)
        throw ErrorUso("el catálogo de " + Citar(o.catalogo.string()) + " tiene " +
                       std::to_string(m.Count()) +
                       " tarifas; el costeo necesita al menos las cinco fijas (la principal, "
                       "10DIA, 50DIA, 10NOCHE y 50NOCHE)");
    if (o.tarifa) {
        const auto b = A1252(*o.tarifa);
        if (!b || m.Find(*b) < 0)
            throw ErrorUso("la tarifa " + Citar(*o.tarifa) + " no está en el catálogo");
        m.NombreTarifa(*b);
    } else {
        m.NombreTarifa(NombreDeTarifa(m, 0));
    }
    if (o.festivos) m.Festivos(LeerFestivos(*o.festivos));
    if (o.bonos) {
        const std::string texto = LeerFicheroEntero(*o.bonos);
        m.Bono() = LeerBonos(texto, o.bonos->string());
    }
    if (o.salidaBonos) {
        std::error_code ec;
        const auto carpeta = o.salidaBonos->parent_path().empty() ? std::filesystem::path(".")
                                                                  : o.salidaBonos->parent_path();
        if (std::filesystem::is_directory(*o.salidaBonos, ec))
            throw ErrorUso(EsCarpeta(*o.salidaBonos));
        if (!std::filesystem::is_directory(carpeta, ec))
            throw ErrorUso("no se puede escribir " + Citar(o.salidaBonos->string()) +
                           ": la carpeta " + Citar(carpeta.string()) + " no existe");
    }

    const bool interactivo = ::isatty(::fileno(entrada)) || ::isatty(::fileno(salida));
    Progreso progreso(errores, entrada);
    if (!o.json)
        std::fputs(
            "inicio,fin,tarifa,importe,duracion,tipo,tipo_actual,bono_net,"
            "bono_net_actual,bono_dia,bono_noche\n",
            salida);

    std::size_t numLinea = 0, costeadas = 0, malas = 0;
    double importeTotal = 0.0;
    std::int64_t segundosTotales = 0;
    bool cabeceraVista = false, avisoOrden = false;
    std::optional<double> finAnterior;
    std::vector<std::string> campos;
    std::string fila;
    char* buf = nullptr;
    std::size_t cap = 0;
    auto mala = [&](const std::string& motivo) {
        progreso.Borrar();
        std::fprintf(errores, "línea %zu: %s\n", numLinea, motivo.c_str());
        ++malas;
    };

    ssize_t leidos;
    while ((leidos = ::getline(&buf, &cap, entrada)) >= 0) {
        ++numLinea;
        progreso.Linea(numLinea, entrada);
        std::string_view linea(buf, static_cast<std::size_t>(leidos));
        if (numLinea == 1 && linea.starts_with("\xEF\xBB\xBF")) linea.remove_prefix(3);
        while (!linea.empty() && (linea.back() == '\n' || linea.back() == '\r'))
            linea.remove_suffix(1);
        const std::string_view contenido = RecortarBlancos(linea);
        if (contenido.empty() || contenido.starts_with('#')) continue;
        const bool primera = !cabeceraVista;
        cabeceraVista = true;
        const auto fallo = PartirCsv(linea, ',', campos);
        // A first line whose first field does not start with a digit is a header.
        if (primera && !fallo) {
            const std::string_view c0 = RecortarBlancos(campos[0]);
            if (c0.empty() || c0[0] < '0' || c0[0] > '9') continue;
        }
        if (fallo) {
            mala(*fallo);
            continue;
        }
        if (campos.size() < 2 || campos.size() > 3) {
            mala("se esperaban 2 o 3 campos (inicio,fin[,tarifa]) y hay " +
                 std::to_string(campos.size()));
            continue;
        }
        const std::string_view tIni = RecortarBlancos(campos[0]), tFin = RecortarBlancos(campos[1]);
        const auto ini = LeerInstante(tIni);
        if (!ini) {
            mala("inicio " + Citar(tIni) + " ilegible (se espera AAAA-MM-DDTHH:MM:SS)");
            continue;
        }
        const auto fin = LeerInstante(tFin);
        if (!fin) {
            mala("fin " + Citar(tFin) + " ilegible (se espera AAAA-MM-DDTHH:MM:SS)");
            continue;
        }
        const std::int64_t segundos = fecha::SegundosEntre(*ini, *fin);
        if (segundos < 0) {
            mala("el fin " + Citar(tFin) + " es anterior al inicio " + Citar(tIni));
            continue;
        }
        if (segundos > kDuracionMaxima) {
            mala("la llamada dura más de 32767 horas");
            continue;
        }
        std::string nombre = m.NombreTarifa();
        if (campos.size() == 3 && !RecortarBlancos(campos[2]).empty()) {
            const std::string_view pedido = RecortarBlancos(campos[2]);
            const auto b = A1252(pedido);
            if (!b || m.Find(*b) < 0) {
                mala("tarifa desconocida " + Citar(pedido));
                continue;
            }
            nombre = *b;
        }

        // The registry is restored if the engine fails half-way through a call.
        cBono respaldo = m.Bono();
        try {
            if (finAnterior && *ini > *finAnterior) {
                if (CruzaPeriodo(m.Bono().DiaFactura(), *finAnterior, *ini)) m.Bono().Reset();
            } else if (finAnterior && *ini < *finAnterior && !avisoOrden) {
                avisoOrden = true;
                progreso.Borrar();
                std::fprintf(errores,
                             "línea %zu: aviso: la llamada empieza antes de que acabe la "
                             "anterior; los bonos se gastan en el orden de las líneas\n",
                             numLinea);
            }
            m.Datos(*ini, *fin, &m.Bono(), nombre);
        } catch (const std::exception& e) {
            m.Bono() = respaldo;
            mala("el motor no pudo costear la llamada: " + MensajeEngine(e));
            continue;
        }
        finAnterior = *fin;
        ++costeadas;
        importeTotal += m.importe();
        segundosTotales += segundos;

        const std::string tarifa = Cp1252AUtf8(nombre);
        const std::string dia = m.Bono().TotalTiempoGrupo(0);
        const std::string noche = m.Bono().TotalTiempoGrupo(1);
        fila.clear();
        if (o.json) {
            fila += "{\"inicio\":\"" + TextoInstante(*ini) + "\",\"fin\":\"" + TextoInstante(*fin) +
                    "\",\"tarifa\":" + CadenaJson(tarifa) +
                    ",\"importe\":" + TextoImporte(m.importe()) +
                    ",\"duracion\":" + CadenaJson(m.Duracion()) +
                    ",\"tipo\":" + std::to_string(m.Tipo()) +
                    ",\"tipo_actual\":" + std::to_string(m.TipoActual()) +
                    ",\"bono_net\":" + (m.BonoNet() ? "true" : "false") +
                    ",\"bono_net_actual\":" + (m.BonoNetActual() ? "true" : "false") +
                    ",\"bono_dia\":\"" + dia + "\",\"bono_noche\":\"" + noche + "\"}\n";
        } else {
            fila += TextoInstante(*ini) + ',' + TextoInstante(*fin) + ',' + CeldaCsv(tarifa) + ',' +
                    TextoImporte(m.importe()) + ',' + m.Duracion() + ',' +
                    std::to_string(m.Tipo()) + ',' + std::to_string(m.TipoActual()) + ',' +
                    (m.BonoNet() ? '1' : '0') + ',' + (m.BonoNetActual() ? '1' : '0') + ',' + dia +
                    ',' + noche + '\n';
        }
        std::fwrite(fila.data(), 1, fila.size(), salida);
        if (interactivo) std::fflush(salida);
    }
    std::free(buf);
    progreso.Borrar();
    const bool errorLectura = std::ferror(entrada) != 0;
    std::fflush(salida);
    if (std::ferror(salida)) throw ErrorUso("no se pudo escribir la salida");
    if (errorLectura) throw ErrorUso("error al leer las llamadas");

    if (o.salidaBonos) EscribirFicheroAtomico(*o.salidaBonos, EscribirBonos(m.Bono()));

    char importe[64];
    std::snprintf(importe, sizeof importe, "%.2f", importeTotal);
    std::fprintf(errores, "tarificador: %zu %s, importe total %s, duración total %s", costeadas,
                 costeadas == 1 ? "llamada" : "llamadas", importe,
                 TextoDuracion(segundosTotales).c_str());
    if (malas)
        std::fprintf(errores, "; %zu %s", malas,
                     malas == 1 ? "línea con errores" : "líneas con errores");
    std::fputs("\n", errores);
    return malas ? kSalidaLineasMalas : kSalidaBien;
}

}  // namespace quelmar::herramientas
