// `ncc cerrar` given what it must not take: plans that are not plans or do
// not fit the school, names of the new year it cannot store, and a copy that
// cannot be made. Each is refused (or fails and is undone) with a message
// that names the problem, and the school's folder is left exactly as it was.
// The sample school is built once and copied for every case.
#include "ContextoBD.h"
#include "EscuelaCarpeta.h"
#include "host/Plan.h"
#include "platform/Conexion.h"
#include "suite/Demo.h"
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <functional>
#include <map>

using namespace ncc;

namespace {

using Resultado = pruebas::SalidaNcc;

// Every entry of a folder, "name=sha256" for files, "name/" for folders,
// one a line.
QString huella(const QString& carpeta) {
    QStringList r;
    const QDir d(carpeta);
    for (const QFileInfo& fi : d.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name)) {
        if (fi.isDir()) {
            r << fi.fileName() + QLatin1Char('/');
            continue;
        }
        QFile f(fi.filePath());
        QCryptographicHash h(QCryptographicHash::Sha256);
        if (f.open(QIODevice::ReadOnly)) h.addData(&f);
        r << fi.fileName() + QLatin1Char('=') + QString::fromLatin1(h.result().toHex().left(16));
    }
    return r.join(QLatin1Char('\n'));
}

class OrdenCerrarEntradas : public testing::Test {
protected:
    static void SetUpTestSuite() {
        modelo_ = new QTemporaryDir();
        pruebas::crearEscuelaCarpeta(modelo_->path(), 60);
        Conexion centro(QStringLiteral("Provider=SQLite;Data Source=") + QDir(modelo_->path()).filePath(QStringLiteral("A1C3.db")));
        centro.Open();
        plan_ = new QJsonObject(QJsonDocument::fromJson(host::planAJson(host::planPorDefecto(centro, 1))).object());
        centro.Close();
    }
    static void TearDownTestSuite() {
        delete plan_;
        plan_ = nullptr;
        delete modelo_;
        modelo_ = nullptr;
    }

    void SetUp() override {
        ASSERT_FALSE(qEnvironmentVariable("NCC_BIN").isEmpty()) << "NCC_BIN no está definido";
        ASSERT_TRUE(modelo_ && modelo_->isValid());
    }

    // A fresh copy of the sample school in a folder of its own.
    std::unique_ptr<QTemporaryDir> copiaEscuela() { return pruebas::copiarEscuelaCarpeta(modelo_->path()); }

    static Resultado ncc(const QStringList& args) { return pruebas::ejecutarNcc(args, 60000); }

    // Runs the closing of a fresh school with the plan file `plan` (outside
    // the school's folder) and checks that nothing in the folder changed.
    Resultado cerrarCon(const QString& plan) {
        auto escuela = copiaEscuela();
        const auto antes = huella(escuela->path());
        const Resultado r = ncc({QStringLiteral("cerrar"), QStringLiteral("--datos"), escuela->path(),
                                 QStringLiteral("--plan"), plan, QStringLiteral("--si")});
        EXPECT_EQ(huella(escuela->path()).toStdString(), antes.toStdString());
        return r;
    }

