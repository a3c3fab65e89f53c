#pragma once

#include <QDateTime>
#include <QLocale>
#include <QWidget>
#include <functional>

class QCalendarWidget;
class QLabel;
class QTimer;

namespace quelmar::calendario {

// The Orbelle window: a month calendar (SSMonth1) over a one-line clock (Label1) that a one-second
// timer (Timer1) refreshes. A click on the clock brings the calendar back to today.
// The clock and the locale come in from outside so tests can choose the moment and the formats.
class fMain : public QWidget {
    Q_OBJECT

  public:
    using Reloj = std::function<QDateTime()>;

    explicit fMain(Reloj clock, const QLocale& locale = QLocale::system(),
                   QWidget* parent = nullptr);

    // Puts the window in the top right corner of its screen (not under Wayland, where the
    // compositor places windows). The single-instance check happens before the window exists.
    void Form_Load();
    void Timer1_Timer();
    void Label1_Click();
    // Another start of the program asked for the window: unminimised, shown, raised, focused.
    void TraerAlFrente();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

  private:
    void ColocarArribaDerecha();

    // First, so that they are set before the children, whose creation already sends events.
    bool m_ColocarAlMostrar = false;
    // For a moment after showing, a frame that turns out wider than the one placed (the
    // window manager adds its borders late) is placed again.
    bool m_SeguirMarco = false;
    int m_AnchoColocado = -1;
    Reloj m_Reloj;
    QLocale m_Locale;
    QCalendarWidget* m_SSMonth1;
    QLabel* m_Label1;
    QTimer* m_Timer1;
};

}  // namespace quelmar::calendario
