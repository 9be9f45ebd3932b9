// ncc bench-historico: the grade transfer of the historic side at scale.
// For each size it builds a sample school in a temporary folder, makes a
// copy of the year's school database the database of the year before, and
// passes that year's grades into a historic year of the current one, as the
// secretary does from the transfer form; with --servidor, the same on a
// PostgreSQL server, whose databases it drops afterwards.
#include "app/Comandos.h"
#include "app/EscuelaBench.h"
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
#include <unistd.h>

namespace ncc::app {

namespace {

QString uso() {
    return QStringLiteral("Uso: ncc bench-historico [--alumnos N[,N...]] [--servidor CADENA]\n"
                          "  --alumnos N,...    tamaños de las escuelas de ejemplo (500,2000 si no se indica)\n"
                          "  --servidor CADENA  las escuelas en ese servidor PostgreSQL, no en archivos SQLite\n");
}

// A sample school whose school year 2 has a database of its own: a copy of
// the current year's. The databases to drop at the end go into `bases`
// (on the server).
suite::ResumenDemo escuelaConAnoAnterior(int alumnos, const ServidorBench& enServidor, const QString& carpeta,
                                         QStringList& bases) {
    const suite::ResumenDemo demo = escuelaDeBench(alumnos, enServidor, carpeta, QStringLiteral("benchhist"));
    CadenaConexion anterior(demo.centro);
    if (enServidor) {
        bases = demo.bases;
        const QString actual = anterior.valor(QStringLiteral("Initial Catalog"));
        const QString copia = actual + QStringLiteral("_anterior");
        servidor::copiar(*enServidor, actual, copia);
        bases << copia;
        anterior.fijar(QStringLiteral("Initial Catalog"), copia);
    } else {
        const QString copia = QDir(carpeta).filePath(QStringLiteral("A1C2.db"));
        archivos::copiar(anterior.valor(QStringLiteral("Data Source")), copia);
        anterior.fijar(QStringLiteral("Data Source"), copia);
    }
    Conexion app(demo.appEntrada);
    app.Open();
    app.Execute(QStringLiteral("UPDATE CursoEscolar SET BD=? WHERE IDCursoEscolar=2"), {anterior.texto()});
    return demo;
}

// One size: its line of figures.
QString medir(int n, const ServidorBench& enServidor, QStringList& bases) {
    QTemporaryDir dir;
    const suite::ResumenDemo demo = escuelaConAnoAnterior(n, enServidor, dir.path(), bases);
    SesionBench sesion(demo);
    const QString carpeta =
        !enServidor ? QFileInfo(CadenaConexion(demo.appEntrada).datos().archivo).absolutePath() : QString();
    historicos::PasoNotasHistorico paso(sesion->centro(), sesion->appEntrada(), carpeta);
    Sentencias::reiniciar();
    // The transfer starts with the disk's queue empty, so that it does not
    // pay for the writes of the sample school.
    ::sync();
    QElapsedTimer t;
    t.start();
    const historicos::ResultadoPaso r = paso.PasarNotasHistorico(2, 1);
    const double total = t.nsecsElapsed() / 1e9;
    if (!r.correcto) return QStringLiteral("%1  el paso ha fallado: %2\n").arg(n, 8).arg(r.mensaje);
    return QStringLiteral("%1 %2 %3 %4 %5 %6 %7\n")
        .arg(n, 8)
        .arg(r.secciones, 9)
        .arg(r.insertadas, 7)
        .arg(Sentencias::contadas(), 10)
        .arg(total, 7, 'f', 2)
        .arg(qint64(r.insertadas / std::max(total, 1e-9)), 8)
        .arg(1000.0 * total / n, 9, 'f', 3);
}

int benchHistorico(const QStringList& argumentos) {
    QTextStream out(stdout), err(stderr);
    QList<int> tamanos;
    ServidorBench enServidor;
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
        } else if (argumentos.at(i) == QLatin1String("--servidor") && i + 1 < argumentos.size()) {
            try {
                enServidor = DatosConexion::deServidor(argumentos.at(++i));
            } catch (const Error& e) {
                err << "ncc bench-historico: --servidor: " << e.descripcion() << "\n";
                return SalidaUso;
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
        QStringList bases;
        bool fallo = false;
        try {
            out << medir(n, enServidor, bases);
            out.flush();
        } catch (const Error& e) {
            err << "ncc bench-historico: Error " << e.numero() << ": " << e.descripcion() << "\n";
            fallo = true;
        }
        // The session is gone: nothing holds the databases.
        borrarDelServidor(enServidor, bases);
        if (fallo) return SalidaFallo;
    }
    return SalidaExito;
}

const Registro registro({"bench-historico", "mide el paso de notas a un curso histórico en escuelas de ejemplo",
                         benchHistorico, uso});

}  // namespace

}  // namespace ncc::app
