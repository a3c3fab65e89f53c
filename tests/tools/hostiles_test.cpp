// tarificador against hostile and odd inputs: each case is an input and a command, and
// what must come of it (exit status, words on the error stream, bytes of the output).
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "Programa.h"

namespace quelmar::pruebas {
namespace {

// A Master.csv record (cdr_csv, 18 fields).
std::string Ast(const std::string& src, const std::string& lastdata, const std::string& start,
                const std::string& answer, const std::string& end, int billsec) {
    return "\"cta\",\"" + src +
           "\",\"912345678\",\"salida\",\"x\",\"SIP/201-1\",\"SIP/op-2\","
           "\"Dial\",\"" +
           lastdata + "\",\"" + start + "\",\"" + answer + "\",\"" + end + "\",100," +
           std::to_string(billsec) + ",\"ANSWERED\",\"DOCUMENTATION\",\"1.1\",\"\"\n";
}
const std::string kBueno =
    Ast("201", "x", "1999-12-27 09:59:50", "1999-12-27 10:00:00", "1999-12-27 10:01:30", 90);

struct Caso {
    const char* que;
    std::string fichero;            // the log
    std::vector<std::string> args;  // after the order and --catalogo; the log goes last
    int estado;
    std::string errores;                 // a fragment of the error stream
    std::size_t filas = SIZE_MAX;        // rows of the output (header not counted)
    std::string salida{}, sinErrores{};  // a fragment of the output; one the errors lack
};

class Hostiles : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(ImportarMuestra(dir.ruta()).estado, 0); }
    std::string Fichero(const std::string& nombre, const std::string& contenido) {
        EscribirTodo(dir.ruta() / nombre, contenido);
        return (dir.ruta() / nombre).string();
    }
    CarpetaTemporal dir;
};

