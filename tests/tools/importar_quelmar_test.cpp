// importar and Quelmar agree on what a catalogue may hold: random catalogues go both ways,
// as an old Tarifas.Dat opened and saved in the window, and as a CSV given to the real
// tarificador importar. What the window refuses to save, importar refuses; what importar
// writes, the window opens without a word and saves back byte for byte.
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "Programa.h"
#include "catalogue/tTarifa.h"
#include "editor/EditorPrueba.h"
#include "editor/Form1.h"
#include "tools/CatalogoCsv.h"

namespace quelmar::pruebas {
namespace {

using editor::Form1;
using editor::prueba::VentanaFalsa;
using herramientas::ExportarCsv;

// Values a person or an old file may leave in each kind of field: most are sound, some are
// what the catalogue rule refuses or doubts.
const std::vector<std::string> kNombres = {"Provincial",
                                           "Nacional",
                                           " Sangrado",
                                           "~Tilde",
                                           "Se\xF1"
                                           "al",
                                           "10DIA",
                                           "   ",
                                           "",
                                           "\xC1vila",
                                           std::string(15, '\0')};
const std::vector<std::string> kImportes = {"11.5", "0", "-2",   "1e3", " 7",
                                            "0,15", "",  "2.5x", "abc", "."};
const std::vector<double> kHoras = {0.0,
                                    0.5,
                                    0.75,
                                    1e-7,
                                    -0.0,
                                    std::nextafter(1.0, 0.0),
                                    std::numeric_limits<double>::quiet_NaN(),
                                    std::numeric_limits<double>::infinity(),
                                    -0.25,
                                    1.0,
                                    1e308,
                                    36526.5};
// How many of each list, from the start, are sound everywhere.
constexpr std::size_t kNombresSanos = 5, kImportesSanos = 6, kHorasSanas = 6;

std::vector<tTarifa> CatalogoAlAzar(std::mt19937& azar) {
    const auto tirar = [&azar](std::size_t n) { return static_cast<std::size_t>(azar() % n); };
    std::vector<tTarifa> r;
    const std::size_t n = 5 + tirar(4);
    for (std::size_t i = 0; i < n; ++i) {
        tTarifa t;
        for (const tTarifa::Campo& c : tTarifa::Campos()) {
            if (c.tipo == tTarifa::Tipo::Fecha)
                t.Fecha(c, kHoras[tirar(kHorasSanas)]);
            else
                t.Texto(c, kImportes[tirar(kImportesSanos)]);
        }
        static const char* const kPrograma[] = {"Metropolitana", "10DIA", "50DIA", "10NOCHE",
                                                "50NOCHE"};
        // Blanks before a name are not shown but are kept.
        const std::string blancos(tirar(3) == 0 ? 1 : 0, ' ');
        t.Texto(tTarifa::Campos()[0], i < 5 ? blancos + kPrograma[i]
                                            : kNombres[tirar(kNombresSanos)] + std::to_string(i));
        r.push_back(t);
    }
    // A few values anywhere from the whole lists: sound or not.
    for (std::size_t k = tirar(3); k > 0; --k) {
        tTarifa& t = r[tirar(r.size())];
        const tTarifa::Campo& c = tTarifa::Campos()[tirar(tTarifa::Campos().size())];
        if (c.tipo == tTarifa::Tipo::Fecha)
            t.Fecha(c, kHoras[tirar(kHoras.size())]);
        else if (c.clave == "Nombre")
            t.Texto(c, kNombres[tirar(kNombres.size())]);
        else
            t.Texto(c, kImportes[tirar(kImportes.size())]);
    }
    return r;
}

std::string Bytes(const std::vector<tTarifa>& r) {
    const auto b = tTarifa::BytesDe(r);
    return std::string(b.begin(), b.end());
}

// Opens the window on the folder's catalogue and presses Salvar: whether it saved without
// a word (no refusal, no question; a question answered no).
bool QuelmarLoSalva(const CarpetaTemporal& carpeta) {
    VentanaFalsa ventana;
    Form1 form(ventana, carpeta.ruta());
    EXPECT_TRUE(form.Abrir());
    EXPECT_TRUE(ventana.mensajes.empty()) << ventana.mensajes[0].texto;
    form.cmdSalvar.Pulsar();
    return ventana.mensajes.empty() && ventana.preguntas.empty();
}

TEST(ImportarYQuelmar, AgreeOnWhatACatalogueMayHold) {
    int aceptados = 0, rechazados = 0;
    for (unsigned semilla = 1; semilla <= 120; ++semilla) {
        std::mt19937 azar(semilla);
        const std::vector<tTarifa> registros = CatalogoAlAzar(azar);

        CarpetaTemporal viejo;
        viejo.Escribir(Bytes(registros));
        const bool quelmar = QuelmarLoSalva(viejo);

        CarpetaTemporal nuevo;
        EscribirTodo(nuevo.ruta() / "t.csv", ExportarCsv(registros));
        const Resultado r = Ejecutar(nuevo.ruta(), {"importar", "--catalogo", nuevo.ruta().string(),
                                                    (nuevo.ruta() / "t.csv").string()});
        ASSERT_TRUE(r.estado == 0 || r.estado == 1) << r.errores;
        if (!quelmar) {
            EXPECT_EQ(r.estado, 1) << "semilla " << semilla << ": importar aceptó";
        }
        if (r.estado != 0) {
            ++rechazados;
            continue;
        }
        ++aceptados;
        const std::string importado = nuevo.Leer();
        EXPECT_TRUE(QuelmarLoSalva(nuevo)) << "semilla " << semilla << "\n" << r.errores;
        EXPECT_TRUE(nuevo.Leer() == importado) << "semilla " << semilla;
    }
    // Both ways were walked.
    EXPECT_GT(aceptados, 20);
    EXPECT_GT(rechazados, 20);
}

}  // namespace
}  // namespace quelmar::pruebas
