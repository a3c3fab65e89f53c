#include "tools/Recorrido.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <utility>
#include <vector>

#include "bono/cBono.h"
#include "costing/cCosteo.h"
#include "costing/cLlamada.h"
#include "runtime/CodePage.h"
#include "runtime/OleDate.h"
#include "runtime/RuntimeError.h"
#include "runtime/Texto.h"
#include "time/cTiempo.h"
#include "tools/Asterisk.h"
#include "tools/Bonos.h"
#include "tools/CatalogoCsv.h"
#include "tools/Cobrado.h"
#include "tools/Comun.h"
#include "tools/Csv.h"
#include "tools/Destinos.h"
#include "tools/Formato.h"
#include "tools/Instantes.h"

namespace quelmar::herramientas {

std::string NombreDeTarifa(const cLlamada& m, std::int16_t i) {
    static const tTarifa::Campo& kNombre = tTarifa::CampoNombre();
    return std::string(RecortarEspacios(m.Registro(i).Texto(kNombre)));
}

namespace {

std::vector<Variant> LeerFestivos(const std::filesystem::path& ruta) {
    const std::string texto = LeerFicheroEntero(ruta);
    std::vector<Variant> r;
    // Filled once: tens of thousands of holidays would otherwise be copied as it grows.
    r.reserve(static_cast<std::size_t>(std::count(texto.begin(), texto.end(), '\n')) + 2);
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
            throw ErrorUso(ruta.string() + ":" + std::to_string(n) + ": " + CitarCorto(linea) +
                           " no es una fecha AAAA-MM-DD");
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
    // Kept of a line: its longest content and the CR of a CRLF end.
    static constexpr std::size_t kGuardado = kMaximo + 1;

    explicit LectorLineas(std::FILE* f) : m_Fichero(f) {}

    // The next line without its "\n" (and whether it was cut); false at the end. The line
    // stays valid until the next call: most lie whole in the buffer and are not copied.
    bool Siguiente(std::string_view& linea, bool& cortada) {
        cortada = false;
        if (m_Ini < m_Fin) {
            const char* p = m_Buf.data() + m_Ini;
            const std::size_t n = std::min(m_Fin - m_Ini, kGuardado + 1);
            if (const auto* nl = static_cast<const char*>(std::memchr(p, '\n', n))) {
                linea = {p, static_cast<std::size_t>(nl - p)};
                m_Ini += linea.size() + 1;
                return true;
            }
        }
        // A line across reads, or too long: assembled, and cut at kMaximo bytes.
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
            const std::size_t cabe = std::min(n, kGuardado - m_Linea.size());
            m_Linea.append(p, cabe);
            cortada = cortada || cabe < n;
            m_Ini += nl ? n + 1 : n;
            if (nl) {
                linea = m_Linea;
                return true;
            }
        }
    }

    // The first bytes of the input, read ahead and not consumed.
    std::string_view Principio() {
        if (m_Ini == m_Fin) Llenar();
        return {m_Buf.data() + m_Ini, m_Fin - m_Ini};
    }

    // The errno of a failed read; 0 when none failed.
    int Error() const { return m_Error; }

  private:
    // What the file has now, not a full buffer: a terminal or a pipe gets each line costed
    // as it comes.
    bool Llenar() {
        m_Ini = m_Fin = 0;
        ssize_t n;
        do n = ::read(::fileno(m_Fichero), m_Buf.data(), m_Buf.size());
        while (n < 0 && errno == EINTR);
        if (n < 0) m_Error = errno;
        if (n > 0) m_Fin = static_cast<std::size_t>(n);
        return n > 0;
    }

