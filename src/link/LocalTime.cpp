#include "link/LocalTime.h"

#include <cstdlib>

QString localTimeText(const QDateTime& time, bool milliseconds) {
    const int offset = time.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return time.toString(milliseconds ? QStringLiteral("yyyy-MM-dd'T'HH:mm:ss.zzz")
                                      : QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")) +
           QStringLiteral("%1%2:%3")
               .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}
