#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

// The clock line: the date in the locale's long form, two spaces, the time in its short form
// (hours and minutes only).
QString clockCaption(const QDateTime& now, const QLocale& locale);