    std::FILE* m_Fichero;
    std::string m_Linea;  // a line that is not whole in the buffer
    std::vector<char> m_Buf = std::vector<char>(1 << 16);
    std::size_t m_Ini = 0, m_Fin = 0;
    int m_Error = 0;
};

// Why an instant of a log cannot be read, after its quoted text.
std::string InstanteIlegible(std::string_view texto) {
    return CitarCorto(texto) + (FormaDeInstante(texto)
                                    ? " no existe: ese día o esa hora no están en el calendario "
                                      "(o el año es anterior al 100)"
                                    : " ilegible (se espera AAAA-MM-DDTHH:MM:SS)");
}

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

// The bytes of a name counted in 64 classes (letters without case, digits, the rest
// folded), each class's count up to 3 as bits of three masks: bit k of veces[j] says class
// k occurs more than j times. Two names' masks give at once a lower bound of their edit
// distance, so that most of a large catalogue is passed over without working it out.
struct Firma {
    std::array<std::uint64_t, 3> veces{};
};

Firma FirmaDe(std::string_view nombre) {
    std::array<std::uint8_t, 64> cuenta{};
    for (const char ch : nombre) {
        const auto c = static_cast<unsigned char>(ch);
        const unsigned clase = c >= 'a' && c <= 'z'   ? c - 'a'
                               : c >= 'A' && c <= 'Z' ? c - 'A'
                               : c >= '0' && c <= '9' ? 26 + (c - '0')
                                                      : 36 + c % 28;
        if (cuenta[clase] < 3) ++cuenta[clase];
    }
    Firma f;
    for (std::size_t k = 0; k < 64; ++k)
        for (std::size_t j = 0; j < cuenta[k]; ++j) f.veces[j] |= std::uint64_t{1} << k;
    return f;
}

// No more than the edit distance: each edit adds or takes away at most one occurrence of
// one class on either side (a difference of classes folded together, or of counts past 3,
// only lowers the bound).
std::size_t DistanciaMinima(const Firma& a, const Firma& b) {
    int sobranA = 0, sobranB = 0;
    for (std::size_t j = 0; j < 3; ++j) {
        sobranA += std::popcount(a.veces[j] & ~b.veces[j]);
        sobranB += std::popcount(b.veces[j] & ~a.veces[j]);
    }
    return static_cast<std::size_t>(std::max(sobranA, sobranB));
}

// "; ¿quizá «X»?" with the catalogue name closest to `pedido`, or nothing when none is:
// the first of the nearest names, when it is near enough. `firmas`, when given, are the
// names' (FirmaDe): a name whose bound is already too far is not measured.
std::string Sugerencia(const std::vector<std::string>& nombres, std::string_view pedido,
                       const std::vector<Firma>* firmas = nullptr) {
    const std::size_t limite = std::max<std::size_t>(2, pedido.size() / 3);
    const Firma propia = FirmaDe(pedido);
    const std::string* mejor = nullptr;
    std::size_t dMejor = SIZE_MAX;
    for (std::size_t i = 0; i < nombres.size(); ++i) {
        // Only a name nearer than the best so far, and near enough, can change the answer.
        if (firmas && DistanciaMinima(propia, (*firmas)[i]) > std::min(dMejor - 1, limite))
            continue;
        if (const auto d = Distancia(pedido, nombres[i]); d < dMejor)
            dMejor = d, mejor = &nombres[i];
    }
    if (!mejor || dMejor > limite) return {};
    return "; ¿quizá " + Citar(*mejor) + "?";
}

class Progreso {
  public:
    // None when the rows themselves go to a terminal: they show the progress, and a
    // progress line there would end up glued to the start of a row.
    Progreso(std::FILE* errores, std::FILE* entrada, bool filasEnTerminal) : m_Errores(errores) {
        m_Activo = ::isatty(::fileno(errores)) != 0 && !filasEnTerminal;
        struct stat st {};
        if (::fstat(::fileno(entrada), &st) == 0 && S_ISREG(st.st_mode))
            m_Total = static_cast<long long>(st.st_size);
        m_Inicio = m_Ultimo = std::chrono::steady_clock::now();
    }
    void Linea(std::size_t n, std::FILE* entrada) {
        if (!m_Activo || n % 1000 != 0) return;
        const auto ahora = std::chrono::steady_clock::now();
        if (ahora - m_Inicio < std::chrono::seconds(1) ||
            ahora - m_Ultimo < std::chrono::milliseconds(250))
            return;
        m_Ultimo = ahora;
        m_Mostrado = true;
        const long long pos =
            m_Total > 0 ? static_cast<long long>(::lseek(::fileno(entrada), 0, SEEK_CUR)) : -1;
        if (pos >= 0)
            std::fprintf(m_Errores, "\rtarificador: línea %zu (%lld %%)", n, pos * 100 / m_Total);
        else
            std::fprintf(m_Errores, "\rtarificador: línea %zu", n);
        std::fflush(m_Errores);
    }
    // Clears the progress line before any other message.
    void Borrar() {
        if (!m_Mostrado) return;
        std::fputs("\r\033[K", m_Errores);
        m_Mostrado = false;
    }

