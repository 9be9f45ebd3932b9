// `ncc cerrar` given what it must not take: plans that are not plans or do
// not fit the school, names of the new year it cannot store, and a copy that
// cannot be made. Each is refused (or fails and is undone) with a message
// that names the problem, and the school's folder is left exactly as it was.
// The sample school is built once and copied for every case.
#include "ContextoBD.h"
#include "EscuelaCarpeta.h"
#include "Lectura.h"
#include "entry/cAlumno.h"
#include "entry/cAlumnoActividad.h"
#include "host/Plan.h"
#include "platform/Conexion.h"
#include "suite/Demo.h"
#include "wizard/DatosActividades.h"
#include "wizard/SeleccionAlumnos.h"
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <functional>

using namespace ncc;

namespace {

using Resultado = pruebas::SalidaNcc;

using pruebas::esperarSalida;
using pruebas::huellaCarpeta;

class OrdenCerrarEntradas : public testing::Test {
protected:
    // The sample school's default plan.
    static const QJsonObject& plan() {
        static const QJsonObject p = [] {
            Conexion centro(QStringLiteral("Provider=SQLite;Data Source=") +
                            QDir(pruebas::modeloCarpeta(60)).filePath(QStringLiteral("A1C3.db")));
            centro.Open();
            return QJsonDocument::fromJson(host::planAJson(host::planPorDefecto(centro, 1))).object();
        }();
        return p;
    }

    void SetUp() override { ASSERT_FALSE(qEnvironmentVariable("NCC_BIN").isEmpty()) << "NCC_BIN no está definido"; }

    // A fresh copy of the sample school in a folder of its own.
    std::unique_ptr<QTemporaryDir> copiaEscuela() { return pruebas::escuelaCarpeta(60); }

    static Resultado ncc(const QStringList& args) { return pruebas::ejecutarNcc(args, 60000); }

    // Runs the closing of a fresh school with the plan file `plan` (outside
    // the school's folder) and checks that nothing in the folder changed.
    Resultado cerrarCon(const QString& plan) {
        auto escuela = copiaEscuela();
        const auto antes = huellaCarpeta(escuela->path());
        const Resultado r = ncc({QStringLiteral("cerrar"), QStringLiteral("--datos"), escuela->path(),
                                 QStringLiteral("--plan"), plan, QStringLiteral("--si")});
        EXPECT_EQ(huellaCarpeta(escuela->path()).toStdString(), antes.toStdString());
        return r;
    }

    Resultado cerrarConTexto(const QByteArray& json) {
        QTemporaryDir d;
        const QString plan = d.filePath(QStringLiteral("plan.json"));
        EXPECT_TRUE(pruebas::escribirFichero(plan, json));
        return cerrarCon(plan);
    }
    Resultado cerrarConPlan(const std::function<void(QJsonObject&)>& cambio) {
        QJsonObject raiz = plan();
        cambio(raiz);
        return cerrarConTexto(QJsonDocument(raiz).toJson());
    }

    // Changes one element of an array field of an object, in place.
    static void enLista(QJsonObject& o, const QString& campo, int i, const std::function<void(QJsonObject&)>& f) {
        QJsonArray a = o.value(campo).toArray();
        QJsonObject e = a.at(i).toObject();
        f(e);
        a[i] = e;
        o[campo] = a;
    }
    static void enSeccion(QJsonObject& raiz, int s, const std::function<void(QJsonObject&)>& f) {
        enLista(raiz, QStringLiteral("secciones"), s, f);
    }
    static void enAlumno(QJsonObject& raiz, int s, int a, const std::function<void(QJsonObject&)>& f) {
        enSeccion(raiz, s, [&](QJsonObject& sec) { enLista(sec, QStringLiteral("Alumnos"), a, f); });
    }

