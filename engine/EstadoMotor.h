#pragma once
// The working state of one closing run, shared by the run and by every
// transfer step (students, history, purge, activities). The steps are free
// functions over this state so that each lives in a unit of its own.
#include "entry/Coleccion.h"
#include "entry/cActividad.h"
#include "entry/cAlumno.h"
#include "entry/cConfiguracion.h"
#include "entry/cCurso.h"
#include "platform/Conexion.h"
#include "platform/CopiasDetras.h"
#include "platform/InsercionLotes.h"
#include <QHash>
#include <QSet>
#include <QString>
#include <QVector>
#include <array>
#include <map>
#include <memory>
#include <utility>

namespace ncc::motor {

class LecturasHistorico;
class EscrituraHistorico;

// What a step reports while it works: the engine turns these into its
// signals and its progress bar.
class AvisosMotor {
public:
    virtual ~AvisosMotor() = default;
    virtual void IniciarProgreso(long& lngValorMax, QString& strTexto) = 0;
    virtual void AumentarProgreso() = 0;
    virtual void CerrarProgreso() = 0;
    // One step of the run's own progress bar.
    virtual void AvanzarProgreso() = 0;
};

// The steps of a run, by the string id of their name, so that a run that
// stops can say where.
namespace pasos {
constexpr int Comprobaciones = 15010;
constexpr int BasesNuevas = 15011;
constexpr int Promocion = 15012;
constexpr int Familias = 15013;
constexpr int Numeracion = 15014;
constexpr int SeccionAlumno = 15015;
constexpr int FechasEvaluacion = 15016;
constexpr int Materias = 15017;
constexpr int Notas = 15018;
constexpr int Historico = 15019;
constexpr int Bajas = 15020;
constexpr int Actividades = 15021;
constexpr int Final = 15022;
constexpr int Registro = 15023;
constexpr int Compactacion = 15024;
}  // namespace pasos

struct EstadoMotor {
    cConfiguracion* conf = nullptr;  // the session settings
    AvisosMotor* avisos = nullptr;

    // Decisions of the wizard.
    QString NuevoCursoEscolar;
    bool ProcesarSecciones = false;
    bool ProcesarActividades = false;
    std::shared_ptr<Coleccion<cCurso>> ColSecciones = std::make_shared<Coleccion<cCurso>>();
    std::shared_ptr<Coleccion<cActividad>> colActividades = std::make_shared<Coleccion<cActividad>>();

    // The next school year's databases, opened by the databases step.
    Conexion conNuevoCentro;
    Conexion conNuevoBorradoCentro;

    QString strSQL;

    // Names of the databases of the run (file paths on SQLite, catalogs on
    // the server) and the new school-year id.
    QString strRutaCentro, strRutaBorradoCentro, strRutaAppEntrada, strRutaBorradoAppEntrada;
    QString strNuevaCentro, strNuevaBorradoCentro;
    QString strCopiaCentro, strCopiaBorradoCentro, strCopiaAppEntrada, strCopiaBorradoAppEntrada;
    long lngIDNuevoCurso = 0;
    // On the server, what the run makes (new databases, backups) is named
    // with this in front: a rehearsal on copies of a school never reaches
    // the names the school's own closing will use. Empty for a closing.
    QString PrefijoBases;
    // And carries this as its comment from the moment it exists, so that
    // whoever set the prefix can tell what it made from anything else.
    QString ComentarioBases;
    // The step under way (a pasos:: id; 0 before the run has started).
    int Paso = 0;

    // Each backup with the database it is the backup of.
    std::array<std::pair<QString, QString>, 4> copiasYOriginales() const {
        return {{{strCopiaCentro, strRutaCentro},
                 {strCopiaBorradoCentro, strRutaBorradoCentro},
                 {strCopiaAppEntrada, strRutaAppEntrada},
                 {strCopiaBorradoAppEntrada, strRutaBorradoAppEntrada}}};
    }

    // Students taken out of their sections, and the leavers for the purge.
    Coleccion<cAlumno> colAlumnosRetirados;
    // Key of the section each of colAlumnosRetirados was taken from (by
    // IDAlumno), so that the rollback puts him back in that very section.
    QHash<qint32, QString> SeccionRetirados;