  private:
    std::FILE* m_Errores;
    bool m_Activo = false;
    bool m_Mostrado = false;
    long long m_Total = 0;
    std::chrono::steady_clock::time_point m_Inicio, m_Ultimo;
};

// The catalogue loaded and holding the program's tariffs; ErrorUso otherwise.
void CargarCatalogo(cLlamada& m, const std::filesystem::path& carpeta) {
    try {
        m.Load();
    } catch (const std::exception& e) {
        throw ErrorUso("no se puede leer Tarifas.Dat en " + Citar(carpeta.string()) + ": " +
                       MensajeEngine(e));
    }
    if (m.BytesSueltos()) throw ErrorUso(CatalogoCortado(m.Ruta(), m.BytesLeidos()));
    if (m.Count() < cLlamada::kTarifasDelPrograma)
        throw ErrorUso("el catálogo de " + Citar(carpeta.string()) + " tiene " +
                       std::to_string(m.Count()) +
                       " tarifas; el costeo necesita al menos las cinco fijas (la principal, "
                       "10DIA, 50DIA, 10NOCHE y 50NOCHE)");
    // The catalogue rule: errors refuse it before any output, doubts are told.
    const ProblemasCosteo problemas = ProblemasParaCostear(m.Tarifas());
    const std::string del = "el catálogo de " + Citar(carpeta.string());
    if (!problemas.errores.empty()) {
        std::string texto = del + " no se puede costear tal como está:";
        for (std::size_t k = 0; k < problemas.errores.size() && k < 20; ++k)
            texto += "\n  " + problemas.errores[k];
        if (problemas.errores.size() > 20)
            texto += "\n  y " + std::to_string(problemas.errores.size() - 20) + " más";
        throw ErrorUso(texto + "\nCorríjalo en Quelmar o con «tarificador importar».");
    }
    for (std::size_t k = 0; k < problemas.dudas.size() && k < 20; ++k)
        std::fprintf(stderr, "aviso: %s: %s\n", del.c_str(), problemas.dudas[k].c_str());
    if (problemas.dudas.size() > 20)
        std::fprintf(stderr, "aviso: %s: y %zu nombres repetidos más\n", del.c_str(),
                     problemas.dudas.size() - 20);
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

}  // namespace

Preparacion PrepararCosteo(cLlamada& m, const OpcionesCosteo& o) {
    Preparacion p;
    CargarCatalogo(m, o.catalogo);
    for (std::int16_t i = 0; i < m.Count(); ++i)
        p.nombres.push_back(Cp1252AUtf8(NombreDeTarifa(m, i)));
    ElegirTarifa(m, o.tarifa, p.nombres);
    // The holidays and the registry go to each costing state a run makes (PrepararMotor).
    if (o.festivos) p.festivos = LeerFestivos(*o.festivos);
    if (o.bonos) p.inicial = LeerBonos(LeerFicheroEntero(*o.bonos), o.bonos->string());
    if (o.destinos) {
        auto d = std::make_shared<Destinos>(
            Destinos::Leer(LeerFicheroEntero(*o.destinos), o.destinos->string()));
        // Every tariff of the table is known before the first call is costed.
        for (const Destinos::Destino& f : d->Filas()) {
            const auto b = Utf8ACp1252Exacto(f.tarifa);
            if (!b || m.Find(*b) < 0)
                throw ErrorUso(o.destinos->string() + ":" + std::to_string(f.linea) +
                               ": la tarifa " + CitarCorto(f.tarifa) + " del prefijo " + f.prefijo +
                               " no está en el catálogo" + Sugerencia(p.nombres, f.tarifa));
        }
        p.destinos = std::move(d);
    }
    return p;
}

std::size_t ReservaBonos(const cBono& inicial) {
    return EscribirBonos(inicial).size() + 4096;
}

void LlevarRegistro(cBono& r, std::optional<double> finAnterior, double ini,
                    const AvisoCaducado& quitado) {
    for (std::int16_t i = 0; i < r.Count();) {
        const Variant caducidad = r.BajaPer(i);
        if (!caducidad.EsFecha() || !Antes(caducidad.fecha(), ini)) {
            ++i;
            continue;
        }
        if (quitado)
            quitado(std::string(RecortarEspacios(r.Nombre(i))), r.Alta(i), caducidad.fecha());
        r.Limpiar(Variant(i));
    }
    if (finAnterior && Antes(*finAnterior, ini) &&
        cCosteo::SeRellenaEntre(r.DiaFactura(), *finAnterior, ini))
        r.Reset();
}

namespace {

Llamada NuevaLlamada(double ini, double fin, std::int64_t segundos, const TarifaPedida* tarifa,
                     std::string_view textoIni, std::string_view textoFin) {
    Llamada l{};
    l.ini = ini, l.fin = fin, l.segundos = segundos, l.tarifa = tarifa;
    l.textoIni = textoIni, l.textoFin = textoFin;
    return l;
}

// Past this many bad lines the rest are only counted.
constexpr std::size_t kMalasMostradas = 20;

// Hashes and compares std::string keys with string_views: no key built per lookup.
struct HashTexto {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

class Recorrido {
  public:
    Recorrido(const cLlamada& m, cCosteo& motor, std::vector<std::string> nombres,
              std::FILE* entrada, std::FILE* errores, DestinoLlamadas& destino,
              std::string nombreEntrada, std::string lugar, const OpcionesCosteo& o,
              const Destinos* destinos)
        : m_NombreEntrada(std::move(nombreEntrada)),
          m_Lugar(std::move(lugar)),
          m_Catalogo(m),
          m_Motor(motor),
          m_Nombres(std::move(nombres)),
          m_Entrada(entrada),
          m_Errores(errores),
          m_Destino(destino),
          m_Progreso(errores, entrada, destino.FilasEnTerminal()),
          m_Principal(Pedida(m.NombreTarifa())) {
        // Where each name is first: what Find gives, without a walk of the catalogue for
        // every name a log asks for (a log may name thousands the catalogue lacks).
        m_Posiciones.reserve(static_cast<std::size_t>(m.Count()));
        for (std::int16_t i = 0; i < m.Count(); ++i) m_Posiciones.emplace(NombreDeTarifa(m, i), i);
        // PrepararCosteo made sure the catalogue has it.
        EnCatalogo(m_Principal);
        m_Asterisk = o.formato == FormatoLlamadas::Asterisk;
        m_TarifaDada = o.tarifa.has_value();
        m_Destinos = destinos;
        // The tariffs of --destinos, each found once (PrepararCosteo made sure of them).
        if (m_Destinos)
            for (const Destinos::Destino& f : m_Destinos->Filas()) {
                m_TarifasDestino.push_back(Pedida(Utf8ACp1252Exacto(f.tarifa)));
                EnCatalogo(m_TarifasDestino.back());
            }
    }

