#include "llamadas/Cortador.h"

#include <utility>

#include "llamadas/Textos.h"
#include "runtime/CodePage.h"

namespace quelmar::llamadas {

namespace {

// Whether a record ends inside a quoted field: one that starts, after blanks, with a
// quote ("" inside stands for a quote), fields separated by "," or ";".
bool ComillasAbiertas(std::string_view r) {
    // Most records quote nothing: one search of the line tells.
    if (r.find('"') == std::string_view::npos) return false;
    bool inicio = true, dentro = false;
    for (std::size_t i = 0; i < r.size(); ++i) {
        const char c = r[i];
        if (dentro) {
            if (c == '"') {
                if (i + 1 < r.size() && r[i + 1] == '"')
                    ++i;
                else
                    dentro = false;
            }
        } else if (c == ',' || c == ';') {
            inicio = true;
        } else if (inicio && c == '"') {
            dentro = true, inicio = false;
        } else if (c != ' ' && c != '\t') {
            inicio = false;
        }
    }
    return dentro;
}

}  // namespace

bool CortadorRegistros::Contenido(std::size_t numero, std::string_view& linea, bool cortada,
                                  Salida& s) {
    if (numero == 1 && linea.starts_with("\xEF\xBB\xBF")) linea.remove_prefix(3);
    while (!linea.empty() && (linea.back() == '\n' || linea.back() == '\r')) linea.remove_suffix(1);
    if (cortada || linea.size() > m_Maximo) {
        s.LineaMala(numero, "la línea mide más de " + std::to_string(m_Maximo) + " bytes; " +
                                m_Cabe + " (empieza " + CitarCorto(linea, 40) + ")");
        return false;
    }
    if (linea.find('\0') != std::string_view::npos) {
        s.LineaMala(numero, "la línea tiene bytes nulos; no es texto");
        return false;
    }
    // A log saved by an old editor or spreadsheet in Latin-1 or Windows-1252.
    if (!EsUtf8(linea)) {
        m_Convertida = Cp1252AUtf8(linea);
        linea = m_Convertida;
        if (!m_Aviso1252) {
            m_Aviso1252 = true;
            s.AvisoDeLinea(
                numero, "el texto no es UTF-8; las líneas así se leen como Windows-1252 (Latin-1)");
        }
    }
    const std::string_view contenido = RecortarBlancos(linea);
    return !contenido.empty() && !contenido.starts_with('#');
}

void CortadorRegistros::Linea(std::size_t numero, std::string_view bruta, bool cortada, Salida& s) {
    if (!m_Abiertas.empty()) {
        Continuar(numero, bruta, cortada, s);
        return;
    }
    std::string_view linea = bruta;
    if (!Contenido(numero, linea, cortada, s)) return;
    // A quoted field may hold line breaks: the record goes on, and its place is its first
    // line.
    if (ComillasAbiertas(linea)) {
        m_Unido.assign(linea);
        m_Abiertas.push_back({numero, std::string(bruta), cortada});
        return;
    }
    s.Cortado(numero, linea);
}

void CortadorRegistros::Continuar(std::size_t numero, std::string_view bruta, bool cortada,
                                  Salida& s) {
    m_Abiertas.push_back({numero, std::string(bruta), cortada});
    std::string_view l = bruta;
    while (!l.empty() && l.back() == '\r') l.remove_suffix(1);
    m_Unido += '\n';
    m_Unido += EsUtf8(l) ? std::string(l) : Cp1252AUtf8(l);
    if (cortada || m_Unido.size() > m_Maximo || m_Abiertas.size() > kLineas) {
        Acabar(s);
        return;
    }
    if (ComillasAbiertas(m_Unido)) return;
    const std::size_t primera = m_Abiertas.front().numero;
    m_Abiertas.clear();
    const std::string unido = std::move(m_Unido);
    m_Unido.clear();
    s.Cortado(primera, unido);
}

void CortadorRegistros::Acabar(Salida& s) {
    if (m_Abiertas.empty()) return;
    const std::vector<LineaAbierta> lineas = std::move(m_Abiertas);
    m_Abiertas.clear();
    m_Unido.clear();
    for (const LineaAbierta& l : lineas) {
        std::string_view linea = l.bytes;
        if (Contenido(l.numero, linea, l.cortada, s)) s.Cortado(l.numero, linea);
    }
}

}  // namespace quelmar::llamadas
