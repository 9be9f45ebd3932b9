// The historic school-year chooser on the sample school, driven through its
// widgets: the order in which its lists open, the host's nodes that open
// it, the edit lock, and the new user historic year.
#include "Historicos.h"
#include "history/BloqueoHistorico.h"
#include "history/Nodos.h"
#include "history/frmHistoricoCurso.h"

using namespace ncc;
using namespace ncc::pruebas;

namespace {

class Selector : public testing::TestWithParam<Proveedor> {
protected:
    Selector() : ctx(GetParam()), escuela(ctx) { instalado = std::make_unique<ServicioMensajesInstalado>(guion); }
    ~Selector() override { instalado.reset(); }

    long long bloqueos(const QString& donde = QString()) {
        return contar(escuela.centro(), QStringLiteral("SELECT COUNT(*) FROM bloqueohistorico") + donde);
    }
    // Year, teaching type and course of the sample school: the first
    // application historic year, secondary education, its first course.
    void elegirCurso(frmHistoricoCurso& f) {
        elegir(hijo<QComboBox>(&f, "cboCursoEscolar"), QStringLiteral("2023/2024"));
        elegir(hijo<QComboBox>(&f, "cboTipoEnsenanza"), u8("Educación Secundaria Obligatoria"));
        hijo<QComboBox>(&f, "cboCurso")->setCurrentIndex(0);
    }
    // The lock of the course chosen in `f`, left by `usuario`.
    void bloqueoDe(const frmHistoricoCurso& f, int usuario) {
        EscuelaPrueba::sql(escuela.centro(), QStringLiteral("INSERT INTO bloqueohistorico VALUES (%1,%2,%3,%4)")
                                                 .arg(f.intCursoEscHistorico())
                                                 .arg(f.intTipoEnsenanza())
                                                 .arg(f.intCurso())
                                                 .arg(usuario));
    }

