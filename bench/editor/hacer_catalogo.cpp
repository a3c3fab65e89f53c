// Writes a Tarifas.Dat for benchmarks and screenshots.
//
//   quelmar_hacer_catalogo FOLDER N    N tariffs named T00001, T00002...
//   quelmar_hacer_catalogo FOLDER      the 12 tariffs of a plausible catalogue
#include <cstdio>
#include <cstdlib>

#include "Catalogo.h"
#include "runtime/RuntimeError.h"

int main(int argc, char* argv[]) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s FOLDER [N]\n", argv[0]);
        return 2;
    }
    try {
        if (argc == 3) {
            const long n = std::strtol(argv[2], nullptr, 10);
            if (n < 1 || n > quelmar::cCatalogo::kMaxTarifasFichero) {
                std::fprintf(stderr, "N must lie in 1..32766\n");
                return 2;
            }
            quelmar::bench::CatalogoDe(argv[1], n);
        } else {
            quelmar::bench::CatalogoMuestra(argv[1]);
        }
    } catch (const quelmar::RuntimeError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
