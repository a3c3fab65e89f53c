#include "editor/Form1.h"

#include <algorithm>
#include <exception>
#include <vector>

#include "catalogue/Validez.h"
#include "runtime/CodePage.h"
#include "runtime/Importe.h"
#include "runtime/Locale.h"
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
    txtNombre.LostFocus = [this] { SalirDeNombre(); };
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

std::string Form1::Texto(const Campo& campo) const {
    return CStr(m_Catalogo.Valor(m_Indice, campo));
}

double Form1::Fecha(const Campo& campo) const {
    // A stored date is taken as it is, bit for bit, whatever its value.
    const Variant v = m_Catalogo.Valor(m_Indice, campo);
    return v.EsFecha() ? v.fecha() : CDate(v);
}

void Form1::DibujarImporte(TextBox& campo, const Campo& dato) {
    const bool hay = m_Catalogo.Count() != 0;
    const std::string guardado = hay ? Texto(dato) : std::string("0");
    campo.Text(ImporteParaUsuario(guardado, LocaleActual().separadorDecimal));
    m_Dibujado[&campo] = guardado;
    ComprobarImporte(campo, dato);
}

void Form1::GuardarImporte(const Campo& dato, TextBox& campo) {
    // A box the user has not touched goes back as it was drawn; a typed amount in the
    // user's form is stored in the engine's; any other text is kept as typed and shows
    // what it costs (Salvar refuses one without a number).
    std::string texto = campo.Text();
    if (!campo.Editado()) {
        const auto it = m_Dibujado.find(&campo);
        if (it != m_Dibujado.end()) texto = it->second;
    } else if (auto motor = ImporteDeUsuario(texto, LocaleActual().separadorDecimal)) {
        texto = std::move(*motor);
    }
    m_Catalogo.Valor(m_Indice, dato, Variant(texto));
    ComprobarImporte(campo, dato);
}

void Form1::ComprobarImporte(TextBox& campo, const Campo& dato) {
    const bool hay = m_Catalogo.Count() != 0;
    const std::string guardado = hay ? Texto(dato) : std::string("0");
    const auto cobrado = ImporteDistinto(campo.Text(), guardado, LocaleActual().separadorDecimal);
    campo.Aviso(cobrado ? std::string(kSeCobraComo) + *cobrado : std::string());
}

void Form1::Guardar(const Campo& campo, const TimeSpinner& control) {
    m_Catalogo.Valor(m_Indice, campo, Variant::DeFecha(control.Value()));
}

// An end the user set is stored by the end-of-minute rule (FinDeMinuto).
void Form1::GuardarFin(const Campo& campo, const TimeSpinner& control) {
    const double fin = FinDeMinuto(fecha::Hora(control.Value()), fecha::Minuto(control.Value()));
    m_Catalogo.Valor(m_Indice, campo, Variant::DeFecha(fin));
}

Form1::Pagina Form1::PaginaDe(ClaseDia dia) noexcept {
    switch (dia) {
        case ClaseDia::Semana:
            return {semImporte, semInicio, semFin};
        case ClaseDia::Sabado:
            return {sabImporte, sabInicio, sabFin};
        case ClaseDia::Festivo:
            return {fesImporte, fesInicio, fesFin};
    }
    return {semImporte, semInicio, semFin};
}

// The day tabs are in the record's order.
std::int16_t Form1::TabDe(ClaseDia dia) noexcept {
    return static_cast<std::int16_t>(Orden(dia));
}

ClaseDia Form1::DiaDeTab(std::int16_t tab) noexcept {
    for (const ClaseDia d : kClasesDia)
        if (TabDe(d) == tab) return d;
    return ClaseDia::Semana;
}

std::int16_t Form1::TabDe(ClaseBanda banda) noexcept {
    switch (banda) {
        case ClaseBanda::Normal:
            return 1;
        case ClaseBanda::Reducida:
            return 2;
    }
    return 1;
}

