#include "history/BloqueoHistorico.h"
#include "engine/DiarioCierre.h"
#include "entry/SoloLectura.h"
#include "platform/Mensajes.h"
#include <QFileInfo>
#include <QSet>

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
    e.titular.reset();
    e.blnSoloLectura = true;
    // A school that cannot be written opens read-only, saying so: no lock
    // row can be written to it, nor anything the editor would save.
    if (const QString aviso = AvisoSoloLectura(); !aviso.isEmpty()) {
        avisarTexto(aviso, Icono::Informacion);
        return;
    }
    std::shared_ptr<TitularEditor> titular = TitularEditor::tomar(con, e);
    if (titular && insertarSiLibre(con, e, usuario)) {
        e.titular = std::move(titular);
        e.blnSoloLectura = false;
        return;
    }
    // A row whose editor is gone: its own user may release it.
    if (titular && TitularBloqueo(con, e.intCursoEscHistorico, e.intTipoEnsenanza, e.intCurso) == usuario &&
        liberarPropio(e)) {
        borrarDelUsuario(con, e, usuario);
        if (insertarSiLibre(con, e, usuario)) {
            e.titular = std::move(titular);
            e.blnSoloLectura = false;
            return;
        }
    }
    avisar(MsgSoloLectura, Icono::Informacion);
}

void LiberarBloqueo(Conexion& con, CursoHistoricoElegido& e, qint16 usuario) {
    if (!e.blnSoloLectura && e.titular) borrarDelUsuario(con, e, usuario);
    e.titular.reset();
    e.blnSoloLectura = false;
}

// ---------------------------------------------------------------- the mark

namespace {

// The courses whose marks this program's editors hold, by database and
// course. The server's advisory locks are the session's, and one session
// may take one twice: this list is what tells a second editor of the same
// program that the first still edits.
QSet<QString>& marcasDelPrograma() {
    static QSet<QString> m;
    return m;
}

}  // namespace

TitularEditor::TitularEditor(Conexion& con, QString clave) : con_(con), clave_(std::move(clave)) {}

std::shared_ptr<TitularEditor> TitularEditor::tomar(Conexion& con, const CursoHistoricoElegido& e) {
    const QString base = con.esServidor() ? con.propiedad(QStringLiteral("Data Source")) + QLatin1Char('/') +
                                                con.propiedad(QStringLiteral("Initial Catalog"))
                                          : QFileInfo(con.propiedad(QStringLiteral("Data Source"))).absoluteFilePath();
    const QString clave = QStringLiteral("%1|%2|%3|%4").arg(base).arg(e.intCursoEscHistorico).arg(e.intTipoEnsenanza).arg(e.intCurso);
    if (marcasDelPrograma().contains(clave)) return nullptr;
    std::shared_ptr<TitularEditor> t(new TitularEditor(con, clave));
    if (con.esServidor()) {
        // Two keys: "NH" with the year, then the teaching type and the course.
        t->claveServidor_[0] = qint32((0x4E48u << 16) | quint16(e.intCursoEscHistorico));
        t->claveServidor_[1] = qint32((quint32(quint8(e.intTipoEnsenanza)) << 16) | quint16(e.intCurso));
        Recordset rs = con.Abrir(QStringLiteral("SELECT pg_try_advisory_lock(%1, %2) AS tomado")
                                     .arg(t->claveServidor_[0])
                                     .arg(t->claveServidor_[1]));
        if (!rs.booleano(QStringLiteral("tomado"))) return nullptr;
        t->deServidor_ = true;
    } else {
        t->archivo_ = std::make_unique<QLockFile>(QStringLiteral("%1.historico-%2-%3-%4.lck")
                                                      .arg(base)
                                                      .arg(e.intCursoEscHistorico)
                                                      .arg(e.intTipoEnsenanza)
                                                      .arg(e.intCurso));
        if (!motor::tomarBloqueo(*t->archivo_)) {
            if (t->archivo_->error() == QLockFile::LockFailedError) return nullptr;
            // A folder where no file can be written: this program's list
            // is then the only mark.
            t->archivo_.reset();
        }
    }
    marcasDelPrograma().insert(clave);
    t->enLista_ = true;
    return t;
}

TitularEditor::~TitularEditor() {
    if (enLista_) marcasDelPrograma().remove(clave_);
    if (deServidor_ && con_.State() == 1) {
        try {
            con_.Abrir(QStringLiteral("SELECT pg_advisory_unlock(%1, %2)").arg(claveServidor_[0]).arg(claveServidor_[1]));
        } catch (const Error&) {
            // A session that is gone has let go of its advisory locks.
        }
    }
}

}  // namespace ncc::historicos
