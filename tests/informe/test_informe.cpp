// The closing report of the sample school, on both back ends: its rows
// against the new year's databases, a decision the databases do not show
// carried out, the file where the school keeps it, and texts that would be
// markup.
#include "cierre/Muestra.h"
#include "host/InformeCierre.h"
#include "host/InformeDebido.h"
#include "host/InformePdf.h"
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <sys/file.h>

using namespace ncc;
using namespace ncc::pruebas;

namespace {

// The engine and the session go before the school (members go before the
// base's clean-up).
class InformeCierre : public ConMuestra {
protected:
    // Closes the sample school with the default plan, one promoted student
    // renamed with characters of HTML beforehand; answers that student.
    qint32 cerrar() {
        muestra = crearMuestra(ctx, QStringLiteral("informe"), 120);
        sesion = std::make_unique<SesionAbierta>(muestra);
        host::Plan plan = sesion->planPorDefecto();
        qint32 raro = 0;
        for (const auto& s : *plan.arboles.secciones)
            for (const auto& a : *s->Alumnos())
                if (!raro && s->Promocionada() && a->Promociona() && a->NIDSeccion() != 0) raro = a->IDAlumno();
        EXPECT_NE(raro, 0);
        // Another promoted student left without a destination, when asked.
        if (conSinAsignar)
            for (const auto& s : *plan.arboles.secciones)
                for (const auto& a : *s->Alumnos())
                    if (s->Promocionada() && a->Promociona() && a->IDAlumno() != raro && !a->SinAsignar() && !sinAsignar) {
                        a->setSinAsignar(true);
                        sinAsignar = a->IDAlumno();
                    }
        EscuelaPrueba::sql(sesion->sesion->centro(), QStringLiteral("UPDATE Alumno SET Nombre=?, Apellido_1=?, Apellido_2=NULL WHERE IDAlumno=%1").arg(raro),
                           {QStringLiteral("Ana <b>"), QStringLiteral("Pérez & Cía")});
        guion.responderA(2187, Respuesta::Si).responderA(710, Respuesta::Si).responderA(2191, Respuesta::Si);
        antes = host::ResumenCierre::leerAntes(*ConfiguracionActual(), plan.arboles);
        motor = std::make_unique<cIFunciones>();
        prepararMotor(*motor, plan, &barra);
        EXPECT_TRUE(motor->TransferirDatos()) << guion.textos().join(QLatin1Char('\n')).toStdString();
        return raro;
    }
    const motor::EstadoMotor& estado() const { return motor->estado(); }
    Conexion& nuevo() { return const_cast<Conexion&>(estado().conNuevoCentro); }

