#pragma once

#include <QDateTime>
#include <QLocale>
#include <QWidget>
#include <functional>

class QCalendarWidget;
class QLabel;
class QTimer;

// The Orbelle window: a month calendar (SSMonth1) over a one-line clock (Label1) that a one-second
// timer (Timer1) refreshes. A click on the clock brings the calendar back to today.
// The clock and the locale come in from outside so tests can choose the moment and the formats.
class fMain : public QWidget {
    Q_OBJECT

  public:
    using Clock = std::function<QDateTime()>;

    explicit fMain(Clock clock, const QLocale& locale = QLocale::system(),
                   QWidget* parent = nullptr);

    // Puts the window in the top right corner of its screen (not under Wayland, where the
    // compositor places windows). The single-instance check happens before the window exists.
    void Form_Load();
    void Timer1_Timer();
    void Label1_Click();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

  private:
    void placeTopRight();

    // First, so that they are set before the children, whose creation already sends events.
    bool m_placeWhenShown = false;
    // For a moment after showing, a frame that turns out wider than the one placed (the
    // window manager adds its borders late) is placed again.
    bool m_followFrame = false;
    int m_placedOuterWidth = -1;
    Clock m_clock;
    QLocale m_locale;
    QCalendarWidget* m_month;
    QLabel* m_label;
    QTimer* m_timer;
};
