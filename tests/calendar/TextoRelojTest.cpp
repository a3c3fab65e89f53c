#include <gtest/gtest.h>

#include "calendar/TextoReloj.h"

namespace {

using namespace quelmar::calendario;

const QDateTime kAfternoon(QDate(2024, 3, 5), QTime(14, 7, 9));

TEST(TextoReloj, LongDateTwoSpacesShortTimeInTheGivenLocale) {
    EXPECT_EQ(TextoReloj(kAfternoon, QLocale(QLocale::Spanish, QLocale::Spain)),
              QStringLiteral("martes, 5 de marzo de 2024  14:07"));
    EXPECT_EQ(TextoReloj(kAfternoon, QLocale(QLocale::English, QLocale::UnitedStates)),
              QStringLiteral("Tuesday, March 5, 2024  2:07 PM"));
}

TEST(TextoReloj, ShowsHoursAndMinutesOnly) {
    const QLocale spanish(QLocale::Spanish, QLocale::Spain);
    const QDateTime lastSecond(QDate(2024, 3, 5), QTime(23, 59, 59, 999));
    EXPECT_EQ(TextoReloj(lastSecond, spanish), QStringLiteral("martes, 5 de marzo de 2024  23:59"));
}

}  // namespace
