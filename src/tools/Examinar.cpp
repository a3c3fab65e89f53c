#include "tools/Examinar.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "llamadas/Instantes.h"
#include "llamadas/Textos.h"
#include "llamadas/formatos/Lector.h"

namespace quelmar::herramientas {

namespace {

// Columns as wide as their widest cell (in characters), the first to the left.
std::string Tabla(const std::vector<std::vector<std::string>>& filas) {
    auto ancho = [](const std::string& t) {
        std::size_t n = 0;
        for (const char c : t) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        return n;
    };
    std::vector<std::size_t> anchos;
    for (const auto& f : filas)
        for (std::size_t i = 0; i < f.size(); ++i) {
            if (anchos.size() <= i) anchos.push_back(0);
            anchos[i] = std::max(anchos[i], ancho(f[i]));
        }
    std::string r;
    for (const auto& f : filas) {
        std::string linea = " ";
        for (std::size_t i = 0; i < f.size(); ++i) {
            const std::string relleno(anchos[i] - ancho(f[i]), ' ');
            linea += ' ';
            linea += i == 0 ? f[i] + relleno : relleno + f[i];
        }
        r += linea + '\n';
    }
    return r;
}

std::string Duracion(std::int64_t s) {
    return TextoDuracion(s);
}

constexpr std::size_t kFilas = 15;

}  // namespace

void EscribirExamen(const Examen& e, const std::string& fichero,
                    const std::optional<std::string>& destinos, std::FILE* salida) {
    std::string r;
    const FormatoRegistro* f = BuscarFormato(e.formato);
    r += "Fichero: " + fichero + "\n";
    r += "Formato: " + Citar(e.formato) + (f ? ", " + std::string(f->descripcion) : "") + "\n";
    r += "Registros: " + std::to_string(e.registros) + " (" + std::to_string(e.contestados) +
         " contestados";
    if (e.malas) r += ", " + std::to_string(e.malas) + " ilegibles en este formato";
    r += ")\n";
    if (e.primero)
        r += "Del " + TextoInstante(*e.primero) + " al " + TextoInstante(*e.ultimo) + "\n";

    if (!e.disposiciones.empty()) {
        r += "\nRegistros por disposición:\n";
        std::vector<std::vector<std::string>> t;
        for (const auto& [d, n] : e.disposiciones) t.push_back({d, std::to_string(n)});
        r += Tabla(t);
    }
    auto grupos = [&](const std::vector<Examen::Grupo>& v, std::vector<std::string> cabecera,
                      bool canales) {
        std::vector<std::vector<std::string>> t{std::move(cabecera)};
        for (std::size_t i = 0; i < v.size() && i < kFilas; ++i) {
            const auto& g = v[i];
            std::vector<std::string> fila{g.nombre};
            if (canales)
                fila.insert(fila.end(),
                            {std::to_string(g.comoCanal), std::to_string(g.comoDestino)});
            else
                fila.push_back(std::to_string(g.registros));
            fila.insert(fila.end(), {std::to_string(g.contestados), Duracion(g.segundos),
                                     std::to_string(g.largos)});
            t.push_back(std::move(fila));
        }
        std::string s = Tabla(t);
        if (v.size() > kFilas) s += "  y " + std::to_string(v.size() - kFilas) + " más\n";
        return s;
    };
    if (!e.contextos.empty()) {
        r += std::string("\nContextos (") + Examen::kCampoContexto + "):\n";
        r += grupos(e.contextos,
                    {"contexto", "registros", "contestados", "tiempo", "a números largos"}, false);
    }
    if (!e.pares.empty()) {
        r += "\nCanales (el nombre antes del último «-»):\n";
        const std::string canal = Examen::kCampoCanal, destino = Examen::kCampoCanalDestino;
        r += grupos(e.pares,
                    {"canal", "como " + canal, "como " + destino, "contestados", "tiempo",
                     "a números largos"},
                    true);
        r += "  La troncal (la línea al operador) es el canal por el que salen las llamadas\n"
             "  a números largos: como " +
             destino + " en las salientes, como " + canal + " en las\n  entrantes.\n";
    }
    if (e.contestados) {
        r += "\nLlamadas contestadas por hora del día:\n";
        std::vector<std::vector<std::string>> t(2);
        for (std::size_t h = 0; h < 24; ++h) {
            t[h / 12].push_back((h < 10 ? "0" : "") + std::to_string(h) + "h " +
                                std::to_string(e.porHora[h]));
        }
        r += Tabla(t);
        if (e.enHueco)
            r += "  " + std::to_string(e.enHueco) +
                 " instantes caen en la hora que el reloj local se salta en el cambio\n"
                 "  de hora de primavera: el fichero está en UTC; use --utc.\n";
        else
            r += "  Si las horas de más llamadas salen una o dos antes que las de la oficina,\n"
                 "  el fichero está en UTC (Asterisk con usegmtime=yes en cdr.conf): use\n"
                 "  --utc.\n";
    }
    if (destinos) {
        r += "\nNúmeros que ningún prefijo de " + *destinos + " cubre:\n  " +
             std::to_string(e.sinPrefijo) + " registros contestados";
        if (e.numerosSinPrefijo.empty()) {
            r += "\n";
        } else {
            r += "; los más frecuentes:\n";
            std::vector<std::vector<std::string>> t;
            for (std::size_t i = 0; i < e.numerosSinPrefijo.size() && i < kFilas; ++i)
                t.push_back(
                    {e.numerosSinPrefijo[i].first, std::to_string(e.numerosSinPrefijo[i].second)});
            r += Tabla(t);
        }
    }
    r += "\nOrden sugerida:\n  tarificador costear --formato " + e.formato + " --destinos " +
         (destinos ? *destinos : std::string("DESTINOS.csv"));
    if (!e.troncal.empty())
        r += " --troncal " + e.troncal;
    else if (!e.contexto.empty())
        r += " --contexto " + e.contexto;
    if (e.enHueco) r += " --utc";
    r += " " + fichero + "\n";
    std::fputs(r.c_str(), salida);
}

}  // namespace quelmar::herramientas