    MensajesGuion guion;
    ServicioMensajesInstalado instalado{guion};
    std::unique_ptr<SesionAbierta> sesion;
    std::unique_ptr<cIFunciones> motor;
    ProgresoEnMemoria barra;
    host::ResumenCierre antes;
    bool conSinAsignar = false;
    qint32 sinAsignar = 0;
};

// Every text the report draws, page after page.
QStringList textos(const host::DatosInforme& d) {
    QStringList todos;
    for (const QStringList& pagina : host::textosInforme(d)) todos += pagina;
    return todos;
}

// Sections of the new year by id, as the report names them.
QHash<qint64, QString> nombresSecciones(Conexion& con) {
    QHash<qint64, QString> n;
    for (Recordset rs = con.Abrir(QStringLiteral(
             "SELECT Seccion.IDSeccion, Seccion.Descripcion AS S, Curso.Descripcion AS C, TipoEnsenanza.Nombre AS T FROM Seccion "
             "INNER JOIN Curso ON Curso.IDCurso=Seccion.CodCurso INNER JOIN TipoEnsenanza ON "
             "TipoEnsenanza.IDTipoEnsenanza=Curso.CodTipoEnsenanza"));
         !rs.eof(); rs.MoveNext())
        n.insert(rs.entero(QStringLiteral("IDSeccion")),
                 rs.texto(QStringLiteral("T")) + QLatin1Char(' ') + rs.texto(QStringLiteral("C")) + QLatin1Char(' ') +
                     rs.texto(QStringLiteral("S")));
    return n;
}

TEST_P(InformeCierre, LasFilasDeCadaSeccionSonLasDeLaBaseNuevaYUnaDecisionNoHechaSeVe) {
    // A promoted student left without a destination leaves: he counts so.
    conSinAsignar = true;
    const qint32 raro = cerrar();
    ASSERT_FALSE(HasFailure());
    ASSERT_NE(sinAsignar, 0);
    Conexion& viejo = sesion->sesion->centro();
    const host::DatosInforme d = host::leerInforme(estado(), false);
    EXPECT_TRUE(d.diferencias.isEmpty()) << d.diferencias.first().nombre.toStdString() << ": "
                                         << d.diferencias.first().hecho.toStdString();
    EXPECT_EQ(enFila({d.centro, d.cursoCerrado, d.cursoNuevo, d.usuario}),
              sesion->sesion->NombreCentro() + QStringLiteral("|2025/2026|2026/2027|Secretaría"));

    // Every student of the closed year (but those enrolled beforehand) is in
    // the section he was in, as the new year's database has him.
    QHash<qint64, qint64> seccionAntes;
    for (Recordset rs = viejo.Abrir(QStringLiteral("SELECT IDAlumno, CodSeccion FROM Alumno WHERE Anticipado=0")); !rs.eof(); rs.MoveNext())
        seccionAntes.insert(rs.entero(QStringLiteral("IDAlumno")), rs.entero(QStringLiteral("CodSeccion")));
    const QHash<qint64, QString> secciones = nombresSecciones(nuevo());
    QHash<qint64, QString> promocionan, repiten;
    for (Recordset rs = nuevo().Abrir(QStringLiteral("SELECT IDAlumno, CodSeccion, Repetidor FROM Alumno")); !rs.eof(); rs.MoveNext()) {
        const qint64 id = rs.entero(QStringLiteral("IDAlumno"));
        if (!seccionAntes.contains(id)) continue;
        (rs.entero(QStringLiteral("Repetidor")) ? repiten : promocionan).insert(id, secciones.value(rs.entero(QStringLiteral("CodSeccion"))));
    }
    QHash<qint64, QString> vistosP, vistosR;
    QSet<qint64> vistosB;
    long filas = 0;
    for (const host::SeccionInforme& s : d.secciones) {
        for (const auto& a : s.promocionan) {
            EXPECT_EQ(seccionAntes.value(a.id), s.id) << a.id;
            vistosP.insert(a.id, a.detalle);
        }
        for (const auto& a : s.repiten) {
            EXPECT_EQ(seccionAntes.value(a.id), s.id) << a.id;
            vistosR.insert(a.id, a.detalle);
        }
        for (const auto& a : s.bajas) {
            EXPECT_EQ(seccionAntes.value(a.id), s.id) << a.id;
            // The date of the archive; a leaver it cannot describe (no
            // section) is said not archived.
            EXPECT_TRUE(QDate::fromString(a.detalle, QStringLiteral("dd/MM/yyyy")).isValid() ||
                        (a.detalle == QStringLiteral("sin archivar") && s.id == 0))
                << a.detalle.toStdString();
            vistosB.insert(a.id);
        }
        filas += s.promocionan.size() + s.repiten.size() + s.bajas.size();
    }
    EXPECT_EQ(QList({vistosP, vistosR}), QList({promocionan, repiten}));
    QSet<qint64> seFueron;
    for (auto it = seccionAntes.cbegin(); it != seccionAntes.cend(); ++it)
        if (!promocionan.contains(it.key()) && !repiten.contains(it.key())) seFueron.insert(it.key());
    EXPECT_EQ(vistosB, seFueron);
    EXPECT_EQ(filas, seccionAntes.size());
    ASSERT_FALSE(promocionan.isEmpty() || repiten.isEmpty() || seFueron.isEmpty());
    // The totals are the summary's, which the command line prints from
    // figures taken before the run: the report reads them afterwards alone,
    // when the run has taken the unassigned student out of his section.
    const host::ResumenCierre r = antes.completar(estado());
    EXPECT_EQ(d.resumen.texto(0), r.texto(0)) << d.resumen.texto(0).toStdString() << r.texto(0).toStdString();
    long notas = 0;
    for (const auto& h : d.historico) notas += h.notas + h.pendientes;
    EXPECT_EQ(enFila({d.resumen.promocionan, d.resumen.repiten, d.resumen.filasHistorico > 0,
                      d.resumen.filasHistorico}),
              enFila({promocionan.size(), repiten.size(), true, notas}));
    // Activities: the members of each are the rows of the new year.
    ASSERT_FALSE(d.actividades.isEmpty());
    for (const auto& a : d.actividades)
        EXPECT_EQ(a.miembros.size(),
                  contar(nuevo(), QStringLiteral("SELECT COUNT(*) FROM Alumno_Actividad_Miembro WHERE CodActividad=%1").arg(a.id)));

    // Names that would be markup are drawn as they are.
    EXPECT_TRUE(textos(d).contains(QStringLiteral("Pérez & Cía, Ana <b>")));

    // A promoted student whom the new year lost, and another placed in a
    // section of his course other than his: decided, not done.
    EscuelaPrueba::sql(nuevo(), QStringLiteral("DELETE FROM Alumno WHERE IDAlumno=%1").arg(raro));
    EscuelaPrueba::sql(nuevo(), QStringLiteral("DELETE FROM Alumno_Actividad_Miembro WHERE CodAlumno=%1").arg(raro));
    QList<qint64> otros = promocionan.keys();
    std::sort(otros.begin(), otros.end());
    const qint64 otro = otros.first() != raro ? otros.first() : otros.last();
    EscuelaPrueba::sql(nuevo(), QStringLiteral("INSERT INTO Seccion (IDSeccion, Descripcion, CodCurso, NumPlazas) SELECT "
                                               "999, 'Z', CodCurso, 25 FROM Alumno WHERE IDAlumno=%1").arg(otro));
    EscuelaPrueba::sql(nuevo(), QStringLiteral("UPDATE Alumno SET CodSeccion=999 WHERE IDAlumno=%1").arg(otro));
    const host::DatosInforme despues = host::leerInforme(estado(), false);
    ASSERT_EQ(despues.diferencias.size(), 2);
    const bool primeroPerdido = despues.diferencias.first().hecho == QStringLiteral("No está en el nuevo curso");
    const host::DiferenciaInforme& x = despues.diferencias.at(primeroPerdido ? 0 : 1);
    const host::DiferenciaInforme& y = despues.diferencias.at(primeroPerdido ? 1 : 0);
    EXPECT_EQ(y.decidido, QStringLiteral("Promociona a ") + promocionan.value(otro));
    EXPECT_TRUE(y.hecho.endsWith(QStringLiteral(" Z"))) << y.hecho.toStdString();
    EXPECT_EQ(enFila({x.nombre, x.ambito, x.decidido, x.hecho}),
              enFila({QStringLiteral("Pérez & Cía, Ana <b>"), nombresSecciones(viejo).value(seccionAntes.value(raro)),
                      QStringLiteral("Promociona a ") + promocionan.value(raro), QStringLiteral("No está en el nuevo curso")}));
    // ... and the section lists him among those who left, not archived.
    bool comoBaja = false;
    for (const auto& s : despues.secciones)
        for (const auto& a : s.bajas)
            if (a.id == raro) comoBaja = a.detalle == QStringLiteral("sin archivar");
    EXPECT_TRUE(comoBaja);
    EXPECT_TRUE(textos(despues).contains(QStringLiteral("Diferencias entre lo decidido y lo hecho")));
}

TEST_P(InformeCierre, ElPdfQuedaJuntoALaEntradaOEnDocumentosYNoPisaOtroCierre) {
    cerrar();
    ASSERT_FALSE(HasFailure());
    const QString carpeta = muestra.esServidor() ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                                                 : QFileInfo(muestra.real(QStringLiteral("AppEntrada"))).absolutePath();
    // The tests' documents folder is their own, never the home folder's.
    if (muestra.esServidor()) {
        EXPECT_TRUE(carpeta.contains(QStringLiteral("ncc-pruebas-usuario"))) << carpeta.toStdString();
    }
    EXPECT_EQ(host::carpetaInforme(estado()), QFileInfo(carpeta).absoluteFilePath());
    const QDir d(carpeta);
    for (const QString& f : d.entryList({QStringLiteral("*ierre 2025-2026*")}, QDir::Files | QDir::System | QDir::Hidden))
        QFile::remove(d.filePath(f));

    // A link with a report's name is never written through: one to a file
    // of someone else's, one to nowhere (the file would appear there).
    QTemporaryDir fuera;
    const QString ajeno = fuera.filePath(QStringLiteral("ajeno.pdf")), nada = fuera.filePath(QStringLiteral("nada.pdf"));
    {
        QFile f(ajeno);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("de otro");
    }
    ASSERT_TRUE(QDir().mkpath(carpeta));
    ASSERT_TRUE(QFile::link(ajeno, d.filePath(QStringLiteral("Ensayo cierre 2025-2026.pdf"))));
    ASSERT_TRUE(QFile::link(nada, d.filePath(QStringLiteral("Cierre 2025-2026.pdf"))));

    const QString ruta = host::escribirInformeCierre(estado(), false);
    EXPECT_EQ(ruta, d.filePath(QStringLiteral("Cierre 2025-2026 (2).pdf")));
    const QByteArray pdf = bytesDe(ruta);
    EXPECT_TRUE(pdf.startsWith("%PDF-") && pdf.size() > 5000) << pdf.left(16).toStdString() << " " << pdf.size();
    // The school keeps every real closing's report; a rehearsal's replaces
    // the previous rehearsal's.
    EXPECT_EQ(host::escribirInformeCierre(estado(), false), d.filePath(QStringLiteral("Cierre 2025-2026 (3).pdf")));
    const QString ensayo = host::escribirInformeCierre(estado(), true);
    EXPECT_EQ(ensayo, d.filePath(QStringLiteral("Ensayo cierre 2025-2026 (2).pdf")));
    EXPECT_EQ(host::escribirInformeCierre(estado(), true), ensayo);
    EXPECT_EQ(bytesDe(ruta), pdf);
    EXPECT_EQ(enFila({bytesDe(ajeno), QFileInfo::exists(nada),
                      QFileInfo(d.filePath(QStringLiteral("Cierre 2025-2026.pdf"))).isSymLink()}),
              "de otro|false|true");
    // Nothing else is left in the folder: no half-written file.
    QStringList informes = d.entryList({QStringLiteral("*Cierre*"), QStringLiteral("*cierre*")},
                                       QDir::Files | QDir::System | QDir::Hidden, QDir::Name);
    informes.removeDuplicates();
    EXPECT_EQ(informes, QStringList({QStringLiteral("Cierre 2025-2026 (2).pdf"), QStringLiteral("Cierre 2025-2026 (3).pdf"),
                                     QStringLiteral("Cierre 2025-2026.pdf"), QStringLiteral("Ensayo cierre 2025-2026 (2).pdf"),
                                     QStringLiteral("Ensayo cierre 2025-2026.pdf")}));
    for (const QString& f : informes) QFile::remove(d.filePath(f));

    // The note of a report owed is found from any working folder and never
    // left in one (a server has no school folder to hold it).
    host::OpcionesSesion op;
    op.appEntrada = estado().conLocalAppEntrada().datos();
    op.centro = estado().conf->intIDCentro();
    const QString antes = QDir::currentPath();
    QTemporaryDir uno, otro;
    ASSERT_TRUE(QDir::setCurrent(uno.path()));
    host::anotarInformeDebido(op, {QStringLiteral("2025/2026"), QStringLiteral("2026/2027"), false, true, true, "{}", {}});
    ASSERT_TRUE(QDir::setCurrent(otro.path()));
    EXPECT_TRUE(host::leerInformeDebido(op).has_value());
    // The plan comes back as the very text it went in, whatever its texts
    // hold; and a note written whole as a document (as earlier versions
    // wrote it, the plan among the other members) reads the same.
    const QByteArray plan = R"({"secciones":[{"Nombre":"Ana \"la} Grande\\","Orden":[1,{"x":"}"}]}],"v":-1.5})";
    host::anotarInformeDebido(op, {QStringLiteral("2025/2026"), QStringLiteral("2026/2027"), true, false, true, plan,
                                   QStringLiteral("/ruta/del informe.pdf")});
    const auto leida = host::leerInformeDebido(op);
    ASSERT_TRUE(leida.has_value());
    EXPECT_EQ(enFila({leida->cerrado, leida->nuevo, leida->parcial, leida->secciones, leida->actividades, leida->informe,
                      leida->plan}),
              enFila({"2025/2026", "2026/2027", true, false, true, "/ruta/del informe.pdf", plan}));
    QJsonObject antigua{{QStringLiteral("cerrado"), QStringLiteral("2025/2026")},
                        {QStringLiteral("nuevo"), QStringLiteral("2026/2027")},
                        {QStringLiteral("plan"), QJsonDocument::fromJson(plan).object()},
                        {QStringLiteral("secciones"), true}};
    QFile nota(host::rutaInformeDebido(op));
    ASSERT_TRUE(nota.open(QIODevice::WriteOnly | QIODevice::Truncate));
    nota.write(QJsonDocument(antigua).toJson(QJsonDocument::Compact));
    nota.close();
    EXPECT_EQ(host::leerInformeDebido(op)->plan,
              QJsonDocument(QJsonDocument::fromJson(plan).object()).toJson(QJsonDocument::Compact));
    // A process killed while writing the note leaves its temporary, which
    // the next start's settling removes; one that a live writer holds stays.
    const QFileInfo enNota(host::rutaInformeDebido(op));
    const auto temporal = [&](const char* sufijo) {
        const QString t = enNota.dir().filePath(QStringLiteral(".") + enNota.fileName() + QLatin1String(sufijo));
        QFile f(t);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        return t;
    };
    const QString muerto = temporal(".a1B2c3"), vivo = temporal(".x9Y8z7");
    QFile escritor(vivo);
    ASSERT_TRUE(escritor.open(QIODevice::ReadWrite));
    ASSERT_EQ(::flock(escritor.handle(), LOCK_EX | LOCK_NB), 0);
    host::resolverCierrePendiente(op);
    EXPECT_EQ(enFila({QFileInfo::exists(muerto), QFileInfo::exists(vivo), QFileInfo::exists(enNota.filePath())}), "false|true|true");
    escritor.close();
    QFile::remove(vivo);
    host::quitarInformeDebido(op);
    QDir::setCurrent(antes);
    EXPECT_TRUE(QDir(uno.path()).isEmpty());
}

}  // namespace

