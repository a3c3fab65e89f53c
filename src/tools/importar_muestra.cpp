// Makes the sample catalogue from its CSV at build time, as «tarificador importar» does,
// with the CSV reader alone: the quick way to Quelmar's window builds no more than this.
//   importar_muestra TARIFAS.CSV TARIFAS.DAT
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "catalogue/tTarifa.h"
#include "tools/CatalogoCsv.h"
#include "tools/Comun.h"

int main(int argc, char** argv) {
    using namespace quelmar;
    using namespace quelmar::herramientas;
    if (argc != 3) {
        std::fputs("Uso: importar_muestra TARIFAS.CSV TARIFAS.DAT\n", stderr);
        return 2;
    }
    try {
        std::vector<std::string> avisos;
        const auto registros = ImportarCsv(LeerFicheroEntero(argv[1]), avisos);
        for (const auto& a : avisos) std::fprintf(stderr, "aviso: %s\n", a.c_str());
        std::string bytes(registros.size() * tTarifa::kTamano, '\0');
        for (std::size_t i = 0; i < registros.size(); ++i)
            registros[i].Codificar(reinterpret_cast<unsigned char*>(bytes.data()) +
                                   i * tTarifa::kTamano);
        EscribirFicheroAtomico(argv[2], bytes);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "importar_muestra: %s\n", MensajeEngine(e).c_str());
        return 1;
    }
    return 0;
}
