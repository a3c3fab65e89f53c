// Where tarificador writes: an output never replaces an input or the catalogue, a link's
// target is written in its place, pipes and devices are written straight, a failed write is
// never an exit 0, and a catalogue cut short is refused by every command.
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <thread>
#include <vector>

#include "Programa.h"

namespace quelmar::pruebas {
namespace {

namespace fs = std::filesystem;

class Salidas : public ::testing::Test {
  protected:
    void SetUp() override {
        const Resultado i = ImportarMuestra(dir.ruta());
        ASSERT_EQ(i.estado, 0) << i.errores;
        fs::copy_file(CARPETA_DATOS "/llamadas.csv", dir.ruta() / "llamadas.csv");
        fs::copy_file(CARPETA_DATOS "/bonos.json", dir.ruta() / "bonos.json");
        fs::create_symlink("llamadas.csv", dir.ruta() / "enlace.csv");
    }
    std::string D() const { return dir.ruta().string(); }
    // Every regular file of the folder (links not followed) with its bytes.
    std::map<std::string, std::string> Ficheros() const {
        std::map<std::string, std::string> r;
        for (const auto& e : fs::recursive_directory_iterator(dir.ruta()))
            if (e.is_regular_file() && !e.is_symlink() &&
                !e.path().filename().string().starts_with("."))
                r[e.path().string()] = LeerTodo(e.path());
        return r;
    }
    std::vector<std::string> Con(std::vector<std::string> args) const {
        for (auto& a : args)
            if (const auto p = a.find("{D}"); p != std::string::npos) a.replace(p, 3, D());
        args.insert(args.begin() + 1, {"--catalogo", D()});
        return args;
    }
    CarpetaTemporal dir;
};

TEST_F(Salidas, NoOutputReplacesAnInputTheCatalogueOrFailsSilently) {
    const struct {
        std::vector<std::string> args;
        const char* salidaEstandar;
        const char* entradaEstandar;
        std::string mensaje;
    } casos[] = {
        {{"exportar", "{D}/Tarifas.Dat"}, nullptr, nullptr, "es un catálogo (Tarifas.Dat)"},
        {{"exportar", "{D}/otro/tarifas.DAT"}, nullptr, nullptr, "es un catálogo"},
        {{"informe", "--salida", "{D}/llamadas.csv", "{D}/llamadas.csv"},
         nullptr,
         nullptr,
         "es el mismo fichero que el registro de llamadas"},
        {{"informe", "--salida", "{D}/Tarifas.Dat", "{D}/llamadas.csv"},
         nullptr,
         nullptr,
         "es el mismo fichero que el catálogo"},
        {{"costear", "--salida-bonos", "{D}/enlace.csv", "{D}/llamadas.csv"},
         nullptr,
         nullptr,
         "--salida-bonos «" + D() + "/enlace.csv» es el mismo fichero que el registro de llamadas"},
        {{"costear", "--bonos", "{D}/bonos.json", "--salida-bonos", "{D}/./bonos.json",
          "{D}/llamadas.csv"},
         nullptr,
         nullptr,
         "es el mismo fichero que --bonos"},
        {{"informe", "--salida", "{D}/x.html", "--salida-bonos", "{D}/./x.html",
          "{D}/llamadas.csv"},
         nullptr,
         nullptr,
         "es el mismo fichero que --salida"},
        {{"importar", "{D}/Tarifas.Dat"}, nullptr, nullptr, "es el mismo fichero que el CSV"},
        {{"costear", "--salida-bonos", "-", "{D}/llamadas.csv"},
         nullptr,
         nullptr,
         "las filas y --salida-bonos irían los dos a la salida estándar"},
        {{"exportar"},
         "/dev/full",
         nullptr,
         "no se puede escribir en la salida estándar: disco lleno"},
        {{"exportar", "-"}, "/dev/full", nullptr, "disco lleno"},
        {{"listar"}, "/dev/full", nullptr, "disco lleno"},
        {{"listar", "--json"}, "/dev/full", nullptr, "disco lleno"},
        {{"costear", "{D}/llamadas.csv"}, "/dev/full", nullptr, "disco lleno"},
        {{"comparar", "{D}/llamadas.csv"}, "/dev/full", nullptr, "disco lleno"},
        {{"costear"}, nullptr, "/", "no se puede leer la entrada estándar: es una carpeta"},
    };
    const auto antes = Ficheros();
    for (const auto& c : casos) {
        const Resultado r =
            Ejecutar(dir.ruta(), Con(c.args), "", c.salidaEstandar, c.entradaEstandar);
        const std::string donde = c.args[0] + " " + c.args.back();
        EXPECT_EQ(r.estado, 2) << donde << "\n" << r.errores;
        EXPECT_NE(r.errores.find(c.mensaje), std::string::npos) << donde << "\n" << r.errores;
        // Nothing written before the refusal: not a header, not a file.
        EXPECT_EQ(r.salida, "") << donde;
        EXPECT_TRUE(Ficheros() == antes) << donde;
        EXPECT_FALSE(fs::exists(dir.ruta() / "x.html")) << donde;
    }
}

TEST_F(Salidas, LinksKeepTheirPlaceAndPipesAndStandardOutputAreWrittenStraight) {
    // A link to a CSV: the file it leads to gets the export, the link stays.
    fs::create_directory(dir.ruta() / "real");
    EscribirTodo(dir.ruta() / "real" / "destino.csv", "viejo");
    fs::create_symlink("real/destino.csv", dir.ruta() / "exportado.csv");
    const Resultado csv = Ejecutar(dir.ruta(), Con({"exportar", "-"}));
    ASSERT_EQ(Ejecutar(dir.ruta(), Con({"exportar", "{D}/exportado.csv"})).estado, 0);
    EXPECT_TRUE(fs::is_symlink(dir.ruta() / "exportado.csv"));
    EXPECT_EQ(LeerTodo(dir.ruta() / "real" / "destino.csv"), csv.salida);

    // A linked catalogue: importar replaces the file it leads to.
    CarpetaTemporal otra;
    fs::rename(dir.ruta() / "Tarifas.Dat", otra.ruta() / "Tarifas.Dat");
    fs::create_symlink(otra.ruta() / "Tarifas.Dat", dir.ruta() / "Tarifas.Dat");
    EscribirTodo(dir.ruta() / "t.csv", csv.salida);
    const Resultado imp = Ejecutar(dir.ruta(), Con({"importar", "--tal-cual", "{D}/t.csv"}));
    EXPECT_EQ(imp.estado, 0) << imp.errores;
    EXPECT_TRUE(fs::is_symlink(dir.ruta() / "Tarifas.Dat"));
    EXPECT_EQ(Ejecutar(dir.ruta(), Con({"exportar"})).salida, csv.salida);

    // A named pipe: the reader gets the report, the pipe stays a pipe.
    const fs::path tubo = dir.ruta() / "tubo";
    ASSERT_EQ(::mkfifo(tubo.c_str(), 0600), 0);
    std::string leido;
    std::thread lector([&] { leido = LeerTodo(tubo); });
    const Resultado inf =
        Ejecutar(dir.ruta(), Con({"informe", "--salida", "{D}/tubo", "{D}/llamadas.csv"}));
    lector.join();
    EXPECT_EQ(inf.estado, 0) << inf.errores;
    EXPECT_TRUE(leido.starts_with("<!DOCTYPE html>")) << leido.substr(0, 40);
    EXPECT_EQ(fs::status(tubo).type(), fs::file_type::fifo);

    // "-" is standard output for informe too; no file named "-" appears.
    const Resultado guion =
        Ejecutar(dir.ruta(), Con({"informe", "--salida", "-", "{D}/llamadas.csv"}));
    EXPECT_EQ(guion.estado, 0) << guion.errores;
    EXPECT_TRUE(guion.salida.starts_with("<!DOCTYPE html>"));
    EXPECT_FALSE(fs::exists("-"));
    EXPECT_FALSE(fs::exists(dir.ruta() / "-"));
}

// A full disk is found before the first row: the outputs are made and their room set
// aside before the run. Needs a small tmpfs, which only root can mount.
TEST_F(Salidas, AFullDiskStopsTheRunBeforeItsFirstRow) {
    const fs::path lleno = dir.ruta() / "lleno";
    fs::create_directory(lleno);
    if (::mount("tmpfs", lleno.c_str(), "tmpfs", 0, "size=16k") != 0)
        GTEST_SKIP() << "no se puede montar un tmpfs aquí";
    EscribirTodo(lleno / "relleno", std::string(64 * 1024, 'x'));
    const Resultado r = Ejecutar(
        dir.ruta(), Con({"costear", "--salida-bonos", "{D}/lleno/b.json", "{D}/llamadas.csv"}));
    EXPECT_EQ(r.estado, 2);
    EXPECT_EQ(r.salida, "");
    EXPECT_NE(r.errores.find("disco lleno"), std::string::npos) << r.errores;
    EXPECT_FALSE(fs::exists(lleno / "b.json"));
    ::umount(lleno.c_str());
}

TEST_F(Salidas, EveryCommandRefusesACatalogueCutShort) {
    const std::string entero = LeerTodo(dir.ruta() / "Tarifas.Dat");
    const std::string cortado = entero.substr(0, entero.size() - 100);
    EscribirTodo(dir.ruta() / "Tarifas.Dat", cortado);
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"listar"},
             {"exportar"},
             {"costear", "{D}/llamadas.csv"},
             {"comparar", "{D}/llamadas.csv"},
             {"informe", "--salida", "{D}/x.html", "{D}/llamadas.csv"}}) {
        const Resultado r = Ejecutar(dir.ruta(), Con(args));
        EXPECT_EQ(r.estado, 2) << args[0];
        EXPECT_NE(r.errores.find("mide " + std::to_string(cortado.size()) + " bytes"),
                  std::string::npos)
            << args[0] << ": " << r.errores;
        EXPECT_NE(r.errores.find("está cortado"), std::string::npos) << args[0];
        EXPECT_EQ(r.salida, "") << args[0];
    }
    EXPECT_EQ(LeerTodo(dir.ruta() / "Tarifas.Dat"), cortado);
    EXPECT_FALSE(fs::exists(dir.ruta() / "x.html"));
}

}  // namespace
}  // namespace quelmar::pruebas
