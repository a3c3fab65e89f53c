#include <QApplication>
#include <QDateTime>

#include "calendar/InstanciaUnica.h"
#include "calendar/fMain.h"
#include "qtcomun/Arranque.h"
#include "qtcomun/Idioma.h"

namespace {

constexpr quelmar::qtcomun::Programa kOrbelle{
    "orbelle",
    "Abre un calendario del mes con la fecha y la hora debajo, en la esquina superior\n"
    "derecha de la pantalla. Solo se abre una vez: arrancarlo de nuevo trae al frente\n"
    "la ventana abierta.\n",
    "  0  al cerrar la ventana, o enseguida si ya había otro Orbelle abierto (que pasa\n"
    "     al frente)\n"
    "  1  sin pantalla gráfica\n"
    "  2  una opción o un argumento que no vale\n"};

// How long a second start waits for the first copy to take its call.
constexpr int kEsperaMs = 3000;

}  // namespace

int main(int argc, char* argv[]) {
    if (const auto salida = quelmar::qtcomun::AtenderOpciones(argc, argv, kOrbelle)) return *salida;
    const auto aplicacion = quelmar::qtcomun::CrearAplicacion(argc, argv, kOrbelle);
    QApplication& app = *aplicacion;
    const QLocale locale = quelmar::qtcomun::PonerEnEspanol(app);

    // A second copy ends at once, quietly, before it has a window, once it has asked the first
    // to come forward (an older first copy may not answer: ending is still right).
    const quelmar::calendario::InstanciaUnica instance(
        quelmar::calendario::InstanciaUnica::CarpetaPorDefecto());
    if (!instance.EsPrimera()) {
        instance.LlamarALaPrimera(kEsperaMs);
        return 0;
    }

    quelmar::calendario::fMain window([] { return QDateTime::currentDateTime(); }, locale);
    QObject::connect(&instance, &quelmar::calendario::InstanciaUnica::Llamada, &window,
                     &quelmar::calendario::fMain::TraerAlFrente);
    window.Form_Load();
    window.show();
    return app.exec();
}
