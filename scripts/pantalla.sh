# Sourced by the scripts that drive a real window: pantalla_privada SIZE FROM TO starts a
# private Xvfb display of SIZE (1024x768) on the first free number from FROM to TO, and
# openbox on it, and exports DISPLAY. Its processes go into the caller's `pids`, for the
# caller to stop. Answers 1 when no display is free.
pantalla_privada() {
    local n
    display=
    for n in $(seq "$2" "$3"); do
        [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
        display=:$n
        break
    done
    [[ -n $display ]] || return 1
    Xvfb "$display" -screen 0 "$1x24" -nolisten tcp >/dev/null 2>&1 &
    pids+=($!)
    export DISPLAY=$display
    for _ in $(seq 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
    openbox --sm-disable >/dev/null 2>&1 &
    pids+=($!)
    # A window mapped while openbox is still taking the screen can stay unmanaged: wait for it.
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.1
    done
}
