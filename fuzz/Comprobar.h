#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "runtime/RuntimeError.h"

namespace quelmar::fuzz {

// A property that failed: libFuzzer keeps the input as a crash.
[[noreturn]] inline void Fallo(const std::string& que) {
    std::fprintf(stderr, "propiedad incumplida: %s\n", que.c_str());
    std::abort();
}

// The text of a property is built only when it fails: checks inside loops stay cheap.
inline void Exigir(bool cumple, const char* que) {
    if (!cumple) Fallo(que);
}
template <typename F>
inline void Exigir(bool cumple, F&& que) {
    if (!cumple) Fallo(que());
}

// Runs f; answers the run-time error number it raised (0 for none). Every other exception
// escapes and ends the run as a crash.
template <typename F>
int Error(F&& f) {
    try {
        f();
    } catch (const RuntimeError& e) {
        if (e.Numero() <= 0 || std::string(e.what()).find("(error ") == std::string::npos)
            Fallo(std::string("error sin número ni texto: ") + e.what());
        return e.Numero();
    }
    return 0;
}

// One folder per process, removed at exit: in memory (/dev/shm) when there is one, where
// the fsyncs of every save cost nothing, else under the system's temporary folder.
inline const std::filesystem::path& CarpetaDelProceso() {
    static const std::filesystem::path carpeta = [] {
        std::error_code ec;
        const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ec)
                                               ? std::filesystem::path("/dev/shm")
                                               : std::filesystem::temp_directory_path();
        std::string plantilla = (base / "quelmar-fuzz-XXXXXX").string();
        if (!::mkdtemp(plantilla.data())) std::abort();
        std::filesystem::path p = plantilla;
        static struct Borrar {
            std::filesystem::path p;
            ~Borrar() {
                std::error_code ec;
                std::filesystem::remove_all(p, ec);
            }
        } borrar{p};
        return p;
    }();
    return carpeta;
}

}  // namespace quelmar::fuzz
