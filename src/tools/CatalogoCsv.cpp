#include "tools/CatalogoCsv.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>

#include "bono/cBono.h"
#include "catalogue/Validez.h"
#include "costing/cLlamada.h"
#include "llamadas/Csv.h"
#include "llamadas/Instantes.h"
#include "runtime/CodePage.h"
#include "runtime/Importe.h"
#include "runtime/OleDate.h"
#include "runtime/Texto.h"
#include "tools/Comun.h"

namespace quelmar::herramientas {

namespace {

// The record's fields, as the CSV's columns.
constexpr std::size_t kCampos = tTarifa::kCampos;

// A cell that cannot be read; the row's loop adds the line and the key.
struct FalloCelda {
    std::string mensaje;
};

int ValorHex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The bytes of a text cell at the field's width; throws the fault as text.
std::string BytesDeCelda(std::string_view celda, std::size_t ancho) {
    if (celda.empty()) return std::string(ancho, '\0');
    std::string bytes;
    std::size_t i = 0;
    while (i < celda.size()) {
        if (celda[i] == '\\') {
            if (i + 1 < celda.size() && celda[i + 1] == '\\') {
                bytes += '\\';
                i += 2;
                continue;
            }
            if (i + 3 < celda.size() && celda[i + 1] == 'x' && ValorHex(celda[i + 2]) >= 0 &&
                ValorHex(celda[i + 3]) >= 0) {
                bytes += static_cast<char>(ValorHex(celda[i + 2]) * 16 + ValorHex(celda[i + 3]));
                i += 4;
                continue;
            }
            throw FalloCelda{"la barra invertida de " + CitarCorto(celda) +
                             " no empieza \\\\ ni \\xHH"};
        }
        const std::size_t j = std::min(celda.find('\\', i), celda.size());
        const auto trozo = Utf8ACp1252Exacto(celda.substr(i, j - i));
        if (!trozo)
            throw FalloCelda{CitarCorto(celda) +
                             " tiene caracteres que no existen en Windows-1252 (o UTF-8 mal "
                             "formado)"};
        bytes += *trozo;
        i = j;
    }
    if (bytes.size() > ancho)
        throw FalloCelda{CitarCorto(celda) + " ocupa " + std::to_string(bytes.size()) +
                         " caracteres y el campo admite " + std::to_string(ancho)};
    bytes.resize(ancho, ' ');
    return bytes;
}

// An end time written HH:MM is stored as the editor stores it (the end-of-minute rule:
// 17:59 is 17:59:59, 00:00 stays 00:00:00); a start written HH:MM gets :00.
double FechaDeCelda(std::string_view celda, bool esFin) {
    const std::string_view s = RecortarBlancos(celda);
    if (s.empty()) return 0.0;
    if (s.size() == 18 && (s.starts_with("0x") || s.starts_with("0X"))) {
        std::uint64_t bits = 0;
        const auto r = std::from_chars(s.data() + 2, s.data() + s.size(), bits, 16);
        if (r.ec == std::errc() && r.ptr == s.data() + s.size()) return std::bit_cast<double>(bits);
    } else if (s.find(':') != std::string_view::npos) {
        const auto d = s.find('-') != std::string_view::npos ? LeerInstante(s) : LeerHora(s);
        if (d && esFin && s.find(':') == s.rfind(':')) {
            const std::int64_t seg = fecha::ASegundos(*d);
            return FinDeMinuto(seg / 3600, seg / 60 % 60);
        }
        if (d) return *d;
    } else {
        double d = 0.0;
        const auto r = std::from_chars(s.data(), s.data() + s.size(), d);
        if (r.ec == std::errc() && r.ptr == s.data() + s.size()) return d;
    }
    throw FalloCelda{CitarCorto(celda) +
                     " no es una hora (HH:MM:SS), una fecha y hora (AAAA-MM-DD HH:MM:SS) ni "
                     "un número"};
}

bool EsImporte(const tTarifa::Campo& campo) {
    const auto lugar = tTarifa::LugarDe(campo);
    return lugar ? lugar->parte == ParteBanda::Importe : &campo == &tTarifa::CampoConexionImporte();
}

bool EsFin(const tTarifa::Campo& campo) {
    const auto lugar = tTarifa::LugarDe(campo);
    return lugar && lugar->parte == ParteBanda::Fin;
}

// The amount a cell shows, when it is a plain number: "11.5", "-2", "1e3".
std::optional<double> NumeroEscrito(std::string_view s) {
    double d = 0.0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), d);
    if (s.empty() || r.ec != std::errc() || r.ptr != s.data() + s.size() || !std::isfinite(d))
        return std::nullopt;
    return d;
}