NCC_AMBOS_FONDOS(InformeCierre);

// The drawing alone: no database. A section long enough to run over
// pages, texts that would be markup, and a second teaching type.
TEST(InformeSinBase, LasTablasSiguenEnLaPaginaSiguienteConSusCabecerasYLosTextosVanTalCual) {
    host::DatosInforme d;
    d.centro = QStringLiteral("Colegio <Santa & María>");
    d.cursoCerrado = QStringLiteral("2025/2026");
    d.cursoNuevo = QStringLiteral("2026/2027 <i>");
    d.usuario = QStringLiteral("\"Jefa\" & secretaria");
    d.cuando = QDateTime(QDate(2026, 6, 30), QTime(18, 5));
    host::SeccionInforme s;
    s.nombre = QStringLiteral("1º <A>");
    s.tipo = QStringLiteral("Primaria");
    constexpr int Filas = 150;
    for (int i = 0; i < Filas; ++i) s.promocionan.append({i, QStringLiteral("O'Brien & <Hijo> %1").arg(i), QStringLiteral("2º <A>")});
    d.secciones.append(s);
    s.nombre = QStringLiteral("1º ESO");
    s.tipo = QStringLiteral("Secundaria");
    s.promocionan = {{Filas, QStringLiteral("Ruiz, Eva"), QStringLiteral("2º ESO")}};
    d.secciones.append(s);
    d.diferencias.append({QStringLiteral("1º <A>"), QStringLiteral("<script>"), QStringLiteral("a&b"), QStringLiteral("c<d")});
    d.actividades.append({7, QStringLiteral("Teatro & <música>"), QStringLiteral("01/10/2026"), QString(), {}});

    const QList<QStringList> paginas = host::textosInforme(d);
    QStringList todos;
    for (const QStringList& p : paginas) todos += p;
    for (const char* crudo : {"Colegio <Santa & María>", "2026/2027 <i>", "\"Jefa\" & secretaria", "<script>", "a&b", "c<d",
                              "Teatro & <música>"})
        EXPECT_TRUE(todos.contains(QString::fromUtf8(crudo))) << crudo;
    // Every page is numbered out of all of them.
    for (int i = 0; i < paginas.size(); ++i)
        EXPECT_EQ(paginas.at(i).last(), QStringLiteral("Página %1 de %2").arg(i + 1).arg(paginas.size()));
    // Each row once and in order; each page that holds rows of the section
    // names it and repeats its headings above them.
    int siguiente = 0, paginasConFilas = 0;
    for (const QStringList& p : paginas) {
        const qsizetype cabeza = p.indexOf(QStringLiteral("1º <A>")), columnas = p.indexOf(QStringLiteral("Alumno"));
        bool conFilas = false;
        for (qsizetype k = 0; k < p.size(); ++k) {
            if (!p.at(k).startsWith(QStringLiteral("O'Brien & <Hijo> "))) continue;
            EXPECT_EQ(p.at(k), QStringLiteral("O'Brien & <Hijo> %1").arg(siguiente++));
            EXPECT_TRUE(cabeza >= 0 && cabeza < columnas && columnas < k) << p.join(QLatin1Char('|')).toStdString();
            conFilas = true;
        }
        paginasConFilas += conFilas ? 1 : 0;
    }
    EXPECT_TRUE(siguiente == Filas && paginasConFilas >= 2) << siguiente << " " << paginasConFilas;
    // A teaching type begins a page.
    const auto tipo = std::find_if(paginas.cbegin(), paginas.cend(),
                                   [](const QStringList& p) { return p.contains(QStringLiteral("Alumnos por sección: Secundaria")); });
    ASSERT_NE(tipo, paginas.cend());
    EXPECT_EQ(tipo->first(), QStringLiteral("Alumnos por sección: Secundaria"));

    EXPECT_TRUE(host::pdfInforme(d).startsWith("%PDF-"));
    const QImage pagina = host::paginaInforme(d, 1, 80);
    EXPECT_EQ(pagina.size(), QSize(661, 936));  // A4 at 80 dots per inch
    // Ink on the page, and none in the right margin.
    bool tinta = false, enMargen = false;
    for (int y = 0; y < pagina.height(); ++y)
        for (int x = 0; x < pagina.width(); ++x) {
            if (pagina.pixel(x, y) == qRgb(255, 255, 255)) continue;
            tinta = true;
            if (x > pagina.width() - 40) enMargen = true;
        }
    EXPECT_EQ(enFila({tinta, enMargen}), "true|false");
}

TEST(InformeSinBase, ElNombreDelArchivoEsElDelCursoCerrado) {
    EXPECT_EQ(host::nombreInforme(QStringLiteral("2025/2026"), false), QStringLiteral("Cierre 2025-2026.pdf"));
    EXPECT_EQ(host::nombreInforme(QStringLiteral(" 2025/2026 "), true), QStringLiteral("Ensayo cierre 2025-2026.pdf"));
    EXPECT_EQ(host::nombreInforme(QStringLiteral("a\\b:c*d?\"e<f>g|h"), false), QStringLiteral("Cierre a-b-c-d--e-f-g-h.pdf"));
    EXPECT_EQ(host::nombreInforme(QStringLiteral(".."), false), QStringLiteral("Cierre sin nombre.pdf"));
}
