#include "history/CursosHistoricos.h"

namespace ncc::historicos {

QString ProblemaNombreHistorico(const QString& nombre, const QString& mensajeVacio) {
    if (nombre.trimmed().isEmpty()) return mensajeVacio;
    if (nombre.size() > LongitudNombreHistorico)
        return QStringLiteral("El nombre del curso histórico no puede tener más de %1 caracteres")
            .arg(LongitudNombreHistorico);
    return {};
}

qint32 CrearCursoEscolarHistorico(Conexion& con, const QString& nombre, bool aplicacion) {
    Transaccion t(con);
    // On the server the read of the highest id would not keep another
    // session from reading the same one before this insert.
    if (con.esServidor()) con.Execute(QStringLiteral("LOCK TABLE CursoEscolarHistorico IN SHARE ROW EXCLUSIVE MODE"));
    Recordset rs = con.Abrir(
        QStringLiteral("SELECT COALESCE(MAX(IDCursoEscolarHistorico), 0) + 1 AS NuevoID FROM CursoEscolarHistorico"));
    const qint32 id = qint32(rs.entero(QStringLiteral("NuevoID")));
    con.Execute(QStringLiteral("INSERT INTO CursoEscolarHistorico (IDCursoEscolarHistorico, Nombre, HistoricoAplicacion) "
                               "VALUES (%1, ?, %2)")
                    .arg(id)
                    .arg(aplicacion ? con.verdadero() : 0),
                {nombre});
    t.confirmar();
    return id;
}

}  // namespace ncc::historicos
