#include <QAbstractItemModel>
#include <QCalendarWidget>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

#include "calendar/fMain.h"
#include "qtcomun/Icono.h"

namespace {

using namespace quelmar::calendario;

const QLocale kSpanish(QLocale::Spanish, QLocale::Spain);
const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);

// A clock the test sets by hand; the window reads it through the injected function.
struct ManualClock {
    QDateTime now;
    fMain::Reloj function() {
        return [this] { return now; };
    }
};

QCalendarWidget* calendarOf(const fMain& w) {
    return w.findChild<QCalendarWidget*>(QStringLiteral("SSMonth1"));
}
QLabel* labelOf(const fMain& w) {
    return w.findChild<QLabel*>(QStringLiteral("Label1"));
}

TEST(fMain, StartsWithTheDesignTimeSettings) {
    ManualClock clock{QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9))};
    const fMain w(clock.function(), kSpanish);

    EXPECT_EQ(w.windowTitle(), QStringLiteral("Orbelle"));
    EXPECT_EQ(w.size(), QSize(220, 127));

    QCalendarWidget* month = calendarOf(w);
    ASSERT_NE(month, nullptr);
    EXPECT_EQ(month->geometry(), QRect(-1, 0, 221, 110));
    EXPECT_EQ(month->minimumDate(), QDate(100, 1, 1));
    EXPECT_EQ(month->maximumDate(), QDate(9999, 12, 31));
    EXPECT_EQ(month->selectedDate(), QDate(2024, 3, 5));
    EXPECT_EQ(month->yearShown(), 2024);
    EXPECT_EQ(month->monthShown(), 3);
    EXPECT_LT(month->font().pointSizeF(), 8.0);

    QLabel* label = labelOf(w);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->geometry(), QRect(0, 110, 221, 17));
    EXPECT_EQ(label->toolTip(), QStringLiteral("Pulsar para mostrar Hoy."));
    EXPECT_TRUE(label->font().bold());
    EXPECT_DOUBLE_EQ(label->font().pointSizeF(), 6.75);
    // No date until the first tick, one second after start.
    EXPECT_TRUE(label->text().isEmpty());

    const auto* timer = w.findChild<QTimer*>(QStringLiteral("Timer1"));
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 1000);
}

// The "festivo" style stands for Sundays: it sits on the Sunday column of the month grid,
// wherever the locale puts it (last under es_ES, first under en_US), and on no other.
// The window carries Orbelle's own icon, not Qt's generic one.
TEST(fMain, TheWindowCarriesOrbellesIcon) {
    ManualClock clock{QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9))};
    fMain w(clock.function(), kSpanish);
    const QIcon propio = quelmar::qtcomun::IconoPropio(QStringLiteral("orbelle"));
    ASSERT_FALSE(propio.isNull());
    EXPECT_EQ(w.windowIcon().pixmap(32).toImage(), propio.pixmap(32).toImage());
}

// The clock line's text starts where the calendar's content does, not at the window's edge.
TEST(fMain, TheClockLineHasTheCalendarsMargin) {
    ManualClock clock{QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9))};
    fMain w(clock.function(), kSpanish);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    auto* anterior =
        calendarOf(w)->findChild<QToolButton*>(QStringLiteral("qt_calendar_prevmonth"));
    ASSERT_NE(anterior, nullptr);
    // The left edge of the button's arrow.
    const int calendario = anterior->mapTo(&w, QPoint(0, 0)).x() +
                           (anterior->width() - anterior->iconSize().width()) / 2;
    EXPECT_GT(calendario, 0);
    EXPECT_EQ(labelOf(w)->x() + labelOf(w)->contentsRect().left() + labelOf(w)->indent(),
              calendario);
    // The longest Spanish line still shows whole.
    clock.now = QDateTime(QDate(2026, 9, 30), QTime(23, 59, 59));
    w.Timer1_Timer();
    const QLabel& reloj = *labelOf(w);
    EXPECT_LE(reloj.fontMetrics().horizontalAdvance(reloj.text()),
              reloj.contentsRect().width() - reloj.indent())
        << reloj.text().toStdString();
}

TEST(fMain, FestivoStyleColoursTheSundayColumn) {
    ManualClock clock{QDateTime(QDate(2024, 3, 5), QTime(12, 0))};
    const QColor red(255, 0, 0);
    const QColor grey(0xDF, 0xDF, 0xDF);
    for (const QLocale& locale : {kSpanish, kEnglish}) {
        const fMain w(clock.function(), locale);
        QCalendarWidget* month = calendarOf(w);
        ASSERT_NE(month, nullptr);
        EXPECT_EQ(month->firstDayOfWeek(), locale.firstDayOfWeek());
        const int domingo = (Qt::Sunday - locale.firstDayOfWeek() + 7) % 7;

        const auto* grid = month->findChild<QTableView*>();
        ASSERT_NE(grid, nullptr);
        const QAbstractItemModel* cells = grid->model();
        // Row 0 holds the day names; row 3 lies inside the shown month in every month.
        for (int row : {0, 3}) {
            for (int column = 0; column < cells->columnCount(); ++column) {
                const QModelIndex cell = cells->index(row, column);
                const bool festivo = column == domingo;
                EXPECT_EQ(cells->data(cell, Qt::BackgroundRole).value<QColor>() == grey, festivo)
                    << locale.name().toStdString() << " row " << row << " column " << column;
                EXPECT_EQ(cells->data(cell, Qt::ForegroundRole).value<QColor>() == red, festivo)
                    << locale.name().toStdString() << " row " << row << " column " << column;
            }
        }
    }
}

