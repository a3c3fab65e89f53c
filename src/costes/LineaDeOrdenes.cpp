#include "costes/LineaDeOrdenes.h"

#include <string_view>

#include "llamadas/Instantes.h"
#include "llamadas/formatos/Lector.h"

namespace quelmar::costes {

namespace {

constexpr const char* kAyuda =
    "Uso: quelmar-costes [OPCIONES] [FICHERO]\n"
    "Abre una ventana con lo que costaron las llamadas de FICHERO (un registro de llamadas\n"
    "o el Master.csv de una centralita): el resumen, cada llamada, los totales por\n"
    "extensión y por cuenta, qué tarifa conviene, los avisos y los bonos.\n"
    "\n"
    "Opciones de costeo (las de «tarificador costear»; con alguna, el fichero se cuesta solo\n"
    "con las dadas, como lo costearía tarificador; sin ninguna, con las del menú Costeo):\n"
    "  --catalogo CARPETA   la carpeta de Tarifas.Dat (por defecto, la del usuario)\n"
    "  --tarifa NOMBRE      la tarifa de las llamadas que no nombran ninguna\n"
    "  --festivos FICHERO   los días festivos, uno por línea (AAAA-MM-DD)\n"
    "  --bonos FICHERO      el registro de bonos (JSON)\n"
    "  --destinos FICHERO   la tabla prefijo,tarifa de los números marcados\n"
    "  --troncal NOMBRE     solo las llamadas que salen por esa troncal (repetible)\n"
    "  --contexto NOMBRE    solo las llamadas de ese contexto (repetible)\n"
    "  --utc                los instantes del fichero están en UTC\n"
    "  --formato NOMBRE     %FORMATOS% (por defecto, se reconoce)\n"
    "  --por origen|cuenta  se acepta como en costear; la ventana muestra los dos totales\n"
    "Periodo:\n"
    "  --mes AAAA-MM        ese mes (por defecto, el último mes entero del fichero)\n"
    "  --desde AAAA-MM-DD, --hasta AAAA-MM-DD   entre esos días, ambos incluidos\n"
    "Otras:\n"
    "  -h, --help           muestra esta ayuda y termina\n"
    "  -V, --version        muestra la versión y termina\n"
    "Acepta también las opciones propias de Qt, como -style NOMBRE o -platform NOMBRE.\n"
    "\n"
    "Necesita una pantalla gráfica (X11 o Wayland). Sin ella, se ejecuta en una pantalla\n"
    "virtual:\n"
    "  xvfb-run -a quelmar-costes\n"
    "\n"
    "Estado de salida:\n"
    "  0  al cerrar la ventana\n"
    "  1  sin pantalla gráfica\n"
    "  2  una opción o un argumento que no vale\n";

constexpr std::string_view kConValor[] = {"--catalogo", "--tarifa",  "--festivos", "--bonos",
                                          "--destinos", "--troncal", "--contexto", "--formato",
                                          "--por",      "--mes",     "--desde",    "--hasta"};

// Qt's options that take a value in the next argument.
constexpr std::string_view kQtConValor[] = {"platform",
                                            "platformpluginpath",
                                            "platformtheme",
                                            "plugin",
                                            "qwindowgeometry",
                                            "geometry",
                                            "qwindowtitle",
                                            "title",
                                            "qwindowicon",
                                            "icon",
                                            "session",
                                            "style",
                                            "stylesheet",
                                            "display",
                                            "name",
                                            "visual",
                                            "qmljsdebugger"};

bool QtConValor(std::string_view arg) {
    arg.remove_prefix(arg.starts_with("--") ? 2 : 1);
    for (std::string_view o : kQtConValor)
        if (arg == o) return true;
    return false;
}

Arranque Fallo(std::string texto) {
    Arranque a;
    a.salida = 2;
    a.texto = "quelmar-costes: " + texto + "; véase «quelmar-costes --help»\n";
    return a;
}

}  // namespace

Arranque LeerLineaDeOrdenes(const std::vector<std::string>& args, const char* version) {
    Arranque a;
    if (!args.empty()) a.paraQt.push_back(args.front());
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            Arranque r;
            r.salida = 0;
            r.texto = kAyuda;
            r.texto.replace(r.texto.find("%FORMATOS%"), 10,
                            llamadas::NombresDeFormatos(", ", false));
            return r;
        }
        if (arg == "-V" || arg == "--version") {
            Arranque r;
            r.salida = 0;
            r.texto = std::string("quelmar-costes ") + version + "\n";
            return r;
        }
        std::string nombre = arg, valor;
        bool conValor = false;
        if (const auto igual = arg.find('='); arg.starts_with("--") && igual != std::string::npos) {
            nombre = arg.substr(0, igual);
            valor = arg.substr(igual + 1);
            conValor = true;
        }
        bool nuestra = false;
        for (std::string_view o : kConValor) nuestra = nuestra || nombre == o;
        if (nuestra) {
            if (!conValor) {
                if (i + 1 >= args.size()) return Fallo(nombre + " necesita un valor");
                valor = args[++i];
            }
            a.dadas.push_back(nombre.substr(2));
            OpcionesCostes& o = a.opciones;
            if (nombre == "--catalogo")
                o.catalogo = valor;
            else if (nombre == "--tarifa")
                o.tarifa = valor;
            else if (nombre == "--festivos")
                o.festivos = valor;
            else if (nombre == "--bonos")
                o.bonos = valor;
            else if (nombre == "--destinos")
                o.destinos = valor;
            else if (nombre == "--troncal")
                o.troncales.push_back(valor);
            else if (nombre == "--contexto")
                o.contextos.push_back(valor);
            else if (nombre == "--formato") {
                if (!llamadas::BuscarFormato(valor))
                    return Fallo("--formato «" + valor + "» no es ninguno de " +
                                 llamadas::NombresDeFormatos());
                o.formato = valor;
            } else if (nombre == "--por") {
                if (valor != "origen" && valor != "cuenta")
                    return Fallo("--por «" + valor + "» no es origen ni cuenta");
            } else if (nombre == "--mes") {
                const auto dia = llamadas::LeerDia(valor + "-01");
                if (valor.size() != 7 || !dia) return Fallo("--mes «" + valor + "» no es AAAA-MM");
                Periodo p;
                p.clase = Periodo::Clase::Mes;
                p.anio = std::stoi(valor.substr(0, 4));
                p.mes = static_cast<unsigned>(std::stoi(valor.substr(5, 2)));
                a.periodo = p;
            } else {
                const auto dia = llamadas::LeerDia(valor);
                if (!dia) return Fallo(nombre + " «" + valor + "» no es AAAA-MM-DD");
                if (!a.periodo || a.periodo->clase != Periodo::Clase::Entre) {
                    a.periodo = Periodo{};
                    a.periodo->clase = Periodo::Clase::Entre;
                }
                (nombre == "--desde" ? a.periodo->desde : a.periodo->hasta) = *dia;
            }
        } else if (arg == "--utc") {
            a.opciones.utc = true;
            a.dadas.push_back("utc");
        } else if (arg.size() > 1 && arg.front() == '-') {
            a.paraQt.push_back(arg);  // Qt's own, or refused by the start-up check
            if (QtConValor(arg) && i + 1 < args.size()) a.paraQt.push_back(args[++i]);
        } else if (a.fichero.empty()) {
            a.fichero = arg;
        } else {
            return Fallo("argumento de más «" + arg + "»");
        }
    }
    return a;
}

}  // namespace quelmar::costes
