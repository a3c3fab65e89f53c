#include "costes/qt/DialogoOpciones.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

#include "costes/Motor.h"

namespace quelmar::costes {

namespace {

QString Unir(const std::vector<std::string>& v) {
    QStringList l;
    for (const auto& s : v) l << QString::fromStdString(s);
    return l.join(QStringLiteral(", "));
}

std::vector<std::string> Partir(const QString& s) {
    std::vector<std::string> r;
    for (const QString& p : s.split(QLatin1Char(','), Qt::SkipEmptyParts))
        if (!p.trimmed().isEmpty()) r.push_back(p.trimmed().toStdString());
    return r;
}

std::filesystem::path RutaDe(const QString& s) {
    return s.trimmed().toStdString();
}

}  // namespace

OpcionesCostes LeerOpciones(const QSettings& s) {
    OpcionesCostes o;
    o.catalogo = RutaDe(s.value(QStringLiteral("costeo/catalogo")).toString());
    o.tarifa = s.value(QStringLiteral("costeo/tarifa")).toString().toStdString();
    o.festivos = RutaDe(s.value(QStringLiteral("costeo/festivos")).toString());
    o.bonos = RutaDe(s.value(QStringLiteral("costeo/bonos")).toString());
    o.destinos = RutaDe(s.value(QStringLiteral("costeo/destinos")).toString());
    o.troncales = Partir(s.value(QStringLiteral("costeo/troncales")).toString());
    o.contextos = Partir(s.value(QStringLiteral("costeo/contextos")).toString());
    o.utc = s.value(QStringLiteral("costeo/utc"), false).toBool();
    o.formato = s.value(QStringLiteral("costeo/formato")).toString().toStdString();
    return o;
}

void GuardarOpciones(QSettings& s, const OpcionesCostes& o) {
    s.setValue(QStringLiteral("costeo/catalogo"), QString::fromStdString(o.catalogo.string()));
    s.setValue(QStringLiteral("costeo/tarifa"), QString::fromStdString(o.tarifa));
    s.setValue(QStringLiteral("costeo/festivos"), QString::fromStdString(o.festivos.string()));
    s.setValue(QStringLiteral("costeo/bonos"), QString::fromStdString(o.bonos.string()));
    s.setValue(QStringLiteral("costeo/destinos"), QString::fromStdString(o.destinos.string()));
    s.setValue(QStringLiteral("costeo/troncales"), Unir(o.troncales));
    s.setValue(QStringLiteral("costeo/contextos"), Unir(o.contextos));
    s.setValue(QStringLiteral("costeo/utc"), o.utc);
    s.setValue(QStringLiteral("costeo/formato"), QString::fromStdString(o.formato));
}

DialogoOpciones::DialogoOpciones(const OpcionesCostes& o, QWidget* padre)
    : QDialog(padre), m_Bonos(o.bonos) {
    setWindowTitle(QStringLiteral("Opciones de costeo"));
    auto* forma = new QFormLayout;
    auto fila = [&](const QString& etiqueta, QWidget* campo, QWidget* junto = nullptr) {
        auto* l = new QLabel(etiqueta);
        l->setBuddy(campo);
        campo->setAccessibleName(
            QString(etiqueta).remove(QLatin1Char('&')).remove(QLatin1Char(':')));
        if (!junto) {
            forma->addRow(l, campo);
            return;
        }
        auto* h = new QHBoxLayout;
        h->addWidget(campo, 1);
        h->addWidget(junto);
        forma->addRow(l, h);
    };
    auto examinar = [this](QLineEdit* campo, const QString& nombre, bool carpeta) {
        auto* b = new QPushButton(QStringLiteral("Examinar…"));
        b->setAccessibleName(QStringLiteral("Examinar ") + nombre);
        connect(b, &QPushButton::clicked, this, [this, campo, nombre, carpeta] {
            const QString r = carpeta
                                  ? QFileDialog::getExistingDirectory(this, nombre, campo->text())
                                  : QFileDialog::getOpenFileName(this, nombre, campo->text());
            if (!r.isEmpty()) campo->setText(r);
        });
        return b;
    };
    m_Catalogo =
        Ruta(QStringLiteral("catálogo"), QString::fromStdString(o.catalogo.string()), true);
    m_Catalogo->setPlaceholderText(QStringLiteral("el del usuario"));
    fila(QStringLiteral("&Catálogo:"), m_Catalogo,
         examinar(m_Catalogo, QStringLiteral("catálogo"), true));
    m_Tarifa = new QLineEdit(QString::fromStdString(o.tarifa));
    m_Tarifa->setPlaceholderText(QStringLiteral("la primera del catálogo"));
    fila(QStringLiteral("&Tarifa por defecto:"), m_Tarifa);
    m_Destinos =
        Ruta(QStringLiteral("destinos"), QString::fromStdString(o.destinos.string()), false);
    fila(QStringLiteral("Tabla de &destinos:"), m_Destinos,
         examinar(m_Destinos, QStringLiteral("tabla de destinos"), false));
    m_Festivos =
        Ruta(QStringLiteral("festivos"), QString::fromStdString(o.festivos.string()), false);
    fila(QStringLiteral("&Festivos:"), m_Festivos,
         examinar(m_Festivos, QStringLiteral("festivos"), false));
    m_Troncales = new QLineEdit(Unir(o.troncales));
    m_Troncales->setPlaceholderText(QStringLiteral("todas; varias separadas por comas"));
    fila(QStringLiteral("T&roncales:"), m_Troncales);
    m_Contextos = new QLineEdit(Unir(o.contextos));
    m_Contextos->setPlaceholderText(QStringLiteral("todos; varios separados por comas"));
    fila(QStringLiteral("C&ontextos:"), m_Contextos);
    m_Formato = new QComboBox;
    m_Formato->addItem(QStringLiteral("Reconocerlo"), QString());
    for (const auto& [nombre, descripcion] : Formatos())
        m_Formato->addItem(QString::fromStdString(descripcion), QString::fromStdString(nombre));
    m_Formato->setCurrentIndex(std::max(0, m_Formato->findData(QString::fromStdString(o.formato))));
    fila(QStringLiteral("For&mato:"), m_Formato);
    m_Utc = new QCheckBox(QStringLiteral("Los instantes están en &UTC"));
    m_Utc->setChecked(o.utc);
    m_Utc->setAccessibleName(QStringLiteral("Los instantes están en UTC"));
    forma->addRow(QString(), m_Utc);

    auto* botones = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(botones, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(botones, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* todo = new QVBoxLayout(this);
    todo->addLayout(forma);
    todo->addWidget(botones);
}

QLineEdit* DialogoOpciones::Ruta(const QString& nombre, const QString& valor, bool) {
    auto* e = new QLineEdit(valor);
    e->setObjectName(nombre);
    return e;
}

OpcionesCostes DialogoOpciones::Opciones() const {
    OpcionesCostes o;
    o.catalogo = RutaDe(m_Catalogo->text());
    o.tarifa = m_Tarifa->text().trimmed().toStdString();
    o.destinos = RutaDe(m_Destinos->text());
    o.festivos = RutaDe(m_Festivos->text());
    o.bonos = m_Bonos;
    o.troncales = Partir(m_Troncales->text());
    o.contextos = Partir(m_Contextos->text());
    o.utc = m_Utc->isChecked();
    o.formato = m_Formato->currentData().toString().toStdString();
    return o;
}

}  // namespace quelmar::costes