TEST_F(Hostiles, EachEdgeGivesItsStatusItsWordsAndCleanOutput) {
    const std::string destinos = Fichero("destinos.csv", "prefijo,tarifa\n9,Nacional\n");
    const std::string typo = Fichero("typo.csv", "9l,Metropolitana\n6,Movil\n");
    const std::string bono = Fichero("bono.csv", "9,10DIA\n");
    const std::string salida = (dir.ruta() / ".salida").string();
    const std::string utf16 = Fichero("utf16.csv", std::string("\xFF\xFEp\0r\0e\0f\0,\0", 12));
    const std::string bucle = (dir.ruta() / "bucle").string();
    std::filesystem::create_symlink(bucle, bucle);
    // An outgoing call whose billsec disagrees, and an internal one that does too.
    const std::string desacuerdos =
        Ast("201", "x", "1999-12-27 09:59:50", "1999-12-27 10:00:00", "1999-12-27 10:01:30", 80) +
        "\"\",\"201\",\"202\",\"interno\",\"x\",\"SIP/201-3\",\"SIP/202-4\",\"Dial\",\"x\","
        "\"1999-12-27 11:00:00\",\"1999-12-27 11:00:05\",\"1999-12-27 11:05:05\",305,200,"
        "\"ANSWERED\",\"DOCUMENTATION\"\n";
    std::string roto = kBueno;
    roto.replace(roto.find("ANSWERED"), 8, "RESPONDIDA");
    const std::string llamada = "1999-12-27T10:00:00,1999-12-27T10:01:00";
    const std::vector<Caso> casos = {
        {"importe desmesurado",
         "inicio,fin,cobrado\n" + llamada + ",1e64\n" + llamada + ",5\n",
         {"costear"},
         1,
         ":2: cobrado «1e64» no es el importe de una llamada",
         1,
         ",5,"},
        {"importe al límite del double",
         "inicio,fin,cobrado\n" + llamada + ",1.79e308\n",
         {"costear"},
         1,
         "no es el importe de una llamada",
         0},
        {"billsec más allá del 9999",
         Ast("201", "x", "9999-12-31 23:59:00", "9999-12-31 23:59:00", "9999-12-31 23:59:30",
             90000) +
             kBueno,
         {"costear", "--formato", "asterisk", "--destinos", destinos},
         1,
         ":1: el registro no se puede costear",
         1},
        {"lo mismo en comparar",
         Ast("201", "x", "9999-12-31 23:59:00", "9999-12-31 23:59:00", "9999-12-31 23:59:30",
             90000) +
             kBueno,
         {"comparar", "--formato", "asterisk", "--destinos", destinos},
         1,
         "1 llamada,"},
        {"hoja de cálculo española",
         "inicio;fin;tarifa;cobrado\n28/12/1999 10:00;28/12/1999 10:05;Nacional;15,5\n",
         {"costear"},
         0,
         "«15,5» es 15.5",
         1,
         "1999-12-28T10:00:00,1999-12-28T10:05:00,Nacional"},
        {"totales sobre la salida estándar",
         "inicio,fin,origen\n" + llamada + ",201\n",
         {"costear", "--por", "origen", "--salida-totales", salida},
         2,
         "es el mismo fichero"},
        {"totales en /dev/stdout",
         "inicio,fin,origen\n" + llamada + ",201\n",
         {"costear", "--por", "origen", "--salida-totales", "/dev/stdout"},
         2,
         "es el mismo fichero"},
        {"grupo de timbre largo",
         Ast("201", std::string(3000, 'S'), "1999-12-27 09:59:50", "1999-12-27 10:00:00",
             "1999-12-27 10:01:30", 90),
         {"costear", "--formato", "asterisk", "--destinos", destinos},
         0,
         "1 llamada",
         1},
        {"registro de 70 KB",
         Ast("201", std::string(70000, 'S'), "1999-12-27 09:59:50", "1999-12-27 10:00:00",
             "1999-12-27 10:01:30", 90) +
             kBueno,
         {"costear", "--formato", "asterisk", "--destinos", destinos},
         1,
         ":1: la línea mide más de 65536 bytes",
         1},
        {"primera fila de prefijos con errata",
         llamada + ",,912345678\n",
         {"costear", "--destinos", typo},
         2,
         "typo.csv:1: el prefijo «9l» no es un número"},
        {"origen con secuencias de terminal",
         "inicio,fin,origen\n" + llamada + ",\x1b]0;x\x07\n",
         {"costear", "--por", "origen"},
         0,
         "\\x1B]0;x\\x07",
         1,
         "",
         "\x1b"},
        {"columna desconocida",
         "inicio,fin,cobrad\n" + llamada + ",5\n",
         {"costear"},
         2,
         ":1: la cabecera nombra la columna «cobrad», que no se conoce"},
        {"columna repetida",
         "inicio,fin,origen,origen\n" + llamada + ",1,2\n",
         {"costear"},
         2,
         "nombra dos veces la columna «origen»"},
        {"número sin --destinos",
         llamada + ",,912345678\n",
         {"costear"},
         0,
         "sin --destinos no eligen la tarifa",
         1},
        {"--por origen sin columna",
         llamada + "\n",
         {"costear", "--por", "origen"},
         0,
         "ninguna llamada dice su origen",
         1},
        {"campo entre comillas con salto de línea",
         Ast("201", "uno\ndos", "1999-12-27 09:59:50", "1999-12-27 10:00:00", "1999-12-27 10:01:30",
             90) +
             "basura\n",
         {"costear", "--formato", "asterisk", "--destinos", destinos},
         1,
         ":3: se esperaban",
         1},
        {"tarifa de bono",
         llamada + "\n",
         {"costear", "--tarifa", "10DIA"},
         2,
         "«10DIA» es la de un tipo de bono"},
        {"prefijo a tarifa de bono",
         llamada + ",,912345678\n",
         {"costear", "--destinos", bono},
         2,
         "bono.csv:1: la tarifa «10DIA» del prefijo 9 es la de un tipo de bono"},
        {"mes inexistente",
         llamada + "\n",
         {"costear", "--mes", "2000-13"},
         2,
         "--mes «2000-13» no es un mes AAAA-MM"},
        {"periodo al revés",
         llamada + "\n",
         {"costear", "--desde", "2000-02-01", "--hasta", "2000-01-31"},
         2,
         "--hasta es anterior a --desde"},
        {"mes de otras llamadas",
         llamada + "\n",
         {"costear", "--mes", "2000-01"},
         0,
         "0 llamadas, importe total 0,00",
         0},
        {"start ilegible",
         Ast("201", "x", "ayer", "1999-12-27 10:00:00", "1999-12-27 10:01:30", 90),
         {"costear", "--formato", "asterisk", "--destinos", destinos},
         1,
         ":1: start «ayer» ilegible (se espera AAAA-MM-DD HH:MM:SS)",
         0},
        {"según billsec, solo las costeadas",
         desacuerdos,
         {"costear", "--destinos", destinos, "--troncal", "SIP/op"},
         0,
         "tarificador: 1 llamada costeada según billsec",
         1},
        {"columna cobrado vacía",
         "inicio,fin,cobrado\n" + llamada + ",\n",
         {"costear"},
         0,
         "factura: ninguna llamada trae importe cobrado",
         1},
        {"Master.csv que empieza con un registro roto",
         "\"cta\",\"201\"\n" + kBueno,
         {"costear", "--destinos", destinos},
         1,
         "formato reconocido: «asterisk»",
         1},
        {"registro de centralita que no se reconoce",
         roto,
         {"costear"},
         2,
         "diga cuál con --formato (asterisk, asterisk-custom, freeswitch o cabecera)"},
        {"tabla de prefijos en UTF-16",
         kBueno,
         {"costear", "--destinos", utf16},
         2,
         "«" + utf16 + "» está en UTF-16"},
        {"salida en un bucle de enlaces",
         llamada + "\n",
         {"costear", "--salida-bonos", bucle},
         2,
         "no se puede escribir «" + bucle + "»: demasiados enlaces simbólicos\n"},
        {"disco lleno, dicho una vez",
         "inicio,fin,origen\n" + llamada + ",201\n",
         {"informe", "--salida", "/dev/full"},
         2,
         "no se puede escribir «/dev/full»: disco lleno\n"},
        {"JSON Lines con totales: cada objeto dice qué es",
         "inicio,fin,origen\n" + llamada + ",201\n",
         {"costear", "--json", "--por", "origen"},
         0,
         "",
         SIZE_MAX,
         "{\"clase\":\"llamada\",\"inicio\":\"1999-12-27T10:00:00\"",
         ""},
        {"start tras answer",
         Ast("201", "x", "1999-12-27 10:00:01", "1999-12-27 10:00:00", "1999-12-27 10:01:30", 90),
         {"costear", "--formato", "asterisk", "--destinos", destinos},
         1,
         "es anterior a start",
         0},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.que);
        std::vector<std::string> args = c.args;
        args.insert(args.begin() + 1, {"--catalogo", dir.ruta().string()});
        args.push_back(Fichero("log.csv", c.fichero));
        const Resultado r = Ejecutar(dir.ruta(), args);
        EXPECT_EQ(r.estado, c.estado) << r.errores;
        EXPECT_NE(r.errores.find(c.errores), std::string::npos) << r.errores;
        if (!c.sinErrores.empty()) {
            EXPECT_EQ(r.errores.find(c.sinErrores), std::string::npos);
        }
        if (c.estado == 2) {
            EXPECT_EQ(r.salida, "");
        }
        if (c.filas != SIZE_MAX) {
            EXPECT_EQ(Lineas(r.salida).size(), c.filas + 1) << r.salida;
        }
        EXPECT_NE(r.salida.find(c.salida), std::string::npos) << r.salida;
        // Whatever came in, the output is text: no stray bytes of memory, no control bytes.
        EXPECT_TRUE(std::none_of(r.salida.begin(), r.salida.end(), [](char ch) {
            return static_cast<unsigned char>(ch) < 0x20 && ch != '\n';
        }));
    }
}

