// The editor's windows driven through their widgets on the sample school:
// read-only mode, every way out and the lock, reordering, the flags and
// their Cancel, the selection dialogs and the student search (the pictures
// of every window are ncc capturas's).
#include "Historica.h"
#include "buscar/frmBuscarAlumno.h"
#include "history/frmPropAlumno.h"
#include "history/frmPropMatAl.h"
#include "history/frmSelHAlumno.h"
#include "history/frmSelMatAl.h"
#include "history/frmSelMateria.h"
#include "platform/Sentencias.h"
#include "platform/Reloj.h"
#include "platform/Textos.h"
#include <QCheckBox>
#include <QComboBox>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>
#include <QTest>

using namespace ncc;
using namespace ncc::pruebas;

namespace {

class Ventanas : public EscuelaHistorica {
protected:
    std::unique_ptr<frmEditarHistorico> editor(const CursoHistorico& c) {
        auto e = std::make_unique<frmEditarHistorico>(*con, c, bloqueo(c));
        e->show();
        return e;
    }
    void clic(QWidget* w, const char* nombre) { hijo(w, nombre)->click(); }
};

QTableWidget* rejilla(QWidget* w, const char* n) { return hijo<QTableWidget>(w, n); }

TEST_P(Ventanas, SoloLecturaAbrePropiedadesPeroNoListaNiGuarda) {
    const QStringList antes = historicas();
    auto e = editor(curso(Segundo, true));
    EXPECT_EQ(enFila({hijo(e.get(), "cmdListarMateria")->isEnabled(), hijo(e.get(), "cmdListarAlumno")->isEnabled()}),
              "false|false");
    QTableWidget* alumnos = rejilla(e.get(), "msgAlumno");
    ASSERT_GT(alumnos->rowCount(), 0);
    alumnos->selectRow(0);
    bool visto = false;
    alAbrirse(QStringLiteral("frmPropAlumno"), [&](QWidget* p) {
        visto = true;
        for (const char* n : {"cmdPropiedades", "cmdListar", "chkPromocion", "chkPendiente", "chkRepite", "cmdArriba", "cmdAbajo"})
            EXPECT_FALSE(hijo<QWidget>(p, n)->isEnabled()) << n;
        EXPECT_GT(rejilla(p, "msgMaterias")->rowCount(), 0);
        clic(p, "cmdAceptar");
    });
    clic(e.get(), "cmdPropAlumno");
    EXPECT_TRUE(visto);
    clic(e.get(), "cmdSalir");
    EXPECT_EQ(enFila({guion.mostrados().size(), e->isVisible(), e->cerrarSelector(), liberaciones}), "0|false|true|1");
    EXPECT_EQ(historicas(), antes);
}

TEST_P(Ventanas, CancelarYLaCajaDeCierreSueltanElBloqueo) {
    const QStringList antes = historicas();
    {
        auto e = editor(curso());
        EXPECT_EQ(bloqueos(), 1);
        e->edicion().colAlumnos().Item(1)->setActual(3);
        clic(e.get(), "cmdCancelar");
        EXPECT_EQ(enFila({guion.mostrados().size(), e->isVisible(), bloqueos()}), "0|false|0");
        EXPECT_EQ(historicas(), antes);
    }
    EXPECT_EQ(liberaciones, 1);
    // The close box asks; Cancel stays, No leaves without writing.
    auto e = editor(curso());
    e->edicion().colAlumnos().Item(1)->setActual(3);
    guion.responderA(7052, Respuesta::Cancelar);
    e->close();
    EXPECT_EQ(enFila({e->isVisible(), bloqueos()}), "true|1");
    MensajesGuion otro;
    ServicioMensajesInstalado i(otro);
    otro.responderA(7052, Respuesta::No);
    e->close();
    EXPECT_EQ(enFila({e->isVisible(), e->cerrarSelector(), bloqueos()}), "false|false|0");
    EXPECT_EQ(historicas(), antes);
}

TEST_P(Ventanas, SubirUnaMateriaSinCambiosReescribeSuOrden) {
    auto e = editor(curso());
    const auto a = e->edicion().colAlumnos().Item(1);
    e->lngIDAlumno = a->IDAlumno();
    frmPropAlumno p(*e);
    QTableWidget* g = rejilla(&p, "msgMaterias");
    ASSERT_GE(g->rowCount(), 2);
    const qint32 segunda = g->item(1, 0)->text().toInt();
    const qint32 primera = g->item(0, 0)->text().toInt();
    g->selectRow(1);
    clic(&p, "cmdArriba");
    EXPECT_EQ(g->item(0, 0)->text().toInt(), segunda);
    clic(&p, "cmdAceptar");
    const long long filas = numero(QStringLiteral("SELECT COUNT(*) FROM EvaluacionHistorica"));
    guion.responder(Respuesta::Si);
    clic(e.get(), "cmdAnterior");
    EXPECT_FALSE(e->isVisible());
    auto orden = [&](qint32 m) {
        return numero(QStringLiteral("SELECT MIN(Orden) FROM EvaluacionHistorica WHERE codalumno=%1 AND codmateria=%2 AND "
                                     "codcursoescolarhistorico=2 AND codcurso=11").arg(a->IDAlumno()).arg(m));
    };
    EXPECT_LT(orden(segunda), orden(primera));
    EXPECT_EQ(numero(QStringLiteral("SELECT COUNT(*) FROM EvaluacionHistorica")), filas);
    EXPECT_EQ(bloqueos(), 0);
}

TEST_P(Ventanas, UnNombreDeMateriaLargoEnsanchaSuColumnaYSeLeeEnteroAlPasarPorEncima) {
    auto e = editor(curso());
    const auto a = e->edicion().colAlumnos().Item(1);
    e->lngIDAlumno = a->IDAlumno();
    const QString largo = QStringLiteral("Conocimiento del Medio Natural, Social y Cultural de la Comunidad Autónoma");
    a->Materias()->Item(1)->setNombre(largo);
    frmPropAlumno p(*e);
    p.show();
    QTableWidget* g = rejilla(&p, "msgMaterias");
    int fila = -1;
    for (int f = 0; f < g->rowCount(); ++f)
        if (g->item(f, 1)->text() == largo) fila = f;
    ASSERT_GE(fila, 0);
    EXPECT_EQ(g->item(fila, 1)->toolTip(), largo);
    // Wider than the suite's width, and the window wider with it, so that
    // every other column still has its room.
    EXPECT_GT(g->columnWidth(1), 240);
    int otras = 0;
    for (int c = 2; c < g->columnCount() - 1; ++c) otras += g->columnWidth(c);
    g->resizeColumnToContents(g->columnCount() - 1);
    EXPECT_LE(g->columnWidth(1) + otras + g->columnWidth(g->columnCount() - 1), g->viewport()->width());
}

TEST_P(Ventanas, CancelarTrasMarcarPCPIDejaAlAlumnoComoEstaba) {
    auto e = editor(curso());
    const QString huella = huellaRegistros(e->edicion());
    e->lngIDAlumno = e->edicion().colAlumnos().Item(1)->IDAlumno();
    {
        frmPropAlumno p(*e);
        auto* promocion = hijo<QCheckBox>(&p, "chkPromocion");
        auto* pcpi = hijo<QCheckBox>(&p, "chkPromocionPCPI");
        EXPECT_FALSE(pcpi->isHidden());
        // Opening the grade dialog and accepting changes nothing.
        rejilla(&p, "msgMaterias")->selectRow(0);
        {
            frmPropMatAl n(p, p.materiaSeleccionada());
            clic(&n, "cmdAceptar");
        }
        EXPECT_EQ(huellaRegistros(e->edicion()), huella);
        if (!promocion->isChecked()) promocion->click();
        pcpi->click();
        EXPECT_TRUE(p.alumno().PromocionPCPI() && huellaRegistros(e->edicion()) != huella);
        clic(&p, "cmdCancelar");
    }
    EXPECT_EQ(huellaRegistros(e->edicion()), huella);
    // 4º (Orden 4) offers neither programme.
    auto cuarto = std::make_unique<frmEditarHistorico>(*con, curso(Cuarto, true), nullptr);
    cuarto->lngIDAlumno = cuarto->edicion().colAlumnos().Item(1)->IDAlumno();
    frmPropAlumno p4(*cuarto);
    EXPECT_TRUE(hijo<QWidget>(&p4, "chkPromocionPCPI")->isHidden());
    EXPECT_TRUE(hijo<QWidget>(&p4, "chkPromocionDiversificacion")->isHidden());
}

// The date as a Spanish secretary types it: with its slashes, emptied with
// Delete, its calendar in Spanish on today's month when empty.
TEST_P(Ventanas, LaFechaVaciaSeGuardaVaciaYLaNotaCambiaSoloSuMateria) {
    auto e = editor(curso());
    const auto a = e->edicion().colAlumnos().Item(1);
    e->lngIDAlumno = a->IDAlumno();
    frmPropAlumno p(*e);
    rejilla(&p, "msgMaterias")->selectRow(0);
    const qint16 idm = p.materiaSeleccionada();
    {
        frmPropMatAl n(p, idm);
        n.show();
        auto* fecha = hijo<QDateEdit>(&n, "actpPrincipal");
        fecha->selectAll();
        QTest::keyClicks(fecha, QStringLiteral("30/06/2026"));
        EXPECT_EQ(fecha->date(), QDate(2026, 6, 30)) << fecha->text().toStdString();
        fecha->selectAll();
        QTest::keyClick(fecha, Qt::Key_Delete);
        EXPECT_EQ(fecha->text().trimmed(), QString());
        QTest::mouseClick(fecha, Qt::LeftButton, {}, QPoint(fecha->width() - 4, fecha->height() / 2));
        const QCalendarWidget* calendario = fecha->calendarWidget();
        EXPECT_TRUE(calendario->isVisible());
        EXPECT_EQ(QDate(calendario->yearShown(), calendario->monthShown(), 1),
                  QDate(Reloj::hoy().year(), Reloj::hoy().month(), 1));
        EXPECT_EQ(calendario->locale().language(), QLocale::Spanish);
        QTest::keyClick(calendario->focusWidget() ? calendario->focusWidget() : fecha, Qt::Key_Escape);
        auto* nota = hijo<QComboBox>(&n, "cboNota");
        ASSERT_GT(nota->count(), 1);
        nota->setCurrentIndex(1);
        emit nota->activated(1);
        clic(&n, "cmdAceptar");
    }
    const auto m = a->Materias()->Item(Coleccion<cMateria>::clave(idm));
    EXPECT_EQ(enFila({m->FechaEvaluacion(), m->Actual(), rejilla(&p, "msgMaterias")->item(0, 4)->text()}), "|3|");
    clic(&p, "cmdAceptar");
    guion.responder(Respuesta::Si);
    clic(e.get(), "cmdAnterior");
    EXPECT_EQ(numero(QStringLiteral("SELECT COUNT(*) FROM EvaluacionHistorica WHERE codalumno=%1 AND codmateria=%2 AND "
                                    "codcurso=11 AND FechaEvaluacion='' AND CodNota=%3").arg(a->IDAlumno()).arg(idm).arg(m->IDNota())), 1);
}

TEST_P(Ventanas, SeleccionDeMateriasDelCurso) {
    // A subject of the course whose grades are all empty: removing it asks
    // nothing, Accept asks 8053 and the save deletes its rows of this course.
    auto e = editor(curso());
    const auto delCurso = e->edicion().colMaterias().Item(1);
    const qint16 idm = delCurso->IDMateria();
    for (const auto& a : e->edicion().colAlumnos())
        if (auto m = a->Materias()->buscar(Coleccion<cMateria>::clave(idm))) m->setIDNota(0);
    const QString huella = huellaRegistros(e->edicion());
    {
        // Cancel after a removal puts back the students' subjects too.
        frmSelMateria s(*e);
        auto* sel = hijo<QListWidget>(&s, "lstSeleccionadas");
        sel->setCurrentRow(0);
        clic(&s, "cmdQuitar");
        EXPECT_TRUE(guion.mostrados().isEmpty() && huellaRegistros(e->edicion()) != huella);
        clic(&s, "cmdCancelar");
    }
    EXPECT_EQ(huellaRegistros(e->edicion()), huella);
    qint16 fuera = 0;
    {
        frmSelMateria s(*e);
        hijo<QListWidget>(&s, "lstSeleccionadas")->setCurrentRow(0);
        clic(&s, "cmdQuitar");
        // One subject from outside the course, for every student.
        auto* disp = hijo<QListWidget>(&s, "lstDisponibles");
        disp->setCurrentRow(0);
        fuera = qint16(disp->currentItem()->data(Qt::UserRole).toInt());
        ASSERT_NE(fuera, idm);
        clic(&s, "cmdAgregar");
        guion.responderA(8053, Respuesta::Si);
        guion.responderA(8051, Respuesta::Si);
        clic(&s, "cmdAceptar");
        EXPECT_FALSE(s.isVisible());
    }
    EXPECT_EQ(guion.ultimo().mensaje.icono, Icono::Pregunta);
    const int alumnos = e->edicion().colAlumnos().Count();
    const long long deLaMateria = numero(QStringLiteral("SELECT COUNT(*) FROM EvaluacionHistorica WHERE codmateria=%1 AND codcurso=11 AND codcursoescolarhistorico=2").arg(idm));
    ASSERT_GT(deLaMateria, 0);
    const long long total = numero(QStringLiteral("SELECT COUNT(*) FROM EvaluacionHistorica"));
    guion.responder(Respuesta::Si);
    clic(e.get(), "cmdAnterior");
    EXPECT_EQ(numero(QStringLiteral("SELECT COUNT(*) FROM EvaluacionHistorica WHERE codmateria=%1 AND codcurso=11 AND codcursoescolarhistorico=2").arg(idm)), 0);
    EXPECT_EQ(numero(QStringLiteral("SELECT COUNT(*) FROM EvaluacionHistorica WHERE codmateria=%1 AND codcurso=11 AND codcursoescolarhistorico=2").arg(fuera)), alumnos);
    EXPECT_EQ(numero(QStringLiteral("SELECT COUNT(*) FROM EvaluacionHistorica")), total - deLaMateria + alumnos);
}

TEST_P(Ventanas, MateriasDeUnAlumnoAgregadaYQuitadaNoSeEscribe) {
    auto e = editor(curso());
    const auto a = e->edicion().colAlumnos().Item(1);
    e->lngIDAlumno = a->IDAlumno();
    const QStringList antes = historicas();
    frmPropAlumno p(*e);
    const QString huella = huellaRegistros(e->edicion());
    {
        frmSelMatAl s(p);
        auto* disp = hijo<QListWidget>(&s, "lstDisponibles");
        ASSERT_GT(disp->count(), 0);
        disp->setCurrentRow(0);
        clic(&s, "cmdAniadirUno");
        clic(&s, "cmdCancelar");
    }
    EXPECT_EQ(huellaRegistros(e->edicion()), huella);
    {
        frmSelMatAl s(p);
        auto* disp = hijo<QListWidget>(&s, "lstDisponibles");
        disp->setCurrentRow(0);
        const qint32 id = disp->currentItem()->data(Qt::UserRole).toInt();
        clic(&s, "cmdAniadirUno");
        auto* sel = hijo<QListWidget>(&s, "lstSeleccionadas");
        sel->setCurrentRow(sel->count() - 1);
        EXPECT_EQ(sel->currentItem()->data(Qt::UserRole).toInt(), id);
        clic(&s, "cmdQuitarUno");
        EXPECT_TRUE(guion.mostrados().isEmpty());
        clic(&s, "cmdAceptar");
    }
    clic(&p, "cmdAceptar");
    guion.responder(Respuesta::Si);
    clic(e.get(), "cmdAnterior");
    // Only the Repite of the year is rewritten, with the value it had.
    EXPECT_EQ(historicas(), antes);
}

// The search folds case and accents as the Spanish order does, and the one
// student found is chosen already.
TEST_P(Ventanas, LaBusquedaNoDistingueMayusculasNiAcentos) {
    const qint64 id = numero(QStringLiteral("SELECT MIN(IDAlumno) FROM Alumno"));
    con->Execute(QStringLiteral("UPDATE Alumno SET Apellido_1=?, Apellido_2=?, Nombre=? WHERE IDAlumno=%1").arg(id),
                 {QStringLiteral("Díaz"), QStringLiteral("Santolaya"), QStringLiteral("María")});
    ncbuscar::frmBuscarAlumno b(*con, QString());
    auto* txt = hijo<QLineEdit>(&b, "txtBuscar");
    for (const QString& texto : {QStringLiteral("diaz santol"), QStringLiteral("DÍAZ SANTOLAYA"), QStringLiteral("maria santol")}) {
        txt->clear();
        QTest::keyClicks(txt, texto);
        QTest::keyClick(txt, Qt::Key_Return);
        EXPECT_EQ(b.seleccion(), QString::number(id)) << texto.toStdString();
    }
}

TEST_P(Ventanas, AlumnosBuscadosAgregadosYQuitados) {
    EXPECT_EQ(frmSelHAlumno::idsDeBusqueda(QStringLiteral("12, 40,x;1,12,,7 OR 1=1")), (QList<qint32>{12, 40}));
    EXPECT_TRUE(frmSelHAlumno::idsDeBusqueda(QString()).isEmpty());
    auto e = editor(curso());
    const QString huella = huellaRegistros(e->edicion());
    const int antes = e->edicion().colAlumnos().Count();
    frmSelHAlumno s(*e);
    // The search lists nobody already in the dialog; choose two by keyboard.
    QStringList vistos;
    alAbrirse(QStringLiteral("frmBuscarAlumno"), [&](QWidget* b) {
        auto* txt = hijo<QLineEdit>(b, "txtBuscar");
        QTest::keyClicks(txt, QStringLiteral("a"));
        QTest::keyClick(txt, Qt::Key_Return);
        auto* l = hijo<QListWidget>(b, "lstResultados");
        for (int i = 0; i < l->count(); ++i) vistos << l->item(i)->data(Qt::UserRole).toString();
        QTest::keyClick(l, Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(l, Qt::Key_Return);
    });
    clic(&s, "cmdAgregar");
    for (const auto& a : e->edicion().colAlumnos())
        if (a->Anterior() == 0) {
            EXPECT_FALSE(vistos.contains(QString::number(a->IDAlumno())));
        }
    auto* disp = hijo<QListWidget>(&s, "lstDisponibles");
    ASSERT_EQ(disp->count(), 2);
    ASSERT_EQ(e->edicion().colAlumnos().Count(), antes + 2);
    // One in and out again, the other in.
    disp->setCurrentRow(0);
    const qint32 fuera = disp->currentItem()->data(Qt::UserRole).toInt();
    clic(&s, "cmdAgregarUno");
    auto* sel = hijo<QListWidget>(&s, "lstSeleccionados");
    sel->setCurrentRow(sel->count() - 1);
    clic(&s, "cmdQuitarUno");
    disp->setCurrentRow(0);
    if (disp->currentItem()->data(Qt::UserRole).toInt() == fuera) disp->setCurrentRow(1);
    const qint32 dentro = disp->currentItem()->data(Qt::UserRole).toInt();
    clic(&s, "cmdAgregarUno");
    guion.responder(Respuesta::No);
    clic(&s, "cmdAceptar");
    EXPECT_FALSE(e->edicion().colAlumnos().contiene(QString::number(fuera)));
    ASSERT_TRUE(e->edicion().colAlumnos().contiene(QString::number(dentro)));
    EXPECT_EQ(e->edicion().colAlumnos().Item(QString::number(dentro))->Actual(), 1);
    // Cancel of a second dialog leaves the records as they are now.
    const QString ahora = huellaRegistros(e->edicion());
    {
        frmSelHAlumno s2(*e);
        hijo<QListWidget>(&s2, "lstSeleccionados")->setCurrentRow(0);
        guion.responderA(10054, Respuesta::Si);
        clic(&s2, "cmdQuitarUno");
        clic(&s2, "cmdCancelar");
    }
    EXPECT_EQ(huellaRegistros(e->edicion()), ahora);
    EXPECT_NE(ahora, huella);
}

TEST_P(Ventanas, UnGuardadoQueFallaEnteroDejaElEditorAbiertoYSePuedeRepetir) {
    auto e = editor(curso());
    for (const auto& a : e->edicion().colAlumnos())
        for (const auto& m : *a->Materias()) m->setActual(3);
    e->edicion().colAlumnos().Item(2)->setActual(3);
    const QStringList antes = historicas();
    guion.responder(Respuesta::Si);
    // The first statement of the save is its first row's savepoint.
    Sentencias::reiniciar();
    Sentencias::fallarEn(1);
    clic(e.get(), "cmdAnterior");
    Sentencias::fallarEn(0);
    EXPECT_EQ(historicas(), antes);
    EXPECT_EQ(enFila({e->isVisible(), guion.ultimo().mensaje.icono, bloqueos()}), enFila({true, Icono::Critico, 1}));
    // Not only "Cancelar": saving again writes it all and leaves.
    guion.responder(Respuesta::Si);
    clic(e.get(), "cmdAnterior");
    EXPECT_TRUE(!e->isVisible() && historicas() != antes);
    EXPECT_EQ(numero(QStringLiteral("SELECT COUNT(*) FROM EvaluacionHistorica WHERE codalumno=%1 AND codcurso=%2")
                         .arg(e->edicion().colAlumnos().Item(2)->IDAlumno()).arg(Segundo)), 0);
    EXPECT_EQ(bloqueos(), 0);
}

NCC_AMBOS_FONDOS(Ventanas);

}  // namespace
