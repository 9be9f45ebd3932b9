#pragma once
// The grid of the component's windows: one helper over a QTableWidget (laid
// out in Designer) that gives every page the grid the suite's users know.
//
// Shape
// - The column titles are the table's horizontal header (the grid's fixed
//   row); rows count from 0 at the first row under it, and -1 means "no row".
// - Optionally, column 0 is styled as a header (the fixed column): its cells
//   take the fixed-cell background.
// - A heading row (agregarEncabezado) spans every column, is painted with the
//   fixed-cell background in bold and cannot be selected or marked; its row
//   data is what the caller gives (0 by default).
//
// Row data: one QVariant per row, kept as Qt::UserRole of the row's first
// cell (datoFila/fijarDatoFila; buscarFila finds a row by it).
//
// Colours are given and read as the suite stored them: 0x00BBGGRR (red in the
// low byte), e.g. 65535 is yellow and 16711680 blue. Each cell keeps its own
// text and background colour; a cell without one shows the grid's colours.
//
// Current row and top row: filaActual is the table's current row; filaSuperior
// is the first visible row (the vertical scroll position, which scrolls one
// row at a time). filaCambiada(actual, anterior) is emitted when the current
// row changes, whoever moved it.
//
// Marking (the wizard's own multiple selection): with fijarMarcadoAlPulsar(true)
// a mouse press on a row, or Space on the current row, toggles its mark and
// emits marcaCambiada(fila, marcada); marcar() does the same from the program
// without the signal. A marked row shows the selection colours in every cell;
// unmarking brings back each cell's own colours. The table's own selection is
// switched off in this mode.
//
// Redraw and re-entrancy: redibujar(false) stops repainting while the program
// fills the grid (setUpdatesEnabled) and redibujar(true) paints it once. The
// helper's signals are silenced with a QSignalBlocker on the helper, e.g.
//     const QSignalBlocker llenando(rejilla);
// while the program moves the current row itself.
//
// Column widths are kept per user with the settings of the school (Ajustes)
// under a section and one value name per column, as twips in decimal text:
// 15 twips per pixel at 96 dpi, scaled by the screen's logical dpi.
#include <QColor>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

class QTableWidget;
class QTableWidgetItem;
class QWidget;

namespace ncc {

// One stored column width: the value name and the width when none is stored.
struct AnchoColumna {
    QString nombre;
    int twipsPorDefecto = 0;
};

class Rejilla : public QObject {
    Q_OBJECT
public:
    // Takes over the look and behaviour of `tabla` (not owned: the helper is
    // the table's child and dies with it): read-only cells, whole-row current
    // index, one-row scrolling, no vertical header, no grid editing.
    explicit Rejilla(QTableWidget* tabla);

    QTableWidget* tabla() const { return tabla_; }

    // ----- shape -------------------------------------------------------------
    // Column titles (the fixed row); the rows are removed.
    void fijarColumnas(const QStringList& titulos);
    // Titles from the string table by id; each heading also keeps its id as
    // Qt::UserRole, so cIInterface::CargarTextos can fill it again.
    void fijarColumnasPorTexto(const QList<int>& idsTexto);
    // The alignment of a column's cells (applies to rows added afterwards,
    // kept when the titles change).
    void fijarAlineacion(int columna, Qt::Alignment alineacion);
    // Column 0 styled as the fixed column (applies to rows added afterwards).
    void fijarColumnaFija(bool fija);
    bool columnaFija() const { return columnaFija_; }

    // Removes every row (the titles stay).
    void vaciar();
    // The real number of rows (never -1).
    int filas() const;
    int columnas() const;

    // Adds a row with one text per column (missing ones empty), its data and
    // each cell's own text colour (0x00BBGGRR, -1 or missing: none); returns
    // its index. The cells are whole before they enter the table, so a grid
    // of thousands of rows fills without a change signal per colour.
    int agregarFila(const QStringList& textos, const QVariant& dato = {}, const QList<qint64>& coloresTexto = {});
    // Adds a heading row: text over every column, fixed-cell background,
    // bold, not selectable.
    int agregarEncabezado(const QString& texto, const QVariant& dato = 0);
    bool esEncabezado(int fila) const;

