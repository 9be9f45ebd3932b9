// ncc cerrar: closes the current school year of a centre from the command
// line, with a plan (a file, or the default one that carries the school on
// as it is), the same engine run as the wizard's and the same questions,
// asked on the terminal or answered Yes with --si.
#include "app/CarpetaRecordada.h"
#include "app/Comandos.h"
#include "app/OrdenInforme.h"
#include "host/InformeDebido.h"
#include "host/InformeCierre.h"
#include "host/EnsayoCierre.h"
#include "host/ResumenCierre.h"
#include "engine/ComprobacionesCierre.h"
#include "engine/DiarioCierre.h"
#include "engine/cIFunciones.h"
#include "entry/cAsignarDatos.h"
#include "host/Plan.h"
#include "host/Sesion.h"
#include "platform/MensajesTerminal.h"
#include "platform/Textos.h"
#include "wizard/DatosActividades.h"
#include "wizard/SeleccionAlumnos.h"
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTextStream>
#include <cstdio>
#include <optional>
#include <unistd.h>

namespace ncc::app {

QString cursoSiguiente(const QString& actual) {
    static const QRegularExpression re(QStringLiteral("^\\s*(\\d{4})\\s*([/-])\\s*(\\d{2}|\\d{4})\\s*$"));
    const auto m = re.match(actual);
    if (!m.hasMatch()) return {};
    const int desde = m.captured(1).toInt() + 1;
    const int hasta = m.captured(3).size() == 2 ? (m.captured(3).toInt() + 1) % 100 : m.captured(3).toInt() + 1;
    return QStringLiteral("%1%2%3").arg(desde).arg(m.captured(2)).arg(hasta, m.captured(3).size(), 10, QLatin1Char('0'));
}

namespace {

QString uso() {
    return QStringLiteral(
               "Uso: ncc cerrar [--datos CARPETA | --servidor CADENA] [--centro N] [--usuario N] [--pesetas]\n"
               "                [--plan FICHERO | --guardado] [--curso NOMBRE] [--parcial] [--sin-secciones] [--sin-actividades] [--si]\n"
               "                [--ensayo]\n"
               "  --plan FICHERO     decisiones del cierre (ncc plan); sin él, el plan por defecto\n"
               "  --guardado         las secciones y alumnos guardados en el asistente (Guardar datos alumnos)\n"
               "                     y las actividades guardadas (Guardar datos actividades)\n"
               "  --curso NOMBRE     nombre del nuevo curso escolar (por defecto, el siguiente: 2025/2026 -> 2026/2027)\n"
               "  --parcial          cierre parcial: el curso cerrado sigue activo\n"
               "  --si               responde Sí a todas las preguntas\n"
               "  --ensayo           ensaya el cierre sobre copias de las bases de datos, que luego se borran, y\n"
               "                     muestra lo que haría; no modifica nada del centro\n") +
           host::usoOpcionesSesion() + usoCarpetaRecordada();
}


// The run's two bars on one terminal line (only when stderr is a terminal;
// otherwise a line per step, which a log can keep).
class ProgresoTerminal : public QObject, public Progreso, public Porcentaje {
public:
    explicit ProgresoTerminal(cIFunciones& motor) : enTerminal_(::isatty(2)) {
        connect(&motor, &cIFunciones::IniciarProgreso, this, [this](long& max, QString& texto) {
            maxInterno_ = max;
            valorInterno_ = max > 0 ? 1 : 0;
            textoInterno_ = texto;
            pintar(true);
        });
        connect(&motor, &cIFunciones::AumentarProgreso, this, [this] {
            if (valorInterno_ + 1 > maxInterno_) return;
            ++valorInterno_;
            pintar(valorInterno_ == maxInterno_);
        });
        connect(&motor, &cIFunciones::CerrarProgreso, this, [this] {
            textoInterno_.clear();
            maxInterno_ = 0;
            pintar(true);
        });
    }
    ~ProgresoTerminal() override {
        if (enTerminal_) std::fputs("\n", stderr);
    }
    void setMin(float) override {}
    float Max() const override { return max_; }
    void setMax(float v) override { max_ = v; }
    float Value() const override { return valor_; }
    void setValue(float v) override { valor_ = v; }
    void setCaption(const QString& t) override {
        porcentaje_ = t;
        pintar(true);
    }

private:
    void pintar(bool siempre) {
        // A long inner loop repaints at most every 100 ms.
        if (!siempre && reloj_.isValid() && reloj_.elapsed() < 100) return;
        reloj_.start();
        QString linea = QStringLiteral("Cierre %1").arg(porcentaje_.isEmpty() ? QStringLiteral("0%") : porcentaje_, 4);
        if (!textoInterno_.isEmpty())
            linea += QStringLiteral("  %1: %2/%3").arg(textoInterno_).arg(valorInterno_).arg(maxInterno_);
        const QByteArray b = linea.toUtf8();
        if (enTerminal_) std::fprintf(stderr, "\r\033[K%s", b.constData());
        else std::fprintf(stderr, "%s\n", b.constData());
        std::fflush(stderr);
    }

