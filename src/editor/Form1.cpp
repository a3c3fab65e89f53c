#include "editor/Form1.h"

#include <exception>

#include "runtime/OleDate.h"
#include "runtime/RuntimeError.h"
#include "runtime/Variant.h"

namespace quelmar::editor {

Form1::Form1(IVentana& ventana, std::filesystem::path carpeta, std::shared_ptr<Escritura> escritura)
    : m_Ventana(ventana),
      m_Catalogo(std::move(carpeta), std::move(escritura)),
      m_Controles{&txtNombre, &lRegistro,  &hs,        &conImporte,   &conTiempo,  &ssTab,
                  &TabStrip1, &semImporte, &semInicio, &semFin,       &sabImporte, &sabInicio,
                  &sabFin,    &fesImporte, &fesInicio, &fesFin,       &cmdAceptar, &cmdCancelar,
                  &cmdNuevo,  &cmdBorrar,  &cmdCopiar, &cmdRestaurar, &cmdSalvar} {
    txtNombre.Click = [this] { txtNombre_Click(); };
    txtNombre.LostFocus = [this] { txtNombre_LostFocus(); };
    txtNombre.KeyDown = [this](std::int16_t& k, std::int16_t s) { txtNombre_KeyDown(k, s); };
    txtNombre.KeyPress = [this](std::int16_t& k) { txtNombre_KeyPress(k); };
    txtNombre.Cambiar = [this] { return txtNombre_Cambiar(); };
    hs.Change = [this] { hs_Change(); };
    ssTab.Click = [this](std::int16_t previo) { ssTab_Click(previo); };
    TabStrip1.Click = [this] { TabStrip1_Click(); };
    conImporte.LostFocus = [this] { conImporte_LostFocus(); };
    conTiempo.LostFocus = [this] { conTiempo_LostFocus(); };
    semImporte.LostFocus = [this] { semImporte_LostFocus(); };
    semInicio.LostFocus = [this] { semInicio_LostFocus(); };
    semFin.LostFocus = [this] { semFin_LostFocus(); };
    sabImporte.LostFocus = [this] { sabImporte_LostFocus(); };
    sabInicio.LostFocus = [this] { sabInicio_LostFocus(); };
    sabFin.LostFocus = [this] { sabFin_LostFocus(); };
    fesImporte.LostFocus = [this] { fesImporte_LostFocus(); };
    fesInicio.LostFocus = [this] { fesInicio_LostFocus(); };
    fesFin.LostFocus = [this] { fesFin_LostFocus(); };
    cmdAceptar.Click = [this] { cmdAceptar_Click(); };
    cmdCancelar.Click = [this] { cmdCancelar_Click(); };
    cmdSalvar.Click = [this] { cmdSalvar_Click(); };
    cmdRestaurar.Click = [this] { cmdRestaurar_Click(); };
    cmdNuevo.Click = [this] { cmdNuevo_Click(); };
    cmdCopiar.Click = [this] { cmdCopiar_Click(); };
    cmdBorrar.Click = [this] { cmdBorrar_Click(); };
}

Control* Form1::Buscar(std::string_view nombre) noexcept {
    for (Control* c : m_Controles)
        if (c->Name() == nombre) return c;
    return nullptr;
}

// ---- values ----

std::string Form1::Texto(std::string_view clave) const {
    return CStr(m_Catalogo.Valor(m_Indice, clave));
}

double Form1::Fecha(std::string_view clave) const {
    // A stored date is taken as it is, bit for bit, whatever its value.
    const Variant v = m_Catalogo.Valor(m_Indice, clave);
    return v.EsFecha() ? v.fecha() : CDate(v);
}

void Form1::Guardar(std::string_view clave, const TextBox& campo) {
    m_Catalogo.Valor(m_Indice, clave, Variant(campo.Text()));
}

void Form1::Guardar(std::string_view clave, const TimeSpinner& campo) {
    m_Catalogo.Valor(m_Indice, clave, Variant::DeFecha(campo.Value()));
}

// The end-of-minute rule: an end h:m means up to the last second of that minute, except
// 00:00, which stays the very start of the day.
void Form1::GuardarFin(std::string_view clave, const TimeSpinner& campo) {
    const int h = fecha::Hora(campo.Value());
    const int m = fecha::Minuto(campo.Value());
    const int s = (h == 0 && m == 0) ? 0 : 59;
    m_Catalogo.Valor(m_Indice, clave, Variant::DeFecha(fecha::DesdeHora(h, m, s)));
}

Form1::Pagina Form1::PaginaDe(std::int16_t tab) noexcept {
    switch (tab) {
        case 1:
            return {sabImporte, sabInicio, sabFin};
        case 2:
            return {fesImporte, fesInicio, fesFin};
        default:
            return {semImporte, semInicio, semFin};
    }
}

std::string Form1::PrefijoDia(std::int16_t tab) {
    switch (tab) {
        case 1:
            return "Sabado.";
        case 2:
            return "Festivo.";
        default:
            return "Semana.";
    }
}

std::string Form1::PrefijoBanda() const {
    return TabStrip1.SelectedItem() == 2 ? "Reducida." : "Normal.";
}

void Form1::Avisar(std::string_view segundaLinea) {
    m_Ventana.MsgBox(std::string(kAvisoIncorporada) + "\r" + std::string(segundaLinea),
                     IVentana::vbCritical, std::string(kTituloAviso));
}

void Form1::MostrarError(const std::exception& e) {
    m_Ventana.MsgBox(e.what(), IVentana::vbCritical, std::string(kTituloAviso));
}

// ---- startup and navigation ----

bool Form1::Abrir() {
    try {
        Form_Load();
        return true;
    } catch (const RuntimeError& e) {
        MostrarError(e);
        m_Ventana.Cerrar();
        return false;
    }
}

void Form1::Form_Load() {
    m_Catalogo.Load();
    const std::int16_t n = m_Catalogo.Count();
    if (n != 0) m_Indice = 0;
    txtNombre.ClearItems();
    txtNombre.ReservarItems(n);
    for (std::int16_t i = 0; i < n; ++i)
        txtNombre.AddItem(CStr(m_Catalogo.Valor(i, "Nombre")), kImagen, kImagen);
    MostrarTarifa();
}

void Form1::MostrarTarifa() {
    const bool hay = m_Catalogo.Count() != 0;
    txtNombre.Text(hay ? Texto("Nombre") : std::string());
    conImporte.Text(hay ? Texto("Conexion.Importe") : std::string("0"));
    conTiempo.Value(hay ? Fecha("Conexion.Tiempo") : CDate(Variant("0:0")));
    TabStrip1_Click();
    ActivarControles();
    MostrarRegistro();
}

void Form1::TabStrip1_Click() {
    const Pagina p = PaginaDe(ssTab.Tab());
    const std::string prefijo = Prefijo();
    const bool hay = m_Catalogo.Count() != 0;
    p.importe.Text(hay ? Texto(prefijo + "Importe") : std::string("0"));
    p.inicio.Value(hay ? Fecha(prefijo + "Inicio") : CDate(Variant("0:0")));
    p.fin.Value(hay ? Fecha(prefijo + "Fin") : CDate(Variant("0:0")));
}

void Form1::ActivarControles() {
    const bool hay = m_Catalogo.Count() != 0;
    for (Control* c : std::initializer_list<Control*>{&txtNombre, &conImporte, &conTiempo,
                                                      &semImporte, &semInicio, &semFin, &sabImporte,
                                                      &sabInicio, &sabFin, &fesImporte, &fesInicio,
                                                      &fesFin, &cmdCopiar, &cmdSalvar, &cmdBorrar})
        c->Enabled(hay);
}

void Form1::MostrarRegistro() {
    const std::int16_t n = m_Catalogo.Count();
    if (n != 0) {
        lRegistro.Caption(std::to_string(m_Indice + 1) + "/" + std::to_string(n));
        hs.Enabled(true);
        hs.Max(n);
        hs.Min(1);
        hs.Value(static_cast<std::int16_t>(m_Indice + 1));
    } else {
        lRegistro.Caption("Vacio");
        hs.Enabled(false);
    }
}

void Form1::txtNombre_Click() {
    m_Indice = static_cast<std::int16_t>(txtNombre.SelectedItem() - 1);
    MostrarTarifa();
}

void Form1::ssTab_Click(std::int16_t PreviousTab) {
    if (ssTab.Tab() != PreviousTab) TabStrip1_Click();
}

void Form1::hs_Change() {
    const Pagina p = PaginaDe(ssTab.Tab());
    const std::string prefijo = Prefijo();
    // The fields shown so far belong to tariff m_Indice; the end goes in as the spinner
    // holds it, without the end-of-minute rule.
    Guardar(prefijo + "Importe", p.importe);
    Guardar(prefijo + "Inicio", p.inicio);
    Guardar(prefijo + "Fin", p.fin);
    txtNombre_LostFocus();
    const std::int16_t viejo = m_Indice;
    m_Indice = static_cast<std::int16_t>(hs.Value() - 1);
    if (hs.Value() != viejo + 1) MostrarTarifa();
}

// ---- field stores ----

void Form1::txtNombre_LostFocus() {
    m_Catalogo.Valor(m_Indice, "Nombre", Variant(txtNombre.Text()));
    // A tariff appended by Nuevo or Copiar joins the list here.
    if (txtNombre.ListCount() < m_Indice + 1) txtNombre.AddItem(txtNombre.Text(), kImagen, kImagen);
    const std::string nombre = Texto("Nombre");
    txtNombre.ItemText(m_Indice + 1, nombre);
    txtNombre.Text(nombre);
}

void Form1::conImporte_LostFocus() {
    Guardar("Conexion.Importe", conImporte);
}
void Form1::conTiempo_LostFocus() {
    Guardar("Conexion.Tiempo", conTiempo);
}
void Form1::semImporte_LostFocus() {
    Guardar("Semana." + PrefijoBanda() + "Importe", semImporte);
}
void Form1::semInicio_LostFocus() {
    Guardar("Semana." + PrefijoBanda() + "Inicio", semInicio);
}
void Form1::semFin_LostFocus() {
    GuardarFin("Semana." + PrefijoBanda() + "Fin", semFin);
}
void Form1::sabImporte_LostFocus() {
    Guardar("Sabado." + PrefijoBanda() + "Importe", sabImporte);
}
void Form1::sabInicio_LostFocus() {
    Guardar("Sabado." + PrefijoBanda() + "Inicio", sabInicio);
}
void Form1::sabFin_LostFocus() {
    GuardarFin("Sabado." + PrefijoBanda() + "Fin", sabFin);
}
void Form1::fesImporte_LostFocus() {
    Guardar("Festivo." + PrefijoBanda() + "Importe", fesImporte);
}
void Form1::fesInicio_LostFocus() {
    Guardar("Festivo." + PrefijoBanda() + "Inicio", fesInicio);
}
void Form1::fesFin_LostFocus() {
    GuardarFin("Festivo." + PrefijoBanda() + "Fin", fesFin);
}

// ---- commands ----

void Form1::cmdAceptar_Click() {
    // Close only once the work is safely on disk.
    try {
        m_Catalogo.Save();
    } catch (const RuntimeError& e) {
        MostrarError(e);
        return;
    }
    m_Ventana.Cerrar();
}

void Form1::cmdCancelar_Click() {
    m_Ventana.Cerrar();
}

void Form1::cmdSalvar_Click() {
    try {
        m_Catalogo.Save();
    } catch (const RuntimeError& e) {
        MostrarError(e);
    }
}

void Form1::cmdRestaurar_Click() {
    // A failed reading leaves the catalogue as it was (Load is all or nothing), so the
    // tariffs in memory are kept and only the message tells of it.
    try {
        Form_Load();
    } catch (const RuntimeError& e) {
        MostrarError(e);
    }
}

void Form1::cmdNuevo_Click() {
    m_Catalogo.Add();
    m_Indice = static_cast<std::int16_t>(m_Catalogo.Count() - 1);
    MostrarTarifa();
    m_Ventana.FocoEn(txtNombre);
}

void Form1::cmdCopiar_Click() {
    m_Catalogo.Add();
    const std::int16_t origen = m_Indice;
    m_Indice = static_cast<std::int16_t>(m_Catalogo.Count() - 1);
    m_Catalogo.Copy(m_Indice, origen);
    MostrarTarifa();
    m_Ventana.FocoEn(txtNombre);
}

void Form1::cmdBorrar_Click() {
    if (m_Indice >= kIncorporadas) {
        m_Catalogo.Delete(m_Indice);
        txtNombre.RemoveItem(m_Indice + 1);
        m_Indice = 1;
        MostrarTarifa();
    } else {
        Avisar(kNoBorrar);
    }
}

void Form1::txtNombre_KeyDown(std::int16_t& KeyCode, [[maybe_unused]] std::int16_t Shift) {
    if (m_Indice < kIncorporadas && KeyCode == vbKeyDelete) {
        Avisar(kNoRenombrar);
        KeyCode = 0;
    }
}

void Form1::txtNombre_KeyPress(std::int16_t& KeyAscii) {
    if (m_Indice < kIncorporadas) {
        Avisar(kNoRenombrar);
        KeyAscii = 0;
    }
}

bool Form1::txtNombre_Cambiar() {
    if (m_Indice < kIncorporadas) {
        Avisar(kNoRenombrar);
        return false;
    }
    return true;
}

}  // namespace quelmar::editor
