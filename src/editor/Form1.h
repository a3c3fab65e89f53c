#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/FicherosUtil.h"
#include "catalogue/cCatalogo.h"
#include "catalogue/tTarifa.h"
#include "editor/Controles.h"
#include "editor/IVentana.h"

namespace quelmar::editor {

// The tariff editor window "Editor de tarifas": its controls, the catalogue it edits and
// every handler. One tariff is shown at a time, `m_Indice`; each field stores itself into
// the catalogue when the user leaves it; the scroll bar's nested Change keeps the name list
// in step. The first five tariffs are built in: not deletable, names not changeable.
//
// Run-time errors of the catalogue pass out of the handlers to the caller, except where a
// failure would lose or overwrite the user's data: a failed save or restore, and a failed
// reading at start, are shown in the "Atencion" box instead.
class Form1 {
  public:
    static constexpr std::int16_t kIncorporadas = cCatalogo::kTarifasDelPrograma;  // 0..4
    static constexpr std::int16_t kImagen = 1;  // the one image of ImageList1
    static constexpr std::int16_t vbKeyDelete = 46;
    static constexpr std::string_view kTituloAviso = "Atencion";
    static constexpr std::string_view kAvisoIncorporada = "Esta tarifa forma parte del programa.";
    static constexpr std::string_view kNoBorrar = "No se puede borrar";
    static constexpr std::string_view kNoRenombrar = "No se puede cambiar de nombre.";
    static constexpr std::string_view kSeCobraComo = "Se cobra como ";
    static constexpr std::string_view kSalvarCambios = "¿Salvar los cambios?";

    // `carpeta` holds Tarifas.Dat (the program's folder when run); `escritura` replaces the
    // writes of a save (tests make it fail).
    Form1(IVentana& ventana, std::filesystem::path carpeta,
          std::shared_ptr<Escritura> escritura = nullptr);
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // The startup as the program runs it: Form_Load, but a failed reading shows the error
    // and closes the window, so that no later save can overwrite a file that could not be
    // read. Answers whether the window may open.
    bool Abrir();

    // Startup and navigation.
    void Form_Load();
    void MostrarTarifa();
    void TabStrip1_Click();
    void ActivarControles();
    void MostrarRegistro();
    void txtNombre_Click();
    void ssTab_Click(std::int16_t PreviousTab);
    void hs_Change();

    // Field stores.
    void txtNombre_LostFocus();
    void conImporte_LostFocus();
    void conTiempo_LostFocus();
    void semImporte_LostFocus();
    void semInicio_LostFocus();
    void semFin_LostFocus();
    void sabImporte_LostFocus();
    void sabInicio_LostFocus();
    void sabFin_LostFocus();
    void fesImporte_LostFocus();
    void fesInicio_LostFocus();
    void fesFin_LostFocus();

    // Commands and the protection of the built-in names.
    void cmdAceptar_Click();
    void cmdCancelar_Click();
    void cmdSalvar_Click();
    void cmdRestaurar_Click();
    void cmdNuevo_Click();
    void cmdCopiar_Click();
    void cmdBorrar_Click();
    // The window is closed other than by Aceptar or Cancelar (its close button, the window
    // manager), the field being edited already stored: with changes not saved the user is
    // asked whether to save them. True when the window may close.
    bool Form_QueryUnload();
    // Whether the tariffs differ from what this window last read or saved.
    bool HayCambios() const;
    void txtNombre_KeyDown(std::int16_t& KeyCode, std::int16_t Shift);
    void txtNombre_KeyPress(std::int16_t& KeyAscii);
    // The edit text is about to change other than by a typed character (paste, drop, input
    // method): refused on a built-in tariff with the same message as a typed key.
    bool txtNombre_Cambiar();

    const cCatalogo& Catalogo() const noexcept { return m_Catalogo; }
    std::int16_t Indice() const noexcept { return m_Indice; }
    // Every control of the window by name, nullptr for an unknown name.
    Control* Buscar(std::string_view nombre) noexcept;