    static QJsonArray secciones() { return plan().value(QStringLiteral("secciones")).toArray(); }
};

TEST_F(OrdenCerrarEntradas, UnPlanQueNoEsUnPlanSeRechazaComoMalUso) {
    esperarSalida(cerrarConTexto("{\"formato\": \"ncc-plan\", \"secciones\": [ {\"IDSeccion\": 1,"), 64,
                  QStringLiteral("JSON mal formado en la línea 1"));
    esperarSalida(cerrarConTexto("{\n\"formato\": \"ncc-plan\",\n\"secciones\": [}\n"), 64,
                  QStringLiteral("JSON mal formado en la línea 3"));
    esperarSalida(cerrarConTexto(""), 64, QStringLiteral("JSON mal formado"));
    esperarSalida(cerrarConTexto("[]"), 64, QStringLiteral("el plan debe ser un objeto JSON"));
    esperarSalida(cerrarConTexto("\xff\xfe{}"), 64, QStringLiteral("JSON mal formado"));

    // Wrong types.
    esperarSalida(cerrarConPlan([](QJsonObject& p) { enSeccion(p, 0, [](QJsonObject& s) { s[QStringLiteral("IDSeccion")] = QStringLiteral("5"); }); }),
                  64, QStringLiteral("secciones[0].IDSeccion: debe ser un número entero, no \"5\""));
    esperarSalida(cerrarConPlan([](QJsonObject& p) { enAlumno(p, 0, 0, [](QJsonObject& a) { a[QStringLiteral("IDAlumno")] = QStringLiteral("siete"); }); }),
                  64, QStringLiteral("secciones[0].Alumnos[0].IDAlumno: debe ser un número entero, no \"siete\""));
    esperarSalida(cerrarConPlan([](QJsonObject& p) { enSeccion(p, 0, [](QJsonObject& s) { s[QStringLiteral("Alumnos")] = QJsonObject(); }); }),
                  64, QStringLiteral("secciones[0].Alumnos: debe ser una lista, no un objeto"));
    esperarSalida(cerrarConPlan([](QJsonObject& p) {
                      QJsonArray a = p.value(QStringLiteral("secciones")).toArray();
                      a[1] = QJsonArray{1, 2};
                      p[QStringLiteral("secciones")] = a;
                  }),
                  64, QStringLiteral("secciones[1]: debe ser un objeto, no una lista"));
    esperarSalida(cerrarConPlan([](QJsonObject& p) { enAlumno(p, 0, 0, [](QJsonObject& a) { a[QStringLiteral("Promociona")] = 1; }); }),
                  64, QStringLiteral("secciones[0].Alumnos[0].Promociona: debe ser true o false, no 1"));
    esperarSalida(cerrarConPlan([](QJsonObject& p) { enAlumno(p, 0, 0, [](QJsonObject& a) { a[QStringLiteral("IDCurso")] = 1.5; }); }),
                  64, QStringLiteral("secciones[0].Alumnos[0].IDCurso: debe ser un número entero, no 1.5"));

    // Ids out of the range of their fields.
    esperarSalida(cerrarConPlan([](QJsonObject& p) { enSeccion(p, 0, [](QJsonObject& s) { s[QStringLiteral("IDCurso")] = 256; }); }),
                  64, QStringLiteral("secciones[0].IDCurso: 256 está fuera de su intervalo (0..255)"));
    esperarSalida(cerrarConPlan([](QJsonObject& p) { enSeccion(p, 0, [](QJsonObject& s) { s[QStringLiteral("IDSeccion")] = 40000; }); }),
                  64, QStringLiteral("secciones[0].IDSeccion: 40000 está fuera de su intervalo (-32768..32767)"));
    esperarSalida(cerrarConPlan([](QJsonObject& p) { enAlumno(p, 0, 0, [](QJsonObject& a) { a[QStringLiteral("NIDCurso")] = -1; }); }),
                  64, QStringLiteral("secciones[0].Alumnos[0].NIDCurso: -1 está fuera de su intervalo (0..255)"));
    esperarSalida(cerrarConPlan([](QJsonObject& p) { enAlumno(p, 0, 0, [](QJsonObject& a) { a[QStringLiteral("IDAlumno")] = 1e12; }); }),
                  64, QStringLiteral("secciones[0].Alumnos[0].IDAlumno: 1000000000000 está fuera de su intervalo"));
    esperarSalida(cerrarConPlan([](QJsonObject& p) {
                      enLista(p, QStringLiteral("actividades"), 0, [](QJsonObject& a) { a[QStringLiteral("IDActividad")] = 70000; });
                  }),
                  64, QStringLiteral("actividades[0].IDActividad: 70000 está fuera de su intervalo (-32768..32767)"));

    // A student twice in one section.
    esperarSalida(cerrarConPlan([](QJsonObject& p) {
                      enSeccion(p, 0, [](QJsonObject& s) {
                          QJsonArray a = s.value(QStringLiteral("Alumnos")).toArray();
                          a.append(a.at(0));
                          s[QStringLiteral("Alumnos")] = a;
                      });
                  }),
                  64, QStringLiteral("ya figura en la sección"));

    // Every problem is listed, not only the first.
    const Resultado dos = cerrarConPlan([](QJsonObject& p) {
        enSeccion(p, 0, [](QJsonObject& s) { s[QStringLiteral("IDCurso")] = 300; });
        enAlumno(p, 1, 0, [](QJsonObject& a) { a[QStringLiteral("NIDSeccion")] = 40000; });
    });
    esperarSalida(dos, 64, QStringLiteral("secciones[0].IDCurso: 300"));
    EXPECT_TRUE(dos.error.contains(QStringLiteral("secciones[1].Alumnos[0].NIDSeccion: 40000"))) << dos.error.toStdString();
}

TEST_F(OrdenCerrarEntradas, UnPlanQueNoEncajaConElCentroSeRechaza) {
    // Refused as bad use or as not fitting, the folder untouched; every
    // problem a plan can have is the plan test's to list.
    // A promoted student with a destination, and a section of another course.
    int s = -1, a = -1, ajena = -1;
    const QJsonArray lista = secciones();
    for (int i = 0; i < lista.size() && s < 0; ++i) {
        const QJsonArray alumnos = lista.at(i).toObject().value(QStringLiteral("Alumnos")).toArray();
        for (int j = 0; j < alumnos.size(); ++j) {
            const QJsonObject al = alumnos.at(j).toObject();
            if (al.value(QStringLiteral("Promociona")).toBool() && al.value(QStringLiteral("NIDSeccion")).toInt() != 0) {
                s = i;
                a = j;
                break;
            }
        }
    }
    ASSERT_GE(s, 0);
    const QJsonObject alumno = lista.at(s).toObject().value(QStringLiteral("Alumnos")).toArray().at(a).toObject();
    const int cursoDestino = alumno.value(QStringLiteral("NIDCurso")).toInt();
    for (int i = 0; i < lista.size(); ++i)
        if (lista.at(i).toObject().value(QStringLiteral("IDCurso")).toInt() != cursoDestino) ajena = i;
    ASSERT_GE(ajena, 0);
    const int seccionAjena = lista.at(ajena).toObject().value(QStringLiteral("IDSeccion")).toInt();

    esperarSalida(cerrarConPlan([&](QJsonObject& p) {
                      enAlumno(p, s, a, [&](QJsonObject& al) { al[QStringLiteral("NIDSeccion")] = seccionAjena; });
                  }),
                  64, QStringLiteral("la sección de destino %1 no es del curso %2").arg(seccionAjena).arg(cursoDestino));
    esperarSalida(cerrarConPlan([](QJsonObject& p) { enSeccion(p, 0, [](QJsonObject& sec) { sec[QStringLiteral("IDSeccion")] = 30000; }); }),
                  2, QStringLiteral("secciones[0]: la sección 30000 no existe en el centro"));
}

TEST_F(OrdenCerrarEntradas, UnPlanDesmesuradoSeRechazaSinLeerlo) {
    QTemporaryDir d;
    // Sparse: 300 MB on paper, nothing on disk.
    const QString grande = d.filePath(QStringLiteral("grande.json"));
    {
        QFile f(grande);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(300LL * 1024 * 1024));
    }
    QElapsedTimer reloj;
    reloj.start();
    esperarSalida(cerrarCon(grande), 64, QStringLiteral("el fichero del plan es demasiado grande"));
    EXPECT_LT(reloj.elapsed(), 20000);

