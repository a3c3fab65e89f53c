#include "tools/Bonos.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "llamadas/Csv.h"
#include "llamadas/Instantes.h"
#include "runtime/OleDate.h"
#include "runtime/RuntimeError.h"
#include "runtime/Variant.h"
#include "time/cTiempo.h"
#include "tools/Comun.h"

namespace quelmar::herramientas {

namespace {

using nlohmann::json;

constexpr const auto& kTipos = cBono::kNombresTipo;

// Line and column (from 1) of a byte offset, for parse errors.
std::string Posicion(std::string_view texto, std::size_t byte) {
    std::size_t linea = 1, columna = 1;
    for (std::size_t i = 0; i < byte && i < texto.size(); ++i) {
        if (texto[i] == '\n') {
            ++linea;
            columna = 1;
        } else if ((static_cast<unsigned char>(texto[i]) & 0xC0) != 0x80) {
            ++columna;
        }
    }
    return "línea " + std::to_string(linea) + ", columna " + std::to_string(columna);
}

// A JSON value as a message quotes it: a short prefix of a scalar, only the kind of a
// list or object (their text can be huge).
std::string Mostrar(const json& v) {
    if (v.is_array()) return "(una lista)";
    if (v.is_object()) return "(un objeto)";
    return CitarCorto(v.is_string() ? v.get_ref<const std::string&>() : v.dump());
}

// Deepest nesting of lists and objects in a JSON text, counted before parsing: the parser
// and the value's copies recurse, so a hostile file must not reach them.
std::size_t Profundidad(std::string_view texto) {
    std::size_t hondo = 0, maximo = 0;
    bool cadena = false;
    for (std::size_t i = 0; i < texto.size(); ++i) {
        const char c = texto[i];
        if (cadena) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                cadena = false;
        } else if (c == '"') {
            cadena = true;
        } else if (c == '[' || c == '{') {
            maximo = std::max(maximo, ++hondo);
        } else if ((c == ']' || c == '}') && hondo > 0) {
            --hondo;
        }
    }
    return maximo;
}

std::int16_t TipoDe(const json& v, const std::string& donde) {
    if (v.is_number_integer()) {
        const auto n = v.get<long long>();
        if (n >= 0 && n <= 3) return static_cast<std::int16_t>(n);
    } else if (v.is_string()) {
        const std::string s = v.get<std::string>();
        for (std::size_t k = 0; k < kTipos.size(); ++k)
            if (RecortarBlancos(s) == kTipos[k]) return static_cast<std::int16_t>(k);
    }
    throw ErrorUso(donde + "tipo de bono desconocido " + Mostrar(v) +
                   " (10DIA, 50DIA, 10NOCHE, 50NOCHE o su código 0 a 3)");
}

double FechaDe(const json& v, const std::string& donde, const char* clave) {
    if (v.is_string())
        if (auto d = LeerDiaOInstante(v.get<std::string>())) return *d;
    throw ErrorUso(donde + "«" + clave + "» " + Mostrar(v) +
                   " no es un día AAAA-MM-DD ni un instante AAAA-MM-DDTHH:MM:SS");
}

// The text parsed as a JSON object; a hostile nesting refused before the parser sees it.
json Analizar(std::string_view texto, const std::string& o) {
    constexpr std::size_t kProfundidadMaxima = 64;
    if (Profundidad(texto) > kProfundidadMaxima)
        throw ErrorUso(o + "listas u objetos anidados a más de " +
                       std::to_string(kProfundidadMaxima) +
                       " niveles; un registro de bonos tiene tres");
    json raiz;
    // A key given twice in one object would be read silently with its last value: found
    // while parsing, and refused as an unknown key is.
    std::vector<std::set<std::string, std::less<>>> claves;
    std::optional<std::string> repetida;
    const json::parser_callback_t vigilar = [&](int, json::parse_event_t evento, json& valor) {
        if (evento == json::parse_event_t::object_start) {
            claves.emplace_back();
        } else if (evento == json::parse_event_t::object_end) {
            if (!claves.empty()) claves.pop_back();
        } else if (evento == json::parse_event_t::key && !claves.empty() && !repetida) {
            const auto& k = valor.get_ref<const std::string&>();
            if (!claves.back().insert(k).second) repetida = k;
        }
        return true;
    };
    try {
        raiz = json::parse(texto.begin(), texto.end(), vigilar);
    } catch (const json::parse_error& e) {
        throw ErrorUso(o + "JSON mal formado (" + Posicion(texto, e.byte == 0 ? 0 : e.byte - 1) +
                       ")");
    } catch (const json::out_of_range&) {
        throw ErrorUso(o + "un número es demasiado grande para leerlo");
    } catch (const json::exception&) {
        throw ErrorUso(o + "JSON mal formado");
    }
    if (repetida)
        throw ErrorUso(o + "la clave " + CitarCorto(*repetida) +
                       " aparece dos veces en el mismo objeto; ¿cuál de los dos valores vale?");
    if (!raiz.is_object()) throw ErrorUso(o + "se esperaba un objeto JSON { ... }");
    return raiz;
}

// The billing day and period; any key but those and "bonos" is refused.
void LeerAjustes(const json& raiz, cBono& r, const std::string& o) {
    for (const auto& [clave, valor] : raiz.items()) {
        if (clave == "dia_factura") {
            if (!valor.is_number_integer() || valor.get<long long>() < 1 ||
                valor.get<long long>() > 31)
                throw ErrorUso(o + "«dia_factura» debe ser un entero de 1 a 31");
            r.DiaFactura(static_cast<std::uint8_t>(valor.get<long long>()));
        } else if (clave == "per_factura") {
            if (!valor.is_number_integer() ||
                (valor.get<long long>() != 1 && valor.get<long long>() != 2))
                throw ErrorUso(o + "«per_factura» debe ser 1 (meses pares) o 2 (impares)");
            r.perFactura(static_cast<std::uint8_t>(valor.get<long long>()));
        } else if (clave != "bonos") {
            throw ErrorUso(o + "clave desconocida " + CitarCorto(clave) +
                           " (se admiten dia_factura, per_factura y bonos)");
        }
    }
}

// The i-th bono of the list (from 0) registered, its dates and time checked first.
void AnadirBono(const json& b, std::size_t i, cBono& r, const std::string& o) {
    std::string donde = o + "bono " + std::to_string(i + 1) + ": ";
    if (!b.is_object()) throw ErrorUso(donde + "se esperaba un objeto { ... }");
    for (const auto& [clave, valor] : b.items())
        if (clave != "tipo" && clave != "alta" && clave != "baja" && clave != "tiempo")
            throw ErrorUso(donde + "clave desconocida " + CitarCorto(clave) +
                           " (se admiten tipo, alta, baja y tiempo)");
    if (!b.contains("tipo")) throw ErrorUso(donde + "falta «tipo»");
    if (!b.contains("alta")) throw ErrorUso(donde + "falta «alta»");
    const std::int16_t tipo = TipoDe(b["tipo"], donde);
    const std::string nombreTipo(kTipos[static_cast<std::size_t>(tipo)]);
    donde = o + "bono " + std::to_string(i + 1) + " (" + nombreTipo + "): ";
    const double alta = FechaDe(b["alta"], donde, "alta");
    std::optional<double> baja;
    // JSON null is an absent value, as most writers put it.
    if (b.contains("baja") && !b["baja"].is_null()) baja = FechaDe(b["baja"], donde, "baja");
    // A baja written as a day names a whole day: a bono cancelled on the day it was
    // registered is sound, so only the days are compared then. Seconds, not OLE values,
    // so that dates before 1899-12-30 compare in time order too.
    std::int64_t desde = fecha::ASegundos(alta);
    if (baja && b["baja"].get_ref<const std::string&>().size() == 10)
        desde = fecha::DiaDeSegundos(desde) * fecha::kSegundosDia;
    if (baja && fecha::ASegundos(*baja) < desde)
        throw ErrorUso(donde + "la baja " + TextoDiaOInstante(*baja) + " es anterior al alta " +
                       TextoDiaOInstante(alta));
    if (r.Count() == INT16_MAX) throw ErrorUso(o + "demasiados bonos (32767 como mucho)");
    r.DarAlta(tipo, Variant::DeFecha(alta));
    const auto pos = static_cast<std::int16_t>(r.Count() - 1);
    if (baja) {
        try {
            r.Baja(pos, Variant::DeFecha(*baja));
        } catch (const RuntimeError&) {
            // The expiry, the first billing day after the baja, falls past the last date.
            throw ErrorUso(donde + "la baja " + TextoDiaOInstante(*baja) +
                           " caducaría después del año 9999, la última fecha que el motor "
                           "cuenta");
        }
    }
    if (!b.contains("tiempo") || b["tiempo"].is_null()) return;
    const json& t = b["tiempo"];
    const auto segundos = t.is_string() ? LeerDuracion(t.get<std::string>()) : std::nullopt;
    if (!segundos)
        throw ErrorUso(donde + "«tiempo» " + Mostrar(t) +
                       " no es un tiempo H:MM:SS (horas de 0 a " +
                       std::to_string(cTiempo::kHorasMaximas) + ")");
    // A bono just registered is full: what it holds then is what its kind can hold.
    const std::string capacidad = r.tiempo(pos);
    if (*segundos > *LeerDuracion(capacidad))
        throw ErrorUso(donde + "«tiempo» " + Mostrar(t) + " es más de lo que cabe en un bono " +
                       nombreTipo + " (" + capacidad + ")");
    r.tiempo(pos, t.get<std::string>());
}

// Every sum of bono time the engine takes (a kind, a group, the pool it charges) is a time
// of at most 32767 hours and the largest is a group's: both groups are checked as given
// and refilled to full capacity, as each billing period refills them.
void ComprobarTotales(const cBono& r, const std::string& o) {
    auto cabe = [](const cBono& x, std::int16_t g) {
        try {
            (void)x.TotalTiempoGrupo(g);
            return true;
        } catch (const RuntimeError&) {
            return false;
        }
    };
    cBono lleno = r;
    lleno.Reset();
    for (std::int16_t g = 0; g < 2; ++g)
        if (!cabe(r, g) || !cabe(lleno, g))
            throw ErrorUso(o + "los bonos de " + (g == 0 ? "día" : "noche") + " suman más de " +
                           std::to_string(cTiempo::kHorasMaximas) +
                           " horas, más de lo que el motor puede contar");
}

}  // namespace

