#include "editor/Controles.h"

#include <algorithm>

#include "runtime/OleDate.h"
#include "runtime/RuntimeError.h"

namespace quelmar::editor {

void TextBox::SalirFoco() {
    if (Enabled() && LostFocus) LostFocus();
}

int TimeSpinner::Hora() const noexcept {
    return fecha::EsValida(m_Value) ? fecha::Descomponer(m_Value).hora : 0;
}

int TimeSpinner::Minuto() const noexcept {
    return fecha::EsValida(m_Value) ? fecha::Descomponer(m_Value).minuto : 0;
}

void TimeSpinner::EditarHora(int hora, int minuto) {
    m_Value = fecha::DesdeHora(std::clamp(hora, 0, 23), std::clamp(minuto, 0, 59), 0);
    m_Editado = true;
}

void TimeSpinner::SalirFoco() {
    if (Enabled() && LostFocus) LostFocus();
}

void ImageCombo::ComprobarPosicion(std::int32_t pos) const {
    if (pos < 1 || pos > ListCount())
        Lanzar(kFueraDeRango, "no hay entrada " + std::to_string(pos));
}

const ComboItem& ImageCombo::Item(std::int32_t pos) const {
    ComprobarPosicion(pos);
    return m_Items[static_cast<std::size_t>(pos - 1)];
}

void ImageCombo::AddItem(std::string texto, std::int16_t image, std::int16_t selImage) {
    m_Items.push_back(ComboItem{std::move(texto), image, selImage});
    ++m_RevisionLista;
}

void ImageCombo::RemoveItem(std::int32_t pos) {
    ComprobarPosicion(pos);
    m_Items.erase(m_Items.begin() + (pos - 1));
    if (m_SelectedItem == pos) {
        m_SelectedItem = 0;
    } else if (m_SelectedItem > pos) {
        --m_SelectedItem;
    }
    ++m_RevisionLista;
}

void ImageCombo::ItemText(std::int32_t pos, std::string texto) {
    ComprobarPosicion(pos);
    m_Items[static_cast<std::size_t>(pos - 1)].Text = std::move(texto);
    ++m_RevisionTextos;
}

void ImageCombo::ClearItems() {
    m_Items.clear();
    m_SelectedItem = 0;
    ++m_RevisionLista;
}

void ImageCombo::Elegir(std::int32_t pos) {
    if (!Enabled()) return;
    ComprobarPosicion(pos);
    if (m_Editado && LostFocus) {
        LostFocus();
        ComprobarPosicion(pos);
    }
    m_SelectedItem = pos;
    m_Text = m_Items[static_cast<std::size_t>(pos - 1)].Text;
    Tocar();
    if (Click) Click();
}

void ImageCombo::PulsarTecla(std::int16_t& KeyCode, std::int16_t Shift) {
    if (Enabled() && KeyDown) KeyDown(KeyCode, Shift);
}

void ImageCombo::TeclearCaracter(std::int16_t& KeyAscii) {
    if (Enabled() && KeyPress) KeyPress(KeyAscii);
}

bool ImageCombo::PedirCambio() {
    if (!Enabled()) return false;
    return Cambiar ? Cambiar() : true;
}

void ImageCombo::SalirFoco() {
    if (Enabled() && LostFocus) LostFocus();
}

void SSTab::Seleccionar(std::int16_t tab) {
    if (tab < 0 || tab >= m_Tabs) Lanzar(kFueraDeRango, "no hay página " + std::to_string(tab));
    const std::int16_t previo = m_Tab;
    m_Tab = tab;
    Tocar();
    if (Click) Click(previo);
}

void TabStrip::Seleccionar(std::int16_t pos) {
    if (pos < 1 || pos > m_Tabs) Lanzar(kFueraDeRango, "no hay pestaña " + std::to_string(pos));
    m_SelectedItem = pos;
    Tocar();
    if (Click) Click();
}

void ScrollBar::Poner(std::int16_t v) {
    m_Value = v;
    Tocar();
    if (Change) Change();
}

void ScrollBar::Ajustar() {
    const std::int16_t lo = std::min(m_Min, m_Max);
    const std::int16_t hi = std::max(m_Min, m_Max);
    const std::int16_t v = std::clamp(m_Value, lo, hi);
    if (v != m_Value) Poner(v);
}

void ScrollBar::Min(std::int16_t v) {
    m_Min = v;
    Tocar();
    Ajustar();
}

void ScrollBar::Max(std::int16_t v) {
    m_Max = v;
    Tocar();
    Ajustar();
}

void ScrollBar::Value(std::int16_t v) {
    if (v < std::min(m_Min, m_Max) || v > std::max(m_Min, m_Max))
        Lanzar(kValorPropiedadNoValido,
               "posición " + std::to_string(v) + " de la barra fuera de su rango");
    if (v != m_Value) Poner(v);
}

void ScrollBar::Mover(std::int16_t v) {
    if (Enabled()) Value(v);
}

void Button::Pulsar() {
    if (Enabled() && Click) Click();
}

}  // namespace quelmar::editor
