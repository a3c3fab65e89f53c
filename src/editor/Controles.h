#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quelmar::editor {

// The controls of the editor window as plain objects: the state the handlers read and
// write, and the events they answer. No toolkit: a binding mirrors them into widgets and
// turns the user's actions into the calls marked "user".
//
// Writes from code (the handlers) raise Revision(), so a binding redraws exactly what the
// code touched; a user's edit does not, so a field keeps showing what was typed until the
// code draws it again. Texts are bytes of the Windows-1252 code page.

class Control {
  public:
    explicit Control(std::string nombre) : m_Nombre(std::move(nombre)) {}
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& Name() const noexcept { return m_Nombre; }
    std::uint64_t Revision() const noexcept { return m_Revision; }

    bool Enabled() const noexcept { return m_Enabled; }
    void Enabled(bool b) {
        m_Enabled = b;
        Tocar();
    }

  protected:
    void Tocar() noexcept { ++m_Revision; }

  private:
    std::string m_Nombre;
    std::uint64_t m_Revision = 0;
    bool m_Enabled = true;
};

// A one-line text box.
class TextBox : public Control {
  public:
    using Control::Control;

    const std::string& Text() const noexcept { return m_Text; }
    void Text(std::string s) {
        m_Text = std::move(s);
        m_Editado = false;
        Tocar();
    }
    // Whether the user changed the text since the code last wrote it.
    bool Editado() const noexcept { return m_Editado; }

    // A warning on what the box shows (the binding colours the box and gives it as the
    // tooltip); empty when all is well.
    const std::string& Aviso() const noexcept { return m_Aviso; }
    void Aviso(std::string s) {
        if (s == m_Aviso) return;
        m_Aviso = std::move(s);
        Tocar();
    }

    std::function<void()> LostFocus;

    // User: the text now reads `s` (typed, pasted...).
    void Teclear(std::string s) {
        m_Text = std::move(s);
        m_Editado = true;
    }
    // User: the focus left the box.
    void SalirFoco();

  private:
    std::string m_Text;
    std::string m_Aviso;
    bool m_Editado = false;
};

// The time spinner. It keeps the very double written into it, seconds and any date part
// included, and gives it back bit for bit until the user edits it, so that drawing a
// tariff and storing the fields back changes nothing.
class TimeSpinner : public Control {
  public:
    using Control::Control;

    double Value() const noexcept { return m_Value; }
    void Value(double d) {
        m_Value = d;
        m_Editado = false;
        Tocar();
    }
    // Whether the user set the time since the code last wrote it.
    bool Editado() const noexcept { return m_Editado; }
    // What it shows: hour and minute of the value, 0 for a value that is no date.
    int Hora() const noexcept;
    int Minuto() const noexcept;

    std::function<void()> LostFocus;

    // User: set hour and minute; the value becomes that time of day on day 0, no seconds.
    void EditarHora(int hora, int minuto);
    void SalirFoco();

  private:
    double m_Value = 0.0;
    bool m_Editado = false;
};

// One entry of the name list: its text and its image numbers in the image list.
struct ComboItem {
    std::string Text;
    std::int16_t Image = 0;
    std::int16_t SelImage = 0;
};

// The editable drop-down name list with an image per entry. Entry positions count from 1.
class ImageCombo : public Control {
  public:
    using Control::Control;

    // The edit text.
    const std::string& Text() const noexcept { return m_Text; }
    void Text(std::string s) {
        m_Text = std::move(s);
        m_Editado = false;
        Tocar();
    }
    // Whether the user changed the edit text since the code last wrote it.
    bool Editado() const noexcept { return m_Editado; }

    std::int32_t ListCount() const noexcept { return static_cast<std::int32_t>(m_Items.size()); }
    const ComboItem& Item(std::int32_t pos) const;
    // Appends an entry at the end.
    void AddItem(std::string texto, std::int16_t image, std::int16_t selImage);
    // Error 9 for a position outside 1..ListCount, nothing changed.
    void RemoveItem(std::int32_t pos);
    void ItemText(std::int32_t pos, std::string texto);
    void ClearItems();
    // Room for `n` entries, so that a long list fills without moving.
    void ReservarItems(std::int32_t n) { m_Items.reserve(static_cast<std::size_t>(n)); }
    // The entry the user picked last, 0 when none (or when it was removed).
    std::int32_t SelectedItem() const noexcept { return m_SelectedItem; }

    // Raised by entries added, removed or cleared, and by entry texts changed.
    std::uint64_t RevisionLista() const noexcept { return m_RevisionLista; }
    std::uint64_t RevisionTextos() const noexcept { return m_RevisionTextos; }

