#!/usr/bin/env bash
# The suite as the README leads a new user to it: installed with the README's prefix, ~/.local
# (of a temporary home), then every example the README marks with «<!-- ejemplos -->» (the
# indented block after the mark) typed as shown, and tarificador waiting on a terminal.
#   tests/install/usuario.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
fuentes=$(cd "$2" && pwd)
cmake=${CMAKE:-cmake}
tmp=$(mktemp -d)
tmux_socket=quelmar-usuario-$$
trap 'tmux -L "$tmux_socket" kill-server 2>/dev/null || true; rm -rf "$tmp"' EXIT
fallo() { echo "FALLO: $*" >&2; exit 1; }

casa=$tmp/casa
mkdir -p "$casa"
como_usuario() {
    env -u XDG_DATA_HOME -u XDG_CONFIG_HOME LC_ALL=C.UTF-8 HOME="$casa" \
        PATH="$casa/.local/bin:$PATH" "$@"
}
como_usuario "$cmake" --install "$build" --prefix "$casa/.local" >/dev/null

# The marked blocks, in order, without their indent.
ejemplos=$(awk '/<!-- ejemplos -->/ {dentro = 1; next}
                dentro && /^    / {print substr($0, 5); next}
                dentro && /^[[:space:]]*$/ {next}
                {dentro = 0}' "$fuentes/README.md")
[[ $(grep -c '^tarificador ' <<<"$ejemplos") -ge 5 ]] || fallo "el README marca pocos ejemplos: $ejemplos"
(cd "$casa" && como_usuario bash -e -x -c "$ejemplos") >"$tmp/ejemplos.out" 2>&1 ||
    fallo "un ejemplo del README falla: $(tail -5 "$tmp/ejemplos.out")"
# Each total the examples print is one the README gives.
totales=$(grep -o 'importe total [0-9.,]*[0-9]' "$tmp/ejemplos.out" | sort -u)
[[ -n $totales ]] || fallo "los ejemplos del README no dieron ningún total"
while read -r total; do
    grep -qF "$total" "$fuentes/README.md" || fallo "el README no dice «$total», que dan sus ejemplos"
done <<<"$totales"
grep -q '<svg' "$casa/informe.html" || fallo "el ejemplo de informe no escribió ~/informe.html"

# On a terminal, costear without a file says what it waits for; a row comes once the call is
# typed and Ctrl+D pressed. Through a pipe it says nothing of the kind.
aviso='leyendo llamadas de la entrada estándar; termine con Ctrl+D'
echo 2000-01-17T09:00:00,2000-01-17T09:20:00,Metropolitana |
    como_usuario tarificador costear >/dev/null 2>"$tmp/tuberia.err"
! grep -qF "$aviso" "$tmp/tuberia.err" || fallo "por una tubería también dice «$aviso»"
if ! command -v tmux >/dev/null; then
    echo "tmux no está (paquete tmux): no se comprueba tarificador en un terminal" >&2
    exit 0
fi
pantalla() { tmux -L "$tmux_socket" capture-pane -p -t prueba; }
esperar() {
    for _ in $(seq 100); do
        pantalla | grep -qF -- "$1" && return 0
        sleep 0.1
    done
    fallo "en el terminal no aparece «$1»: $(pantalla)"
}
como_usuario tmux -u -L "$tmux_socket" -f /dev/null new-session -d -s prueba -x 150 -y 20 \
    "tarificador costear; echo estado=\$?; sleep 60"
esperar "tarificador: $aviso"
tmux -L "$tmux_socket" send-keys -t prueba 2000-01-17T09:00:00,2000-01-17T09:20:00,Metropolitana Enter C-d
esperar estado=0
pantalla | grep -q '^2000-01-17T09:00:00,2000-01-17T09:20:00,Metropolitana,81.2,' ||
    fallo "tras Ctrl+D no se costeó la llamada: $(pantalla)"
echo "el README y el terminal comprobados: $(grep -c . <<<"$ejemplos") órdenes"
