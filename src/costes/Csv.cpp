#include "costes/Csv.h"

#include <optional>
#include <string_view>
#include <vector>

#include "llamadas/Instantes.h"
#include "runtime/OleDate.h"

namespace quelmar::costes {

namespace {

// The start of a row: its first cell, an instant AAAA-MM-DDTHH:MM:SS.
std::optional<double> Inicio(std::string_view fila) {
    return llamadas::LeerInstante(fila.substr(0, fila.find(',')));
}

}  // namespace

std::string RecortarCsv(const std::string& csv, const Periodo& p) {
    if (p.clase == Periodo::Clase::Todo) return csv;
    std::vector<std::string_view> filas;
    std::string_view resto = csv;
    while (!resto.empty()) {
        const auto fin = resto.find('\n');
        const auto largo = fin == std::string_view::npos ? resto.size() : fin + 1;
        filas.push_back(resto.substr(0, largo));
        resto.remove_prefix(largo);
    }
    if (filas.size() < 2) return csv;
    std::optional<double> primera, ultima;
    for (std::size_t i = 1; i < filas.size(); ++i) {
        const auto ini = Inicio(filas[i]);
        if (!ini) continue;
        if (!primera || fecha::ASegundos(*ini) < fecha::ASegundos(*primera)) primera = ini;
        if (!ultima || fecha::ASegundos(*ini) > fecha::ASegundos(*ultima)) ultima = ini;
    }
    if (!primera) return csv;
    const auto intervalo = Resolver(p, *primera, *ultima);
    if (!intervalo) return csv;
    std::string r(filas.front());
    for (std::size_t i = 1; i < filas.size(); ++i) {
        const auto ini = Inicio(filas[i]);
        if (ini && intervalo->Contiene(*ini)) r += filas[i];
    }
    return r;
}

}  // namespace quelmar::costes