    // A stream that never ends has no size to check beforehand.
    esperarSalida(cerrarCon(QStringLiteral("/dev/zero")), 64, QStringLiteral("el fichero del plan es demasiado grande"));

    // Deep nesting is stopped by the parser, not by the stack.
    esperarSalida(cerrarConTexto(QByteArray("{\"secciones\":") + QByteArray(200000, '[') + QByteArray(200000, ']') + "}"), 64,
                  QStringLiteral("JSON mal formado"));

    esperarSalida(cerrarCon(d.filePath(QStringLiteral("no-existe.json"))), 64, QStringLiteral("No se puede leer el plan"));
    esperarSalida(cerrarCon(d.path()), 64, QStringLiteral("No se puede leer el plan"));
}

TEST_F(OrdenCerrarEntradas, UnNombreDeCursoQueNoCabeSeRechazaAntesDeCopiar) {
    auto escuela = copiaEscuela();
    const auto antes = huellaCarpeta(escuela->path());
    const auto cerrar = [&](const QStringList& extra) {
        return ncc(QStringList{QStringLiteral("cerrar"), QStringLiteral("--datos"), escuela->path(), QStringLiteral("--si")} + extra);
    };
    esperarSalida(cerrar({QStringLiteral("--curso"), QStringLiteral("   ")}), 64, QStringLiteral("en blanco"));
    // An empty name given is a name given: not replaced by the default one.
    esperarSalida(cerrar({QStringLiteral("--curso"), QString()}), 64, QStringLiteral("en blanco"));
    esperarSalida(cerrar({QStringLiteral("--curso=")}), 64, QStringLiteral("en blanco"));
    // Nor is an empty plan name read as "the default plan".
    esperarSalida(cerrar({QStringLiteral("--plan=")}), 64, QStringLiteral("Falta el fichero de --plan"));
    esperarSalida(cerrar({QStringLiteral("--plan"), QString()}), 64, QStringLiteral("Falta el fichero de --plan"));
    esperarSalida(cerrar({QStringLiteral("--curso"), QString(51, QLatin1Char('x'))}), 64,
                  QStringLiteral("no puede tener más de 50 caracteres"));
    esperarSalida(cerrar({QStringLiteral("--curso"), QStringLiteral("2026/2027\x1b]0;hola\x07")}), 64,
                  QStringLiteral("caracteres de control"));
    // The name of a year the centre already has (the check itself, the
    // current year included, is the engine's test's).
    esperarSalida(cerrar({QStringLiteral("--curso"), QStringLiteral("2024/2025")}), 2,
                  QStringLiteral("Ya hay un curso escolar llamado"));
    EXPECT_EQ(huellaCarpeta(escuela->path()).toStdString(), antes.toStdString());
}