cBono LeerBonos(std::string_view texto, std::string_view origen) {
    const std::string o = Citar(origen) + ": ";
    const json raiz = Analizar(texto, o);
    cBono r;
    LeerAjustes(raiz, r, o);
    if (raiz.contains("bonos")) {
        const json& bonos = raiz["bonos"];
        if (!bonos.is_array()) throw ErrorUso(o + "«bonos» debe ser una lista [ ... ]");
        for (std::size_t i = 0; i < bonos.size(); ++i) AnadirBono(bonos[i], i, r, o);
    }
    ComprobarTotales(r, o);
    return r;
}

std::string EscribirBonos(const cBono& r) {
    // nlohmann writes every value; the layout, one bono a line, is this file's own.
    auto cadena = [](std::string_view texto) { return json(std::string(texto)).dump(); };
    std::string s = "{\"dia_factura\": " + std::to_string(r.DiaFactura()) +
                    ", \"per_factura\": " + std::to_string(r.perFactura()) + ", \"bonos\": [";
    for (std::int16_t i = 0; i < r.Count(); ++i) {
        s += i ? ",\n  " : "\n  ";
        // Tipo is 0-3 for every name (an unknown one reads as 10DIA, as the engine charges it).
        s += "{\"tipo\": " + cadena(kTipos[static_cast<std::size_t>(r.Tipo(i))]);
        s += ", \"alta\": " + cadena(TextoInstante(r.Alta(i)));
        const Variant baja = r.Baja(i);
        if (!(baja.EsTexto() && baja.texto().empty()))
            s += ", \"baja\": " + cadena(TextoDiaOInstante(CDate(baja)));
        s += ", \"tiempo\": " + cadena(r.tiempo(i)) + "}";
    }
    s += r.Count() ? "\n]}\n" : "]}\n";
    return s;
}

}  // namespace quelmar::herramientas
