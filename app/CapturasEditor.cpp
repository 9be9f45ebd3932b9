// Pictures of the historic grade editor, its dialogs and the student search,
// on the historic course of the school with the most grades. The editor is
// opened read-only (no lock taken) and the dialogs change only its records
// in memory: the school is left as it was.
#include "app/Capturas.h"
#include "buscar/frmBuscarAlumno.h"
#include "entry/cConfiguracion.h"
#include "history/frmEditarHistorico.h"
#include "history/frmPropAlumno.h"
#include "history/frmPropMatAl.h"
#include "history/frmSelHAlumno.h"
#include "history/frmSelMatAl.h"
#include "history/frmSelMateria.h"
#include <QLineEdit>
#include <QTabBar>
#include <QTableWidget>

namespace ncc::app {

namespace {

void capturarEditor(Capturador& c) {
    const cConfiguracion* conf = ConfiguracionActual();
    if (!conf || !conf->conLocalCentro()) return;
    Conexion& con = *conf->conLocalCentro();
    Recordset r = con.Abrir(QStringLiteral(
        "SELECT codcursoescolarhistorico, codtipoensenanza, codcurso, COUNT(*) AS n FROM EvaluacionHistorica "
        "GROUP BY codcursoescolarhistorico, codtipoensenanza, codcurso "
        "ORDER BY COUNT(*) DESC, codcursoescolarhistorico, codtipoensenanza, codcurso LIMIT 1"));
    if (r.eof()) return;
    const CursoHistorico curso{qint16(r.entero(QStringLiteral("codcursoescolarhistorico"))),
                               quint8(r.entero(QStringLiteral("codtipoensenanza"))),
                               qint16(r.entero(QStringLiteral("codcurso"))), true};
    frmEditarHistorico editor(con, curso, nullptr);
    if (!editor.cargado() || editor.edicion().colAlumnos().vacia()) return;
    c.guardar(&editor, QStringLiteral("frmEditarHistorico_materias"));
    if (auto* tab = editor.findChild<QTabBar*>(QStringLiteral("tabHistorico"))) tab->setCurrentIndex(1);
    if (auto* g = editor.findChild<QTableWidget*>(QStringLiteral("msgAlumno"))) g->selectRow(0);
    c.guardar(&editor, QStringLiteral("frmEditarHistorico_alumnos"));

    editor.lngIDAlumno = editor.edicion().colAlumnos().Item(1)->IDAlumno();
    frmPropAlumno propiedades(editor);
    c.guardar(&propiedades, QStringLiteral("frmPropAlumno"));
    if (auto* g = propiedades.findChild<QTableWidget*>(QStringLiteral("msgMaterias"))) g->selectRow(0);
    if (propiedades.materiaSeleccionada()) {
        frmPropMatAl nota(propiedades, propiedades.materiaSeleccionada());
        c.guardar(&nota, QStringLiteral("frmPropMatAl"));
    }
    {
        frmSelMateria materias(editor);
        c.guardar(&materias, QStringLiteral("frmSelMateria"));
    }
    {
        frmSelMatAl materiasAlumno(propiedades);
        c.guardar(&materiasAlumno, QStringLiteral("frmSelMatAl"));
    }
    {
        frmSelHAlumno alumnos(editor);
        c.guardar(&alumnos, QStringLiteral("frmSelHAlumno"));
    }
    ncbuscar::frmBuscarAlumno busqueda(con, QString());
    if (auto* txt = busqueda.findChild<QLineEdit*>(QStringLiteral("txtBuscar"))) {
        txt->setText(QStringLiteral("gar"));
        emit txt->returnPressed();
    }
    c.guardar(&busqueda, QStringLiteral("NCBuscar_frmBuscarAlumno"));
}

const RegistroCaptura registro({"frmEditarHistorico", capturarEditor});

}  // namespace

}  // namespace ncc::app
