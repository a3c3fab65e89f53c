// The call log through Costear, on the sample catalogue: any log ends with status 0 or 1,
// status 1 exactly when some line was reported bad, and no more results than lines; only
// a log that is no text is refused whole.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "Comprobar.h"
#include "costing/cLlamada.h"
#include "runtime/Locale.h"
#include "tools/CatalogoCsv.h"
#include "tools/Comun.h"
#include "tools/Costear.h"

using namespace quelmar;
using namespace quelmar::herramientas;

namespace {

// Tarifas.Dat from data/tarifas.csv, once per process.
const std::filesystem::path& Catalogo() {
    static const std::filesystem::path carpeta = [] {
        std::ifstream f(QUELMAR_CSV_EJEMPLO);
        const std::string csv{std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
        std::vector<std::string> avisos;
        const std::vector<tTarifa> r = ImportarCsv(csv, avisos);
        std::ofstream dat(fuzz::CarpetaDelProceso() / cLlamada::kNombreFichero, std::ios::binary);
        for (const tTarifa& t : r)
            dat.write(reinterpret_cast<const char*>(t.Registro().data()), tTarifa::kTamano);
        return fuzz::CarpetaDelProceso();
    }();
    return carpeta;
}

std::size_t Lineas(const char* p, std::size_t n) {
    std::size_t c = 0;
    for (std::size_t i = 0; i < n; ++i) c += p[i] == '\n';
    return c;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    LocaleScope ambito(Locale::PorDefecto());
    OpcionesCosteo o;
    o.catalogo = Catalogo();
    std::string copia(reinterpret_cast<const char*>(datos), n);
    // A real file: the log is read from its descriptor, as the program reads a file or pipe.
    std::FILE* entrada = std::tmpfile();
    if (entrada && (std::fwrite(copia.data(), 1, copia.size(), entrada) != copia.size() ||
                    std::fseek(entrada, 0, SEEK_SET) != 0))
        std::abort();
    char *sal = nullptr, *err = nullptr;
    std::size_t nSal = 0, nErr = 0;
    std::FILE* salida = ::open_memstream(&sal, &nSal);
    std::FILE* errores = ::open_memstream(&err, &nErr);
    if (!entrada || !salida || !errores) std::abort();
    int rc = -1;
    try {
        rc = Costear(o, entrada, salida, errores);
    } catch (const llamadas::Error& e) {
        // A log that is no text (NUL bytes, mostly undecodable) is refused as a whole;
        // nothing else may stop the costing...
        const std::string que = e.what();
        // So is a header that names a column nobody knows, or one twice.
        if (que.find("no es un fichero de texto") == std::string::npos &&
            que.find("está en UTF-16") == std::string::npos &&
            que.find(": la cabecera nombra ") == std::string::npos)
            fuzz::Fallo("Error con un catálogo bueno: " + que);
        std::fclose(entrada);
        std::fclose(salida);
        std::fclose(errores);
        std::free(sal);
        std::free(err);
        return 0;
    }
    std::fclose(entrada);
    std::fclose(salida);
    std::fclose(errores);
    const std::string textoErr(err, nErr);
    const std::size_t resultados = Lineas(sal, nSal) - 1;  // less the header
    std::free(sal);
    std::free(err);
    fuzz::Exigir(rc == 0 || rc == 1, [&] { return std::string("estado " + std::to_string(rc)); });
    // Status 1 exactly when some line was bad; warnings ("lugar:N: aviso: ...") are not.
    bool mala = false;
    const std::string lugar = "(entrada estándar):";
    for (std::size_t p = textoErr.find(lugar); p != std::string::npos;
         p = textoErr.find(lugar, p + 1)) {
        const std::size_t dos = textoErr.find(": ", p + lugar.size());
        if (dos != std::string::npos && textoErr.compare(dos + 2, 6, "aviso:") != 0) mala = true;
    }
    fuzz::Exigir((rc == 1) == mala,
                 [&] { return std::string("estado y líneas malas no casan:\n" + textoErr); });
    fuzz::Exigir(resultados <= Lineas(copia.data(), n) + 1, "más resultados que líneas");
    return 0;
}
