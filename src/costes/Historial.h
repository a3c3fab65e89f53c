#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quelmar::costes {

// The files opened last, newest first: `fichero` put in front, an earlier place of it
// dropped, the list cut to `maximo`.
std::vector<std::string> AnadirReciente(std::vector<std::string> lista, const std::string& fichero,
                                        std::size_t maximo = 8);

}  // namespace quelmar::costes
