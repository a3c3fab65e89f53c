#include "calendar/ClockCaption.h"

QString clockCaption(const QDateTime& now, const QLocale& locale) {
    return locale.toString(now.date(), QLocale::LongFormat) + QStringLiteral("  ") +
           locale.toString(now.time(), QLocale::ShortFormat);
}
