// ncc bench-paginas: the activity page at work on sample schools, timed
// step by step on its largest activity: opening it, "Pasar" for every
// member, a price applied to every price row and accepted, and the
// confirmation. Each figure is the mean of a few rounds, in milliseconds.
#include "app/Comandos.h"
#include "entry/cAsignarDatos.h"
#include "entry/cConfiguracion.h"
#include "host/Sesion.h"
#include "platform/MensajesTerminal.h"
#include "platform/gui/Rejilla.h"
#include "suite/Demo.h"
#include "wizard/ContextoAsistente.h"
#include "wizard/frmCierreActividades.h"
#include "wizard/frmPrecioActividad.h"
#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextStream>

namespace ncc::app {

namespace {

void pulsar(QWidget* w, const char* nombre) {
    if (auto* b = w->findChild<QAbstractButton*>(QString::fromLatin1(nombre)); b && b->isEnabled()) b->click();
}

Rejilla* rejilla(QWidget* w, const char* nombre) {
    auto* t = w->findChild<QTableWidget*>(QString::fromLatin1(nombre));
    return t ? t->findChild<Rejilla*>() : nullptr;
}

double ms(QElapsedTimer& t) {
    const double r = t.nsecsElapsed() / 1e6;
    t.restart();
    return r;
}

int unaEscuela(int alumnos, QTextStream& out) {
    QTemporaryDir dir;
    suite::OpcionesDemo o;
    o.alumnos = alumnos;
    o.reemplazar = true;
    const suite::ResumenDemo demo = suite::crearDemoSQLite(dir.path(), o);
    host::OpcionesSesion op;
    op.appEntrada = demo.appEntrada;
    op.borradoAppEntrada = demo.borradoAppEntrada;
    auto sesion = host::abrirSesion(op);
    cAsignarDatos entrada;
    entrada.ObtenerDatos(sesion.get());
    mensajesTerminal().fijarSiATodo(true);
    ReiniciarAsistente();

    frmCierreActividades pagina;
    pagina.cargar();
    if (!pagina.Mostrar()) return SalidaFallo;
    pagina.show();
    Rejilla* actividades = rejilla(&pagina, "msgActividades");
    Rejilla* miembros = rejilla(&pagina, "msgAlumnos");
    // The activity with the most members.
    int fila = 0, mas = -1;
    for (int f = 0; f < actividades->filas(); ++f) {
        actividades->fijarFilaActual(f);
        if (miembros->filas() > mas) {
            mas = miembros->filas();
            fila = f;
        }
    }
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
    out.flush();
    return SalidaExito;
}

int benchPaginas(const QStringList& argumentos) {
    QTextStream out(stdout), err(stderr);
    QList<int> tamanos{500, 2000};
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
        } else {
            err << "Uso: ncc bench-paginas [--alumnos N[,N...]]\n";
            return SalidaUso;
        }
    }
    out << " alumnos miembros  abrir ms  pasar ms precios ms confirmar total ms\n";
    for (int n : tamanos)
        if (const int r = unaEscuela(n, out); r != SalidaExito) return r;
    return SalidaExito;
}

const Registro registro({"bench-paginas", "mide la página de actividades en escuelas de ejemplo", benchPaginas});

}  // namespace

}  // namespace ncc::app