ClaseBanda Form1::BandaMostrada() const noexcept {
    return TabStrip1.SelectedItem() == TabDe(ClaseBanda::Reducida) ? ClaseBanda::Reducida
                                                                   : ClaseBanda::Normal;
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
    // Taken before the reading: a file replaced meanwhile counts as changed, never the
    // other way round.
    const Sello sello = SelloActual();
    m_Catalogo.Load();
    m_Sello = sello;
    Recordar();
    const std::int16_t n = m_Catalogo.Count();
    if (n != 0) m_Indice = 0;
    txtNombre.ClearItems();
    txtNombre.ReservarItems(n);
    for (std::int16_t i = 0; i < n; ++i)
        txtNombre.AddItem(CStr(m_Catalogo.Valor(i, tTarifa::CampoNombre())), kImagen, kImagen);
    MostrarTarifa();
    // A file that shrank below the position shown pulls the scroll bar to its new last
    // tariff, and the nested Change shows that one: the first is the one to show.
    if (n != 0 && m_Indice != 0) {
        m_Indice = 0;
        MostrarTarifa();
    }
    // Shown, not repaired: the file is only written when the user saves.
    if (m_Catalogo.BytesSueltos() != 0)
        m_Ventana.MsgBox(cCatalogo::DescribirCortado("El catálogo " + m_Catalogo.Ruta().string(),
                                                     m_Catalogo.BytesLeidos()) +
                             ".\rSe muestran las " + std::to_string(n) +
                             " tarifas enteras; el fichero no cambia hasta que pulse «Salvar».",
                         IVentana::vbCritical, std::string(kTituloAviso));
}

void Form1::MostrarTarifa() {
    const bool hay = m_Catalogo.Count() != 0;
    txtNombre.Text(hay ? Texto(tTarifa::CampoNombre()) : std::string());
    DibujarImporte(conImporte, tTarifa::CampoConexionImporte());
    conTiempo.Value(hay ? Fecha(tTarifa::CampoConexionTiempo()) : CDate(Variant("0:0")));
    TabStrip1_Click();
    ActivarControles();
    MostrarRegistro();
}

void Form1::TabStrip1_Click() {
    const ClaseDia dia = DiaMostrado();
    const Pagina p = PaginaDe(dia);
    const bool hay = m_Catalogo.Count() != 0;
    DibujarImporte(p.importe, CampoMostrado(dia, ParteBanda::Importe));
    p.inicio.Value(hay ? Fecha(CampoMostrado(dia, ParteBanda::Inicio)) : CDate(Variant("0:0")));
    p.fin.Value(hay ? Fecha(CampoMostrado(dia, ParteBanda::Fin)) : CDate(Variant("0:0")));
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
    const ClaseDia dia = DiaMostrado();
    const Pagina p = PaginaDe(dia);
    // The fields shown so far belong to tariff m_Indice. An end drawn from the file goes
    // back as the spinner holds it, bit for bit; one the user set gets the end-of-minute
    // rule, as leaving the field gave it, so that the stored end never depends on whether
    // the field was left for the scroll bar or for another field.
    GuardarImporte(CampoMostrado(dia, ParteBanda::Importe), p.importe);
    Guardar(CampoMostrado(dia, ParteBanda::Inicio), p.inicio);
    if (p.fin.Editado()) {
        GuardarFin(CampoMostrado(dia, ParteBanda::Fin), p.fin);
    } else {
        Guardar(CampoMostrado(dia, ParteBanda::Fin), p.fin);
    }
    txtNombre_LostFocus();
    const std::int16_t viejo = m_Indice;
    m_Indice = static_cast<std::int16_t>(hs.Value() - 1);
    if (hs.Value() != viejo + 1) MostrarTarifa();
}

// ---- field stores ----

void Form1::txtNombre_LostFocus() {
    // A name shown as stored goes back as stored: the blanks before it, which the field
    // does not show, are kept, so that a catalogue opened and saved is the same file.
    if (txtNombre.Text() != Texto(tTarifa::CampoNombre()))
        m_Catalogo.Valor(m_Indice, tTarifa::CampoNombre(), Variant(txtNombre.Text()));
    // A tariff appended by Nuevo or Copiar joins the list here.
    if (txtNombre.ListCount() < m_Indice + 1) txtNombre.AddItem(txtNombre.Text(), kImagen, kImagen);
    const std::string nombre = Texto(tTarifa::CampoNombre());
    txtNombre.ItemText(m_Indice + 1, nombre);
    txtNombre.Text(nombre);
}