std::string TextoNumero(double d) {
    char buf[40];
    const auto r = std::to_chars(buf, buf + sizeof buf, d);
    return std::string(buf, r.ptr);
}

// The text stored for an amount cell: the number it shows, in the engine's form ("." as
// the decimal point; a decimal comma is turned into one and `coma` set). Blanks around
// are dropped; an empty cell is a field never written.
std::string TextoDeImporte(std::string_view celda, bool& coma) {
    const std::string_view s = RecortarBlancos(celda);
    const auto motor = ImporteDeUsuario(s, ',');
    if (!motor || (!motor->empty() && !std::isfinite(ImporteCobrado(*motor))))
        throw FalloCelda{CitarCorto(celda) + " no es un importe (se espera un número como 11.5)"};
    if (s.find(',') != std::string_view::npos) coma = true;
    return *motor;
}

// What the engine reads in an amount cell kept as written, when it is not what it shows.
std::optional<std::string> LecturaDistinta(std::string_view celda) {
    const std::string_view s = RecortarBlancos(celda);
    if (s.empty()) return std::nullopt;
    const auto d = NumeroEscrito(s);
    const double leido = ImporteCobrado(BytesDeCelda(celda, 7));
    if (d && *d == leido) return std::nullopt;
    return TextoNumero(leido);
}

std::string NombreLeido(const tTarifa& t) {
    return std::string(RecortarEspacios(t.TextoBruto(tTarifa::CampoNombre())));
}

}  // namespace

std::string CeldaTexto(std::string_view bytes) {
    if (bytes.find_first_not_of('\0') == std::string_view::npos) return {};
    const auto fin = bytes.find_last_not_of(' ');
    if (fin == std::string_view::npos) return " ";
    return SinFormula(Escapar(bytes.substr(0, fin + 1)));
}

std::string CeldaFecha(double d) {
    const auto bits = std::bit_cast<std::uint64_t>(d);
    if (!std::isfinite(d)) {
        char buf[24];
        std::snprintf(buf, sizeof buf, "0x%016llX", static_cast<unsigned long long>(bits));
        return buf;
    }
    if (fecha::EsValida(d)) {
        const std::int64_t s = fecha::ASegundos(d);
        if (std::bit_cast<std::uint64_t>(fecha::DesdeSegundos(s)) == bits) {
            if (s >= 0 && s < fecha::kSegundosDia) return TextoHora(d);
            std::string t = TextoInstante(d);
            t[10] = ' ';
            return t;
        }
    }
    char buf[40];
    const auto r = std::to_chars(buf, buf + sizeof buf, d);
    return std::string(buf, r.ptr);
}

std::string ExportarCsv(const std::vector<tTarifa>& registros) {
    const auto& campos = tTarifa::Campos();
    std::string r;
    for (std::size_t c = 0; c < campos.size(); ++c) {
        if (c) r += ',';
        r += campos[c].clave;
    }
    r += '\n';
    for (const tTarifa& t : registros) {
        for (std::size_t c = 0; c < campos.size(); ++c) {
            if (c) r += ',';
            const auto& campo = campos[c];
            r += CeldaCsv(campo.tipo == tTarifa::Tipo::Texto ? CeldaTexto(t.Texto(campo))
                                                             : CeldaFecha(t.Fecha(campo)));
        }
        r += '\n';
    }
    return r;
}

