// The closing run, in process and on both back ends, given texts that break
// hand-built SQL (apostrophes, quotes, semicolons, comment marks,
// backslashes, placeholders, accented letters) in every text column it
// copies or archives, and names of the new year it cannot store.
#include "cierre/Muestra.h"
#include "platform/Textos.h"
#include <QHash>

using namespace ncc;
using namespace ncc::pruebas;

namespace {

// A text no statement may take apart: quotes of both kinds, a statement
// end, a comment, a backslash, the placeholders of both drivers, a LIKE
// wildcard, and letters outside ASCII.
const QString Raro = QStringLiteral("O'Brien \"Tito\"; --\\ Ñúñez ¿? 100% :uno $1 ''");

// Text columns of the sample school that the closing carries into the new
// year's database or into the closing year's archive of leavers, by table
// and key.
struct TablaTextos {
    const char* tabla;
    const char* clave;
    QStringList columnas;
};
const QList<TablaTextos>& tablasConTexto() {
    static const QList<TablaTextos> t = {
        {"Alumno", "IDAlumno", {"Nombre", "Apellido_1", "Apellido_2", "Matricula", "DNI"}},
        {"Direccion", "IDDireccion", {"Direccion", "Poblacion", "CodigoPostal", "Telefono"}},
        {"Provincia", "IDProvincia", {"Descripcion"}},
        {"TipoEnsenanza", "IDTipoEnsenanza", {"Nombre"}},
        {"Curso", "IDCurso", {"Descripcion"}},
        {"Seccion", "IDSeccion", {"Descripcion"}},
        {"TipoAlumno", "IDTipoAlumno", {"Descripcion"}},
        {"Familia", "IDFamilia", {"Nombre"}},
        {"MiembroFamilia", "IDMiembroFamilia", {"Nombre", "Apellido_1", "Apellido_2", "Parentesco"}},
        {"Personal", "IDPersonal", {"Nombre", "Apellido_1", "Apellido_2"}},
        {"Materia", "IDMateria", {"Nombre"}},
        {"Actividad", "IDActividad", {"Nombre"}},
        {"Sucursal", "IDSucursal", {"Nombre"}},
    };
    return t;
}

// Key -> the row's texts joined, of one table.
QHash<qint64, QStringList> textosDe(Conexion& con, const TablaTextos& t) {
    QHash<qint64, QStringList> r;
    for (Recordset rs = con.Abrir(QStringLiteral("SELECT %1, %2 FROM %3").arg(QLatin1String(t.clave), t.columnas.join(QLatin1Char(',')),
                                                                            QLatin1String(t.tabla)));
         !rs.eof(); rs.MoveNext()) {
        QStringList v;
        for (const QString& c : t.columnas) v << rs.texto(c);
        r.insert(rs.entero(QLatin1String(t.clave)), v);
    }
    return r;
}

class TextosRaros : public ConMuestra {
protected:
    TextosRaros() : instalado(guion) {}
    ~TextosRaros() override {
        fijarConfiguracionActual(nullptr);
        CierreParcial() = false;
    }

