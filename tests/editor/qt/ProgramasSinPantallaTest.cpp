// Starts the real quelmar and orbelle where a user without a display would: over ssh, in a
// service, with a DISPLAY left over from a session that is gone.
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <iostream>

namespace {

// Ceiling for things that take well under a second; it only guards against a window that
// opened and waits.
constexpr int kCeilingMs = 30000;

enum class Pantalla {
    Ninguna,    // neither DISPLAY nor WAYLAND_DISPLAY
    Muda,       // DISPLAY=:99, where no X server answers
    Offscreen,  // QT_QPA_PLATFORM=offscreen, as the tests and scripts run the windows
};

struct Caso {
    const char* nombre;
    QStringList argumentos;
    Pantalla pantalla;
    int estado;
    // %1 is the program's name. The whole text unless `empieza` is set, then its start.
    QString salida;
    QString errores;
    bool empieza = false;
};

QString ConNombre(const QString& texto, const QString& nombre) {
    return texto.isEmpty() ? texto : texto.arg(nombre);
}

TEST(ProgramasSinPantalla, AnswerOptionsAndSayInSpanishThatThereIsNoDisplay) {
    const QString ayuda = QStringLiteral("Uso: %1 [OPCIÓN]\n");
    const QString version = QStringLiteral("%1 " QUELMAR_VERSION "\n");
    const QString sinPantalla = QStringLiteral(
        "%1: no hay pantalla gráfica donde abrir la ventana (%2).\n"
        "Ejecútelo en una sesión gráfica, o en una pantalla virtual:\n"
        "  xvfb-run -a %1\n");
    const Caso casos[] = {
        {"--help", {"--help"}, Pantalla::Ninguna, 0, ayuda, {}, true},
        {"-h", {"-h"}, Pantalla::Ninguna, 0, ayuda, {}, true},
        {"--help, offscreen: no window", {"--help"}, Pantalla::Offscreen, 0, ayuda, {}, true},
        {"--version", {"--version"}, Pantalla::Ninguna, 0, version, {}},
        {"-V after Qt's own option", {"-style", "fusion", "-V"}, Pantalla::Ninguna, 0, version, {}},
        {"--version, display gone", {"--version"}, Pantalla::Muda, 0, version, {}},
        {"unknown option",
         {"--pantalla"},
         Pantalla::Ninguna,
         2,
         {},
         QStringLiteral("%1: opción desconocida «--pantalla»; véase «%1 --help»\n")},
        {"unknown option before --help",
         {"--pantalla", "--help"},
         Pantalla::Ninguna,
         2,
         {},
         QStringLiteral("%1: opción desconocida «--pantalla»; véase «%1 --help»\n")},
        {"an argument",
         {"Tarifas.Dat"},
         Pantalla::Ninguna,
         2,
         {},
         QStringLiteral("%1: argumento de más «Tarifas.Dat»; véase «%1 --help»\n")},
        {"no display",
         {},
         Pantalla::Ninguna,
         1,
         {},
         sinPantalla.arg(QStringLiteral("%1"),
                         QStringLiteral("ni DISPLAY ni WAYLAND_DISPLAY dicen cuál usar"))},
        {"DISPLAY where nothing answers",
         {},
         Pantalla::Muda,
         1,
         {},
         sinPantalla.arg(QStringLiteral("%1"), QStringLiteral("nada responde en DISPLAY=:99"))},
    };
    struct Programa {
        QString nombre;
        QString binario;
    };
    const Programa programas[] = {{"quelmar", QUELMAR_BINARY}, {"orbelle", ORBELLE_BINARY}};

    // An X server on :99 (xvfb-run -a starts there) would answer.
    const bool noventaYNueve = QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X99"));
    QTemporaryDir runtime;  // orbelle's single-instance lock, away from a copy the user runs
    ASSERT_TRUE(runtime.isValid());

    for (const Programa& p : programas) {
        for (const Caso& c : casos) {
            SCOPED_TRACE(p.nombre.toStdString() + ": " + c.nombre);
            if (c.pantalla == Pantalla::Muda && noventaYNueve) {
                std::cerr << "an X server is on :99: case not run\n";
                continue;
            }
            QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
            for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
                entorno.remove(QString::fromLatin1(v));
            entorno.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
            if (c.pantalla == Pantalla::Muda)
                entorno.insert(QStringLiteral("DISPLAY"), QStringLiteral(":99"));
            if (c.pantalla == Pantalla::Offscreen)
                entorno.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

            QProcess proceso;
            proceso.setProcessEnvironment(entorno);
            proceso.start(p.binario, c.argumentos);
            ASSERT_TRUE(proceso.waitForStarted(kCeilingMs));
            if (!proceso.waitForFinished(kCeilingMs)) {
                proceso.kill();
                proceso.waitForFinished(kCeilingMs);
                ADD_FAILURE() << "still running: a window opened";
                continue;
            }
            const QString salida = QString::fromUtf8(proceso.readAllStandardOutput());
            const QString errores = QString::fromUtf8(proceso.readAllStandardError());
            EXPECT_EQ(proceso.exitStatus(), QProcess::NormalExit) << "ended by a signal (abort)";
            EXPECT_EQ(proceso.exitCode(), c.estado) << errores.toStdString();
            const QString esperada = ConNombre(c.salida, p.nombre);
            if (c.empieza) {
                EXPECT_TRUE(salida.startsWith(esperada)) << salida.toStdString();
                // The help says how to run without a display.
                EXPECT_TRUE(salida.contains(QStringLiteral("xvfb-run -a ") + p.nombre))
                    << salida.toStdString();
            } else {
                EXPECT_EQ(salida.toStdString(), esperada.toStdString());
            }
            EXPECT_EQ(errores.toStdString(), ConNombre(c.errores, p.nombre).toStdString());
        }
    }
}

}  // namespace