    void Linea(std::string_view bruta, bool cortada);
    void Terminar(int errorLectura);
    const TotalesRecorrido& Totales() const { return m_Totales; }

  private:
    std::optional<std::string_view> Contenido(std::string_view bruta, bool cortada);
    std::optional<Llamada> LeerLlamada(std::string_view linea);
    std::optional<Llamada> LeerCampos();
    std::optional<Llamada> LeerRegistro(std::string_view linea, bool primera);
    void Cabecera();
    bool TarifaPorNumero(Llamada& l, std::string_view numero);
    std::string_view Campo(std::size_t i) const {
        return i < m_Campos.size() ? RecortarBlancos(m_Campos[i]) : std::string_view();
    }
    bool CostearLlamada(const Llamada& l);
    void Mala(const std::string& motivo);
    void Aviso(bool& dado, const char* texto);
    TarifaPedida& PedidaEnLog(std::string_view pedido);
    bool EnCatalogo(TarifaPedida& t) const;
    static TarifaPedida Pedida(std::optional<std::string> bytes);

    const std::string m_NombreEntrada;  // as messages name it
    // The file as messages about a line start, "fichero:línea: ...", as editors and
    // terminals follow them.
    const std::string m_Lugar;
    const cLlamada& m_Catalogo;  // as loaded before the run: it does not change during it
    cCosteo& m_Motor;
    const std::vector<std::string> m_Nombres;  // the catalogue's names in UTF-8, for suggestions
    std::vector<Firma> m_Firmas;               // theirs, made at the first unknown name
    std::FILE *m_Entrada, *m_Errores;
    DestinoLlamadas& m_Destino;
    Progreso m_Progreso;
    TotalesRecorrido m_Totales;
    std::size_t m_NumLinea = 0;
    bool m_CabeceraVista = false, m_AvisoOrden = false, m_Aviso1252 = false;
    std::optional<double> m_FinAnterior;
    std::vector<std::string> m_Campos;
    std::string m_Convertida;
    // The registry before the call being costed; kept so that no call allocates for it.
    cBono m_Respaldo;
    bool m_HayRespaldo = false;
    TarifaPedida m_Principal;
    std::unordered_map<std::string, std::int16_t, HashTexto, std::equal_to<>> m_Posiciones;
    // A log names few tariffs over and over: their conversions are worked out once.
    std::unordered_map<std::string, TarifaPedida, HashTexto, std::equal_to<>> m_Pedidas;
    bool m_Asterisk = false, m_TarifaDada = false;
    const Destinos* m_Destinos = nullptr;
    std::vector<TarifaPedida> m_TarifasDestino;  // of each row of m_Destinos
    // Where the plain log has each column; a header line may name them.
    static constexpr std::size_t kSin = SIZE_MAX;
    struct Columnas {
        std::size_t tarifa = 2, numero = 3, cobrado = kSin, origen = kSin, cuenta = kSin;
        std::size_t maximo = 4;
        bool nombradas = false;
    } m_Col;
    bool m_AvisoComa = false;
    std::string m_TextoFin;  // an end worked out from billsec
    std::string m_Digitos;   // of the number being read
};

TarifaPedida Recorrido::Pedida(std::optional<std::string> bytes) {
    TarifaPedida t;
    t.bytes = std::move(bytes);
    if (t.bytes) {
        t.utf8 = Cp1252AUtf8(*t.bytes);
        t.celda = CeldaTarifa(*t.bytes);
    }
    return t;
}

// A tariff name of the log (Utf8ACp1252Exacto) and its texts, remembered.
TarifaPedida& Recorrido::PedidaEnLog(std::string_view pedido) {
    // A log of endless different names must not fill the memory.
    if (m_Pedidas.size() > 4096) m_Pedidas.clear();
    auto it = m_Pedidas.find(pedido);
    if (it == m_Pedidas.end())
        it = m_Pedidas.emplace(std::string(pedido), Pedida(Utf8ACp1252Exacto(pedido))).first;
    return it->second;
}

// Whether the catalogue has the tariff: looked up the first time the name is asked, as
// Datos finds it (the first tariff of that name).
bool Recorrido::EnCatalogo(TarifaPedida& t) const {
    if (!t.buscada) {
        const auto it = m_Posiciones.find(*t.bytes);
        t.posicion = it == m_Posiciones.end() ? std::int16_t{-1} : it->second;
        t.buscada = true;
    }
    return t.posicion >= 0;
}

void Recorrido::Mala(const std::string& motivo) {
    m_Destino.Mala(m_NumLinea, motivo);
    if (m_Totales.malas++ >= kMalasMostradas) return;
    m_Progreso.Borrar();
    std::fprintf(m_Errores, "%s:%zu: %s\n", m_Lugar.c_str(), m_NumLinea, motivo.c_str());
}

// A warning given once per run, on the line that first calls for it.
void Recorrido::Aviso(bool& dado, const char* texto) {
    if (dado) return;
    dado = true;
    m_Progreso.Borrar();
    std::fprintf(m_Errores, "%s:%zu: aviso: %s\n", m_Lugar.c_str(), m_NumLinea, texto);
}

// The line as text, without its end; nothing for a bad line (told) and for one that
// holds no call (blank or a comment).
std::optional<std::string_view> Recorrido::Contenido(std::string_view linea, bool cortada) {
    if (m_NumLinea == 1 && linea.starts_with("\xEF\xBB\xBF")) linea.remove_prefix(3);
    while (!linea.empty() && (linea.back() == '\n' || linea.back() == '\r')) linea.remove_suffix(1);
    if (cortada || linea.size() > LectorLineas::kMaximo) {
        m_CabeceraVista = true;
        Mala("la línea mide más de " + std::to_string(LectorLineas::kMaximo) +
             " bytes; una llamada ocupa menos de 100 (empieza " + CitarCorto(linea, 40) + ")");
        return std::nullopt;
    }
    if (linea.find('\0') != std::string_view::npos) {
        m_CabeceraVista = true;
        Mala("la línea tiene bytes nulos; no es texto");
        return std::nullopt;
    }
    // A log saved by an old editor or spreadsheet in Latin-1 or Windows-1252.
    if (!EsUtf8(linea)) {
        m_Convertida = Cp1252AUtf8(linea);
        linea = m_Convertida;
        Aviso(m_Aviso1252,
              "el texto no es UTF-8; las líneas así se leen como Windows-1252 (Latin-1)");
    }
    const std::string_view contenido = RecortarBlancos(linea);
    if (contenido.empty() || contenido.starts_with('#')) return std::nullopt;
    return linea;
}

// The fields of a line cut into calls; nothing for a bad line (told) and for the header.
std::optional<Llamada> Recorrido::LeerLlamada(std::string_view linea) {
    const bool primera = !m_CabeceraVista;
    m_CabeceraVista = true;
    if (m_Asterisk) return LeerRegistro(linea, primera);
    auto fallo = PartirCsv(linea, ',', m_Campos);
    // ";" separates too, as a Spanish spreadsheet writes it, quoted fields included
    // ("a";"b" is no field followed by text for ","); the first reading's fault is told
    // when neither reads.
    if ((fallo || m_Campos.size() == 1) && linea.find(';') != std::string_view::npos) {
        auto otro = PartirCsv(linea, ';', m_Campos);
        if (!otro || !fallo) fallo = std::move(otro);
    }
    // A first line whose first field does not start with a digit is a header.
    if (primera && !fallo) {
        const std::string_view c0 = RecortarBlancos(m_Campos[0]);
        if (c0.empty() || c0[0] < '0' || c0[0] > '9') {
            Cabecera();
            return std::nullopt;
        }
    }
    if (fallo) {
        Mala(*fallo);
        return std::nullopt;
    }
    if (m_Campos.size() < 2 || m_Campos.size() > m_Col.maximo) {
        Mala((m_Col.nombradas ? "se esperaban de 2 a " + std::to_string(m_Col.maximo) +
                                    " campos (los de la cabecera) y hay "
                              : std::string("se esperaban de 2 a 4 campos "
                                            "(inicio,fin[,tarifa[,numero]]) y hay ")) +
             std::to_string(m_Campos.size()));
        return std::nullopt;
    }
    return LeerCampos();
}

// The call of the fields read: two instants in order and a tariff of the catalogue.
std::optional<Llamada> Recorrido::LeerCampos() {
    const std::string_view tIni = RecortarBlancos(m_Campos[0]), tFin = RecortarBlancos(m_Campos[1]);
    const auto ini = LeerInstante(tIni);
    if (!ini) {
        Mala("inicio " + InstanteIlegible(tIni));
        return std::nullopt;
    }
    const auto fin = LeerInstante(tFin);
    if (!fin) {
        Mala("fin " + InstanteIlegible(tFin));
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
    Llamada l = NuevaLlamada(*ini, *fin, segundos, &m_Principal, tIni, tFin);
    l.numero = Campo(m_Col.numero);
    l.origen = Campo(m_Col.origen);
    l.cuenta = Campo(m_Col.cuenta);
    l.columnaCobrado = m_Col.cobrado != kSin;
    if (l.columnaCobrado) {
        bool coma = false;
        if (!LeerCobrado(Campo(m_Col.cobrado), l.cobrado, coma)) {
            Mala("cobrado " + CitarCorto(Campo(m_Col.cobrado)) +
                 " no es un importe (se espera un número como 11.5)");
            return std::nullopt;
        }
        if (coma)
            Aviso(m_AvisoComa,
                  "los importes cobrados con coma decimal (11,5) se leen como con punto (11.5)");
    }
    // A tariff the line names wins; else the number dialled picks one with --destinos. A
    // number is read even without it: a column of something else is caught.
    if (!l.numero.empty() && !NormalizarNumero(l.numero, m_Digitos)) {
        TarifaPorNumero(l, l.numero);
        return std::nullopt;
    }
    if (Campo(m_Col.tarifa).empty()) {
        if (!l.numero.empty() && m_Destinos && !TarifaPorNumero(l, l.numero)) return std::nullopt;
    } else {
        const std::string_view pedido = Campo(m_Col.tarifa);
        TarifaPedida& t = PedidaEnLog(pedido);
        if (!t.bytes || !EnCatalogo(t)) {
            if (!t.sugerencia) {
                if (m_Firmas.empty())
                    for (const auto& n : m_Nombres) m_Firmas.push_back(FirmaDe(n));
                t.sugerencia = Sugerencia(m_Nombres, pedido, &m_Firmas);
            }
            Mala("tarifa desconocida " + CitarCorto(pedido) + *t.sugerencia);
            l.tarifa = nullptr;
            m_Destino.SinTarifa(l);
            return std::nullopt;
        }
        l.tarifa = &t;
    }
    return l;
}

// The columns a header line names: any of inicio, fin, tarifa, numero, cobrado, origen and
// cuenta, in any case; the calls' instants stay the first two columns.
void Recorrido::Cabecera() {
    Columnas c;
    c.tarifa = c.numero = kSin;
    for (std::size_t i = 2; i < m_Campos.size(); ++i) {
        std::string n(Campo(i));
        for (char& ch : n)
            if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
        std::size_t* col = n == "tarifa"                    ? &c.tarifa
                           : n == "numero" || n == "número" ? &c.numero
                           : n == "cobrado"                 ? &c.cobrado
                           : n == "origen"                  ? &c.origen
                           : n == "cuenta"                  ? &c.cuenta
                                                            : nullptr;
        if (!col) continue;
        *col = i;
        if (col != &c.tarifa) c.nombradas = true;
    }
    // Only a header that names a column past the tariff lays the columns out: one of
    // inicio,fin,tarifa or of other names leaves them where they always were.
    if (!c.nombradas) return;
    c.maximo = m_Campos.size();
    m_Col = c;
    m_Totales.columnaCobrado = c.cobrado != kSin;
}

// The tariff of the row of --destinos whose prefix the number starts with, else --tarifa;
// false (told) when there is none.
bool Recorrido::TarifaPorNumero(Llamada& l, std::string_view numero) {
    if (!NormalizarNumero(numero, m_Digitos)) {
        Mala(numero.empty() ? std::string("el registro no tiene número marcado (dst)")
                            : "número marcado " + CitarCorto(numero) +
                                  " ilegible (se esperan cifras, con «+» delante, espacios, "
                                  "guiones o puntos)");
        return false;
    }
    if (const auto* f = m_Destinos->Buscar(m_Digitos)) {
        l.tarifa = &m_TarifasDestino[static_cast<std::size_t>(f - m_Destinos->Filas().data())];
        return true;
    }
    if (m_TarifaDada) return true;  // l.tarifa is already --tarifa's
    Mala("el número " + CitarCorto(numero) +
         " no empieza por ningún prefijo de --destinos (y no se ha dado --tarifa)");
    return false;
}

// A record of Master.csv: the answered call from answer to end (or billsec), its tariff by
// the number dialled; other records are only counted.
std::optional<Llamada> Recorrido::LeerRegistro(std::string_view linea, bool primera) {
    if (auto fallo = PartirCsv(linea, ',', m_Campos)) {
        Mala(*fallo);
        return std::nullopt;
    }
    // Asterisk writes no header, but a file put together by hand may have the field names.
    if (primera && m_Campos.size() > 14 && Campo(14) == "disposition") return std::nullopt;
    RegistroAsterisk r;
    if (auto fallo = LeerRegistroAsterisk(m_Campos, r)) {
        Mala(*fallo);
        return std::nullopt;
    }
    if (!SeCostea(r)) {
        ++m_Totales.sinCostear[static_cast<std::size_t>(r.disposicion)];
        return std::nullopt;
    }
    const auto respuesta = LeerInstante(r.respuesta);
    if (!respuesta) {
        Mala("answer " + InstanteIlegible(r.respuesta));
        return std::nullopt;
    }
    const auto fin = LeerInstante(r.fin);
    if (!fin) {
        Mala("end " + InstanteIlegible(r.fin));
        return std::nullopt;
    }
    const TramoCosteado t = TramoDeRegistro(*respuesta, *fin, r.billsec);
    std::string_view textoFin = r.fin;
    if (t.desacuerdo) {
        m_TextoFin = TextoInstante(t.fin);
        textoFin = m_TextoFin;
        if (m_Totales.desacuerdos++ < kMalasMostradas) {
            m_Progreso.Borrar();
            std::fprintf(m_Errores,
                         "%s:%zu: aviso: de answer a end van %lld s y billsec dice %lld; se "
                         "cuesta billsec desde answer\n",
                         m_Lugar.c_str(), m_NumLinea,
                         static_cast<long long>(fecha::SegundosEntre(*respuesta, *fin)),
                         static_cast<long long>(r.billsec));
        }
    }
    const std::int64_t segundos = fecha::SegundosEntre(t.ini, t.fin);
    if (segundos > cTiempo::kSegundosMaximos) {
        Mala("la llamada dura más de " + std::to_string(cTiempo::kHorasMaximas) + " horas");
        return std::nullopt;
    }
    Llamada l = NuevaLlamada(t.ini, t.fin, segundos, &m_Principal, r.respuesta, textoFin);
    l.numero = r.destino;
    l.origen = r.origen;
    l.cuenta = r.cuenta;
    if (!m_Destinos) {
        Mala("el número marcado " + CitarCorto(r.destino) +
             " elige la tarifa: hace falta --destinos FICHERO");
        return std::nullopt;
    }
    if (!TarifaPorNumero(l, r.destino)) return std::nullopt;
    return l;
}

// Costs the call with the registry carried from the previous one; false (told) when the
// engine fails, the registry as it was.
bool Recorrido::CostearLlamada(const Llamada& l) {
    // Costing changes bono times only: the copy is made again only when the last call
    // changed them.
    if (!m_HayRespaldo || !m_Motor.Bono().MismosTiempos(m_Respaldo)) {
        m_Respaldo = m_Motor.Bono();
        m_HayRespaldo = true;
    }
    try {
        if (m_FinAnterior && Antes(l.ini, *m_FinAnterior))
            Aviso(m_AvisoOrden,
                  "la llamada empieza antes de que acabe la anterior; los bonos se gastan en el "
                  "orden de las líneas");
        LlevarRegistro(m_Motor.Bono(), m_FinAnterior, l.ini,
                       [this](const std::string& tipo, double alta, double caducidad) {
                           m_Progreso.Borrar();
                           std::fprintf(m_Errores,
                                        "%s:%zu: aviso: el bono %s dado de alta el %s caducó el "
                                        "%s; desde esta llamada no cuenta\n",
                                        m_Lugar.c_str(), m_NumLinea, tipo.c_str(),
                                        TextoDiaOInstante(alta).c_str(),
                                        TextoDiaOInstante(caducidad).c_str());
                       });
        m_Motor.Datos(m_Catalogo, l.tarifa->posicion, l.ini, l.fin, &m_Motor.Bono());
    } catch (const std::exception& e) {
        m_Motor.Bono() = m_Respaldo;
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
    m_FinAnterior = l.fin;
    ++m_Totales.costeadas;
    m_Totales.importe += m_Motor.importe();
    m_Totales.segundos += l.segundos;
    if (l.cobrado) m_Totales.factura.Anotar(DiferenciaCobrada(*l.cobrado, m_Motor.importe()));
    return true;
}

void Recorrido::Linea(std::string_view bruta, bool cortada) {
    ++m_NumLinea;
    m_Progreso.Linea(m_NumLinea, m_Entrada);
    const auto linea = Contenido(bruta, cortada);
    if (!linea) return;
    const auto llamada = LeerLlamada(*linea);
    if (llamada && CostearLlamada(*llamada)) m_Destino.Costeada(*llamada, m_Motor, m_Respaldo);
}

// After the last line: the destination finished, a failed read told.
void Recorrido::Terminar(int errorLectura) {
    m_Progreso.Borrar();
    m_Destino.Terminar();
    if (errorLectura) throw ErrorUso(ErrorDeLectura(m_NombreEntrada, errorLectura));
}

}  // namespace

void PrepararMotor(cCosteo& c, const Preparacion& p) {
    if (!p.festivos.empty()) c.Festivos(p.festivos);
    c.Bono() = p.inicial;
}

TotalesRecorrido Recorrer(const cLlamada& m, cCosteo& motor, const OpcionesCosteo& o,
                          std::vector<std::string> nombres, std::FILE* entrada, std::FILE* errores,
                          DestinoLlamadas& destino, const Destinos* destinos) {
    LectorLineas lector(entrada);
    const std::string nombre =
        o.llamadas ? Citar(o.llamadas->string()) : std::string("la entrada estándar");
    // An input that cannot be read fails here, before the first byte of output.
    const std::string_view principio = lector.Principio();
    if (lector.Error()) throw ErrorUso(ErrorDeLectura(nombre, lector.Error()));
    if (!PareceTexto(principio))
        throw ErrorUso(NoEsTexto(nombre, principio) +
                       "; se espera un registro de llamadas, una por línea: inicio,fin[,tarifa]");
    Recorrido recorrido(m, motor, std::move(nombres), entrada, errores, destino, nombre,
                        o.llamadas ? o.llamadas->string() : "(entrada estándar)", o, destinos);
    destino.Empezar();
    std::string_view linea;
    bool cortada = false;
    while (lector.Siguiente(linea, cortada)) recorrido.Linea(linea, cortada);
    recorrido.Terminar(lector.Error());
    return recorrido.Totales();
}

int Resumir(const TotalesRecorrido& t, std::FILE* errores) {
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
    std::string sin;
    for (std::size_t d = 0; d < t.sinCostear.size(); ++d)
        if (t.sinCostear[d])
            sin += (sin.empty() ? "" : ", ") + std::to_string(t.sinCostear[d]) + " " +
                   NombreDisposicion(static_cast<Disposicion>(d)) +
                   (d == 0 ? " con billsec 0" : "");
    if (!sin.empty())
        std::fprintf(errores, "tarificador: registros sin costear: %s\n", sin.c_str());
    if (t.desacuerdos)
        std::fprintf(errores,
                     "tarificador: %zu %s según billsec: de answer a end no cuadra con él\n",
                     t.desacuerdos, t.desacuerdos == 1 ? "llamada costeada" : "llamadas costeadas");
    if (t.columnaCobrado)
        std::fprintf(
            errores, "tarificador: %s\n",
            t.factura.Resumen([](double x) { return NumeroLocal(x, 2, FormatoDelEntorno()); })
                .c_str());
    return t.malas ? kSalidaLineasMalas : kSalidaBien;
}

}  // namespace quelmar::herramientas
