#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "catalogue/FicherosUtil.h"
#include "runtime/RuntimeError.h"
#include "support/CarpetaTemporal.h"
#include "support/NumeroDeError.h"

namespace quelmar {
namespace {

namespace fs = std::filesystem;
using FicherosUtil::DecidirCatalogo;
using FicherosUtil::LugarCatalogo;
using FicherosUtil::PrepararCatalogo;

void Escribir(const fs::path& ruta, const std::string& bytes) {
    fs::create_directories(ruta.parent_path());
    std::ofstream(ruta, std::ios::binary) << bytes;
}

std::string Leer(const fs::path& ruta) {
    std::ifstream f(ruta, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

std::vector<std::string> Nombres(const fs::path& carpeta) {
    std::vector<std::string> r;
    for (const auto& e : fs::directory_iterator(carpeta)) r.push_back(e.path().filename());
    return r;
}

TEST(CatalogueLocation, BesideTheProgramUnlessItIsInstalled) {
    CarpetaTemporal t;
    const fs::path usr = t.ruta() / "usr";
    const fs::path muestra = usr / "share/quelmar/ejemplo/Tarifas.Dat";
    Escribir(muestra, "muestra");
    fs::create_directories(usr / "bin");
    fs::create_directories(usr / "copia");
    fs::create_directories(t.ruta() / "build/bin");
    fs::create_directories(t.ruta() / "opt/bin");
    fs::create_directories(t.ruta() / "opt/share/quelmar");  // no sample in it
    // A per-user install: the prefix is ~/.local, whose share/quelmar is the user's folder.
    const fs::path casa = t.ruta() / "casa";
    const fs::path local = casa / ".local";
    Escribir(local / "share/quelmar/ejemplo/Tarifas.Dat", "muestra");
    Escribir(local / "share/quelmar/Tarifas.Dat", "mis tarifas");
    fs::create_directories(local / "bin");
    const std::string compartida = (local / "share").string();
    // An older layout's ~/.local: only the user's catalogue, where the sample used to be.
    const fs::path viejo = t.ruta() / "viejo/.local";
    Escribir(viejo / "share/quelmar/Tarifas.Dat", "mis tarifas");
    fs::create_directories(viejo / "bin");

    struct Caso {
        const char* nombre;
        fs::path programa;
        const char* xdg;
        const char* home;
        fs::path carpeta;
        fs::path muestra;
    };
    const Caso casos[] = {
        {"build tree", t.ruta() / "build/bin", "/xdg", "/home/ana", t.ruta() / "build/bin", {}},
        {"copy beside an install", usr / "copia", "/xdg", "/home/ana", usr / "copia", {}},
        {"bin without the sample",
         t.ruta() / "opt/bin",
         "/xdg",
         "/home/ana",
         t.ruta() / "opt/bin",
         {}},
        {"installed", usr / "bin", "/xdg", "/home/ana", "/xdg/quelmar", muestra},
        {"installed, folder with a slash", usr / "bin/", "/xdg", "/home/ana", "/xdg/quelmar",
         muestra},
        {"installed, folder with dots", usr / "copia/../bin", "/xdg", nullptr, "/xdg/quelmar",
         muestra},
        {"installed, no XDG_DATA_HOME", usr / "bin", nullptr, "/home/ana",
         "/home/ana/.local/share/quelmar", muestra},
        {"installed, empty XDG_DATA_HOME", usr / "bin", "", "/home/ana",
         "/home/ana/.local/share/quelmar", muestra},
        {"installed, relative XDG_DATA_HOME", usr / "bin", "datos", "/home/ana",
         "/home/ana/.local/share/quelmar", muestra},
        {"installed in ~/.local", local / "bin", nullptr, casa.c_str(), local / "share/quelmar",
         local / "share/quelmar/ejemplo/Tarifas.Dat"},
        {"installed in ~/.local, XDG_DATA_HOME its share", local / "bin", compartida.c_str(),
         casa.c_str(), local / "share/quelmar", local / "share/quelmar/ejemplo/Tarifas.Dat"},
        {"a user's catalogue is no sample",
         viejo / "bin",
         nullptr,
         casa.c_str(),
         viejo / "bin",
         {}},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        const LugarCatalogo l = DecidirCatalogo(c.programa, c.xdg, c.home);
        EXPECT_EQ(l.carpeta, c.carpeta);
        EXPECT_EQ(l.muestra.lexically_normal(), c.muestra.lexically_normal());
        // The sample an install writes is never the catalogue a user edits.
        if (!l.muestra.empty()) {
            EXPECT_NE((l.carpeta / "Tarifas.Dat").lexically_normal(), l.muestra.lexically_normal());
        }
    }

    // Installed, and nowhere to put the catalogue: said, not guessed.
    for (const char* home : {static_cast<const char*>(nullptr), "", "ana"}) {
        try {
            DecidirCatalogo(usr / "bin", nullptr, home);
            ADD_FAILURE() << "no error for HOME " << (home ? home : "(unset)");
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.Numero(), kRutaNoEncontrada);
            EXPECT_NE(std::string(e.what()).find("XDG_DATA_HOME"), std::string::npos) << e.what();
        }
    }
}

TEST(CatalogueLocation, FirstUseCopiesTheSampleAndNeverOverwrites) {
    CarpetaTemporal t;
    const fs::path muestra = t.ruta() / "usr/share/quelmar/ejemplo/Tarifas.Dat";
    const std::string bytes(168 * 3, '\xA5');
    Escribir(muestra, bytes);
    const LugarCatalogo l{t.ruta() / "home/.local/share/quelmar", muestra};

    PrepararCatalogo(l);
    EXPECT_EQ(Leer(l.carpeta / "Tarifas.Dat"), bytes);
    EXPECT_EQ(Nombres(l.carpeta), std::vector<std::string>{"Tarifas.Dat"});  // no temporary

    Escribir(l.carpeta / "Tarifas.Dat", "mis tarifas");
    PrepararCatalogo(l);
    EXPECT_EQ(Leer(l.carpeta / "Tarifas.Dat"), "mis tarifas");
}

TEST(CatalogueLocation, OwnFolderIsLeftAsItIs) {
    CarpetaTemporal t;
    PrepararCatalogo({t.ruta() / "nueva", {}});
    EXPECT_FALSE(fs::exists(t.ruta() / "nueva"));
}

TEST(CatalogueLocation, FailuresNameWhatFailed) {
    CarpetaTemporal t;
    const fs::path muestra = t.ruta() / "muestra/Tarifas.Dat";
    Escribir(muestra, "muestra");
    Escribir(t.ruta() / "fichero", "no es una carpeta");

    // A file where the data folder should be.
    try {
        PrepararCatalogo({t.ruta() / "fichero/quelmar", muestra});
        ADD_FAILURE() << "no error";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.Numero(), kRutaNoEncontrada);
        EXPECT_NE(std::string(e.what()).find((t.ruta() / "fichero/quelmar").string()),
                  std::string::npos)
            << e.what();
        EXPECT_NE(std::string(e.what()).find("no es una carpeta"), std::string::npos) << e.what();
    }
    // The installed sample gone: file not found, and no empty catalogue left behind.
    const fs::path datos = t.ruta() / "datos/quelmar";
    EXPECT_EQ(NumeroDeError([&] {
                  PrepararCatalogo({datos, t.ruta() / "muestra/otra.Dat"});
              }),
              kFicheroNoEncontrado);
    EXPECT_FALSE(fs::exists(datos / "Tarifas.Dat"));
}

}  // namespace
}  // namespace quelmar
