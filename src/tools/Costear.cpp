#include "tools/Costear.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "bono/cBono.h"
#include "catalogue/cLlamada.h"
#include "costing/cCosteo.h"
#include "runtime/CodePage.h"
#include "runtime/OleDate.h"
#include "runtime/RuntimeError.h"
#include "runtime/Texto.h"
#include "time/cTiempo.h"
#include "tools/Bonos.h"
#include "tools/Comun.h"
#include "tools/Csv.h"
#include "tools/Instantes.h"

namespace quelmar::herramientas {

namespace {

std::string NombreDeTarifa(const cLlamada& m, std::int16_t i) {
    static const tTarifa::Campo& kNombre = *tTarifa::Buscar("Nombre");
    return std::string(RecortarEspacios(m.Registro(i).Texto(kNombre)));
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

// The catalogue loaded and holding the program's tariffs; ErrorUso otherwise.
void CargarCatalogo(cLlamada& m, const std::filesystem::path& carpeta) {
    try {
        m.Load();
    } catch (const std::exception& e) {
        throw ErrorUso("no se puede leer Tarifas.Dat en " + Citar(carpeta.string()) + ": " +
                       MensajeEngine(e));
    }
    if (m.Count() < cLlamada::kTarifasDelPrograma)
        throw ErrorUso("el catálogo de " + Citar(carpeta.string()) + " tiene " +
                       std::to_string(m.Count()) +
                       " tarifas; el costeo necesita al menos las cinco fijas (la principal, "
                       "10DIA, 50DIA, 10NOCHE y 50NOCHE)");
}

// The tariff of lines that name none: the one asked for, or the catalogue's first.
void ElegirTarifa(cLlamada& m, const std::optional<std::string>& pedida,
                  const std::vector<std::string>& nombres) {
    if (!pedida) {
        m.NombreTarifa(NombreDeTarifa(m, 0));
        return;
    }
    const auto b = Utf8ACp1252Exacto(*pedida);
    if (!b || m.Find(*b) < 0)
        throw ErrorUso("la tarifa " + CitarCorto(*pedida) + " no está en el catálogo" +
                       Sugerencia(nombres, *pedida));
    m.NombreTarifa(*b);
}

// The folder of --salida-bonos must be there before any call is costed.
void ComprobarSalidaBonos(const std::filesystem::path& ruta) {
    std::error_code ec;
    const auto carpeta =
        ruta.parent_path().empty() ? std::filesystem::path(".") : ruta.parent_path();
    if (std::filesystem::is_directory(ruta, ec)) throw ErrorUso(EsCarpeta(ruta));
    if (!std::filesystem::is_directory(carpeta, ec))
        throw ErrorUso("no se puede escribir " + Citar(ruta.string()) + ": la carpeta " +
                       Citar(carpeta.string()) + " no existe");
}

// Everything that can make the run unusable, checked before the first output.
void PrepararCosteo(cLlamada& m, const OpcionesCosteo& o, std::vector<std::string>& nombres) {
    CargarCatalogo(m, o.catalogo);
    for (std::int16_t i = 0; i < m.Count(); ++i)
        nombres.push_back(Cp1252AUtf8(NombreDeTarifa(m, i)));
    ElegirTarifa(m, o.tarifa, nombres);
    if (o.festivos) m.Festivos(LeerFestivos(*o.festivos));
    if (o.bonos) {
        const std::string texto = LeerFicheroEntero(*o.bonos);
        m.Bono() = LeerBonos(texto, o.bonos->string());
    }
    if (o.salidaBonos) ComprobarSalidaBonos(*o.salidaBonos);
}

// One call of the log as read from its line.
struct Llamada {
    double ini, fin;
    std::int64_t segundos;
    std::string nombre;  // the tariff's catalogue bytes
};

// The run over a call log: one registry of bonos carried from call to call, one row out
// per call costed, bad lines told on the error stream.
class Costeador {
  public:
    Costeador(cLlamada& m, const OpcionesCosteo& o, std::vector<std::string> nombres,
              std::FILE* entrada, std::FILE* salida, std::FILE* errores)
        : m_(m),
          o_(o),
          nombres_(std::move(nombres)),
          entrada_(entrada),
          salida_(salida),
          errores_(errores),
          interactivo_(::isatty(::fileno(entrada)) || ::isatty(::fileno(salida))),
          progreso_(errores, entrada),
          principal_(m.NombreTarifa()) {}

    void Cabecera();
    void Linea(std::string_view bruta, bool cortada);
    void Terminar(bool errorLectura);
    int Resumen();

  private:
    // Past this many bad lines the rest are only counted.
    static constexpr std::size_t kMalasMostradas = 20;

    std::optional<std::string_view> Contenido(std::string_view bruta, bool cortada);
    std::optional<Llamada> LeerLlamada(std::string_view linea);
    std::optional<Llamada> LeerCampos();
    bool CostearLlamada(const Llamada& l);
    void EscribirFila(const Llamada& l);
    void TotalesDeGrupo();
    void FilaJson(const Llamada& l, const std::string& tarifa);
    void FilaCsv(const Llamada& l, const std::string& celdaTarifa);
    void Vaciar();
    void Mala(const std::string& motivo);
    void Aviso(bool& dado, const char* texto);
    const std::optional<std::string>& BytesDe(std::string_view pedido);
    const std::pair<std::string, std::string>& TextosDe(const std::string& nombre);

    cLlamada& m_;
    const OpcionesCosteo& o_;
    const std::vector<std::string> nombres_;  // the catalogue's names in UTF-8, for suggestions
    std::FILE *entrada_, *salida_, *errores_;
    const bool interactivo_;
    Progreso progreso_;
    std::size_t numLinea_ = 0, costeadas_ = 0, malas_ = 0;
    double importeTotal_ = 0.0;
    std::int64_t segundosTotales_ = 0;
    bool cabeceraVista_ = false, avisoOrden_ = false, aviso1252_ = false;
    std::optional<double> finAnterior_;
    std::vector<std::string> campos_;
    // Rows not yet written: written in blocks, or each at once when someone is watching.
    std::string fila_, convertida_;
    // Kept between calls so that no call allocates for them.
    cBono respaldo_;
    std::string dia_, noche_;
    bool totalesVistos_ = false;
    const std::string principal_;
    // A log names few tariffs over and over: their conversions are worked out once.
    std::unordered_map<std::string, std::optional<std::string>> bytesDe_;
    std::unordered_map<std::string, std::pair<std::string, std::string>> textosDe_;
};

// The catalogue bytes of a tariff name of the log (Utf8ACp1252Exacto), remembered.
const std::optional<std::string>& Costeador::BytesDe(std::string_view pedido) {
    // A log of endless different names must not fill the memory.
    if (bytesDe_.size() > 4096) bytesDe_.clear();
    auto it = bytesDe_.find(std::string(pedido));
    if (it == bytesDe_.end())
        it = bytesDe_.emplace(std::string(pedido), Utf8ACp1252Exacto(pedido)).first;
    return it->second;
}

// A catalogue name in UTF-8 and as a CSV cell, remembered: names come from the catalogue.
const std::pair<std::string, std::string>& Costeador::TextosDe(const std::string& nombre) {
    auto it = textosDe_.find(nombre);
    if (it == textosDe_.end()) {
        std::string utf8 = Cp1252AUtf8(nombre);
        std::string celda = CeldaCsv(utf8);
        it = textosDe_.emplace(nombre, std::pair{std::move(utf8), std::move(celda)}).first;
    }
    return it->second;
}

void Costeador::Cabecera() {
    if (!o_.json)
        std::fputs(
            "inicio,fin,tarifa,importe,duracion,tipo,tipo_actual,bono_net,"
            "bono_net_actual,bono_dia,bono_noche\n",
            salida_);
}

void Costeador::Mala(const std::string& motivo) {
    if (malas_++ >= kMalasMostradas) return;
    progreso_.Borrar();
    std::fprintf(errores_, "línea %zu: %s\n", numLinea_, motivo.c_str());
}

// A warning given once per run, on the line that first calls for it.
void Costeador::Aviso(bool& dado, const char* texto) {
    if (dado) return;
    dado = true;
    progreso_.Borrar();
    std::fprintf(errores_, "línea %zu: aviso: %s\n", numLinea_, texto);
}

// The line as text, without its end; nothing for a bad line (told) and for one that
// holds no call (blank or a comment).
std::optional<std::string_view> Costeador::Contenido(std::string_view linea, bool cortada) {
    if (numLinea_ == 1 && linea.starts_with("\xEF\xBB\xBF")) linea.remove_prefix(3);
    while (!linea.empty() && (linea.back() == '\n' || linea.back() == '\r')) linea.remove_suffix(1);
    if (cortada) {
        cabeceraVista_ = true;
        Mala("la línea mide más de " + std::to_string(LectorLineas::kMaximo) +
             " bytes; una llamada ocupa menos de 100 (empieza " + CitarCorto(linea, 40) + ")");
        return std::nullopt;
    }
    if (linea.find('\0') != std::string_view::npos) {
        cabeceraVista_ = true;
        Mala("la línea tiene bytes nulos; no es texto");
        return std::nullopt;
    }
    // A log saved by an old editor or spreadsheet in Latin-1 or Windows-1252.
    if (!EsUtf8(linea)) {
        convertida_ = Cp1252AUtf8(linea);
        linea = convertida_;
        Aviso(aviso1252_,
              "el texto no es UTF-8; las líneas así se leen como Windows-1252 (Latin-1)");
    }
    const std::string_view contenido = RecortarBlancos(linea);
    if (contenido.empty() || contenido.starts_with('#')) return std::nullopt;
    return linea;
}

// The fields of a line cut into calls; nothing for a bad line (told) and for the header.
std::optional<Llamada> Costeador::LeerLlamada(std::string_view linea) {
    const bool primera = !cabeceraVista_;
    cabeceraVista_ = true;
    auto fallo = PartirCsv(linea, ',', campos_);
    // ";" separates too, as a Spanish spreadsheet writes it.
    if (!fallo && campos_.size() == 1 && linea.find(';') != std::string_view::npos)
        fallo = PartirCsv(linea, ';', campos_);
    // A first line whose first field does not start with a digit is a header.
    if (primera && !fallo) {
        const std::string_view c0 = RecortarBlancos(campos_[0]);
        if (c0.empty() || c0[0] < '0' || c0[0] > '9') return std::nullopt;
    }
    if (fallo) {
        Mala(*fallo);
        return std::nullopt;
    }
    if (campos_.size() < 2 || campos_.size() > 3) {
        Mala("se esperaban 2 o 3 campos (inicio,fin[,tarifa]) y hay " +
             std::to_string(campos_.size()));
        return std::nullopt;
    }
    return LeerCampos();
}

// The call of the fields read: two instants in order and a tariff of the catalogue.
std::optional<Llamada> Costeador::LeerCampos() {
    const std::string_view tIni = RecortarBlancos(campos_[0]), tFin = RecortarBlancos(campos_[1]);
    const auto ini = LeerInstante(tIni);
    if (!ini) {
        Mala("inicio " + CitarCorto(tIni) + " ilegible (se espera AAAA-MM-DDTHH:MM:SS)");
        return std::nullopt;
    }
    const auto fin = LeerInstante(tFin);
    if (!fin) {
        Mala("fin " + CitarCorto(tFin) + " ilegible (se espera AAAA-MM-DDTHH:MM:SS)");
        return std::nullopt;
    }
    const std::int64_t segundos = fecha::SegundosEntre(*ini, *fin);
    if (segundos < 0) {
        Mala("el fin " + CitarCorto(tFin) + " es anterior al inicio " + CitarCorto(tIni));
        return std::nullopt;
    }
    if (segundos > cTiempo::kSegundosMaximos) {
        Mala("la llamada dura más de " + std::to_string(cTiempo::kHorasMaximas) + " horas");
        return std::nullopt;
    }
    Llamada l{*ini, *fin, segundos, principal_};
    if (campos_.size() == 3 && !RecortarBlancos(campos_[2]).empty()) {
        const std::string_view pedido = RecortarBlancos(campos_[2]);
        const auto& b = BytesDe(pedido);
        if (!b || m_.Find(*b) < 0) {
            Mala("tarifa desconocida " + CitarCorto(pedido) + Sugerencia(nombres_, pedido));
            return std::nullopt;
        }
        l.nombre = *b;
    }
    return l;
}

// Costs the call with the registry carried from the previous one, refilled when a billing
// period began in between; false (told) when the engine fails, the registry as it was.
bool Costeador::CostearLlamada(const Llamada& l) {
    respaldo_ = m_.Bono();
    try {
        if (finAnterior_ && l.ini > *finAnterior_) {
            if (cCosteo::SeRellenaEntre(m_.Bono().DiaFactura(), *finAnterior_, l.ini))
                m_.Bono().Reset();
        } else if (finAnterior_ && l.ini < *finAnterior_) {
            Aviso(avisoOrden_,
                  "la llamada empieza antes de que acabe la anterior; los bonos se gastan en el "
                  "orden de las líneas");
        }
        m_.Datos(l.ini, l.fin, &m_.Bono(), l.nombre);
    } catch (const std::exception& e) {
        m_.Bono() = respaldo_;
        std::string motivo = "el motor no pudo costear la llamada: " + MensajeEngine(e);
        // The billing period of a call late in 9999 ends past the last date there is.
        const auto* re = dynamic_cast<const RuntimeError*>(&e);
        if (re && re->Numero() == 6 && fecha::Anio(l.fin) == 9999)
            motivo +=
                "; su periodo de facturación acaba después del año 9999, la última fecha que "
                "el motor cuenta";
        Mala(motivo);
        return false;
    }
    finAnterior_ = l.fin;
    ++costeadas_;
    importeTotal_ += m_.importe();
    segundosTotales_ += l.segundos;
    return true;
}

// The amount as a JSON number with the digits of TextoImporte: a whole amount as an
// integer, any other as the double those digits read as. nlohmann writes the same digits,
// in exponent form below 0.0001 ("5e-05" where TextoImporte gives "0.00005").
nlohmann::ordered_json NumeroJson(float importe) {
    const std::string texto = TextoImporte(importe);
    if (texto.find('.') == std::string::npos && std::fabs(importe) < 9e18f)
        return static_cast<std::int64_t>(importe);
    return std::strtod(texto.c_str(), nullptr);
}

// The registry's group totals, worked out again only when the call changed the registry:
// respaldo_ holds the registry they were last worked out for.
void Costeador::TotalesDeGrupo() {
    if (totalesVistos_ && m_.Bono().MismosTiempos(respaldo_)) return;
    dia_ = m_.Bono().TotalTiempoGrupo(0);
    noche_ = m_.Bono().TotalTiempoGrupo(1);
    totalesVistos_ = true;
}

void Costeador::FilaJson(const Llamada& l, const std::string& tarifa) {
    const nlohmann::ordered_json fila = {
        {"inicio", TextoInstante(l.ini)},
        {"fin", TextoInstante(l.fin)},
        {"tarifa", tarifa},
        {"importe", NumeroJson(m_.importe())},
        {"duracion", m_.Duracion()},
        {"tipo", m_.Tipo()},
        {"tipo_actual", m_.TipoActual()},
        {"bono_net", m_.BonoNet()},
        {"bono_net_actual", m_.BonoNetActual()},
        {"bono_dia", dia_},
        {"bono_noche", noche_},
    };
    fila_ += fila.dump();
    fila_ += '\n';
}

// Appended into the pending rows: no temporary strings per call.
void Costeador::FilaCsv(const Llamada& l, const std::string& celdaTarifa) {
    AnadirInstante(fila_, l.ini);
    fila_ += ',';
    AnadirInstante(fila_, l.fin);
    fila_ += ',';
    fila_ += celdaTarifa;
    fila_ += ',';
    fila_ += TextoImporte(m_.importe());
    fila_ += ',';
    fila_ += m_.Duracion();
    fila_ += ',';
    fila_ += std::to_string(m_.Tipo());
    fila_ += ',';
    fila_ += std::to_string(m_.TipoActual());
    fila_ += m_.BonoNet() ? ",1," : ",0,";
    fila_ += m_.BonoNetActual() ? "1," : "0,";
    fila_ += dia_;
    fila_ += ',';
    fila_ += noche_;
    fila_ += '\n';
}

void Costeador::EscribirFila(const Llamada& l) {
    const auto& [tarifa, celda] = TextosDe(l.nombre);
    TotalesDeGrupo();
    if (o_.json)
        FilaJson(l, tarifa);
    else
        FilaCsv(l, celda);
    if (interactivo_ || fila_.size() >= (1 << 16)) Vaciar();
}

void Costeador::Vaciar() {
    std::fwrite(fila_.data(), 1, fila_.size(), salida_);
    fila_.clear();
    if (interactivo_) std::fflush(salida_);
}

void Costeador::Linea(std::string_view bruta, bool cortada) {
    ++numLinea_;
    progreso_.Linea(numLinea_, entrada_);
    const auto linea = Contenido(bruta, cortada);
    if (!linea) return;
    const auto llamada = LeerLlamada(*linea);
    if (llamada && CostearLlamada(*llamada)) EscribirFila(*llamada);
}

// After the last line: the output flushed, a failed read or write told.
void Costeador::Terminar(bool errorLectura) {
    progreso_.Borrar();
    Vaciar();
    std::fflush(salida_);
    if (std::ferror(salida_)) throw ErrorUso("no se pudo escribir la salida");
    if (errorLectura) throw ErrorUso("error al leer las llamadas");
}

// The totals on the error stream; the exit status.
int Costeador::Resumen() {
    char importe[64];
    std::snprintf(importe, sizeof importe, "%.2f", importeTotal_);
    std::fprintf(errores_, "tarificador: %zu %s, importe total %s, duración total %s", costeadas_,
                 costeadas_ == 1 ? "llamada" : "llamadas", importe,
                 TextoDuracion(segundosTotales_).c_str());
    if (malas_)
        std::fprintf(errores_, "; %zu %s", malas_,
                     malas_ == 1 ? "línea con errores" : "líneas con errores");
    if (malas_ > kMalasMostradas)
        std::fprintf(errores_, " (solo se muestran las %zu primeras)", kMalasMostradas);
    std::fputs("\n", errores_);
    return malas_ ? kSalidaLineasMalas : kSalidaBien;
}

}  // namespace

int Costear(const OpcionesCosteo& o, std::FILE* entrada, std::FILE* salida, std::FILE* errores) {
    CatalogoExistente(o.catalogo);
    cLlamada m(o.catalogo);
    std::vector<std::string> nombres;
    PrepararCosteo(m, o, nombres);

    LectorLineas lector(entrada);
    if (!PareceTexto(lector.Principio())) {
        const std::string nombre =
            o.llamadas ? Citar(o.llamadas->string()) : std::string("la entrada estándar");
        throw ErrorUso(NoEsTexto(nombre) +
                       "; se espera un registro de llamadas, una por línea: inicio,fin[,tarifa]");
    }

    Costeador costeo(m, o, std::move(nombres), entrada, salida, errores);
    costeo.Cabecera();
    std::string linea;
    bool cortada = false;
    while (lector.Siguiente(linea, cortada)) costeo.Linea(linea, cortada);
    costeo.Terminar(lector.Error());

    if (o.salidaBonos) EscribirFicheroAtomico(*o.salidaBonos, EscribirBonos(m.Bono()));
    return costeo.Resumen();
}

}  // namespace quelmar::herramientas
