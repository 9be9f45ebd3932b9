#pragma once
// The help of the forms: a form asks for it as the suite always did, by
// sending the F1 key to itself; the host, which knows the help file
// (ArchivoAyuda), catches the key and shows the page of that window.
class QWidget;

namespace ncc {
void PedirAyuda(QWidget* ventana);
}  // namespace ncc