void Form1::conImporte_LostFocus() {
    GuardarImporte(tTarifa::CampoConexionImporte(), conImporte);
}
void Form1::conTiempo_LostFocus() {
    Guardar(tTarifa::CampoConexionTiempo(), conTiempo);
}
void Form1::semImporte_LostFocus() {
    GuardarImporte(CampoMostrado(ClaseDia::Semana, ParteBanda::Importe), semImporte);
}
void Form1::semInicio_LostFocus() {
    Guardar(CampoMostrado(ClaseDia::Semana, ParteBanda::Inicio), semInicio);
}
void Form1::semFin_LostFocus() {
    GuardarFin(CampoMostrado(ClaseDia::Semana, ParteBanda::Fin), semFin);
}
void Form1::sabImporte_LostFocus() {
    GuardarImporte(CampoMostrado(ClaseDia::Sabado, ParteBanda::Importe), sabImporte);
}
void Form1::sabInicio_LostFocus() {
    Guardar(CampoMostrado(ClaseDia::Sabado, ParteBanda::Inicio), sabInicio);
}
void Form1::sabFin_LostFocus() {
    GuardarFin(CampoMostrado(ClaseDia::Sabado, ParteBanda::Fin), sabFin);
}
void Form1::fesImporte_LostFocus() {
    GuardarImporte(CampoMostrado(ClaseDia::Festivo, ParteBanda::Importe), fesImporte);
}
void Form1::fesInicio_LostFocus() {
    Guardar(CampoMostrado(ClaseDia::Festivo, ParteBanda::Inicio), fesInicio);
}
void Form1::fesFin_LostFocus() {
    GuardarFin(CampoMostrado(ClaseDia::Festivo, ParteBanda::Fin), fesFin);
}

// ---- commands ----

void Form1::cmdAceptar_Click() {
    // Close only once the work is safely on disk.
    if (Salvar()) m_Ventana.Cerrar();
}

void Form1::cmdCancelar_Click() {
    m_Ventana.Cerrar();
}

void Form1::cmdSalvar_Click() {
    Salvar();
}

void Form1::cmdRestaurar_Click() {
    // With no file to read, reading would empty the window: its tariffs are kept instead.
    if (!FicherosUtil::ExisteFichero(m_Catalogo.Ruta())) {
        m_Ventana.MsgBox("No hay nada que restaurar: «" + m_Catalogo.Ruta().string() +
                             "» no existe.\rLa ventana conserva sus tarifas; «Salvar» las "
                             "escribe.",
                         IVentana::vbCritical, std::string(kTituloAviso));
        return;
    }
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
    CompletarLista();
    m_Ventana.FocoEn(txtNombre);
}

