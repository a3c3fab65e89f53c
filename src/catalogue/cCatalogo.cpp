#include "catalogue/cCatalogo.h"

#include <algorithm>

#include "runtime/RuntimeError.h"
#include "runtime/Texto.h"

namespace quelmar {

cCatalogo::cCatalogo() : cCatalogo(FicherosUtil::CarpetaCatalogo()) {}

cCatalogo::cCatalogo(std::filesystem::path carpeta, std::shared_ptr<Escritura> escritura)
    : m_Ruta(std::move(carpeta) / kNombreFichero),
      m_Escritura(escritura ? std::move(escritura) : std::make_shared<Escritura>()),
      m_Registros(1) {}

// Reading, all or nothing: records go to a separate array that replaces the catalogue only
// when the whole reading succeeded. Records are read in sequence; the first record whose name
// begins with a byte below 32 or above 126 ends the list and becomes the spare slot (a read past
// the last record gives an all-zero record, which ends it the same way). A file that ends in a
// partial record (never written by this program: a copy cut short, a disk error) keeps its
// whole records as tariffs; the partial one is no tariff, and BytesSueltos says it was there
// so that every program can tell the user. More than 32766 tariffs fail with error 6.
void cCatalogo::Load() {
    // The existence test and the opening are one step: a missing file leaves everything.
    std::optional<FicherosUtil::FicheroLectura> abierto =
        FicherosUtil::FicheroLectura::AbrirSiExiste(m_Ruta);
    if (!abierto) return;
    FicherosUtil::FicheroLectura& f = *abierto;
    // Records up to one past the limit decide the overflow; no more are read.
    constexpr std::size_t kMaxRegistros = std::size_t{kMaxTarifasFichero} + 1;
    constexpr std::size_t kLimite = kMaxRegistros * tTarifa::kTamano;
    // Room for what the last reading found and one record more, so that a file of the same
    // size is read, and its end found, in one read. A file that fills it has grown: room
    // for its present size then (asked only in that case), and more while it fills that.
    std::vector<tTarifa>& nuevos = m_Lectura;
    std::size_t slots = std::max(m_BytesLeidos / tTarifa::kTamano + 2, std::size_t{16});
    std::size_t bytes = 0;
    while (true) {
        nuevos.resize(slots);
        const std::size_t capacidad = std::min(slots * tTarifa::kTamano, kLimite);
        bytes += f.Leer(tTarifa::BytesDe(nuevos).data() + bytes, capacidad - bytes);
        if (bytes < capacidad || capacidad == kLimite) break;
        slots = std::max(slots * 2, f.Tamano() / tTarifa::kTamano + 2);
    }
    const std::size_t registros = bytes / tTarifa::kTamano;
    const std::size_t sueltos = bytes % tTarifa::kTamano;
    if (nuevos.size() < registros + 1) nuevos.resize(registros + 1);
    // The slot after the last whole record is all zero: it ends the list.
    const auto base = tTarifa::BytesDe(nuevos);
    std::fill(base.begin() + static_cast<std::ptrdiff_t>(registros * tTarifa::kTamano),
              base.begin() + static_cast<std::ptrdiff_t>((registros + 1) * tTarifa::kTamano), 0);

    std::size_t n = 0;
    while (n < registros) {
        if (!nuevos[n].AbreTarifa()) break;  // this record becomes the spare slot
        ++n;
    }
    if (n > static_cast<std::size_t>(kMaxTarifasFichero))
        Lanzar(kDesbordamiento, m_Ruta.string() + " tiene más de 32766 tarifas");
    nuevos.resize(n + 1);
    std::swap(m_Registros, nuevos);
    m_BytesLeidos = bytes;
    m_BytesSueltos = sueltos;
}

std::string cCatalogo::DescribirCortado(std::string_view nombre, std::size_t tamano) {
    return std::string(nombre) + " mide " + std::to_string(tamano) +
           " bytes, que no son registros enteros de 168: está cortado (una copia interrumpida "
           "o un fallo del disco) y su último registro está incompleto";
}

void cCatalogo::Save() {
    const std::int16_t n = Count();
    if (n == 0) {
        // A linked catalogue loses the file it links to; the link stays, as after any save.
        const auto destino = FicherosUtil::ResolverDestino(m_Ruta);
        if (destino.directo) return;
        FicherosUtil::LimpiarTemporales(destino.ruta, *m_Escritura);
        if (FicherosUtil::ExisteFichero(destino.ruta)) FicherosUtil::BorrarFichero(destino.ruta);
        return;
    }
    // Never write what Load would refuse: the old file stays as it is.
    if (n > kMaxTarifasFichero) Lanzar(kDesbordamiento, m_Ruta.string() + ": más de 32766 tarifas");
    const auto bytes =
        tTarifa::BytesDe(std::span<const tTarifa>(m_Registros).first(static_cast<std::size_t>(n)));
    FicherosUtil::EscribirFichero(m_Ruta, bytes.data(), bytes.size(), *m_Escritura);
}

void cCatalogo::Add() {
    if (Count() == INT16_MAX) Lanzar(kDesbordamiento, "el catálogo ya tiene 32767 tarifas");
    m_Registros.emplace_back();
}

void cCatalogo::Delete(std::int16_t Index) {
    const std::int16_t c = Count();
    if (Index < 0 || c == 0)
        Lanzar(kFueraDeRango, "no hay tarifa que borrar en la posición " + std::to_string(Index));
    for (std::int32_t i = Index; i <= c - 2; ++i)
        m_Registros[static_cast<std::size_t>(i)] = m_Registros[static_cast<std::size_t>(i + 1)];
    m_Registros.pop_back();
}

void cCatalogo::ComprobarIndice(std::int16_t Index) const {
    if (Index < 0 || Index > Count())
        Lanzar(kFueraDeRango, "no hay tarifa en la posición " + std::to_string(Index));
}

bool cCatalogo::NombreSeLee(std::int16_t Index) const {
    if (Index < 0 || Index > Count()) Lanzar(kFueraDeRango);
    return m_Registros[static_cast<std::size_t>(Index)].AbreTarifa();
}

void cCatalogo::Copy(std::int16_t index1, std::int16_t index2) {
    ComprobarIndice(index1);
    ComprobarIndice(index2);
    m_Registros[static_cast<std::size_t>(index1)] = m_Registros[static_cast<std::size_t>(index2)];
}

Variant cCatalogo::Valor(std::int16_t Index, std::string_view sDat) const {
    const tTarifa::Campo* campo = tTarifa::Buscar(sDat);
    if (!campo) return {};
    return Valor(Index, *campo);
}

void cCatalogo::Valor(std::int16_t Index, std::string_view sDat, const Variant& sValor) {
    const tTarifa::Campo* campo = tTarifa::Buscar(sDat);
    if (!campo) return;
    Valor(Index, *campo, sValor);
}

Variant cCatalogo::Valor(std::int16_t Index, const tTarifa::Campo& campo) const {
    ComprobarIndice(Index);
    const tTarifa& t = m_Registros[static_cast<std::size_t>(Index)];
    if (campo.tipo == tTarifa::Tipo::Texto)
        return Variant(std::string(RecortarEspacios(t.TextoBruto(campo))));
    return Variant::DeFecha(t.Fecha(campo));
}

void cCatalogo::Valor(std::int16_t Index, const tTarifa::Campo& campo, const Variant& sValor) {
    ComprobarIndice(Index);
    tTarifa& t = m_Registros[static_cast<std::size_t>(Index)];
    if (campo.tipo == tTarifa::Tipo::Texto) {
        t.Texto(campo, CStr(sValor));
    } else {
        // A date stays as it is, bit for bit; texts and numbers are converted first.
        t.Fecha(campo, sValor.EsFecha() ? sValor.fecha() : CDate(sValor));
    }
}

std::int16_t cCatalogo::Find(std::string_view nombre) const {
    const tTarifa::Campo& kNombre = tTarifa::CampoNombre();
    const std::int16_t n = Count();
    for (std::int16_t i = 0; i < n; ++i) {
        const std::string_view bruto = m_Registros[static_cast<std::size_t>(i)].TextoBruto(kNombre);
        if (RecortarEspacios(bruto) == nombre) return i;
    }
    return -1;
}

const tTarifa& cCatalogo::Registro(std::int16_t Index) const {
    ComprobarIndice(Index);
    return m_Registros[static_cast<std::size_t>(Index)];
}

}  // namespace quelmar