namespace {

// Where a fault is, in the form editors and terminals follow: "fichero:línea".
std::string Donde(std::string_view lugar, std::size_t linea) {
    return std::string(lugar) + ':' + std::to_string(linea);
}

// The header: the separator it uses and the column of each key.
struct Cabecera {
    char sep = ',';
    std::array<std::size_t, kCampos> columna{};
};

Cabecera LeerCabecera(const RegistroCsv& cab, std::string_view lugar) {
    Cabecera h;
    h.sep = cab.texto.find(',') == std::string_view::npos &&
                    cab.texto.find(';') != std::string_view::npos
                ? ';'
                : ',';
    std::vector<std::string> celdas;
    if (auto e = PartirCsv(cab.texto, h.sep, celdas))
        throw ErrorUso(Donde(lugar, cab.linea) + ": " + *e);
    const auto& campos = tTarifa::Campos();
    h.columna.fill(SIZE_MAX);
    std::vector<std::string> fallos;
    for (std::size_t k = 0; k < celdas.size(); ++k) {
        const std::string_view nombre = RecortarBlancos(celdas[k]);
        const tTarifa::Campo* campo = tTarifa::Buscar(nombre);
        if (!campo) {
            fallos.push_back("la columna " + CitarCorto(nombre) + " no es ninguna clave de tarifa");
            continue;
        }
        const auto c = static_cast<std::size_t>(campo - campos.data());
        if (h.columna[c] != SIZE_MAX)
            fallos.push_back("la columna " + CitarCorto(nombre) + " está repetida");
        h.columna[c] = k;
    }
    for (std::size_t c = 0; c < kCampos; ++c)
        if (h.columna[c] == SIZE_MAX)
            fallos.push_back("falta la columna " + Citar(campos[c].clave));
    if (!fallos.empty()) {
        std::string m = Donde(lugar, cab.linea) + ": cabecera no válida";
        for (const auto& f : fallos) m += "\n  " + f;
        throw ErrorUso(m);
    }
    return h;
}

// One row's cells into a record: amounts read as the number they show (or kept as written
// with talCual, warned when the engine reads them otherwise), end times to the end of
// their minute. A cell that cannot be read is one more entry of `fallos`.
tTarifa LeerFila(const RegistroCsv& reg, const std::vector<std::string>& celdas, const Cabecera& h,
                 bool talCual, std::string_view lugar, bool& coma, std::vector<std::string>& avisos,
                 std::vector<std::string>& fallos) {
    tTarifa t;
    const auto& campos = tTarifa::Campos();
    for (std::size_t c = 0; c < kCampos; ++c) {
        const auto& campo = campos[c];
        const std::string& celda = celdas[h.columna[c]];
        const std::string donde = Donde(lugar, reg.linea) + ": " + Citar(campo.clave) + ": ";
        try {
            if (campo.tipo == tTarifa::Tipo::Texto && EsImporte(campo) && !talCual) {
                t.Texto(campo, BytesDeCelda(TextoDeImporte(celda, coma), campo.ancho));
            } else if (campo.tipo == tTarifa::Tipo::Texto) {
                t.Texto(campo, BytesDeCelda(celda, campo.ancho));
                if (EsImporte(campo))
                    if (auto leido = LecturaDistinta(celda))
                        avisos.push_back(donde + CitarCorto(celda) +
                                         " se guarda tal cual, pero el costeo lo lee como " +
                                         *leido);
            } else {
                const bool fin = !talCual && EsFin(campo);
                t.Fecha(campo, FechaDeCelda(celda, fin));
            }
        } catch (const FalloCelda& e) {
            fallos.push_back(donde + e.mensaje);
        }
    }
    return t;
}

// What would make the catalogue read or cost otherwise than written: fewer than the
// program's tariffs or a bono kind first (rules of the CSV), then every problem of the
// catalogue rule (rows read as the file will read: up to a name that ends the list).
std::vector<std::string> ProblemasDeImportar(const std::vector<tTarifa>& r,
                                             const std::vector<std::size_t>& lineas,
                                             std::string_view lugar) {
    std::vector<std::string> catalogo;
    if (r.size() < static_cast<std::size_t>(cLlamada::kTarifasDelPrograma))
        catalogo.push_back("el catálogo tendría " + std::to_string(r.size()) +
                           " tarifas; Quelmar y el costeo necesitan al menos las cinco fijas (la "
                           "principal, 10DIA, 50DIA, 10NOCHE y 50NOCHE, en este orden)");
    for (const std::string_view bono : cBono::kNombresTipo)
        if (!r.empty() && NombreLeido(r[0]) == bono)
            catalogo.push_back(Donde(lugar, lineas[0]) + ": la primera tarifa es " + Citar(bono) +
                               ", un tipo de bono; falta la tarifa principal, que va primera");
    for (const Problema& p : ProblemasDelCatalogo(r)) {
        const std::string linea = Donde(lugar, lineas[p.posicion]);
        switch (p.motivo) {
            case Motivo::DemasiadasTarifas:  // refused before, in its own words
            case Motivo::ImporteSinNumero:   // the cell said it, with what the costing reads
                break;
            case Motivo::NombreCortaLista:
                catalogo.push_back(linea + ": " + p.razon);
                break;
            case Motivo::NombreRepetido:
                catalogo.push_back(linea + ": la tarifa " +
                                   CitarCorto(Cp1252AUtf8(NombreLeido(r[p.posicion]))) +
                                   " ya está en la línea " + std::to_string(lineas[p.otra]) +
                                   "; el costeo solo encontraría la primera");
                break;
            case Motivo::NombreEnBlanco:
            case Motivo::HoraFueraDelDia:
                catalogo.push_back(linea + ": " + Citar(p.campo->clave) + ": " + p.razon);
                break;
        }
    }
    return catalogo;
}

[[noreturn]] void LanzarFallos(const std::vector<std::string>& fallos) {
    constexpr std::size_t kMostrados = 20;
    std::string m = fallos.size() == 1 ? std::string("error en el CSV:")
                                       : std::to_string(fallos.size()) + " errores en el CSV:";
    for (std::size_t k = 0; k < fallos.size() && k < kMostrados; ++k) m += "\n  " + fallos[k];
    if (fallos.size() > kMostrados)
        m += "\n  y " + std::to_string(fallos.size() - kMostrados) + " más";
    throw ErrorUso(m);
}

}  // namespace

