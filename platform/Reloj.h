#pragma once
// "Today" for the whole component. Tests set it; everyone else reads it.
#include <QDate>

namespace ncc {

struct Reloj {
    static QDate hoy();
    static void fijarHoy(const QDate& d);  // an invalid date returns to the system clock
};

}  // namespace ncc
