#include "qtcomun/Arranque.h"

#include <QApplication>
#include <QByteArray>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#ifndef QUELMAR_VERSION
#error "QUELMAR_VERSION is defined by the build"
#endif

namespace quelmar::qtcomun {

namespace {

// The options QApplication takes for itself (Qt also writes them with two dashes, and
// those with a value as -opción=valor), so that refusing unknown options never refuses
// one of these.
struct OpcionQt {
    std::string_view nombre;
    bool conValor;
};
constexpr OpcionQt kOpcionesQt[] = {
    {"platform", true},
    {"platformpluginpath", true},
    {"platformtheme", true},
    {"plugin", true},
    {"qwindowgeometry", true},
    {"geometry", true},
    {"qwindowtitle", true},
    {"title", true},
    {"qwindowicon", true},
    {"icon", true},
    {"session", true},
    {"style", true},
    {"stylesheet", true},
    {"display", true},
    {"name", true},
    {"visual", true},
    {"qmljsdebugger", true},
    {"reverse", false},
    {"testability", false},
    {"widgetcount", false},
    {"sync", false},
    {"nograb", false},
    {"dograb", false},
};

const OpcionQt* BuscarOpcionQt(std::string_view nombre) {
    for (const OpcionQt& o : kOpcionesQt)
        if (o.nombre == nombre) return &o;
    return nullptr;
}

int Ayuda(const Programa& p) {
    std::printf(
        "Uso: %s [OPCIÓN]\n"
        "%s\n"
        "Opciones:\n"
        "  -h, --help      muestra esta ayuda y termina\n"
        "  -V, --version   muestra la versión y termina\n"
        "Acepta también las opciones propias de Qt, como -style NOMBRE o -platform NOMBRE.\n"
        "\n"
        "Necesita una pantalla gráfica (X11 o Wayland). Sin ella, se ejecuta en una pantalla\n"
        "virtual:\n"
        "  xvfb-run -a %s\n"
        "\n"
        "Estado de salida:\n"
        "%s",
        p.nombre, p.descripcion, p.nombre, p.salida);
    return kSalidaBien;
}

int Rechazar(const Programa& p, const char* que, std::string_view argumento) {
    std::fprintf(stderr, "%s: %s «%.*s»; véase «%s --help»\n", p.nombre, que,
                 static_cast<int>(argumento.size()), argumento.data(), p.nombre);
    return kSalidaUso;
}

// What the program knows of the display it could not open, for the user to check.
std::string Causa() {
    auto valor = [](const char* variable) -> std::string {
        const char* v = std::getenv(variable);
        return v != nullptr ? v : "";
    };
    const std::string x11 = valor("DISPLAY");
    const std::string wayland = valor("WAYLAND_DISPLAY");
    const std::string plataforma = valor("QT_QPA_PLATFORM");
    std::string causa;
    if (x11.empty() && wayland.empty()) {
        causa = "ni DISPLAY ni WAYLAND_DISPLAY dicen cuál usar";
    } else {
        causa = "nada responde en";
        if (!x11.empty()) causa += " DISPLAY=" + x11;
        if (!x11.empty() && !wayland.empty()) causa += " ni en";
        if (!wayland.empty()) causa += " WAYLAND_DISPLAY=" + wayland;
    }
    if (!plataforma.empty()) causa += "; QT_QPA_PLATFORM=" + plataforma;
    return causa;
}

// A message Qt gave while the application was being made.
struct Retenido {
    QtMsgType tipo;
    QByteArray fichero;
    int linea;
    QByteArray funcion;
    QByteArray categoria;
    QString texto;
};

// Only while CrearAplicacion runs: a message handler has no other way to its caller.
const Programa* g_Programa = nullptr;
std::vector<Retenido>* g_Retenidos = nullptr;

// Qt's fatal message during start-up means no window can be opened; Qt would abort after
// this returns, so the process ends here, without running destructors of a half-made
// application. Other messages wait: Qt's English words about the display that failed are
// not shown when they are followed by the Spanish ones.
void AlArrancar(QtMsgType tipo, const QMessageLogContext& c, const QString& texto) {
    if (tipo == QtFatalMsg) {
        std::fprintf(stderr,
                     "%s: no hay pantalla gráfica donde abrir la ventana (%s).\n"
                     "Ejecútelo en una sesión gráfica, o en una pantalla virtual:\n"
                     "  xvfb-run -a %s\n",
                     g_Programa->nombre, Causa().c_str(), g_Programa->nombre);
        std::fflush(stderr);
        std::_Exit(kSalidaSinPantalla);
    }
    g_Retenidos->push_back(
        {tipo, QByteArray(c.file), c.line, QByteArray(c.function), QByteArray(c.category), texto});
}

const char* ONulo(const QByteArray& b) {
    return b.isNull() ? nullptr : b.constData();
}

}  // namespace

std::optional<int> AtenderOpciones(int argc, char** argv, const Programa& programa) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        std::optional<int> salida;
        if (a == "-h" || a == "--help") {
            salida = Ayuda(programa);
        } else if (a == "-V" || a == "--version") {
            std::printf("%s %s\n", programa.nombre, QUELMAR_VERSION);
            salida = kSalidaBien;
        } else if (a.size() < 2 || a.front() != '-') {
            return Rechazar(programa, "argumento de más", a);
        } else {
            std::string_view nombre = a.substr(a.starts_with("--") ? 2 : 1);
            const auto igual = nombre.find('=');
            const OpcionQt* qt = BuscarOpcionQt(nombre.substr(0, igual));
            if (qt == nullptr || (igual != std::string_view::npos && !qt->conValor))
                return Rechazar(programa, "opción desconocida", a);
            if (qt->conValor && igual == std::string_view::npos) ++i;  // its value
            continue;
        }
        if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
            std::fprintf(stderr, "%s: no se pudo escribir en la salida estándar\n",
                         programa.nombre);
            return kSalidaUso;
        }
        return salida;
    }
    return std::nullopt;
}

std::unique_ptr<QApplication> CrearAplicacion(int& argc, char** argv, const Programa& programa) {
    std::vector<Retenido> retenidos;
    g_Programa = &programa;
    g_Retenidos = &retenidos;
    const QtMessageHandler anterior = qInstallMessageHandler(AlArrancar);
    auto app = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(anterior);
    g_Retenidos = nullptr;
    g_Programa = nullptr;
    for (const Retenido& r : retenidos) {
        const QMessageLogContext c(ONulo(r.fichero), r.linea, ONulo(r.funcion), ONulo(r.categoria));
        qt_message_output(r.tipo, c, r.texto);
    }
    return app;
}

}  // namespace quelmar::qtcomun
