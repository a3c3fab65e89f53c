#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/FicherosUtil.h"
#include "catalogue/tTarifa.h"
#include "runtime/Variant.h"

namespace quelmar {

// The tariff store of Tarifas.Dat: the store half of the old program's call object, whose
// face (src/costing) holds one. The editor and every reader or writer of catalogues use this
// class; nothing here knows about costing.
//
// The tariffs in file order in a growable array whose highest index equals
// Count; slot Count is a spare that is no tariff (Save never writes it, Find never looks
// at it) but Valor and Copy accept its index, and Add turns it into a tariff.
class cCatalogo {
  public:
    static constexpr std::string_view kNombreFichero = "Tarifas.Dat";
    // Most tariffs a file may give; a file with more fails to read with error 6.
    static constexpr std::int16_t kMaxTarifasFichero = 32766;
    // The first five tariffs belong to the program: the main tariff, then the tariffs of
    // the four bono kinds. The editor protects them; costing needs them all.
    static constexpr std::int16_t kTarifasDelPrograma = 5;

    // The catalogue of the running program (FicherosUtil::CarpetaCatalogo): beside it when
    // it runs from its own folder, in the user's data folder when it is installed.
    cCatalogo();
    // The catalogue of Tarifas.Dat in `carpeta`; `escritura` replaces the low-level writes
    // of Save (tests make it fail part-way).
    explicit cCatalogo(std::filesystem::path carpeta,
                       std::shared_ptr<Escritura> escritura = nullptr);

    // Reads Tarifas.Dat, all or nothing: on any error the catalogue is unchanged and the
    // error reaches the caller. A missing file leaves the catalogue as it was. A partial
    // record at the end of the file is no tariff (see BytesSueltos).
    void Load();
    // The bytes at the end of the file the last Load read that make no whole record: a
    // copy cut short. 0 for a whole file. Programs refuse or warn about such a file, in the
    // words of DescribirCortado (`nombre` as the program shows the file, and its size).
    std::size_t BytesSueltos() const { return m_BytesSueltos; }
    static std::string DescribirCortado(std::string_view nombre, std::size_t tamano);
    std::size_t BytesLeidos() const { return m_BytesLeidos; }
    // Writes the tariffs 0..Count-1 as whole records, atomically; an empty catalogue
    // removes the file. More than 32766 tariffs, which no file gives back, fail with error
    // 6 and the old file untouched. The other errors of ProblemasDelCatalogo are written as
    // they are: a file holds them, a catalogue read is saved back unchanged, and the
    // programs that save (Quelmar, importar) refuse them before calling Save.
    void Save();
    // Appends one tariff: the spare slot becomes it, a new all-zero spare follows.
    // Error 6 beyond 32767 tariffs, nothing changed.
    void Add();
    // Removes tariff Index; those after it move down. An Index at or past the last tariff
    // removes the last one. Error 9 for a negative Index or an empty catalogue.
    void Delete(std::int16_t Index);
    // Copies slot index2 over slot index1 (spare included); error 9 outside 0..Count.
    void Copy(std::int16_t index1, std::int16_t index2);

    // Reads a value by key: texts trimmed of spaces (code 32 only), dates as stored; an
    // unknown key gives the empty value. Error 9 for an index outside 0..Count.
    Variant Valor(std::int16_t Index, std::string_view sDat) const;
    // Writes a value by key: texts converted and cut or space-filled to the field's width;
    // dates converted (error 13 when the value does not convert, field unchanged). An
    // unknown key does nothing.
    void Valor(std::int16_t Index, std::string_view sDat, const Variant& sValor);
    // The same by field: the key of the calls above is looked up once, here it is not.
    Variant Valor(std::int16_t Index, const tTarifa::Campo& campo) const;
    void Valor(std::int16_t Index, const tTarifa::Campo& campo, const Variant& sValor);

    std::int16_t Count() const noexcept {
        return static_cast<std::int16_t>(m_Registros.size() - 1);
    }
    // Index of the first tariff whose name, trimmed of spaces, equals `nombre` exactly.
    std::int16_t Find(std::string_view nombre) const;
    // Whether the saved file will read back past tariff Index: its name's first byte must
    // be 32..126. Error 9 for an index outside 0..Count.
    bool NombreSeLee(std::int16_t Index) const;

    const std::string& NombreTarifa() const noexcept { return m_NombreTarifa; }
    void NombreTarifa(std::string s) { m_NombreTarifa = std::move(s); }

    const std::filesystem::path& Ruta() const noexcept { return m_Ruta; }
    // Whole records, for tools that move catalogues in and out.
    const tTarifa& Registro(std::int16_t Index) const;
    // The tariffs 0..Count-1, as ProblemasDelCatalogo takes them.
    std::span<const tTarifa> Tarifas() const noexcept {
        return std::span<const tTarifa>(m_Registros).first(m_Registros.size() - 1);
    }

  private:
    void ComprobarIndice(std::int16_t Index) const;

    std::filesystem::path m_Ruta;
    std::shared_ptr<Escritura> m_Escritura;
    std::vector<tTarifa> m_Registros;
    // The array a Load reads into before it replaces m_Registros; kept between loads so
    // that reloading (before every costing) does not fault in fresh memory each time.
    std::vector<tTarifa> m_Lectura;
    // Bytes the last reading found: the next one expects as many.
    std::size_t m_BytesLeidos = 0;
    std::size_t m_BytesSueltos = 0;
    std::string m_NombreTarifa;
};

}  // namespace quelmar
