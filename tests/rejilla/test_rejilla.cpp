// The grid helper of the windows, on a real table: what the pages' own tests
// cannot see through the helper's figures. The colours the cells are really
// painted with, headings, a colour set under the marks, whether any row is
// marked, the current row set by the program, and the widths as the
// settings store them. Marking by mouse and keyboard, skipping headings and the
// widths kept per user are the student page's tests (tests/alumnos_pagina).
#include "Lectura.h"
#include "platform/Ajustes.h"
#include "platform/gui/Rejilla.h"
#include <QCoreApplication>
#include <QDir>
#include <QHeaderView>
#include <QSettings>
#include <QSignalBlocker>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QUuid>
#include <gtest/gtest.h>

using namespace ncc;

namespace {

constexpr quint32 Amarillo = 65535;
constexpr quint32 Rojo = 255;

}  // namespace

TEST(Rejilla, ColoresPintadosEncabezadosMarcasYFilaActual) {
    EXPECT_EQ((QList<QColor>{Rejilla::aColor(Amarillo), Rejilla::aColor(33023)}),
              (QList<QColor>{QColor(255, 255, 0), QColor(255, 128, 0)}));
    EXPECT_EQ(Rejilla::aBGR(QColor(255, 128, 0)), 33023u);

    QTableWidget tabla;
    Rejilla& r = *new Rejilla(&tabla);
    r.fijarColumnas({QStringLiteral("C0"), QStringLiteral("C1"), QStringLiteral("C2")});
    tabla.resize(400, 200);
    tabla.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tabla));
    const int cab = r.agregarEncabezado(QStringLiteral("Primaria"));
    const int f1 = r.agregarFila({QStringLiteral("    1º A"), QStringLiteral("x")}, 17);
    // The heading spans the grid, shows the fixed background and cannot be
    // selected.
    EXPECT_EQ(pruebas::enFila({tabla.columnSpan(cab, 0), r.colorFondo(cab, 0),
                               tabla.item(cab, 0)->flags().testFlag(Qt::ItemIsSelectable), tabla.item(cab, 0)->font().bold()}),
              pruebas::enFila({3, r.colorFondoFijo(), false, true}));
    // A row's own colour is what the cell is painted with; -1 gives the
    // grid's back again.
    r.fijarColorFondoFila(f1, Amarillo);
    EXPECT_EQ(tabla.item(f1, 0)->background().color(), QColor(255, 255, 0));
    r.fijarColorFondoFila(f1, -1);
    EXPECT_EQ(pruebas::enFila({r.colorFondo(f1, 0), r.colorFondo(f1, 1)}),
              pruebas::enFila({r.colorFondoRejilla(), r.colorFondoRejilla()}));

    // The fixed column takes the headings' background.
    r.fijarColumnaFija(true);
    const int f2 = r.agregarFila({QStringLiteral("Ruiz, Ana"), QStringLiteral("Repite")}, 5);
    EXPECT_EQ(pruebas::enFila({r.colorFondo(f2, 0), r.colorFondo(f2, 1)}),
              pruebas::enFila({r.colorFondoFijo(), r.colorFondoRejilla()}));

    // The current row is the selected one, but marking keeps the table's
    // own selection empty; a heading is never marked.
    for (int i = 0; i < 60; ++i) r.agregarFila({QStringLiteral("Fila %1").arg(i)}, 100 + i);
    r.fijarFilaActual(f1);
    EXPECT_FALSE(tabla.selectedItems().isEmpty());
    r.fijarMarcadoAlPulsar(true);
    r.fijarFilaActual(5);
    r.marcar(cab, true);
    QTest::mouseClick(tabla.viewport(), Qt::LeftButton, {}, tabla.visualItemRect(tabla.item(cab, 0)).center());
    EXPECT_EQ(pruebas::enFila({tabla.selectedItems().size(), r.marcada(cab), r.hayMarcadas()}), "0|false|false");

    // A click marks a row and a second one unmarks it, each said; a colour
    // set on the marked row waits under the selection colours.
    QSignalSpy marcas(&r, &Rejilla::marcaCambiada);
    const auto clic = [&](int fila) {
        QTest::mouseClick(tabla.viewport(), Qt::LeftButton, {}, tabla.visualItemRect(tabla.item(fila, 0)).center());
    };
    clic(3);
    r.fijarColorTexto(3, 1, Rojo);
    EXPECT_EQ(pruebas::enFila({r.marcada(3), r.colorTexto(3, 1)}), pruebas::enFila({true, r.colorTextoSeleccion()}));
    clic(3);
    EXPECT_EQ(pruebas::enFila({r.marcada(3), r.colorTexto(3, 1), tabla.item(3, 1)->foreground().color() == Rejilla::aColor(Rojo),
                               marcas.count(), marcas.last().at(1)}),
              pruebas::enFila({false, Rojo, true, 2, false}));
    // Whether any row is marked is kept as rows are unmarked twice and the
    // grid emptied ("Aplicar" of the activity page follows it).
    r.marcar(4, true);
    r.marcar(3, false);
    EXPECT_TRUE(r.hayMarcadas());
    r.marcar(4, false);
    EXPECT_FALSE(r.hayMarcadas());

    // A current row far down is brought into view; one set under a blocker
    // is set silently; -1 is none.
    QSignalSpy cambios(&r, &Rejilla::filaCambiada);
    r.fijarFilaActual(55);
    EXPECT_LE(r.filaSuperior(), 55);
    EXPECT_GE(r.filaSuperior() + r.filasVisibles(), 55);
    {
        const QSignalBlocker llenando(&r);
        r.fijarFilaActual(1);
    }
    EXPECT_EQ(pruebas::enFila({r.filaActual(), cambios.count()}), "1|1");
    r.fijarFilaActual(-1);
    r.redibujar(false);
    EXPECT_EQ(pruebas::enFila({r.filaActual(), r.redibujando()}), "-1|false");
    r.redibujar(true);
    EXPECT_TRUE(r.redibujando());

    r.marcar(4, true);
    r.vaciar();
    EXPECT_EQ(pruebas::enFila({r.hayMarcadas(), r.filas(), r.columnas(), tabla.horizontalHeaderItem(2)->text()}),
              "false|0|3|C2");
}

