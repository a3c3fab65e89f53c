#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// A fresh folder under the system's temporary folder, removed with its contents.
class CarpetaTemporal {
  public:
    CarpetaTemporal() {
        std::string plantilla =
            (std::filesystem::temp_directory_path() / "quelmar-test-XXXXXX").string();
        if (!::mkdtemp(plantilla.data())) std::abort();
        ruta_ = plantilla;
    }
    ~CarpetaTemporal() {
        std::error_code ec;
        std::filesystem::remove_all(ruta_, ec);
    }
    CarpetaTemporal(const CarpetaTemporal&) = delete;
    CarpetaTemporal& operator=(const CarpetaTemporal&) = delete;

    const std::filesystem::path& ruta() const { return ruta_; }
    std::filesystem::path fichero() const { return ruta_ / "Tarifas.Dat"; }

    void Escribir(const std::string& bytes) const {
        std::ofstream f(fichero(), std::ios::binary | std::ios::trunc);
        f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::string Leer() const {
        std::ifstream f(fichero(), std::ios::binary);
        return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
    }
    // Names of every entry of the folder.
    std::vector<std::string> Entradas() const {
        std::vector<std::string> r;
        for (const auto& e : std::filesystem::directory_iterator(ruta_))
            r.push_back(e.path().filename().string());
        return r;
    }

  private:
    std::filesystem::path ruta_;
};
