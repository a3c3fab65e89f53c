// tarificador exportar / importar: the catalogue to a CSV and back, exact to the byte.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

#include "Programa.h"
#include "catalogue/tTarifa.h"

namespace quelmar::pruebas {
namespace {

const tTarifa::Campo& C(std::string_view clave) {
    return *tTarifa::Buscar(clave);
}

std::string Bytes(const std::vector<tTarifa>& registros) {
    const auto b = tTarifa::BytesDe(registros);
    return std::string(b.begin(), b.end());
}

double Bits(std::uint64_t b) {
    return std::bit_cast<double>(b);
}

// One value of every kind a cell has a form for, in file order of the 21 fields.
tTarifa RegistroDeFormas() {
    tTarifa t;
    t.Texto(C("Nombre"),
            "Se\xF1"
            "al");  // byte above 127
    // Conexion.Importe never assigned: 7 NULs.
    t.Fecha(C("Conexion.Tiempo"), fecha::DesdeHora(0, 30, 0));
    t.Texto(C("Semana.Normal.Importe"), "");      // 7 spaces
    t.Fecha(C("Semana.Normal.Inicio"), 36526.5);  // 2000-01-01 12:00:00
    t.Fecha(C("Semana.Normal.Fin"), 1e-7);        // not a whole second
    t.Texto(C("Semana.Reducida.Importe"), "a\\b");
    t.Fecha(C("Semana.Reducida.Inicio"), -0.0);
    t.Fecha(C("Semana.Reducida.Fin"), Bits(0x7FF8000000000123));  // NaN with a payload
    t.Texto(C("Sabado.Normal.Importe"), "\x01x");
    t.Fecha(C("Sabado.Normal.Inicio"), -1.25);  // 1899-12-29 06:00:00
    t.Fecha(C("Sabado.Normal.Fin"), fecha::DesdeHora(17, 59, 59));
    t.Texto(C("Sabado.Reducida.Importe"), "x,y");
    t.Fecha(C("Sabado.Reducida.Inicio"), std::numeric_limits<double>::infinity());
    // Sabado.Reducida.Fin never assigned: 0.0.
    t.Texto(C("Festivo.Normal.Importe"), " 1.5");
    t.Fecha(C("Festivo.Normal.Inicio"), 1.0);  // 1899-12-31 00:00:00
    t.Fecha(C("Festivo.Normal.Fin"), 0.5);
    t.Texto(C("Festivo.Reducida.Importe"), "ab\"c");
    t.Fecha(C("Festivo.Reducida.Inicio"), 0.30000000000000004);  // one step above 0.3
    t.Fecha(C("Festivo.Reducida.Fin"), 0.75);
    return t;
}

class Catalogo : public ::testing::Test {
  protected:
    Resultado Exportar(const CarpetaTemporal& c) {
        return Ejecutar(c.ruta(), {"exportar", "--catalogo", c.ruta().string()});
    }
    Resultado Importar(const CarpetaTemporal& c, const std::string& csv,
                       const std::vector<std::string>& opciones = {}) {
        EscribirTodo(c.ruta() / "entrada.csv", csv);
        std::vector<std::string> args = {"importar", "--catalogo", c.ruta().string(),
                                         (c.ruta() / "entrada.csv").string()};
        args.insert(args.begin() + 1, opciones.begin(), opciones.end());
        const Resultado r = Ejecutar(c.ruta(), args);
        std::filesystem::remove(c.ruta() / "entrada.csv");
        return r;
    }
    CarpetaTemporal origen, destino;
};

TEST_F(Catalogo, EveryCellHasItsReadableForm) {
    origen.Escribir(Bytes({RegistroDeFormas()}));
    const Resultado r = Exportar(origen);
    EXPECT_EQ(r.estado, 0) << r.errores;
    ASSERT_EQ(Lineas(r.salida).size(), 2u);
    EXPECT_EQ(Lineas(r.salida)[1],
              "Señal,,00:30:00,\" \",2000-01-01 12:00:00,1e-07,a\\\\b,-0,0x7FF8000000000123,"
              "\\x01x,1899-12-29 06:00:00,17:59:59,\"x,y\",0x7FF0000000000000,00:00:00,\" 1.5\","
              "1899-12-31 00:00:00,12:00:00,\"ab\"\"c\",0.30000000000000004,18:00:00");
}

// Never-assigned fields, every byte value in texts, a record whose name the engine stops
// at (and one after it), and dates of every form come back byte for byte.
TEST_F(Catalogo, ExportThenImportGivesTheSameFileByteForByte) {
    std::vector<tTarifa> registros;
    tTarifa normal;
    normal.Texto(C("Nombre"), "Normal");
    normal.Texto(C("Conexion.Importe"), "10");
    normal.Fecha(C("Semana.Normal.Fin"), fecha::DesdeHora(17, 59, 59));
    registros.push_back(normal);
    tTarifa nuevo;  // as the editor's Add leaves it, named and nothing else
    nuevo.Texto(C("Nombre"), "Nuevo");
    registros.push_back(nuevo);
    registros.push_back(RegistroDeFormas());
    // Bytes 0 to 255 spread over the text fields of five records; the first begins with
    // byte 0, so the engine reads only the records before it.
    int b = 0;
    for (int k = 0; k < 5; ++k) {
        tTarifa t;
        for (const auto& campo : tTarifa::Campos()) {
            if (campo.tipo != tTarifa::Tipo::Texto) {
                t.Fecha(campo, Bits(0x3FB999999999999AULL + static_cast<unsigned>(b)));
                continue;
            }
            std::string s;
            for (std::size_t i = 0; i < campo.ancho; ++i) s += static_cast<char>(b++ % 256);
            t.Texto(campo, s);
        }
        registros.push_back(t);
    }
    const std::string original = Bytes(registros);
    origen.Escribir(original);

    const Resultado exportado = Exportar(origen);
    EXPECT_EQ(exportado.estado, 0) << exportado.errores;
    EXPECT_EQ(Lineas(exportado.salida).size(), 1 + registros.size());
    EXPECT_NE(exportado.errores.find("aviso: el registro 4 empieza por un byte"),
              std::string::npos);
    const Resultado importado = Importar(destino, exportado.salida, {"--tal-cual"});
    EXPECT_EQ(importado.estado, 0) << importado.errores;
    EXPECT_EQ(destino.Leer(), original);
    EXPECT_NE(importado.errores.find("entrada.csv:5: aviso: el nombre está vacío o empieza por"),
              std::string::npos)
        << importado.errores;

    // The same through a file named on the command line.
    const auto csv = origen.ruta() / "catalogo.csv";
    EXPECT_EQ(
        Ejecutar(origen.ruta(), {"exportar", "--catalogo", origen.ruta().string(), csv.string()})
            .estado,
        0);
    EXPECT_EQ(LeerTodo(csv), exportado.salida);
}

TEST_F(Catalogo, ImportReadsColumnsInAnyOrderSemicolonsBomAndCrLf) {
    // Two columns swapped, ";" as separator, a byte order mark, CRLF, a quoted line break.
    std::string csv = "\xEF\xBB\xBF";
    const auto& campos = tTarifa::Campos();
    std::vector<std::string> orden;
    for (const auto& c : campos) orden.emplace_back(c.clave);
    std::swap(orden[0], orden[1]);
    for (std::size_t i = 0; i < orden.size(); ++i) csv += (i ? ";" : "") + orden[i];
    csv += "\r\n";
    csv += "12.5;\"A;\nB\";08:30;7;;;;;;;;;;;;;;;;;23:59:59\r\n";
    const Resultado r = Importar(destino, csv, {"--tal-cual"});
    EXPECT_EQ(r.estado, 0) << r.errores;

    tTarifa t;
    t.Texto(C("Nombre"), "A;\nB");
    t.Texto(C("Conexion.Importe"), "12.5");
    t.Fecha(C("Conexion.Tiempo"), fecha::DesdeHora(8, 30, 0));
    t.Texto(C("Semana.Normal.Importe"), "7");
    for (const char* k :
         {"Semana.Reducida.Importe", "Sabado.Normal.Importe", "Sabado.Reducida.Importe",
          "Festivo.Normal.Importe", "Festivo.Reducida.Importe"})
        t.Texto(C(k), std::string(7, '\0'));
    t.Fecha(C("Festivo.Reducida.Fin"), fecha::DesdeHora(23, 59, 59));
    EXPECT_EQ(destino.Leer(), Bytes({t}));
}

TEST_F(Catalogo, ImportWithErrorsExplainsEachAndLeavesTheCatalogue) {
    tTarifa t;
    t.Texto(C("Nombre"), "Antiguo");
    const std::string antiguo = Bytes({t});
    destino.Escribir(antiguo);

    std::string cabecera;
    for (const auto& c : tTarifa::Campos())
        cabecera += (cabecera.empty() ? "" : ",") + std::string(c.clave);
    const std::string vacias(20, ',');
    const std::string csv = cabecera + "\n" + "Bien" + vacias + "\n" + "Corta,,\n" +
                            "Nombre de mas de quince" + vacias + "\n" + "Hora,,25:00" +
                            std::string(18, ',') + "\n" + "Barra\\q" + vacias + "\n" +
                            "Euro \xE2\x82\xAC y \xE2\x9C\x93" + vacias + "\n";
    const Resultado r = Importar(destino, csv);
    EXPECT_EQ(r.estado, 1);
    const std::vector<std::string> esperadas = {
        "5 errores en el CSV:",
        "  entrada.csv:3: tiene 3 columnas y la cabecera 21",
        "  entrada.csv:4: «Nombre»: «Nombre de mas de quince» ocupa 23 caracteres y el campo "
        "admite 15",
        "  entrada.csv:5: «Conexion.Tiempo»: «25:00» no es una hora (HH:MM:SS), una fecha y hora "
        "(AAAA-MM-DD HH:MM:SS) ni un número",
        "  entrada.csv:6: «Nombre»: la barra invertida de «Barra\\q» no empieza \\\\ ni \\xHH",
        "  entrada.csv:7: «Nombre»: «Euro € y ✓» tiene caracteres que no existen en Windows-1252 "
        "(o "
        "UTF-8 mal formado)",
        "Tarifas.Dat no se ha tocado",
    };
    auto lineas = Lineas(r.errores);
    ASSERT_FALSE(lineas.empty());
    // Each fault where editors find it: the file as named, then the line.
    const std::string carpeta = (destino.ruta() / "").string();
    for (auto& l : lineas)
        if (const auto p = l.find(carpeta); p != std::string::npos) l.erase(p, carpeta.size());
    EXPECT_NE(lineas[0].find("entrada.csv»: 5 errores en el CSV:"), std::string::npos) << lineas[0];
    lineas[0] = esperadas[0];
    EXPECT_EQ(lineas, esperadas);
    EXPECT_EQ(destino.Leer(), antiguo);
    EXPECT_EQ(destino.Entradas(), std::vector<std::string>{"Tarifas.Dat"});

    // A bad header names what is missing or unknown.
    const Resultado h = Importar(destino, "Nombre,Precio\nA,1\n");
    EXPECT_EQ(h.estado, 1);
    EXPECT_NE(h.errores.find("la columna «Precio» no es ninguna clave de tarifa"),
              std::string::npos);
    EXPECT_NE(h.errores.find("falta la columna «Festivo.Reducida.Fin»"), std::string::npos);
    EXPECT_EQ(destino.Leer(), antiguo);
}

// The sample catalogue with one line replaced (from 1; 0 appends it).
std::string Muestra(std::size_t linea = 0, const std::string& por = "") {
    std::string csv = LeerTodo(CARPETA_DATOS "/tarifas.csv"), r;
    auto lineas = Lineas(csv);
    if (linea == 0)
        lineas.push_back(por);
    else
        lineas[linea - 1] = por;
    for (const auto& l : lineas)
        if (!l.empty()) r += l + "\n";
    return r;
}

// `texto` with the first `de` replaced by `por`.
std::string Cambiar(std::string texto, const std::string& de, const std::string& por) {
    return texto.replace(texto.find(de), de.size(), por);
}

// What the engine would cost or read otherwise than the CSV shows is refused, naming the
// line and the cell, and nothing is written; --tal-cual keeps it with a warning.
TEST_F(Catalogo, ImportRefusesWhatCostingWouldReadOtherwise) {
    const auto fila = Lineas(Muestra())[1];  // Metropolitana,11.5,...
    const std::string resto = fila.substr(fila.find(",03:00:00"));
    std::string muchas = Muestra();
    for (int i = 0; i < 32767; ++i) muchas += "T" + std::to_string(i) + ",1" + resto + "\n";
    struct Caso {
        std::string csv;
        std::string palabras;
        bool talCualLoGuarda;
    };
    const std::vector<Caso> casos = {
        {Muestra(2, "Metropolitana,abc" + resto),
         "entrada.csv:2: «Conexion.Importe»: «abc» no es un importe", true},
        {Muestra(2, "Metropolitana,11.5€" + resto), "«11.5€» no es un importe", true},
        {Muestra(2, "Metropolitana,11.5" + std::string(resto).replace(10, 3, "4 1")),
         "entrada.csv:2: «Semana.Normal.Importe»: «4 1» no es un importe", true},
        {Muestra(2, Lineas(Muestra())[2]), "entrada.csv:3: la tarifa «10DIA» ya está en la línea 2",
         true},
        {Muestra(2, "10DIA,0" + resto) + "Otra,1" + resto + "\n", "falta la tarifa principal",
         true},
        {Lineas(Muestra())[0] + "\n" + fila + "\n", "el catálogo tendría 1 tarifas", true},
        {Muestra(0, "Ñandú,1" + resto), "entrada.csv:13: el nombre está vacío o empieza por", true},
        {Muestra(0, ",1" + resto), "entrada.csv:13: el nombre está vacío", true},
        {Muestra(0, "\"   \",1" + resto), "entrada.csv:13: «Nombre»: el nombre está en blanco",
         true},
        // Times that are no time of day: every call under the tariff would fail.
        {Muestra(2, "Metropolitana,11.5,0x7FF8000000000000" + resto.substr(9)),
         "entrada.csv:2: «Conexion.Tiempo»: nan no es una hora del día", true},
        {Muestra(2, "Metropolitana,11.5" + Cambiar(resto, "17:59:59", "1e308")),
         "entrada.csv:2: «Semana.Normal.Fin»: 1e+308 no es una hora del día", true},
        {Muestra(2, "Metropolitana,11.5" + Cambiar(resto, "08:00:00", "-0.5")),
         "entrada.csv:2: «Semana.Normal.Inicio»: -0.5 no es una hora del día", true},
        {Muestra(2, "Metropolitana,11.5" + Cambiar(resto, "07:59:59", "2000-01-01 07:59:59")),
         "entrada.csv:2: «Semana.Reducida.Fin»: 36526.333", true},
        {muchas, "más de 32766 tarifas", false},
    };
    for (const Caso& c : casos) {
        const Resultado r = Importar(destino, c.csv);
        EXPECT_EQ(r.estado, 1) << c.palabras;
        EXPECT_NE(r.errores.find(c.palabras), std::string::npos) << r.errores;
        EXPECT_EQ(destino.Entradas(), std::vector<std::string>{}) << c.palabras;
        const Resultado t = Importar(destino, c.csv, {"--tal-cual"});
        EXPECT_EQ(t.estado, c.talCualLoGuarda ? 0 : 1) << t.errores;
        EXPECT_NE(t.errores.find(c.talCualLoGuarda ? "aviso: " : "más de 32766"), std::string::npos)
            << t.errores;
        std::filesystem::remove(destino.ruta() / "Tarifas.Dat");
    }
}

// A Spanish spreadsheet writes ";", "11,5" and end times without seconds: they are read
// as the user meant them and cost the sample log as the sample catalogue does.
TEST_F(Catalogo, ImportReadsDecimalCommasAndMinuteTimesAsASpreadsheetShowsThem) {
    std::string csv = Muestra();
    std::replace(csv.begin(), csv.end(), ',', ';');
    auto lineas = Lineas(csv);
    lineas[1] =
        "Metropolitana;\" 11,5 \";03:00;4,1;08:00;17:59;2;18:00;07:59;4,1;08:00;13:59;2;"
        "14:00;07:59;0;00:00;00:00;2;00:00;23:59";
    csv.clear();
    for (const auto& l : lineas) csv += l + "\n";
    const Resultado r = Importar(destino, csv);
    ASSERT_EQ(r.estado, 0) << r.errores;
    EXPECT_EQ(Lineas(r.errores)[0],
              "aviso: los importes con coma decimal (11,5) se guardan con punto (11.5), la forma "
              "que lee el costeo");
    EXPECT_EQ(Exportar(destino).salida, LeerTodo(CARPETA_DATOS "/tarifas.csv"));
    const Resultado c = Ejecutar(destino.ruta(), {"costear", "--catalogo", destino.ruta().string(),
                                                  CARPETA_DATOS "/llamadas.csv"});
    EXPECT_NE(c.errores.find("8 llamadas, importe total 2.656,70"), std::string::npos) << c.errores;

    // Kept as written, an old "3,5" warns of what it costs.
    const Resultado t =
        Importar(destino, Muestra(2, "Metropolitana,\"3,5\"" + Lineas(Muestra())[1].substr(18)),
                 {"--tal-cual"});
    EXPECT_EQ(t.estado, 0);
    EXPECT_NE(
        t.errores.find("entrada.csv:2: aviso: «Conexion.Importe»: «3,5» se guarda tal cual, pero "
                       "el costeo lo lee como 3"),
        std::string::npos)
        << t.errores;
    EXPECT_EQ(Lineas(Exportar(destino).salida)[1].substr(0, 20), "Metropolitana,\"3,5\",");
}

TEST_F(Catalogo, ExportRefusesAFileOfIncompleteRecords) {
    origen.Escribir(std::string(200, 'A'));
    const Resultado r = Exportar(origen);
    EXPECT_EQ(r.estado, 2);
    EXPECT_EQ(r.salida, "");
    EXPECT_NE(r.errores.find("mide 200 bytes"), std::string::npos) << r.errores;
}

TEST_F(Catalogo, TheSampleCatalogueComesBackEqualAndCostsItsCallLog) {
    const std::string csv = LeerTodo(CARPETA_DATOS "/tarifas.csv");
    const Resultado i = Importar(destino, csv);
    ASSERT_EQ(i.estado, 0) << i.errores;
    EXPECT_EQ(i.errores.find("aviso"), std::string::npos) << i.errores;
    EXPECT_EQ(Exportar(destino).salida, csv);

    const Resultado r =
        Ejecutar(destino.ruta(), {"costear", "--catalogo", destino.ruta().string(), "--bonos",
                                  CARPETA_DATOS "/bonos.json", "--festivos",
                                  CARPETA_DATOS "/festivos.txt", CARPETA_DATOS "/llamadas.csv"});
    EXPECT_EQ(r.estado, 0) << r.errores;
    EXPECT_EQ(Lineas(r.salida).size(), 9u);
}

}  // namespace
}  // namespace quelmar::pruebas
