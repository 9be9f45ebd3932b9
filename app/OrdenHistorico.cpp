// ncc historico: the grade transfer of the transfer form (node 3) from the
// command line. The final grades of a school year of the centre go into an
// application historic year, new or existing, through the very transfer the
// form runs, so that a technician can script it.
#include "app/Comandos.h"
#include "entry/cConfiguracion.h"
#include "history/CursosHistoricos.h"
#include "history/PasoNotasHistorico.h"
#include "host/Sesion.h"
#include "platform/Error.h"
#include <QTextStream>

namespace ncc::app {
namespace {

QString uso() {
    return QStringLiteral("Uso: ncc historico (--datos CARPETA | --servidor CADENA) [--centro N] --origen CURSO\n"
                          "                   (--nuevo NOMBRE | --destino NOMBRE)\n") +
           host::usoOpcionesSesion() +
           QStringLiteral("  --origen CURSO       el curso escolar del centro cuyas notas finales se pasan (\"2024/2025\")\n"
                          "  --nuevo NOMBRE       las pasa a un curso histórico de la aplicación nuevo, con ese nombre\n"
                          "  --destino NOMBRE     las pasa al curso histórico que ya tiene ese nombre\n"
                          "Salida: 0 hecho, 1 error (las secciones ya pasadas se quedan; repetir no duplica nada),\n"
                          "2 rechazado (nada escrito), 64 mal uso.\n");
}

int malUso(const QString& motivo) {
    QTextStream(stderr) << "ncc historico: " << motivo << "\n" << uso();
    return SalidaUso;
}

int terminar(const QString& motivo, int salida) {
    QTextStream(stderr) << "ncc historico: " << motivo << "\n";
    return salida;
}

// A refusal: said, nothing written.
class Rechazo : public Error {
public:
    explicit Rechazo(const QString& texto) : Error(2, texto) {}
};

struct Argumentos {
    QString origen, nuevo, destino;
    bool hayNuevo = false, hayDestino = false;
};

// "--opcion valor" or "--opcion=valor"; an empty value is bad usage.
bool tomar(QStringList& args, const QString& nombre, QString& valor, bool& visto, QString& problema) {
    try {
        const auto v = tomarOpcion(args, 0, nombre);
        if (!v) return false;
        valor = *v;
    } catch (const host::ErrorOpciones& e) {
        problema = e.descripcion();
        return true;
    }
    if (valor.trimmed().isEmpty()) problema = QStringLiteral("%1 no puede estar vacío").arg(nombre);
    if (problema.isEmpty() && visto) problema = QStringLiteral("%1 aparece dos veces").arg(nombre);
    visto = true;
    return true;
}

// The one row a name gives; none, or more than one, is a refusal.
qint32 unicoPorNombre(Conexion& con, const QString& sql, const QVariantList& valores, const QString& queEs,
                      const QString& nombre) {
    QList<qint32> ids;
    for (Recordset rs = con.Abrir(sql, valores); !rs.eof(); rs.MoveNext()) ids << qint32(rs.entero(rs.nombreCampo(0)));
    if (ids.isEmpty()) throw Rechazo(QStringLiteral("No se ha encontrado %1 \"%2\"").arg(queEs, nombre));
    if (ids.size() > 1) throw Rechazo(QStringLiteral("Hay %1 cursos con el nombre \"%2\": no se sabe cuál es %3")
                                          .arg(ids.size())
                                          .arg(nombre, queEs));
    return ids.first();
}

// The origin: a school year of the centre other than the current one.
qint32 cursoOrigen(host::Sesion& s, const QString& nombre) {
    Conexion& app = s.appEntrada();
    const qint32 id = unicoPorNombre(
        app, QStringLiteral("SELECT IDCursoEscolar FROM CursoEscolar WHERE CodCentro=%1 AND Nombre=? ORDER BY IDCursoEscolar")
                 .arg(s.IDCentro()),
        {nombre}, QStringLiteral("el curso escolar de origen"), nombre);
    if (id == s.IDCursoescolar())
        throw Rechazo(QStringLiteral("\"%1\" es el curso escolar actual: sus notas pasan al histórico al cerrarlo").arg(nombre));
    return id;
}

int historico(const QStringList& argumentos) {
    QStringList args = argumentos;
    host::OpcionesSesion opciones;
    try {
        opciones = host::desdeArgumentos(args);
    } catch (const host::ErrorOpciones& e) {
        return malUso(e.descripcion());
    }
    Argumentos a;
    bool hayOrigen = false;
    QString problema;
    while (!args.isEmpty() && problema.isEmpty()) {
        if (!tomar(args, QStringLiteral("--origen"), a.origen, hayOrigen, problema) &&
            !tomar(args, QStringLiteral("--nuevo"), a.nuevo, a.hayNuevo, problema) &&
            !tomar(args, QStringLiteral("--destino"), a.destino, a.hayDestino, problema))
            problema = QStringLiteral("Argumento desconocido: %1").arg(args.first());
    }
    if (problema.isEmpty() && !hayOrigen) problema = QStringLiteral("Indique el curso escolar de origen: --origen CURSO");
    if (problema.isEmpty() && a.hayNuevo == a.hayDestino)
        problema = QStringLiteral("Indique el curso histórico de destino: --nuevo NOMBRE o --destino NOMBRE, uno de los dos");
    if (!problema.isEmpty()) return malUso(problema);

    try {
        const auto sesion = host::abrirSesion(opciones);
        const qint32 origen = cursoOrigen(*sesion, a.origen);
        historicos::PasoNotasHistorico paso(sesion->centro(), sesion->appEntrada(), ObtenerRutaBD(sesion->appEntrada()));
        // The origin's database is looked for before anything is written.
        historicos::ResultadoPaso r;
        if (!paso.AbrirOrigen(origen, r)) throw Rechazo(r.mensaje);

        qint32 destino = 0;
        if (a.hayDestino) {
            destino = unicoPorNombre(sesion->centro(),
                                     QStringLiteral("SELECT IDCursoEscolarHistorico FROM CursoEscolarHistorico WHERE Nombre=? "
                                                    "ORDER BY IDCursoEscolarHistorico"),
                                     {a.destino}, QStringLiteral("el curso histórico"), a.destino);
        } else {
            const QString mal = historicos::ProblemaNombreHistorico(a.nuevo, QStringLiteral("Debe introducir el nombre"));
            if (!mal.isEmpty()) throw Rechazo(mal + QStringLiteral(": \"%1\"").arg(a.nuevo));
            if (!sesion->centro()
                     .Abrir(QStringLiteral("SELECT 1 FROM CursoEscolarHistorico WHERE Nombre=? LIMIT 1"), {a.nuevo})
                     .eof())
                throw Rechazo(QStringLiteral("Ya hay un curso histórico \"%1\": use --destino para pasar las notas a él")
                                  .arg(a.nuevo));
            destino = historicos::CrearCursoEscolarHistorico(sesion->centro(), a.nuevo, true);
        }

        paso.progreso = [](long valor, long maximo) {
            QTextStream(stderr) << QStringLiteral("Evolución: %1 / %2\n").arg(valor).arg(maximo);
        };
        r = paso.PasarNotasHistorico(origen, destino);
        QString texto = r.mensaje;
        texto.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        if (!r.correcto) return terminar(texto, SalidaFallo);
        QTextStream(stdout) << texto << "\n";
        return SalidaExito;
    } catch (const Rechazo& e) {
        return terminar(e.descripcion(), SalidaRechazo);
    } catch (const host::ErrorSesion& e) {
        return terminar(e.descripcion(), SalidaFallo);
    } catch (const Error& e) {
        return terminar(QStringLiteral("Error %1: %2").arg(e.numero()).arg(e.descripcion()), SalidaFallo);
    }
}

const Registro registro({"historico", "pasa las notas finales de un curso escolar a un curso histórico", historico, uso});

}  // namespace
}  // namespace ncc::app
