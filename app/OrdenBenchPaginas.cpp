// ncc bench-paginas: the wizard's pages at work on sample schools, timed
// step by step. The activity page on its largest activity: opening it,
// "Pasar" for every member, a price applied to every price row and
// accepted, and the confirmation. The student page: opening the page, its
// largest section opened, one decision applied to all its students, the
// section confirmed, and the stored set of the whole school (every section
// confirmed) saved and loaded through its buttons. Each figure is the mean
// of a few rounds, in milliseconds; the student page's include the repaint
// that follows each step.
#include "app/Comandos.h"
#include "app/EscuelaBench.h"
#include "app/ManejoVentanas.h"
#include "entry/cConfiguracion.h"
#include "host/Sesion.h"
#include "platform/BasesDatos.h"
#include "platform/CadenaConexion.h"
#include "platform/MensajesTerminal.h"
#include "platform/gui/Rejilla.h"
#include "suite/Demo.h"
#include "wizard/ContextoAsistente.h"
#include "wizard/frmCierreActividades.h"
#include "wizard/frmCierreAlumnos.h"
#include "wizard/frmPrecioActividad.h"
#include <QAbstractButton>
#include <QApplication>
#include <QRadioButton>
#include <QTimer>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextStream>

namespace ncc::app {

namespace {

double ms(QElapsedTimer& t) {
    const double r = t.nsecsElapsed() / 1e6;
    t.restart();
    return r;
}

int paginaActividades(int alumnos, QTextStream& out) {
    ReiniciarAsistente();
    frmCierreActividades pagina;
    pagina.cargar();
    if (!pagina.Mostrar()) return SalidaFallo;
    pagina.show();
    Rejilla* actividades = rejilla(&pagina, "msgActividades");
    Rejilla* miembros = rejilla(&pagina, "msgAlumnos");
    // The activity with the most members.
    const int fila = filaDeLaMayorActividad(actividades, miembros);
    actividades->fijarFilaActual(fila);
    const int mas = miembros->filas();
    constexpr int Rondas = 5;
    double abrir = 0, pasar = 0, precios = 0, confirmar = 0;
    for (int r = 0; r < Rondas; ++r) {
        actividades->fijarFilaActual(fila == 0 ? 1 : 0);
        QElapsedTimer t;
        t.start();
        actividades->fijarFilaActual(fila);  // a promoted one asks, answered Yes: read again
        abrir += ms(t);
        pulsar(&pagina, "cmdPromocionar_0");
        pulsar(&pagina, "cmdSeleccionar_0");
        pulsar(&pagina, "cmdAceptar");
        pasar += ms(t);
        // The price page as the button opens it: every row at one price,
        // accepted, and the members' grid refilled.
        QTimer::singleShot(0, [] {
            auto* p = qobject_cast<frmPrecioActividad*>(QApplication::activeModalWidget());
            if (!p) return;
            p->findChild<QLineEdit*>(QStringLiteral("txtPrecio"))->setText(QStringLiteral("35,5"));
            pulsar(p, "cmdSeleccionar_0");
            pulsar(p, "cmdAceptar");
            pulsar(p, "cmdPrecioActividad_0");
        });
        pulsar(&pagina, "cmdPrecios");
        precios += ms(t);
        pulsar(&pagina, "cmdPromocionar_0");
        confirmar += ms(t);
    }
    out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7\n")
               .arg(alumnos, 8)
               .arg(mas, 8)
               .arg(abrir / Rondas, 8, 'f', 1)
               .arg(pasar / Rondas, 8, 'f', 1)
               .arg(precios / Rondas, 8, 'f', 1)
               .arg(confirmar / Rondas, 9, 'f', 1)
               .arg((abrir + pasar + precios + confirmar) / Rondas, 8, 'f', 1);
    return SalidaExito;
}

// The page's own work and the repaint it causes.
double msPintado(QElapsedTimer& t) {
    QCoreApplication::processEvents();
    return ms(t);
}

int paginaAlumnos(int alumnos, QTextStream& out) {
    ReiniciarAsistente();
    constexpr int Rondas = 5;
    double abrirPagina = 0;
    std::unique_ptr<frmCierreAlumnos> pagina;
    for (int r = 0; r < Rondas; ++r) {
        pagina.reset();
        QElapsedTimer t;
        t.start();
        pagina = std::make_unique<frmCierreAlumnos>();
        if (!pagina->cargar()) return SalidaFallo;
        pagina->resize(1000, 700);
        pagina->show();
        abrirPagina += msPintado(t);
    }
    Rejilla* secciones = rejilla(pagina.get(), "msgSecciones");
    Rejilla* alumnosSeccion = rejilla(pagina.get(), "msgAlumnos");
    // The section with the most students.
    int fila = 1, mas = -1;
    for (int f = 0; f < secciones->filas(); ++f) {
        if (secciones->esEncabezado(f)) continue;
        secciones->fijarFilaActual(f);
        if (alumnosSeccion->filas() > mas) {
            mas = alumnosSeccion->filas();
            fila = f;
        }
    }
    const int otra = fila == 1 ? 2 : 1;
    double abrir = 0, aplicar = 0, confirmar = 0;
    for (int r = 0; r < Rondas; ++r) {
        secciones->fijarFilaActual(otra);
        QCoreApplication::processEvents();
        QElapsedTimer t;
        t.start();
        secciones->fijarFilaActual(fila);  // confirmed in the round before: asks, Yes gives the seats back
        pulsar(pagina.get(), "cmdPromocionar_0");
        abrir += msPintado(t);
        // Everyone repeats in the section itself, which the option proposes.
        pulsar(pagina.get(), "cmdSeleccionar_0");
        pagina->findChild<QRadioButton*>(QStringLiteral("optOpcion_1"))->click();
        pulsar(pagina.get(), "cmdAceptar");
        aplicar += msPintado(t);
        pulsar(pagina.get(), "cmdPromocionar_0");
        confirmar += msPintado(t);
    }
    // Every section confirmed as proposed (those left unassigned too), then
    // the whole school stored and read back.
    for (int f = 0; f < secciones->filas(); ++f) {
        if (secciones->esEncabezado(f) || f == fila) continue;
        secciones->fijarFilaActual(f);
        pulsar(pagina.get(), "cmdPromocionar_0");
        pulsar(pagina.get(), "cmdPromocionar_0");
    }
    QCoreApplication::processEvents();
    double guardar = 0, cargar = 0;
    for (int r = 0; r < Rondas; ++r) {
        QElapsedTimer t;
        t.start();
        pulsar(pagina.get(), "cmdGuardar_0");
        guardar += msPintado(t);
        pulsar(pagina.get(), "cmdGuardar_1");
        cargar += msPintado(t);
    }
    int confirmadas = 0;
    for (const auto& s : *pagina->Secciones()) confirmadas += s->Promocionada() ? 1 : 0;
    out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9\n")
               .arg(alumnos, 8)
               .arg(confirmadas, 9)
               .arg(mas, 8)
               .arg(abrirPagina / Rondas, 9, 'f', 1)
               .arg(abrir / Rondas, 8, 'f', 1)
               .arg(aplicar / Rondas, 10, 'f', 1)
               .arg(confirmar / Rondas, 9, 'f', 1)
               .arg(guardar / Rondas, 10, 'f', 1)
               .arg(cargar / Rondas, 9, 'f', 1);
    return SalidaExito;
}

// One sample school, both pages; each table gets its row.
int unaEscuela(int alumnos, const ServidorBench& enServidor, QTextStream& actividades, QTextStream& alumnosOut) {
    QTemporaryDir dir;
    const suite::ResumenDemo demo = escuelaDeBench(alumnos, enServidor, dir.path(), QStringLiteral("benchpag"));
    int r = SalidaExito;
    {
        SesionBench sesion(demo);
        mensajesTerminal().fijarSiATodo(true);
        r = paginaActividades(alumnos, actividades);
        if (r == SalidaExito) r = paginaAlumnos(alumnos, alumnosOut);
        ReiniciarAsistente();
    }
    // The session is gone: nothing holds the databases.
    borrarDelServidor(enServidor, demo.bases);
    return r;
}

QString uso() {
    return QStringLiteral("Uso: ncc bench-paginas [--alumnos N[,N...]] [--servidor CADENA]\n"
                          "  --alumnos N,...    tamaños de las escuelas de ejemplo (500,2000 si no se indica)\n"
                          "  --servidor CADENA  las escuelas en ese servidor PostgreSQL\n");
}

int benchPaginas(const QStringList& argumentos) {
    QTextStream out(stdout), err(stderr);
    QList<int> tamanos{500, 2000};
    ServidorBench servidor;
    for (int i = 0; i < argumentos.size(); ++i) {
        if (argumentos.at(i) == QLatin1String("--alumnos") && i + 1 < argumentos.size()) {
            tamanos.clear();
            for (const QString& n : argumentos.at(++i).split(QLatin1Char(','))) {
                bool ok = false;
                const int v = n.toInt(&ok);
                if (!ok || v <= 0) {
                    err << "ncc bench-paginas: número de alumnos no válido: " << n << "\n";
                    return SalidaUso;
                }
                tamanos << v;
            }
        } else if (argumentos.at(i) == QLatin1String("--servidor") && i + 1 < argumentos.size()) {
            try {
                servidor = DatosConexion::deServidor(argumentos.at(++i));
            } catch (const Error& e) {
                err << "ncc bench-paginas: --servidor: " << e.descripcion() << "\n";
                return SalidaUso;
            }
        } else {
            err << uso();
            return SalidaUso;
        }
    }
    QString filasActividades, filasAlumnos;
    QTextStream actividades(&filasActividades), alumnos(&filasAlumnos);
    for (int n : tamanos) {
        if (const int r = unaEscuela(n, servidor, actividades, alumnos); r != SalidaExito) return r;
        err << "ncc bench-paginas: " << n << " alumnos medidos\n";
        err.flush();
    }
    actividades.flush();
    alumnos.flush();
    out << (!servidor ? QStringLiteral("SQLite\n") : QStringLiteral("PostgreSQL (%1)\n").arg(servidor->origen()));
    out << "Página de actividades\n"
        << " alumnos miembros  abrir ms  pasar ms precios ms confirmar total ms\n"
        << filasActividades << "\nPágina de alumnos\n"
        << " alumnos secciones  sección página ms  abrir ms aplicar ms confirmar guardar ms cargar ms\n"
        << filasAlumnos;
    return SalidaExito;
}

const Registro registro({"bench-paginas", "mide las páginas de alumnos y de actividades en escuelas de ejemplo", benchPaginas,
                          uso});

}  // namespace

}  // namespace ncc::app
