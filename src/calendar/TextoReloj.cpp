#include "calendar/TextoReloj.h"

namespace quelmar::calendario {

QString TextoReloj(const QDateTime& now, const QLocale& locale) {
    return locale.toString(now.date(), QLocale::LongFormat) + QStringLiteral("  ") +
           locale.toString(now.time(), QLocale::ShortFormat);
}

}  // namespace quelmar::calendario
