#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quelmar {

// The band fields of a tariff are named by day kind, band and part, never by number or
// key. Every switch over these enums lists every value and has no default, so a value
// added here fails to compile (warnings are errors) wherever it is not handled.
enum class ClaseDia : std::uint8_t { Semana, Sabado, Festivo };  // Festivo: Sunday too
enum class ClaseBanda : std::uint8_t { Normal, Reducida };
enum class ParteBanda : std::uint8_t { Importe, Inicio, Fin };

inline constexpr std::array<ClaseDia, 3> kClasesDia{ClaseDia::Semana, ClaseDia::Sabado,
                                                    ClaseDia::Festivo};
inline constexpr std::array<ClaseBanda, 2> kClasesBanda{ClaseBanda::Normal, ClaseBanda::Reducida};
inline constexpr std::array<ParteBanda, 3> kPartesBanda{ParteBanda::Importe, ParteBanda::Inicio,
                                                        ParteBanda::Fin};

// Position of each value in the file's order, also the tab and row of the windows and
// the report. No default: a value added to an enum fails to compile here until it has
// its place.
inline constexpr std::size_t Orden(ClaseDia d) noexcept {
    switch (d) {
        case ClaseDia::Semana:
            return 0;
        case ClaseDia::Sabado:
            return 1;
        case ClaseDia::Festivo:
            return 2;
    }
    return 0;
}
inline constexpr std::size_t Orden(ClaseBanda b) noexcept {
    switch (b) {
        case ClaseBanda::Normal:
            return 0;
        case ClaseBanda::Reducida:
            return 1;
    }
    return 0;
}
inline constexpr std::size_t Orden(ParteBanda p) noexcept {
    switch (p) {
        case ParteBanda::Importe:
            return 0;
        case ParteBanda::Inicio:
            return 1;
        case ParteBanda::Fin:
            return 2;
    }
    return 0;
}

// Where a band field is: its day kind, band and part.
struct LugarCampo {
    ClaseDia dia;
    ClaseBanda banda;
    ParteBanda parte;
    friend bool operator==(const LugarCampo&, const LugarCampo&) = default;
};

// One tariff, held in memory exactly as its 168-byte record in Tarifas.Dat:
//
//   Nombre (text 15) | Conexion: Importe (text 7), Tiempo (date)
//   Semana, Sabado, Festivo: Normal, Reducida: Importe (text 7), Inicio, Fin (dates)
//
// packed in that order, dates as little-endian IEEE doubles (OLE dates). Keeping the
// bytes makes a file read and saved unchanged byte-identical by construction, and makes
// reading and writing plain copies. Texts are bytes of the single-byte code page, always
// at full width; a field never assigned holds bytes 0 (dates 0.0 = 00:00:00).
class tTarifa {
  public:
    static constexpr std::size_t kTamano = 168;
    using Bytes = std::array<unsigned char, kTamano>;

    enum class Tipo { Texto, Fecha };
    struct Campo {
        std::string_view clave;
        std::size_t desplazamiento;
        std::size_t ancho;  // 15 or 7 for texts, 8 for dates
        Tipo tipo;
    };
    // The 21 fields in file order, with the keys under which Valor reads and writes them.
    static constexpr std::size_t kCampos = 21;
    static const std::array<Campo, kCampos>& Campos();
    // The field of a key, matched exactly (case and blanks count); nothing when unknown.
    // Only the old key API (Valor by key, the CSV's header) looks keys up.
    static const Campo* Buscar(std::string_view clave) noexcept;

    // The one map from (day kind, band, part) to the record's field, and back.
    static const Campo& CampoDe(ClaseDia dia, ClaseBanda banda, ParteBanda parte) noexcept;
    static const Campo& CampoDe(const LugarCampo& l) noexcept {
        return CampoDe(l.dia, l.banda, l.parte);
    }
    // Nothing for the name and the connection's fields.
    static std::optional<LugarCampo> LugarDe(const Campo& c) noexcept;
    static const Campo& CampoNombre() noexcept;
    static const Campo& CampoConexionImporte() noexcept;
    static const Campo& CampoConexionTiempo() noexcept;

    // Field access. Texts come back at full width; dates as stored, bit for bit.
    std::string Texto(const Campo& c) const;
    std::string_view TextoBruto(const Campo& c) const noexcept {
        return {reinterpret_cast<const char*>(m_Bytes.data() + c.desplazamiento), c.ancho};
    }
    void Texto(const Campo& c, std::string_view s);  // cut or space-filled to the width
    double Fecha(const Campo& c) const;
    void Fecha(const Campo& c, double d);

    // The first byte of the name decides whether a record read from the file is a tariff:
    // one outside 32..126 (a control byte, an accented capital, a name never written) ends
    // the list there, and that record and every one after it are not read.
    unsigned char PrimerByte() const noexcept { return m_Bytes[0]; }
    static constexpr bool AbreTarifa(unsigned char primerByte) noexcept {
        return primerByte >= 32 && primerByte <= 126;
    }
    bool AbreTarifa() const noexcept { return AbreTarifa(PrimerByte()); }

    // Records side by side are the file's bytes: a file is read by one copy into them and
    // written by one copy out of them. Load, Save and the tools' import and export all
    // code records through these.
    static std::span<unsigned char> BytesDe(std::vector<tTarifa>& registros) noexcept;
    static std::span<const unsigned char> BytesDe(std::span<const tTarifa> registros) noexcept;
    // Every whole record of a file's bytes (a partial one at the end is left out).
    static std::vector<tTarifa> Registros(std::string_view bytes);
    const Bytes& Registro() const noexcept { return m_Bytes; }

    friend bool operator==(const tTarifa&, const tTarifa&) = default;

  private:
    Bytes m_Bytes{};
};

// The end-of-minute rule for a band's end: an end h:m means up to the last second of that
// minute, except 00:00, which stays the very start of the day. The editor and the CSV
// import store ends through it.
double FinDeMinuto(long long hora, long long minuto);

static_assert(sizeof(tTarifa) == tTarifa::kTamano, "records are copied to and from the file whole");

}  // namespace quelmar