// The wizard's saved choices walk the whole road: saved as the pages save
// them, read back by `ncc cerrar --guardado` through the same check as a plan
// (every decision nobody could have made on the pages is refused, the school
// untouched), and closed into the rows the new year keeps. Without
// --guardado the stored activity choices stay out, and --si answers the
// partial-closing question No.
TEST_F(OrdenCerrarEntradas, LoGuardadoEnElAsistentePasaLaComprobacionYLlegaAlCursoNuevo) {
    auto escuela = copiaEscuela();
    const auto abrir = [](const QString& carpeta, const QString& base) {
        auto c = std::make_unique<Conexion>(QStringLiteral("Provider=SQLite;Data Source=") + QDir(carpeta).filePath(base));
        c->Open();
        return c;
    };
    int alumno = 0, curso = 0, ajena = 0, miembro = 0, actividad = 0;
    QString precio;
    {
        auto centro = abrir(escuela->path(), QStringLiteral("A1C3.db"));
        ASSERT_FALSE(centro->Abrir(QStringLiteral("SELECT IDCurso FROM Curso WHERE codTipoEnsenanza IN (3,4,5,9) LIMIT 1")).eof());
        const host::Plan p = host::planPorDefecto(*centro, 1);
        // Saved as "Guardar datos" saves the proposal of every section and
        // activity.
        SeleccionAlumnos datos(*centro, 1);
        datos.Cargar();
        for (const auto& s : *p.arboles.secciones)
            if (const auto d = datos.Seccion(s->IDSeccion()); d && s->Promocionada()) {
                d->setAlumnos(s->Alumnos());
                d->setPromocionada(true);
                for (const auto& a : *s->Alumnos())
                    if (!alumno && a->Promociona() && a->NIDSeccion() != 0) {
                        alumno = a->IDAlumno();
                        curso = a->NIDCurso();
                        // A section of another course of the same teaching type.
                        Recordset rs = centro->Abrir(
                            QStringLiteral("SELECT Seccion.IDSeccion FROM Seccion INNER JOIN Curso ON Seccion.codCurso=Curso.IDCurso "
                                           "WHERE Curso.codTipoEnsenanza=%1 AND Curso.IDCurso<>%2 ORDER BY Seccion.IDSeccion LIMIT 1")
                                .arg(a->NIDTipoEnsenanza())
                                .arg(curso));
                        if (!rs.eof()) ajena = int(rs.entero(QStringLiteral("IDSeccion")));
                        else alumno = 0;
                    }
            }
        datos.GuardarDatosAlumnos();
        actividades::guardarDatosActividades(*centro, *p.arboles.actividades);
        for (const auto& a : *p.arboles.actividades)
            for (const auto& m : *a->Alumnos())
                if (!a->FechaInicio().isEmpty() && !a->FechaFin().isEmpty())
                    if (!miembro && m->Visible() && m->Pasar() && m->IDAlumno() != alumno && !m->Euros().isEmpty()) {
                        miembro = m->IDAlumno();
                        actividad = a->IDActividad();
                        precio = m->Euros();
                    }
        ASSERT_TRUE(alumno && ajena && miembro);
        ASSERT_NE(precio, QStringLiteral("99,99"));
        // The stored destination section now belongs to another course; the
        // stored price of one member differs from today's.
        centro->Execute(QStringLiteral("UPDATE CIERRECURSO_SECCION_ALUMNO SET NIDSeccion=%1 WHERE IDAlumno=%2").arg(ajena).arg(alumno));
        centro->Execute(QStringLiteral("UPDATE CIERRECURSO_ACTIVIDAD_ALUMNO SET Euros='99,99', Pesetas='16636' "
                                       "WHERE IDAlumno=%1 AND codActividad=%2")
                            .arg(miembro)
                            .arg(actividad));
    }

    // Each saved decision that no page could have made is refused, named
    // with its value, and nothing is touched.
    const QString quien = QStringLiteral("el alumno %1").arg(alumno);
    const QString deAlumno = QStringLiteral(" WHERE IDAlumno=%1").arg(alumno);
    const QString deActividad = QStringLiteral(" WHERE IDActividad=%1").arg(actividad);
    const QString deMiembro = QStringLiteral(" WHERE IDAlumno=%1 AND codActividad=%2").arg(miembro).arg(actividad);
    const QString largo = QString(100000, QLatin1Char('9'));
    const struct {
        QString sql, esperado, tambien;
    } rechazos[] = {
        // Enrolled after the save: no saved decision, never made a leaver.
        {QStringLiteral("DELETE FROM CIERRECURSO_SECCION_ALUMNO") + deAlumno, quien, QStringLiteral("no tiene decisión")},
        {QStringLiteral("UPDATE CIERRECURSO_SECCION_ALUMNO SET SinAsignar=0, Promociona=NULL, Repite=NULL, Baja=NULL") + deAlumno,
         quien, QStringLiteral("(tiene 0)")},
        {QStringLiteral("UPDATE CIERRECURSO_SECCION_ALUMNO SET Promociona=-1, Baja=-1") + deAlumno, quien, QStringLiteral("(tiene 2)")},
        {QStringLiteral("UPDATE CIERRECURSO_SECCION_ALUMNO SET Promociona=0, Baja=-1, FechaBaja='31/02/2026'") + deAlumno, quien,
         QStringLiteral("\"31/02/2026\" no es una fecha válida")},
        {QStringLiteral("UPDATE CIERRECURSO_ACTIVIDAD_ALUMNO SET Euros='abc'") + deMiembro, QStringLiteral("actividad %1, alumno %2").arg(actividad).arg(miembro),
         QStringLiteral("\"abc\" no es un precio en euros")},
        {QStringLiteral("UPDATE CIERRECURSO_ACTIVIDAD_ALUMNO SET Euros='-12,50'") + deMiembro, QStringLiteral("actividad %1").arg(actividad),
         QStringLiteral("\"-12,50\" no es un precio en euros")},
        {QStringLiteral("UPDATE CIERRECURSO_ACTIVIDAD_ALUMNO SET Euros='%1'").arg(largo) + deMiembro,
         QStringLiteral("\"%1…\"").arg(largo.left(40)), QStringLiteral("no es un precio en euros")},
        {QStringLiteral("UPDATE CIERRECURSO_ACTIVIDAD SET FechaFin='2020/01/01'") + deActividad, QStringLiteral("actividad %1").arg(actividad),
         QStringLiteral("es anterior a la de inicio")},
        {QStringLiteral("UPDATE CIERRECURSO_ACTIVIDAD SET FechaInicio='2026/02/30'") + deActividad, QStringLiteral("actividad %1").arg(actividad),
         QStringLiteral("\"2026/02/30\" no es una fecha válida")},
    };
    for (const auto& caso : rechazos) {
        SCOPED_TRACE(caso.sql.left(120).toStdString());
        auto copia = pruebas::copiarEscuelaCarpeta(escuela->path());
        abrir(copia->path(), QStringLiteral("A1C3.db"))->Execute(caso.sql);
        const auto antes = huellaCarpeta(copia->path());
        const Resultado r = ncc({QStringLiteral("cerrar"), QStringLiteral("--datos"), copia->path(), QStringLiteral("--guardado"),
                                 QStringLiteral("--si")});
        esperarSalida(r, 2, caso.esperado);
        EXPECT_TRUE(r.error.contains(caso.tambien)) << r.error.toStdString();
        EXPECT_EQ(huellaCarpeta(copia->path()).toStdString(), antes.toStdString());
        if (&caso == &rechazos[0])
            esperarSalida(ncc({QStringLiteral("plan"), QStringLiteral("--datos"), copia->path(), QStringLiteral("--guardado")}), 2, quien);
    }

    // Closed without --guardado: the stored price stays out, and the year is
    // closed whole (not partially: the closed year is no longer active).
    // The first value of a statement on one database of a school's folder.
    const auto leer = [&](const QString& carpeta, const QString& base, const QString& sql) {
        auto con = abrir(carpeta, base);
        Recordset rs = con->Abrir(sql);
        return rs.eof() ? QStringLiteral("(ninguna fila)") : rs.campo(0).toString();
    };
    const QString precioNuevo = QStringLiteral("SELECT PrecioEuros FROM Alumno_Actividad_Miembro WHERE codAlumno=%1 AND codActividad=%2")
                                    .arg(miembro)
                                    .arg(actividad);
    auto sinGuardado = pruebas::copiarEscuelaCarpeta(escuela->path());
    Resultado r = ncc({QStringLiteral("cerrar"), QStringLiteral("--datos"), sinGuardado->path(), QStringLiteral("--si")});
    ASSERT_EQ(r.salida, 0) << r.error.toStdString();
    EXPECT_EQ(leer(sinGuardado->path(), QStringLiteral("A1C4.db"), precioNuevo), precio);
    EXPECT_EQ(leer(sinGuardado->path(), QStringLiteral("AppEntrada.db"),
                   QStringLiteral("SELECT Activa FROM CursoEscolar WHERE IDCursoEscolar=3")),
              QStringLiteral("0"));

    // With it: the stored price, and the destination section of another
    // course dropped (the student goes to the course he was given).
    r = ncc({QStringLiteral("cerrar"), QStringLiteral("--datos"), escuela->path(), QStringLiteral("--guardado"), QStringLiteral("--si")});
    ASSERT_EQ(r.salida, 0) << r.error.toStdString();
    EXPECT_EQ(leer(escuela->path(), QStringLiteral("A1C4.db"), precioNuevo), QStringLiteral("99,99"));
    EXPECT_EQ(leer(escuela->path(), QStringLiteral("A1C4.db"),
                   QStringLiteral("SELECT codCurso || '/' || codSeccion FROM Alumno WHERE IDAlumno=%1").arg(alumno)),
              QStringLiteral("%1/0").arg(curso));
}

