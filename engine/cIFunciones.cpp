#include "engine/cIFunciones.h"
#include "platform/CadenaConexion.h"
#include "platform/EnParalelo.h"
#include "engine/BasesNuevas.h"
#include "engine/DiarioCierre.h"
#include "engine/Historico.h"
#include "engine/Pasos.h"
#include "entry/RegistroClases.h"
#include "platform/Mensajes.h"
#include "platform/Textos.h"
#include <cmath>
#include <new>
#include <optional>
#include <vector>

namespace ncc {

namespace {
constexpr int MsgSeccionesSinPromocionar = 2187;
constexpr int MsgMasAlumnosQuePlazas = 2192;
constexpr int MsgActividadesSinPromocionar = 710;
constexpr int MsgFaltaNombreCurso = 1181;

// Registered and compacted: from here a cut completes the closing. A
// journal that cannot say so fails the run, which is then undone: removing
// the backups under a journal that still says "undo" would leave a recovery
// nothing to restore from.
bool MarcarRegistrado(motor::EstadoMotor& e) {
    try {
        motor::escribirDiario(e, motor::FaseCierre::Registrado);
        return true;
    } catch (const Error& err) {
        mostrarError(err);
        return false;
    }
}
}  // namespace

NCC_REGISTRAR_CLASE(cIFunciones);

class cIFunciones::Avisos : public motor::AvisosMotor {
public:
    explicit Avisos(cIFunciones& f) : f_(f) {}
    void IniciarProgreso(long& max, QString& texto) override {
        abierto_ = true;
        emit f_.IniciarProgreso(max, texto);
    }
    void AumentarProgreso() override { emit f_.AumentarProgreso(); }
    void CerrarProgreso() override {
        abierto_ = false;
        emit f_.CerrarProgreso();
    }
    void AvanzarProgreso() override { f_.AvanzarProgreso(); }
    // A step that ran out of memory stops where it was, its progress still
    // shown: the failure closes it, so no window keeps a step's bar open.
    void cerrarSiAbierto() {
        if (abierto_) CerrarProgreso();
    }

private:
    cIFunciones& f_;
    bool abierto_ = false;
};

cIFunciones::cIFunciones(QObject* parent) : QObject(parent), avisos_(std::make_unique<Avisos>(*this)) {
    e_.conf = ConfiguracionActual();
    e_.avisos = avisos_.get();
}

cIFunciones::~cIFunciones() {
    for (Conexion* c : {&e_.conNuevoCentro, &e_.conNuevoBorradoCentro})
        if (c->State() == 1) try { c->Close(); } catch (const Error&) {}
}

void cIFunciones::CopiaDBSQLServer(const QString& Server, const QString& dbOrigen, const QString& dbDestino) {
    motor::CopiaDBSQLServer(CadenaConexion(Server).datos(), dbOrigen, dbDestino);
}

void cIFunciones::BorraDBSQLServer(const QString& Server, const QString& dbABorrar) {
    motor::BorraDBSQLServer(CadenaConexion(Server).datos(), dbABorrar);
}

bool cIFunciones::VerificarSeccionesPromocionadas() {
    for (const auto& s : *e_.ColSecciones)
        if (s->Visible() && !s->Promocionada())
            return preguntar(MsgSeccionesSinPromocionar, Icono::Exclamacion, Respuesta::No);
    return true;
}

void cIFunciones::VerificarPlazasSecciones() {
    for (const auto& s : *e_.ColSecciones)
        if (s->NumPlazasOcupadas() > s->NumPlazas()) {
            avisar(MsgMasAlumnosQuePlazas, Icono::Informacion);
            return;
        }
}

bool cIFunciones::VerificarActividadesPromocionadas() {
    for (const auto& a : *e_.colActividades)
        if (!a->Promocionada()) return preguntar(MsgActividadesSinPromocionar, Icono::Exclamacion, Respuesta::No);
    return true;
}

void cIFunciones::InicializarProgreso() {
    if (!Progreso_) return;
    Progreso_->setMin(0);
    Progreso_->setValue(0);
    if (e_.ProcesarSecciones && e_.ProcesarActividades) Progreso_->setMax(15);
    else if (e_.ProcesarSecciones) Progreso_->setMax(13);
    else if (e_.ProcesarActividades) Progreso_->setMax(6);
}

void cIFunciones::AvanzarProgreso() {
    if (!Progreso_) return;
    Progreso_->setValue(Progreso_->Value() + 1);
    if (!Porcentaje_) return;
    const qint32 max = static_cast<qint32>(std::lround(Progreso_->Max()));
    const qint32 valor = static_cast<qint32>(std::lround(Progreso_->Value() * 100));
    // A bar of no length shows nothing rather than dividing by zero.
    if (max != 0) Porcentaje_->setCaption(QString::number(valor / max) + QLatin1Char('%'));
}

bool cIFunciones::FaseAlumnos() {
    using namespace motor;
    const std::pair<bool (*)(EstadoMotor&), int> lista[] = {
        // On the server the history's rows, written ahead, wait for the
        // promotion's removals from the history.
        {[](EstadoMotor& e) { return PromocionarAlumnos(e) && PermitirEscrituraHistorico(e); }, pasos::Promocion},
        {PurgarFamilias, pasos::Familias},
        {NumerarAlumnosSeccion, pasos::Numeracion},     {CrearSeccionAlumno, pasos::SeccionAlumno},
        {ActualizarFechasEvaluacion, pasos::FechasEvaluacion}, {PasarMateriasAlumnos, pasos::Materias},
        {PasarNotasEvaluaciones, pasos::Notas},         {PasarHistorico, pasos::Historico},
        // The leavers' archive is the run's first change to the closed year.
        {[](EstadoMotor& e) { return PermitirCambiosOriginales(e) && PurgarBajas(e); }, pasos::Bajas}};
    AdelantarLecturasHistorico(e_);
    for (const auto& [paso, id] : lista) {
        e_.Paso = id;
        if (!paso(e_)) return false;
        AvanzarProgreso();
    }
    return true;
}

bool cIFunciones::FaseFinal() {
    using namespace motor;
    e_.Paso = pasos::Final;
    for (bool (*paso)(EstadoMotor&) : {QuitarDelegados, PasoVacio, QuitarMarcaAnticipado, PurgarPrematriculas,
                                       LimpiarHuerfanos})
        if (!paso(e_)) return false;
    AvanzarProgreso();
    return true;
}

void cIFunciones::fallar() {
    avisos_->cerrarSiAbierto();
    if (Progreso_) Progreso_->setValue(Progreso_->Max() - 1);
    Pendiente_ = !motor::RestaurarBasesDatos(e_);
    AvanzarProgreso();
}

QString ProblemaNombreCurso(const QString& nombre) {
    if (nombre.trimmed().isEmpty()) return Texto(MsgFaltaNombreCurso);
    // The tables count characters, not the halves of a character outside
    // the basic plane.
    if (nombre.toUcs4().size() > LongitudNombreCurso)
        return QStringLiteral("El nombre del curso escolar no puede tener más de %1 caracteres").arg(LongitudNombreCurso);
    for (const char32_t c : nombre.toUcs4()) {
        const auto cat = QChar::category(c);
        const bool bidi = (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
        if (cat == QChar::Other_Control || cat == QChar::Separator_Line || cat == QChar::Separator_Paragraph || bidi)
            return QStringLiteral("El nombre del curso escolar no puede contener caracteres de control");
    }
    return {};
}

bool cIFunciones::TransferirDatos() {
    using namespace motor;
    Cancelado_ = false;
    Rechazado_ = false;
    Pendiente_ = false;
    // What a run made is its own: the wizard's next attempt after a failed
    // one starts with nothing made, so that its rollback never touches the
    // names the earlier attempt used.
    e_.copiasHechas.clear();
    e_.copiasEnCurso.clear();
    e_.originalesPuedenCambiar = false;
    e_.apartadasHastaRespaldos.clear();
    // Nor its journal's connection, which a failed clean-up may have kept:
    // the session may be another school's by now.
    e_.conDiario.reset();
    e_.Paso = pasos::Comprobaciones;
    e_.conf = ConfiguracionActual();
    if (!e_.conf) throw Error(91, QStringLiteral("No se han obtenido los datos de la sesión"));
    // A name the new year's rows cannot hold is refused before anything is
    // asked or copied.
    if (const QString problema = ProblemaNombreCurso(e_.NuevoCursoEscolar); !problema.isEmpty()) {
        if (e_.NuevoCursoEscolar.trimmed().isEmpty()) avisar(MsgFaltaNombreCurso);
        else avisarTexto(problema, Icono::Critico);
        Rechazado_ = true;
        return false;
    }
    // One closing at a time on the same databases, and never over the
    // traces of one that was cut short: those are settled first. The lock
    // is taken before the first question, and under it the year is checked
    // again: a closing that finished while this one waited for an answer
    // has already closed it.
    std::vector<BloqueoCierre> bloqueos;
    try {
        bloqueos = bloquearCierreSinPendiente(e_);
        ComprobarCursoVigente(e_);
        ComprobarNombresBases(e_);
    } catch (const Error& err) {
        avisarTexto(err.descripcion(), Icono::Critico);
        Rechazado_ = true;
        return false;
    } catch (const std::bad_alloc&) {
        avisarTexto(QStringLiteral("Memoria insuficiente: no se puede empezar el cierre de curso."), Icono::Critico);
        Rechazado_ = true;
        return false;
    }
    if (e_.ProcesarSecciones) {
        if (!VerificarSeccionesPromocionadas()) {
            Cancelado_ = true;
            return false;
        }
        VerificarPlazasSecciones();
    }
    if (e_.ProcesarActividades && !VerificarActividadesPromocionadas()) {
        Cancelado_ = true;
        return false;
    }
    if (!AnotarAntesDeCambiar()) return false;
    // Running out of memory halfway is a failed step like any other: the
    // school gets its databases back now, not at the next start.
    bool correcto = false;
    try {
        correcto = Ejecutar();
        if (!correcto) fallar();
    } catch (const std::bad_alloc&) {
        try {
            avisarTexto(QStringLiteral("Memoria insuficiente: no se puede terminar el cierre de curso."), Icono::Critico);
        } catch (...) {
        }
        fallar();
        return false;
    }
    if (!correcto) return false;
    try {
        Terminar();
    } catch (const std::bad_alloc&) {
        // Registered and compacted: the closing stands; what is left of the
        // clean-up (backups, journal) is finished by the next start, and the
        // user is told, as when a backup cannot be removed.
        Pendiente_ = true;
        try {
            avisarTexto(QStringLiteral("Memoria insuficiente: no se han podido borrar todas las copias de seguridad "
                                       "del cierre; se borrarán al empezar el próximo cierre."),
                        Icono::Exclamacion);
        } catch (...) {
        }
    }
    return true;
}

// The caller's note before the first change (the report owed). A server's
// first closing also makes its journal's database meanwhile, which keeps the
// server busy a moment; a failure there is left for the journal's first
// write, which says it.
bool cIFunciones::AnotarAntesDeCambiar() {
    std::optional<EnMarchaAparte> diario;
    if (e_.SQLServer()) diario.emplace([datos = e_.conLocalAppEntrada().datos()] { motor::prepararDiario(datos); });
    try {
        if (AntesDeCambiar_) AntesDeCambiar_(e_);
    } catch (const Error& err) {
        if (diario) diario->esperar();
        avisarTexto(err.descripcion(), Icono::Critico);
        Rechazado_ = true;
        return false;
    }
    if (diario) diario->esperar();
    return true;
}

bool cIFunciones::Ejecutar() {
    using namespace motor;
    InicializarProgreso();
    const cConfiguracion& conf = *e_.conf;
    const auto en = [this](int paso) {
        e_.Paso = paso;
        return true;
    };
    return en(pasos::BasesNuevas) && CrearNuevoCursoEscolar(e_) && (!e_.ProcesarSecciones || FaseAlumnos()) &&
           (!e_.ProcesarActividades || (en(pasos::Actividades) && PasarActividades(e_))) && FaseFinal() &&
           en(pasos::Registro) && PermitirCambiosOriginales(e_) &&
           RegistrarCursoAppEntrada(e_, conf.intIDCentro(), conf.intIDCursoEscolar(),
                                    static_cast<qint16>(e_.lngIDNuevoCurso), e_.NuevoCursoEscolar,
                                    e_.conNuevoCentro.ConnectionString(), e_.conNuevoBorradoCentro.ConnectionString()) &&
           en(pasos::Compactacion) && CompactarNuevasBasesDatos(e_) && MarcarRegistrado(e_);
}

void cIFunciones::DevolverAlumnosRetirados() {
    motor::RestaurarAlumnosSecciones(e_);
    e_.colAlumnosRetirados.Clear();
    e_.SeccionRetirados.clear();
}

void cIFunciones::Terminar() {
    using namespace motor;
    // The journal goes only once nothing is left for a recovery to finish.
    Pendiente_ = true;
    if (BorrarCopiasSeguridad(e_)) {
        try {
            borrarDiario(e_);
            Pendiente_ = false;
        } catch (const Error& err) {
            mostrarError(err);
        }
    }
    AvanzarProgreso();
}

}  // namespace ncc
