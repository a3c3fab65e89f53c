#include <QApplication>
#include <QDateTime>

#include "calendar/InstanciaUnica.h"
#include "calendar/fMain.h"
#include "qtcomun/Idioma.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QLocale locale = quelmar::qtcomun::PonerEnEspanol(app);

    // A second copy ends at once, quietly, before it has a window.
    const quelmar::calendario::InstanciaUnica instance(
        quelmar::calendario::InstanciaUnica::CarpetaPorDefecto());
    if (!instance.EsPrimera()) {
        return 0;
    }

    quelmar::calendario::fMain window([] { return QDateTime::currentDateTime(); }, locale);
    window.Form_Load();
    window.show();
    return app.exec();
}
