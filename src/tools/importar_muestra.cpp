// Makes the sample catalogue from its CSV at build time, as «tarificador importar» does,
// with the CSV reader alone: the quick way to Quelmar's window builds no more than this.
//   importar_muestra TARIFAS.CSV TARIFAS.DAT
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>
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
        std::vector<tTarifa> registros =
            ImportarCsv(LeerFicheroEntero(argv[1]), avisos, false, argv[1]);
        for (const auto& a : avisos) std::fprintf(stderr, "aviso: %s\n", a.c_str());
        const auto bytes = tTarifa::BytesDe(registros);
        EscribirSalida(argv[2],
                       std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "importar_muestra: %s\n", MensajeEngine(e).c_str());
        return 1;
    }
    return 0;
}