    Resultado cerrarConTexto(const QByteArray& json) {
        QTemporaryDir d;
        const QString plan = d.filePath(QStringLiteral("plan.json"));
        QFile f(plan);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(json);
        f.close();
        return cerrarCon(plan);
    }
    Resultado cerrarConPlan(const std::function<void(QJsonObject&)>& cambio) {
        QJsonObject raiz = *plan_;
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

    static QJsonArray secciones() { return plan_->value(QStringLiteral("secciones")).toArray(); }

    static QTemporaryDir* modelo_;
    static QJsonObject* plan_;
};

QTemporaryDir* OrdenCerrarEntradas::modelo_ = nullptr;
QJsonObject* OrdenCerrarEntradas::plan_ = nullptr;

#define ESPERA_RECHAZO(r, codigo, texto)                                                               \
    do {                                                                                                \
        const Resultado r_ = (r);                                                                       \
        EXPECT_EQ(r_.salida, codigo) << r_.error.toStdString();                                          \
        EXPECT_TRUE(r_.error.contains(texto)) << "se esperaba «" << QString(texto).toStdString()         \
                                              << "» en:\n" << r_.error.toStdString();                  \
    } while (0)

TEST_F(OrdenCerrarEntradas, UnPlanQueNoEsUnPlanSeRechazaComoMalUso) {
    ESPERA_RECHAZO(cerrarConTexto("{\"formato\": \"ncc-plan\", \"secciones\": [ {\"IDSeccion\": 1,"), 64,
                   QStringLiteral("JSON mal formado en la línea 1"));
    ESPERA_RECHAZO(cerrarConTexto("{\n\"formato\": \"ncc-plan\",\n\"secciones\": [}\n"), 64,
                   QStringLiteral("JSON mal formado en la línea 3"));
    ESPERA_RECHAZO(cerrarConTexto(""), 64, QStringLiteral("JSON mal formado"));
    ESPERA_RECHAZO(cerrarConTexto("[]"), 64, QStringLiteral("el plan debe ser un objeto JSON"));
    ESPERA_RECHAZO(cerrarConTexto("\xff\xfe{}"), 64, QStringLiteral("JSON mal formado"));

    // Wrong types.
    ESPERA_RECHAZO(cerrarConPlan([](QJsonObject& p) { enSeccion(p, 0, [](QJsonObject& s) { s[QStringLiteral("IDSeccion")] = QStringLiteral("5"); }); }),
                   64, QStringLiteral("secciones[0].IDSeccion: debe ser un número entero, no \"5\""));
    ESPERA_RECHAZO(cerrarConPlan([](QJsonObject& p) { enAlumno(p, 0, 0, [](QJsonObject& a) { a[QStringLiteral("IDAlumno")] = QStringLiteral("siete"); }); }),
                   64, QStringLiteral("secciones[0].Alumnos[0].IDAlumno: debe ser un número entero, no \"siete\""));
    ESPERA_RECHAZO(cerrarConPlan([](QJsonObject& p) { enSeccion(p, 0, [](QJsonObject& s) { s[QStringLiteral("Alumnos")] = QJsonObject(); }); }),
                   64, QStringLiteral("secciones[0].Alumnos: debe ser una lista, no un objeto"));
    ESPERA_RECHAZO(cerrarConPlan([](QJsonObject& p) {
                       QJsonArray a = p.value(QStringLiteral("secciones")).toArray();
                       a[1] = QJsonArray{1, 2};
                       p[QStringLiteral("secciones")] = a;
                   }),
                   64, QStringLiteral("secciones[1]: debe ser un objeto, no una lista"));
    ESPERA_RECHAZO(cerrarConPlan([](QJsonObject& p) { enAlumno(p, 0, 0, [](QJsonObject& a) { a[QStringLiteral("Promociona")] = 1; }); }),
                   64, QStringLiteral("secciones[0].Alumnos[0].Promociona: debe ser true o false, no 1"));
    ESPERA_RECHAZO(cerrarConPlan([](QJsonObject& p) { enAlumno(p, 0, 0, [](QJsonObject& a) { a[QStringLiteral("IDCurso")] = 1.5; }); }),
                   64, QStringLiteral("secciones[0].Alumnos[0].IDCurso: debe ser un número entero, no 1.5"));

    // Ids out of the range of their fields.
    ESPERA_RECHAZO(cerrarConPlan([](QJsonObject& p) { enSeccion(p, 0, [](QJsonObject& s) { s[QStringLiteral("IDCurso")] = 256; }); }),
                   64, QStringLiteral("secciones[0].IDCurso: 256 está fuera de su intervalo (0..255)"));
    ESPERA_RECHAZO(cerrarConPlan([](QJsonObject& p) { enSeccion(p, 0, [](QJsonObject& s) { s[QStringLiteral("IDSeccion")] = 40000; }); }),
                   64, QStringLiteral("secciones[0].IDSeccion: 40000 está fuera de su intervalo (-32768..32767)"));
    ESPERA_RECHAZO(cerrarConPlan([](QJsonObject& p) { enAlumno(p, 0, 0, [](QJsonObject& a) { a[QStringLiteral("NIDCurso")] = -1; }); }),
                   64, QStringLiteral("secciones[0].Alumnos[0].NIDCurso: -1 está fuera de su intervalo (0..255)"));
    ESPERA_RECHAZO(cerrarConPlan([](QJsonObject& p) { enAlumno(p, 0, 0, [](QJsonObject& a) { a[QStringLiteral("IDAlumno")] = 1e12; }); }),
                   64, QStringLiteral("secciones[0].Alumnos[0].IDAlumno: 1000000000000 está fuera de su intervalo"));
    ESPERA_RECHAZO(cerrarConPlan([](QJsonObject& p) {
                       enLista(p, QStringLiteral("actividades"), 0, [](QJsonObject& a) { a[QStringLiteral("IDActividad")] = 70000; });
                   }),
                   64, QStringLiteral("actividades[0].IDActividad: 70000 está fuera de su intervalo (-32768..32767)"));

    // A student twice in one section.
    ESPERA_RECHAZO(cerrarConPlan([](QJsonObject& p) {
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
    EXPECT_EQ(dos.salida, 64);
    EXPECT_TRUE(dos.error.contains(QStringLiteral("secciones[0].IDCurso: 300"))) << dos.error.toStdString();
    EXPECT_TRUE(dos.error.contains(QStringLiteral("secciones[1].Alumnos[0].NIDSeccion: 40000"))) << dos.error.toStdString();
}

TEST_F(OrdenCerrarEntradas, UnPlanQueNoEncajaConElCentroSeRechaza) {
    ASSERT_FALSE(plan_->value(QStringLiteral("actividades")).toArray().isEmpty());
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

    ESPERA_RECHAZO(cerrarConPlan([&](QJsonObject& p) {
                       enAlumno(p, s, a, [&](QJsonObject& al) { al[QStringLiteral("NIDSeccion")] = seccionAjena; });
                   }),
                   2,
                   QStringLiteral("secciones[%1].Alumnos[%2]: la sección de destino %3 no es del curso %4")
                       .arg(s)
                       .arg(a)
                       .arg(seccionAjena)
                       .arg(cursoDestino));
    ESPERA_RECHAZO(cerrarConPlan([](QJsonObject& p) { enSeccion(p, 0, [](QJsonObject& sec) { sec[QStringLiteral("IDSeccion")] = 30000; }); }),
                   2, QStringLiteral("secciones[0]: la sección 30000 no existe en el centro"));
    ESPERA_RECHAZO(cerrarConPlan([](QJsonObject& p) { enAlumno(p, 0, 0, [](QJsonObject& al) { al[QStringLiteral("IDAlumno")] = 999999; }); }),
                   2, QStringLiteral("secciones[0].Alumnos[0]: el alumno 999999 no existe en el centro"));
    ESPERA_RECHAZO(cerrarConPlan([](QJsonObject& p) {
                       enLista(p, QStringLiteral("actividades"), 0, [](QJsonObject& act) { act[QStringLiteral("IDActividad")] = 30000; });
                   }),
                   2, QStringLiteral("actividades[0]: la actividad 30000 no existe en el centro"));
    ESPERA_RECHAZO(cerrarConPlan([](QJsonObject& p) {
                       enLista(p, QStringLiteral("actividades"), 0, [](QJsonObject& act) {
                           QJsonArray m = act.value(QStringLiteral("Alumnos")).toArray();
                           m.append(QJsonObject{{QStringLiteral("IDAlumno"), 888888}, {QStringLiteral("Pasar"), true}});
                           act[QStringLiteral("Alumnos")] = m;
                       });
                   }),
                   2, QStringLiteral("el alumno 888888 no existe en el centro"));
    // The section of a student of another section.
    const int otra = lista.at(s == 0 ? 1 : 0).toObject().value(QStringLiteral("IDSeccion")).toInt();
    const int idAlumno = alumno.value(QStringLiteral("IDAlumno")).toInt();
    ESPERA_RECHAZO(cerrarConPlan([&](QJsonObject& p) {
                       enSeccion(p, s == 0 ? 1 : 0, [&](QJsonObject& sec) {
                           QJsonArray al = sec.value(QStringLiteral("Alumnos")).toArray();
                           al.append(alumno);
                           sec[QStringLiteral("Alumnos")] = al;
                       });
                   }),
                   2, QStringLiteral("el alumno %1 no es de la sección %2").arg(idAlumno).arg(otra));
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
    ESPERA_RECHAZO(cerrarCon(grande), 64, QStringLiteral("el fichero del plan es demasiado grande"));
    EXPECT_LT(reloj.elapsed(), 20000);

    // A stream that never ends has no size to check beforehand.
    ESPERA_RECHAZO(cerrarCon(QStringLiteral("/dev/zero")), 64, QStringLiteral("el fichero del plan es demasiado grande"));

    // Deep nesting is stopped by the parser, not by the stack.
    ESPERA_RECHAZO(cerrarConTexto(QByteArray("{\"secciones\":") + QByteArray(200000, '[') + QByteArray(200000, ']') + "}"), 64,
                   QStringLiteral("JSON mal formado"));

    ESPERA_RECHAZO(cerrarCon(d.filePath(QStringLiteral("no-existe.json"))), 64, QStringLiteral("No se puede leer el plan"));
    ESPERA_RECHAZO(cerrarCon(d.path()), 64, QStringLiteral("No se puede leer el plan"));
}

TEST_F(OrdenCerrarEntradas, UnNombreDeCursoQueNoCabeSeRechazaAntesDeCopiar) {
    auto escuela = copiaEscuela();
    const auto antes = huella(escuela->path());
    const auto cerrar = [&](const QStringList& extra) {
        return ncc(QStringList{QStringLiteral("cerrar"), QStringLiteral("--datos"), escuela->path(), QStringLiteral("--si")} + extra);
    };
    ESPERA_RECHAZO(cerrar({QStringLiteral("--curso"), QStringLiteral("   ")}), 64, QStringLiteral("en blanco"));
    ESPERA_RECHAZO(cerrar({QStringLiteral("--curso=\t \t")}), 64, QStringLiteral("en blanco"));
    // An empty name given is a name given: not replaced by the default one.
    ESPERA_RECHAZO(cerrar({QStringLiteral("--curso"), QString()}), 64, QStringLiteral("en blanco"));
    ESPERA_RECHAZO(cerrar({QStringLiteral("--curso=")}), 64, QStringLiteral("en blanco"));
    ESPERA_RECHAZO(cerrar({QStringLiteral("--curso"), QString(51, QLatin1Char('x'))}), 64,
                   QStringLiteral("no puede tener más de 50 caracteres"));
    ESPERA_RECHAZO(cerrar({QStringLiteral("--curso"), QString(51, QChar(0x00D1))}), 64,
                   QStringLiteral("no puede tener más de 50 caracteres"));
    ESPERA_RECHAZO(cerrar({QStringLiteral("--curso"), QStringLiteral("2026/2027\x1b]0;hola\x07")}), 64,
                   QStringLiteral("caracteres de control"));
    // The name of a year the centre already has, the current one included.
    ESPERA_RECHAZO(cerrar({QStringLiteral("--curso"), QStringLiteral("2025/2026")}), 2,
                   QStringLiteral("Ya hay un curso escolar llamado"));
    ESPERA_RECHAZO(cerrar({QStringLiteral("--curso"), QStringLiteral("2024/2025")}), 2,
                   QStringLiteral("Ya hay un curso escolar llamado"));
    EXPECT_EQ(huella(escuela->path()).toStdString(), antes.toStdString());
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
        const auto antes = huella(escuela->path());
        ESPERA_RECHAZO(ncc({QStringLiteral("cerrar"), QStringLiteral("--datos"), escuela->path(), QStringLiteral("--si")}), 2,
                       textoEsperado);
        EXPECT_EQ(huella(escuela->path()).toStdString(), antes.toStdString());
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
        const auto antes = huella(escuela->path());
        const Resultado r = ncc({QStringLiteral("cerrar"), QStringLiteral("--datos"), escuela->path(), QStringLiteral("--si")});
        EXPECT_EQ(r.salida, 1) << r.error.toStdString();
        EXPECT_TRUE(r.error.contains(obstaculo)) << r.error.toStdString();
        EXPECT_TRUE(r.error.contains(QStringLiteral("se han restaurado como estaban"))) << r.error.toStdString();
        EXPECT_FALSE(r.error.contains(QStringLiteral("Error al restaurar"))) << r.error.toStdString();
        EXPECT_EQ(huella(escuela->path()).toStdString(), antes.toStdString());
        EXPECT_TRUE(QFile::exists(QDir(escuela->path()).filePath(obstaculo + QStringLiteral("/dentro"))));
        return escuela;
    }
};

// The restore removes only the new databases this run made.
TEST_F(CopiaImposible, AlCursoNuevoFallaYSeRestaura) {
    fallaPor(QStringLiteral("B1C4.db"));
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
    Recordset rs = app.Abrir(QStringLiteral("SELECT Nombre FROM CursoEscolar WHERE IDCursoEscolar=4"));
    ASSERT_FALSE(rs.eof());
    EXPECT_EQ(rs.texto(QStringLiteral("Nombre")), nombre);
}

// Something at a backup's name is not a backup: the original is never
// replaced by it.
TEST_F(CopiaImposible, DeSeguridadFallaSinPisarElOriginal) {
    fallaPor(QStringLiteral("A1C3B.db"));
    fallaPor(QStringLiteral("AppEntradaB.db"));
}

}  // namespace
