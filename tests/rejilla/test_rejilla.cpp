// The grid helper of the windows, driven on a real table: heading rows, the
// stored colours, marking by mouse and keyboard, current and top row, and the
// column widths kept per user.
#include "Lectura.h"
#include "platform/Ajustes.h"
#include "platform/gui/Rejilla.h"
#include <QHeaderView>
#include <QSignalBlocker>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QUuid>
#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <gtest/gtest.h>

using namespace ncc;

namespace {

constexpr quint32 Amarillo = 65535;
constexpr quint32 Azul = 16711680;
constexpr quint32 Rojo = 255;

QPoint centroFila(QTableWidget& t, int fila, int columna = 0) {
    return t.visualItemRect(t.item(fila, columna)).center();
}

// A shown table of `n` rows under a heading every ten rows.
struct Tabla {
    QTableWidget tabla;
    Rejilla* r = new Rejilla(&tabla);
    explicit Tabla(int columnas = 2) {
        QStringList titulos;
        for (int c = 0; c < columnas; ++c) titulos << QStringLiteral("C%1").arg(c);
        r->fijarColumnas(titulos);
        tabla.resize(400, 200);
        tabla.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&tabla));
    }
};

}  // namespace

TEST(Rejilla, EncabezadosDatosYColoresComoLosGuardabaLaSuite) {
    EXPECT_EQ((QList<QColor>{Rejilla::aColor(Amarillo), Rejilla::aColor(Azul), Rejilla::aColor(33023)}),
              (QList<QColor>{QColor(255, 255, 0), QColor(0, 0, 255), QColor(255, 128, 0)}));
    EXPECT_EQ(Rejilla::aBGR(QColor(255, 128, 0)), 33023u);

    Tabla t(3);
    Rejilla& r = *t.r;
    const int cab = r.agregarEncabezado(QStringLiteral("Primaria"));
    const int f1 = r.agregarFila({QStringLiteral("    1º A"), QStringLiteral("x")}, 17);
    const int f2 = r.agregarFila({QStringLiteral("    1º B")}, 18);
    EXPECT_EQ(pruebas::enFila({r.filas(), r.esEncabezado(cab), r.esEncabezado(f1), r.datoFila(cab).toInt(), r.datoFila(f2).toInt(),
                               r.buscarFila(17) == f1, r.buscarFila(99), r.texto(f1, 1), r.texto(f2, 2)}),
              "3|true|false|0|18|true|-1|x|");

    // The heading spans the grid, shows the fixed background and cannot be
    // selected.
    EXPECT_EQ(pruebas::enFila({t.tabla.columnSpan(cab, 0), r.colorFondo(cab, 0),
                               t.tabla.item(cab, 0)->flags().testFlag(Qt::ItemIsSelectable),
                               t.tabla.item(cab, 0)->font().bold()}),
              pruebas::enFila({3, r.colorFondoFijo(), false, true}));

    // Own colours in the stored form; -1 gives the grid's back.
    r.fijarColorFondoFila(f1, Amarillo);
    r.fijarColorTexto(f2, 1, Rojo);
    EXPECT_EQ(t.tabla.item(f1, 0)->background().color(), QColor(255, 255, 0));
    const auto colores = [&](int fila) { return pruebas::enFila({r.colorFondo(fila, 0), r.colorFondo(fila, 1)}); };
    EXPECT_EQ(pruebas::enFila({r.colorFondo(f1, 2), r.colorTexto(f2, 1), colores(f2)}),
              pruebas::enFila({Amarillo, Rojo, r.colorFondoRejilla(), r.colorFondoRejilla()}));
    r.fijarColorFondoFila(f1, -1);
    EXPECT_EQ(colores(f1), pruebas::enFila({r.colorFondoRejilla(), r.colorFondoRejilla()}));

    // The fixed column takes the header's background; emptying keeps titles.
    r.fijarColumnaFija(true);
    const int f3 = r.agregarFila({QStringLiteral("Ruiz, Ana"), QStringLiteral("Repite")}, 5);
    EXPECT_EQ(colores(f3), pruebas::enFila({r.colorFondoFijo(), r.colorFondoRejilla()}));
    r.vaciar();
    EXPECT_EQ(pruebas::enFila({r.filas(), r.columnas(), t.tabla.horizontalHeaderItem(2)->text()}), "0|3|C2");
}

