#include "tools/Costear.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
                           CitarCorto(linea) + " no es una fecha AAAA-MM-DD");
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

// Lines of a call log, each kept up to kMaximo bytes: the rest of a longer line is
// skipped unread into memory, so a huge line costs no more than a short one.
class LectorLineas {
  public:
    static constexpr std::size_t kMaximo = 1024;

    explicit LectorLineas(std::FILE* f) : f_(f) {}

    // The next line without its "\n" (and whether it was cut); false at the end.
    bool Siguiente(std::string& linea, bool& cortada) {
        linea.clear();
        cortada = false;
        bool algo = false;
        while (true) {
            if (ini_ == fin_ && !Llenar()) return algo;
            algo = true;
            const char* p = buf_.data() + ini_;
            const auto* nl = static_cast<const char*>(std::memchr(p, '\n', fin_ - ini_));
            const std::size_t n = nl ? static_cast<std::size_t>(nl - p) : fin_ - ini_;
            const std::size_t cabe = std::min(n, kMaximo - linea.size());
            linea.append(p, cabe);
            cortada = cortada || cabe < n;
            ini_ += nl ? n + 1 : n;
            if (nl) return true;
        }
    }

    // The first bytes of the input, read ahead and not consumed.
    std::string_view Principio() {
        if (ini_ == fin_) Llenar();
        return {buf_.data() + ini_, fin_ - ini_};
    }

    bool Error() const { return error_; }

  private:
    // What the file has now, not a full buffer: a terminal or a pipe gets each line costed
    // as it comes.
    bool Llenar() {
        ini_ = fin_ = 0;
        ssize_t n;
        do n = ::read(::fileno(f_), buf_.data(), buf_.size());
        while (n < 0 && errno == EINTR);
        if (n < 0) error_ = true;
        if (n > 0) fin_ = static_cast<std::size_t>(n);
        return n > 0;
    }

    std::FILE* f_;
    std::vector<char> buf_ = std::vector<char>(1 << 16);
    std::size_t ini_ = 0, fin_ = 0;
    bool error_ = false;
};

// Edit distance between two names, letters compared without case.
std::size_t Distancia(std::string_view a, std::string_view b) {
    auto baja = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    std::vector<std::size_t> fila(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) fila[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = fila[0];
        fila[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t arriba = fila[j];
            fila[j] = std::min({fila[j] + 1, fila[j - 1] + 1,
                                diagonal + (baja(a[i - 1]) == baja(b[j - 1]) ? 0 : 1)});
            diagonal = arriba;
        }
    }
    return fila[b.size()];
}