// The year's databases named like one that the closing creates, backs up or
// compacts, BD and BDBorrado the same file, or a registered year's database
// where the new one would go: the closing is refused before anything is
// copied (a copy over its own source would empty it) and says why.
TEST_F(OrdenCerrarEntradas, UnNombreQueChocaSeRechazaAntesDeCopiar) {
    const auto conBases = [&](const QString& bd, const QString& bdBorrado, const QString& mover,
                              const QString& textoEsperado, const QString& otroAnio = {}) {
        SCOPED_TRACE(bd.toStdString());
        auto escuela = copiaEscuela();
        const QDir d(escuela->path());
        if (!mover.isEmpty()) {
            ASSERT_TRUE(QFile::rename(d.filePath(QStringLiteral("A1C3.db")), d.filePath(mover)));
        }
        {
            Conexion app(QStringLiteral("Provider=SQLite;Data Source=") + d.filePath(QStringLiteral("AppEntrada.db")));
            app.Open();
            app.Execute(QStringLiteral("UPDATE CursoEscolar SET BD=?, BDBorrado=? WHERE IDCursoEscolar=3"),
                        {QStringLiteral("Provider=SQLite;Data Source=") + bd, QStringLiteral("Provider=SQLite;Data Source=") + bdBorrado});
            if (!otroAnio.isEmpty()) {
                ASSERT_TRUE(QFile::copy(d.filePath(QStringLiteral("B1C3.db")), d.filePath(otroAnio)));
                app.Execute(QStringLiteral("UPDATE CursoEscolar SET BD=? WHERE IDCursoEscolar=2"),
                            {QStringLiteral("Provider=SQLite;Data Source=") + otroAnio});
            }
            app.Close();
        }
        const auto antes = huellaCarpeta(escuela->path());
        esperarSalida(ncc({QStringLiteral("cerrar"), QStringLiteral("--datos"), escuela->path(), QStringLiteral("--si")}), 2,
                      textoEsperado);
        EXPECT_EQ(huellaCarpeta(escuela->path()).toStdString(), antes.toStdString());
    };
    conBases(QStringLiteral("A1C4.db"), QStringLiteral("B1C3.db"), QStringLiteral("A1C4.db"),
             QStringLiteral("la base de datos del nuevo curso se llama como la base de datos del curso (BD)"));
    conBases(QStringLiteral("A1C3B.db"), QStringLiteral("B1C3.db"), QStringLiteral("A1C3B.db"),
             QStringLiteral("la copia de seguridad del curso se llama como la base de datos del curso (BD)"));
    conBases(QStringLiteral("Compact.db"), QStringLiteral("B1C3.db"), QStringLiteral("Compact.db"),
             QStringLiteral("la base de datos temporal de la compactación se llama como"));
    conBases(QStringLiteral("A1C3.db"), QStringLiteral("A1C3.db"), QString(), QStringLiteral("son la misma base de datos"));
    conBases(QStringLiteral("A1C3.db"), QStringLiteral("B1C3.db"), QString(),
             QStringLiteral("pertenece a un curso escolar registrado"), QStringLiteral("A1C4.db"));
}

