#include "tools/Programa.h"

int main(int argc, char** argv) {
    return quelmar::herramientas::Ejecutar(argc, argv);
}
