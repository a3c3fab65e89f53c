#include "costes/qt/VentanaCostes.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPalette>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QSplitter>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTextDocument>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include "costes/Historial.h"
#include "costes/Motor.h"
#include "costes/qt/DialogoOpciones.h"
#include "costes/qt/ModeloLlamadas.h"
#include "costes/qt/TrabajoCosteo.h"
#include "qtcomun/Icono.h"
#include "runtime/OleDate.h"

namespace quelmar::costes {

namespace {

const QString kTitulo = QStringLiteral("Costes de llamadas");
const QString kRecientes = QStringLiteral("recientes");

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

double Ole(const QDate& d) {
    return fecha::DesdeCalendario(d.year(), d.month(), d.day());
}

QDate Dia(double ole) {
    const fecha::Partes p = fecha::Descomponer(ole);
    return {p.anio, p.mes, p.dia};
}

// A figure of the summary: reached by the keyboard, and read by a screen reader under its
// name with the figure as its text (a label has no text a reader can ask for).
QLineEdit* Cifra(const QString& nombre) {
    auto* l = new QLineEdit(QStringLiteral("—"));
    l->setAccessibleName(nombre);
    l->setReadOnly(true);
    l->setFrame(false);
    QPalette p = l->palette();
    p.setColor(QPalette::Base, Qt::transparent);
    l->setPalette(p);
    return l;
}

QTableWidget* Tabla(const QString& nombre, const QStringList& columnas) {
    auto* t = new QTableWidget(0, static_cast<int>(columnas.size()));
    t->setAccessibleName(nombre);
    t->setHorizontalHeaderLabels(columnas);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->verticalHeader()->hide();
    t->horizontalHeader()->setStretchLastSection(true);
    return t;
}

void Celda(QTableWidget* t, int fila, int columna, const QString& texto, bool numero = false) {
    auto* c = new QTableWidgetItem(texto);
    if (numero) c->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    t->setItem(fila, columna, c);
}

QPushButton* Boton(const QString& texto, QWidget* destino, const std::function<void()>& hacer) {
    auto* b = new QPushButton(texto);
    b->setAccessibleName(QString(texto).remove(QLatin1Char('&')).remove(QStringLiteral("…")));
    QObject::connect(b, &QPushButton::clicked, destino, hacer);
    return b;
}

// Adding or changing one bono: kind, alta, baja, time.
class DialogoBono : public QDialog {
  public:
    DialogoBono(const DatosBono& b, QWidget* padre) : QDialog(padre) {
        setWindowTitle(QStringLiteral("Bono"));
        m_Tipo = new QComboBox;
        for (std::string_view n : cBono::kNombresTipo)
            m_Tipo->addItem(QString::fromLatin1(n.data(), static_cast<int>(n.size())));
        m_Tipo->setCurrentIndex(b.tipo);
        m_Tipo->setAccessibleName(QStringLiteral("Tipo"));
        m_Alta = new QDateEdit(Dia(b.alta));
        m_Alta->setCalendarPopup(true);
        m_Alta->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
        m_Alta->setAccessibleName(QStringLiteral("Alta"));
        m_ConBaja = new QCheckBox(QStringLiteral("Con fecha de &baja"));
        m_ConBaja->setAccessibleName(QStringLiteral("Con fecha de baja"));
        m_ConBaja->setChecked(b.baja.has_value());
        m_Baja = new QDateEdit(b.baja ? Dia(*b.baja) : Dia(b.alta).addMonths(3));
        m_Baja->setCalendarPopup(true);
        m_Baja->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
        m_Baja->setAccessibleName(QStringLiteral("Baja"));
        m_Baja->setEnabled(b.baja.has_value());
        connect(m_ConBaja, &QCheckBox::toggled, m_Baja, &QWidget::setEnabled);
        m_Tiempo = new QLineEdit(Q(b.tiempo));
        m_Tiempo->setPlaceholderText(QStringLiteral("lleno"));
        m_Tiempo->setAccessibleName(QStringLiteral("Tiempo"));
        auto* f = new QFormLayout;
        auto fila = [f](const QString& t, QWidget* w) {
            auto* l = new QLabel(t);
            l->setBuddy(w);
            f->addRow(l, w);
        };
        fila(QStringLiteral("&Tipo:"), m_Tipo);
        fila(QStringLiteral("&Alta:"), m_Alta);
        f->addRow(m_ConBaja, m_Baja);
        fila(QStringLiteral("Tie&mpo (H:MM:SS):"), m_Tiempo);
        auto* botones = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        connect(botones, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(botones, &QDialogButtonBox::rejected, this, &QDialog::reject);
        auto* v = new QVBoxLayout(this);
        v->addLayout(f);
        v->addWidget(botones);
    }
    DatosBono Datos() const {
        DatosBono b;
        b.tipo = static_cast<std::int16_t>(m_Tipo->currentIndex());
        b.alta = Ole(m_Alta->date());
        if (m_ConBaja->isChecked()) b.baja = Ole(m_Baja->date());
        b.tiempo = m_Tiempo->text().trimmed().toStdString();
        return b;
    }

  private:
    QComboBox* m_Tipo;
    QDateEdit *m_Alta, *m_Baja;
    QCheckBox* m_ConBaja;
    QLineEdit* m_Tiempo;
};

}  // namespace

VentanaCostes::VentanaCostes(MotorCostes& motor, QSettings& ajustes, const OpcionesCostes& opciones,
                             QWidget* padre)
    : QMainWindow(padre),
      m_Motor(motor),
      m_Ajustes(ajustes),
      m_Opciones(opciones),
      m_Trabajo(new TrabajoCosteo(motor, this)),
      m_Reloj(new QTimer(this)) {
    setWindowTitle(kTitulo);
    setWindowIcon(qtcomun::IconoDePrograma(QStringLiteral("quelmar-costes")));
    setAcceptDrops(true);
    resize(960, 640);

    m_Vacio = new QLabel(QStringLiteral(
        "Abra un registro de llamadas, o el Master.csv de una centralita, con Archivo → "
        "Abrir… (Ctrl+O), o arrástrelo a esta ventana.\n\nVerá lo que costaron las llamadas, "
        "qué tarifa le conviene, cuánto tiempo de bono le queda y lo que le cobraron de más."));
    m_Vacio->setAlignment(Qt::AlignCenter);
    m_Vacio->setWordWrap(true);
    m_Vacio->setAccessibleName(QStringLiteral("Sin fichero"));
    m_Vacio->setFocusPolicy(Qt::StrongFocus);

    // The period, above the pages.
    m_Periodos = new QComboBox;
    m_Periodos->setAccessibleName(QStringLiteral("Periodo"));
    m_Desde = new QDateEdit;
    m_Hasta = new QDateEdit;
    for (QDateEdit* d : {m_Desde, m_Hasta}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
        d->setEnabled(false);
    }
    m_Desde->setAccessibleName(QStringLiteral("Desde"));
    m_Hasta->setAccessibleName(QStringLiteral("Hasta"));
    auto* periodo = new QHBoxLayout;
    auto* etiqueta = new QLabel(QStringLiteral("&Periodo:"));
    etiqueta->setBuddy(m_Periodos);
    auto* desde = new QLabel(QStringLiteral("de&sde"));
    desde->setBuddy(m_Desde);
    auto* hasta = new QLabel(QStringLiteral("&hasta"));
    hasta->setBuddy(m_Hasta);
    periodo->addWidget(etiqueta);
    periodo->addWidget(m_Periodos, 1);
    periodo->addWidget(desde);
    periodo->addWidget(m_Desde);
    periodo->addWidget(hasta);
    periodo->addWidget(m_Hasta);
    connect(m_Periodos, &QComboBox::activated, this, [this] { ElegirPeriodo(); });
    connect(m_Desde, &QDateEdit::editingFinished, this, [this] { ElegirPeriodo(); });
    connect(m_Hasta, &QDateEdit::editingFinished, this, [this] { ElegirPeriodo(); });

    m_Pestanas = new QTabWidget;
    m_Pestanas->setAccessibleName(QStringLiteral("Páginas"));
    m_Pestanas->addTab(CrearResumen(), QStringLiteral("&Resumen"));
    m_Pestanas->addTab(CrearLlamadas(), QStringLiteral("&Llamadas"));
    m_Pestanas->addTab(CrearTotales(), QStringLiteral("&Totales"));
    m_Pestanas->addTab(CrearRanking(), QStringLiteral("¿&Qué tarifa conviene?"));
    m_Avisos = new QListWidget;
    m_Avisos->setAccessibleName(QStringLiteral("Avisos"));
    m_Pestanas->addTab(m_Avisos, QStringLiteral("A&visos"));
    m_Pestanas->addTab(CrearBonos(), QStringLiteral("&Bonos"));

    auto* contenido = new QWidget;
    auto* v = new QVBoxLayout(contenido);
    v->addLayout(periodo);
    v->addWidget(m_Pestanas, 1);

    m_Paginas = new QStackedWidget;
    m_Paginas->addWidget(m_Vacio);
    m_Paginas->addWidget(contenido);
    setCentralWidget(m_Paginas);

    m_Barra = new QProgressBar;
    m_Barra->setAccessibleName(QStringLiteral("Progreso"));
    m_Barra->setRange(0, 1000);
    m_Barra->setFormat(QStringLiteral("%p %"));
    m_Cancelar = new QPushButton(QStringLiteral("Cancelar"));
    m_Cancelar->setAccessibleName(QStringLiteral("Cancelar"));
    connect(m_Cancelar, &QPushButton::clicked, m_Trabajo, &TrabajoCosteo::Cancelar);
    statusBar()->addPermanentWidget(m_Barra);
    statusBar()->addPermanentWidget(m_Cancelar);
    m_Barra->hide();
    m_Cancelar->hide();

    connect(m_Reloj, &QTimer::timeout, this, [this] {
        const auto total = m_Trabajo->Total();
        m_Barra->setValue(total ? static_cast<int>(m_Trabajo->Leidos() * 1000 / total) : 0);
    });
    connect(m_Trabajo, &TrabajoCosteo::Terminado, this, &VentanaCostes::AlTerminar);
    connect(m_Trabajo, &TrabajoCosteo::Fallado, this, &VentanaCostes::AlFallar);
    connect(m_Trabajo, &TrabajoCosteo::Detenido, this, [this] {
        Ocupar(false);
        statusBar()->showMessage(QStringLiteral("Costeo cancelado"));
    });

    CrearMenus();
    for (QAction* a : m_ConFichero) a->setEnabled(false);
    if (!m_Opciones.bonos.empty()) {
        try {
            m_Registro = RegistroBonos::Leer(m_Opciones.bonos);
        } catch (const std::exception&) {
            // Told when the file is costed.
        }
    }
    MostrarBonos();
}

VentanaCostes::~VentanaCostes() = default;

void VentanaCostes::CrearMenus() {
    QMenu* archivo = menuBar()->addMenu(QStringLiteral("&Archivo"));
    QAction* abrir = archivo->addAction(QStringLiteral("&Abrir…"), this, [this] {
        const QString f = QFileDialog::getOpenFileName(
            this, QStringLiteral("Abrir un registro de llamadas"), QFileInfo(m_Fichero).path(),
            QStringLiteral("Registros de llamadas (*.csv *.txt);;Todos los ficheros (*)"));
        if (!f.isEmpty()) Abrir(f);
    });
    abrir->setShortcut(QKeySequence::Open);
    m_MenuRecientes = archivo->addMenu(QStringLiteral("Abiertos &recientemente"));
    Recientes();
    archivo->addSeparator();
    QAction* exportar = archivo->addAction(QStringLiteral("&Exportar CSV…"), this, [this] {
        const QString f = QFileDialog::getSaveFileName(
            this, QStringLiteral("Exportar CSV"),
            QFileInfo(m_Fichero).path() + QDir::separator() +
                QFileInfo(m_Fichero).completeBaseName() + QStringLiteral("-costes.csv"),
            QStringLiteral("CSV (*.csv)"));
        if (!f.isEmpty()) ExportarCsv(f);
    });
    exportar->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    QAction* informe = archivo->addAction(QStringLiteral("&Guardar informe…"), this, [this] {
        const QString f = QFileDialog::getSaveFileName(
            this, QStringLiteral("Guardar informe"),
            QFileInfo(m_Fichero).path() + QDir::separator() +
                QFileInfo(m_Fichero).completeBaseName() + QStringLiteral(".html"),
            QStringLiteral("Páginas web (*.html)"));
        if (!f.isEmpty()) GuardarInforme(f);
    });
    informe->setShortcut(QKeySequence::Save);
    QAction* ver =
        archivo->addAction(QStringLiteral("&Ver informe"), this, [this] { VerInforme(); });
    QAction* imprimir =
        archivo->addAction(QStringLiteral("&Imprimir…"), this, [this] { Imprimir(); });
    imprimir->setShortcut(QKeySequence::Print);
    archivo->addSeparator();
    QAction* salir = archivo->addAction(QStringLiteral("&Salir"), this, &QWidget::close);
    salir->setShortcut(QKeySequence::Quit);

    QMenu* costeo = menuBar()->addMenu(QStringLiteral("&Costeo"));
    costeo->addAction(QStringLiteral("&Opciones de costeo…"), this, [this] { DialogoOpciones(); });
    QAction* otraVez =
        costeo->addAction(QStringLiteral("Costear de &nuevo"), this, [this] { Costear(); });
    otraVez->setShortcut(QKeySequence::Refresh);
    m_ConFichero = {exportar, informe, ver, imprimir, otraVez};
}

QWidget* VentanaCostes::CrearResumen() {
    auto* w = new QWidget;
    auto* f = new QFormLayout(w);
    m_Llamadas = Cifra(QStringLiteral("Llamadas"));
    m_Importe = Cifra(QStringLiteral("Importe total"));
    m_Tiempo = Cifra(QStringLiteral("Tiempo total"));
    m_BonoDia = Cifra(QStringLiteral("Bono de día"));
    m_BonoNoche = Cifra(QStringLiteral("Bono de noche"));
    m_Apartados = Cifra(QStringLiteral("Registros apartados"));
    m_Factura = Cifra(QStringLiteral("Factura"));
    f->addRow(QStringLiteral("Llamadas:"), m_Llamadas);
    f->addRow(QStringLiteral("Importe total:"), m_Importe);
    f->addRow(QStringLiteral("Tiempo total:"), m_Tiempo);
    f->addRow(QStringLiteral("Bono de día:"), m_BonoDia);
    f->addRow(QStringLiteral("Bono de noche:"), m_BonoNoche);
    f->addRow(QStringLiteral("Registros apartados:"), m_Apartados);
    f->addRow(QStringLiteral("Factura:"), m_Factura);
    return w;
}

QWidget* VentanaCostes::CrearLlamadas() {
    auto* w = new QWidget;
    auto* v = new QVBoxLayout(w);
    m_TextoFiltro = new QLineEdit;
    m_TextoFiltro->setPlaceholderText(QStringLiteral("extensión, número o tarifa"));
    m_TextoFiltro->setAccessibleName(QStringLiteral("Filtrar"));
    auto* etiqueta = new QLabel(QStringLiteral("&Filtrar:"));
    etiqueta->setBuddy(m_TextoFiltro);
    auto* h = new QHBoxLayout;
    h->addWidget(etiqueta);
    h->addWidget(m_TextoFiltro, 1);
    m_Modelo = new ModeloLlamadas(this);
    m_Filtro = new QSortFilterProxyModel(this);
    m_Filtro->setSourceModel(m_Modelo);
    m_Filtro->setSortRole(Qt::UserRole);
    m_Filtro->setFilterKeyColumn(-1);
    m_Filtro->setFilterCaseSensitivity(Qt::CaseInsensitive);
    connect(m_TextoFiltro, &QLineEdit::textChanged, m_Filtro,
            &QSortFilterProxyModel::setFilterFixedString);
    m_Tabla = new QTableView;
    m_Tabla->setAccessibleName(QStringLiteral("Llamadas"));
    m_Tabla->setModel(m_Filtro);
    m_Tabla->setSortingEnabled(true);
    m_Tabla->sortByColumn(-1, Qt::AscendingOrder);
    m_Tabla->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_Tabla->verticalHeader()->hide();
    m_Tabla->horizontalHeader()->setSectionsClickable(true);
    v->addLayout(h);
    v->addWidget(m_Tabla, 1);
    return w;
}

QWidget* VentanaCostes::CrearTotales() {
    auto* s = new QSplitter(Qt::Vertical);
    const QStringList columnas{QStringLiteral("Llamadas"), QStringLiteral("Duración"),
                               QStringLiteral("Importe")};
    m_PorExtension =
        Tabla(QStringLiteral("Por extensión"), QStringList{QStringLiteral("Extensión")} + columnas);
    m_PorCuenta =
        Tabla(QStringLiteral("Por cuenta"), QStringList{QStringLiteral("Cuenta")} + columnas);
    s->addWidget(m_PorExtension);
    s->addWidget(m_PorCuenta);
    return s;
}

QWidget* VentanaCostes::CrearRanking() {
    m_Ranking =
        Tabla(QStringLiteral("¿Qué tarifa conviene?"),
              {QStringLiteral("Tarifa"), QStringLiteral("Importe"), QStringLiteral("Ahorro"),
               QStringLiteral("Normal"), QStringLiteral("Reducida"), QStringLiteral("Bono")});
    return m_Ranking;
}

QWidget* VentanaCostes::CrearBonos() {
    auto* w = new QWidget;
    auto* v = new QVBoxLayout(w);
    m_Bonos = Tabla(QStringLiteral("Registro de bonos"),
                    {QStringLiteral("Tipo"), QStringLiteral("Alta"), QStringLiteral("Baja"),
                     QStringLiteral("Tiempo"), QStringLiteral("Queda tras el costeo")});
    connect(m_Bonos, &QTableWidget::cellActivated, this,
            [this](int fila, int) { EditarBono(fila); });
    auto* botones = new QHBoxLayout;
    botones->addWidget(Boton(QStringLiteral("A&ñadir…"), this, [this] { EditarBono(-1); }));
    botones->addWidget(
        Boton(QStringLiteral("Ca&mbiar…"), this, [this] { EditarBono(m_Bonos->currentRow()); }));
    botones->addWidget(Boton(QStringLiteral("Q&uitar"), this, [this] {
        const int fila = m_Bonos->currentRow();
        if (fila < 0 || fila >= static_cast<int>(m_Registro.Cuantos())) return;
        m_Registro.Quitar(static_cast<std::size_t>(fila));
        m_RegistroCambiado = true;
        MostrarBonos();
    }));
    botones->addStretch(1);
    m_DiaFactura = new QSpinBox;
    m_DiaFactura->setRange(1, 31);
    m_DiaFactura->setAccessibleName(QStringLiteral("Día de facturación"));
    m_MesesFactura = new QComboBox;
    m_MesesFactura->addItems({QStringLiteral("pares"), QStringLiteral("impares")});
    m_MesesFactura->setAccessibleName(QStringLiteral("Meses de facturación"));
    connect(m_DiaFactura, &QSpinBox::valueChanged, this, [this](int d) {
        if (d == m_Registro.DiaFactura()) return;
        m_Registro.DiaFactura(static_cast<std::uint8_t>(d));
        m_RegistroCambiado = true;
    });
    connect(m_MesesFactura, &QComboBox::currentIndexChanged, this, [this](int i) {
        if ((i == 1) == m_Registro.MesesImpares()) return;
        m_Registro.MesesImpares(i == 1);
        m_RegistroCambiado = true;
    });
    auto* dia = new QLabel(QStringLiteral("&Día de facturación:"));
    dia->setBuddy(m_DiaFactura);
    auto* meses = new QLabel(QStringLiteral("Mes&es:"));
    meses->setBuddy(m_MesesFactura);
    botones->addWidget(dia);
    botones->addWidget(m_DiaFactura);
    botones->addWidget(meses);
    botones->addWidget(m_MesesFactura);
    botones->addWidget(
        Boton(QStringLiteral("&Guardar registro…"), this, [this] { GuardarRegistro(); }));
    v->addWidget(m_Bonos, 1);
    v->addLayout(botones);
    return w;
}

void VentanaCostes::Recientes() {
    m_MenuRecientes->clear();
    const QStringList lista = m_Ajustes.value(kRecientes).toStringList();
    for (const QString& f : lista) m_MenuRecientes->addAction(f, this, [this, f] { Abrir(f); });
    m_MenuRecientes->setEnabled(!lista.isEmpty());
}

Pedido VentanaCostes::PedidoActual() const {
    return {m_Fichero.toStdString(), m_Opciones, m_Periodo};
}

void VentanaCostes::Abrir(const QString& fichero) {
    m_Fichero = QFileInfo(fichero).absoluteFilePath();
    std::vector<std::string> lista;
    for (const QString& f : m_Ajustes.value(kRecientes).toStringList())
        lista.push_back(f.toStdString());
    QStringList nueva;
    for (const std::string& f : AnadirReciente(lista, m_Fichero.toStdString())) nueva << Q(f);
    m_Ajustes.setValue(kRecientes, nueva);
    Recientes();
    setWindowTitle(QFileInfo(m_Fichero).fileName() + QStringLiteral(" — ") + kTitulo);
    Costear();
}

void VentanaCostes::PonerPeriodo(const Periodo& p) {
    m_Periodo = p;
    if (!m_Fichero.isEmpty()) Costear();
}

void VentanaCostes::Costear() {
    if (m_Fichero.isEmpty()) return;
    Ocupar(true);
    statusBar()->showMessage(QStringLiteral("Costeando ") + QFileInfo(m_Fichero).fileName() +
                             QStringLiteral("…"));
    m_Trabajo->Empezar(PedidoActual());
}

bool VentanaCostes::Costeando() const {
    return m_Trabajo->Ocupado() || m_Barra->isVisible();
}

void VentanaCostes::Ocupar(bool ocupado) {
    m_Barra->setValue(0);
    m_Barra->setVisible(ocupado);
    m_Cancelar->setVisible(ocupado);
    if (ocupado)
        m_Reloj->start(100);
    else
        m_Reloj->stop();
}

void VentanaCostes::AlTerminar(std::shared_ptr<const Resultado> r) {
    Ocupar(false);
    m_Resultado = std::move(r);
    if (!m_RegistroCambiado) m_Registro = RegistroBonos(m_Resultado->bonosIniciales);
    m_Modelo->Mostrar(m_Resultado);
    m_Tabla->resizeColumnsToContents();
    MostrarResumen();
    MostrarTotales();
    MostrarRanking();
    MostrarAvisos();
    MostrarBonos();
    MostrarMeses();
    m_Paginas->setCurrentIndex(1);
    for (QAction* a : m_ConFichero) a->setEnabled(true);
    statusBar()->showMessage(QStringLiteral("Costeado: ") + QFileInfo(m_Fichero).fileName(), 5000);
}

void VentanaCostes::AlFallar(const QString& motivo) {
    Ocupar(false);
    statusBar()->showMessage(motivo);
    m_Vacio->setText(
        QStringLiteral("No se pudo costear ") + QFileInfo(m_Fichero).fileName() +
        QStringLiteral(":\n") + motivo +
        QStringLiteral("\n\nRevise las opciones de costeo (menú Costeo) o abra otro fichero."));
    m_Paginas->setCurrentIndex(m_Resultado ? 1 : 0);
    QMessageBox::warning(this, kTitulo,
                         QStringLiteral("No se pudo costear el fichero:\n") + motivo);
}

void VentanaCostes::MostrarResumen() {
    const Resumen s = Resumir(*m_Resultado);
    m_Llamadas->setText(QString::number(s.llamadas));
    m_Importe->setText(Q(ImporteLegible(s.importe)));
    m_Tiempo->setText(Q(DuracionLegible(s.segundos)));
    m_BonoDia->setText(QStringLiteral("gastado %1, queda %2")
                           .arg(TextoDuracion(s.bonoGastadoDia), TextoDuracion(s.bonoQuedaDia)));
    m_BonoNoche->setText(
        QStringLiteral("gastado %1, queda %2")
            .arg(TextoDuracion(s.bonoGastadoNoche), TextoDuracion(s.bonoQuedaNoche)));
    const Apartados& a = m_Resultado->apartados;
    QStringList partes;
    if (a.malas) partes << QStringLiteral("con errores: %1").arg(a.malas);
    for (const auto& [porQue, cuantos] : a.porQue)
        partes << Q(porQue) + QStringLiteral(": %1").arg(cuantos);
    for (const std::string& n : a.notas) partes << Q(n);
    m_Apartados->setText(partes.isEmpty() ? QStringLiteral("ninguno")
                                          : partes.join(QStringLiteral("; ")));
    m_Factura->setText(m_Resultado->columnaCobrado
                           ? QStringLiteral("%1 llamadas cobradas de más, %2 en total")
                                 .arg(s.cobradasDeMas)
                                 .arg(Q(ImporteLegible(s.deMas)))
                           : QStringLiteral("el fichero no trae lo cobrado"));
}

void VentanaCostes::MostrarTotales() {
    for (const bool porCuenta : {false, true}) {
        QTableWidget* t = porCuenta ? m_PorCuenta : m_PorExtension;
        const auto filas = TotalesPor(*m_Resultado, porCuenta);
        t->setRowCount(static_cast<int>(filas.size()));
        for (int i = 0; i < static_cast<int>(filas.size()); ++i) {
            const TotalClave& k = filas[static_cast<std::size_t>(i)];
            Celda(t, i, 0, k.clave.empty() ? QStringLiteral("(ninguna)") : Q(k.clave));
            Celda(t, i, 1, QString::number(k.llamadas), true);
            Celda(t, i, 2, TextoDuracion(k.segundos), true);
            Celda(t, i, 3, Q(ImporteLegible(k.importe)), true);
        }
    }
}

void VentanaCostes::MostrarRanking() {
    const double ahora = Resumir(*m_Resultado).importe;
    const auto& r = m_Resultado->ranking;
    m_Ranking->setRowCount(static_cast<int>(r.size()));
    for (int i = 0; i < static_cast<int>(r.size()); ++i) {
        const Candidata& c = r[static_cast<std::size_t>(i)];
        Celda(m_Ranking, i, 0, Q(c.tarifa));
        if (c.fallo) {
            Celda(m_Ranking, i, 1, QStringLiteral("no se puede costear: ") + Q(*c.fallo));
            continue;
        }
        Celda(m_Ranking, i, 1, Q(ImporteLegible(c.importe)), true);
        Celda(m_Ranking, i, 2, Q(ImporteLegible(ahora - c.importe)), true);
        Celda(m_Ranking, i, 3, TextoDuracion(c.normal), true);
        Celda(m_Ranking, i, 4, TextoDuracion(c.reducida), true);
        Celda(m_Ranking, i, 5, TextoDuracion(c.bono), true);
    }
    m_Ranking->resizeColumnsToContents();
}

void VentanaCostes::MostrarAvisos() {
    m_Avisos->clear();
    for (const Aviso& a : m_Resultado->avisos)
        m_Avisos->addItem(a.lugar.empty() ? Q(a.texto)
                                          : Q(a.lugar) + QStringLiteral(": ") + Q(a.texto));
    m_Pestanas->setTabText(4, QStringLiteral("A&visos (%1)").arg(m_Resultado->avisos.size()));
}

void VentanaCostes::MostrarBonos() {
    const cBono vacio;
    const auto filas =
        m_Registro.Filas(m_Resultado && !m_RegistroCambiado ? m_Resultado->bonosFinales : vacio);
    const QLocale l;
    m_Bonos->setRowCount(static_cast<int>(filas.size()));
    for (int i = 0; i < static_cast<int>(filas.size()); ++i) {
        const FilaBono& f = filas[static_cast<std::size_t>(i)];
        const auto n = cBono::kNombresTipo[static_cast<std::size_t>(f.datos.tipo)];
        Celda(m_Bonos, i, 0, QString::fromLatin1(n.data(), static_cast<int>(n.size())));
        Celda(m_Bonos, i, 1, l.toString(Dia(f.datos.alta), QStringLiteral("dd/MM/yyyy")));
        Celda(m_Bonos, i, 2,
              f.datos.baja ? l.toString(Dia(*f.datos.baja), QStringLiteral("dd/MM/yyyy"))
                           : QString());
        Celda(m_Bonos, i, 3, Q(f.datos.tiempo), true);
        Celda(m_Bonos, i, 4,
              m_RegistroCambiado || !m_Resultado ? QStringLiteral("(sin costear)")
              : f.queda                          ? TextoDuracion(*f.queda)
                                                 : QStringLiteral("caducado"),
              true);
    }
    const QSignalBlocker b1(m_DiaFactura), b2(m_MesesFactura);
    m_DiaFactura->setValue(m_Registro.DiaFactura());
    m_MesesFactura->setCurrentIndex(m_Registro.MesesImpares() ? 1 : 0);
}

void VentanaCostes::EditarBono(int fila) {
    const bool nuevo = fila < 0 || fila >= static_cast<int>(m_Registro.Cuantos());
    DatosBono datos;
    if (nuevo) {
        datos.alta = m_Resultado && !m_Resultado->todas.empty()
                         ? fecha::SoloFecha(m_Resultado->todas.front().ini)
                         : Ole(QDate::currentDate());
    } else {
        datos = m_Registro.Filas(cBono())[static_cast<std::size_t>(fila)].datos;
    }
    DialogoBono d(datos, this);
    if (d.exec() != QDialog::Accepted) return;
    try {
        if (nuevo)
            m_Registro.Anadir(d.Datos());
        else
            m_Registro.Cambiar(static_cast<std::size_t>(fila), d.Datos());
    } catch (const std::exception& e) {
        Fallo(QStringLiteral("El bono no vale"), e);
        return;
    }
    m_RegistroCambiado = true;
    MostrarBonos();
}

void VentanaCostes::GuardarRegistro() {
    QString ruta = Q(m_Opciones.bonos.string());
    if (ruta.isEmpty()) {
        ruta = QFileDialog::getSaveFileName(
            this, QStringLiteral("Guardar el registro de bonos"),
            QFileInfo(m_Fichero).path() + QStringLiteral("/bonos.json"),
            QStringLiteral("Registro de bonos (*.json)"));
        if (ruta.isEmpty()) return;
    }
    try {
        m_Registro.Guardar(ruta.toStdString());
    } catch (const std::exception& e) {
        Fallo(QStringLiteral("No se pudo guardar el registro de bonos"), e);
        return;
    }
    m_Opciones.bonos = ruta.toStdString();
    GuardarOpciones(m_Ajustes, m_Opciones);
    m_RegistroCambiado = false;
    statusBar()->showMessage(QStringLiteral("Registro de bonos guardado en ") + ruta, 5000);
    Costear();
}

void VentanaCostes::MostrarMeses() {
    const QSignalBlocker bloqueo(m_Periodos);
    m_Periodos->clear();
    m_Periodos->addItem(QStringLiteral("Último mes entero"), -1);
    m_Periodos->addItem(QStringLiteral("Todo el fichero"), -2);
    m_Periodos->addItem(QStringLiteral("Entre fechas"), -3);
    const QLocale l;
    for (const auto& [anio, mes] : m_Resultado->meses)
        m_Periodos->addItem(l.standaloneMonthName(static_cast<int>(mes)) + QStringLiteral(" de ") +
                                QString::number(anio),
                            anio * 100 + static_cast<int>(mes));
    int elegido = 0;
    switch (m_Periodo.clase) {
        case Periodo::Clase::UltimoMesEntero:
            elegido = 0;
            break;
        case Periodo::Clase::Todo:
            elegido = 1;
            break;
        case Periodo::Clase::Entre:
            elegido = 2;
            break;
        case Periodo::Clase::Mes:
            elegido = std::max(
                0, m_Periodos->findData(m_Periodo.anio * 100 + static_cast<int>(m_Periodo.mes)));
            break;
    }
    m_Periodos->setCurrentIndex(elegido);
    // Which month "the last whole month" turned out to be, or that there was none.
    m_Periodos->setItemText(
        0, m_Periodo.clase != Periodo::Clase::UltimoMesEntero ? QStringLiteral("Último mes entero")
           : m_Resultado->intervalo
               ? QStringLiteral("Último mes entero (%1 de %2)")
                     .arg(l.standaloneMonthName(Dia(m_Resultado->intervalo->desde).month()))
                     .arg(Dia(m_Resultado->intervalo->desde).year())
               : QStringLiteral("Último mes entero (no lo hay: todo el fichero)"));
    const bool entre = m_Periodo.clase == Periodo::Clase::Entre;
    m_Desde->setEnabled(entre);
    m_Hasta->setEnabled(entre);
    if (m_Resultado->intervalo) {
        const QSignalBlocker b1(m_Desde), b2(m_Hasta);
        m_Desde->setDate(Dia(m_Resultado->intervalo->desde));
        m_Hasta->setDate(Dia(m_Resultado->intervalo->hasta).addDays(-1));
    } else if (!m_Resultado->todas.empty()) {
        const QSignalBlocker b1(m_Desde), b2(m_Hasta);
        m_Desde->setDate(Dia(m_Resultado->todas.front().ini));
        m_Hasta->setDate(Dia(m_Resultado->todas.back().ini));
    }
}

void VentanaCostes::ElegirPeriodo() {
    Periodo p;
    const int dato = m_Periodos->currentData().toInt();
    if (dato == -1) {
        p.clase = Periodo::Clase::UltimoMesEntero;
    } else if (dato == -2) {
        p.clase = Periodo::Clase::Todo;
    } else if (dato == -3) {
        p.clase = Periodo::Clase::Entre;
        p.desde = Ole(m_Desde->date());
        p.hasta = Ole(m_Hasta->date());
    } else {
        p.clase = Periodo::Clase::Mes;
        p.anio = dato / 100;
        p.mes = static_cast<unsigned>(dato % 100);
    }
    m_Desde->setEnabled(dato == -3);
    m_Hasta->setEnabled(dato == -3);
    if (p == m_Periodo) return;
    PonerPeriodo(p);
}

void VentanaCostes::DialogoOpciones() {
    costes::DialogoOpciones d(m_Opciones, this);
    if (d.exec() != QDialog::Accepted) return;
    const OpcionesCostes o = d.Opciones();
    if (o == m_Opciones) return;
    m_Opciones = o;
    GuardarOpciones(m_Ajustes, m_Opciones);
    Costear();
}

bool VentanaCostes::Fallo(const QString& que, const std::exception& e) {
    QMessageBox::warning(this, kTitulo, que + QStringLiteral(":\n") + QString::fromUtf8(e.what()));
    return false;
}

bool VentanaCostes::ExportarCsv(const QString& ruta) {
    try {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const std::string csv = m_Motor.Csv(PedidoActual());
        EscribirFichero(ruta.toStdString(), csv);
        QApplication::restoreOverrideCursor();
    } catch (const std::exception& e) {
        QApplication::restoreOverrideCursor();
        return Fallo(QStringLiteral("No se pudo exportar el CSV"), e);
    }
    statusBar()->showMessage(QStringLiteral("CSV escrito en ") + ruta, 5000);
    return true;
}

bool VentanaCostes::GuardarInforme(const QString& ruta) {
    try {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        // The page of the period the window shows.
        m_Motor.Informe(PedidoActual(), m_Resultado ? m_Resultado->intervalo : std::nullopt,
                        ruta.toStdString());
        QApplication::restoreOverrideCursor();
    } catch (const std::exception& e) {
        QApplication::restoreOverrideCursor();
        return Fallo(QStringLiteral("No se pudo guardar el informe"), e);
    }
    statusBar()->showMessage(QStringLiteral("Informe guardado en ") + ruta, 5000);
    return true;
}

void VentanaCostes::VerInforme() {
    QString carpeta = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    QDir().mkpath(carpeta);
    const QString ruta = carpeta + QStringLiteral("/informe.html");
    if (GuardarInforme(ruta) && !QDesktopServices::openUrl(QUrl::fromLocalFile(ruta)))
        QMessageBox::information(
            this, kTitulo,
            QStringLiteral("No hay navegador con que abrir el informe; está en ") + ruta);
}

void VentanaCostes::Imprimir() {
    if (!m_Resultado) return;
    QPrinter impresora(QPrinter::HighResolution);
    QPrintDialog dialogo(&impresora, this);
    dialogo.setWindowTitle(QStringLiteral("Imprimir"));
    if (dialogo.exec() == QDialog::Accepted) Imprimir(impresora);
}

void VentanaCostes::Imprimir(QPrinter& impresora) const {
    // The summary and the table as the window shows it (sorted and filtered).
    QString html = QStringLiteral("<h2>") + QFileInfo(m_Fichero).fileName().toHtmlEscaped() +
                   QStringLiteral("</h2><table>");
    for (QLineEdit* l :
         {m_Llamadas, m_Importe, m_Tiempo, m_BonoDia, m_BonoNoche, m_Apartados, m_Factura})
        html += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>")
                    .arg(l->accessibleName().toHtmlEscaped(), l->text().toHtmlEscaped());
    html += QStringLiteral("</table><br><table border='1' cellspacing='0' cellpadding='2'><tr>");
    for (int c = 0; c < m_Filtro->columnCount(); ++c)
        html += QStringLiteral("<th>") + m_Filtro->headerData(c, Qt::Horizontal).toString() +
                QStringLiteral("</th>");
    html += QStringLiteral("</tr>");
    for (int f = 0; f < m_Filtro->rowCount(); ++f) {
        html += QStringLiteral("<tr>");
        for (int c = 0; c < m_Filtro->columnCount(); ++c)
            html += QStringLiteral("<td>") +
                    m_Filtro->index(f, c).data().toString().toHtmlEscaped() +
                    QStringLiteral("</td>");
        html += QStringLiteral("</tr>");
    }
    html += QStringLiteral("</table>");
    QTextDocument documento;
    documento.setHtml(html);
    documento.print(&impresora);
}

void VentanaCostes::dragEnterEvent(QDragEnterEvent* e) {
    const auto urls = e->mimeData()->urls();
    if (urls.size() == 1 && urls.front().isLocalFile()) e->acceptProposedAction();
}

void VentanaCostes::dropEvent(QDropEvent* e) {
    const auto urls = e->mimeData()->urls();
    if (urls.size() == 1 && urls.front().isLocalFile()) Abrir(urls.front().toLocalFile());
}

}  // namespace quelmar::costes
