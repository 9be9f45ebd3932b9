#include "entry/gui/cIInterface.h"
#include "platform/Error.h"
#include "platform/Mensajes.h"
#include "platform/Textos.h"
#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QAction>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QToolBar>
#include <QToolButton>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace ncc {

// Errors of the suite's runtime that these two services can meet.
constexpr long SubindiceFueraDeIntervalo = 9;
constexpr long ObjetoNoEstablecido = 91;

// ---------------------------------------------------------------------------
// Button set

ConjuntoBotones::ConjuntoBotones(std::initializer_list<QAbstractButton*> botones) {
    for (QAbstractButton* b : botones) agregar(b);
}

void ConjuntoBotones::agregar(QAbstractButton* boton) { filas_.append(FilaBoton{boton, false}); }

void ConjuntoBotones::poner(int fila, QAbstractButton* boton) {
    while (filas_.size() <= fila) filas_.append(FilaBoton{});
    filas_[fila].boton = boton;
}

// ---------------------------------------------------------------------------
// Numbers in tags, captions and states

[[noreturn]] static void desbordamiento() { throw Error(errores::Desbordamiento, QStringLiteral("Desbordamiento")); }

static std::optional<double> numeroDeTexto(const QString& texto) {
    const QString t = texto.trimmed();
    if (t.isEmpty()) return std::nullopt;
    bool ok = false;
    const qlonglong entero = t.toLongLong(&ok);
    if (ok) return double(entero);
    const double d = t.toDouble(&ok);
    if (ok && std::isfinite(d)) return d;
    return std::nullopt;
}

// The value as the suite's runtime compares it with a number: a text that
// reads as a number counts, true is -1.
static std::optional<double> numero(const QVariant& v) {
    if (!v.isValid() || v.isNull()) return std::nullopt;
    switch (v.typeId()) {
    case QMetaType::Bool: return v.toBool() ? -1.0 : 0.0;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Double:
    case QMetaType::Float: return v.toDouble();
    case QMetaType::QString:
    case QMetaType::QByteArray: return numeroDeTexto(v.toString());
    default: return std::nullopt;
    }
}

// A numeric tag as a 32-bit string id, rounded half to even as the suite's
// conversion did; none when the tag is not a number.
static std::optional<int> idDe(const QVariant& v) {
    const auto n = numero(v);
    if (!n) return std::nullopt;
    const double r = std::nearbyint(*n);
    if (r < double(std::numeric_limits<int>::min()) || r > double(std::numeric_limits<int>::max()))
        desbordamiento();
    return int(r);
}

static std::optional<int> idDe(const QString& texto) { return idDe(QVariant(texto)); }

// ---------------------------------------------------------------------------
// CargarTextos

static std::optional<int> etiqueta(const QObject* o) { return idDe(o->property("tag")); }

static bool enAlguno(const QAction* a, bool (*es)(const QObject*)) {
    const auto asociados = a->associatedObjects();
    return std::any_of(asociados.begin(), asociados.end(), es);
}

static bool esMenu(const QObject* o) { return qobject_cast<const QMenu*>(o) || qobject_cast<const QMenuBar*>(o); }
static bool esBarra(const QObject* o) { return qobject_cast<const QToolBar*>(o); }

static void cargarAccion(QAction* a) {
    if (enAlguno(a, esMenu))
        if (const auto id = idDe(a->text())) a->setText(Texto(*id));
    if (enAlguno(a, esBarra))
        if (const auto id = idDe(a->toolTip())) a->setToolTip(Texto(*id));
}

static void cargarPestanas(QTabBar* barra) {
    for (int i = 0; i < barra->count(); ++i)
        if (const auto id = idDe(barra->tabData(i))) barra->setTabText(i, Texto(*id));
}

static void cargarEncabezados(QHeaderView* cabecera) {
    if (cabecera->orientation() != Qt::Horizontal) return;
    QAbstractItemModel* modelo = cabecera->model();
    if (!modelo) return;
    for (int i = 0; i < modelo->columnCount(); ++i)
        if (const auto id = idDe(modelo->headerData(i, Qt::Horizontal, Qt::UserRole)))
            modelo->setHeaderData(i, Qt::Horizontal, Texto(*id), Qt::DisplayRole);
}

// The letter a design-time caption marks with "&" (none for "&&" or no mark).
static QChar letraAtajo(const QString& disenio) {
    for (int i = 0; i + 1 < disenio.size(); ++i) {
        if (disenio.at(i) != QLatin1Char('&')) continue;
        if (disenio.at(i + 1) != QLatin1Char('&')) return disenio.at(i + 1);
        ++i;
    }
    return {};
}

