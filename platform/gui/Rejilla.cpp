#include "platform/gui/Rejilla.h"
#include "platform/Ajustes.h"
#include "platform/Textos.h"
#include <QAbstractItemView>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QFontMetrics>
#include <QScrollBar>
#include <QStyle>
#include <QTableWidget>

namespace ncc {

namespace {
// What the helper keeps in the cells besides the text.
constexpr int RolTextoPropio = Qt::UserRole + 1;  // own text colour (0x00BBGGRR)
constexpr int RolFondoPropio = Qt::UserRole + 2;  // own background
constexpr int RolMarcada = Qt::UserRole + 3;      // first cell: the row is marked
constexpr int RolEncabezado = Qt::UserRole + 4;   // first cell: heading row
constexpr int RolFija = Qt::UserRole + 5;         // the cell belongs to the fixed column

// Widths beyond this are a damaged setting, not a user's choice.
constexpr int TwipsMaximos = 60000;
}  // namespace

Rejilla::Rejilla(QTableWidget* tabla) : QObject(tabla), tabla_(tabla) {
    tabla_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tabla_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tabla_->setSelectionMode(QAbstractItemView::SingleSelection);
    tabla_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    tabla_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    tabla_->verticalHeader()->setVisible(false);
    tabla_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // Rows as close as the suite's grids had them: a line of text and a
    // little air.
    tabla_->verticalHeader()->setDefaultSectionSize(tabla_->fontMetrics().height() + 6);
    tabla_->horizontalHeader()->setHighlightSections(false);
    tabla_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    tabla_->setWordWrap(false);
    tabla_->setTabKeyNavigation(false);
    tabla_->installEventFilter(this);
    connect(tabla_, &QTableWidget::currentCellChanged, this,
            [this](int fila, int, int filaAnterior, int) {
                if (fila != filaAnterior) emit filaCambiada(fila, filaAnterior);
            });
    connect(tabla_, &QTableWidget::cellPressed, this, [this](int fila, int) {
        if (marcadoAlPulsar_) conmutar(fila);
    });
}

// ---------------------------------------------------------------------------
// Shape

void Rejilla::fijarColumnas(const QStringList& titulos) {
    tabla_->clearSpans();
    tabla_->setRowCount(0);
    marcadas_ = 0;
    tabla_->setColumnCount(int(titulos.size()));
    for (int c = 0; c < titulos.size(); ++c)
        tabla_->setHorizontalHeaderItem(c, new QTableWidgetItem(titulos.at(c)));
}

void Rejilla::fijarColumnasPorTexto(const QList<int>& idsTexto) {
    QStringList titulos;
    for (int id : idsTexto) titulos << Texto(id);
    fijarColumnas(titulos);
    for (int c = 0; c < idsTexto.size(); ++c)
        tabla_->horizontalHeaderItem(c)->setData(Qt::UserRole, idsTexto.at(c));
}

void Rejilla::fijarAlineacion(int columna, Qt::Alignment alineacion) { alineaciones_.insert(columna, alineacion); }

void Rejilla::fijarColumnaFija(bool fija) { columnaFija_ = fija; }

void Rejilla::vaciar() {
    tabla_->clearSpans();
    tabla_->setRowCount(0);
    marcadas_ = 0;
}

int Rejilla::filas() const { return tabla_->rowCount(); }
int Rejilla::columnas() const { return tabla_->columnCount(); }

int Rejilla::agregarFila(const QStringList& textos, const QVariant& dato, const QList<qint64>& coloresTexto) {
    const int fila = tabla_->rowCount();
    tabla_->insertRow(fila);
    for (int c = 0; c < tabla_->columnCount(); ++c) {
        auto* item = new QTableWidgetItem(c < textos.size() ? textos.at(c) : QString());
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        if (c == 0 && columnaFija_) item->setData(RolFija, true);
        if (c == 0) item->setData(Qt::UserRole, dato);
        if (const qint64 color = coloresTexto.value(c, -1); color >= 0) item->setData(RolTextoPropio, quint32(color));
        if (const auto a = alineaciones_.constFind(c); a != alineaciones_.cend()) item->setTextAlignment(*a);
        pintarCelda(item, false);
        tabla_->setItem(fila, c, item);
    }
    return fila;
}

int Rejilla::agregarEncabezado(const QString& texto, const QVariant& dato) {
    const int fila = tabla_->rowCount();
    tabla_->insertRow(fila);
    QFont negrita = tabla_->font();
    negrita.setBold(true);
    for (int c = 0; c < tabla_->columnCount(); ++c) {
        auto* item = new QTableWidgetItem(c == 0 ? texto : QString());
        item->setFlags(Qt::ItemIsEnabled);
        item->setData(RolEncabezado, true);
        item->setFont(negrita);
        tabla_->setItem(fila, c, item);
        pintarCelda(item, false);
    }
    if (tabla_->columnCount() > 0) tabla_->item(fila, 0)->setData(Qt::UserRole, dato);
    if (tabla_->columnCount() > 1) tabla_->setSpan(fila, 0, 1, tabla_->columnCount());
    return fila;
}

bool Rejilla::esEncabezado(int fila) const {
    const auto* item = celda(fila, 0);
    return item && item->data(RolEncabezado).toBool();
}

// ---------------------------------------------------------------------------
// Contents

QTableWidgetItem* Rejilla::celda(int fila, int columna) const {
    if (fila < 0 || fila >= tabla_->rowCount() || columna < 0 || columna >= tabla_->columnCount())
        return nullptr;
    return tabla_->item(fila, columna);
}

QTableWidgetItem* Rejilla::celdaCreada(int fila, int columna) {
    if (fila < 0 || fila >= tabla_->rowCount() || columna < 0 || columna >= tabla_->columnCount())
        return nullptr;
    auto* item = tabla_->item(fila, columna);
    if (!item) {
        item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        tabla_->setItem(fila, columna, item);
    }
    return item;
}

QVariant Rejilla::datoFila(int fila) const {
    const auto* item = celda(fila, 0);
    return item ? item->data(Qt::UserRole) : QVariant();
}

void Rejilla::fijarDatoFila(int fila, const QVariant& dato) {
    if (auto* item = celdaCreada(fila, 0)) item->setData(Qt::UserRole, dato);
}

int Rejilla::buscarFila(const QVariant& dato) const {
    for (int f = 0; f < tabla_->rowCount(); ++f)
        if (datoFila(f) == dato) return f;
    return -1;
}

QString Rejilla::texto(int fila, int columna) const {
    const auto* item = celda(fila, columna);
    return item ? item->text() : QString();
}

void Rejilla::fijarTexto(int fila, int columna, const QString& texto) {
    if (auto* item = celdaCreada(fila, columna)) item->setText(texto);
}

// ---------------------------------------------------------------------------
// Colours

QColor Rejilla::aColor(quint32 bgr) {
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

quint32 Rejilla::aBGR(const QColor& c) {
    return quint32(c.red()) | (quint32(c.green()) << 8) | (quint32(c.blue()) << 16);
}

quint32 Rejilla::colorFondoRejilla() const { return aBGR(tabla_->palette().color(QPalette::Active, QPalette::Base)); }
quint32 Rejilla::colorTextoRejilla() const { return aBGR(tabla_->palette().color(QPalette::Active, QPalette::Text)); }
quint32 Rejilla::colorFondoFijo() const {
    return aBGR(tabla_->horizontalHeader()->palette().color(QPalette::Active, QPalette::Button));
}
quint32 Rejilla::colorFondoSeleccion() const {
    return aBGR(tabla_->palette().color(QPalette::Active, QPalette::Highlight));
}
quint32 Rejilla::colorTextoSeleccion() const {
    return aBGR(tabla_->palette().color(QPalette::Active, QPalette::HighlightedText));
}

void Rejilla::fijarColorTexto(int fila, int columna, qint64 bgr) {
    auto* item = celdaCreada(fila, columna);
    if (!item) return;
    item->setData(RolTextoPropio, bgr < 0 ? QVariant() : QVariant(quint32(bgr)));
    pintarCelda(item, marcada(fila));
}

void Rejilla::fijarColorFondo(int fila, int columna, qint64 bgr) {
    auto* item = celdaCreada(fila, columna);
    if (!item) return;
    item->setData(RolFondoPropio, bgr < 0 ? QVariant() : QVariant(quint32(bgr)));
    pintarCelda(item, marcada(fila));
}

void Rejilla::fijarColorFondoFila(int fila, qint64 bgr) {
    for (int c = 0; c < tabla_->columnCount(); ++c) fijarColorFondo(fila, c, bgr);
}

// The colours a cell shows when not marked: its own, else the fixed-cell
// background for headings and the fixed column, else the grid's.
static bool esFija(const QTableWidgetItem* item) {
    return item->data(RolEncabezado).toBool() || item->data(RolFija).toBool();
}

quint32 Rejilla::colorTexto(int fila, int columna) const {
    const auto* item = celda(fila, columna);
    if (!item) return colorTextoRejilla();
    if (marcada(fila)) return colorTextoSeleccion();
    const QVariant propio = item->data(RolTextoPropio);
    return propio.isValid() ? propio.toUInt() : colorTextoRejilla();
}

quint32 Rejilla::colorFondo(int fila, int columna) const {
    const auto* item = celda(fila, columna);
    if (!item) return colorFondoRejilla();
    if (marcada(fila)) return colorFondoSeleccion();
    const QVariant propio = item->data(RolFondoPropio);
    if (propio.isValid()) return propio.toUInt();
    return esFija(item) ? colorFondoFijo() : colorFondoRejilla();
}

void Rejilla::pintarCelda(QTableWidgetItem* item, bool marcadaFila) const {
    if (marcadaFila) {
        item->setBackground(aColor(colorFondoSeleccion()));
        item->setForeground(aColor(colorTextoSeleccion()));
        return;
    }
    const QVariant fondo = item->data(RolFondoPropio);
    if (fondo.isValid()) item->setBackground(aColor(fondo.toUInt()));
    else if (esFija(item)) item->setBackground(aColor(colorFondoFijo()));
    else item->setBackground(QBrush());
    const QVariant texto = item->data(RolTextoPropio);
    item->setForeground(texto.isValid() ? QBrush(aColor(texto.toUInt())) : QBrush());
}

void Rejilla::pintarFila(int fila) {
    const bool m = marcada(fila);
    for (int c = 0; c < tabla_->columnCount(); ++c)
        if (auto* item = celda(fila, c)) pintarCelda(item, m);
}

// ---------------------------------------------------------------------------
// Current row and top row

int Rejilla::filaActual() const { return tabla_->currentRow(); }

void Rejilla::fijarFilaActual(int fila) {
    if (fila < 0 || fila >= tabla_->rowCount()) {
        tabla_->setCurrentIndex(QModelIndex());
        return;
    }
    // Marking mode keeps the table's own selection empty: only the current
    // index moves.
    const auto flags = marcadoAlPulsar_ ? QItemSelectionModel::NoUpdate
                                         : QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
    tabla_->setCurrentCell(fila, 0, flags);
    tabla_->scrollToItem(tabla_->item(fila, 0), QAbstractItemView::EnsureVisible);
}

int Rejilla::filaSuperior() const {
    if (tabla_->rowCount() == 0) return -1;
    return tabla_->verticalScrollBar()->value();
}

void Rejilla::fijarFilaSuperior(int fila) {
    tabla_->verticalScrollBar()->setValue(qMax(0, fila));
}

int Rejilla::filasVisibles() const {
    const int alto = tabla_->verticalHeader()->defaultSectionSize();
    return qMax(1, alto > 0 ? tabla_->viewport()->height() / alto : 1);
}

// ---------------------------------------------------------------------------
// Marking

void Rejilla::fijarMarcadoAlPulsar(bool activo) {
    marcadoAlPulsar_ = activo;
    tabla_->setSelectionMode(activo ? QAbstractItemView::NoSelection : QAbstractItemView::SingleSelection);
    if (activo) tabla_->clearSelection();
}

bool Rejilla::marcada(int fila) const {
    const auto* item = celda(fila, 0);
    return item && item->data(RolMarcada).toBool();
}

void Rejilla::marcar(int fila, bool valor) {
    auto* item = celda(fila, 0);
    if (!item || esEncabezado(fila) || item->data(RolMarcada).toBool() == valor) return;
    item->setData(RolMarcada, valor);
    marcadas_ += valor ? 1 : -1;
    pintarFila(fila);
}

QList<int> Rejilla::filasMarcadas() const {
    QList<int> r;
    for (int f = 0; f < tabla_->rowCount(); ++f)
        if (marcada(f)) r << f;
    return r;
}

void Rejilla::conmutar(int fila) {
    if (fila < 0 || fila >= tabla_->rowCount() || esEncabezado(fila)) return;
    const bool valor = !marcada(fila);
    marcar(fila, valor);
    emit marcaCambiada(fila, valor);
}

bool Rejilla::eventFilter(QObject* objeto, QEvent* evento) {
    if (objeto == tabla_ && marcadoAlPulsar_ && evento->type() == QEvent::KeyPress) {
        auto* tecla = static_cast<QKeyEvent*>(evento);
        if (tecla->key() == Qt::Key_Space && tecla->modifiers() == Qt::NoModifier) {
            conmutar(tabla_->currentRow());
            return true;
        }
    }
    return QObject::eventFilter(objeto, evento);
}

// ---------------------------------------------------------------------------
// Redraw

void Rejilla::redibujar(bool activo) {
    tabla_->setUpdatesEnabled(activo);
    if (activo) tabla_->viewport()->update();
}

bool Rejilla::redibujando() const { return tabla_->updatesEnabled(); }

// ---------------------------------------------------------------------------
// Column widths

static double dpi(const QWidget* w) {
    const int d = w ? w->logicalDpiX() : 96;
    return d > 0 ? d : 96;
}

int Rejilla::twipsAPixeles(int twips, const QWidget* w) { return qRound(twips * dpi(w) / 1440.0); }

int Rejilla::pixelesATwips(int pixeles, const QWidget* w) { return qRound(pixeles * 1440.0 / dpi(w)); }

void Rejilla::fijarAnchoTwips(int columna, int twips) {
    tabla_->setColumnWidth(columna, twipsAPixeles(twips, tabla_));
}

int Rejilla::anchoTwips(int columna) const { return pixelesATwips(tabla_->columnWidth(columna), tabla_); }

// Width that shows every text of a column whole.
int Rejilla::anchoTextos(int columna) const {
    const QFontMetrics fm(tabla_->font());
    int ancho = 0;
    for (int f = 0; f < tabla_->rowCount(); ++f)
        if (const auto* item = celda(f, columna); item && !item->data(RolEncabezado).toBool())
            ancho = qMax(ancho, fm.horizontalAdvance(item->text()));
    return ancho > 0 ? ancho + 2 * tabla_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 8 : 0;
}

void Rejilla::leerAnchos(const QString& nombreCentro, const QString& seccion,
                         const QList<AnchoColumna>& anchos) {
    for (int c = 0; c < anchos.size() && c < tabla_->columnCount(); ++c) {
        const QString texto = Ajustes::leer(nombreCentro, seccion, anchos.at(c).nombre).toString().trimmed();
        bool ok = false;
        const int twips = texto.toInt(&ok);
        if (ok && twips > 0 && twips <= TwipsMaximos) {
            fijarAnchoTwips(c, twips);
            continue;
        }
        // The defaults were measured for the suite's smaller font: never
        // narrower than the column's title or, for a short column, the texts
        // it shows.
        int px = qMax(twipsAPixeles(anchos.at(c).twipsPorDefecto, tabla_), tabla_->horizontalHeader()->sectionSizeHint(c));
        if (c > 0) px = qMax(px, qMin(anchoTextos(c), 2 * px));
        tabla_->setColumnWidth(c, px);
    }
}

void Rejilla::guardarAnchos(const QString& nombreCentro, const QString& seccion,
                            const QStringList& nombres) const {
    // Each write syncs the settings file to the disk, and the pages keep the
    // widths each time they refill a grid: only a width that changed is
    // written.
    for (int c = 0; c < nombres.size() && c < tabla_->columnCount(); ++c) {
        const QString twips = QString::number(anchoTwips(c));
        if (Ajustes::leer(nombreCentro, seccion, nombres.at(c)).toString() != twips)
            Ajustes::escribir(nombreCentro, seccion, nombres.at(c), twips);
    }
}

}  // namespace ncc
