#!/usr/bin/env python3
"""Walks the accessibility tree of a running window over AT-SPI, as a screen reader sees it,
and checks the Spanish names and roles of its controls.

    accesibilidad.py quelmar|orbelle|quelmar-costes [--volcar]

Exit 0 when every check holds, 1 with what failed on standard error, 77 when AT-SPI cannot
be used from Python."""
import sys
import time

try:
    import gi

    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi
except (ImportError, ValueError) as e:
    print(f"accesibilidad.py: AT-SPI desde Python no disponible ({e}): omitido", file=sys.stderr)
    sys.exit(77)

# Roles a person acts on: each must carry a name a screen reader can say.
INTERACTIVOS = {"push button", "entry", "text", "spin button", "combo box", "scroll bar",
                "page tab", "page tab list", "table", "calendar"}

DIAS = ["Semana", "Sábado", "Festivo"]
CAMPOS = ["Importe", "Inicio", "Fin"]


def campos_de_dia(banda):
    return {f"{c}, {d}, {banda}" for d in DIAS for c in CAMPOS}


# What must be in each window: (role, name).
ESPERADO = {
    "quelmar": {
        # The name list's text is read as "Nombre" inside the frame of that name (the list
        # itself is read by the entry it shows, as Qt does on Linux).
        ("panel", "Nombre"), ("text", "Nombre"),
        ("panel", "Registro"), ("label", "Registro"), ("scroll bar", "Registro"),
        ("panel", "Conexion"),
        ("text", "Importe, conexión"), ("spin button", "Tiempo, conexión"),
        ("filler", "Semana"), ("filler", "Sábado"), ("filler", "Festivo"),
        # A tab list is read by its selected tab.
        ("page tab list", "Semana"),
        ("page tab", "Semana"), ("page tab", "Sabado"), ("page tab", "Festivo"),
        ("page tab list", "Normal"),
        ("page tab", "Normal"), ("page tab", "Reducida"),
        ("push button", "Aceptar"), ("push button", "Cancelar"), ("push button", "Nuevo"),
        ("push button", "Borrar"), ("push button", "Copiar"), ("push button", "Restaurar"),
        ("push button", "Salvar"),
        ("label", "Importe:"), ("label", "Tiempo:"), ("label", "Inicio:"), ("label", "Fin:"),
    },
    "orbelle": {
        ("table", "Calendario"), ("table", "Días del mes"),
        ("push button", "Mes anterior"), ("push button", "Mes siguiente"),
        ("push button", "Mes"), ("push button", "Año"), ("spin button", "Año"),
        ("label", "Fecha y hora"),
    },
    # Started on the sample log: the summary's figures, the pages, the period.
    "quelmar-costes": {
        ("text", "Llamadas"), ("text", "Importe total"), ("text", "Tiempo total"),
        ("text", "Bono de día"), ("text", "Bono de noche"), ("text", "Registros apartados"),
        ("page tab", "Resumen"), ("page tab", "Llamadas"), ("page tab", "Totales"),
        ("page tab", "¿Qué tarifa conviene?"), ("page tab", "Avisos (0)"), ("page tab", "Bonos"),
        ("menu item", "Archivo"), ("menu item", "Costeo"), ("table", "Llamadas"),
        ("text", "Filtrar"), ("table", "Por extensión"), ("table", "Por cuenta"),
        ("table", "Registro de bonos"), ("spin button", "Día de facturación"),
        ("push button", "Añadir"), ("push button", "Guardar registro"),
    },
}
# The costs window's title starts with the file it shows.
TITULO = {"quelmar": "Editor de tarifas", "orbelle": "Orbelle",
          "quelmar-costes": "Costes de llamadas"}
# The summary's figures as tarificador costear's summary writes them for the sample log.
CIFRAS = {"Llamadas": "8", "Importe total": "2.195,00", "Tiempo total": "06:30:30"}


# Up to a minute: a program built with the sanitizers, on a loaded machine, starts slowly.
def aplicacion(nombre, espera=60.0):
    fin = time.monotonic() + espera
    while time.monotonic() < fin:
        escritorio = Atspi.get_desktop(0)
        for i in range(escritorio.get_child_count()):
            app = escritorio.get_child_at_index(i)
            if app is None:
                continue
            for j in range(app.get_child_count()):
                ventana = app.get_child_at_index(j)
                if ventana is not None and (ventana.get_name() or "").endswith(TITULO[nombre]):
                    return app
        time.sleep(0.2)
    return None


