#pragma once

#include <QMainWindow>
#include <QString>
#include <memory>

#include "costes/Pedido.h"
#include "costes/RegistroBonos.h"
#include "costes/Resultado.h"

class QAction;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QPrinter;
class QPushButton;
class QSettings;
class QSortFilterProxyModel;
class QSpinBox;
class QStackedWidget;
class QTabWidget;
class QTableView;
class QTableWidget;
class QTimer;

namespace quelmar::costes {

class MotorCostes;
class ModeloLlamadas;
class TrabajoCosteo;

// "Costes de llamadas": a call log costed, its summary, calls, totals, the tariff that
// suits, the warnings and the bono registry. The costing is the motor's, on a thread of its
// own; this window only shows and asks.
class VentanaCostes : public QMainWindow {
    Q_OBJECT
  public:
    // `ajustes` keeps the options and the files opened last; `opciones` are those to use.
    VentanaCostes(MotorCostes& motor, QSettings& ajustes, const OpcionesCostes& opciones,
                  QWidget* padre = nullptr);
    ~VentanaCostes() override;

    void Abrir(const QString& fichero);
    void PonerPeriodo(const Periodo& p);
    // Ctrl+E and Ctrl+S without their dialogs: true when written.
    bool ExportarCsv(const QString& ruta);
    bool GuardarInforme(const QString& ruta);
    bool Costeando() const;
    // The summary and the calls as the table shows them (sorted, filtered), on `impresora`
    // (a PDF file too).
    void Imprimir(QPrinter& impresora) const;
    const Resultado* Mostrado() const { return m_Resultado.get(); }

  protected:
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

  private:
    void CrearMenus();
    QWidget* CrearResumen();
    QWidget* CrearLlamadas();
    QWidget* CrearTotales();
    QWidget* CrearRanking();
    QWidget* CrearBonos();
    void Costear();
    void AlTerminar(std::shared_ptr<const Resultado> r);
    void AlFallar(const QString& motivo);
    void Ocupar(bool ocupado);
    void MostrarResumen();
    void MostrarTotales();
    void MostrarRanking();
    void MostrarAvisos();
    void MostrarBonos();
    void MostrarMeses();
    void ElegirPeriodo();
    void Recientes();
    void EditarBono(int fila);
    void GuardarRegistro();
    void Imprimir();
    void VerInforme();
    void DialogoOpciones();
    bool Fallo(const QString& que, const std::exception& e);
    Pedido PedidoActual() const;

    MotorCostes& m_Motor;
    QSettings& m_Ajustes;
    OpcionesCostes m_Opciones;
    Periodo m_Periodo;
    QString m_Fichero;
    std::shared_ptr<const Resultado> m_Resultado;
    RegistroBonos m_Registro;
    bool m_RegistroCambiado = false;
    TrabajoCosteo* m_Trabajo;
    QTimer* m_Reloj;

    QStackedWidget* m_Paginas;
    QLabel* m_Vacio;
    QTabWidget* m_Pestanas;
    QComboBox* m_Periodos;
    QDateEdit *m_Desde, *m_Hasta;
    QLineEdit *m_Llamadas, *m_Importe, *m_Tiempo, *m_BonoDia, *m_BonoNoche, *m_Apartados,
        *m_Factura;
    ModeloLlamadas* m_Modelo;
    QSortFilterProxyModel* m_Filtro;
    QLineEdit* m_TextoFiltro;
    QTableView* m_Tabla;
    QTableWidget *m_PorExtension, *m_PorCuenta, *m_Ranking, *m_Bonos;
    QListWidget* m_Avisos;
    QSpinBox* m_DiaFactura;
    QComboBox* m_MesesFactura;
    QProgressBar* m_Barra;
    QPushButton* m_Cancelar;
    QMenu* m_MenuRecientes;
    QList<QAction*> m_ConFichero;
};

}  // namespace quelmar::costes
