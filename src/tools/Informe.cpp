#include "tools/Informe.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unistd.h>
#include <utility>
#include <vector>

#include "bono/cBono.h"
#include "costing/cCosteo.h"
#include "costing/cLlamada.h"
#include "llamadas/Candidatas.h"
#include "llamadas/Cobrado.h"
#include "llamadas/Instantes.h"
#include "llamadas/Recopilacion.h"
#include "llamadas/Sesion.h"
#include "runtime/Locale.h"
#include "runtime/OleDate.h"
#include "runtime/Reloj.h"
#include "tools/Bonos.h"
#include "tools/Comparar.h"
#include "tools/Comun.h"
#include "tools/Consola.h"
#include "tools/Formato.h"

namespace quelmar::herramientas {

namespace {

// ---- writing the page ----

// A coordinate of a chart, to a tenth.
std::string C(double x) {
    char b[32];
    std::snprintf(b, sizeof b, "%.1f", x);
    return b;
}

std::string Html(std::string_view s) {
    std::string r;
    r.reserve(s.size());
    for (char c : s) switch (c) {
            case '&':
                r += "&amp;";
                break;
            case '<':
                r += "&lt;";
                break;
            case '>':
                r += "&gt;";
                break;
            case '"':
                r += "&quot;";
                break;
            default:
                // XML forbids the other control bytes: an input's are shown as \xHH.
                if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') {
                    char b[5];
                    std::snprintf(b, sizeof b, "\\x%02X", static_cast<unsigned>(c));
                    r += b;
                } else {
                    r += c;
                }
        }
    return r;
}

class Pagina {
  public:
    explicit Pagina(Formato f) : m_F(std::move(f)) {}

    // A number with `decimales` decimals, grouped in thousands, as the user writes it.
    std::string Numero(double x, int decimales = 2) const { return NumeroLocal(x, decimales, m_F); }
    std::string Fecha(double d) const { return Html(TextoFecha(d)); }
    std::string SoloDia(std::int64_t dia) const {
        return Html(TextoFecha(fecha::DesdeSegundos(dia * kDia)));
    }
    static std::string Duracion(std::int64_t s) { return TextoDuracion(s); }

    std::string& Texto() { return m_Html; }
    Pagina& operator<<(std::string_view s) {
        m_Html += s;
        return *this;
    }

  private:
    Formato m_F;
    std::string m_Html;
};

// Patterns and colours that survive a grey printout and a colour-blind reader: the bands
// differ in pattern as well as hue (Okabe and Ito's palette), and every chart says which
// is which in words.
constexpr const char* kDefiniciones =
    R"svg(<svg width="0" height="0" aria-hidden="true" style="position:absolute">
<defs>
<pattern id="p-reducida" width="6" height="6" patternUnits="userSpaceOnUse" patternTransform="rotate(45)"><rect width="6" height="6" fill="#fbe3b0"/><rect width="3" height="6" fill="#e69f00"/></pattern>
<pattern id="p-bono" width="6" height="6" patternUnits="userSpaceOnUse"><rect width="6" height="6" fill="#d6f0e6"/><circle cx="3" cy="3" r="1.6" fill="#00795a"/></pattern>
</defs></svg>
)svg";
constexpr std::array<const char*, 3> kRelleno = {"#0b3c68", "url(#p-reducida)", "url(#p-bono)"};
constexpr std::array<const char*, 3> kNombreBanda = {"Banda normal", "Banda reducida",
                                                     "Tiempo de bono"};

std::string Leyenda(const std::vector<std::pair<std::string, std::string>>& elementos) {
    std::string r = "<p class=\"leyenda\">";
    for (const auto& [muestra, texto] : elementos)
        r += "<span><svg width=\"18\" height=\"12\" aria-hidden=\"true\">" + muestra + "</svg> " +
             texto + "</span> ";
    return r + "</p>\n";
}

