#pragma once
// Drives modal windows as a user would: each step waits until its window
// (by objectName) is the top modal widget, then acts on it. Steps run in
// order, one per look; a step may open further modal windows, whose steps
// then run inside it. Windows that stay up past the time limit are closed
// so that a failing test ends instead of hanging.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QKeySequence>
#include <QLabel>
#include <QPointer>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

namespace ncc::pruebas {

class Conductor : public QObject {
public:
    using Accion = std::function<void(QWidget*)>;

    explicit Conductor(int limiteMs = 90000) : limiteMs_(limiteMs) {
        acciones_ = clics_ = 0;
        reloj_.start();
        t_.setInterval(15);
        connect(&t_, &QTimer::timeout, this, &Conductor::mirar);
        t_.start();
    }
    ~Conductor() override { t_.stop(); }

    Conductor& en(const QString& ventana, Accion a) {
        pasos_.append({ventana, std::move(a)});
        return *this;
    }

    // Windows seen on top, each once, in order of appearance.
    const QStringList& vistas() const { return vistas_; }
    bool terminado() const { return pasos_.isEmpty(); }
    QStringList pendientes() const {
        QStringList l;
        for (const auto& p : pasos_) l << p.ventana;
        return l;
    }
    bool agotado() const { return agotado_; }

    // What the user did through the helpers below since the last conductor
    // started: each click, key press or text typed into a field counts one.
    static int acciones() { return acciones_; }
    // The mouse's share of them: none in a closing done from the keyboard.
    static int clics() { return clics_; }

    static void pulsar(QWidget* ventana, const QString& boton) {
        auto* b = ventana->findChild<QPushButton*>(boton);
        ASSERT_NE(b, nullptr) << boton.toStdString();
        ASSERT_TRUE(b->isEnabled()) << boton.toStdString();
        ++acciones_;
        b->click();
    }
    // A click on `w`, which also gives it the focus: where told, else near
    // its left edge, where an option has its mark.
    static void clic(QWidget* w, QPoint donde = {}) {
        ASSERT_TRUE(w->isVisible()) << w->objectName().toStdString();
        ++acciones_;
        ++clics_;
        const int medio = w->height() / 2;
        QTest::mouseClick(w, Qt::LeftButton, {}, donde.isNull() ? QPoint(std::min(medio, w->width() / 2), medio) : donde);
    }
    // A click on a row of a grid, which must be in sight.
    static void clicFila(QTableWidget* t, int fila) {
        const QRect r = t->visualRect(t->model()->index(fila, 0));
        ASSERT_TRUE(t->viewport()->rect().contains(r.center())) << "fila " << fila << " fuera de la vista";
        clic(t->viewport(), r.center());
    }
    // An item of a list: a click opens it, another picks the item.
    static void elegir(QComboBox* c, int i) {
        ASSERT_GE(i, 0) << c->objectName().toStdString();
        if (c->currentIndex() == i) return;
        clic(c);
        QAbstractItemView* vista = c->view();
        ASSERT_TRUE(QTest::qWaitFor([vista] { return vista->isVisible(); }));
        // A release right after the list opened belongs to the click that opened it.
        QTest::qWait(QApplication::doubleClickInterval() + 50);
        clic(vista->viewport(), vista->visualRect(c->model()->index(i, 0)).center());
        ASSERT_TRUE(QTest::qWaitFor([vista] { return !vista->isVisible(); }));
        ASSERT_EQ(c->currentIndex(), i) << c->objectName().toStdString();
    }
    // The same from the keyboard: the Alt+letter of a button, an option or
    // a label on its window. A button clicks a moment later, as on screen,
    // and this waits for it; a label's letter puts the focus on its field.
    static void teclear(QWidget* ventana, const QString& control) {
        auto* w = ventana->findChild<QWidget*>(control);
        auto* b = qobject_cast<QAbstractButton*>(w);
        auto* l = qobject_cast<QLabel*>(w);
        ASSERT_TRUE(b || (l && l->buddy())) << control.toStdString();
        const QKeySequence atajo = QKeySequence::mnemonic(b ? b->text() : l->text());
        ASSERT_FALSE(atajo.isEmpty()) << control.toStdString() << " sin atajo";
        ++acciones_;
        if (!b) {
            QTest::keyClick(ventana, atajo[0].key(), atajo[0].keyboardModifiers());
            ASSERT_EQ(QApplication::focusWidget(), l->buddy()) << control.toStdString();
            return;
        }
        QSignalSpy pulsado(b, &QAbstractButton::clicked);
        QTest::keyClick(ventana, atajo[0].key(), atajo[0].keyboardModifiers());
        ASSERT_TRUE(pulsado.wait(90000)) << control.toStdString();
    }
    // Arrow keys on the widget with the focus (a grid, a list) until
    // `actual` gives `destino`.
    static void flechasHasta(QWidget* w, const std::function<int()>& actual, int destino) {
        ASSERT_TRUE(w->hasFocus()) << w->objectName().toStdString();
        for (int n = 0; actual() != destino && n < 1000; ++n) {
            ++acciones_;
            QTest::keyClick(w, actual() < destino ? Qt::Key_Down : Qt::Key_Up);
        }
        ASSERT_EQ(actual(), destino) << w->objectName().toStdString();
    }
    static void tecla(Qt::Key k) {
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        ++acciones_;
        QTest::keyClick(QApplication::focusWidget(), k);
    }
    static void escribir(QWidget* ventana, const QString& caja, const QString& texto) {
        auto* t = ventana->findChild<QLineEdit*>(caja);
        ASSERT_NE(t, nullptr) << caja.toStdString();
        ++acciones_;
        t->setFocus();
        t->clear();
        t->insert(texto);
    }

private:
    struct Paso {
        QString ventana;
        Accion accion;
    };