void Form1::cmdCopiar_Click() {
    m_Catalogo.Add();
    const std::int16_t origen = m_Indice;
    m_Indice = static_cast<std::int16_t>(m_Catalogo.Count() - 1);
    m_Catalogo.Copy(m_Indice, origen);
    MostrarTarifa();
    CompletarLista();
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

void Form1::CompletarLista() {
    // The nested Change of the scroll bar appends a new tariff's entry, but runs only when
    // the bar's position moves: after an empty catalogue left the bar where it was, it
    // does not. The entries missing are appended here, in order.
    for (std::int16_t i = static_cast<std::int16_t>(txtNombre.ListCount()); i < m_Catalogo.Count();
         ++i)
        txtNombre.AddItem(CStr(m_Catalogo.Valor(i, tTarifa::CampoNombre())), kImagen, kImagen);
}

namespace {

std::string Citado(std::string_view bytes) {
    return "«" + Cp1252AUtf8(bytes) + "»";
}

// The tariff as the messages name it: its position as the record indicator shows it, and
// its name when it has one.
std::string NombrarTarifa(const cCatalogo& c, std::int16_t i) {
    const std::string nombre = CStr(c.Valor(i, tTarifa::CampoNombre()));
    std::string r = "la tarifa " + std::to_string(i + 1);
    if (!nombre.empty() && nombre.front() != '\0') r += " (" + Citado(nombre) + ")";
    return r;
}

constexpr std::string_view kIncorporadaSinNombre =
    "Es una de las tarifas del programa, cuyo nombre no se escribe aquí: cree el catálogo "
    "con «tarificador importar».";

constexpr std::string_view kComoNombre =
    "Escriba un nombre que empiece por una letra sin tilde, una cifra o un signo.";

// Why a name that ends the list does so, and what to do.
std::string PorQueNombre(std::string_view nombre, bool incorporada) {
    std::string r;
    const bool vacio = nombre.empty() || nombre.front() == '\0';
    if (vacio) {
        r = "No tiene nombre, y al leer el fichero la lista de tarifas terminaría antes de "
            "ella.";
    } else {
        r = "Su nombre empieza por " + Citado(nombre.substr(0, 1)) +
            ", y al leer el fichero la lista de tarifas terminaría antes de ella.";
    }
    if (incorporada) return r + "\r" + std::string(kIncorporadaSinNombre);
    return r + "\r" + std::string(vacio ? "Escriba su nombre en «Nombre»." : kComoNombre);
}

}  // namespace

void Form1::SalirDeNombre() {
    txtNombre_LostFocus();
    if (m_Catalogo.Count() == 0 || m_Indice < kIncorporadas || m_Catalogo.NombreSeLee(m_Indice))
        return;
    m_Ventana.MsgBox(
        "Este nombre no se puede salvar.\r" +
            PorQueNombre(CStr(m_Catalogo.Valor(m_Indice, tTarifa::CampoNombre())), false),
        IVentana::vbCritical, std::string(kTituloAviso));
}

Form1::Sello Form1::SelloActual() const {
    Sello s;
    std::error_code ec;
    const std::filesystem::path ruta = m_Catalogo.Ruta();
    if (!std::filesystem::is_regular_file(ruta, ec)) return s;
    s.existe = true;
    s.hora = std::filesystem::last_write_time(ruta, ec);
    s.bytes = std::filesystem::file_size(ruta, ec);
    return s;
}

void Form1::MostrarCampo(std::int16_t indice, std::int16_t pagina, std::int16_t banda) {
    m_Indice = indice;
    MostrarTarifa();
    if (ssTab.Tab() != pagina) ssTab.Seleccionar(pagina);
    if (banda != 0 && TabStrip1.SelectedItem() != banda) TabStrip1.Seleccionar(banda);
}

Form1::Lugar Form1::LugarDe(const Campo* campo) {
    const std::string_view clave = campo ? campo->clave : std::string_view();
    Lugar l{0, 0, std::string(clave)};
    if (const auto lugar = campo ? tTarifa::LugarDe(*campo) : std::nullopt) {
        l.pagina = TabDe(lugar->dia);
        l.banda = TabDe(lugar->banda);
    }
    // The field as the messages name it: "Semana, Normal, Importe".
    for (std::size_t k = l.nombre.find('.'); k != std::string::npos; k = l.nombre.find('.', k))
        l.nombre.replace(k, 1, ", ");
    return l;
}

bool Form1::SePuedeSalvar() {
    const auto negar = [this](const std::string& texto) {
        m_Ventana.MsgBox("No se ha salvado nada: " + texto, IVentana::vbCritical,
                         std::string(kTituloAviso));
        return false;
    };
    const std::vector<Problema> problemas = ProblemasDelCatalogo(m_Catalogo.Tarifas());
    const Problema* duda = nullptr;
    std::size_t dudas = 0;
    for (const Problema& p : problemas) {
        if (p.gravedad == Gravedad::Duda) {
            if (!duda) duda = &p;
            ++dudas;
            continue;
        }
        const auto i = static_cast<std::int16_t>(p.posicion);
        const std::string nombre =
            p.campo ? CStr(m_Catalogo.Valor(i, tTarifa::CampoNombre())) : std::string();
        const Lugar lugar = LugarDe(p.campo);
        switch (p.motivo) {
            case Motivo::DemasiadasTarifas:
                return negar("el catálogo tiene " + std::to_string(m_Catalogo.Count()) +
                             " tarifas, más de " + std::to_string(cCatalogo::kMaxTarifasFichero) +
                             " tarifas, que es lo que cabe en el fichero.\rBorre alguna tarifa.");
            case Motivo::NombreCortaLista:
                MostrarCampo(i, ssTab.Tab(), 0);
                return negar(NombrarTarifa(m_Catalogo, i) + " no se leería del fichero, " +
                             "ni ninguna de las que la siguen.\r" +
                             PorQueNombre(nombre, i < kIncorporadas));
            case Motivo::NombreEnBlanco:
                MostrarCampo(i, ssTab.Tab(), 0);
                return negar(NombrarTarifa(m_Catalogo, i) + " tiene el nombre en blanco, y " +
                             "ninguna llamada podría elegirla por su nombre.\r" +
                             (i < kIncorporadas ? std::string(kIncorporadaSinNombre)
                                                : std::string("Escriba su nombre en «Nombre».")));
            case Motivo::ImporteSinNumero:
                MostrarCampo(i, lugar.pagina, lugar.banda);
                return negar("en " + NombrarTarifa(m_Catalogo, i) + ", el importe de «" +
                             lugar.nombre + "» (" + Citado(CStr(m_Catalogo.Valor(i, *p.campo))) +
                             ") no es un número y se cobraría como 0." +
                             "\rEscriba un importe como 0" + LocaleActual().separadorDecimal +
                             "15, o 0 si no se cobra.");
            case Motivo::HoraFueraDelDia:
                MostrarCampo(i, lugar.pagina, lugar.banda);
                return negar("en " + NombrarTarifa(m_Catalogo, i) + ", «" + lugar.nombre +
                             "»: " + p.razon + ".\rEscriba una hora entre 00:00:00 y 23:59:59.");
            case Motivo::NombreRepetido:
                break;
        }
    }
    if (!duda) return true;
    const auto i = static_cast<std::int16_t>(duda->posicion);
    const auto otra = static_cast<std::int16_t>(duda->otra);
    std::string texto = NombrarTarifa(m_Catalogo, i) + " se llama como " +
                        NombrarTarifa(m_Catalogo, otra) +
                        ": al elegir una tarifa por su nombre solo se encontraría la " +
                        std::to_string(otra + 1) + ".";
    if (dudas > 1) texto += " Hay " + std::to_string(dudas - 1) + " nombres repetidos más.";
    MostrarCampo(i, ssTab.Tab(), 0);
    return m_Ventana.Preguntar(texto + "\r¿Salvar de todos modos?", std::string(kTituloAviso));
}

bool Form1::Salvar() {
    if (!SePuedeSalvar()) return false;
    if (m_Sello && SelloActual() != *m_Sello &&
        !m_Ventana.Preguntar(
            "Tarifas.Dat ha cambiado desde que esta ventana lo leyó: otra ventana o "
            "«tarificador importar» lo ha salvado.\r¿Salvar encima las tarifas de esta "
            "ventana? Con «No» no se escribe nada; «Restaurar» lee las del fichero.",
            std::string(kTituloAviso)))
        return false;
    try {
        m_Catalogo.Save();
    } catch (const RuntimeError& e) {
        MostrarError(e);
        return false;
    }
    m_Sello = SelloActual();
    Recordar();
    return true;
}

void Form1::Recordar() {
    const auto t = m_Catalogo.Tarifas();
    m_Salvado.assign(t.begin(), t.end());
}

bool Form1::HayCambios() const {
    return !std::ranges::equal(m_Catalogo.Tarifas(), m_Salvado);
}

bool Form1::Form_QueryUnload() {
    if (!HayCambios()) return true;
    switch (
        m_Ventana.PreguntarConCancelar(std::string(kSalvarCambios), std::string(kTituloAviso))) {
        case IVentana::vbYes:
            return Salvar();  // a failed save keeps the window and its tariffs
        case IVentana::vbNo:
            return true;
        default:
            return false;
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