    // The copies this run has finished (new databases and backups), and the
    // ones it is making (on the server all at once): a rollback or a
    // recovery touches only what the run itself made, never a file or
    // database that was there before it.
    QSet<QString> copiasHechas;
    QSet<QString> copiasEnCurso;
    // Until the first change to an original (the closed year's leavers'
    // archive, or the registration) the originals are as they were and the
    // journal says so: a failure or a cut then only removes the copies. The
    // SQLite backups reach the disk meanwhile, waited for at that point.
    bool originalesPuedenCambiar = false;
    // The backups made behind the run from the end of the copies until that
    // first change, which waits for them: named in copiasEnCurso meanwhile.
    // SQLite's all four; the server's those of the databases the run does
    // not read, whose session connections stay closed until then
    // (apartadasHastaRespaldos), since the server copies a database only
    // while nobody is connected to it.
    std::shared_ptr<archivos::CopiasDetras> respaldos;
    QList<Conexion*> apartadasHastaRespaldos;
    // The server journal's connection, kept from the run's first write to
    // its journal until the journal goes (borrarDiario).
    std::unique_ptr<Conexion> conDiario;
    // Where the promotion sends each student it keeps or takes out of his
    // section, by IDAlumno: written by the numbering, together with his
    // place in the new section, so that the new year's students are
    // rewritten once rather than once for the destination and again for
    // the place (on the server every rewrite of a row copies it and its
    // index entries).
    struct DestinoAlumno {
        qint64 tipo = 0, curso = 0, seccion = 0;
        // The repeat mark: 1 repeats, 0 promoted, 2 left as it is. A
        // student listed in several sections keeps the destination of the
        // last and the mark of the last that promoted or repeated him.
        int marca = 2;
    };
    std::map<qint64, DestinoAlumno> destinosPendientes;
    QVector<qint32> IDsAlumnosBaja = QVector<qint32>(1);
    QVector<qint32> CodFamiliasBaja = QVector<qint32>(1);
    QVector<qint32> CodDireccionesBaja = QVector<qint32>(1);
    QString strIDsAlumnosBaja;
    bool HayBajas = false;
    long IDsEvaluacion[2] = {0, 0};

    // The new year's pending subjects as CrearMateriaPendiente knows them
    // during one history step: read once when first needed and kept up to
    // date as it writes, instead of asked of the database for every subject.
    // Its rows go many to a statement: they wait in `filasSeccion` and
    // `filasMateria` until a batch is full or EscribirPendientes is called.
    struct PendientesNuevas {
        bool leidas = false;
        qint64 siguienteId = 1;                   // the next idAlumnopte_MatDet
        QSet<qint32> conSeccion;                  // students in seccion_Alumnopte
        QSet<QPair<qint32, qint32>> materias;     // (student, subject detail) in Alumnopte_MatDet
        QHash<qint32, quint8> cursoDeMateria;     // subject detail -> course of its section
        std::shared_ptr<InsercionLotes> filasSeccion, filasMateria;
    };
    PendientesNuevas pendientes;
    // The history step's reads of the closed year, started ahead as the
    // students' phase begins (AdelantarLecturasHistorico) and taken by the
    // step.
    std::shared_ptr<LecturasHistorico> lecturasHistorico;
    // On the server, its rows too, written ahead on a connection of their
    // own (AdelantarLecturasHistorico); the promotion hands it the students
    // whose history rows go (QuitarDelHistorico) and lets it write
    // (PermitirEscrituraHistorico).
    std::shared_ptr<EscrituraHistorico> escrituraHistorico;

    // Sections whose grades one read of the history step takes: a read per
    // section costs a round trip and, on the server, a plan of its joins each
    // time, and a server joins a run of sections by scanning the students'
    // subjects once (at 20,000 students a read of 12 sections costs 28
    // microseconds a row, one of 64 sections 17); a bounded run keeps the
    // rows held at once small on a large school. 0: the back end's own run
    // (seccionesPorLectura).
    int SeccionesPorLectura = 0;
    // A server scans the grades, the students' subjects and their periods
    // whole for every read, however few sections it takes: at 20,000
    // students a read of 256 sections costs about what one of 64 does (its
    // sort still fits in the server's default working memory); SQLite
    // follows its indexes, and its reads stay at 64.
    int seccionesPorLectura(bool servidor) const {
        return SeccionesPorLectura > 0 ? SeccionesPorLectura : seccionesPorLecturaDe(servidor);
    }
    static int seccionesPorLecturaDe(bool servidor) { return servidor ? 256 : 64; }

    // Set to stop a long statement that is being waited for.
    bool Cancelar = false;

    Conexion& conLocalCentro() const { return *conf->conLocalCentro(); }
    Conexion& conLocalBorradoCentro() const { return *conf->conLocalBorradoCentro(); }
    Conexion& conLocalAppEntrada() const { return *conf->conLocalAppEntrada(); }
    Conexion& conLocalBorradoAppEntrada() const { return *conf->conLocalBorradoAppEntrada(); }
    bool SQLServer() const { return conf->SQLServer(); }
};

}  // namespace ncc::motor
