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
    // Under `base`, by default the system's temporary folder.
    explicit CarpetaTemporal(std::filesystem::path base = std::filesystem::temp_directory_path()) {
        std::string plantilla = (base / "quelmar-test-XXXXXX").string();
        if (!::mkdtemp(plantilla.data())) std::abort();
        m_Ruta = plantilla;
    }
    ~CarpetaTemporal() {
        std::error_code ec;
        std::filesystem::remove_all(m_Ruta, ec);
    }
    CarpetaTemporal(const CarpetaTemporal&) = delete;
    CarpetaTemporal& operator=(const CarpetaTemporal&) = delete;

    const std::filesystem::path& ruta() const { return m_Ruta; }
    std::filesystem::path fichero() const { return m_Ruta / "Tarifas.Dat"; }

    void Escribir(const std::string& bytes) const {
        std::ofstream f(fichero(), std::ios::binary | std::ios::trunc);
        f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    // In one read: byte by byte, megabytes take seconds in a debug build.
    std::string Leer() const {
        std::ifstream f(fichero(), std::ios::binary | std::ios::ate);
        if (!f) return {};
        std::string r(static_cast<std::size_t>(f.tellg()), '\0');
        f.seekg(0);
        f.read(r.data(), static_cast<std::streamsize>(r.size()));
        return r;
    }
    // Names of every entry of the folder.
    std::vector<std::string> Entradas() const {
        std::vector<std::string> r;
        for (const auto& e : std::filesystem::directory_iterator(m_Ruta))
            r.push_back(e.path().filename().string());
        return r;
    }

  private:
    std::filesystem::path m_Ruta;
};