    MensajesGuion guion;
    ServicioMensajesInstalado instalado;
};

TEST_P(TextosRaros, LlegananIntactosAlCursoNuevoYAlArchivoDeBajas) {
    muestra = crearMuestra(ctx, QStringLiteral("raro"), 60);
    auto s = std::make_unique<SesionAbierta>(muestra);
    Conexion& centro = s->sesion->centro();

    // Every text of those columns gets the awkward text in front (the
    // section names keep matching from one course to the next).
    QHash<QString, QHash<qint64, QStringList>> esperados;
    {
        Transaccion t(centro);
        for (const TablaTextos& tt : tablasConTexto()) {
            QStringList asignaciones;
            for (const QString& c : tt.columnas) asignaciones << c + QStringLiteral("=?");
            const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3=?")
                                    .arg(QLatin1String(tt.tabla), asignaciones.join(QLatin1Char(',')), QLatin1String(tt.clave));
            const auto filas = textosDe(centro, tt);
            EXPECT_FALSE(filas.isEmpty()) << tt.tabla;
            for (auto it = filas.begin(); it != filas.end(); ++it) {
                QVariantList v;
                for (const QString& x : it.value()) v << QString(Raro + QLatin1Char(' ') + x);
                v << it.key();
                centro.Execute(sql, v);
            }
        }
        t.confirmar();
    }
    for (const TablaTextos& tt : tablasConTexto()) esperados.insert(QLatin1String(tt.tabla), textosDe(centro, tt));
    QStringList bajasAntes = leerFilas(centro, QStringLiteral("SELECT IDAlumno FROM Alumno_Baja"));

    // The plan goes through its file form, as `ncc plan` and `ncc cerrar`
    // pass it.
    host::Plan plan = host::planDesdeJson(host::planAJson(host::planPorDefecto(centro, 1)));
    host::encajarEnCentro(plan, centro, 1);
    QSet<qint64> bajas;
    for (const auto& s : *plan.arboles.secciones)
        for (const auto& a : *s->Alumnos()) {
            EXPECT_TRUE(a->Nombre().startsWith(Raro)) << a->Nombre().toStdString();
            if (s->Promocionada() && a->Baja()) bajas.insert(a->IDAlumno());
        }
    ASSERT_FALSE(bajas.isEmpty()) << "el plan por defecto no da ninguna baja";

    guion.responderA(2187, Respuesta::Si).responderA(710, Respuesta::Si);
    cIFunciones motor;
    motor.setColSecciones(plan.arboles.secciones);
    motor.setcolActividades(plan.arboles.actividades);
    motor.setNuevoCursoEscolar(Raro);
    motor.setProcesarSecciones(true);
    motor.setProcesarActividades(true);
    ASSERT_TRUE(motor.TransferirDatos()) << guion.textos().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(guion.sinPreguntasInesperadas()) << guion.inesperadas().join(QLatin1Char('\n')).toStdString();
    for (const auto& m : guion.mostrados())
        EXPECT_NE(m.mensaje.icono, Icono::Critico) << m.mensaje.texto.toStdString();

    // The new year's database: every row still there has its texts as they
    // were, byte for byte.
    Conexion nuevo(motor.estado().conNuevoCentro.ConnectionString());
    nuevo.Open();
    for (const TablaTextos& tt : tablasConTexto()) {
        const auto& antes = esperados[QLatin1String(tt.tabla)];
        const auto despues = textosDe(nuevo, tt);
        EXPECT_FALSE(despues.isEmpty()) << tt.tabla;
        for (auto it = despues.begin(); it != despues.end(); ++it) {
            ASSERT_TRUE(antes.contains(it.key())) << tt.tabla << " " << it.key();
            EXPECT_EQ(it.value(), antes.value(it.key())) << tt.tabla << " " << it.key();
        }
    }
    EXPECT_EQ(leerFilas(nuevo, QStringLiteral("SELECT Nombre FROM CursoEscolar")).value(0), Raro);
    EXPECT_EQ(leerFilas(s->sesion->appEntrada(),
                        QStringLiteral("SELECT Nombre FROM CursoEscolar WHERE IDCursoEscolar=%1")
                            .arg(motor.estado().lngIDNuevoCurso)),
              QStringList{Raro});

    // The archive of the closing year: each leaver with his texts and those
    // of his course, teaching type, address and province, unchanged.
    Conexion cerrado(muestra.cadena(QStringLiteral("A1C3")));
    cerrado.Open();
    const auto& alumnos = esperados[QStringLiteral("Alumno")];
    const auto& direcciones = esperados[QStringLiteral("Direccion")];
    const auto& provincias = esperados[QStringLiteral("Provincia")];
    const auto& cursos = esperados[QStringLiteral("Curso")];
    const auto& tipos = esperados[QStringLiteral("TipoEnsenanza")];
    QHash<qint64, QList<qint64>> codigos;  // student -> direccion, curso, tipo
    for (Recordset rs = cerrado.Abrir(QStringLiteral("SELECT IDAlumno, CodDireccion, CodCurso, CodTipoEnsenanza FROM Alumno"));
         !rs.eof(); rs.MoveNext())
        codigos.insert(rs.entero(QStringLiteral("IDAlumno")),
                       {rs.entero(QStringLiteral("CodDireccion")), rs.entero(QStringLiteral("CodCurso")),
                        rs.entero(QStringLiteral("CodTipoEnsenanza"))});
    QHash<qint64, qint64> provinciaDe;
    for (Recordset rs = cerrado.Abrir(QStringLiteral("SELECT IDDireccion, CodProvincia FROM Direccion")); !rs.eof(); rs.MoveNext())
        provinciaDe.insert(rs.entero(QStringLiteral("IDDireccion")), rs.entero(QStringLiteral("CodProvincia")));

    const auto textos = [](Recordset& rs, std::initializer_list<const char*> columnas) {
        QStringList v;
        for (const char* c : columnas) v << rs.texto(QLatin1String(c));
        return v;
    };
    int archivados = 0;
    for (Recordset rs = cerrado.Abrir(QStringLiteral(
             "SELECT IDAlumno, Matricula, Nombre, Apellido_1, Apellido_2, Curso, TipoEnsenanza, DNI, Direccion, "
             "Poblacion, Provincia, CodigoPostal, Telefono FROM Alumno_Baja"));
         !rs.eof(); rs.MoveNext()) {
        const qint64 id = rs.entero(QStringLiteral("IDAlumno"));
        if (bajasAntes.removeOne(QString::number(id))) continue;
        ++archivados;
        SCOPED_TRACE(id);
        ASSERT_TRUE(alumnos.contains(id));
        EXPECT_EQ(textos(rs, {"Nombre", "Apellido_1", "Apellido_2", "Matricula", "DNI"}), alumnos.value(id));
        const QList<qint64> c = codigos.value(id);
        ASSERT_EQ(c.size(), 3);
        EXPECT_EQ(textos(rs, {"Curso", "TipoEnsenanza"}), QStringList({cursos.value(c[1]).value(0), tipos.value(c[2]).value(0)}));
        const QStringList d = direcciones.value(c[0]);  // Direccion, Poblacion, CodigoPostal, Telefono
        if (!d.isEmpty()) {
            EXPECT_EQ(textos(rs, {"Direccion", "Poblacion", "CodigoPostal", "Telefono", "Provincia"}),
                      d + QStringList{provincias.value(provinciaDe.value(c[0])).value(0)});
        }
        EXPECT_TRUE(rs.texto(QStringLiteral("Nombre")).startsWith(Raro) &&
                    rs.texto(QStringLiteral("Curso")).startsWith(Raro));
    }
    EXPECT_GE(archivados, int(bajas.size()));
}

// A name of the new year that its rows cannot hold is refused before any
// question and before anything is copied, with its one message.
class NombreCurso : public ConEscuela {
protected:
    NombreCurso() {
        // A section left unpromoted with students: the run would ask first.
        auto s = std::make_shared<cCurso>();
        s->setIDSeccion(2);
        s->setVisible(true);
        s->setPromocionada(false);
        motor.ColSecciones()->Add(s, qint64(2));
        motor.setProcesarSecciones(true);
        motor.setProcesarActividades(true);
        guion.responderA(2187, Respuesta::Si);
    }

