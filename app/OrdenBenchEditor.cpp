// ncc bench-editor: the historic grade editor on a large course. Builds a
// sample school in a temporary folder, puts a historic course of N students
// with M subjects each into it, and times the editor's load and the save
// after a change to every student (every row rewritten).
#include "app/Comandos.h"
#include "history/EdicionHistorico.h"
#include "platform/Conexion.h"
#include "platform/MensajesTerminal.h"
#include "platform/Sentencias.h"
#include "suite/Demo.h"
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

namespace ncc::app {

namespace {

QString uso() {
    return QStringLiteral("Uso: ncc bench-editor [--alumnos N] [--materias M]\n"
                          "  --alumnos N        alumnos del curso (120 si no se indica)\n"
                          "  --materias M       materias de cada alumno (12 si no se indica)\n");
}

int benchEditor(const QStringList& argumentos) {
    QTextStream out(stdout), err(stderr);
    int alumnos = 120, materias = 12;
    for (int i = 0; i + 1 < argumentos.size(); i += 2) {
        bool ok = false;
        const int v = argumentos.at(i + 1).toInt(&ok);
        if (argumentos.at(i) == QLatin1String("--alumnos") && ok && v > 0 && v <= 5000) alumnos = v;
        else if (argumentos.at(i) == QLatin1String("--materias") && ok && v > 0 && v <= 200) materias = v;
        else {
            err << uso();
            return SalidaUso;
        }
    }
    if (argumentos.size() % 2) {
        err << uso();
        return SalidaUso;
    }
    try {
        QTemporaryDir dir;
        suite::OpcionesDemo o;
        o.alumnos = std::max(alumnos + 50, suite::MinimoAlumnosDemo);
        const suite::ResumenDemo demo = suite::crearDemoSQLite(dir.path(), o);
        Conexion con(demo.centro);
        con.Open();
        // The course: historic year 3, teaching type 3, course 10; the
        // school's first students and subjects.
        QList<qint64> idsAlumnos, idsMaterias;
        for (Recordset r = con.Abrir(QStringLiteral("SELECT IDAlumno FROM Alumno ORDER BY IDAlumno LIMIT %1").arg(alumnos)); !r.eof(); r.MoveNext())
            idsAlumnos << r.entero(QStringLiteral("IDAlumno"));
        for (Recordset r = con.Abrir(QStringLiteral("SELECT IDMateria FROM Materia ORDER BY IDMateria LIMIT %1").arg(materias)); !r.eof(); r.MoveNext())
            idsMaterias << r.entero(QStringLiteral("IDMateria"));
        {
            Transaccion t(con);
            con.Execute(QStringLiteral("DELETE FROM EvaluacionHistorica WHERE codcursoescolarhistorico=3"));
            Recordset m = con.Abrir(QStringLiteral("SELECT COALESCE(MAX(IDEvaluacionHistorica),0) AS m FROM EvaluacionHistorica"));
            qint64 id = m.entero(QStringLiteral("m"));
            for (qint64 a : idsAlumnos) {
                int orden = 0;
                for (qint64 mat : idsMaterias)
                    con.Execute(QStringLiteral("INSERT INTO EvaluacionHistorica VALUES (?,?,?,0,3,10,31,0,1,4,3,'2025/06/20',0,0,?,0,0)"),
                                {++id, a, mat, ++orden});
            }
            t.confirmar();
        }
        MensajesTerminal terminal;
        ServicioMensajesInstalado instalado(terminal);
        const CursoHistorico curso{3, 3, 10, false};
        QElapsedTimer reloj;
        Sentencias::reiniciar();
        reloj.start();
        EdicionHistorico e(con, curso);
        e.Cargar();
        const double carga = reloj.nsecsElapsed() / 1e9;
        const long sentCarga = Sentencias::contadas();
        for (const auto& a : e.colAlumnos()) {
            a->setRepite(!a->Repite());
            for (const auto& mat : *a->Materias()) mat->setActual(3);
        }
        Sentencias::reiniciar();
        reloj.restart();
        const bool bien = e.Guardar();
        const double guardado = reloj.nsecsElapsed() / 1e9;
        out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7\n")
                   .arg(QStringLiteral("alumnos"), 8).arg(QStringLiteral("materias"), 8).arg(QStringLiteral("filas"), 6)
                   .arg(QStringLiteral("carga s"), 8).arg(QStringLiteral("sent."), 6).arg(QStringLiteral("guardar s"), 9)
                   .arg(QStringLiteral("sent."), 6);
        out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7\n")
                   .arg(e.colAlumnos().Count(), 8).arg(idsMaterias.size(), 8).arg(idsAlumnos.size() * idsMaterias.size(), 6)
                   .arg(carga, 8, 'f', 3).arg(sentCarga, 6).arg(guardado, 9, 'f', 3).arg(Sentencias::contadas(), 6);
        return bien ? SalidaExito : SalidaFallo;
    } catch (const Error& e) {
        err << "ncc bench-editor: " << e.descripcion() << "\n";
        return SalidaFallo;
    }
}

const Registro registro({"bench-editor", "mide la carga y el guardado del editor de notas históricas en un curso grande", benchEditor,
                          uso});

}  // namespace

}  // namespace ncc::app
