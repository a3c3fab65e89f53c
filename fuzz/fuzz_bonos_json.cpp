// The bono registry JSON: any text either reads or raises ErrorUso; what reads writes a
// JSON that reads to a registry that writes the same bytes.
#include <cstdint>
#include <string>

#include "Comprobar.h"
#include "runtime/Locale.h"
#include "tools/Bonos.h"
#include "tools/Comun.h"

using namespace quelmar;
using namespace quelmar::herramientas;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    LocaleScope ambito(Locale::PorDefecto());
    const std::string_view texto(reinterpret_cast<const char*>(datos), n);
    std::string primera;
    try {
        primera = EscribirBonos(LeerBonos(texto, "fuzz"));
    } catch (const ErrorUso&) {
        return 0;
    }
    std::string segunda;
    try {
        segunda = EscribirBonos(LeerBonos(primera, "fuzz"));
    } catch (const ErrorUso& e) {
        fuzz::Fallo(std::string("lo escrito no se lee: ") + e.what() + "\n" + primera);
    }
    fuzz::Exigir(segunda == primera, [&] {
        return std::string("leer, escribir y leer no da lo mismo:\n" + primera + "\n" + segunda);
    });
    return 0;
}
