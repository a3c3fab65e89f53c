#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace quelmar::calendario {

// The clock line: the date in the locale's long form, two spaces, the time in its short form
// (hours and minutes only).
QString TextoReloj(const QDateTime& now, const QLocale& locale);

}  // namespace quelmar::calendario
