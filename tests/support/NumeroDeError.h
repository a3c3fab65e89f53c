#pragma once

#include "runtime/RuntimeError.h"

namespace quelmar {

// The run-time error number that f raises, or 0 when it raises none.
template <typename F>
int NumeroDeError(F&& f) {
    try {
        f();
    } catch (const RuntimeError& e) {
        return e.Numero();
    }
    return 0;
}

}  // namespace quelmar
