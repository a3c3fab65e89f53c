#pragma once

namespace quelmar::herramientas {

// The command line of tarificador: picks the subcommand, reads its options, runs it and
// turns every failure into a message and an exit status (0 ok, 1 some bad lines, 2 an
// unusable option or file).
int Ejecutar(int argc, char** argv);

}  // namespace quelmar::herramientas