    // ----- contents ----------------------------------------------------------
    QVariant datoFila(int fila) const;
    void fijarDatoFila(int fila, const QVariant& dato);
    // The first row whose data equals `dato`; -1 when none.
    int buscarFila(const QVariant& dato) const;

    QString texto(int fila, int columna) const;
    void fijarTexto(int fila, int columna, const QString& texto);

    // Colours as 0x00BBGGRR. A cell's own colour; -1 clears it (the grid's
    // colour shows again).
    void fijarColorTexto(int fila, int columna, qint64 bgr);
    void fijarColorFondo(int fila, int columna, qint64 bgr);
    void fijarColorFondoFila(int fila, qint64 bgr);
    // The colour the cell shows now (selection colours on a marked row).
    quint32 colorTexto(int fila, int columna) const;
    quint32 colorFondo(int fila, int columna) const;

    // The grid's colours, as the flex grid named them.
    quint32 colorFondoRejilla() const;    // BackColor
    quint32 colorTextoRejilla() const;    // ForeColor
    quint32 colorFondoFijo() const;       // BackColorFixed
    quint32 colorFondoSeleccion() const;  // BackColorSel
    quint32 colorTextoSeleccion() const;  // ForeColorSel

    static QColor aColor(quint32 bgr);
    static quint32 aBGR(const QColor& c);

    // ----- current row and top row ------------------------------------------
    int filaActual() const;
    // Makes `fila` current (-1 clears it) and scrolls it into view. Emits
    // filaCambiada unless the helper's signals are blocked.
    void fijarFilaActual(int fila);
    int filaSuperior() const;
    void fijarFilaSuperior(int fila);
    // Whole rows the viewport shows at the present size (at least 1).
    int filasVisibles() const;

    // ----- marking -----------------------------------------------------------
    void fijarMarcadoAlPulsar(bool activo);
    bool marcadoAlPulsar() const { return marcadoAlPulsar_; }
    bool marcada(int fila) const;
    // Marks or unmarks a row (a heading row never); no signal.
    void marcar(int fila, bool marcada);
    QList<int> filasMarcadas() const;
    // Whether any row is marked, without walking the rows: a page asks it
    // after each mark.
    bool hayMarcadas() const { return marcadas_ > 0; }

    // ----- redraw ------------------------------------------------------------
    void redibujar(bool activo);
    bool redibujando() const;

    // ----- column widths -----------------------------------------------------
    // Reads the widths of columns 0.. from the settings of `nombreCentro`,
    // section `seccion`; a value missing, not a whole number or out of reason
    // gives the column its default, widened to its title (and, past the first
    // column, to the texts of the rows already in, up to twice the default).
    void leerAnchos(const QString& nombreCentro, const QString& seccion,
                    const QList<AnchoColumna>& anchos);
    // Writes the present widths of columns 0.. under the given names.
    void guardarAnchos(const QString& nombreCentro, const QString& seccion,
                       const QStringList& nombres) const;
    void fijarAnchoTwips(int columna, int twips);
    int anchoTwips(int columna) const;
    static int twipsAPixeles(int twips, const QWidget* w);
    static int pixelesATwips(int pixeles, const QWidget* w);

signals:
    void filaCambiada(int actual, int anterior);
    void marcaCambiada(int fila, bool marcada);

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    QTableWidgetItem* celda(int fila, int columna) const;
    QTableWidgetItem* celdaCreada(int fila, int columna);
    void pintarFila(int fila);
    void pintarCelda(QTableWidgetItem* item, bool marcada) const;
    void conmutar(int fila);
    int anchoTextos(int columna) const;

    QTableWidget* tabla_;
    bool columnaFija_ = false;
    QHash<int, Qt::Alignment> alineaciones_;
    bool marcadoAlPulsar_ = false;
    int marcadas_ = 0;  // rows marked now
};

}  // namespace ncc