TEST(Rejilla, ElClicYLaBarraEspaciadoraMarcanYDesmarcanSinTocarLosEncabezados) {
    Tabla t(2);
    Rejilla& r = *t.r;
    r.agregarEncabezado(QStringLiteral("ESO"));
    for (int i = 1; i <= 5; ++i) {
        const int f = r.agregarFila({QStringLiteral("Alumno %1").arg(i), QStringLiteral("Promociona")}, i);
        r.fijarColorTexto(f, 1, Azul);
    }
    QSignalSpy marcas(&*t.r, &Rejilla::marcaCambiada);

    // Without the mode a click only moves the current row.
    QTest::mouseClick(t.tabla.viewport(), Qt::LeftButton, {}, centroFila(t.tabla, 2));
    EXPECT_EQ(pruebas::enFila({r.filaActual(), marcas.count()}), "2|0");

    r.fijarMarcadoAlPulsar(true);
    QTest::mouseClick(t.tabla.viewport(), Qt::LeftButton, {}, centroFila(t.tabla, 2));
    ASSERT_EQ(marcas.count(), 1);
    EXPECT_EQ(pruebas::enFila({marcas.at(0).at(0), marcas.at(0).at(1), r.marcada(2), r.colorFondo(2, 0),
                               r.colorTexto(2, 1), t.tabla.selectedItems().size()}),
              pruebas::enFila({2, true, true, r.colorFondoSeleccion(), r.colorTextoSeleccion(), 0}));

    // Space toggles the current row; a second click unmarks and the cell's
    // own colour comes back.
    r.fijarFilaActual(4);
    QTest::keyClick(&t.tabla, Qt::Key_Space);
    EXPECT_EQ(pruebas::enFila({r.marcada(4), r.filasMarcadas() == QList<int>{2, 4}}), "true|true");
    QTest::mouseClick(t.tabla.viewport(), Qt::LeftButton, {}, centroFila(t.tabla, 2));
    EXPECT_EQ(pruebas::enFila({r.marcada(2), r.colorTexto(2, 1), r.colorFondo(2, 1)}),
              pruebas::enFila({false, Azul, r.colorFondoRejilla()}));

    // A heading is never marked, by mouse or by program.
    const int antes = int(marcas.count());
    QTest::mouseClick(t.tabla.viewport(), Qt::LeftButton, {}, centroFila(t.tabla, 0));
    r.marcar(0, true);
    EXPECT_EQ(pruebas::enFila({r.marcada(0), marcas.count()}), pruebas::enFila({false, antes}));

    // A colour set on a marked row waits under the selection colours.
    r.marcar(3, true);
    r.fijarColorTexto(3, 1, Rojo);
    EXPECT_EQ(r.colorTexto(3, 1), r.colorTextoSeleccion());
    r.marcar(3, false);
    EXPECT_EQ(r.colorTexto(3, 1), Rojo);

    // Whether any row is marked is kept as rows are marked, unmarked twice
    // and emptied: row 4 alone is marked now.
    r.marcar(3, false);
    EXPECT_TRUE(r.hayMarcadas());
    r.marcar(4, false);
    EXPECT_FALSE(r.hayMarcadas());
    r.marcar(4, true);
    r.vaciar();
    EXPECT_FALSE(r.hayMarcadas());
}