    std::function<void()> Click;
    std::function<void()> LostFocus;
    std::function<void(std::int16_t& KeyCode, std::int16_t Shift)> KeyDown;
    std::function<void(std::int16_t& KeyAscii)> KeyPress;
    // Asked before the edit text changes other than by a typed character (paste, drop,
    // input method); answers whether it may.
    std::function<bool()> Cambiar;

    // User: picks entry `pos`. A name typed and not yet stored is stored first, as leaving
    // the field would (LostFocus); then the edit text becomes the entry's text, then Click.
    void Elegir(std::int32_t pos);
    // User: a key goes down / a character is typed; the handler may zero the code.
    void PulsarTecla(std::int16_t& KeyCode, std::int16_t Shift);
    void TeclearCaracter(std::int16_t& KeyAscii);
    // User: asks to change the text other than by typing; true when allowed (no handler).
    bool PedirCambio();
    void Teclear(std::string s) {
        m_Text = std::move(s);
        m_Editado = true;
    }
    void SalirFoco();

  private:
    void ComprobarPosicion(std::int32_t pos) const;

    std::string m_Text;
    bool m_Editado = false;
    std::vector<ComboItem> m_Items;
    std::int32_t m_SelectedItem = 0;
    std::uint64_t m_RevisionLista = 0;
    std::uint64_t m_RevisionTextos = 0;
};

// The day tabs: pages 0 to Tabs - 1, page 0 first.
class SSTab : public Control {
  public:
    SSTab(std::string nombre, std::int16_t tabs) : Control(std::move(nombre)), m_Tabs(tabs) {}

    std::int16_t Tabs() const noexcept { return m_Tabs; }
    std::int16_t Tab() const noexcept { return m_Tab; }

    std::function<void(std::int16_t PreviousTab)> Click;

    // User: selects page `tab` (error 9 outside 0..Tabs-1), then Click with the page before.
    void Seleccionar(std::int16_t tab);

  private:
    std::int16_t m_Tabs;
    std::int16_t m_Tab = 0;
};

// The band tabs: tabs 1 to Tabs, tab 1 selected first.
class TabStrip : public Control {
  public:
    TabStrip(std::string nombre, std::int16_t tabs) : Control(std::move(nombre)), m_Tabs(tabs) {}

    std::int16_t Tabs() const noexcept { return m_Tabs; }
    std::int16_t SelectedItem() const noexcept { return m_SelectedItem; }

    std::function<void()> Click;

    // User: clicks tab `pos` (error 9 outside 1..Tabs): it becomes selected, then Click.
    void Seleccionar(std::int16_t pos);

  private:
    std::int16_t m_Tabs;
    std::int16_t m_SelectedItem = 1;
};

// The horizontal scroll bar. Change runs at once, nested inside the write that causes it,
// whenever the position actually changes: a new Value, or a new Min or Max that leaves the
// position outside the range and so pulls it to the nearest bound. Writing the current
// position runs nothing. A new bar: Min 0, Max 32767, Value 0. Min may exceed Max; the
// range is then Max..Min.
class ScrollBar : public Control {
  public:
    using Control::Control;

    std::int16_t Min() const noexcept { return m_Min; }
    void Min(std::int16_t v);
    std::int16_t Max() const noexcept { return m_Max; }
    void Max(std::int16_t v);
    std::int16_t Value() const noexcept { return m_Value; }
    // Error 380 (invalid property value) outside the range, nothing changed.
    void Value(std::int16_t v);

    std::function<void()> Change;

    // User: moves the bar to `v` (ignored while disabled).
    void Mover(std::int16_t v);

  private:
    void Poner(std::int16_t v);
    void Ajustar();

    std::int16_t m_Min = 0;
    std::int16_t m_Max = 32767;
    std::int16_t m_Value = 0;
};

class Label : public Control {
  public:
    using Control::Control;

    const std::string& Caption() const noexcept { return m_Caption; }
    void Caption(std::string s) {
        m_Caption = std::move(s);
        Tocar();
    }

  private:
    std::string m_Caption;
};

class Button : public Control {
  public:
    Button(std::string nombre, std::string caption)
        : Control(std::move(nombre)), m_Caption(std::move(caption)) {}

    // With "&" before the accelerator letter.
    const std::string& Caption() const noexcept { return m_Caption; }

    std::function<void()> Click;

    // User: presses the button (ignored while disabled).
    void Pulsar();

  private:
    std::string m_Caption;
};

}  // namespace quelmar::editor
