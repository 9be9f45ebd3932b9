#pragma once
// Driving the wizard's real pages from the host, as a secretary would: the
// pictures and the page benchmark press the same buttons by name and pick
// rows in the same grids.
#include "platform/gui/Rejilla.h"
#include <QAbstractButton>
#include <QTableWidget>

namespace ncc::app {

// Presses the button `nombre` of `w` when it is there and enabled.
inline void pulsar(QWidget* w, const char* nombre) {
    if (auto* b = w->findChild<QAbstractButton*>(QString::fromLatin1(nombre)); b && b->isEnabled()) b->click();
}

// The grid helper of the table `nombre` of `w`; null when there is none.
inline Rejilla* rejilla(QWidget* w, const char* nombre) {
    auto* t = w->findChild<QTableWidget*>(QString::fromLatin1(nombre));
    return t ? t->findChild<Rejilla*>() : nullptr;
}

// The row of the activity page's activity grid with the most members, found
// by opening each in turn; the last one opened stays current.
inline int filaDeLaMayorActividad(Rejilla* actividades, Rejilla* miembros) {
    int fila = 0, mas = -1;
    for (int f = 0; f < actividades->filas(); ++f) {
        actividades->fijarFilaActual(f);
        if (miembros->filas() > mas) {
            mas = miembros->filas();
            fila = f;
        }
    }
    return fila;
}

}  // namespace ncc::app