// Steps for an axis up to `maximo`: 1, 2 or 5 times a power of ten, four or five of them.
double Paso(double maximo) {
    if (maximo <= 0) return 1;
    const double base = std::pow(10.0, std::floor(std::log10(maximo / 4)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (maximo / (m * base) <= 5) return m * base;
    return 10 * base;
}

void Resumen(Pagina& p, const Totales& t, const Recopilacion& d, const cBono& inicial,
             const cBono& final) {
    p << "<section><h2>Resumen</h2>\n<dl class=\"resumen\">\n";
    p << "<div><dt>Llamadas</dt><dd>" << p.Numero(static_cast<double>(t.costeadas), 0)
      << "</dd></div>\n";
    p << "<div><dt>Importe total</dt><dd>" << p.Numero(t.importe) << "</dd></div>\n";
    p << "<div><dt>Tiempo total</dt><dd>" << Pagina::Duracion(t.segundos) << "</dd></div>\n";
    if (!d.Dias().empty())
        p << "<div><dt>Desde</dt><dd>" << p.SoloDia(d.Dias().begin()->first)
          << "</dd></div>\n<div><dt>Hasta</dt><dd>" << p.SoloDia(d.Dias().rbegin()->first)
          << "</dd></div>\n";
    const char* grupos[] = {"día", "noche"};
    for (std::int16_t g = 0; inicial.Count() > 0 && g < 2; ++g)
        p << "<div><dt>Bono de " << grupos[g] << ": usado</dt><dd>"
          << Pagina::Duracion(d.BonoUsado()[static_cast<std::size_t>(g)])
          << "</dd></div>\n<div><dt>Bono de " << grupos[g] << ": queda</dt><dd>"
          << Html(final.TotalTiempoGrupo(g)) << "</dd></div>\n";
    if (t.malas)
        p << "<div><dt>Líneas con errores</dt><dd>" << p.Numero(static_cast<double>(t.malas), 0)
          << "</dd></div>\n";
    p << "</dl>";
    // What costear's summary says of the file: what was not costed and why, and how (the
    // bill has a section of its own).
    const auto frases = FrasesDelResumen(t, false);
    if (!frases.empty()) {
        p << "\n<ul class=\"notas\">\n";
        for (std::string f : frases) {
            if (!f.empty())
                f[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(f[0])));
            p << "<li>" << Html(f) << ".</li>\n";
        }
        p << "</ul>\n";
    }
    p << "</section>\n";
}

// Decimals that tell apart the labels of an axis every `paso`: 0,5 h, not 0 h.
int Decimales(double paso) {
    return std::clamp(static_cast<int>(std::ceil(-std::log10(paso) - 1e-9)), 0, 6);
}

// The charts' frame: x from 80 to 780, values from 0 at y0 up to `tope` at y0 - alto.
struct Marco {
    double y0, alto, tope;
    double Y(double v) const { return y0 - v / tope * alto; }
};

// Horizontal lines from 0 to the top every `paso`, labelled on the left.
void Rejilla(Pagina& p, const Marco& m, double paso, int decimales, std::string_view unidad) {
    for (double v = 0; v <= m.tope + paso / 2; v += paso)
        p << "<line x1=\"80\" x2=\"780\" y1=\"" << C(m.Y(v)) << "\" y2=\"" << C(m.Y(v))
          << "\" class=\"rejilla\"/><text x=\"74\" y=\"" << C(m.Y(v) + 4)
          << "\" class=\"eje\" text-anchor=\"end\">" << p.Numero(v, decimales) << unidad
          << "</text>\n";
}

// The days of the log in bars of one day, a week, 30 days or more: about 120 bars at most.
struct Barras {
    std::int64_t primero, ultimo, dias;  // dias: days a bar
    std::vector<Dia> barras;
};

Barras AgruparDias(const std::map<std::int64_t, Dia>& dias) {
    Barras r{dias.begin()->first, dias.rbegin()->first, 1, {}};
    const std::int64_t n = r.ultimo - r.primero + 1;
    r.dias = n <= 120 ? 1 : n <= 7 * 120 ? 7 : std::max<std::int64_t>(30, (n + 119) / 120);
    r.barras.resize(static_cast<std::size_t>((n + r.dias - 1) / r.dias));
    for (const auto& [dia, v] : dias) {
        Dia& b = r.barras[static_cast<std::size_t>((dia - r.primero) / r.dias)];
        for (std::size_t k = 0; k < 3; ++k) b.importe[k] += v.importe[k];
        b.llamadas += v.llamadas;
        b.segundosBono += v.segundosBono;
    }
    return r;
}

// One bar from x, w wide, its bands stacked; calls that cost nothing get a hollow mark on
// the axis rather than an empty gap. `titulo` is what a pointer over it shows.
void Barra(Pagina& p, const Marco& m, const Dia& b, double x, double w, const std::string& titulo) {
    const double total = b.importe[0] + b.importe[1] + b.importe[2];
    if (total == 0) {
        char marca[200];
        std::snprintf(marca, sizeof marca,
                      "<circle cx=\"%.1f\" cy=\"%.1f\" r=\"%.1f\" class=\"cero\">", x + w / 2,
                      m.y0 - 5, std::min(4.0, std::max(1.5, w / 3)));
        p << marca << "<title>" << titulo << ": sin coste";
        if (b.segundosBono) p << " (" << TextoDuracion(b.segundosBono) << " de tiempo de bono)";
        p << "</title></circle>\n";
        return;
    }
    p << "<g><title>" << titulo << ": " << p.Numero(total) << " ("
      << p.Numero(static_cast<double>(b.llamadas), 0)
      << (b.llamadas == 1 ? " llamada; normal " : " llamadas; normal ") << p.Numero(b.importe[0])
      << ", reducida " << p.Numero(b.importe[1]) << ", bono " << p.Numero(b.importe[2]);
    if (b.segundosBono) p << "; " << TextoDuracion(b.segundosBono) << " de tiempo de bono";
    p << ")</title>";
    double y = m.y0;
    for (std::size_t k = 0; k < 3; ++k) {
        const double h = b.importe[k] / m.tope * m.alto;
        if (h <= 0) continue;
        y -= h;
        char r[200];
        std::snprintf(r, sizeof r,
                      "<rect x=\"%.2f\" y=\"%.2f\" width=\"%.2f\" height=\"%.2f\" fill=\"%s\"/>",
                      x + w * 0.1, y, w * 0.8, h, kRelleno[k]);
        p << r;
    }
    p << "</g>\n";
}

// The amount per day (or week, or 30 days, for long logs) stacked by band.
void GraficoImportes(Pagina& p, const Recopilacion& d) {
    if (d.Dias().empty()) {
        p << "<section><h2>Importe por día</h2><p>No hay llamadas.</p></section>\n";
        return;
    }
    const Barras b = AgruparDias(d.Dias());
    p << "<section><h2>Importe por "
      << (b.dias == 1   ? "día"
          : b.dias == 7 ? "semana"
                        : "periodo de " + p.Numero(static_cast<double>(b.dias), 0) + " días")
      << "</h2>\n";
    double maximo = 0;
    for (const Dia& x : b.barras)
        maximo = std::max(maximo, x.importe[0] + x.importe[1] + x.importe[2]);
    const double paso = Paso(maximo);
    const Marco m{250, 230, std::max(paso, std::ceil(maximo / paso) * paso)};
    const double w = 700 / static_cast<double>(b.barras.size());
    p << "<div class=\"desliza\"><svg class=\"grafico\" viewBox=\"0 0 800 290\" role=\"img\" "
         "aria-label=\"Importe por "
         "periodo, por bandas\">\n";
    Rejilla(p, m, paso, paso < 1 ? 2 : 0, "");
    for (std::size_t i = 0; i < b.barras.size(); ++i) {
        if (b.barras[i].llamadas == 0) continue;
        const std::int64_t desde = b.primero + static_cast<std::int64_t>(i) * b.dias;
        std::string titulo = p.SoloDia(desde);
        if (b.dias > 1) titulo += " – " + p.SoloDia(std::min(b.ultimo, desde + b.dias - 1));
        Barra(p, m, b.barras[i], 80 + static_cast<double>(i) * w, w, titulo);
    }
    // A few dates under the axis.
    const std::size_t cada = std::max<std::size_t>(1, b.barras.size() / 6);
    for (std::size_t i = 0; i < b.barras.size(); i += cada)
        p << "<text x=\"" << C(std::min(80 + (static_cast<double>(i) + 0.5) * w, 745.0))
          << "\" y=\"272\" class=\"eje\" text-anchor=\"middle\">"
          << p.SoloDia(b.primero + static_cast<std::int64_t>(i) * b.dias) << "</text>\n";
    p << "<line x1=\"80\" x2=\"780\" y1=\"250\" y2=\"250\" class=\"base\"/></svg></div>\n";
    p << Leyenda(
        {{"<rect width=\"18\" height=\"12\" fill=\"#0b3c68\"/>", kNombreBanda[0]},
         {"<rect width=\"18\" height=\"12\" fill=\"url(#p-reducida)\"/>", kNombreBanda[1]},
         {"<rect width=\"18\" height=\"12\" fill=\"url(#p-bono)\"/>", kNombreBanda[2]},
         {"<circle cx=\"9\" cy=\"6\" r=\"4\" class=\"cero\"/>", "con llamadas, sin coste"}});
    p << "</section>\n";
}

// Minutes of calls by hour of the day and day kind, as shades of one colour.
void GraficoHoras(Pagina& p, const Recopilacion& d) {
    double maximo = 0;
    for (const auto& fila : d.Horas())
        for (double m : fila) maximo = std::max(maximo, m);
    // Three digits fit a cell: long logs count hours.
    const bool enHoras = maximo >= 999.5;
    const double unidad = enHoras ? 60 : 1;
    p << "<section><h2>Cuándo se llama</h2>\n";
    if (maximo == 0) {
        p << "<p>No hay llamadas.</p></section>\n";
        return;
    }
    p << "<p>" << (enHoras ? "Horas" : "Minutos") << " de llamada por hora del día.</p>\n";
    p << "<div class=\"desliza\"><svg class=\"grafico\" viewBox=\"0 0 800 150\" role=\"img\" "
         "aria-label=\"Minutos por "
         "hora y tipo de día\">\n";
    const char* filas[] = {"Laborable", "Sábado", "Domingo o festivo"};
    for (std::size_t k = 0; k < 3; ++k) {
        const double y = 10 + static_cast<double>(k) * 36;
        p << "<text x=\"126\" y=\"" << C(y + 22) << "\" class=\"eje\" "
          << "text-anchor=\"end\">" << filas[k] << "</text>\n";
        for (std::size_t h = 0; h < 24; ++h) {
            const double m = d.Horas()[k][h];
            const double f = maximo > 0 ? m / maximo : 0;
            // From white to dark blue: lightness alone carries the value.
            const int luz = static_cast<int>(std::lround(97 - f * 75));
            const double x = 132 + static_cast<double>(h) * 27;
            char celda[240];
            std::snprintf(celda, sizeof celda,
                          "<rect x=\"%.0f\" y=\"%.0f\" width=\"26\" height=\"34\" "
                          "fill=\"hsl(212,70%%,%d%%)\"><title>",
                          x, y, luz);
            p << celda << filas[k] << ", " << std::to_string(h) << ":00–" << std::to_string(h)
              << ":59: " << p.Numero(m, 1) << " min</title></rect>";
            if (m > 0)
                p << "<text x=\"" << C(x + 13) << "\" y=\"" << C(y + 21)
                  << "\" class=\"celda\" text-anchor=\"middle\" fill=\""
                  << (luz < 55 ? "#fff" : "#000") << "\">" << p.Numero(m / unidad, 0) << "</text>";
            p << "\n";
        }
    }
    for (std::size_t h = 0; h < 24; h += 2)
        p << "<text x=\"" << C(145 + static_cast<double>(h) * 27)
          << "\" y=\"132\" class=\"eje\" text-anchor=\"middle\">" << std::to_string(h)
          << "h</text>\n";
    p << "</svg></div>\n</section>\n";
}

// The time left after each call and, at the start of every billing period the log spans
// after the first, the registry refilled: whatever it held, the line steps up there.
struct Saldos {
    std::vector<Saldo> puntos;
    std::vector<double> recargas;
};

Saldos SaldosConRecargas(const std::vector<Saldo>& tras, const cBono& inicial) {
    Saldos r;
    cBono lleno = inicial;
    lleno.Reset();
    const std::array<std::int32_t, 2> recargado{lleno.SegundosGrupo(0), lleno.SegundosGrupo(1)};
    cCosteo::PeriodosFactura periodos(inicial.DiaFactura(), tras.front().instante,
                                      tras.back().instante);
    periodos.Siguiente();
    while (const auto periodo = periodos.Siguiente())
        r.recargas.push_back(fecha::DesdeSegundos(periodo->first));
    r.puntos.reserve(tras.size() + r.recargas.size());
    auto recarga = r.recargas.begin();
    for (const Saldo& s : tras) {
        for (; recarga != r.recargas.end() && *recarga <= s.instante; ++recarga)
            r.puntos.push_back({*recarga, recargado});
        r.puntos.push_back(s);
    }
    return r;
}

// A step line of group g (the time left holds until the next call or refill), one step per
// pixel column at most: the last value of each.
template <typename FX>
void LineaEscalonada(Pagina& p, const std::vector<Saldo>& puntos, std::size_t g, FX X,
                     const Marco& m, const char* clase) {
    p << "<polyline class=\"" << clase << "\" points=\"";
    double columna = -1, yAnterior = -1;
    auto escalon = [&](double x, double y) {
        if (yAnterior >= 0 && y != yAnterior) p << C(x) << "," << C(yAnterior) << " ";
        p << C(x) << "," << C(y) << " ";
        yAnterior = y;
    };
    std::optional<double> pendiente;
    for (const Saldo& s : puntos) {
        const double x = std::floor(X(s.instante));
        if (x != columna && pendiente) escalon(columna, *pendiente);
        columna = x;
        pendiente = m.Y(s.grupo[g] / 3600.0);
    }
    if (pendiente) escalon(columna, *pendiente);
    p << "\"/>\n";
}

// More refills than this are told in words, not drawn one by one: the page stays small for
// a log over centuries.
constexpr std::size_t kRecargasDibujadas = 100;

// Bono time left after each call, one line per group, the refills marked.
void GraficoBonos(Pagina& p, const Recopilacion& d, const cBono& inicial) {
    p << "<section><h2>Tiempo de bono que queda</h2>\n";
    if (inicial.Count() == 0 || d.Saldos().empty()) {
        p << "<p>" << (inicial.Count() == 0 ? "No hay bonos (sin --bonos)." : "No hay llamadas.")
          << "</p></section>\n";
        return;
    }
    // In time order, whatever the log's order: the line only moves right, one step a column.
    std::vector<Saldo> tras = d.Saldos();
    std::stable_sort(tras.begin(), tras.end(),
                     [](const Saldo& a, const Saldo& b) { return a.instante < b.instante; });
    const Saldos saldos = SaldosConRecargas(tras, inicial);
    const double t0 = tras.front().instante, t1 = std::max(tras.back().instante, t0 + 1);
    auto X = [&](double t) { return std::clamp(80 + (t - t0) / (t1 - t0) * 700, 80.0, 780.0); };
    std::int32_t maximo = 3600;
    for (const Saldo& s : saldos.puntos) maximo = std::max({maximo, s.grupo[0], s.grupo[1]});
    const Marco m{240, 220, std::ceil(maximo / 3600.0)};
    p << "<div class=\"desliza\"><svg class=\"grafico\" viewBox=\"0 0 800 280\" role=\"img\" "
         "aria-label=\"Horas de bono "
         "que quedan\">\n";
    Rejilla(p, m, Paso(m.tope), Decimales(Paso(m.tope)), " h");
    // Each refill as a dashed line and, where no step of the lines can hide it, a mark under
    // the axis.
    const bool recargasDibujadas = saldos.recargas.size() <= kRecargasDibujadas;
    for (std::size_t i = 0; recargasDibujadas && i < saldos.recargas.size(); ++i) {
        const double t = saldos.recargas[i], x = X(t);
        p << "<g class=\"recarga\"><title>Recarga: empieza el periodo de facturación del "
          << p.Fecha(t) << "</title><line x1=\"" << C(x) << "\" x2=\"" << C(x)
          << "\" y1=\"20\" y2=\"240\"/><path d=\"M" << C(x) << " 241l-4 8h8z\"/></g>\n";
    }
    LineaEscalonada(p, saldos.puntos, 0, X, m, "linea-dia");
    LineaEscalonada(p, saldos.puntos, 1, X, m, "linea-noche");
    p << "<text x=\"80\" y=\"262\" class=\"eje\">" << p.Fecha(t0) << "</text>"
      << "<text x=\"780\" y=\"262\" class=\"eje\" text-anchor=\"end\">" << p.Fecha(t1)
      << "</text>\n</svg></div>\n";
    p << Leyenda({{"<line x1=\"0\" x2=\"18\" y1=\"6\" y2=\"6\" class=\"linea-dia\"/>",
                   "Bono de día (línea continua)"},
                  {"<line x1=\"0\" x2=\"18\" y1=\"6\" y2=\"6\" class=\"linea-noche\"/>",
                   "Bono de noche (línea a trazos)"},
                  {"<g class=\"recarga\"><line x1=\"9\" x2=\"9\" y1=\"0\" y2=\"4\"/>"
                   "<path d=\"M9 3l-4 8h8z\"/></g>",
                   "recarga: empieza un periodo de facturación"}});
    if (!recargasDibujadas)
        p << "<p>" << p.Numero(static_cast<double>(saldos.recargas.size()), 0)
          << " recargas, una al empezar cada periodo de facturación: demasiadas para marcarlas "
             "una a una; las líneas muestran, en cada columna del gráfico, el último saldo.</p>\n";
    p << "</section>\n";
}

void GraficoComparacion(Pagina& p, const std::vector<Candidata>& cs, double propio,
                        std::size_t sinTarifa) {
    p << "<section><h2>¿Qué tarifa conviene?</h2>\n";
    std::vector<const Candidata*> validas;
    for (const Candidata& c : cs)
        if (!c.fallo) validas.push_back(&c);
    if (validas.empty() || validas.front()->llamadas == 0) {
        p << "<p>" << (validas.empty() ? "No hay tarifas que comparar." : "No hay llamadas.")
          << "</p></section>\n";
        return;
    }
    const Candidata& mejor = *validas.front();
    // The saving as comparar gives it: both totals to the cent.
    const double ahorro = -DiferenciaCandidata(mejor.importe, propio);
    p << "<p class=\"conclusion\">";
    if (ahorro > 0.005)
        p << "La tarifa más barata para estas llamadas es <strong>" << Html(mejor.tarifa)
          << "</strong>: habrían costado " << p.Numero(Centimos(mejor.importe)) << ", "
          << p.Numero(ahorro) << " menos que con las tarifas de cada llamada (" << p.Numero(propio)
          << ").";
    else
        p << "Ninguna tarifa del catálogo sale más barata que las de cada llamada ("
          << p.Numero(propio) << "); la más barata es <strong>" << Html(mejor.tarifa)
          << "</strong>, con " << p.Numero(mejor.importe) << ".";
    p << "</p>\n";
    if (sinTarifa) p << "<p>" << Html(LineasSinTarifa(sinTarifa)) << ".</p>\n";
    double maximo = propio;
    for (const Candidata* c : validas) maximo = std::max(maximo, c->importe);
    if (maximo <= 0) maximo = 1;
    const double alto = 30.0 * static_cast<double>(validas.size()) + 40;
    // Roughly how wide a label of the axes' 11 px font is, so that none is crossed.
    auto Ancho = [](const std::string& texto) {
        return 6.5 * static_cast<double>(std::count_if(texto.begin(), texto.end(), [](char c) {
                   return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
               }));
    };
    const double xPropio = 192 + propio / maximo * 470;
    p << "<div class=\"desliza\"><svg class=\"grafico\" viewBox=\"0 0 800 "
      << std::to_string(static_cast<int>(alto))
      << "\" role=\"img\" aria-label=\"Importe con cada tarifa\">\n";
    for (std::size_t i = 0; i < validas.size(); ++i) {
        const Candidata& c = *validas[i];
        const double y = 10 + 30.0 * static_cast<double>(i);
        const double w = c.importe / maximo * 470;
        p << "<text x=\"186\" y=\"" << C(y + 17) << "\" class=\"eje\" "
          << "text-anchor=\"end\">" << Html(c.tarifa) << "</text>";
        char r[200];
        std::snprintf(r, sizeof r,
                      "<rect x=\"192\" y=\"%.0f\" width=\"%.1f\" height=\"22\" fill=\"%s\"/>", y, w,
                      i == 0 ? "url(#p-bono)" : "#0b3c68");
        // A value label that the dashed line would cross goes after it, or before it when
        // there is no room left.
        const std::string valor = p.Numero(c.importe) + (i == 0 ? " (la más barata)" : "");
        double xValor = 198 + w;
        const char* ancla = "";
        if (xValor < xPropio + 4 && xValor + Ancho(valor) > xPropio - 4) {
            xValor = xPropio + 6;
            if (xValor + Ancho(valor) > 800) xValor = xPropio - 6, ancla = " text-anchor=\"end\"";
        }
        p << r << "<text x=\"" << C(xValor) << "\" y=\"" << C(y + 16) << "\" class=\"eje\"" << ancla
          << ">" << valor << "</text>\n";
    }
    const std::string etiqueta = "con sus tarifas: " + p.Numero(propio);
    const double mitad = Ancho(etiqueta) / 2;
    p << "<line x1=\"" << C(xPropio) << "\" x2=\"" << C(xPropio) << "\" y1=\"4\" y2=\""
      << C(alto - 24) << "\" class=\"propio\"/><text x=\""
      << C(std::clamp(xPropio, 192 + mitad, 800 - mitad)) << "\" y=\"" << C(alto - 8)
      << "\" class=\"eje\" text-anchor=\"middle\">" << etiqueta
      << "</text>\n</svg></div>\n</section>\n";
}

// --por: the amount per extension or account, the largest 20 as bars, all in a table.
void GraficoPorClave(Pagina& p, const Recopilacion& d) {
    const bool cuenta = d.Por() == Agrupar::Cuenta;
    p << "<section><h2>Importe por " << (cuenta ? "cuenta" : "extensión") << "</h2>\n";
    const auto filas = d.PorClave().Ordenados();
    if (filas.empty()) {
        p << "<p>No hay llamadas.</p></section>\n";
        return;
    }
    const std::size_t barras = std::min<std::size_t>(filas.size(), 20);
    const double maximo = std::max(filas.front().importe, 1e-9);
    const double alto = 30.0 * static_cast<double>(barras) + 10;
    p << "<div class=\"desliza\"><svg class=\"grafico\" viewBox=\"0 0 800 "
      << std::to_string(static_cast<int>(alto)) << "\" role=\"img\" aria-label=\"Importe por "
      << (cuenta ? "cuenta" : "extensión") << "\">\n";
    for (std::size_t i = 0; i < barras; ++i) {
        const TotalClave& f = filas[i];
        const double y = 10 + 30.0 * static_cast<double>(i);
        const double w = std::max(0.0, f.importe / maximo * 470);
        p << "<text x=\"186\" y=\"" << C(y + 17) << "\" class=\"eje\" text-anchor=\"end\">"
          << (f.clave.empty() ? std::string("(sin dato)") : Html(f.clave)) << "</text>";
        char r[200];
        std::snprintf(r, sizeof r,
                      "<rect x=\"192\" y=\"%.0f\" width=\"%.1f\" height=\"22\" fill=\"#0b3c68\"/>",
                      y, w);
        p << r << "<text x=\"" << C(198 + w) << "\" y=\"" << C(y + 16) << "\" class=\"eje\">"
          << p.Numero(f.importe) << "</text>\n";
    }
    p << "</svg></div>\n";
    const std::size_t enTabla = std::min(filas.size(), kLlamadasListadas);
    if (filas.size() > barras)
        p << "<p>En el gráfico, las " << std::to_string(barras)
          << " de importe mayor; en la tabla, "
          << (enTabla < filas.size()
                  ? "las " + p.Numero(static_cast<double>(enTabla), 0) + " de importe mayor de " +
                        p.Numero(static_cast<double>(filas.size()), 0) +
                        " (todas, con «tarificador costear --por»)"
                  : std::string("todas"))
          << ".</p>\n";
    p << "<div class=\"tabla\"><table>\n<thead><tr><th>" << (cuenta ? "Cuenta" : "Extensión")
      << "</th><th>Llamadas</th><th>Tiempo</th><th>Importe</th></tr></thead>\n<tbody>\n";
    for (std::size_t i = 0; i < enTabla; ++i)
        p << "<tr><td>"
          << (filas[i].clave.empty() ? std::string("(sin dato)") : Html(filas[i].clave))
          << "</td><td class=\"n\">" << p.Numero(static_cast<double>(filas[i].llamadas), 0)
          << "</td><td class=\"n\">" << Pagina::Duracion(filas[i].segundos)
          << "</td><td class=\"n\">" << p.Numero(filas[i].importe) << "</td></tr>\n";
    p << "</tbody></table></div>\n</section>\n";
}

// A log with a `cobrado` column: how many calls were charged more, and which.
void SeccionCobrado(Pagina& p, const Recopilacion& d, const Totales& t) {
    const RevisionFactura& f = t.factura;
    p << "<section><h2>¿Le han cobrado de más?</h2>\n<p class=\"conclusion\">";
    if (!f.mas)
        p << "No: ninguna de las " << p.Numero(static_cast<double>(f.revisadas), 0)
          << " llamadas con importe cobrado se cobró por encima de su tarifa";
    else
        p << "Sí: " << p.Numero(static_cast<double>(f.mas), 0)
          << (f.mas == 1 ? " llamada se cobró" : " llamadas se cobraron")
          << " por encima de su tarifa, " << p.Numero(f.deMas) << " de más en total";
    if (f.menos)
        p << "; " << p.Numero(static_cast<double>(f.menos), 0) << " por debajo ("
          << p.Numero(f.deMenos) << ")";
    p << ".</p>\n";
    const auto cobros = d.DeMas();
    if (!cobros.empty()) {
        if (f.mas > cobros.size())
            p << "<p>Las " << std::to_string(cobros.size())
              << " de diferencia mayor; todas, con «tarificador costear».</p>\n";
        p << "<div class=\"tabla\"><table>\n<thead><tr><th>Inicio</th><th>Número</th>"
             "<th>Tarifa</th><th>Importe</th><th>Cobrado</th><th>De más</th></tr></thead>\n"
             "<tbody>\n";
        for (const CobroDeMas& c : cobros)
            p << "<tr><td>" << p.Fecha(c.ini) << "</td><td>" << Html(c.numero) << "</td><td>"
              << Html(c.tarifa) << "</td><td class=\"n\">" << p.Numero(c.importe)
              << "</td><td class=\"n\">" << p.Numero(c.cobrado) << "</td><td class=\"n\">"
              << p.Numero(c.diferencia) << "</td></tr>\n";
        p << "</tbody></table></div>\n";
    }
    p << "</section>\n";
}

void TablaLlamadas(Pagina& p, const Recopilacion& d, const Totales& t) {
    p << "<section><h2>Llamadas</h2>\n";
    if (t.costeadas > d.Filas().size())
        p << "<p>Las " << p.Numero(static_cast<double>(d.Filas().size()), 0) << " primeras de "
          << p.Numero(static_cast<double>(t.costeadas), 0)
          << "; todas, con «tarificador costear».</p>\n";
    p << "<div class=\"tabla\"><table>\n<thead><tr><th>Inicio</th><th>Fin</th><th>Tarifa</th>"
         "<th>Importe</th><th>Duración</th><th>Bono</th></tr></thead>\n<tbody>\n";
    for (const FilaLlamada& f : d.Filas())
        p << "<tr><td>" << p.Fecha(f.ini) << "</td><td>" << p.Fecha(f.fin) << "</td><td>"
          << Html(f.tarifa) << "</td><td class=\"n\">" << p.Numero(f.importe)
          << "</td><td class=\"n\">" << Html(f.duracion) << "</td><td>" << (f.bono ? "sí" : "no")
          << "</td></tr>\n";
    p << "</tbody></table></div>\n";
    if (t.malas) {
        p << "<h3>Líneas con errores (" << p.Numero(static_cast<double>(t.malas), 0)
          << ")</h3>\n<ul class=\"malas\">\n";
        for (const auto& [linea, motivo] : d.Malas())
            p << "<li>línea " << std::to_string(linea) << ": " << Html(motivo) << "</li>\n";
        if (t.malas > d.Malas().size()) p << "<li>…</li>\n";
        p << "</ul>\n";
    }
    p << "</section>\n";
}

constexpr const char* kEstilo = R"css(<style>
:root{color-scheme:light}
body{font-family:system-ui,-apple-system,"Segoe UI",Roboto,"DejaVu Sans",sans-serif;margin:0 auto;max-width:60rem;padding:1rem;color:#111;background:#fff;line-height:1.4}
h1{font-size:1.6rem;margin:.2rem 0}h2{font-size:1.25rem;border-bottom:2px solid #0b3c68;padding-bottom:.2rem;margin-top:2rem}
.sub{color:#444;margin:0}
.resumen{display:grid;grid-template-columns:repeat(auto-fill,minmax(11rem,1fr));gap:.5rem;margin:0}
.resumen div{border:1px solid #bbb;border-radius:.4rem;padding:.4rem .6rem}
.resumen dt{font-size:.85rem;color:#444}.resumen dd{margin:0;font-size:1.2rem;font-weight:600;font-variant-numeric:tabular-nums}
.grafico{width:100%;height:auto;display:block}
.desliza{overflow-x:auto}.desliza .grafico{min-width:36rem}
.eje{font-size:11px;fill:#222}.celda{font-size:10px}
.rejilla{stroke:#ddd;stroke-width:1}.base{stroke:#222;stroke-width:1}
.cero{fill:#fff;stroke:#222;stroke-width:1.2}
.recarga line{stroke:#666;stroke-width:1.2;stroke-dasharray:2 3}.recarga path{fill:#666}
.linea-dia{fill:none;stroke:#0b3c68;stroke-width:2}
.linea-noche{fill:none;stroke:#d55e00;stroke-width:2;stroke-dasharray:7 4}
.propio{stroke:#d55e00;stroke-width:2;stroke-dasharray:5 3}
.leyenda span{display:inline-block;margin-right:1rem;max-width:100%}
.conclusion{font-size:1.1rem}
.tabla{overflow-x:auto}
table{border-collapse:collapse;width:100%;font-size:.9rem}
th,td{border-bottom:1px solid #ccc;padding:.2rem .4rem;text-align:left;white-space:nowrap}
td.n{text-align:right;font-variant-numeric:tabular-nums}
.malas{font-family:ui-monospace,monospace;font-size:.85rem;overflow-wrap:anywhere}
@media print{body{max-width:none;font-size:10pt}h2{break-after:avoid}section{break-inside:avoid-page}.tabla{overflow:visible}.desliza .grafico{min-width:0}}
</style>
)css";

std::string EscribirPagina(const Formato& f, const Totales& t, const Recopilacion& d,
                           const cBono& inicial, const cBono& final,
                           const std::vector<Candidata>& cs, const std::string& origen,
                           double hecho) {
    const LocaleScope fechas(f.fechas);
    Pagina p(f);
    p << "<!DOCTYPE html>\n<html lang=\"es\">\n<head>\n<meta charset=\"utf-8\">\n"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
         "<title>Informe de llamadas</title>\n"
      << kEstilo << "</head>\n<body>\n"
      << kDefiniciones << "<header><h1>Informe de llamadas</h1><p class=\"sub\">" << Html(origen);
    if (d.Primero())
        p << ", llamadas del " << p.Fecha(*d.Primero()) << " al " << p.Fecha(*d.Ultimo());
    p << ".<br>Hecho el " << p.Fecha(hecho) << " por tarificador (Quelmar).</p></header>\n";
    Resumen(p, t, d, inicial, final);
    GraficoImportes(p, d);
    GraficoHoras(p, d);
    GraficoBonos(p, d, inicial);
    GraficoComparacion(p, cs, t.importe, d.SinTarifa());
    if (d.Por() != Agrupar::Nada) GraficoPorClave(p, d);
    if (t.columnaCobrado) SeccionCobrado(p, d, t);
    TablaLlamadas(p, d, t);
    p << "</body>\n</html>\n";
    return std::move(p.Texto());
}

// When the page is made: now, or SOURCE_DATE_EPOCH's moment (seconds since 1970 in UTC),
// as reproducible builds pin it, in local time.
double Ahora() {
    if (const char* v = std::getenv("SOURCE_DATE_EPOCH")) {
        char* fin = nullptr;
        const long long s = std::strtoll(v, &fin, 10);
        std::tm t{};
        const std::time_t tt = static_cast<std::time_t>(s);
        if (fin != v && *fin == '\0' && ::localtime_r(&tt, &t))
            return fecha::DesdeSegundos(fecha::ASegundos(fecha::DesdeCalendario(
                                            t.tm_year + 1900, t.tm_mon + 1, t.tm_mday)) +
                                        t.tm_hour * 3600 + t.tm_min * 60 + t.tm_sec);
    }
    return AhoraLocal();
}

// Set aside for the page before the run: most pages are smaller.
constexpr std::size_t kReservaPagina = 256 * 1024;

}  // namespace

int Informe(const OpcionesInforme& o, std::FILE* entrada, std::FILE* errores) {
    Consola consola(errores, false);
    Sesion sesion(OpcionesDeSesion(o.costeo), consola);
    // Both outputs made before the run and written after it; neither replaces its file
    // unless both could be written.
    Salida pagina(o.salida, kReservaPagina);
    std::optional<Salida> bonos;
    if (o.costeo.salidaBonos) bonos.emplace(*o.costeo.salidaBonos, ReservaBonos(sesion.Inicial()));
    // The candidates of the comparison chart are costed in the same pass.
    CosteoCandidatas candidatas(sesion, HilosCandidatas());
    Recopilacion datos(sesion.Motor(), candidatas, sesion.Inicial().Count() > 0, o.costeo.por);
    const Totales t = Recorrer(sesion, o.costeo, entrada, consola, datos);
    const auto cs = candidatas.Terminar();
    const cBono& final = sesion.Motor().Bono();
    const std::string origen = o.costeo.llamadas
                                   ? "Registro " + Citar(o.costeo.llamadas->filename().string())
                                   : std::string("Registro leído de la entrada estándar");
    pagina.Escribir(EscribirPagina(FormatoDelEntorno(), t, datos, sesion.Inicial(), final, cs,
                                   origen, Ahora()));
    if (bonos) bonos->Escribir(EscribirBonos(final));
    pagina.Confirmar();
    if (bonos) bonos->Confirmar();
    const int estado = Resumir(t, errores);
    AvisarSinClave(o.costeo.por, datos.PorClave(), errores);
    if (pagina.Estandar())
        std::fputs("tarificador: informe escrito en la salida estándar\n", errores);
    else
        std::fprintf(errores, "tarificador: informe escrito en %s\n",
                     Citar(o.salida.string()).c_str());
    return estado;
}

}  // namespace quelmar::herramientas