std::vector<tTarifa> ImportarCsv(std::string_view texto, std::vector<std::string>& avisos,
                                 bool talCual, std::string_view lugar) {
    const std::vector<RegistroCsv> registros = RegistrosCsv(texto);
    std::size_t primero = 0;
    while (primero < registros.size() && RecortarBlancos(registros[primero].texto).empty())
        ++primero;
    if (primero == registros.size())
        throw ErrorUso("el CSV está vacío: falta la línea de cabecera");
    const Cabecera h = LeerCabecera(registros[primero], lugar);

    std::vector<tTarifa> r;
    std::vector<std::size_t> lineas;
    std::vector<std::string> fallos, celdas;
    bool coma = false;
    for (std::size_t k = primero + 1; k < registros.size(); ++k) {
        const RegistroCsv& reg = registros[k];
        if (reg.texto.empty()) continue;
        const std::string linea = Donde(lugar, reg.linea) + ": ";
        if (auto e = PartirCsv(reg.texto, h.sep, celdas)) {
            fallos.push_back(linea + *e);
        } else if (celdas.size() != kCampos) {
            fallos.push_back(linea + "tiene " + std::to_string(celdas.size()) +
                             " columnas y la cabecera 21");
        } else {
            r.push_back(LeerFila(reg, celdas, h, talCual, lugar, coma, avisos, fallos));
            lineas.push_back(reg.linea);
        }
    }
    if (coma)
        avisos.push_back(
            "los importes con coma decimal (11,5) se guardan con punto (11.5), la forma que lee "
            "el costeo");
    if (r.size() > static_cast<std::size_t>(cLlamada::kMaxTarifasFichero))
        throw ErrorUso("el CSV tiene " + std::to_string(r.size()) +
                       " filas de tarifas: más de 32766 tarifas, y Quelmar no lee un catálogo "
                       "así");
    // Only once every row was read, since a dropped row shifts the others.
    if (fallos.empty()) {
        const std::vector<std::string> catalogo = ProblemasDeImportar(r, lineas, lugar);
        std::vector<std::string>& destino = talCual ? avisos : fallos;  // --tal-cual warns
        destino.insert(destino.end(), catalogo.begin(), catalogo.end());
    }
    if (!fallos.empty()) LanzarFallos(fallos);
    if (r.empty()) throw ErrorUso("el CSV no tiene ninguna tarifa");
    return r;
}

}  // namespace quelmar::herramientas
