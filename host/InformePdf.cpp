#include "host/InformePdf.h"
#include "platform/Error.h"
#include <QAbstractTextDocumentLayout>
#include <algorithm>
#include <memory>
#include <vector>
#include <QBuffer>
#include <QFontMetricsF>
#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>

namespace ncc::host {

namespace {

QString e(const QString& texto) { return texto.toHtmlEscaped(); }

QString numero(long n) { return QLocale(QLocale::Spanish, QLocale::Spain).toString(static_cast<qlonglong>(n)); }

const char* const Tabla = "<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\" "
                          "style=\"border-collapse: collapse; border-color: #9aa5b1; margin-bottom: 6px\">";

// The heading row, repeated on every page the table runs over; `anchos`
// gives the first columns' widths in percent, `encima` a row over it.
QString cabecera(const QStringList& columnas, const QList<int>& anchos = {}, const QString& encima = {}) {
    QString h = QStringLiteral("<thead>") + encima + QStringLiteral("<tr>");
    for (int i = 0; i < columnas.size(); ++i)
        h += QStringLiteral("<th bgcolor=\"#dde4ec\" align=\"left\"%1>%2</th>")
                 .arg(i < anchos.size() ? QStringLiteral(" width=\"%1%\"").arg(anchos.at(i)) : QString(), e(columnas.at(i)));
    return h + QStringLiteral("</tr></thead>");
}

// A row over a table's headings naming what the table lists: it goes with
// the rows to the next page and comes back on each page they take.
// `cabeza` is HTML already.
QString filaTitulo(const QString& cabeza, int columnas) {
    return QStringLiteral("<tr><th colspan=\"%1\" align=\"left\" bgcolor=\"#ffffff\" style=\"font-size: 10pt\">%2</th></tr>")
        .arg(columnas)
        .arg(cabeza);
}

QString fila(const QStringList& celdas, int n, const QList<int>& aDerecha = {}) {
    QString h = n % 2 ? QStringLiteral("<tr bgcolor=\"#f4f6f8\">") : QStringLiteral("<tr>");
    for (int i = 0; i < celdas.size(); ++i)
        h += (aDerecha.contains(i) ? QStringLiteral("<td align=\"right\">%1</td>") : QStringLiteral("<td>%1</td>")).arg(e(celdas.at(i)));
    return h + QStringLiteral("</tr>");
}

// Qt lays a table out in a time that grows faster than its rows: a long
// list (the dining hall of a large school) goes in tables of this many rows
// at most, one after another, each with its heads.
constexpr int FilasPorTabla = 60;
// Rows of the students' or the activities' tables in one document at most:
// drawing a page walks its whole document.
constexpr int FilasPorParte = 600;

QStringList tablaPorPartes(const QString& cabeza, const QStringList& columnas, const QList<int>& anchos,
                           const QList<QStringList>& filas, const QList<int>& aDerecha = {}) {
    QStringList tablas;
    for (qsizetype desde = 0; desde < filas.size(); desde += FilasPorTabla) {
        QString h = QLatin1String(Tabla) + cabecera(columnas, anchos, filaTitulo(cabeza, int(columnas.size())));
        for (qsizetype i = desde; i < std::min(filas.size(), desde + FilasPorTabla); ++i) h += fila(filas.at(i), int(i), aDerecha);
        tablas << h + QStringLiteral("</table>");
    }
    return tablas;
}

QString titulo(const DatosInforme& d) {
    return (d.ensayo ? QStringLiteral("Ensayo del cierre del curso escolar ") : QStringLiteral("Cierre del curso escolar ")) +
           d.cursoCerrado;
}

QString datosGenerales(const DatosInforme& d) {
    QString h = QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\" style=\"margin-bottom: 8px\">");
    const std::pair<QString, QString> filas[] = {
        {QStringLiteral("Centro:"), d.centro},
        {QStringLiteral("Curso escolar cerrado:"), d.cursoCerrado},
        {QStringLiteral("Nuevo curso escolar:"), d.cursoNuevo},
        {QStringLiteral("Tipo de cierre:"), d.parcial ? QStringLiteral("parcial (el curso cerrado sigue activo)") : QStringLiteral("completo")},
        {QStringLiteral("Realizado por:"), d.usuario},
        {QStringLiteral("Fecha:"), d.cuando.toString(QStringLiteral("dd/MM/yyyy")) + QStringLiteral(" a las ") +
                                       d.cuando.toString(QStringLiteral("HH:mm"))},
    };
    for (const auto& [etiqueta, valor] : filas)
        h += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>").arg(e(etiqueta), e(valor));
    return h + QStringLiteral("</table>");
}

QString resumen(const DatosInforme& d) {
    auto lineas = d.resumen.lineas();
    // The students enrolled for the new year beforehand, after the archived.
    lineas.insert(4, {QStringLiteral("Alumnos ya matriculados para el nuevo curso"), d.anticipados});
    QString h = QStringLiteral("<h2>Resumen</h2>") + QLatin1String(Tabla) +
                cabecera({QStringLiteral("Concepto"), QStringLiteral("Cantidad")}, {75});
    int n = 0;
    for (const auto& [texto, valor] : lineas) h += fila({texto, numero(valor)}, n++, {1});
    return h + QStringLiteral("</table>");
}

QString diferencias(const DatosInforme& d) {
    QString h = QStringLiteral("<h2>Diferencias entre lo decidido y lo hecho</h2>");
    if (d.diferencias.isEmpty())
        return h + QStringLiteral("<p>Ninguna: las bases de datos del nuevo curso recogen todo lo decidido.</p>");
    h += QStringLiteral("<p><b>Revise estos casos:</b> las bases de datos del nuevo curso no recogen lo que se decidió.</p>") +
         QLatin1String(Tabla) +
         cabecera({QStringLiteral("Sección o actividad"), QStringLiteral("Alumno o actividad"), QStringLiteral("Decidido"),
                   QStringLiteral("Hecho")});
    int n = 0;
    for (const DiferenciaInforme& x : d.diferencias) h += fila({x.ambito, x.nombre, x.decidido, x.hecho}, n++);
    return h + QStringLiteral("</table>");
}

// The students' tables, one part per teaching type.
QStringList alumnos(const DatosInforme& d) {
    QStringList partes;
    qsizetype enLaParte = 0;
    for (qsizetype i = 0; i < d.secciones.size(); ++i) {
        const SeccionInforme& s = d.secciones.at(i);
        if (i == 0 || s.tipo != d.secciones.at(i - 1).tipo) {
            partes << QStringLiteral("<h2>Alumnos por sección: %1</h2>").arg(e(s.tipo.isEmpty() ? QStringLiteral("sin enseñanza") : s.tipo));
            enLaParte = 0;
        } else if (enLaParte >= FilasPorParte) {
            // A large teaching type goes on in a part of its own, between
            // two sections: each section's table names it.
            partes << QString();
            enLaParte = 0;
        }
        enLaParte += s.promocionan.size() + s.repiten.size() + s.bajas.size();
        QString& h = partes.last();
        const QString cabeza = QStringLiteral("%1<span style=\"font-weight: normal; font-size: 9pt\"> &#8212; Promocionan: %2 "
                                              "&#183; Repiten: %3 &#183; Causan baja: %4</span>")
                                   .arg(e(s.nombre), numero(long(s.promocionan.size())), numero(long(s.repiten.size())),
                                        numero(long(s.bajas.size())));
        QList<QStringList> filas;
        for (const AlumnoInforme& a : s.promocionan) filas.append({a.nombre, QStringLiteral("Promociona"), a.detalle});
        for (const AlumnoInforme& a : s.repiten) filas.append({a.nombre, QStringLiteral("Repite"), a.detalle});
        for (const AlumnoInforme& a : s.bajas) filas.append({a.nombre, QStringLiteral("Baja"), a.detalle});
        h += tablaPorPartes(cabeza, {QStringLiteral("Alumno"), QStringLiteral("Situación"), QStringLiteral("Nuevo curso y sección o fecha de baja")},
                            {40, 14}, filas)
                 .join(QString());
    }
    return partes;
}

QString plazas(const DatosInforme& d) {
    if (d.secciones.isEmpty() && d.plazas.isEmpty()) return {};
    QString h = QStringLiteral("<h2>Secciones con plazas aumentadas</h2>");
    if (d.plazas.isEmpty()) return h + QStringLiteral("<p>Ninguna: todos los alumnos caben en las plazas de su sección.</p>");
    h += QLatin1String(Tabla) + cabecera({QStringLiteral("Sección"), QStringLiteral("Plazas antes"), QStringLiteral("Plazas ahora")});
    int n = 0;
    for (const PlazasInforme& p : d.plazas) h += fila({p.seccion, numero(p.antes), numero(p.despues)}, n++, {1, 2});
    return h + QStringLiteral("</table>");
}

// The activities, in parts of some hundreds of members (a page begins
// where one ends).
QStringList actividades(const DatosInforme& d) {
    if (d.actividades.isEmpty() && d.actividadesQuitadas.isEmpty()) return {};
    QStringList partes{QStringLiteral("<h2>Actividades</h2>")};
    qsizetype miembros = 0;
    if (!d.actividadesQuitadas.isEmpty())
        partes.last() += QStringLiteral("<p><b>No continúan:</b> %1.</p>").arg(e(d.actividadesQuitadas.join(QStringLiteral(", "))));
    for (const ActividadInforme& a : d.actividades) {
        const QString fechas = a.inicio.isEmpty() && a.fin.isEmpty()
                                   ? QStringLiteral("Sin fecha")
                                   : QStringLiteral("Del %1 al %2").arg(a.inicio.isEmpty() ? QStringLiteral("(sin fecha)") : a.inicio,
                                                                        a.fin.isEmpty() ? QStringLiteral("(sin fecha)") : a.fin);
        const QString cabeza = QStringLiteral("%1<span style=\"font-weight: normal; font-size: 9pt\"> &#8212; %2 &#183; "
                                              "Miembros que pasan: %3</span>")
                                   .arg(e(a.nombre), e(fechas), numero(long(a.miembros.size())));
        if (a.miembros.isEmpty()) {
            partes.last() += QStringLiteral("<p style=\"font-size: 10pt; font-weight: bold\">%1</p>").arg(cabeza);
            continue;
        }
        QList<QStringList> filas;
        for (const MiembroInforme& m : a.miembros) filas.append({m.nombre, m.seccion, m.euros, m.pesetas});
        const QStringList tablas = tablaPorPartes(cabeza, {QStringLiteral("Alumno"), QStringLiteral("Nuevo curso y sección"),
                                                           QStringLiteral("Euros"), QStringLiteral("Pesetas")},
                                                  {32, 46}, filas, {2, 3});
        for (qsizetype i = 0; i < tablas.size(); ++i) {
            if (miembros >= FilasPorParte) {
                partes << QString();
                miembros = 0;
            }
            partes.last() += tablas.at(i);
            // The rows this table holds: a small activity fills little.
            miembros += std::min<qsizetype>(FilasPorTabla, filas.size() - i * FilasPorTabla);
        }
    }
    return partes;
}

QString historico(const DatosInforme& d) {
    QString h = QStringLiteral("<h2>Notas pasadas al histórico</h2>");
    if (d.historico.isEmpty())
        return h + (d.parcial ? QStringLiteral("<p>Ninguna: en un cierre parcial las notas no pasan al histórico.</p>")
                              : QStringLiteral("<p>Ninguna.</p>"));
    h += QLatin1String(Tabla) + cabecera({QStringLiteral("Curso"), QStringLiteral("Alumnos"), QStringLiteral("Notas de sus materias"),
                                         QStringLiteral("Notas de materias pendientes")});
    int n = 0;
    long alumnos = 0, notas = 0, pendientes = 0;
    for (const HistoricoInforme& x : d.historico) {
        h += fila({x.curso, numero(x.alumnos), numero(x.notas), numero(x.pendientes)}, n++, {1, 2, 3});
        alumnos += x.alumnos;
        notas += x.notas;
        pendientes += x.pendientes;
    }
    h += QStringLiteral("<tr><td><b>Total</b></td><td align=\"right\"><b>%1</b></td><td align=\"right\"><b>%2</b></td>"
                        "<td align=\"right\"><b>%3</b></td></tr>")
             .arg(numero(alumnos), numero(notas), numero(pendientes));
    return h + QStringLiteral("</table>");
}

QString purga(const DatosInforme& d) {
    QString h = QStringLiteral("<h2>Datos eliminados de los alumnos que causan baja</h2>"
                               "<p>Solo se indican cantidades: el informe no guarda datos personales de quienes se van.</p>") +
                QLatin1String(Tabla) + cabecera({QStringLiteral("Datos"), QStringLiteral("Eliminados")}, {75});
    int n = 0;
    for (const PurgaInforme& p : d.purga) h += fila({p.concepto, numero(p.cantidad)}, n++, {1});
    return h + QStringLiteral("</table>");
}

// Millimetres on the page. The text's box leaves room below it for the
// line that numbers the pages.
constexpr qreal AnchoA4 = 210, AltoA4 = 297, Margen = 18, MargenInferior = 24;

QStringList partesInforme(const DatosInforme& d);

// The report laid out on the pages of one device.
class Maquetacion {
public:
    Maquetacion(const DatosInforme& d, QPaintDevice* dispositivo, int ppp) : d_(d), ppp_(ppp) {
        const qreal mm = ppp / 25.4;
        cuerpo_ = QRectF(Margen * mm, Margen * mm, (AnchoA4 - 2 * Margen) * mm, (AltoA4 - Margen - MargenInferior) * mm);
        QFont fuente(QStringLiteral("DejaVu Sans"));
        fuente.setPointSizeF(9);
        for (const QString& parte : partesInforme(d)) {
            auto doc = std::make_unique<QTextDocument>();
            doc->documentLayout()->setPaintDevice(dispositivo);
            doc->setDefaultFont(fuente);
            doc->setDocumentMargin(0);
            doc->setDefaultStyleSheet(QStringLiteral("h1 { font-size: 15pt; color: #1d3557; margin-bottom: 4px; } "
                                                     "h2 { font-size: 12pt; color: #1d3557; margin-top: 14px; margin-bottom: 4px; } "
                                                     "h3 { font-size: 10pt; margin-top: 10px; margin-bottom: 2px; } "
                                                     "p { margin-top: 2px; margin-bottom: 4px; }"));
            doc->setHtml(QStringLiteral("<html><body>") + parte + QStringLiteral("</body></html>"));
            doc->setPageSize(cuerpo_.size());
            primeraPagina_.push_back(paginas_);
            paginas_ += doc->pageCount();
            docs_.push_back(std::move(doc));
        }
    }