    void mirar() {
        QWidget* w = QApplication::activeModalWidget();
        if (w && !w->objectName().isEmpty() && (vistas_.isEmpty() || vistas_.last() != w->objectName()) &&
            !vistas_.contains(w->objectName()))
            vistas_ << w->objectName();
        if (reloj_.elapsed() > limiteMs_) {
            agotado_ = true;
            pasos_.clear();
            if (w) w->close();
            if (QWidget* m = QApplication::activeModalWidget(); m && m == w) {
                if (auto* d = qobject_cast<QDialog*>(m)) d->done(0);
            }
            return;
        }
        if (!w || pasos_.isEmpty() || w->objectName() != pasos_.first().ventana) return;
        // The action runs from a timer of its own: one that opens a modal
        // window runs inside it, and this look must go on meanwhile.
        Paso p = pasos_.takeFirst();
        QPointer<QWidget> ventana = w;
        QTimer::singleShot(0, this, [accion = p.accion, ventana] {
            if (ventana) accion(ventana);
        });
    }

    QList<Paso> pasos_;
    QStringList vistas_;
    static inline int acciones_ = 0;
    static inline int clics_ = 0;
    QTimer t_;
    QElapsedTimer reloj_;
    int limiteMs_;
    bool agotado_ = false;
};

// On the student page: every section opened and confirmed as it comes (its
// students still unassigned, 2191 answered Yes) but the last `sinPromocionar`.
inline void confirmarSecciones(QWidget* pagina, int sinPromocionar = 0, int desde = 0) {
    auto* grid = pagina->findChild<QTableWidget*>(QStringLiteral("msgSecciones"));
    ASSERT_NE(grid, nullptr);
    QList<int> filas;
    for (int f = 0; f < grid->rowCount(); ++f)
        if (grid->item(f, 0)->flags() & Qt::ItemIsSelectable) filas << f;
    for (int i = desde; i < filas.size() - sinPromocionar; ++i) {
        grid->setCurrentCell(filas.at(i), 0);
        Conductor::pulsar(pagina, QStringLiteral("cmdPromocionar_0"));
        Conductor::pulsar(pagina, QStringLiteral("cmdPromocionar_0"));
    }
}


}  // namespace ncc::pruebas