TEST(fMain, DayNamesAndAllSixWeeksFitInTheCalendar) {
    ManualClock clock{QDateTime(QDate(2024, 3, 5), QTime(12, 0))};
    fMain w(clock.function(), kSpanish);
    w.show();
    QCoreApplication::processEvents();

    const auto* grid = calendarOf(w)->findChild<QTableView*>();
    ASSERT_NE(grid, nullptr);
    const int rows = grid->model()->rowCount();
    ASSERT_EQ(rows, 7);
    const int lastRow = rows - 1;
    EXPECT_LE(grid->rowViewportPosition(lastRow) + grid->rowHeight(lastRow),
              grid->viewport()->height());
    EXPECT_GE(grid->rowHeight(lastRow), QFontMetrics(calendarOf(w)->font()).ascent());
}

TEST(fMain, TickWritesDateAndTimeInTheWindowsLocale) {
    ManualClock clock{QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9))};
    fMain spanish(clock.function(), kSpanish);
    fMain english(clock.function(), kEnglish);
    spanish.Timer1_Timer();
    english.Timer1_Timer();
    EXPECT_EQ(labelOf(spanish)->text(), QStringLiteral("martes, 5 de marzo de 2024  14:07"));
    EXPECT_EQ(labelOf(english)->text(), QStringLiteral("Tuesday, March 5, 2024  2:07 PM"));
}

TEST(fMain, DateChangesAtTheFirstTickAfterMidnight) {
    ManualClock clock{QDateTime(QDate(2024, 12, 31), QTime(23, 59, 59, 400))};
    fMain w(clock.function(), kSpanish);
    QLabel* label = labelOf(w);

    w.Timer1_Timer();
    EXPECT_EQ(label->text(), QStringLiteral("martes, 31 de diciembre de 2024  23:59"));

    // Midnight passes between ticks: the caption keeps the old day until the next tick.
    clock.now = QDateTime(QDate(2025, 1, 1), QTime(0, 0, 0, 400));
    EXPECT_EQ(label->text(), QStringLiteral("martes, 31 de diciembre de 2024  23:59"));
    w.Timer1_Timer();
    EXPECT_EQ(label->text(), QStringLiteral("miércoles, 1 de enero de 2025  0:00"));
}

TEST(fMain, TimerWritesTheCaptionWithoutHelp) {
    ManualClock clock{QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9))};
    fMain w(clock.function(), kSpanish);
    QLabel* label = labelOf(w);
    ASSERT_TRUE(label->text().isEmpty());

    // The generous ceiling only guards against a hang; the timer fires after one second.
    const QDeadlineTimer ceiling(30000);
    while (label->text().isEmpty() && !ceiling.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    EXPECT_EQ(label->text(), QStringLiteral("martes, 5 de marzo de 2024  14:07"));
}

TEST(fMain, ClickOnTheClockReturnsTheCalendarToToday) {
    struct Case {
        const char* what;
        QDate selectBefore;  // invalid: leave today selected
        int pageYear;
        int pageMonth;
    };
    const Case cases[] = {
        {"paged away with today still selected", QDate(), 2023, 7},
        {"paged away and another day selected", QDate(1998, 11, 20), 1998, 11},
        {"other day selected in today's month", QDate(2024, 3, 28), 2024, 3},
        {"paged to the first month of the range", QDate(), 100, 1},
    };
    for (const Case& c : cases) {
        ManualClock clock{QDateTime(QDate(2024, 3, 5), QTime(9, 30))};
        fMain w(clock.function(), kSpanish);
        w.show();
        QCalendarWidget* month = calendarOf(w);
        if (c.selectBefore.isValid()) {
            month->setSelectedDate(c.selectBefore);
        }
        month->setCurrentPage(c.pageYear, c.pageMonth);
        ASSERT_EQ(month->monthShown(), c.pageMonth) << c.what;

        QTest::mouseClick(labelOf(w), Qt::LeftButton);
        EXPECT_EQ(month->selectedDate(), QDate(2024, 3, 5)) << c.what;
        EXPECT_EQ(month->yearShown(), 2024) << c.what;
        EXPECT_EQ(month->monthShown(), 3) << c.what;
    }
}

TEST(fMain, ClickUsesTheDateOfTheClickNotOfTheStart) {
    ManualClock clock{QDateTime(QDate(2024, 1, 31), QTime(23, 59, 59))};
    fMain w(clock.function(), kSpanish);
    w.show();
    clock.now = QDateTime(QDate(2024, 2, 1), QTime(0, 0, 1));

    QTest::mouseClick(labelOf(w), Qt::LeftButton);
    QCalendarWidget* month = calendarOf(w);
    EXPECT_EQ(month->selectedDate(), QDate(2024, 2, 1));
    EXPECT_EQ(month->monthShown(), 2);
}

TEST(fMain, RightClickOnTheClockLeavesTheCalendarAlone) {
    ManualClock clock{QDateTime(QDate(2024, 3, 5), QTime(9, 30))};
    fMain w(clock.function(), kSpanish);
    w.show();
    QCalendarWidget* month = calendarOf(w);
    month->setCurrentPage(2023, 7);

    QTest::mouseClick(labelOf(w), Qt::RightButton);
    EXPECT_EQ(month->yearShown(), 2023);
    EXPECT_EQ(month->monthShown(), 7);
}

TEST(fMain, LoadPutsTheWindowInTheTopRightCornerOfItsScreen) {
    ManualClock clock{QDateTime(QDate(2024, 3, 5), QTime(9, 30))};
    fMain w(clock.function(), kSpanish);
    w.move(13, 57);
    w.Form_Load();
    w.show();
    QCoreApplication::processEvents();

    const QRect screen = w.screen()->geometry();
    const QRect frame = w.frameGeometry();
    EXPECT_EQ(frame.top(), screen.top());
    EXPECT_EQ(frame.right(), screen.right());
    EXPECT_EQ(w.size(), QSize(220, 127));
}

}  // namespace