    int paginas() const { return paginas_; }

    // Page `i` (from 0), on a painter whose origin is the page's corner.
    void pintar(QPainter& p, int i) {
        std::size_t k = 0;
        while (k + 1 < docs_.size() && primeraPagina_[k + 1] <= i) ++k;
        const int local = i - primeraPagina_[k];
        p.save();
        p.translate(cuerpo_.left(), cuerpo_.top() - local * cuerpo_.height());
        QAbstractTextDocumentLayout::PaintContext ctx;
        ctx.clip = QRectF(0, local * cuerpo_.height(), cuerpo_.width(), cuerpo_.height());
        ctx.palette.setColor(QPalette::Text, Qt::black);
        p.setClipRect(ctx.clip);
        docs_[k]->documentLayout()->draw(&p, ctx);
        p.restore();

        const qreal mm = ppp_ / 25.4;
        QFont pie(QStringLiteral("DejaVu Sans"));
        pie.setPointSizeF(7.5);
        p.save();
        p.setFont(pie);
        p.setPen(QColor(0x55, 0x5f, 0x6b));
        const QRectF linea(cuerpo_.left(), cuerpo_.bottom() + 6 * mm, cuerpo_.width(), 6 * mm);
        p.drawLine(QPointF(linea.left(), linea.top() - 1.5 * mm), QPointF(linea.right(), linea.top() - 1.5 * mm));
        const QString izquierda = QFontMetricsF(pie, p.device()).elidedText(d_.centro + QStringLiteral(" · ") + titulo(d_),
                                                                           Qt::ElideRight, linea.width() * 0.75);
        p.drawText(linea, Qt::AlignLeft | Qt::AlignTop, izquierda);
        p.drawText(linea, Qt::AlignRight | Qt::AlignTop, QStringLiteral("Página %1 de %2").arg(i + 1).arg(paginas()));
        p.restore();
    }

private:
    const DatosInforme& d_;
    int ppp_;
    QRectF cuerpo_;
    std::vector<std::unique_ptr<QTextDocument>> docs_;
    std::vector<int> primeraPagina_;
    int paginas_ = 0;
};

QPageLayout paginaSinMargenes() {
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

// The report in parts that each begin a page: the general figures, the
// students of each teaching type, the activities, the history and the
// purge. Qt draws a page by walking every table of its document, so a
// document per part keeps a long report's drawing in proportion to it.
QStringList partesInforme(const DatosInforme& d) {
    QString inicio = QStringLiteral("<h1>%1</h1>").arg(e(titulo(d)));
    if (d.ensayo)
        inicio += QStringLiteral("<table width=\"100%\" cellpadding=\"6\" style=\"margin-bottom: 8px\"><tr><td bgcolor=\"#fff3cd\">"
                            "<b>Ensayo:</b> el cierre se ha hecho sobre copias de las bases de datos, que después se han "
                            "descartado. No se ha cambiado nada del centro; así quedaría el nuevo curso.</td></tr></table>");
    QStringList partes{inicio + datosGenerales(d) + resumen(d) + diferencias(d) + plazas(d)};
    partes += alumnos(d);
    partes += actividades(d);
    partes << historico(d) + purga(d);
    return partes;
}

}  // namespace

QString htmlInforme(const DatosInforme& d) {
    return QStringLiteral("<html><body>") + partesInforme(d).join(QString()) + QStringLiteral("</body></html>");
}

QByteArray pdfInforme(const DatosInforme& d) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setPageLayout(paginaSinMargenes());
        pdf.setResolution(300);
        pdf.setTitle(titulo(d));
        pdf.setCreator(QStringLiteral("NORVA GESTIÓN ESCOLAR"));
        Maquetacion m(d, &pdf, pdf.resolution());
        QPainter p;
        if (!p.begin(&pdf)) throw Error(errores::Archivo, QStringLiteral("No se puede crear el documento PDF del informe"));
        for (int i = 0; i < m.paginas(); ++i) {
            if (i > 0) pdf.newPage();
            m.pintar(p, i);
        }
        p.end();
    }
    return bytes;
}

QImage paginaInforme(const DatosInforme& d, int pagina, int ppp) {
    const QSize tam = paginaSinMargenes().fullRectPixels(ppp).size();
    QImage img(tam, QImage::Format_RGB32);
    img.setDotsPerMeterX(qRound(ppp / 0.0254));
    img.setDotsPerMeterY(qRound(ppp / 0.0254));
    img.fill(Qt::white);
    Maquetacion m(d, &img, ppp);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    m.pintar(p, std::clamp(pagina, 1, std::max(1, m.paginas())) - 1);
    return img;
}

}  // namespace ncc::host
