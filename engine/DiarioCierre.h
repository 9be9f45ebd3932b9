#pragma once
// A closing runs once a year on a school's only copy of its data, so a run
// cut short (power cut, a killed process, a server stopped) must never leave
// the school without a usable year. Before the first copy the run writes,
// durably, a journal saying that a closing is under way, at which stage, and
// where its new databases and backups are; the next start finds it and
// either undoes the closing from its backups or, when it had already been
// registered and compacted, completes it by removing the backups.
//
// On SQLite the journal is a file beside the application entry, naming the
// files relative to its folder (a school folder moved as a whole still
// recovers), and the lock of one closing at a time is a lock file there. On
// a server both live on the server, where every computer sees them: the
// journal in a small database of the application entry's own
// (baseDiarioServidor), the lock an advisory lock of the server keyed by
// the application entry's database, so that neither depends on the computer
// that ran the closing or on how its connection string was typed.
#include "platform/CadenaConexion.h"
#include "platform/Error.h"
#include <QLockFile>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace ncc::motor {

struct EstadoMotor;

enum class FaseCierre {
    Copiando,     // copies being made, then the new year written: the originals are untouched
    Trabajando,   // the backups are on disk: the originals may change
    Registrado,   // registered and compacted: only the backups are left
};

struct DiarioCierre {
    FaseCierre fase = FaseCierre::Copiando;
    bool servidor = false;
    // Pairs backup -> original, and the new databases (file paths on SQLite,
    // database names on the server).
    QStringList copias, originales, nuevas;
    // Compaction temporaries that a cut may leave (SQLite).
    QStringList temporales;
    // What the run put in front of the server names it made (a rehearsal's).
    QString prefijo;
};

// Folder of the journal and the lock of a SQLite application entry reached
// by `appEntrada`: the folder of its file.
QString carpetaDiario(const DatosConexion& appEntrada);
// The server database that holds the journal of the application entry
// reached by `appEntrada`, made by the first closing that needs it.
QString baseDiarioServidor(const DatosConexion& appEntrada);

// Makes the server journal's database and its table when they are not there
// yet (a server's first closing), before the journal's first write needs
// them; nothing on SQLite. Throws ncc::Error when they cannot be made.
void prepararDiario(const DatosConexion& appEntrada);

// Writes the journal of the run (replacing any), durably.
void escribirDiario(EstadoMotor& e, FaseCierre fase);
void borrarDiario(EstadoMotor& e);
// Removes the journal of an application entry that is itself going (a
// rehearsal's copies): on the server its journal's database.
void descartarDiario(const DatosConexion& appEntrada);

// What a recovery did, for the message to the user.
enum class Recuperacion { Nada, Deshecho, Completado };

// Whether the journal of an unfinished closing of this application entry is
// there (a restore or a clean-up that could not finish keeps it too).
// Throws ncc::Error when the server cannot be asked.
bool hayCierrePendiente(const DatosConexion& appEntrada);

// Looks for the journal of an unfinished closing of this application entry
// and settles it: undone from the backups (Copiando, Trabajando) or
// completed (Registrado). A journal's temporary left by a process killed
// while writing it goes too. No connection may be open on the databases named
// in it. A journal that names anything but what a closing of this school
// makes, or databases that are not where it says (a folder moved with an
// older journal), is refused with ncc::Error before anything is touched.
// Throws ncc::Error when a file or database cannot be handled; the journal
// then stays for the next attempt.
Recuperacion recuperarCierrePendiente(const DatosConexion& appEntrada);
// The Spanish text that tells the user what a recovery did.
QString textoRecuperacion(Recuperacion r);

// A lock of a closing held: released when destroyed.
class Bloqueo {
public:
    virtual ~Bloqueo() = default;
};
using BloqueoCierre = std::unique_ptr<Bloqueo>;

// A closing that cannot take its lock: another one holds it, or the folder
// cannot be written. Nothing was touched; the closing is refused.
class ErrorBloqueo : public Error {
public:
    explicit ErrorBloqueo(const QString& texto) : Error(errores::Archivo, texto) {}
};

// The lock of one closing at a time on this application entry; throws
// ErrorBloqueo with a clear message when another closing holds it (on a
// server, one of any computer), ncc::Error when the server cannot be reached.
BloqueoCierre bloquearCierre(const DatosConexion& appEntrada);
// The locks of a closing of the session in `e`: the application entry's and,
// on SQLite, one in each other folder that holds a school database of the
// year, so that two application entries pointing at the same school files
// never close them at once. Throws ncc::Error as bloquearCierre does.
std::vector<BloqueoCierre> bloquearCierreDe(const EstadoMotor& e);
// The same, refused with ncc::Error while a closing cut short waits to be
// settled: nothing may start over its traces.
std::vector<BloqueoCierre> bloquearCierreSinPendiente(const EstadoMotor& e);
// Takes `bloqueo` at once: a lock of a process that died, or one left
// without its owner by a process cut short while taking it, is taken over.
bool tomarBloqueo(QLockFile& bloqueo);

}  // namespace ncc::motor
