// ncc bench-historico: the grade transfer of the historic side at scale.
// For each size it builds a sample school in a temporary folder, makes a
// copy of the year's school database the database of the year before, and
// passes that year's grades into a historic year of the current one, as the
// secretary does from the transfer form.
#include "app/Comandos.h"
#include "entry/cAsignarDatos.h"
#include "history/PasoNotasHistorico.h"
#include "host/Sesion.h"
#include "platform/BasesDatos.h"
#include "platform/CadenaConexion.h"
#include "platform/MensajesTerminal.h"
#include "platform/Sentencias.h"
#include "suite/Demo.h"
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

namespace ncc::app {

namespace {

QString uso() {
    return QStringLiteral("Uso: ncc bench-historico [--alumnos N[,N...]]\n"
                          "  --alumnos N,...    tamaños de las escuelas de ejemplo (500,2000 si no se indica)\n");
}

int benchHistorico(const QStringList& argumentos) {
    QTextStream out(stdout), err(stderr);
    QList<int> tamanos;
    for (int i = 0; i < argumentos.size(); ++i) {
        if (argumentos.at(i) == QLatin1String("--alumnos") && i + 1 < argumentos.size()) {
            for (const QString& n : argumentos.at(++i).split(QLatin1Char(','))) {
                bool ok = false;
                const int v = n.toInt(&ok);
                if (!ok || v < suite::MinimoAlumnosDemo || v > 100000) {
                    err << "ncc bench-historico: tamaño no válido: " << n << "\n";
                    return SalidaUso;
                }
                tamanos << v;
            }
        } else {
            err << uso();
            return SalidaUso;
        }
    }
    if (tamanos.isEmpty()) tamanos = {500, 2000};

    out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7\n")
               .arg(QStringLiteral("alumnos"), 8)
               .arg(QStringLiteral("secciones"), 9)
               .arg(QStringLiteral("notas"), 7)
               .arg(QStringLiteral("sentencias"), 10)
               .arg(QStringLiteral("total s"), 7)
               .arg(QStringLiteral("notas/s"), 8)
               .arg(QStringLiteral("ms/alumno"), 9);
    out.flush();
    for (int n : tamanos) {
        try {
            QTemporaryDir dir;
            suite::OpcionesDemo o;
            o.alumnos = n;
            o.reemplazar = true;
            const suite::ResumenDemo demo = suite::crearDemoSQLite(dir.path(), o);
            // The year before: a copy of this year's school database.
            const QString actual = CadenaConexion(demo.centro).valor(QStringLiteral("Data Source"));
            const QString anterior = QDir(dir.path()).filePath(QStringLiteral("A1C2.db"));
            archivos::copiar(actual, anterior);
            {
                Conexion app(demo.appEntrada);
                app.Open();
                CadenaConexion bd(demo.centro);
                bd.fijar(QStringLiteral("Data Source"), anterior);
                app.Execute(QStringLiteral("UPDATE CursoEscolar SET BD=? WHERE IDCursoEscolar=2"), {bd.texto()});
            }
            host::OpcionesSesion op;
            op.appEntrada = demo.appEntrada;
            op.borradoAppEntrada = demo.borradoAppEntrada;
            auto sesion = host::abrirSesion(op);
            cAsignarDatos entrada;
            entrada.ObtenerDatos(sesion.get());

            historicos::PasoNotasHistorico paso(sesion->centro(), sesion->appEntrada(),
                                                QFileInfo(CadenaConexion(demo.appEntrada).valor(QStringLiteral("Data Source"))).absolutePath());
            Sentencias::reiniciar();
            QElapsedTimer t;
            t.start();
            const historicos::ResultadoPaso r = paso.PasarNotasHistorico(2, 1);
            const double total = t.nsecsElapsed() / 1e9;
            if (!r.correcto) {
                out << QStringLiteral("%1  el paso ha fallado: %2\n").arg(n, 8).arg(r.mensaje);
                continue;
            }
            out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7\n")
                       .arg(n, 8)
                       .arg(r.secciones, 9)
                       .arg(r.insertadas, 7)
                       .arg(Sentencias::contadas(), 10)
                       .arg(total, 7, 'f', 2)
                       .arg(qint64(r.insertadas / std::max(total, 1e-9)), 8)
                       .arg(1000.0 * total / n, 9, 'f', 3);
            out.flush();
        } catch (const Error& e) {
            err << "ncc bench-historico: Error " << e.numero() << ": " << e.descripcion() << "\n";
            return SalidaFallo;
        }
    }
    return SalidaExito;
}

const Registro registro({"bench-historico", "mide el paso de notas a un curso histórico en escuelas de ejemplo",
                         benchHistorico, uso});

}  // namespace

}  // namespace ncc::app
