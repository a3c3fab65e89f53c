// The catalogue CSV. Any records export to a CSV that imports back (--tal-cual) to the
// same records; any text either imports, strictly or as it is, or raises ErrorUso, and
// what imports exports, imports and exports again to the same bytes.
#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>
#include <vector>

#include "Comprobar.h"
#include "tools/CatalogoCsv.h"
#include "tools/Comun.h"

using namespace quelmar;
using namespace quelmar::herramientas;

namespace {

// Byte for byte (--tal-cual) unless told otherwise: what was exported must come back as it
// was, whatever the engine would make of it.
bool Importa(std::string_view texto, std::vector<tTarifa>& r, std::string* por = nullptr,
             bool talCual = true) {
    std::vector<std::string> avisos;
    try {
        r = ImportarCsv(texto, avisos, talCual);
        return true;
    } catch (const ErrorUso& e) {
        if (por) *por = e.what();
        return false;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    FuzzedDataProvider e(datos, n);
    // Records from raw bytes; at least one, as importing refuses a CSV without tariffs.
    std::vector<tTarifa> registros;
    for (int k = e.ConsumeIntegralInRange(1, 4); k > 0; --k) {
        std::string b = e.ConsumeBytesAsString(tTarifa::kTamano);
        b.resize(tTarifa::kTamano, '\0');
        registros.push_back(tTarifa::Registros(b).front());
    }
    const std::string csv = ExportarCsv(registros);
    std::vector<tTarifa> leidos;
    std::string por;
    fuzz::Exigir(Importa(csv, leidos, &por), [&] {
        return std::string("un CSV exportado no se importa: " + por + "\n" + csv);
    });
    fuzz::Exigir(leidos == registros, "exportar e importar cambió los registros");

    // Any text, read strictly or as it is.
    const bool estricto = e.ConsumeBool();
    const std::string texto = e.ConsumeRemainingBytesAsString();
    std::vector<tTarifa> uno, dos;
    if (!Importa(texto, uno, nullptr, !estricto)) return 0;
    const std::string primera = ExportarCsv(uno);
    fuzz::Exigir(Importa(primera, dos, &por), [&] {
        return std::string("lo importado y exportado no se importa: " + por + "\n" + primera);
    });
    fuzz::Exigir(dos == uno && ExportarCsv(dos) == primera,
                 "exportar, importar y exportar no da los mismos bytes");
    return 0;
}
