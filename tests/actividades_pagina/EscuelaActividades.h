#pragma once
// A small school for the activity pages, on both back ends: two teaching
// types with three courses, four sections, three student types, students
// whose surnames sort differently in Spanish and byte by byte, one who left,
// and three activities (dated, undated, and on the 29th of February), the
// first two with general prices by student type.
#include "Lectura.h"
#include "EscuelaPrueba.h"
#include "entry/cAlumno.h"
#include "entry/cCurso.h"
#include "platform/Reloj.h"
#include <QStringList>

namespace ncc::pruebas {

class EscuelaActividades : public ConEscuela {
protected:
    EscuelaActividades() {
        Reloj::fijarHoy(QDate(2026, 6, 20));
        auto& c = escuela.centro();
        const QStringList filasFijas = {
            "INSERT INTO TipoEnsenanza (IDTipoEnsenanza, Nombre, Orden) VALUES (1, 'Primaria', 1), (2, 'ESO', 2)",
            "INSERT INTO Centro_TipoEnsenanza (CodCentro, CodTipoEnsenanza) VALUES (1, 1), (1, 2)",
            "INSERT INTO Curso (IDCurso, Descripcion, CodTipoEnsenanza, Orden, Promocion) VALUES (21, '1º', 2, 1, 0), "
            "(12, '2º', 1, 2, 0), (11, '1º', 1, 1, 0)",
            "INSERT INTO Seccion (IDSeccion, Descripcion, CodCurso, NumPlazas) VALUES (101, 'A', 11, 25), (102, 'B', 11, 25), "
            "(201, 'A', 12, 25), (301, 'A', 21, 25)",
            "INSERT INTO TipoAlumno (IDTipoAlumno, Descripcion) VALUES (1, 'Ordinario'), (2, 'Becado'), (3, 'Familia numerosa')",
            "INSERT INTO Actividad (IDActividad, Nombre, TipoActividad, FechaInicio, FechaFin) VALUES "
            "(1, 'Comedor', 0, '2001/09/15', '2002/06/30'), (2, 'Coro', 2, NULL, '2026/05/30'), "
            "(3, 'Excursión', 1, '2024/02/29', '2024/02/29')",
            "INSERT INTO Actividad_TipoAlumno (CodActividad, CodTipoAlumno, PrecioGeneralEuro, PrecioGeneralPta) VALUES "
            "(1, 1, '5', '832'), (1, 2, '9', '1497'), (2, 1, '3', '499')",
        };
        for (const QString& s : filasFijas) EscuelaPrueba::sql(c, s);
        // id, name, surnames, section, course, type of teaching, student type
        alumno(1, "Ana", "Zamora", "Ruiz", 101, 11, 1, 1);
        alumno(2, "Íñigo", "Álvarez", "Sanz", 101, 11, 1, 2);
        alumno(3, "Pedro", "Nuto", "Gil", 102, 11, 1, 1);
        alumno(4, "Luis", "Nuñez", "Gil", 201, 12, 1, 2);
        alumno(5, "Marta", "Baja", "Sola", 301, 21, 2, 3, "2026/01/10");
        alumno(6, "Eva", "Sin", "Sección", 0, 0, 0, 1);
        for (int a : {1, 2, 3, 4, 5, 6}) miembro(1, a, "123,5", "20548");
        for (int a : {1, 3}) miembro(2, a, "", "");
        miembro(3, 4, "12", "1997");
    }
    ~EscuelaActividades() override { Reloj::fijarHoy(QDate()); }

    Conexion& centro() { return escuela.centro(); }

    void alumno(int id, const char* nombre, const char* ap1, const char* ap2, int seccion, int curso, int tipo,
                int tipoAlumno, const char* baja = nullptr) {
        EscuelaPrueba::sql(centro(),
                           QStringLiteral("INSERT INTO Alumno (IDAlumno, Nombre, Apellido_1, Apellido_2, CodSeccion, "
                                          "CodCurso, CodTipoEnsenanza, CodTipoAlumno, FechaBaja, OrdenSeccion) "
                                          "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                           {id, QString::fromUtf8(nombre), QString::fromUtf8(ap1), QString::fromUtf8(ap2),
                            seccion ? QVariant(seccion) : QVariant(), curso ? QVariant(curso) : QVariant(),
                            tipo ? QVariant(tipo) : QVariant(), tipoAlumno,
                            baja ? QVariant(QString::fromLatin1(baja)) : QVariant(QMetaType(QMetaType::QString)), id});
        if (seccion)
            EscuelaPrueba::sql(centro(), QStringLiteral("INSERT INTO Seccion_Alumno (CodSeccion, CodAlumno) VALUES (?, ?)"),
                               {seccion, id});
    }
    void miembro(int actividad, int alumno, const char* euros, const char* pesetas) {
        EscuelaPrueba::sql(centro(),
                           QStringLiteral("INSERT INTO Alumno_Actividad_Miembro (CodActividad, CodAlumno, PrecioEuros, "
                                          "PrecioPesetas) VALUES (?, ?, ?, ?)"),
                           {actividad, alumno, QString::fromUtf8(euros), QString::fromUtf8(pesetas)});
    }

    QStringList filas(const QString& sql) { return leerFilas(centro(), sql); }

    // The student page's sections as it leaves them once section `id` is
    // promoted: each student given (destination section, leaves).
    struct Decision {
        qint32 alumno;
        qint16 seccionDestino;
        bool baja;
    };
    std::shared_ptr<cCurso> seccionPromocionada(qint16 id, const QList<Decision>& decisiones) {
        auto s = std::make_shared<cCurso>();
        s->setIDSeccion(id);
        s->setPromocionada(true);
        for (const Decision& d : decisiones) {
            auto a = std::make_shared<cAlumno>();
            a->setIDAlumno(d.alumno);
            a->setIDSeccion(id);
            a->setBaja(d.baja);
            a->setPromociona(!d.baja);
            if (!d.baja) {
                a->setNIDTipoEnsenanza(1);
                a->setNIDCurso(12);
                a->setNIDSeccion(d.seccionDestino);
                a->setNTipoEnsenanza(QStringLiteral("Primaria"));
                a->setNCurso(QStringLiteral("2º"));
                a->setNSeccion(QStringLiteral("A"));
            }
            s->Alumnos()->Add(a, d.alumno);
        }
        secciones->Add(s, id);
        return s;
    }

    std::shared_ptr<Coleccion<cCurso>> secciones = std::make_shared<Coleccion<cCurso>>();
};

}  // namespace ncc::pruebas
