#include <QApplication>
#include <QSettings>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "costes/LineaDeOrdenes.h"
#include "costes/Motor.h"
#include "costes/qt/DialogoOpciones.h"
#include "costes/qt/VentanaCostes.h"
#include "qtcomun/Arranque.h"
#include "qtcomun/Idioma.h"

#ifndef QUELMAR_VERSION
#error "QUELMAR_VERSION is defined by the build"
#endif

namespace {

constexpr quelmar::qtcomun::Programa kCostes{
    "quelmar-costes", "Abre la ventana «Costes de llamadas», que cuesta un registro de llamadas.\n",
    "  0  al cerrar la ventana\n"
    "  1  sin pantalla gráfica\n"
    "  2  una opción o un argumento que no vale\n"};

}  // namespace

int main(int argc, char* argv[]) {
    namespace c = quelmar::costes;
    const c::Arranque a =
        c::LeerLineaDeOrdenes(std::vector<std::string>(argv, argv + argc), QUELMAR_VERSION);
    if (a.salida) {
        std::fputs(a.texto.c_str(), *a.salida == 0 ? stdout : stderr);
        return std::fflush(stdout) == 0 ? *a.salida : quelmar::qtcomun::kSalidaUso;
    }
    // What is left is Qt's: its own options pass, any other is refused before a display.
    std::vector<std::string> restos = a.paraQt;
    std::vector<char*> qt;
    for (std::string& s : restos) qt.push_back(s.data());
    qt.push_back(nullptr);
    int qtArgc = static_cast<int>(restos.size());
    if (const auto salida = quelmar::qtcomun::AtenderOpciones(qtArgc, qt.data(), kCostes))
        return *salida;
    const auto aplicacion = quelmar::qtcomun::CrearAplicacion(qtArgc, qt.data(), kCostes);
    QApplication& app = *aplicacion;
    quelmar::qtcomun::PonerEnEspanol(app);

    // With costing options on the command line the file is costed with those alone, as
    // tarificador costear would cost it; without any, with those kept from the dialog.
    QSettings ajustes(QStringLiteral("quelmar"), QStringLiteral("quelmar-costes"));
    const bool dadas = std::any_of(a.dadas.begin(), a.dadas.end(), [](const std::string& d) {
        return d != "mes" && d != "desde" && d != "hasta" && d != "por";
    });
    const c::OpcionesCostes o = dadas ? a.opciones : c::LeerOpciones(ajustes);

    const auto motor = c::MotorDeLlamadas();
    c::VentanaCostes ventana(*motor, ajustes, o);
    if (a.periodo) ventana.PonerPeriodo(*a.periodo);
    ventana.show();
    if (!a.fichero.empty()) ventana.Abrir(QString::fromStdString(a.fichero));
    return app.exec();
}