// Widths are stored as decimal text of twips, as the suite stored them; a
// damaged value falls back to the default.
TEST(Rejilla, AnchosGuardadosEnTwipsYUnValorEstropeadoDaElDePorDefecto) {
    QTableWidget tabla;
    Rejilla r(&tabla);
    r.fijarColumnas({QStringLiteral("Alumno"), QStringLiteral("Promoción"), QStringLiteral("Fecha baja")});
    // A school of its own, so a user's or another test's widths never mix in.
    const QString centro = QStringLiteral("Rejilla ") + QUuid::createUuid().toString(QUuid::Id128);
    const QList<AnchoColumna> defectos{{QStringLiteral("Nombre"), 3495},
                                       {QStringLiteral("Promoción"), 990},
                                       {QStringLiteral("FechaBaja"), 990}};
    // 15 twips a pixel at 96 dpi.
    EXPECT_EQ(pruebas::enFila({Rejilla::twipsAPixeles(1500, nullptr), Rejilla::pixelesATwips(100, nullptr)}), "100|1500");
    const auto defecto = [&](int c, int twips) {
        return qMax(Rejilla::twipsAPixeles(twips, &tabla), tabla.horizontalHeader()->sectionSizeHint(c));
    };
    tabla.setColumnWidth(1, Rejilla::twipsAPixeles(1500, &tabla));
    r.guardarAnchos(centro, QStringLiteral("CierreAlumnos"),
                    {QStringLiteral("Nombre"), QStringLiteral("Promoción"), QStringLiteral("FechaBaja")});
    const QVariant guardado = Ajustes::leer(centro, QStringLiteral("CierreAlumnos"), QStringLiteral("Promoción"));
    EXPECT_EQ(guardado.toString(), QString::number(r.anchoTwips(1)));
    EXPECT_NEAR(guardado.toString().toInt(), 1500, 30);

    Ajustes::escribir(centro, QStringLiteral("CierreAlumnos"), QStringLiteral("Nombre"), QStringLiteral("ancho"));
    Ajustes::escribir(centro, QStringLiteral("CierreAlumnos"), QStringLiteral("FechaBaja"), QStringLiteral("-5"));
    tabla.setColumnWidth(1, 10);
    r.leerAnchos(centro, QStringLiteral("CierreAlumnos"), defectos);
    EXPECT_EQ(pruebas::enFila({tabla.columnWidth(0), tabla.columnWidth(1), tabla.columnWidth(2)}),
              pruebas::enFila({defecto(0, 3495), Rejilla::twipsAPixeles(guardado.toString().toInt(), &tabla),
                               defecto(2, 990)}));

    QSettings s(QCoreApplication::organizationName(), centro + QStringLiteral("/Norva Centro 2000/CierreCurso"));
    const QString archivo = s.fileName();
    s.clear();
    s.sync();
    QDir(archivo.left(archivo.indexOf(centro) + centro.size())).removeRecursively();
}