// A copy that cannot be made (its destination is taken by a folder, which
// not even root can overwrite with a file): the run fails and undoes what it
// did, the folder (not the run's) stays, nothing else is left behind, and
// the school can still be closed once the obstacle is gone.
class CopiaImposible : public OrdenCerrarEntradas {
protected:
    std::unique_ptr<QTemporaryDir> fallaPor(const QString& obstaculo) {
        auto escuela = copiaEscuela();
        EXPECT_TRUE(QDir(escuela->path()).mkdir(obstaculo));
        EXPECT_TRUE(QFile::copy(QDir(escuela->path()).filePath(QStringLiteral("AppEntrada.db")),
                                QDir(escuela->path()).filePath(obstaculo + QStringLiteral("/dentro"))));
        const auto antes = huellaCarpeta(escuela->path());
        const Resultado r =
            esperarSalida(ncc({QStringLiteral("cerrar"), QStringLiteral("--datos"), escuela->path(), QStringLiteral("--si")}), 1, obstaculo);
        EXPECT_TRUE(r.error.contains(QStringLiteral("se han restaurado como estaban"))) << r.error.toStdString();
        EXPECT_FALSE(r.error.contains(QStringLiteral("Error al restaurar"))) << r.error.toStdString();
        EXPECT_EQ(huellaCarpeta(escuela->path()).toStdString(), antes.toStdString());
        EXPECT_TRUE(QFile::exists(QDir(escuela->path()).filePath(obstaculo + QStringLiteral("/dentro"))));
        return escuela;
    }
};

