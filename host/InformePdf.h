#pragma once
// The closing report on paper: one HTML text laid out on A4 pages by Qt's
// own text engine, written as a PDF or painted page by page into a picture.
// Every text that comes from the databases is escaped before it goes into
// the HTML.
#include "host/InformeCierre.h"
#include <QByteArray>
#include <QImage>
#include <QString>

namespace ncc::host {

QString htmlInforme(const DatosInforme& d);

// The whole report as a PDF document.
QByteArray pdfInforme(const DatosInforme& d);

// Page `pagina` (from 1) of the report painted on white paper at `ppp` dots
// per inch, laid out as in the PDF.
QImage paginaInforme(const DatosInforme& d, int pagina = 1, int ppp = 110);

}  // namespace ncc::host