    ContextoBD ctx;
    EscuelaMuestra escuela;
    MensajesConVistazo guion;
    std::unique_ptr<ServicioMensajesInstalado> instalado;
};

TEST_P(Selector, LasListasSeAbrenEnOrdenYOtroCursoVaciaLosCursos) {
    frmHistoricoCurso f;
    auto* anio = hijo<QComboBox>(&f, "cboCursoEscolar");
    auto* tipo = hijo<QComboBox>(&f, "cboTipoEnsenanza");
    auto* curso = hijo<QComboBox>(&f, "cboCurso");
    auto* siguiente = hijo<QPushButton>(&f, "cmdSiguiente");
    auto* clase = hijo<QLabel>(&f, "lblTipoHistorico");
    EXPECT_EQ(enFila({f.windowTitle(), hijo<QLabel>(&f, "lblCursoEscolar")->text(), siguiente->text()}),
              u8("Editor de Cursos Históricos|Curso Escolar Histórico|&Siguiente >"));

    // The sample school's three historic years, nothing chosen yet.
    EXPECT_EQ(enFila({anio->count(), anio->itemText(2), anio->currentIndex(), curso->isEnabled(),
                      siguiente->isEnabled(), f.bytCursoElegido()}),
              "3|Expedientes de traslado|-1|false|false|0");

    elegir(anio, QStringLiteral("2024/2025"));
    // Every teaching type but infant education, in the school's order.
    EXPECT_EQ(enFila({f.intCursoEscHistorico(), f.bytCursoElegido(), clase->text(),
                      tipo->findText(u8("Educación Infantil")), tipo->itemText(0), tipo->itemText(1),
                      tipo->currentIndex(), curso->isEnabled(), siguiente->isEnabled()}),
              u8("2|1|Histórico de la Aplicación|-1|Educación Primaria|Educación Secundaria Obligatoria|"
                 "-1|false|false"));

    elegir(tipo, u8("Educación Secundaria Obligatoria"));
    EXPECT_EQ(enFila({f.intTipoEnsenanza(), f.strTipoEnsenanza(), curso->isEnabled(), curso->currentIndex(),
                      siguiente->isEnabled()}),
              u8("3|Educación Secundaria Obligatoria|true|-1|false"));
    EXPECT_GE(curso->count(), 4);

    curso->setCurrentIndex(1);
    EXPECT_EQ(enFila({siguiente->isEnabled(), f.strCurso(), f.intCurso()}),
              enFila({true, curso->itemText(1), curso->itemData(1).toInt()}));

    // Another year: the user historic year says so, and the course list
    // is emptied and closed until a type is chosen again.
    elegir(anio, QStringLiteral("Expedientes de traslado"));
    EXPECT_EQ(enFila({clase->text(), curso->count(), curso->isEnabled(), siguiente->isEnabled(), tipo->currentIndex(),
                      f.bytCursoElegido()}),
              u8("Histórico del Usuario|0|false|false|-1|1"));

    // The host's nodes 2 and 3 open the chooser and the grade transfer.
    historicos::InstalarNodosHistoricos();
    QStringList abiertos;
    auto cerrar = [&](QDialog& d) {
        abiertos << d.windowTitle();
        d.reject();
    };
    alAbrirse(QStringLiteral("frmHistoricoCurso"), cerrar);
    escuela.sesion->entrada->ActivarFormulario(2);
    alAbrirse(QStringLiteral("frmHistorico"), cerrar);
    escuela.sesion->entrada->ActivarFormulario(3);
    EXPECT_EQ(abiertos, (QStringList{u8("Editor de Cursos Históricos"), u8("Paso de notas a curso escolar histórico")}));
    EXPECT_TRUE(guion.mostrados().isEmpty()) << guion.textos().join(QLatin1Char('\n')).toStdString();
}

TEST_P(Selector, SiguienteTomaElBloqueoMientrasSeEditaYLoSueltaAlVolver) {
    frmHistoricoCurso f;
    elegirCurso(f);
    long long durante = -1;
    int usuario = -2;
    bool listar = false;
    alAbrirse(QStringLiteral("frmEditarHistorico"), [&](QDialog& d) {
        durante = bloqueos();
        usuario = historicos::TitularBloqueo(escuela.centro(), f.intCursoEscHistorico(), f.intTipoEnsenanza(), f.intCurso());
        listar = hijo<QPushButton>(&d, "cmdListarMateria")->isEnabled();
        hijo<QPushButton>(&d, "cmdCancelar")->click();
    });
    hijo<QPushButton>(&f, "cmdSiguiente")->click();
    // While the editor is open, the lock is the user's; afterwards it is
    // gone and the chooser is still open.
    EXPECT_EQ(enFila({durante, usuario, listar, bloqueos(), f.blnSoloLectura(), f.bloqueoTomado()}),
              "1|1|true|0|false|false");
    EXPECT_TRUE(guion.mostrados().isEmpty()) << guion.textos().join(QLatin1Char('\n')).toStdString();
}

TEST_P(Selector, ElBloqueoDeOtroUsuarioDejaSoloLectura) {
    frmHistoricoCurso f;
    elegirCurso(f);
    bloqueoDe(f, 2);
    bool soloLecturaDurante = false;
    alAbrirse(QStringLiteral("frmEditarHistorico"), [&](QDialog& d) {
        soloLecturaDurante = f.blnSoloLectura() && !hijo<QPushButton>(&d, "cmdListarMateria")->isEnabled();
        hijo<QPushButton>(&d, "cmdCancelar")->click();
    });
    hijo<QPushButton>(&f, "cmdSiguiente")->click();
    ASSERT_GE(guion.mostrados().size(), 1);
    const MensajeMostrado aviso = guion.mostrados().first();
    // The other user's lock stays, and nobody took another one.
    EXPECT_EQ(enFila({aviso.mensaje.texto, aviso.mensaje.icono, aviso.conPitido, soloLecturaDurante,
                      guion.sinPreguntasInesperadas(), bloqueos(), bloqueos(QStringLiteral(" WHERE codusuario=2"))}),
              enFila({Texto(6051), Icono::Informacion, true, true, true, 1, 1}));
}

TEST_P(Selector, ElBloqueoPropioQuedadoSeLiberaSoloSiElUsuarioLoPide) {
    frmHistoricoCurso f;
    elegirCurso(f);
    bloqueoDe(f, 1);
    // No, the default: read-only, as before, and the row stays.
    guion.responder(Respuesta::No);
    alAbrirse(QStringLiteral("frmEditarHistorico"), [&](QDialog& d) { hijo<QPushButton>(&d, "cmdCancelar")->click(); });
    hijo<QPushButton>(&f, "cmdSiguiente")->click();
    ASSERT_GE(guion.mostrados().size(), 2);
    const Mensaje pregunta = guion.mostrados().at(0).mensaje;
    EXPECT_EQ(enFila({pregunta.botones, pregunta.defecto, pregunta.texto.contains(QStringLiteral("2023/2024")),
                      pregunta.texto.contains(f.strCurso()), guion.mostrados().at(1).mensaje.texto,
                      bloqueos(QStringLiteral(" WHERE codusuario=1"))}),
              enFila({Botones::SiNo, Respuesta::No, true, true, Texto(6051), 1}))
        << pregunta.texto.toStdString();

    // Yes: the stale row goes, the lock is taken afresh for the editor and
    // released after it.
    guion.olvidarMostrados();
    guion.responder(Respuesta::Si);
    long long durante = -1;
    alAbrirse(QStringLiteral("frmEditarHistorico"), [&](QDialog& d) {
        durante = bloqueos(QStringLiteral(" WHERE codusuario=1"));
        hijo<QPushButton>(&d, "cmdCancelar")->click();
    });
    hijo<QPushButton>(&f, "cmdSiguiente")->click();
    EXPECT_EQ(enFila({guion.textos().contains(Texto(6051)), durante, bloqueos(), guion.sinPreguntasInesperadas()}),
              "false|1|0|true");
}

TEST_P(Selector, ElBloqueoEsDeUnCursoYDeUnEditor) {
    // Two users through two connections: the second finds the first one's
    // lock of course 5, and takes course 6 of the same teaching type.
    Conexion otra(escuela.centro().ConnectionString());
    otra.Open();
    auto curso = [](qint16 c) {
        historicos::CursoHistoricoElegido e;
        e.intCursoEscHistorico = 1;
        e.intTipoEnsenanza = 3;
        e.intCurso = c;
        return e;
    };
    historicos::CursoHistoricoElegido a = curso(5), b = curso(5), c = curso(6);
    historicos::TomarBloqueo(escuela.centro(), a, 1);
    historicos::TomarBloqueo(otra, b, 2);
    historicos::TomarBloqueo(otra, c, 2);
    EXPECT_EQ(enFila({a.blnSoloLectura, b.blnSoloLectura, c.blnSoloLectura, bloqueos()}), "false|true|false|2");
    // The read-only one deletes nothing when it leaves; the owners do.
    historicos::LiberarBloqueo(otra, b, 2);
    EXPECT_EQ(bloqueos(), 2);
    historicos::LiberarBloqueo(escuela.centro(), a, 1);
    historicos::LiberarBloqueo(otra, c, 2);
    EXPECT_EQ(bloqueos(), 0);
}

TEST_P(Selector, UnSegundoEditorDelMismoCursoSoloLeeYNoSueltaElBloqueoDelPrimero) {
    // The same user opens the course again while his first editor edits
    // it: no release is offered (Yes would be the answer), the second
    // editor only reads, and leaving it keeps the first one's lock.
    guion.responder(Respuesta::Si);
    frmHistoricoCurso primero, segundo;
    elegirCurso(primero);
    elegirCurso(segundo);
    bool segundoSoloLee = false;
    long long trasElSegundo = -1;
    alAbrirse(QStringLiteral("frmEditarHistorico"), [&](QDialog& d) {
        alAbrirse(QStringLiteral("frmEditarHistorico"), [&](QDialog& d2) {
            segundoSoloLee = &d2 != &d && !hijo<QPushButton>(&d2, "cmdListarMateria")->isEnabled();
            hijo<QPushButton>(&d2, "cmdCancelar")->click();
        });
        hijo<QPushButton>(&segundo, "cmdSiguiente")->click();
        trasElSegundo = bloqueos();
        hijo<QPushButton>(&d, "cmdCancelar")->click();
    });
    hijo<QPushButton>(&primero, "cmdSiguiente")->click();
    EXPECT_EQ(enFila({segundoSoloLee, trasElSegundo, guion.textos().join('/'), bloqueos()}),
              enFila({true, 1, Texto(6051), 0}));
}

TEST_P(Selector, NuevoCursoDelUsuarioConApostrofoQuedaElegido) {
    frmHistoricoCurso f;
    const QString nombre = QStringLiteral("Traslados d'O Grove");
    QStringList avisos;
    alAbrirse(QStringLiteral("frmNCursoEscolar"), [&](QDialog& d) {
        EXPECT_EQ(enFila({d.windowTitle(), hijo<QLabel>(&d, "lblCurso")->text()}),
                  u8("Nuevo Curso Escolar Histórico|Nombre del Curso Escolar:"));
        auto* texto = hijo<QLineEdit>(&d, "txtCurso");
        auto* aceptar = hijo<QPushButton>(&d, "cmdAceptar");
        // Blank, and then too long: the dialog says so and stays.
        texto->setText(QStringLiteral("   "));
        aceptar->click();
        texto->setText(QString(51, QLatin1Char('x')));
        aceptar->click();
        avisos = guion.textos();
        EXPECT_TRUE(d.isVisible());
        texto->setText(nombre);
        aceptar->click();
    });
    hijo<QPushButton>(&f, "cmdNuevoCurso")->click();
    ASSERT_EQ(avisos.size(), 2);
    EXPECT_EQ(avisos.at(0), u8("Introduzca un nombre de curso histórico"));
    EXPECT_TRUE(avisos.at(1).contains(QStringLiteral("50"))) << avisos.at(1).toStdString();

    EXPECT_EQ(leerFilas(escuela.centro(), QStringLiteral("SELECT IDCursoEscolarHistorico, Nombre, HistoricoAplicacion "
                                                         "FROM CursoEscolarHistorico WHERE IDCursoEscolarHistorico>3")),
              QStringList{QStringLiteral("4|%1|0").arg(nombre)});
    // Chosen in the chooser, whose type lists are open for it.
    EXPECT_EQ(enFila({hijo<QComboBox>(&f, "cboCursoEscolar")->currentText(), f.intCursoEscHistorico(),
                      hijo<QLabel>(&f, "lblTipoHistorico")->text(),
                      hijo<QComboBox>(&f, "cboTipoEnsenanza")->count() > 0}),
              enFila({nombre, 4, u8("Histórico del Usuario"), true}));
}

NCC_AMBOS_FONDOS(Selector);

}  // namespace
