#pragma once
// The edit lock of one historic course: a bloqueohistorico row (historic
// year, teaching type, course, user) while one user edits its grades.
// Whoever finds a row opens the editor read-only.
#include "history/CursoHistoricoElegido.h"
#include "platform/Conexion.h"
#include <QLockFile>
#include <memory>

namespace ncc::historicos {

// Tries to take the lock of `elegido` for `usuario` and sets
// elegido.blnSoloLectura. The check and the insert are one statement in one
// transaction, so two users who ask at the same moment cannot both get it.
//
// The row records only the user; which editor holds it is its mark
// (TitularEditor), taken first and kept in elegido.titular while the
// editor is open. A course whose mark a live editor holds (this program's
// own included) is read-only with string 6051, whoever the row names. When
// the row found is the user's own and its editor is gone (a program that
// died), he is asked, naming the course, whether to release it (No by
// default); Yes releases it and takes it afresh. Anyone else's lock, or No,
// shows 6051 and leaves the editor read-only. Database errors reach the
// caller.
void TomarBloqueo(Conexion& con, CursoHistoricoElegido& elegido, qint16 usuario);

// Releases the lock `elegido` holds (only when it is not read-only, and
// only the user's own row), gives its mark back, then clears
// blnSoloLectura. The editor calls it on every way out; a second call finds
// nothing left to delete. Database errors reach the caller.
void LiberarBloqueo(Conexion& con, CursoHistoricoElegido& elegido, qint16 usuario);

// The mark of the editor that holds a course's lock, alive as long as the
// object: in this program a list of the courses its editors hold; between
// programs, on the server an advisory lock of the session (gone with the
// session, from whatever computer), on SQLite a lock file beside the
// database naming computer and process (a dead process's file is taken
// over; another computer's is taken for alive).
class TitularEditor {
public:
    // The mark of the course, or nullptr when a live editor holds it.
    static std::shared_ptr<TitularEditor> tomar(Conexion& con, const CursoHistoricoElegido& e);
    ~TitularEditor();
    TitularEditor(const TitularEditor&) = delete;
    TitularEditor& operator=(const TitularEditor&) = delete;

private:
    TitularEditor(Conexion& con, QString clave);
    Conexion& con_;
    QString clave_;
    qint32 claveServidor_[2] = {0, 0};
    bool deServidor_ = false;  // the advisory lock is held
    bool enLista_ = false;     // in the program's list
    std::unique_ptr<QLockFile> archivo_;
};

// Who holds the lock of that course: the user id, or -1 when nobody does.
int TitularBloqueo(Conexion& con, qint16 cursoHistorico, qint16 tipoEnsenanza, qint16 curso);

}  // namespace ncc::historicos
