#include "calendar/fMain.h"

#include <QCalendarWidget>
#include <QColor>
#include <QEvent>
#include <QFont>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QMouseEvent>
#include <QScreen>
#include <QShowEvent>
#include <QStringList>
#include <QTableView>
#include <QTextCharFormat>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <utility>

#include "calendar/Colocacion.h"
#include "calendar/TextoReloj.h"
#include "qtcomun/Icono.h"
#include "qtcomun/Twips.h"

namespace quelmar::calendario {

namespace {

using qtcomun::Pixeles;

// "Small Fonts" is a Windows bitmap face; where it is missing the nearest small sans-serif stands
// in.
QFont FuentePequena(bool bold) {
    QFont font;
    font.setFamilies({QStringLiteral("Small Fonts"), QStringLiteral("DejaVu Sans Condensed"),
                      QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(6.75);
    font.setBold(bold);
    return font;
}

// The "festivo" day style: stored as 0x0000FF and 0xDFDFDF in blue-green-red order.
QTextCharFormat FormatoFestivo() {
    QTextCharFormat format;
    format.setForeground(QColor(0xFF, 0x00, 0x00));
    format.setBackground(QColor(0xDF, 0xDF, 0xDF));
    return format;
}

// The grid's rows would keep a minimum height that lets the sixth week fall off the bottom of the
// 110 pixels the calendar has; let them share the height instead.
void CabenSeisSemanas(QCalendarWidget& month) {
    if (auto* grid = month.findChild<QTableView*>()) {
        grid->verticalHeader()->setMinimumSectionSize(1);
    }
}

// Spanish names for the calendar's own controls, which Qt names in English or not at all
// when its translations are missing.
void NombrarCalendario(QCalendarWidget& month) {
    month.setAccessibleName(QStringLiteral("Calendario"));
    const std::pair<const char*, const char*> nombres[] = {
        {"qt_calendar_prevmonth", "Mes anterior"}, {"qt_calendar_nextmonth", "Mes siguiente"},
        {"qt_calendar_monthbutton", "Mes"},        {"qt_calendar_yearbutton", "Año"},
        {"qt_calendar_yearedit", "Año"},           {"qt_calendar_calendarview", "Días del mes"},
    };
    for (const auto& [objeto, nombre] : nombres) {
        if (auto* w = month.findChild<QWidget*>(QLatin1String(objeto)))
            w->setAccessibleName(QString::fromUtf8(nombre));
    }
}

// Where the calendar's content starts, from its left edge: the arrow of its previous-month
// button, laid out now rather than when first shown.
int MargenIzquierdo(QCalendarWidget& month) {
    month.ensurePolished();
    if (QLayout* l = month.layout()) l->activate();
    QWidget* barra = month.findChild<QWidget*>(QStringLiteral("qt_calendar_navigationbar"));
    if (barra && barra->layout()) barra->layout()->activate();
    auto* anterior = month.findChild<QToolButton*>(QStringLiteral("qt_calendar_prevmonth"));
    if (!anterior) return 0;
    const int flecha = (anterior->width() - anterior->iconSize().width()) / 2;
    return std::max(0, anterior->mapTo(&month, QPoint(0, 0)).x() + flecha);
}

}  // namespace

fMain::fMain(Reloj clock, const QLocale& locale, QWidget* parent)
    : QWidget(parent),
      m_Reloj(std::move(clock)),
      m_Locale(locale),
      m_SSMonth1(new QCalendarWidget(this)),
      m_Label1(new QLabel(this)),
      m_Timer1(new QTimer(this)) {
    setObjectName(QStringLiteral("fMain"));
    setWindowTitle(QStringLiteral("Orbelle"));
    setWindowIcon(qtcomun::IconoDePrograma(QStringLiteral("orbelle")));
    setFixedSize(Pixeles(3300), Pixeles(1905));

    m_SSMonth1->setObjectName(QStringLiteral("SSMonth1"));
    m_SSMonth1->setGeometry(Pixeles(-15), Pixeles(0), Pixeles(3315), Pixeles(1650));
    m_SSMonth1->setFont(FuentePequena(false));
    // The calendar follows the same locale as the clock, including its first day of the week.
    m_SSMonth1->setLocale(m_Locale);
    m_SSMonth1->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    m_SSMonth1->setDateRange(QDate(100, 1, 1), QDate(9999, 12, 31));
    // Sundays carry the "festivo" style, in whatever column the locale puts them; the
    // widget's own red Saturdays go.
    for (int day = Qt::Monday; day <= Qt::Sunday; ++day) {
        m_SSMonth1->setWeekdayTextFormat(static_cast<Qt::DayOfWeek>(day), QTextCharFormat());
    }
    m_SSMonth1->setWeekdayTextFormat(Qt::Sunday, FormatoFestivo());
    CabenSeisSemanas(*m_SSMonth1);
    NombrarCalendario(*m_SSMonth1);
    m_SSMonth1->setSelectedDate(m_Reloj().date());

    m_Label1->setObjectName(QStringLiteral("Label1"));
    m_Label1->setGeometry(Pixeles(0), Pixeles(1650), Pixeles(3315), Pixeles(255));
    m_Label1->setFont(FuentePequena(true));
    m_Label1->setToolTip(QStringLiteral("Pulsar para mostrar Hoy."));
    m_Label1->setIndent(MargenIzquierdo(*m_SSMonth1) + m_SSMonth1->x());
    m_Label1->setAccessibleName(QStringLiteral("Fecha y hora"));
    m_Label1->setAccessibleDescription(QStringLiteral("Pulsar para mostrar Hoy."));
    m_Label1->installEventFilter(this);

    m_Timer1->setObjectName(QStringLiteral("Timer1"));
    m_Timer1->setInterval(1000);
    connect(m_Timer1, &QTimer::timeout, this, &fMain::Timer1_Timer);
    m_Timer1->start();
}

void fMain::Form_Load() {
    if (!PuedeColocarseSola(QGuiApplication::platformName())) {
        return;
    }
    ColocarArribaDerecha();
    // The frame's width is known only once the window manager has framed the window.
    m_ColocarAlMostrar = true;
}

void fMain::Timer1_Timer() {
    m_Label1->setText(TextoReloj(m_Reloj(), m_Locale));
}

void fMain::Label1_Click() {
    const QDate today = m_Reloj().date();
    // Selecting a date also turns the calendar to its month, even when it was already selected.
    m_SSMonth1->setSelectedDate(today);
}

bool fMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_Label1 && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        // A click is a left-button release over the label.
        if (mouse->button() == Qt::LeftButton &&
            m_Label1->rect().contains(mouse->position().toPoint())) {
            Label1_Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void fMain::TraerAlFrente() {
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void fMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_ColocarAlMostrar && !event->spontaneous()) {
        m_ColocarAlMostrar = false;
        QTimer::singleShot(0, this, &fMain::ColocarArribaDerecha);
        m_SeguirMarco = true;
        QTimer::singleShot(3000, this, [this] { m_SeguirMarco = false; });
    }
}

bool fMain::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    if ((event->type() == QEvent::Move || event->type() == QEvent::Resize) && m_SeguirMarco &&
        frameGeometry().width() != m_AnchoColocado)
        ColocarArribaDerecha();
    return handled;
}

void fMain::ColocarArribaDerecha() {
    const QScreen* where = screen();
    if (where == nullptr) {
        return;
    }
    m_AnchoColocado = frameGeometry().width();
    move(EsquinaSuperiorDerecha(where->geometry(), m_AnchoColocado));
}

}  // namespace quelmar::calendario
