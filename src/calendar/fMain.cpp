#include "calendar/fMain.h"

#include <QCalendarWidget>
#include <QColor>
#include <QEvent>
#include <QFont>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QShowEvent>
#include <QStringList>
#include <QTableView>
#include <QTextCharFormat>
#include <QTimer>
#include <utility>

#include "calendar/ClockCaption.h"
#include "calendar/Placement.h"

namespace {

// The layout is given in twips; 15 twips make a pixel on a standard display.
constexpr int px(int twips) {
    return twips / 15;
}

// "Small Fonts" is a Windows bitmap face; where it is missing the nearest small sans-serif stands
// in.
QFont smallFont(bool bold) {
    QFont font;
    font.setFamilies({QStringLiteral("Small Fonts"), QStringLiteral("DejaVu Sans Condensed"),
                      QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(6.75);
    font.setBold(bold);
    return font;
}

// The "festivo" day style: stored as 0x0000FF and 0xDFDFDF in blue-green-red order.
QTextCharFormat festivoFormat() {
    QTextCharFormat format;
    format.setForeground(QColor(0xFF, 0x00, 0x00));
    format.setBackground(QColor(0xDF, 0xDF, 0xDF));
    return format;
}

// The grid's rows would keep a minimum height that lets the sixth week fall off the bottom of the
// 110 pixels the calendar has; let them share the height instead.
void fitSixWeeks(QCalendarWidget& month) {
    if (auto* grid = month.findChild<QTableView*>()) {
        grid->verticalHeader()->setMinimumSectionSize(1);
    }
}

}  // namespace

fMain::fMain(Clock clock, const QLocale& locale, QWidget* parent)
    : QWidget(parent),
      m_clock(std::move(clock)),
      m_locale(locale),
      m_month(new QCalendarWidget(this)),
      m_label(new QLabel(this)),
      m_timer(new QTimer(this)) {
    setObjectName(QStringLiteral("fMain"));
    setWindowTitle(QStringLiteral("Orbelle"));
    setFixedSize(px(3300), px(1905));

    m_month->setObjectName(QStringLiteral("SSMonth1"));
    m_month->setGeometry(px(-15), px(0), px(3315), px(1650));
    m_month->setFont(smallFont(false));
    // The calendar follows the same locale as the clock, including its first day of the week.
    m_month->setLocale(m_locale);
    m_month->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    m_month->setDateRange(QDate(100, 1, 1), QDate(9999, 12, 31));
    // Sundays carry the "festivo" style, in whatever column the locale puts them; the
    // widget's own red Saturdays go.
    for (int day = Qt::Monday; day <= Qt::Sunday; ++day) {
        m_month->setWeekdayTextFormat(static_cast<Qt::DayOfWeek>(day), QTextCharFormat());
    }
    m_month->setWeekdayTextFormat(Qt::Sunday, festivoFormat());
    fitSixWeeks(*m_month);
    m_month->setSelectedDate(m_clock().date());

    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setGeometry(px(0), px(1650), px(3315), px(255));
    m_label->setFont(smallFont(true));
    m_label->setToolTip(QStringLiteral("Pulsar para mostrar Hoy."));
    m_label->installEventFilter(this);

    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &fMain::Timer1_Timer);
    m_timer->start();
}

void fMain::Form_Load() {
    if (!windowCanPlaceItself(QGuiApplication::platformName())) {
        return;
    }
    placeTopRight();
    // The frame's width is known only once the window manager has framed the window.
    m_placeWhenShown = true;
}

void fMain::Timer1_Timer() {
    m_label->setText(clockCaption(m_clock(), m_locale));
}

void fMain::Label1_Click() {
    const QDate today = m_clock().date();
    // Selecting a date also turns the calendar to its month, even when it was already selected.
    m_month->setSelectedDate(today);
}

bool fMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_label && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        // A click is a left-button release over the label.
        if (mouse->button() == Qt::LeftButton &&
            m_label->rect().contains(mouse->position().toPoint())) {
            Label1_Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void fMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_placeWhenShown && !event->spontaneous()) {
        m_placeWhenShown = false;
        QTimer::singleShot(0, this, &fMain::placeTopRight);
        m_followFrame = true;
        QTimer::singleShot(3000, this, [this] { m_followFrame = false; });
    }
}

bool fMain::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    if ((event->type() == QEvent::Move || event->type() == QEvent::Resize) && m_followFrame &&
        frameGeometry().width() != m_placedOuterWidth)
        placeTopRight();
    return handled;
}

void fMain::placeTopRight() {
    const QScreen* where = screen();
    if (where == nullptr) {
        return;
    }
    m_placedOuterWidth = frameGeometry().width();
    move(topRightFramePosition(where->geometry(), m_placedOuterWidth));
}