// The table's caption with the Alt+letter accelerator the form gave the
// button: the same letter, at the same place when it is there, else at its
// first appearance. A caption that marks its own letter, or lacks the
// form's, is shown as the table has it.
static QString conAtajo(const QString& texto, const QString& disenio) {
    const QChar letra = letraAtajo(disenio);
    if (letra.isNull() || texto.contains(QLatin1Char('&'))) return texto;
    const int lugar = disenio.indexOf(QLatin1Char('&') + letra);
    const int i = lugar < texto.size() && texto.at(lugar).toLower() == letra.toLower()
                ? lugar
                : texto.indexOf(letra, 0, Qt::CaseInsensitive);
    if (i < 0) return texto;
    return QString(texto).insert(i, QLatin1Char('&'));
}

void PonerTexto(QAbstractButton* boton, const QString& texto) { boton->setText(conAtajo(texto, boton->text())); }

static void cargarTexto(QObject* o) {
    if (auto* a = qobject_cast<QAction*>(o)) return cargarAccion(a);
    if (auto* m = qobject_cast<QMenu*>(o)) {
        if (const auto id = idDe(m->title())) m->setTitle(Texto(*id));
        return;
    }
    if (auto* t = qobject_cast<QTabBar*>(o)) return cargarPestanas(t);
    if (auto* h = qobject_cast<QHeaderView*>(o)) return cargarEncabezados(h);
    if (auto* b = qobject_cast<QToolButton*>(o))
        if (const auto id = idDe(b->toolTip())) b->setToolTip(Texto(*id));
    if (auto* l = qobject_cast<QLabel*>(o)) {
        // A label's letter takes the keyboard to the field it names.
        if (const auto id = etiqueta(l)) l->setText(conAtajo(Texto(*id), l->text()));
    } else if (auto* b = qobject_cast<QAbstractButton*>(o)) {
        if (const auto id = etiqueta(b)) PonerTexto(b, Texto(*id));
    } else if (auto* g = qobject_cast<QGroupBox*>(o)) {
        if (const auto id = etiqueta(g)) g->setTitle(Texto(*id));
    }
}

cIInterface::cIInterface(QObject* parent) : QObject(parent) {}

void cIInterface::CargarTextos(QWidget* frm) {
    if (!frm) return;
    try {
        if (const auto id = etiqueta(frm)) frm->setWindowTitle(Texto(*id));
        const QList<QObject*> controles = frm->findChildren<QObject*>();
        for (QObject* o : controles) cargarTexto(o);
    } catch (const Error& e) {
        mostrarError(e);
    }
}

// ---------------------------------------------------------------------------
// Activar

// Rows are counted in a byte: 255 is the last one that can be reached.
static void comprobarFilas(const ConjuntoBotones& b) {
    if (b.filas() > 255) desbordamiento();
}

static QAbstractButton& botonDe(const FilaBoton& f) {
    if (!f.boton)
        throw Error(ObjetoNoEstablecido, QStringLiteral("Variable de objeto o bloque With no establecida"));
    return *f.boton;
}

void cIInterface::GuardarEstados(ConjuntoBotones& botones) {
    comprobarFilas(botones);
    for (FilaBoton& f : botones) f.guardado = botonDe(f).isEnabled();
}

static void habilitarTodos(ConjuntoBotones& botones, bool habilitado) {
    comprobarFilas(botones);
    for (const FilaBoton& f : botones) botonDe(f).setEnabled(habilitado);
}

static void restaurar(ConjuntoBotones& botones) {
    comprobarFilas(botones);
    for (const FilaBoton& f : botones) botonDe(f).setEnabled(f.guardado);
}

static void habilitarCada(ConjuntoBotones& botones, const QList<bool>& estados) {
    comprobarFilas(botones);
    if (estados.size() < botones.filas())
        throw Error(SubindiceFueraDeIntervalo, QStringLiteral("El subíndice está fuera del intervalo"));
    for (int i = 0; i < botones.filas(); ++i) botonDe(botones[i]).setEnabled(estados.at(i));
}

static std::optional<QList<bool>> lista(const QVariant& v) {
    if (v.metaType() == QMetaType::fromType<QList<bool>>()) return v.value<QList<bool>>();
    if (v.typeId() != QMetaType::QVariantList) return std::nullopt;
    QList<bool> l;
    for (const QVariant& e : v.toList()) {
        const auto n = numero(e);
        l.append(n ? *n != 0 : e.toBool());
    }
    return l;
}

void cIInterface::Activar(ConjuntoBotones& botones, const QVariant& estado, const QVariant& inicializar) {
    try {
        if (const auto estados = lista(estado)) {
            GuardarEstados(botones);
            habilitarCada(botones, *estados);
        } else if (const auto n = numero(estado)) {
            if (*n == 0) {
                GuardarEstados(botones);
                habilitarTodos(botones, false);
            } else if (*n == 1) {
                GuardarEstados(botones);
                habilitarTodos(botones, true);
            } else if (*n == 2) {
                restaurar(botones);
            }
        }
        if (inicializar.isValid()) GuardarEstados(botones);
    } catch (const Error& e) {
        mostrarError(e);
    }
}

void cIInterface::Activar(ConjuntoBotones& botones, const QList<bool>& estados, const QVariant& inicializar) {
    Activar(botones, QVariant::fromValue(estados), inicializar);
}

}  // namespace ncc