    ImageCombo txtNombre{"txtNombre"};
    Label lRegistro{"lRegistro"};
    ScrollBar hs{"hs"};
    TextBox conImporte{"conImporte"};
    TimeSpinner conTiempo{"conTiempo"};
    SSTab ssTab{"ssTab", 3};
    TabStrip TabStrip1{"TabStrip1", 2};
    TextBox semImporte{"semImporte"};
    TimeSpinner semInicio{"semInicio"};
    TimeSpinner semFin{"semFin"};
    TextBox sabImporte{"sabImporte"};
    TimeSpinner sabInicio{"sabInicio"};
    TimeSpinner sabFin{"sabFin"};
    TextBox fesImporte{"fesImporte"};
    TimeSpinner fesInicio{"fesInicio"};
    TimeSpinner fesFin{"fesFin"};
    Button cmdAceptar{"cmdAceptar", "&Aceptar"};
    Button cmdCancelar{"cmdCancelar", "&Cancelar"};
    Button cmdNuevo{"cmdNuevo", "&Nuevo"};
    Button cmdBorrar{"cmdBorrar", "&Borrar"};
    Button cmdCopiar{"cmdCopiar", "C&opiar"};
    Button cmdRestaurar{"cmdRestaurar", "&Restaurar"};
    Button cmdSalvar{"cmdSalvar", "&Salvar"};

  private:
    // The three band fields of a day page.
    struct Pagina {
        TextBox& importe;
        TimeSpinner& inicio;
        TimeSpinner& fin;
    };
    using Campo = tTarifa::Campo;
    Pagina PaginaDe(ClaseDia dia) noexcept;
    // The day page's tab and back; the band tab shown.
    static std::int16_t TabDe(ClaseDia dia) noexcept;
    static ClaseDia DiaDeTab(std::int16_t tab) noexcept;
    static std::int16_t TabDe(ClaseBanda banda) noexcept;
    ClaseDia DiaMostrado() const noexcept { return DiaDeTab(ssTab.Tab()); }
    ClaseBanda BandaMostrada() const noexcept;
    // The field of the band shown, on day page `dia`.
    const Campo& CampoMostrado(ClaseDia dia, ParteBanda parte) const noexcept {
        return tTarifa::CampoDe(dia, BandaMostrada(), parte);
    }

    std::string Texto(const Campo& campo) const;
    double Fecha(const Campo& campo) const;
    void Guardar(const Campo& campo, const TimeSpinner& control);
    void GuardarFin(const Campo& campo, const TimeSpinner& control);
    // Charges: drawn the user's way, stored in the engine's form, warned when what the box
    // shows is not what is charged.
    void DibujarImporte(TextBox& campo, const Campo& dato);
    void GuardarImporte(const Campo& dato, TextBox& campo);
    void ComprobarImporte(TextBox& campo, const Campo& dato);
    void Avisar(std::string_view segundaLinea);
    void MostrarError(const std::exception& e);

    // Every tariff has its entry in the name list, whatever path appended it.
    void CompletarLista();
    // The name store as the user's leaving of the field runs it: it also warns at once of
    // a name with which the saved file would end its list before this tariff.
    void SalirDeNombre();
    // Salvar and Aceptar: nothing is written when the catalogue has an error of
    // ProblemasDelCatalogo (the first one is shown, with what to do), when the user does not
    // want a doubt saved, or when another program saved the file since this window read it
    // and the user does not want it overwritten. True when the catalogue is on disk.
    bool Salvar();
    bool SePuedeSalvar();
    void Recordar();
    void MostrarCampo(std::int16_t indice, std::int16_t pagina, std::int16_t banda);
    // Where a field is shown: its day page and band tab (0: leave the band as it is), and
    // its name in messages.
    struct Lugar {
        std::int16_t pagina, banda;
        std::string nombre;
    };
    static Lugar LugarDe(const Campo* campo);

    // What Tarifas.Dat was when this window last read or wrote it.
    struct Sello {
        bool existe = false;
        std::filesystem::file_time_type hora{};
        std::uintmax_t bytes = 0;
        bool operator==(const Sello&) const = default;
    };
    Sello SelloActual() const;

    IVentana& m_Ventana;
    cCatalogo m_Catalogo;
    std::int16_t m_Indice = 0;
    std::array<Control*, 23> m_Controles;
    // The stored text each charge box was drawn from, written back as it was when the
    // user has not edited the box (an old "0,15" must keep costing what it did).
    std::map<const TextBox*, std::string> m_Dibujado;
    std::optional<Sello> m_Sello;
    // The tariffs as last read or saved.
    std::vector<tTarifa> m_Salvado;
};

}  // namespace quelmar::editor
