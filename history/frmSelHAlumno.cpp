#include "history/frmSelHAlumno.h"
#include "entry/RegistroClases.h"
#include "entry/cConfiguracion.h"
#include "entry/gui/cIInterface.h"
#include "history/Listas.h"
#include "history/frmEditarHistorico.h"
#include "platform/Mensajes.h"
#include "platform/Textos.h"
#include "ui_frmSelHAlumno.h"
#include <QRegularExpression>
#include <memory>

namespace ncc {

namespace {

constexpr const char* ProgIdBuscar = "NCBuscar.CAsignardatos";

bool conMateriasEvaluadas(const cAlumnoHistorico& a) {
    for (const auto& m : *a.Materias())
        if (m->Actual() != 2 && m->IDNota() != 0) return true;
    return false;
}

}  // namespace

frmSelHAlumno::frmSelHAlumno(frmEditarHistorico& editor, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmSelHAlumno>()), editor_(editor) {
    ui->setupUi(this);
    if (const cConfiguracion* c = ConfiguracionActual(); c && !c->RutaIcono().isEmpty())
        setWindowIcon(QIcon(c->RutaIcono()));
    cIInterface().CargarTextos(this);
    EdicionHistorico::copiarColeccionAlumnos(editor_.edicion().colAlumnos(), copia_);
    for (const auto& a : editor_.edicion().colAlumnos())
        listas::agregar(a->Actual() < 2 ? ui->lstSeleccionados : ui->lstDisponibles, a->IDAlumno(), a->Nombre());

    connect(ui->cmdAgregarUno, &QPushButton::clicked, this, [this] {
        if (auto* i = ui->lstDisponibles->currentItem()) agregar(listas::idDe(i));
    });
    connect(ui->lstDisponibles, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* i) { agregar(listas::idDe(i)); });
    connect(ui->cmdAgregarTodos, &QPushButton::clicked, this, [this] {
        for (qint32 id : listas::ids(ui->lstDisponibles)) agregar(id);
    });
    connect(ui->cmdQuitarUno, &QPushButton::clicked, this, [this] {
        if (auto* i = ui->lstSeleccionados->currentItem()) quitar(listas::idDe(i));
    });
    connect(ui->lstSeleccionados, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* i) { quitar(listas::idDe(i)); });
    connect(ui->cmdQuitarTodos, &QPushButton::clicked, this, &frmSelHAlumno::quitarTodos);
    connect(ui->cmdAgregar, &QPushButton::clicked, this, &frmSelHAlumno::buscar);
    connect(ui->cmdAceptar, &QPushButton::clicked, this, &frmSelHAlumno::aceptar);
    connect(ui->cmdCancelar, &QPushButton::clicked, this, &frmSelHAlumno::reject);
}

frmSelHAlumno::~frmSelHAlumno() = default;

std::shared_ptr<cAlumnoHistorico> frmSelHAlumno::alumno(qint32 id) const {
    return editor_.edicion().colAlumnos().buscar(Coleccion<cAlumnoHistorico>::clave(id));
}

QList<qint32> frmSelHAlumno::idsDeBusqueda(const QVariant& resultado) {
    QList<qint32> ids;
    static const QRegularExpression entero(QStringLiteral("^\\d{1,9}$"));
    for (const QString& t : resultado.toString().split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString limpio = t.trimmed();
        if (!entero.match(limpio).hasMatch()) continue;
        const qint32 id = limpio.toInt();
        if (id > 0 && !ids.contains(id)) ids.append(id);
    }
    return ids;
}

