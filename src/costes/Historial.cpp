#include "costes/Historial.h"

#include <algorithm>

namespace quelmar::costes {

std::vector<std::string> AnadirReciente(std::vector<std::string> lista, const std::string& fichero,
                                        std::size_t maximo) {
    std::erase(lista, fichero);
    lista.insert(lista.begin(), fichero);
    if (lista.size() > maximo) lista.resize(maximo);
    return lista;
}

}  // namespace quelmar::costes