TEST(Rejilla, FilaActualYFilaSuperiorSonElIndiceYElDesplazamiento) {
    Tabla t(1);
    Rejilla& r = *t.r;
    for (int i = 0; i < 60; ++i) r.agregarFila({QStringLiteral("Fila %1").arg(i)}, i);
    QSignalSpy cambios(&*t.r, &Rejilla::filaCambiada);

    r.fijarFilaActual(3);
    ASSERT_EQ(cambios.count(), 1);
    EXPECT_EQ(pruebas::enFila({r.filaActual(), cambios.at(0).at(0), cambios.at(0).at(1),
                               t.tabla.selectedItems().size()}),
              "3|3|-1|1");

    r.fijarFilaSuperior(20);
    EXPECT_EQ(pruebas::enFila({r.filaSuperior(), t.tabla.rowAt(1), r.filasVisibles() >= 3}), "20|20|true");

    // Moving far scrolls the row into view; the keyboard moves it too.
    r.fijarFilaActual(55);
    EXPECT_LE(r.filaSuperior(), 55);
    EXPECT_GE(r.filaSuperior() + r.filasVisibles(), 55);
    QTest::keyClick(&t.tabla, Qt::Key_Up);
    EXPECT_EQ(pruebas::enFila({r.filaActual(), cambios.last().at(1)}), "54|55");

    // The program fills or moves it silently under a blocker.
    const auto antes = cambios.count();
    {
        const QSignalBlocker llenando(t.r);
        r.fijarFilaActual(1);
    }
    EXPECT_EQ(pruebas::enFila({r.filaActual(), cambios.count()}), pruebas::enFila({1, antes}));

    r.redibujar(false);
    EXPECT_FALSE(r.redibujando());
    r.redibujar(true);
    EXPECT_TRUE(r.redibujando());
    r.fijarFilaActual(-1);
    EXPECT_EQ(r.filaActual(), -1);
}

TEST(Rejilla, AnchosEnTwipsPorUsuarioConSusValoresPorDefecto) {
    QTableWidget tabla;
    Rejilla r(&tabla);
    r.fijarColumnas({QStringLiteral("Alumno"), QStringLiteral("Promoción"), QStringLiteral("Fecha baja")});
    const double dpi = tabla.logicalDpiX();
    // 15 twips a pixel at 96 dpi.
    EXPECT_EQ(pruebas::enFila({Rejilla::twipsAPixeles(1440, &tabla), Rejilla::twipsAPixeles(1500, nullptr),
                               Rejilla::pixelesATwips(100, nullptr)}),
              pruebas::enFila({qRound(dpi), 100, 1500}));

    // A school of its own, so a user's or another test's widths never mix in.
    const QString centro = QStringLiteral("Rejilla ") + QUuid::createUuid().toString(QUuid::Id128);
    const QList<AnchoColumna> defectos{{QStringLiteral("Nombre"), 3495},
                                       {QStringLiteral("Promoción"), 990},
                                       {QStringLiteral("FechaBaja"), 990}};
    // A default narrower than its title is widened to it.
    const auto defecto = [&](int c, int twips) {
        return qMax(Rejilla::twipsAPixeles(twips, &tabla), tabla.horizontalHeader()->sectionSizeHint(c));
    };
    r.leerAnchos(centro, QStringLiteral("CierreAlumnos"), defectos);
    EXPECT_EQ(tabla.columnWidth(0), defecto(0, 3495));
    EXPECT_EQ(tabla.columnWidth(2), defecto(2, 990));
    EXPECT_GE(tabla.columnWidth(2), tabla.horizontalHeader()->sectionSizeHint(2));

    // Stored as decimal text of twips under the given names.
    tabla.setColumnWidth(1, Rejilla::twipsAPixeles(1500, &tabla));
    r.guardarAnchos(centro, QStringLiteral("CierreAlumnos"),
                    {QStringLiteral("Nombre"), QStringLiteral("Promoción"), QStringLiteral("FechaBaja")});
    const QVariant guardado = Ajustes::leer(centro, QStringLiteral("CierreAlumnos"), QStringLiteral("Promoción"));
    EXPECT_EQ(guardado.toString(), QString::number(r.anchoTwips(1)));
    EXPECT_NEAR(guardado.toString().toInt(), 1500, 30);

    // A damaged value falls back to the default; a good one is taken.
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