void frmSelHAlumno::buscar() {
    EdicionHistorico& e = editor_.edicion();
    QStringList listados;
    for (qint32 id : listas::ids(ui->lstSeleccionados) + listas::ids(ui->lstDisponibles)) listados << QString::number(id);
    QVariant resultado;
    try {
        std::unique_ptr<QObject> busqueda(RegistroClases::crear(QString::fromLatin1(ProgIdBuscar)));
        cConfiguracion* conf = ConfiguracionActual();
        QObject* centro = conf && conf->conLocalCentro() ? conf->conLocalCentro() : &e.conexion();
        QObject* borrado = conf && conf->conLocalBorradoCentro() ? conf->conLocalBorradoCentro() : centro;
        const QString icono = conf ? conf->RutaIcono() : QString();
        bool ok = QMetaObject::invokeMethod(busqueda.get(), "pasarconexiones", Q_ARG(QObject*, centro),
                                            Q_ARG(QObject*, borrado), Q_ARG(QObject*, centro), Q_ARG(QObject*, borrado));
        if (conf) conf->setActiva(true);
        ok = ok && QMetaObject::invokeMethod(busqueda.get(), "ObtenerDatos", Q_ARG(QVariant, icono),
                                             Q_ARG(QVariant, listados.join(QLatin1Char(','))));
        ok = ok && QMetaObject::invokeMethod(busqueda.get(), "Buscar", Q_RETURN_ARG(QVariant, resultado),
                                             Q_ARG(QString, QStringLiteral("Alumno")));
        if (!ok) throw Error(errores::PropiedadNoEncontrada,
                             QStringLiteral("El objeto no acepta esta propiedad o método"));
    } catch (const Error& err) {
        mostrarError(err);
        return;
    }
    for (qint32 id : idsDeBusqueda(resultado)) {
        if (alumno(id)) continue;
        const QString nombre = e.nombreAlumno(id);
        if (nombre.isEmpty()) continue;  // not a student of the school
        auto a = std::make_shared<cAlumnoHistorico>();
        a->setIDAlumno(id);
        a->setNombre(nombre);
        a->setIDCursoEscHistorico(e.curso().intCursoEscHistorico);
        a->setTipoEnsenanza(e.curso().intTipoEnsenanza);
        a->setIDCurso(e.curso().intCurso);
        a->setIDCursoescolar(0);
        // Not loaded from the course (Anterior 1) and not in it yet (3).
        a->setAnterior(1);
        a->setActual(3);
        e.colAlumnos().Add(a, id);
        listas::agregar(ui->lstDisponibles, id, nombre);
    }
}

void frmSelHAlumno::agregar(qint32 id) {
    const auto a = alumno(id);
    if (!a) return;
    a->setActual(a->Anterior() == 0 ? 0 : 1);
    listas::mover(ui->lstDisponibles, ui->lstSeleccionados, id);
}

bool frmSelHAlumno::quitar(qint32 id) {
    const auto a = alumno(id);
    if (!a) return false;
    if (conMateriasEvaluadas(*a) && !preguntar(10054, Icono::Exclamacion)) return false;
    a->setActual(2);
    a->setConfirmar(false);
    listas::mover(ui->lstSeleccionados, ui->lstDisponibles, id);
    return true;
}

void frmSelHAlumno::quitarTodos() {
    const QList<qint32> ids = listas::ids(ui->lstSeleccionados);
    bool evaluados = false;
    for (qint32 id : ids)
        if (const auto a = alumno(id)) evaluados = evaluados || conMateriasEvaluadas(*a);
    if (evaluados && !preguntar(10054, Icono::Exclamacion)) return;
    for (qint32 id : ids) {
        const auto a = alumno(id);
        a->setActual(2);
        a->setConfirmar(false);
        listas::mover(ui->lstSeleccionados, ui->lstDisponibles, id);
    }
}

void frmSelHAlumno::aceptar() {
    EdicionHistorico& e = editor_.edicion();
    QList<std::shared_ptr<cAlumnoHistorico>> enOtroCurso;
    try {
        for (const auto& a : e.colAlumnos())
            if (a->Actual() == 1 && e.filasEnOtroCurso(a->IDAlumno()) > 0) enOtroCurso.append(a);
    } catch (const Error& err) {
        mostrarError(err);
        return;
    }
    if (!enOtroCurso.isEmpty()) {
        QString texto = Texto(10051) + Texto(10052) + QLatin1Char('\n');
        for (const auto& a : enOtroCurso) texto += a->Nombre() + QLatin1Char('\n');
        texto += Texto(10053);
        const bool si = preguntarTexto(texto);
        for (const auto& a : enOtroCurso) a->setConfirmar(si);
    }
    QStringList sinCurso;
    for (const auto& a : e.colAlumnos()) {
        if (a->Actual() == 2) {
            a->setActual(3);
            a->setConfirmar(false);
            a->setRepetido(false);
        }
        // Found by the search and left out: nothing of it is written.
        if (a->Anterior() != 0 && a->Actual() >= 2) sinCurso << Coleccion<cAlumnoHistorico>::clave(a->IDAlumno());
    }
    for (const QString& clave : sinCurso) e.colAlumnos().Remove(clave);
    editor_.Llenar_grid_alumnos();
    QDialog::accept();
}

void frmSelHAlumno::reject() {
    EdicionHistorico& e = editor_.edicion();
    e.colAlumnos().Clear();
    EdicionHistorico::copiarColeccionAlumnos(copia_, e.colAlumnos());
    QDialog::reject();
}

}  // namespace ncc
