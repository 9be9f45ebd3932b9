#pragma once
// The closing report on paper: A4 pages drawn row by row with QPainter,
// written as a PDF or painted page by page into a picture. Texts from the
// databases are drawn as plain text: nothing in them is markup.
#include "host/InformeCierre.h"
#include <QByteArray>
#include <QImage>
#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringList>

namespace ncc::host {

// The whole report as a PDF document, written into `salida` page by page:
// a page's rows leave memory once the page is done.
void pdfInforme(const DatosInforme& d, QIODevice& salida);
QByteArray pdfInforme(const DatosInforme& d);

// Page `pagina` (from 1) of the report painted on white paper at `ppp` dots
// per inch, laid out as in the PDF.
QImage paginaInforme(const DatosInforme& d, int pagina = 1, int ppp = 110);

// The texts drawn on each page, in the order they are drawn (the footer's
// last): what a reader finds on that page of the PDF.
QList<QStringList> textosInforme(const DatosInforme& d);

}  // namespace ncc::host