// "; ¿quizá «X»?" with the catalogue name closest to `pedido`, or nothing when none is.
std::string Sugerencia(const std::vector<std::string>& nombres, std::string_view pedido) {
    const std::string* mejor = nullptr;
    std::size_t dMejor = SIZE_MAX;
    for (const auto& n : nombres)
        if (const auto d = Distancia(pedido, n); d < dMejor) dMejor = d, mejor = &n;
    if (!mejor || dMejor > std::max<std::size_t>(2, pedido.size() / 3)) return {};
    return "; ¿quizá " + Citar(*mejor) + "?";
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
        const long long pos =
            total_ > 0 ? static_cast<long long>(::lseek(::fileno(entrada), 0, SEEK_CUR)) : -1;
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
    std::vector<std::string> nombres;  // the catalogue's names in UTF-8, for suggestions
    for (std::int16_t i = 0; i < m.Count(); ++i)
        nombres.push_back(Cp1252AUtf8(NombreDeTarifa(m, i)));
    if (o.tarifa) {
        const auto b = A1252(*o.tarifa);
        if (!b || m.Find(*b) < 0)
            throw ErrorUso("la tarifa " + CitarCorto(*o.tarifa) + " no está en el catálogo" +
                           Sugerencia(nombres, *o.tarifa));
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

    const std::string nombreEntrada =
        o.llamadas ? Citar(o.llamadas->string()) : std::string("la entrada estándar");
    LectorLineas lector(entrada);
    if (!PareceTexto(lector.Principio()))
        throw ErrorUso(NoEsTexto(nombreEntrada) +
                       "; se espera un registro de llamadas, una por línea: inicio,fin[,tarifa]");

    const bool interactivo = ::isatty(::fileno(entrada)) || ::isatty(::fileno(salida));
    Progreso progreso(errores, entrada);
    if (!o.json)
        std::fputs(
            "inicio,fin,tarifa,importe,duracion,tipo,tipo_actual,bono_net,"
            "bono_net_actual,bono_dia,bono_noche\n",
            salida);

    // Past this many bad lines the rest are only counted.
    constexpr std::size_t kMalasMostradas = 20;
    std::size_t numLinea = 0, costeadas = 0, malas = 0;
    double importeTotal = 0.0;
    std::int64_t segundosTotales = 0;
    bool cabeceraVista = false, avisoOrden = false, aviso1252 = false;
    std::optional<double> finAnterior;
    std::vector<std::string> campos;
    std::string fila, bruta, convertida;
    auto mala = [&](const std::string& motivo) {
        if (malas++ >= kMalasMostradas) return;
        progreso.Borrar();
        std::fprintf(errores, "línea %zu: %s\n", numLinea, motivo.c_str());
    };

    bool cortada = false;
    while (lector.Siguiente(bruta, cortada)) {
        ++numLinea;
        progreso.Linea(numLinea, entrada);
        std::string_view linea(bruta);
        if (numLinea == 1 && linea.starts_with("\xEF\xBB\xBF")) linea.remove_prefix(3);
        while (!linea.empty() && (linea.back() == '\n' || linea.back() == '\r'))
            linea.remove_suffix(1);
        if (cortada) {
            cabeceraVista = true;
            mala("la línea mide más de " + std::to_string(LectorLineas::kMaximo) +
                 " bytes; una llamada ocupa menos de 100 (empieza " + CitarCorto(linea, 40) + ")");
            continue;
        }
        if (linea.find('\0') != std::string_view::npos) {
            cabeceraVista = true;
            mala("la línea tiene bytes nulos; no es texto");
            continue;
        }
        // A log saved by an old editor or spreadsheet in Latin-1 or Windows-1252.
        if (!EsUtf8(linea)) {
            convertida = Cp1252AUtf8(linea);
            linea = convertida;
            if (!aviso1252) {
                aviso1252 = true;
                progreso.Borrar();
                std::fprintf(errores,
                             "línea %zu: aviso: el texto no es UTF-8; las líneas así se leen como "
                             "Windows-1252 (Latin-1)\n",
                             numLinea);
            }
        }
        const std::string_view contenido = RecortarBlancos(linea);
        if (contenido.empty() || contenido.starts_with('#')) continue;
        const bool primera = !cabeceraVista;
        cabeceraVista = true;
        auto fallo = PartirCsv(linea, ',', campos);
        // ";" separates too, as a Spanish spreadsheet writes it.
        if (!fallo && campos.size() == 1 && linea.find(';') != std::string_view::npos)
            fallo = PartirCsv(linea, ';', campos);
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
            mala("inicio " + CitarCorto(tIni) + " ilegible (se espera AAAA-MM-DDTHH:MM:SS)");
            continue;
        }
        const auto fin = LeerInstante(tFin);
        if (!fin) {
            mala("fin " + CitarCorto(tFin) + " ilegible (se espera AAAA-MM-DDTHH:MM:SS)");
            continue;
        }
        const std::int64_t segundos = fecha::SegundosEntre(*ini, *fin);
        if (segundos < 0) {
            mala("el fin " + CitarCorto(tFin) + " es anterior al inicio " + CitarCorto(tIni));
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
                mala("tarifa desconocida " + CitarCorto(pedido) + Sugerencia(nombres, pedido));
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
            std::string motivo = "el motor no pudo costear la llamada: " + MensajeEngine(e);
            // The billing period of a call late in 9999 ends past the last date there is.
            const auto* re = dynamic_cast<const RuntimeError*>(&e);
            if (re && re->Numero() == 6 && fecha::Anio(*fin) == 9999)
                motivo +=
                    "; su periodo de facturación acaba después del año 9999, la última fecha que "
                    "el motor cuenta";
            mala(motivo);
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
    progreso.Borrar();
    const bool errorLectura = lector.Error();
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
    if (malas > kMalasMostradas)
        std::fprintf(errores, " (solo se muestran las %zu primeras)", kMalasMostradas);
    std::fputs("\n", errores);
    return malas ? kSalidaLineasMalas : kSalidaBien;
}

}  // namespace quelmar::herramientas
