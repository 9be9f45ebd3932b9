#pragma once
// The help of the forms: a form asks for it as the suite always did, by
// sending the F1 key to itself; the host, which knows the help file
// (ArchivoAyuda), catches the key and shows the page of that window.
#include <QString>

class QWidget;

namespace ncc {
void PedirAyuda(QWidget* ventana);

// The windows' help pages, one HTML file per window named after it
// (frmCierreAlumnos.html), in share/ncc/ayuda beside the program's folder:
// /usr/share/ncc/ayuda as installed, build/share/ncc/ayuda in the build.
QString CarpetaAyuda();
// The page of a window (by its objectName); the host's general page for a
// window that has none.
QString PaginaAyuda(const QString& ventana);
}  // namespace ncc
