#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "EditorPrueba.h"
#include "editor/Disposicion.h"
#include "editor/Form1.h"

namespace quelmar::editor {
namespace {

using E = Disposicion::Elemento;

TEST(DisposicionTest, TabKeyVisitsTheFieldsThenTheBarThenTheButtons) {
    std::vector<E> paradas;
    for (const E& e : Disposicion::kElementos)
        if (e.tabStop) paradas.push_back(e);
    std::sort(paradas.begin(), paradas.end(),
              [](const E& a, const E& b) { return a.tabIndex < b.tabIndex; });
    std::vector<std::string> orden;
    for (const E& e : paradas) orden.emplace_back(e.nombre);
    EXPECT_EQ(orden, (std::vector<std::string>{
                         "txtNombre", "conImporte", "conTiempo", "semImporte",   "semInicio",
                         "semFin",    "sabImporte", "sabInicio", "sabFin",       "fesImporte",
                         "fesInicio", "fesFin",     "hs",        "cmdAceptar",   "cmdCancelar",
                         "cmdNuevo",  "cmdBorrar",  "cmdCopiar", "cmdRestaurar", "cmdSalvar"}));
}

// The binding finds the model's control for every interactive element by its name.
TEST(DisposicionTest, EveryInteractiveElementIsAControlOfTheWindow) {
    prueba::VentanaFalsa ventana;
    Form1 form(ventana, std::filesystem::temp_directory_path() / "quelmar_sin_catalogo");
    for (const E& e : Disposicion::kElementos) {
        const bool estatico = e.clase == Disposicion::Clase::Frame ||
                              (e.clase == Disposicion::Clase::Label && e.nombre != "lRegistro");
        EXPECT_EQ(form.Buscar(e.nombre) != nullptr, !estatico) << e.nombre;
    }
}

}  // namespace
}  // namespace quelmar::editor
