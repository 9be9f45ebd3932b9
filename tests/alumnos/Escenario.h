#pragma once
// A closed year (2003/2004, id 7) and its copy for the new year, with the
// wizard's tree over them: the students and history steps run here one by
// one.
#include "PasoSobreEscuela.h"
#include <QStringList>

namespace ncc::pruebas {

// What the student page decided about a student.
enum class Decision { Promociona, Repite, Baja, SinAsignar, Nada };

class Escenario : public PasoSobreEscuela {
protected:
    Escenario() : PasoSobreEscuela(7, QStringLiteral("2003/2004")) { CierreParcial() = false; }
    ~Escenario() override { CierreParcial() = false; }

    // The back end's true, as the suite stores it.
    int T() const { return ctx.esServidor() ? 1 : -1; }

    static long long valor(Conexion& con, const QString& sql) {
        Recordset rs = con.Abrir(sql);
        return rs.eof() ? -999 : rs.campo(0).toLongLong();
    }

    std::shared_ptr<cCurso> seccion(qint16 id, bool promocionada = true) {
        auto s = std::make_shared<cCurso>();
        s->setIDSeccion(id);
        s->setPromocionada(promocionada);
        s->setVisible(true);
        e.ColSecciones->Add(s, id);
        return s;
    }

    // A student of section `s` at the next place of its list.
    std::shared_ptr<cAlumno> alumno(const std::shared_ptr<cCurso>& s, qint32 id, Decision d, quint8 tipo = 3,
                                    quint8 ntipo = 3, qint16 nseccion = 0) {
        auto a = std::make_shared<cAlumno>();
        a->setIDAlumno(id);
        a->setIDSeccion(s->IDSeccion());
        a->setIDTipoEnsenanza(tipo);
        a->setIDCurso(1);
        a->setNIDTipoEnsenanza(ntipo);
        a->setNIDCurso(2);
        a->setNIDSeccion(nseccion);
        a->setPromociona(d == Decision::Promociona);
        a->setRepite(d == Decision::Repite);
        a->setBaja(d == Decision::Baja);
        a->setSinAsignar(d == Decision::SinAsignar);
        a->setOrden(quint8(s->Alumnos()->Count() + 1));
        s->Alumnos()->Add(a, id);
        return a;
    }

    void alumnoEnBases(qint32 id, int seccion, int anticipado = 0, const QString& apellido = QStringLiteral("A")) {
        ambas(QStringLiteral("INSERT INTO Alumno (IDAlumno, Nombre, Apellido_1, Apellido_2, CodTipoEnsenanza, "
                             "CodCurso, CodSeccion, Repetidor, Anticipado, CodFamilia, CodDireccion) VALUES "
                             "(%1, 'N', '%2', '', 3, 1, %3, 0, %4, %5, %6)")
                  .arg(id)
                  .arg(apellido)
                  .arg(seccion)
                  .arg(anticipado)
                  .arg(id * 10)
                  .arg(id * 100));
    }

    QStringList errores() const { return guion.textos(); }
};

}  // namespace ncc::pruebas