    void rechazado(const QString& nombre, const QString& mensaje) {
        SCOPED_TRACE(nombre.toStdString());
        const auto antes = escuela.instantaneas();
        guion.olvidarMostrados();
        motor.setNuevoCursoEscolar(nombre);
        EXPECT_FALSE(motor.TransferirDatos());
        ASSERT_EQ(guion.textos(), QStringList{mensaje});
        EXPECT_TRUE(escuela.sobrantes().isEmpty()) << escuela.sobrantes().join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(escuela.instantaneas(), antes);
    }

    cIFunciones motor;
};

// Blank, too long, already given to a year of the centre (the current one
// included) or holding control characters or terminal escapes: refused the
// same way; the width is counted in characters as the tables count them, so
// 50 characters outside the basic plane fit and 51 do not.
TEST_P(NombreCurso, EnBlancoLargoRepetidoOConCaracteresDeControlSeRechazaSinTocarNada) {
    const QString largo = QStringLiteral("El nombre del curso escolar no puede tener más de 50 caracteres");
    rechazado(QString(), Texto(1181));
    rechazado(QStringLiteral("   "), Texto(1181));
    rechazado(QStringLiteral(" \t\n "), Texto(1181));
    rechazado(QString(51, QLatin1Char('x')), largo);
    rechazado(QStringLiteral("Curso ") + QString(45, QChar(0x00D1)), largo);
    EXPECT_EQ(guion.ultimo().mensaje.icono, Icono::Critico);
    rechazado(QStringLiteral("2025/2026"),
              QStringLiteral("Ya hay un curso escolar llamado \"2025/2026\" en este centro. Elija otro nombre para el nuevo curso."));
    const QString control = QStringLiteral("El nombre del curso escolar no puede contener caracteres de control");
    rechazado(QStringLiteral("2026/2027\x1b[2J\x1b[H"), control);
    rechazado(QStringLiteral("2026/\r2027"), control);
    rechazado(QStringLiteral("2026/2027") + QChar(0x202E), control);

    QString emojis;
    for (int i = 0; i < 50; ++i) emojis += QString::fromUcs4(U"\U0001F393", 1);
    EXPECT_TRUE(ProblemaNombreCurso(emojis).isEmpty());
    EXPECT_FALSE(ProblemaNombreCurso(emojis + QString::fromUcs4(U"\U0001F393", 1)).isEmpty());
    // What the check lets through, the table takes.
    EscuelaPrueba::sql(escuela.centro(),
                       QStringLiteral("INSERT INTO CursoEscolar (IDCursoEscolar, Nombre, CodCentro, CodUsuario, Activa) "
                                      "VALUES (99, ?, 1, 1, 0)"),
                       {emojis});
}

NCC_AMBOS_FONDOS(TextosRaros);
NCC_AMBOS_FONDOS(NombreCurso);

}  // namespace
