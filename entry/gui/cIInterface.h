#pragma once
// Form texts and wizard buttons. Every window of the component takes its
// visible texts from the string table through the ids written in its
// widgets, and the wizard pages switch their navigation buttons on and off
// as a group while they work.
//
// Where a widget carries its string id:
// - the form itself, QLabel, QAbstractButton (push, option, check, tool
//   buttons) and QGroupBox: the dynamic property "tag" (an int, or a text
//   that reads as a number); the form's id gives its window title, a group
//   box's its title, the others' their text;
// - a menu (QMenu) and a menu item (a QAction added to a QMenu or QMenuBar):
//   its own title or text is the id;
// - a toolbar button (a QAction added to a QToolBar, or a QToolButton): its
//   tool tip is the id;
// - a tab of a QTabBar (also the one inside a QTabWidget): the tab's data,
//   QTabBar::tabData(i);
// - a column heading of a horizontal QHeaderView (QTableWidget, QTreeWidget,
//   any view over a model): the heading's Qt::UserRole data, for instance
//   QTableWidget::horizontalHeaderItem(i)->data(Qt::UserRole).
// Anything whose id is not a number keeps the text it was designed with.
#include <QAbstractButton>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QVariant>
#include <initializer_list>

class QWidget;

namespace ncc {

// One row of a button set: the button and the enabled state last saved.
struct FilaBoton {
    QPointer<QAbstractButton> boton;
    bool guardado = false;
};

// The navigation buttons of a wizard page, one row per button, in the order
// the page gives them. Row indices are small: a set of more than 255 rows
// cannot be switched (overflow).
class ConjuntoBotones {
public:
    ConjuntoBotones() = default;
    ConjuntoBotones(std::initializer_list<QAbstractButton*> botones);

    void agregar(QAbstractButton* boton);
    // Puts `boton` in row `fila`, adding empty rows up to it when needed.
    void poner(int fila, QAbstractButton* boton);
    int filas() const { return int(filas_.size()); }
    bool vacio() const { return filas_.isEmpty(); }
    QAbstractButton* boton(int fila) const { return filas_.at(fila).boton; }
    bool guardado(int fila) const { return filas_.at(fila).guardado; }
    FilaBoton& operator[](int fila) { return filas_[fila]; }
    const FilaBoton& operator[](int fila) const { return filas_.at(fila); }

    auto begin() { return filas_.begin(); }
    auto end() { return filas_.end(); }
    auto begin() const { return filas_.cbegin(); }
    auto end() const { return filas_.cend(); }

private:
    QList<FilaBoton> filas_;
};

// Gives a button the caption `texto`, keeping the Alt+letter accelerator
// its form marked ("&" in the form's caption): the same letter, where the
// caption has it. CargarTextos fills buttons, and labels that name a
// field, this way.
void PonerTexto(QAbstractButton* boton, const QString& texto);

class cIInterface : public QObject {
    Q_OBJECT
public:
    Q_INVOKABLE explicit cIInterface(QObject* parent = nullptr);

    // Fills the texts of `frm` and of every widget inside it, in creation
    // order. The first failure (an id missing from the table) stops the walk
    // with the standard error message: what came before keeps its new text,
    // what comes after its design-time one.
    Q_INVOKABLE void CargarTextos(QWidget* frm);

    // Switches the buttons of `botones` by `estado`:
    // - 0: saves the states, then disables every button;
    // - 1: saves the states, then enables every button;
    // - 2: restores every button from its saved state (nothing is saved);
    // - a list of Booleans (QVariantList or QList<bool>): saves the states,
    //   then row i takes element i;
    // - anything else: nothing.
    // Then, when `inicializar` is given (any valid value), saves the states
    // once more. Failures give the standard error message.
    Q_INVOKABLE void Activar(ncc::ConjuntoBotones& botones, const QVariant& estado,
                             const QVariant& inicializar = QVariant());
    void Activar(ConjuntoBotones& botones, const QList<bool>& estados,
                 const QVariant& inicializar = QVariant());

private:
    static void GuardarEstados(ConjuntoBotones& botones);
};

}  // namespace ncc

Q_DECLARE_METATYPE(ncc::ConjuntoBotones)
