#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "bono/cBono.h"
#include "catalogue/cCatalogo.h"
#include "costing/cCosteo.h"
#include "runtime/Variant.h"

namespace quelmar {

// The old program's face: the tariff catalogue of Tarifas.Dat and the cost of a call under
// it, with exactly the operations it always had. A thin face over two typed halves: the
// store (cCatalogo, src/catalogue) and the costing (cCosteo). Code that needs only one
// half uses it directly: the editor the store, the command line the costing over a store
// loaded once.
class cLlamada {
  public:
    static constexpr std::string_view kNombreFichero = cCatalogo::kNombreFichero;
    static constexpr std::int16_t kMaxTarifasFichero = cCatalogo::kMaxTarifasFichero;
    static constexpr std::int16_t kTarifasDelPrograma = cCatalogo::kTarifasDelPrograma;

    cLlamada() = default;
    explicit cLlamada(std::filesystem::path carpeta, std::shared_ptr<Escritura> escritura = nullptr)
        : m_Catalogo(std::move(carpeta), std::move(escritura)) {}

    // ---- Store half: cCatalogo's operations ----

    void Load() { m_Catalogo.Load(); }
    std::size_t BytesSueltos() const { return m_Catalogo.BytesSueltos(); }
    static std::string DescribirCortado(std::string_view nombre, std::size_t tamano) {
        return cCatalogo::DescribirCortado(nombre, tamano);
    }
    std::size_t BytesLeidos() const { return m_Catalogo.BytesLeidos(); }
    void Save() { m_Catalogo.Save(); }
    void Add() { m_Catalogo.Add(); }
    void Delete(std::int16_t Index) { m_Catalogo.Delete(Index); }
    void Copy(std::int16_t index1, std::int16_t index2) { m_Catalogo.Copy(index1, index2); }
    Variant Valor(std::int16_t Index, std::string_view sDat) const {
        return m_Catalogo.Valor(Index, sDat);
    }
    void Valor(std::int16_t Index, std::string_view sDat, const Variant& sValor) {
        m_Catalogo.Valor(Index, sDat, sValor);
    }
    std::int16_t Count() const noexcept { return m_Catalogo.Count(); }
    std::int16_t Find(std::string_view nombre) const { return m_Catalogo.Find(nombre); }
    bool NombreSeLee(std::int16_t Index) const { return m_Catalogo.NombreSeLee(Index); }
    const std::string& NombreTarifa() const noexcept { return m_Catalogo.NombreTarifa(); }
    void NombreTarifa(std::string s) { m_Catalogo.NombreTarifa(std::move(s)); }
    const std::filesystem::path& Ruta() const noexcept { return m_Catalogo.Ruta(); }
    const tTarifa& Registro(std::int16_t Index) const { return m_Catalogo.Registro(Index); }
    std::span<const tTarifa> Tarifas() const noexcept { return m_Catalogo.Tarifas(); }

    // ---- Costing half: cCosteo's operations ----

    // Sets the holiday list from an array whose last entry is a spare and is never read:
    // entries 0..n-1 of an array of n + 1 are converted to dates (error 13 for one that
    // does not convert, the entries before it kept). Error 9 for an empty array, 6 for
    // more than 32768 holidays.
    void Festivos(const std::vector<Variant>& fes) { m_Costeo.Festivos(fes); }
    // Day kind of an instant: 0 weekday, 1 Saturday, 2 Sunday or a date of the holiday list.
    std::int16_t TipoDia(double d) const { return m_Costeo.TipoDia(d); }

    // Costs a call from dIni to dFin under the tariff named sTar (NombreTarifa when sTar is
    // empty). The catalogue is reloaded from Tarifas.Dat first (the old program's contract;
    // a caller costing many calls on one catalogue uses cCosteo over a store loaded once);
    // an unknown name changes nothing. With m_Bono the engine's registry becomes a copy of
    // it (passing Bono() back carries its time on); without, the registry is refilled.
    // Instants are taken to the whole second. Errors (an instant that is no date, a call
    // longer than 32767 hours, a catalogue without the bono tariffs) reach the caller.
    void Datos(double dIni, double dFin, const cBono* m_Bono = nullptr, std::string_view sTar = {});

    // Whom Datos tells each stretch of a call (cTramo): where it starts, how long, at which
    // band, whether bono time paid for it, and what it cost. Nobody when null.
    void ObservarTramos(ObservadorTramos* o) { m_Costeo.Observador(o); }

    float importe() const { return m_Costeo.importe(); }
    const std::string& Duracion() const { return m_Costeo.Duracion(); }
    std::int16_t Tipo() const { return m_Costeo.Tipo(); }
    std::int16_t TipoActual() const { return m_Costeo.TipoActual(); }
    bool BonoNet() const { return m_Costeo.BonoNet(); }
    bool BonoNetActual() const { return m_Costeo.BonoNetActual(); }
    // The engine's own registry, kept between calls.
    cBono& Bono() { return m_Costeo.Bono(); }
    const cBono& Bono() const { return m_Costeo.Bono(); }

    // The two halves, for code that works on one of them. A cLlamada reads as its store
    // wherever a store is read (cCosteo::Datos over a catalogue loaded once).
    cCatalogo& Catalogo() noexcept { return m_Catalogo; }
    const cCatalogo& Catalogo() const noexcept { return m_Catalogo; }
    operator const cCatalogo&() const noexcept { return m_Catalogo; }
    cCosteo& Costeo() noexcept { return m_Costeo; }
    const cCosteo& Costeo() const noexcept { return m_Costeo; }

  private:
    cCatalogo m_Catalogo;
    cCosteo m_Costeo;
};

}  // namespace quelmar
