#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "editor/Disposicion.h"
#include "editor/Form1.h"
#include "editor/IVentana.h"

class QComboBox;
class QProxyStyle;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QTabBar;
class QTimeEdit;

namespace quelmar::editor {

class ModeloNombres;

// The Qt Widgets binding of Form1. It builds the widgets from the layout table, forwards
// the user's actions to the model's controls and, after each, copies what the handlers
// changed back into the widgets. Leaving a field is taken from the application's focus
// changes, which Qt reports before it delivers the press on the widget moved to, so the
// field's store runs before that widget's click or change. No behaviour lives here: the
// protection of the built-in names, for instance, only asks the model (keys, paste, drop,
// input methods) and undoes a change the model refused.
class Form1Qt : public QWidget, public IVentana {
    Q_OBJECT

  public:
    explicit Form1Qt(std::filesystem::path carpeta, std::shared_ptr<Escritura> escritura = nullptr,
                     QWidget* parent = nullptr);
    ~Form1Qt() override;

    // The startup step; false when the catalogue could not be read (the error was shown).
    bool Abrir();

    Form1& Modelo() noexcept { return m_Form; }
    // The widget of a control or frame of the layout table, nullptr for an unknown name.
    QWidget* Widget(std::string_view nombre) const;

    void MsgBox(const std::string& texto, int estilo, const std::string& titulo) override;
    bool Preguntar(const std::string& texto, const std::string& titulo) override;
    int PreguntarConCancelar(const std::string& texto, const std::string& titulo) override;
    void Cerrar() override;
    void FocoEn(const Control& control) override;

  protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;
    void showEvent(QShowEvent* evento) override;
    void keyPressEvent(QKeyEvent* evento) override;
    void closeEvent(QCloseEvent* evento) override;

  private:
    void Construir();
    QWidget* CrearWidget(const Disposicion::Elemento& e, QWidget* padre, Control* control);
    QWidget* CrearTexto(QWidget* padre, TextBox& modelo);
    QWidget* CrearHora(QWidget* padre, TimeSpinner& modelo);
    QWidget* CrearListaNombres(QWidget* padre);
    QWidget* CrearBarra(QWidget* padre);
    QWidget* CrearPaginas(const Disposicion::Elemento& e, QWidget* padre);
    QWidget* CrearBandas(QWidget* padre);
    QWidget* CrearBoton(const Disposicion::Elemento& e, QWidget* padre, Button& modelo);
    void AlinearEtiquetas();
    void NombrarParaLectores();
    void NombrarCamposDeDia();
    void SalirSiQuedaPendiente();
    static void OrdenarTabulacion(std::vector<std::pair<int, QWidget*>> paradas);
    // Runs a user action on the model, shows a run-time error that escapes it, then
    // mirrors the model into the widgets. Widget signals raised meanwhile are ignored.
    void Despachar(const std::function<void()>& accion);
    void Reflejar();
    void ReflejarCampos();
    void ReflejarNavegacion();
    void ReflejarNombre();
    bool Cambio(const Control& c);
    Control* ControlDe(QWidget* w) const;
    void CambioDeFoco(QWidget* viejo, QWidget* nuevo);
    static void SalirDe(Control& c);
    void PulsarBoton(Button& boton);
    void PasarPagina(int paso);
    bool TeclaNombre(const QKeyEvent& e);
    bool PedirCambioNombre();
    void NombreEditado(const QString& texto);

    Form1 m_Form;
    QProxyStyle* m_EstiloPestanas = nullptr;
    QProxyStyle* m_EstiloMarco = nullptr;
    bool m_Ocupado = false;
    Control* m_CampoConFoco = nullptr;
    QWidget* m_FocoPendiente = nullptr;
    bool m_PrimeraVez = true;
    bool m_CierrePedido = false;          // by Aceptar or Cancelar: nothing to ask
    bool m_FocoConRaton = false;          // the last button to take the focus took it by a press
    Control* m_DejadoAlSoltar = nullptr;  // left for a button pressed, until its release

    std::unordered_map<std::string_view, QWidget*> m_Widgets;
    std::unordered_map<QWidget*, Control*> m_ControlDe;
    std::unordered_map<const Control*, std::uint64_t> m_Visto;
    std::vector<std::pair<TextBox*, QLineEdit*>> m_Textos;
    std::vector<std::pair<TimeSpinner*, QTimeEdit*>> m_Horas;
    std::vector<std::pair<Button*, QPushButton*>> m_Botones;
    QComboBox* m_TxtNombre = nullptr;
    ModeloNombres* m_Nombres = nullptr;
    std::uint64_t m_RevLista = ~std::uint64_t{0};
    std::uint64_t m_RevTextos = ~std::uint64_t{0};
    int m_IndiceVisto = -1;
    QLabel* m_LRegistro = nullptr;
    QScrollBar* m_Hs = nullptr;
    QTabBar* m_SsTab = nullptr;
    std::array<QWidget*, 3> m_Paginas{};
    QTabBar* m_TabStrip1 = nullptr;
};

}  // namespace quelmar::editor
