#include "history/BloqueoHistorico.h"
#include "platform/Mensajes.h"

namespace ncc::historicos {

namespace {

constexpr int MsgSoloLectura = 6051;

QString condicion(const CursoHistoricoElegido& e) {
    return QStringLiteral("codcursoescolarhistorico=%1 AND codtipoensenanza=%2 AND codcurso=%3")
        .arg(e.intCursoEscHistorico)
        .arg(e.intTipoEnsenanza)
        .arg(e.intCurso);
}

// One statement: the row goes in only where there is none, and the lock is
// held when one row was written. On the server two such statements can both
// see no row under the default isolation, so the table is locked against
// other writers for the instant of the transaction; SQLite already runs
// writing statements one at a time.
bool insertarSiLibre(Conexion& con, const CursoHistoricoElegido& e, qint16 usuario) {
    Transaccion t(con);
    if (con.esServidor()) con.Execute(QStringLiteral("LOCK TABLE bloqueohistorico IN SHARE ROW EXCLUSIVE MODE"));
    const int filas = con.Execute(
        QStringLiteral("INSERT INTO bloqueohistorico (codcursoescolarhistorico, codtipoensenanza, codcurso, codusuario) "
                       "SELECT %1,%2,%3,%4 WHERE NOT EXISTS (SELECT 1 FROM bloqueohistorico WHERE ")
                .arg(e.intCursoEscHistorico)
                .arg(e.intTipoEnsenanza)
                .arg(e.intCurso)
                .arg(usuario) +
            condicion(e) + QStringLiteral(")"));
    t.confirmar();
    return filas == 1;
}

void borrarDelUsuario(Conexion& con, const CursoHistoricoElegido& e, qint16 usuario) {
    con.Execute(QStringLiteral("DELETE FROM bloqueohistorico WHERE ") + condicion(e) +
                QStringLiteral(" AND codusuario=%1").arg(usuario));
}

QString nombreDelCurso(const CursoHistoricoElegido& e) {
    QStringList partes;
    for (const QString& p : {e.strCursoEscHistorico, e.strTipoEnsenanza, e.strCurso})
        if (!p.trimmed().isEmpty()) partes << p.trimmed();
    return partes.join(QStringLiteral(", "));
}

// The user's own lock is most likely left over from an editor that never
// closed; but the same user may also be editing from another computer, so
// the release is his choice and No is the default.
bool liberarPropio(const CursoHistoricoElegido& e) {
    return preguntarTexto(
        QStringLiteral("El curso histórico \"%1\" figura bloqueado a su nombre, seguramente por una sesión anterior "
                       "que no se cerró bien.\r\nSi no lo está editando en otro equipo, puede liberar el bloqueo "
                       "y entrar a modificarlo.\r\n\r\n¿Desea liberar el bloqueo?")
            .arg(nombreDelCurso(e)));
}

}  // namespace

int TitularBloqueo(Conexion& con, qint16 cursoHistorico, qint16 tipoEnsenanza, qint16 curso) {
    CursoHistoricoElegido e;
    e.intCursoEscHistorico = cursoHistorico;
    e.intTipoEnsenanza = tipoEnsenanza;
    e.intCurso = curso;
    Recordset rs = con.Abrir(QStringLiteral("SELECT codusuario FROM bloqueohistorico WHERE ") + condicion(e) +
                             QStringLiteral(" ORDER BY codusuario LIMIT 1"));
    return rs.eof() ? -1 : int(rs.entero(QStringLiteral("codusuario")));
}

void TomarBloqueo(Conexion& con, CursoHistoricoElegido& e, qint16 usuario) {
    if (insertarSiLibre(con, e, usuario)) {
        e.blnSoloLectura = false;
        return;
    }
    if (TitularBloqueo(con, e.intCursoEscHistorico, e.intTipoEnsenanza, e.intCurso) == usuario && liberarPropio(e)) {
        borrarDelUsuario(con, e, usuario);
        if (insertarSiLibre(con, e, usuario)) {
            e.blnSoloLectura = false;
            return;
        }
    }
    avisar(MsgSoloLectura, Icono::Informacion);
    e.blnSoloLectura = true;
}

void LiberarBloqueo(Conexion& con, CursoHistoricoElegido& e, qint16 usuario) {
    if (!e.blnSoloLectura) borrarDelUsuario(con, e, usuario);
    e.blnSoloLectura = false;
}

}  // namespace ncc::historicos
