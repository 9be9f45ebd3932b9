#include "host/InformePdf.h"
#include "platform/Error.h"
#include <QBuffer>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QRawFont>
#include <algorithm>
#include <array>
#include <functional>

namespace ncc::host {

namespace {

QString numero(long n) {
    static const QLocale espanol(QLocale::Spanish, QLocale::Spain);
    return espanol.toString(static_cast<qlonglong>(n));
}

QString titulo(const DatosInforme& d) {
    return (d.ensayo ? QStringLiteral("Ensayo del cierre del curso escolar ") : QStringLiteral("Cierre del curso escolar ")) +
           d.cursoCerrado;
}

// The report is laid out in the PDF's own units, dots of 1/300 inch,
// whatever it is drawn on: a page ends at the same row on paper and in a
// picture.
constexpr int PuntosPorPulgada = 300;
constexpr qreal Mm = PuntosPorPulgada / 25.4;
// Millimetres on the page. The text's box leaves room below it for the
// line that numbers the pages.
constexpr qreal AnchoA4 = 210, AltoA4 = 297, Margen = 18, MargenInferior = 24;

QPageLayout paginaSinMargenes() {
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

enum Letra { Normal, Negrita, Titulo1, Titulo2, TituloTabla, PiePagina, NumLetras };

QFont fuente(Letra l) {
    static constexpr std::array<qreal, NumLetras> puntos{9, 9, 15, 12, 10, 7.5};
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSizeF(puntos[l]);
    f.setBold(l == Negrita || l == Titulo1 || l == Titulo2 || l == TituloTabla);
    return f;
}

// The widths of the texts as the layout measures them, kept from one pass
// over the report to the next: the second pass, which draws, measures
// nothing again, and the texts that repeat (destinations, decisions,
// prices) are measured once.
class Medidas {
public:
    Medidas() : dispositivo_(1, 1, QImage::Format_Mono) {
        const int ppm = qRound(PuntosPorPulgada / 0.0254);
        dispositivo_.setDotsPerMeterX(ppm);
        dispositivo_.setDotsPerMeterY(ppm);
        for (int l = 0; l < NumLetras; ++l) {
            const QFont f = fuente(Letra(l));
            metricas_.push_back(QFontMetricsF(f, &dispositivo_));
            crudas_[l] = QRawFont::fromFont(f);
            crudas_[l].setPixelSize(f.pointSizeF() * PuntosPorPulgada / 72);
        }
    }
    const QFontMetricsF& de(Letra l) const { return metricas_.at(l); }
    qreal ancho(Letra l, const QString& texto) {
        auto& cache = anchos_[l];
        const auto it = cache.constFind(texto);
        if (it != cache.cend()) return *it;
        const QGlyphRun g = glifos(l, texto);
        return *cache.insert(texto, g.isEmpty() ? metricas_.at(l).horizontalAdvance(texto) : g.boundingRect().right());
    }
    // The glyphs of one line of `texto`, each after the one before it by
    // its advance, from 0 on the baseline: what the line costs without
    // Qt's text shaping, which took most of the drawing of a long report.
    // Empty when the letters lack a character: that text is shaped.
    QGlyphRun glifos(Letra l, const QString& texto) const {
        const QRawFont& f = crudas_.at(l);
        const QList<quint32> indices = f.glyphIndexesForString(texto);
        if (!f.isValid() || indices.contains(0u)) return {};
        const QList<QPointF> avances = f.advancesForGlyphIndexes(indices, QRawFont::UseDesignMetrics);
        QList<QPointF> posiciones;
        posiciones.reserve(avances.size());
        QPointF x;
        for (const QPointF& a : avances) {
            posiciones.append(x);
            x += a;
        }
        QGlyphRun g;
        g.setRawFont(f);
        g.setGlyphIndexes(indices);
        g.setPositions(posiciones);
        g.setBoundingRect(QRectF(0, -f.ascent(), x.x(), f.ascent() + f.descent()));
        return g;
    }
    // How `texto` breaks into lines `ancho_` wide: between words, and
    // anywhere only when a word alone is wider.
    int partir(Letra l, const QString& texto, qreal ancho_) const {
        const QRectF r = metricas_.at(l).boundingRect(QRectF(0, 0, ancho_, 1e6), Qt::TextWordWrap, texto);
        return r.width() <= ancho_ ? Qt::TextWordWrap : Qt::TextWordWrap | Qt::TextWrapAnywhere;
    }
    // Height of `texto` broken into lines `ancho_` wide.
    qreal alto(Letra l, const QString& texto, qreal ancho_) {
        if (ancho(l, texto) <= ancho_) return metricas_.at(l).height();
        return metricas_.at(l).boundingRect(QRectF(0, 0, ancho_, 1e6), partir(l, texto, ancho_), texto).height();
    }

private:
    QImage dispositivo_;
    std::vector<QFontMetricsF> metricas_;
    std::array<QRawFont, NumLetras> crudas_;
    std::array<QHash<QString, qreal>, NumLetras> anchos_;
};

const QColor Azul(0x1d, 0x35, 0x57), Linea(0xc9, 0xd1, 0xda), Borde(0x9a, 0xa5, 0xb1), FondoCabecera(0xdd, 0xe4, 0xec),
    FondoAlterno(0xf4, 0xf6, 0xf8), FondoEnsayo(0xff, 0xf3, 0xcd), ColorPie(0x55, 0x5f, 0x6b);

// A table: its columns (widths as parts of the page's width), which of them
// hold numbers, and what it lists, named over its headings on every page
// it takes (`cabeza` in bold, `detalle` after it in plain letters).
struct Tabla {
    QStringList columnas;
    QList<qreal> anchos;
    QList<int> aDerecha;
    QString cabeza, detalle;
};

// Lays the report out page by page. Each page is handed to the painter
// that `pagina` answers for it (none: laid out, not drawn) as soon as it
// begins and is finished before the next begins, so nothing of a page
// stays once it is done. The number of pages is known only at the end:
// a first pass counts them, a second one draws with "Página N de M".
class Maquetador {
public:
    // The painter of page `pagina` (from 0) of `total`, or none.
    using Destino = std::function<QPainter*(int pagina, int total)>;

    Maquetador(const DatosInforme& d, Medidas& medidas, Destino destino, int totalPaginas, QList<QStringList>* textos = nullptr)
        : d_(d), m_(medidas), destino_(std::move(destino)), total_(totalPaginas), textos_(textos) {}

    // The whole report; answers its pages.
    int maquetar() {
        primeraParte();
        alumnos();
        actividades();
        empezarPagina();
        historico();
        purga();
        terminarPagina();
        return pagina_ + 1;
    }

private:
    // -- Pages -------------------------------------------------------------

    qreal izquierda() const { return Margen * Mm; }
    qreal ancho() const { return (AnchoA4 - 2 * Margen) * Mm; }
    qreal arriba() const { return Margen * Mm; }
    qreal abajo() const { return (AltoA4 - MargenInferior) * Mm; }
    bool alPrincipio() const { return y_ <= arriba(); }

    void empezarPagina() {
        if (pagina_ >= 0) terminarPagina();
        ++pagina_;
        p_ = destino_(pagina_, total_);
        if (textos_) textos_->append(QStringList());
        y_ = arriba();
    }

    void terminarPagina() {
        const QRectF linea(izquierda(), abajo() + 6 * Mm, ancho(), 6 * Mm);
        if (p_) {
            p_->setPen(QPen(ColorPie, 0.2 * Mm));
            p_->drawLine(QPointF(linea.left(), linea.top() - 1.5 * Mm), QPointF(linea.right(), linea.top() - 1.5 * Mm));
        }
        texto(linea, PiePagina,
              m_.de(PiePagina).elidedText(d_.centro + QStringLiteral(" · ") + titulo(d_), Qt::ElideRight, linea.width() * 0.75),
              Qt::AlignLeft | Qt::AlignTop, ColorPie);
        texto(linea, PiePagina, QStringLiteral("Página %1 de %2").arg(pagina_ + 1).arg(std::max(total_, pagina_ + 1)),
              Qt::AlignRight | Qt::AlignTop, ColorPie);
        p_ = nullptr;
    }

    // Makes room for `alto` more on this page, or begins the next.
    void sitio(qreal alto) {
        if (!alPrincipio() && y_ + alto > abajo()) empezarPagina();
    }

    // -- What is drawn -----------------------------------------------------

    void texto(const QRectF& r, Letra l, const QString& s, int alineacion, const QColor& color = Qt::black) {
        if (textos_) textos_->last().append(s);
        if (!p_) return;
        p_->setFont(fuentes_.at(l));
        p_->setPen(color);
        p_->drawText(r, alineacion, s);
    }

    // One line that fits its box, from the left or, `aDerecha`, to the right
    // of `r`: drawn at its baseline, without Qt's line breaking.
    void linea(const QRectF& r, Letra l, const QString& s, bool aDerecha) {
        if (textos_) textos_->last().append(s);
        if (!p_) return;
        p_->setPen(Qt::black);
        const QPointF base(aDerecha ? r.right() - m_.ancho(l, s) : r.left(), r.top() + m_.de(l).ascent());
        if (const QGlyphRun g = m_.glifos(l, s); !g.isEmpty()) {
            p_->drawGlyphRun(base, g);
            return;
        }
        p_->setFont(fuentes_.at(l));
        p_->drawText(base, s);
    }

    void rellenar(const QRectF& r, const QColor& color) {
        if (p_) p_->fillRect(r, color);
    }

    // -- Blocks ------------------------------------------------------------

    void titulo1(const QString& s) {
        const qreal alto = m_.alto(Titulo1, s, ancho());
        texto(QRectF(izquierda(), y_, ancho(), alto), Titulo1, s, Qt::AlignLeft | Qt::TextWordWrap, Azul);
        y_ += alto + 1.5 * Mm;
    }

    // A part's heading, kept on the page with a few lines of what follows.
    void titulo2(const QString& s) {
        const qreal alto = m_.alto(Titulo2, s, ancho());
        sitio(4 * Mm + alto + 4 * m_.de(Normal).height() + 6 * Mm);
        if (!alPrincipio()) y_ += 4 * Mm;
        texto(QRectF(izquierda(), y_, ancho(), alto), Titulo2, s, Qt::AlignLeft | Qt::TextWordWrap, Azul);
        y_ += alto + 1.2 * Mm;
    }

    void parrafo(const QString& s, Letra l = Normal) {
        const qreal alto = m_.alto(l, s, ancho());
        sitio(alto);
        texto(QRectF(izquierda(), y_, ancho(), alto), l, s, Qt::AlignLeft | m_.partir(l, s, ancho()));
        y_ += alto + 1.5 * Mm;
    }

    // A name in bold with its figures after it, on one line.
    void cabezaEnLinea(const QString& cabeza, const QString& detalle, qreal y, qreal alto) {
        const QString c = m_.de(TituloTabla).elidedText(cabeza, Qt::ElideRight, ancho() - 2 * Relleno);
        const qreal anchoCabeza = m_.ancho(TituloTabla, c);
        const qreal x = izquierda() + Relleno;
        // Both on one baseline.
        const qreal base = y + (alto - m_.de(TituloTabla).height()) / 2 + m_.de(TituloTabla).ascent();
        linea(QRectF(x, base - m_.de(TituloTabla).ascent(), anchoCabeza, alto), TituloTabla, c, false);
        const qreal resto = ancho() - 2 * Relleno - anchoCabeza;
        if (detalle.isEmpty() || resto <= 0) return;
        linea(QRectF(x + anchoCabeza, base - m_.de(Normal).ascent(), resto, alto), Normal,
              m_.de(Normal).elidedText(detalle, Qt::ElideRight, resto), false);
    }

    void avisoEnsayo() {
        const QString s = QStringLiteral("Ensayo: el cierre se ha hecho sobre copias de las bases de datos, que después se han "
                                         "descartado. No se ha cambiado nada del centro; así quedaría el nuevo curso.");
        const qreal alto = m_.alto(Negrita, s, ancho() - 4 * Mm) + 3 * Mm;
        rellenar(QRectF(izquierda(), y_, ancho(), alto), FondoEnsayo);
        texto(QRectF(izquierda() + 2 * Mm, y_ + 1.5 * Mm, ancho() - 4 * Mm, alto), Negrita, s, Qt::AlignLeft | Qt::TextWordWrap);
        y_ += alto + 2 * Mm;
    }

    void datosGenerales() {
        const std::pair<QString, QString> filas[] = {
            {QStringLiteral("Centro:"), d_.centro},
            {QStringLiteral("Curso escolar cerrado:"), d_.cursoCerrado},
            {QStringLiteral("Nuevo curso escolar:"), d_.cursoNuevo},
            {QStringLiteral("Tipo de cierre:"),
             d_.parcial ? QStringLiteral("parcial (el curso cerrado sigue activo)") : QStringLiteral("completo")},
            {QStringLiteral("Realizado por:"), d_.usuario},
            {QStringLiteral("Fecha:"), d_.cuando.toString(QStringLiteral("dd/MM/yyyy")) + QStringLiteral(" a las ") +
                                           d_.cuando.toString(QStringLiteral("HH:mm"))},
        };
        qreal etiquetas = 0;
        for (const auto& f : filas) etiquetas = std::max(etiquetas, m_.ancho(Negrita, f.first));
        etiquetas += 2 * Mm;
        for (const auto& [etiqueta, valor] : filas) {
            const qreal alto = std::max(m_.de(Negrita).height(), m_.alto(Normal, valor, ancho() - etiquetas)) + 1 * Mm;
            texto(QRectF(izquierda(), y_, etiquetas, alto), Negrita, etiqueta, Qt::AlignLeft | Qt::AlignTop);
            texto(QRectF(izquierda() + etiquetas, y_, ancho() - etiquetas, alto), Normal, valor,
                  Qt::AlignLeft | Qt::AlignTop | m_.partir(Normal, valor, ancho() - etiquetas));
            y_ += alto;
        }
        y_ += 2 * Mm;
    }

    // -- Tables ------------------------------------------------------------

    static constexpr qreal Relleno = 0.9 * Mm;

    qreal altoFila(const QStringList& celdas, Letra l) {
        qreal alto = m_.de(l).height();
        for (int i = 0; i < celdas.size(); ++i)
            alto = std::max(alto, m_.alto(l, celdas.at(i), tabla_.anchos.at(i) * ancho() - 2 * Relleno));
        return alto + 2 * Relleno;
    }

    void pintarFila(const QStringList& celdas, Letra l, const QColor& fondo, qreal alto) {
        if (fondo.isValid()) rellenar(QRectF(izquierda(), y_, ancho(), alto), fondo);
        // The cells' lines first and their texts after, so that the PDF
        // changes pen twice a row, not twice a cell.
        if (p_) {
            p_->setPen(QPen(Linea, 0.2 * Mm));
            qreal x = izquierda();
            for (int i = 0; i < celdas.size(); ++i) {
                const qreal w = tabla_.anchos.at(i) * ancho();
                p_->drawRect(QRectF(x, y_, w, alto));
                x += w;
            }
        }
        qreal x = izquierda();
        for (int i = 0; i < celdas.size(); ++i) {
            const qreal w = tabla_.anchos.at(i) * ancho();
            const QRectF caja(x + Relleno, y_ + Relleno, w - 2 * Relleno, alto - 2 * Relleno);
            const bool aDerecha = tabla_.aDerecha.contains(i);
            if (m_.ancho(l, celdas.at(i)) <= caja.width())
                linea(caja, l, celdas.at(i), aDerecha);
            else
                texto(caja, l, celdas.at(i),
                      (aDerecha ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop | m_.partir(l, celdas.at(i), caja.width()));
            x += w;
        }
        y_ += alto;
    }

    // The table's name and headings, at the top of each page it takes.
    void cabeceraTabla() {
        if (!tabla_.cabeza.isEmpty()) {
            const qreal alto = m_.de(TituloTabla).height() + 2 * Relleno;
            if (p_) {
                p_->setPen(QPen(Linea, 0.2 * Mm));
                p_->drawRect(QRectF(izquierda(), y_, ancho(), alto));
            }
            cabezaEnLinea(tabla_.cabeza, tabla_.detalle, y_, alto);
            y_ += alto;
        }
        pintarFila(tabla_.columnas, Negrita, FondoCabecera, altoFila(tabla_.columnas, Negrita));
        filasEnPagina_ = 0;
    }

    void empezarTabla(Tabla t) {
        tabla_ = std::move(t);
        filas_ = 0;
        const qreal cabeza = tabla_.cabeza.isEmpty() ? 0 : m_.de(TituloTabla).height() + 2 * Relleno;
        sitio(cabeza + 2 * altoFila(tabla_.columnas, Negrita));
        cabeceraTabla();
    }

    void fila(const QStringList& celdas, Letra l = Normal) {
        const qreal alto = altoFila(celdas, l);
        if (filasEnPagina_ > 0 && y_ + alto > abajo()) {
            empezarPagina();
            cabeceraTabla();
        }
        pintarFila(celdas, l, filas_ % 2 ? FondoAlterno : QColor(), alto);
        ++filas_;
        ++filasEnPagina_;
    }

    void terminarTabla() { y_ += 2 * Mm; }

    // -- Parts -------------------------------------------------------------

    void primeraParte() {
        empezarPagina();
        titulo1(titulo(d_));
        if (d_.ensayo) avisoEnsayo();
        datosGenerales();
        resumen();
        diferencias();
        plazas();
    }

    void resumen() {
        auto lineas = d_.resumen.lineas();
        // The students enrolled for the new year beforehand, after the archived.
        lineas.insert(5, {QStringLiteral("Alumnos ya matriculados para el nuevo curso"), d_.anticipados});
        titulo2(QStringLiteral("Resumen"));
        empezarTabla({{QStringLiteral("Concepto"), QStringLiteral("Cantidad")}, {0.75, 0.25}, {1}, {}, {}});
        for (const auto& [texto, valor] : lineas) fila({texto, numero(valor)});
        terminarTabla();
    }

    void diferencias() {
        titulo2(QStringLiteral("Diferencias entre lo decidido y lo hecho"));
        if (d_.diferencias.isEmpty()) {
            parrafo(QStringLiteral("Ninguna: las bases de datos del nuevo curso recogen todo lo decidido."));
            return;
        }
        parrafo(QStringLiteral("Revise estos casos: las bases de datos del nuevo curso no recogen lo que se decidió."), Negrita);
        empezarTabla({{QStringLiteral("Sección o actividad"), QStringLiteral("Alumno o actividad"), QStringLiteral("Decidido"),
                       QStringLiteral("Hecho")},
                      {0.26, 0.26, 0.24, 0.24},
                      {},
                      {},
                      {}});
        for (const DiferenciaInforme& x : d_.diferencias) fila({x.ambito, x.nombre, x.decidido, x.hecho});
        terminarTabla();
    }

    void plazas() {
        if (d_.secciones.isEmpty() && d_.plazas.isEmpty()) return;
        titulo2(QStringLiteral("Secciones con plazas aumentadas"));
        if (d_.plazas.isEmpty()) {
            parrafo(QStringLiteral("Ninguna: todos los alumnos caben en las plazas de su sección."));
            return;
        }
        empezarTabla({{QStringLiteral("Sección"), QStringLiteral("Plazas antes"), QStringLiteral("Plazas ahora")},
                      {0.6, 0.2, 0.2},
                      {1, 2},
                      {},
                      {}});
        for (const PlazasInforme& p : d_.plazas) fila({p.seccion, numero(p.antes), numero(p.despues)});
        terminarTabla();
    }

    // Each teaching type's students begin a page.
    void alumnos() {
        for (qsizetype i = 0; i < d_.secciones.size(); ++i) {
            const SeccionInforme& s = d_.secciones.at(i);
            if (i == 0 || s.tipo != d_.secciones.at(i - 1).tipo) {
                empezarPagina();
                titulo2(QStringLiteral("Alumnos por sección: ") + (s.tipo.isEmpty() ? QStringLiteral("sin enseñanza") : s.tipo));
            }
            empezarTabla({{QStringLiteral("Alumno"), QStringLiteral("Situación"), QStringLiteral("Nuevo curso y sección o fecha de baja")},
                          {0.40, 0.14, 0.46},
                          {},
                          s.nombre,
                          QStringLiteral(" — Promocionan: %1 · Repiten: %2 · Causan baja: %3")
                              .arg(numero(long(s.promocionan.size())), numero(long(s.repiten.size())),
                                   numero(long(s.bajas.size())))});
            const QString promociona = QStringLiteral("Promociona"), repite = QStringLiteral("Repite"), baja = QStringLiteral("Baja");
            for (const AlumnoInforme& a : s.promocionan) fila({a.nombre, promociona, a.detalle});
            for (const AlumnoInforme& a : s.repiten) fila({a.nombre, repite, a.detalle});
            for (const AlumnoInforme& a : s.bajas) fila({a.nombre, baja, a.detalle});
            terminarTabla();
        }
    }

    void actividades() {
        if (d_.actividades.isEmpty() && d_.actividadesQuitadas.isEmpty()) return;
        empezarPagina();
        titulo2(QStringLiteral("Actividades"));
        if (!d_.actividadesQuitadas.isEmpty())
            parrafo(QStringLiteral("No continúan: ") + d_.actividadesQuitadas.join(QStringLiteral(", ")) + QLatin1Char('.'));
        for (const ActividadInforme& a : d_.actividades) {
            const QString fechas = a.inicio.isEmpty() && a.fin.isEmpty()
                                       ? QStringLiteral("Sin fecha")
                                       : QStringLiteral("Del %1 al %2").arg(a.inicio.isEmpty() ? QStringLiteral("(sin fecha)") : a.inicio,
                                                                            a.fin.isEmpty() ? QStringLiteral("(sin fecha)") : a.fin);
            const QString detalle =
                QStringLiteral(" — %1 · Miembros que pasan: %2").arg(fechas, numero(long(a.miembros.size())));
            if (a.miembros.isEmpty()) {
                const qreal alto = m_.de(TituloTabla).height() + 2 * Relleno;
                sitio(alto);
                cabezaEnLinea(a.nombre, detalle, y_, alto);
                y_ += alto + 1 * Mm;
                continue;
            }
            empezarTabla({{QStringLiteral("Alumno"), QStringLiteral("Nuevo curso y sección"), QStringLiteral("Euros"),
                           QStringLiteral("Pesetas")},
                          {0.32, 0.46, 0.11, 0.11},
                          {2, 3},
                          a.nombre,
                          detalle});
            for (const MiembroInforme& m : a.miembros) fila({m.nombre, m.seccion, m.euros, m.pesetas});
            terminarTabla();
        }
    }

    void historico() {
        titulo2(QStringLiteral("Notas pasadas al histórico"));
        if (d_.historico.isEmpty()) {
            parrafo(d_.parcial ? QStringLiteral("Ninguna: en un cierre parcial las notas no pasan al histórico.")
                               : QStringLiteral("Ninguna."));
            return;
        }
        empezarTabla({{QStringLiteral("Curso"), QStringLiteral("Alumnos"), QStringLiteral("Notas de sus materias"),
                       QStringLiteral("Notas de materias pendientes")},
                      {0.4, 0.16, 0.22, 0.22},
                      {1, 2, 3},
                      {},
                      {}});
        long alumnos = 0, notas = 0, pendientes = 0;
        for (const HistoricoInforme& x : d_.historico) {
            fila({x.curso, numero(x.alumnos), numero(x.notas), numero(x.pendientes)});
            alumnos += x.alumnos;
            notas += x.notas;
            pendientes += x.pendientes;
        }
        fila({QStringLiteral("Total"), numero(alumnos), numero(notas), numero(pendientes)}, Negrita);
        terminarTabla();
    }

    void purga() {
        titulo2(QStringLiteral("Datos eliminados de los alumnos que causan baja"));
        parrafo(QStringLiteral("Solo se indican cantidades: el informe no guarda datos personales de quienes se van."));
        empezarTabla({{QStringLiteral("Datos"), QStringLiteral("Eliminados")}, {0.75, 0.25}, {1}, {}, {}});
        for (const PurgaInforme& p : d_.purga) fila({p.concepto, numero(p.cantidad)});
        terminarTabla();
    }

    const DatosInforme& d_;
    Medidas& m_;
    Destino destino_;
    int total_;
    QList<QStringList>* textos_;
    const std::array<QFont, NumLetras> fuentes_{fuente(Normal),  fuente(Negrita),   fuente(Titulo1),
                                                fuente(Titulo2), fuente(TituloTabla), fuente(PiePagina)};
    QPainter* p_ = nullptr;
    int pagina_ = -1;
    qreal y_ = 0;
    Tabla tabla_;
    int filas_ = 0, filasEnPagina_ = 0;
};

// The pages of the report: counted first, then drawn on the painters that
// `destino` answers.
int maquetarInforme(const DatosInforme& d, const Maquetador::Destino& destino, QList<QStringList>* textos = nullptr) {
    Medidas medidas;
    const int paginas = Maquetador(d, medidas, [](int, int) { return nullptr; }, 0).maquetar();
    return Maquetador(d, medidas, destino, paginas, textos).maquetar();
}

}  // namespace

void pdfInforme(const DatosInforme& d, QIODevice& salida) {
    QPdfWriter pdf(&salida);
    pdf.setPageLayout(paginaSinMargenes());
    pdf.setResolution(PuntosPorPulgada);
    pdf.setTitle(titulo(d));
    pdf.setCreator(QStringLiteral("NORVA GESTIÓN ESCOLAR"));
    QPainter p;
    if (!p.begin(&pdf)) throw Error(errores::Archivo, QStringLiteral("No se puede crear el documento PDF del informe"));
    maquetarInforme(d, [&](int pagina, int) {
        if (pagina > 0) pdf.newPage();
        return &p;
    });
    p.end();
}

QByteArray pdfInforme(const DatosInforme& d) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    pdfInforme(d, buffer);
    return bytes;
}

QImage paginaInforme(const DatosInforme& d, int pagina, int ppp) {
    const QSize tam = paginaSinMargenes().fullRectPixels(ppp).size();
    QImage img(tam, QImage::Format_RGB32);
    // The letters are sized in points for the layout's dots: the picture
    // is the layout scaled to its own.
    const int ppm = qRound(PuntosPorPulgada / 0.0254);
    img.setDotsPerMeterX(ppm);
    img.setDotsPerMeterY(ppm);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(qreal(ppp) / PuntosPorPulgada, qreal(ppp) / PuntosPorPulgada);
    maquetarInforme(d, [&](int i, int total) { return i == std::clamp(pagina, 1, total) - 1 ? &p : nullptr; });
    p.end();
    const int ppmReal = qRound(ppp / 0.0254);
    img.setDotsPerMeterX(ppmReal);
    img.setDotsPerMeterY(ppmReal);
    return img;
}

QList<QStringList> textosInforme(const DatosInforme& d) {
    QList<QStringList> textos;
    maquetarInforme(d, [](int, int) { return nullptr; }, &textos);
    return textos;
}

}  // namespace ncc::host