// The report's saving is comparar's difference, to the cent; its title says whence.
TEST_F(Hostiles, TheReportSavesWhatComparingSaysAndNamesItsSource) {
    std::string log;
    for (int i = 0; i < 40; ++i)
        log += "1999-12-" + std::to_string(10 + i % 15) + "T" + std::to_string(10 + i % 9) +
               ":00:00,1999-12-" + std::to_string(10 + i % 15) + "T" + std::to_string(10 + i % 9) +
               ":0" + std::to_string(1 + i % 7) + ":3" + std::to_string(i % 10) + ",Nacional\n";
    const std::string f = Fichero("log.csv", log);
    const Resultado c = Ejecutar(dir.ruta(), {"comparar", "--catalogo", dir.ruta().string(), f});
    ASSERT_EQ(c.estado, 0) << c.errores;
    const auto mejor = Celdas(Lineas(c.salida).at(1));
    ASSERT_EQ(mejor.at(2).front(), '-');
    // As Spain writes it: "3.337,39".
    std::string ahorro = mejor.at(2).substr(1);
    std::replace(ahorro.begin(), ahorro.end(), '.', ',');
    for (auto i = static_cast<int>(ahorro.find(',')) - 3; i > 0; i -= 3)
        ahorro.insert(static_cast<std::size_t>(i), ".");
    const std::string pagina = (dir.ruta() / "i.html").string();
    ::setenv("SOURCE_DATE_EPOCH", "90061", 1);
    ::setenv("TZ", "UTC", 1);
    const Resultado i =
        Ejecutar(dir.ruta(), {"informe", "--catalogo", dir.ruta().string(), "--salida", pagina, f});
    ::setenv("SOURCE_DATE_EPOCH", "0", 1);
    ASSERT_EQ(i.estado, 0) << i.errores;
    const std::string html = LeerTodo(pagina);
    EXPECT_NE(html.find(ahorro + " menos que"), std::string::npos) << ahorro;
    // Under its title, the page says what it was made from, which calls, and when.
    EXPECT_NE(html.find("Registro «log.csv», llamadas del 10/12/1999 10:00:00 al 24/12/1999 "
                        "15:01:34.<br>Hecho el 02/01/1970 01:01:01"),
              std::string::npos)
        << html.substr(html.find("<header>"), 300);
}

}  // namespace
}  // namespace quelmar::pruebas