def recorrer(nodo, nivel=0, salida=None):
    if salida is None:
        salida = []
    if nodo is None:
        return salida
    salida.append((nivel, nodo.get_role_name(), nodo.get_name() or "", nodo))
    for i in range(nodo.get_child_count()):
        recorrer(nodo.get_child_at_index(i), nivel + 1, salida)
    return salida


def nombres_de_rol(arbol, rol):
    return {n for _, r, n, _ in arbol if r == rol}


def comprobar(programa, arbol, fallos):
    vistos = {(r, n) for _, r, n, _ in arbol}
    ventanas = [n for nivel, _, n, _ in arbol if nivel == 1]
    if not any(v.endswith(TITULO[programa]) for v in ventanas):
        fallos.append(f"la ventana no se llama «{TITULO[programa]}»: {ventanas}")
    for par in sorted(ESPERADO[programa] - vistos):
        fallos.append(f"falta {par[0]} «{par[1]}»")
    for _, rol, nombre, _ in arbol:
        if rol in INTERACTIVOS and not nombre.strip():
            fallos.append(f"un {rol} sin nombre")
        if "&" in nombre:
            fallos.append(f"{rol} «{nombre}» lleva la marca del atajo")


def pulsar_pestana(arbol, titulo):
    for _, rol, nombre, nodo in arbol:
        if rol == "page tab" and nombre == titulo:
            # Its first action is the press, as a screen reader's "activate" does.
            if Atspi.Action.get_n_actions(nodo) > 0:
                return Atspi.Action.do_action(nodo, 0)
    return False


def main():
    programa = sys.argv[1]
    volcar = "--volcar" in sys.argv
    app = aplicacion(programa)
    if app is None:
        print(f"accesibilidad.py: {programa} no aparece en el bus de accesibilidad", file=sys.stderr)
        return 1
    if programa == "quelmar-costes":
        time.sleep(1.0)  # the summary and pages are filled when the run ends
    arbol = recorrer(app)
    if volcar:
        for nivel, rol, nombre, _ in arbol:
            print("  " * nivel + f"{rol}: {nombre}")
    fallos = []
    comprobar(programa, arbol, fallos)
    if programa == "quelmar":
        # The day fields are read with the band shown; choosing the other band renames them.
        entradas = nombres_de_rol(arbol, "text") | nombres_de_rol(arbol, "entry") | \
            nombres_de_rol(arbol, "spin button")
        for falta in sorted(campos_de_dia("normal") - entradas):
            fallos.append(f"falta el campo «{falta}»")
        for falta in sorted({"Importe, conexión", "Tiempo, conexión"} - entradas):
            fallos.append(f"falta el campo «{falta}»")
        if not pulsar_pestana(arbol, "Reducida"):
            fallos.append("la pestaña «Reducida» no se puede pulsar")
        else:
            time.sleep(0.5)
            arbol = recorrer(app)
            entradas = nombres_de_rol(arbol, "text") | nombres_de_rol(arbol, "entry") | \
                nombres_de_rol(arbol, "spin button")
            for falta in sorted(campos_de_dia("reducida") - entradas):
                fallos.append(f"tras pulsar «Reducida», falta el campo «{falta}»")
    if programa == "quelmar-costes":
        # The run is on a thread: the figures come when it ends.
        fin = time.monotonic() + 20
        leidas = {}
        while True:
            try:
                leidas = {n: Atspi.Text.get_text(nodo, 0, -1) for _, rol, n, nodo in recorrer(app)
                          if rol == "text" and n in CIFRAS}
            except gi.repository.GLib.GError:
                pass  # the tree changed under the walk as the results came: again

            if leidas == CIFRAS or time.monotonic() > fin:
                break
            time.sleep(0.3)
        for nombre, cifra in CIFRAS.items():
            if leidas.get(nombre) != cifra:
                fallos.append(f"«{nombre}» se lee «{leidas.get(nombre)}», no «{cifra}»")
    for f in fallos:
        print(f"accesibilidad.py: {programa}: {f}", file=sys.stderr)
    if not fallos:
        print(f"{programa}: {len(arbol)} objetos accesibles, nombres y papeles en español")
    return 1 if fallos else 0


if __name__ == "__main__":
    sys.exit(main())