// The restore removes only the new databases this run made; something at a
// backup's name is not a backup, and the original is never replaced by it.
TEST_F(CopiaImposible, AlCursoNuevoOALaCopiaFallaYSeRestaura) {
    for (const char* obstaculo : {"B1C4.db", "A1C3B.db", "AppEntradaB.db"}) fallaPor(QString::fromLatin1(obstaculo));
    auto escuela = fallaPor(QStringLiteral("A1C4.db"));
    // With the folder gone the closing runs, and a name of exactly 50
    // characters, accented letters included, is stored whole.
    ASSERT_TRUE(QDir(escuela->filePath(QStringLiteral("A1C4.db"))).removeRecursively());
    const QString nombre = QStringLiteral("Curso ÑÚÑEZ ") + QString(38, QChar(0x00E1));
    ASSERT_EQ(nombre.size(), 50);
    const Resultado bien = ncc({QStringLiteral("cerrar"), QStringLiteral("--datos"), escuela->path(),
                                QStringLiteral("--curso"), nombre, QStringLiteral("--si")});
    ASSERT_EQ(bien.salida, 0) << bien.error.toStdString();
    Conexion app(QStringLiteral("Provider=SQLite;Data Source=") + escuela->filePath(QStringLiteral("AppEntrada.db")));
    app.Open();
    EXPECT_EQ(pruebas::leerFilas(app, QStringLiteral("SELECT Nombre FROM CursoEscolar WHERE IDCursoEscolar=4")),
              QStringList{nombre});
}

}  // namespace