    bool enTerminal_;
    float max_ = 0, valor_ = 0;
    QString porcentaje_, textoInterno_;
    long maxInterno_ = 0, valorInterno_ = 0;
    QElapsedTimer reloj_;
};

struct OpcionesCierre {
    // The plan file given with --plan; none given means the default plan,
    // but an empty name given is refused, never read as "none".
    std::optional<QString> plan;
    // The name given with --curso; none given means the one after the
    // current year's, but an empty name given is still a name given.
    std::optional<QString> curso;
    bool parcial = false, si = false, secciones = true, actividades = true, guardado = false, ensayo = false;
};

OpcionesCierre leerOpciones(QStringList& args) {
    OpcionesCierre o;
    for (int i = 0; i < args.size();) {
        const QString a = args.at(i);
        if (const auto v = tomarOpcion(args, i, QStringLiteral("--plan"))) o.plan = *v;
        else if (const auto c = tomarOpcion(args, i, QStringLiteral("--curso"))) o.curso = *c;
        else if (a == QLatin1String("--parcial")) { o.parcial = true; args.removeAt(i); }
        else if (a == QLatin1String("--si")) { o.si = true; args.removeAt(i); }
        else if (a == QLatin1String("--guardado")) { o.guardado = true; args.removeAt(i); }
        else if (a == QLatin1String("--ensayo")) { o.ensayo = true; args.removeAt(i); }
        else if (a == QLatin1String("--sin-secciones")) { o.secciones = false; args.removeAt(i); }
        else if (a == QLatin1String("--sin-actividades")) { o.actividades = false; args.removeAt(i); }
        else ++i;
    }
    if (!args.isEmpty()) throw host::ErrorOpciones(QStringLiteral("Argumento no reconocido: %1").arg(args.first()));
    if (o.plan && o.plan->isEmpty()) throw host::ErrorOpciones(QStringLiteral("Falta el fichero de --plan"));
    // The terminal's bytes that are not UTF-8 arrive as U+FFFD: a year name
    // made of them would be stored as nobody typed it.
    if (o.curso && o.curso->contains(QChar::ReplacementCharacter))
        throw host::ErrorOpciones(QStringLiteral("--curso: el nombre del nuevo curso escolar no es texto UTF-8 válido"));
    if (o.guardado && o.plan)
        throw host::ErrorOpciones(QStringLiteral("--plan y --guardado no pueden usarse juntos"));
    return o;
}

host::Plan leerPlan(const OpcionesCierre& o, host::Sesion& sesion) {
    host::Plan plan;
    if (!o.plan) {
        plan = host::planPorDefecto(sesion.centro(), static_cast<qint16>(sesion.IDCentro()));
        // The sections as the secretary stored them in the wizard.
        if (o.guardado) plan.arboles.secciones = SeccionesGuardadas(sesion.centro(), static_cast<qint16>(sesion.IDCentro()));
        // The activities too when they were stored; without a stored set
        // they carry on as the default plan has them.
        if (o.guardado && actividades::hayDatosActividades(sesion.centro()))
            plan.arboles.actividades =
                actividades::actividadesGuardadas(sesion.centro(), static_cast<qint16>(sesion.IDCentro()), plan.arboles.secciones.get());
    } else {
        QFile f(*o.plan);
        if (!f.open(QIODevice::ReadOnly))
            throw host::ErrorOpciones(QStringLiteral("No se puede leer el plan %1: %2").arg(*o.plan, f.errorString()));
        // A plan is a few megabytes at most, even for the largest school.
        // A pipe or a device has no size to look at beforehand, so the read
        // itself stops one byte past the limit.
        constexpr qint64 limite = 256LL * 1024 * 1024;
        const auto demasiado = [] {
            return host::ErrorPlan(host::ErrorPlan::Tipo::Formato, {QStringLiteral("el fichero del plan es demasiado grande")});
        };
        if (f.size() > limite) throw demasiado();
        const QByteArray json = f.read(limite + 1);
        if (json.size() > limite) throw demasiado();
        if (f.error() != QFileDevice::NoError)
            throw host::ErrorOpciones(QStringLiteral("No se puede leer el plan %1: %2").arg(*o.plan, f.errorString()));
        plan = host::planDesdeJson(json);
        host::comprobarCabecera(plan, sesion.IDCentro(), sesion.ValorCursoEscolar());
    }
    host::encajarEnCentro(plan, sesion.centro(), static_cast<qint16>(sesion.IDCentro()));
    try {
        host::validarDecisiones(plan, sesion.centro(), static_cast<qint16>(sesion.IDCentro()), o.secciones, o.actividades);
    } catch (const host::ErrorPlan& e) {
        // In a file, a decision no page could make is a file that is not a
        // plan; in the saved choices, a refusal.
        if (o.plan) throw host::ErrorPlan(host::ErrorPlan::Tipo::Formato, e.problemas());
        throw;
    }
    // A plan can never do what the wizard cannot: a leaver's memberships do
    // not pass to the new year.
    if (o.secciones) host::sincronizarActividades(plan, sesion.centro());
    return plan;
}

// A rehearsal asks nothing: it changes nothing, and what the closing would
// ask is in its report.
int ensayar(const OpcionesCierre& op, const host::Plan& plan, const QString& nuevo) {
    host::DecisionesEnsayo d;
    d.parcial = op.parcial;
    d.comprobarInicio = true;
    d.arboles = plan.arboles;
    d.nuevoCurso = nuevo;
    d.secciones = op.secciones;
    d.actividades = op.actividades;
    d.preparar = [](cIFunciones& motor) -> std::unique_ptr<QObject> {
        auto progreso = std::make_unique<ProgresoTerminal>(motor);
        motor.setProgreso(progreso.get());
        motor.setPorcentaje(progreso.get());
        return progreso;
    };
    QTextStream(stderr) << Texto(15002) << "\n";
    const host::ResultadoEnsayo r = host::ensayarCierre(d);
    QTextStream(r.correcto ? stdout : stderr) << "\n" << r.texto();
    if (!r.informe.isEmpty()) QTextStream(stdout) << "Informe del ensayo: " << r.informe << "\n";
    return r.correcto ? SalidaExito : SalidaFallo;
}

int recuperar(const QStringList& argumentos) {
    QStringList args = argumentos;
    host::OpcionesSesion op;
    try {
        op = host::desdeArgumentos(args);
        if (!args.isEmpty()) throw host::ErrorOpciones(QStringLiteral("Argumento no reconocido: %1").arg(args.first()));
    } catch (const host::ErrorOpciones& e) {
        QTextStream(stderr) << "ncc recuperar: " << e.descripcion() << "\n" << host::usoOpcionesSesion();
        return SalidaUso;
    }
    try {
        host::resolverCierrePendiente(op);
        saldarInformeDebido(op);
        return SalidaExito;
    } catch (const host::ErrorSesion& e) {
        QTextStream(stderr) << "ncc recuperar: " << e.descripcion() << "\n";
        return SalidaFallo;
    } catch (const Error& e) {
        QTextStream(stderr) << "ncc recuperar: no se ha podido resolver el cierre pendiente: " << e.descripcion() << "\n";
        return SalidaFallo;
    }
}

QString usoRecuperar() {
    return QStringLiteral("Uso: ncc recuperar (--datos CARPETA | --servidor CADENA)\n") + host::usoOpcionesSesion();
}

const Registro registroRecuperar(
    {"recuperar", "resuelve un cierre de curso que no llegó a terminar", recuperar, usoRecuperar});

int cerrar(const QStringList& argumentos) {
    QTextStream err(stderr);
    QStringList args = argumentos;
    host::OpcionesSesion opSesion;
    OpcionesCierre op;
    try {
        completarConCarpetaRecordada(args, QStringLiteral("cerrar"), err);
        opSesion = host::desdeArgumentos(args);
        op = leerOpciones(args);
    } catch (const host::ErrorOpciones& e) {
        err << "ncc cerrar: " << e.descripcion() << "\n" << uso();
        return SalidaUso;
    }
    mensajesTerminal().fijarSiATodo(op.si);
    bool cerrado = false;
    try {
        // Opening the session settles a closing that was cut short.
        auto sesion = host::abrirSesion(opSesion);
        recordarCarpeta(opSesion);
        if (!op.ensayo) saldarInformeDebido(opSesion);
        cAsignarDatos entrada;
        entrada.ObtenerDatos(sesion.get());

        const QString nuevo = op.curso ? *op.curso : cursoSiguiente(sesion->ValorCursoEscolar());
        if (op.curso && nuevo.trimmed().isEmpty()) {
            err << "ncc cerrar: el nombre del nuevo curso escolar no puede estar en blanco\n";
            return SalidaUso;
        }
        if (nuevo.trimmed().isEmpty()) {
            err << "ncc cerrar: indique el nombre del nuevo curso escolar con --curso (el actual, \""
                << sesion->ValorCursoEscolar() << "\", no permite deducirlo)\n";
            return SalidaUso;
        }
        if (const QString problema = ProblemaNombreCurso(nuevo); !problema.isEmpty()) {
            err << "ncc cerrar: " << problema << "\n";
            return SalidaUso;
        }

        host::Plan plan = leerPlan(op, *sesion);
        if (op.ensayo) return ensayar(op, plan, nuevo);
        // Nobody else closes these databases while a question waits for an
        // answer here; the engine takes the lock again for the run and
        // checks, under it, that the year has not been closed meanwhile.
        motor::BloqueoCierre bloqueo;
        try {
            bloqueo = motor::bloquearCierre(opSesion.appEntrada);
        } catch (const motor::ErrorBloqueo& e) {
            err << "ncc cerrar: " << e.descripcion() << "\n";
            return SalidaRechazo;
        }
        // The wizard's start checks, before anything is copied.
        const InicioCierre inicio = ComprobarInicioCierre(*ConfiguracionActual());
        if (!inicio.Mostrar) {
            if (inicio.Secciones || inicio.Actividades) err << "\n" << Texto(1184) << "\n";
            return SalidaRechazo;
        }
        if (op.secciones && host::HayAlumnosSinDestino(*plan.arboles.secciones) &&
            !preguntarTexto(QStringLiteral("¡Atención! Existen alumnos promocionados o que repiten que no tienen asignado "
                                           "ningún curso o sección, si continúa el programa no pasará a estos alumnos "
                                           "al curso siguiente. ¿Desea continuar?")))
            return SalidaRechazo;

        err << "Cierre del curso " << sesion->ValorCursoEscolar() << " de " << sesion->NombreCentro()
            << "; nuevo curso: " << nuevo << "\n";
        err.flush();
        // --parcial answers the partial-closing question; --si alone answers it No.
        CierreParcial() = false;
        const std::optional<bool> parcial = op.parcial ? std::optional<bool>(true)
                                            : op.si   ? std::optional<bool>(false)
                                                      : std::nullopt;
        if (!ConfirmarInicioProceso(sesion->centro(), inicio.Actividades, op.actividades, parcial)) {
            err << "\n" << Texto(1184) << "\n";
            return SalidaRechazo;
        }
        const host::ResumenCierre antes = host::ResumenCierre::leerAntes(*ConfiguracionActual(), plan.arboles);
        bloqueo.reset();

        QElapsedTimer reloj;
        reloj.start();
        cIFunciones motor;
        ProgresoTerminal progreso(motor);
        motor.setProgreso(&progreso);
        motor.setPorcentaje(&progreso);
        motor.setColSecciones(plan.arboles.secciones);
        motor.setcolActividades(plan.arboles.actividades);
        motor.setNuevoCursoEscolar(nuevo);
        motor.setProcesarSecciones(op.secciones);
        motor.setProcesarActividades(op.actividades);
        // What the report will need, noted by the engine under its lock
        // before the first change, as the wizard's closing does: a closing
        // that a recovery completes owes its report as much as one that ends
        // here.
        motor.setAntesDeCambiar(host::anotarInformeAntesDelCierre);
        const bool correcto = motor.TransferirDatos();
        const double segundos = reloj.elapsed() / 1000.0;
        cerrado = correcto;
        if (!correcto) {
            if (!motor::hayCierrePendiente(opSesion.appEntrada)) host::quitarInformeDebido(opSesion);
            if (motor.Cancelado()) {
                err << "\nCierre cancelado: no se ha modificado nada.\n";
                return SalidaRechazo;
            }
            if (motor.Rechazado()) {
                err << "\nCierre rechazado: no se ha modificado nada.\n";
                return SalidaRechazo;
            }
            avisar(2181, Icono::Critico);
            // A restore that could not finish keeps the run's journal for the
            // next start: saying "restored" then would be false.
            if (motor.Pendiente()) {
                err << "\nEl cierre ha fallado y no se han podido restaurar las bases de datos; se volverá a intentar "
                       "al empezar el próximo cierre o con ncc recuperar.\n";
                return SalidaFallo;
            }
            err << "\nEl cierre ha fallado y las bases de datos se han restaurado como estaban.\n";
            return SalidaFallo;
        }
        // Registered, but its backups still there: the closing ends only
        // when the next start has removed them, and says so then.
        if (motor.Pendiente()) {
            err << "\nEl nuevo curso está registrado, pero el cierre no ha podido borrar sus copias de seguridad; "
                   "terminará al empezar el próximo cierre o con ncc recuperar.\n";
            return SalidaFallo;
        }
        QTextStream out(stdout);
        out << "\n" << Texto(2182) << "\n";
        try {
            out << antes.completar(motor.estado()).texto(segundos);
        } catch (const Error& e) {
            out.flush();
            err << "ncc cerrar: el curso se ha cerrado, pero no se ha podido leer su resumen: " << e.descripcion() << "\n";
        }
        out.flush();
        // The closing stands whatever becomes of its report, which is drawn
        // by a process of its own.
        if (const auto ruta = informeEnProceso(opSesion)) out << "Informe del cierre: " << *ruta << "\n";
        else
            err << "ncc cerrar: el curso se ha cerrado, pero su informe no se ha podido escribir; se escribirá al "
                   "empezar la próxima orden sobre estas bases de datos o con ncc informe\n";
        sesion->setlngRowData(-100);
        return SalidaExito;
    } catch (const SinTerminal& e) {
        err << "\nncc cerrar: hay que responder a una pregunta y no hay terminal (use --si para responder Sí a todo):\n  "
            << e.pregunta() << "\n";
        return SalidaRechazo;
    } catch (const host::ErrorPlan& e) {
        err << "ncc cerrar: el plan no se puede usar:\n";
        for (const QString& p : e.problemas()) err << "  - " << p << "\n";
        return e.tipo() == host::ErrorPlan::Tipo::Formato ? SalidaUso : SalidaRechazo;
    } catch (const host::ErrorOpciones& e) {
        err << "ncc cerrar: " << e.descripcion() << "\n";
        return SalidaUso;
    } catch (const host::ErrorSesion& e) {
        err << "ncc cerrar: " << e.descripcion() << "\n";
        return SalidaFallo;
    } catch (const motor::ErrorBloqueo& e) {
        err << "ncc cerrar: " << e.descripcion() << "\n";
        return SalidaRechazo;
    } catch (const std::bad_alloc&) {
        // The run restores the databases itself when memory runs out in it;
        // before it nothing has been touched, after it the closing stands.
        err << (cerrado ? "ncc cerrar: el curso se ha cerrado, pero no queda memoria para terminar: memoria insuficiente\n"
                        : "ncc cerrar: no se ha hecho el cierre: memoria insuficiente\n");
        return cerrado ? SalidaExito : SalidaFallo;
    } catch (const Error& e) {
        err << "ncc cerrar: no se ha podido preparar el cierre por un error de las bases de datos (Error " << e.numero()
            << ": " << e.descripcion() << ")\n";
        return SalidaFallo;
    }
}

const Registro registro({"cerrar", "cierra el curso escolar actual de un centro", cerrar, uso});

}  // namespace

}  // namespace ncc::app
