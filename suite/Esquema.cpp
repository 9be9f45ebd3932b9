// The tables of the suite's databases, table by table. Column order matters
// where the closing writes whole rows with positional INSERTs
// (INSERT INTO X VALUES(...)): those tables say so in a comment.
//
// Conventions: ids are integers, the table's own id column is its primary
// key; no foreign keys, since the closing deletes parents and children in
// orders the suite always tolerated; every other column is nullable. Dates
// are text "yyyy/mm/dd". Booleans are integers checked to hold 0 or the back
// end's true (-1 in the SQLite files, 1 on the server); the columns marked
// `boolM` also take -1 on the server, because some statements write the
// Access true whatever the back end.
#include "suite/Esquema.h"
#include "platform/Dialecto.h"

namespace ncc::suite {

namespace {

// Column builders, to keep the definitions one line per column.
Columna columna(const QString& n, TipoColumna tipo, int ancho = 0, bool clave = false,
                bool menosUno = false) {
    Columna c;
    c.nombre = n;
    c.tipo = tipo;
    c.longitud = ancho;
    c.clave = clave;
    c.admiteMenosUno = menosUno;
    return c;
}
Columna id(const QString& n) { return columna(n, TipoColumna::Entero, 0, true); }
Columna idLargo(const QString& n) { return columna(n, TipoColumna::EnteroLargo, 0, true); }
Columna ent(const QString& n) { return columna(n, TipoColumna::Entero); }
Columna largo(const QString& n) { return columna(n, TipoColumna::EnteroLargo); }
Columna txt(const QString& n, int ancho = 0) { return columna(n, TipoColumna::Texto, ancho); }
Columna memo(const QString& n) { return columna(n, TipoColumna::Memo); }
Columna bol(const QString& n) { return columna(n, TipoColumna::Booleano); }
Columna boolM(const QString& n) { return columna(n, TipoColumna::Booleano, 0, false, true); }
Columna real(const QString& n) { return columna(n, TipoColumna::Real); }
Columna bin(const QString& n) { return columna(n, TipoColumna::Binario); }

// The twelve month flags of an activity's members and staff, in calendar
// order, and the school-year mask that goes with them. The closing writes
// "Mes=-1" on both back ends.
QVector<Columna> meses() {
    QVector<Columna> v;
    for (const char* m : {"Enero", "Febrero", "Marzo", "Abril", "Mayo", "Junio", "Julio", "Agosto",
                          "Septiembre", "Octubre", "Noviembre", "Diciembre"})
        v.append(boolM(QString::fromLatin1(m)));
    v.append(txt(QStringLiteral("MesesRealizacion"), 12));
    return v;
}

QVector<Columna> con(QVector<Columna> a, const QVector<Columna>& b) {
    a += b;
    return a;
}

// ---------------------------------------------------------------------------
// Application entry (AppEntrada and BorradoAppEntrada).
// ---------------------------------------------------------------------------
QVector<Tabla> definirAppEntrada() {
    return {
        // One row per school year of every school. BD and BDBorrado are the
        // connection strings of that year's two school databases.
        {"CursoEscolar", {id("IDCursoEscolar"), columna("Nombre", TipoColumna::Texto, 50), ent("CodCentro"), memo("BD"),
                          memo("BDBorrado"), boolM("UltimoUtilizado"), boolM("Activa")}},
        {"CursoEscolar_Usuario", {ent("CodCursoEscolar"), ent("CodUsuario")}},
        {"Centro", {id("IDCentro"), txt("Nombre"), txt("CodigoCentro"), txt("Localidad")}},
        {"Usuario", {id("IDUsuario"), txt("Nombre"), bol("Administrador")}},
    };
}

// ---------------------------------------------------------------------------
// School database of one school year (A{centre}C{year}, and B... its twin).
// ---------------------------------------------------------------------------
QVector<Tabla> definirCentro() {
    return {
        // --- School years, as the school database itself records them.
        {"CursoEscolar", {id("IDCursoEscolar"), columna("Nombre", TipoColumna::Texto, 50), ent("CodCentro"), ent("CodUsuario"),
                          boolM("Activa")}},
        {"CalendarioEscolar", {id("IDCalendarioEscolar"), txt("FechaInicio"), txt("FechaFin"),
                               txt("Descripcion")}},
        {"CursoEscolar_CalendarioEscolar", {ent("CodCursoEscolar"), ent("CodCalendarioEscolar")}},

        // --- The school and its teaching.
        {"Centro", {id("IDCentro"), txt("Nombre"), txt("CodigoCentro"), ent("CodDireccion"),
                    ent("CodFoto")}},
        {"TipoEnsenanza", {id("IDTipoEnsenanza"), txt("Nombre"), ent("Orden")}},
        {"Centro_TipoEnsenanza", {ent("CodCentro"), ent("CodTipoEnsenanza")}},
        // Promocion 0: direct promotion (no promotion data is read).
        {"Curso", {id("IDCurso"), txt("Descripcion"), ent("CodTipoEnsenanza"), ent("Orden"),
                   ent("NumPlazasLibres"), bol("FinCiclo"), ent("Promocion"), bol("RE_AC"),
                   bol("Diversificacion")}},
        {"Seccion", {id("IDSeccion"), txt("Descripcion"), ent("CodCurso"), ent("NumPlazas"),
                     bol("Seguimiento"), ent("CodDelegado"), ent("CodSubdelegado")}},
        {"TipoAlumno", {id("IDTipoAlumno"), txt("Descripcion")}},
        {"Provincia", {id("IDProvincia"), txt("Descripcion")}},
        {"Direccion", {id("IDDireccion"), txt("Direccion"), txt("Poblacion"), txt("CodigoPostal"),
                       ent("CodProvincia"), txt("Telefono")}},
        {"Foto", {id("IDFoto"), bin("Foto")}},

        // --- Students. Repetidor is written -1 on both back ends by the
        // closing; Anticipado (pre-enrolled for the next year) is matched
        // with -1 on both back ends.
        {"Alumno", {id("IDAlumno"), txt("Nombre"), txt("Apellido_1"), txt("Apellido_2"),
                    txt("Matricula"), txt("DNI"), txt("FechaNacimiento"), txt("FechaIngreso"),
                    txt("FechaBaja"), ent("CodTipoEnsenanza"), ent("CodCurso"), ent("CodSeccion"),
                    ent("OrdenSeccion"), boolM("Repetidor"), boolM("Anticipado"),
                    ent("CodFamilia"), ent("CodDireccion"), ent("CodFoto"), ent("CodTipoAlumno")}},
        // Positional: (section, student, RE_AC_DIV, Diversificacion, Itinerario).
        {"Seccion_Alumno", {ent("CodSeccion"), ent("CodAlumno"), ent("RE_AC_DIV"),
                            ent("Diversificacion"), ent("Itinerario")}},
        // The closing year's archive of the students who left. Positional,
        // sixteen values; Baja is written -1 on both back ends.
        {"Alumno_Baja", {ent("IDAlumno"), boolM("Baja"), txt("FechaBaja"), txt("Matricula"),
                         txt("Nombre"), txt("Apellido_1"), txt("Apellido_2"), txt("Curso"),
                         txt("TipoEnsenanza"), txt("FechaIngreso"), txt("DNI"), txt("Direccion"),
                         txt("Poblacion"), txt("Provincia"), txt("CodigoPostal"),
                         txt("Telefono")}},
        {"DatosMedicos", {id("IDDatosMedicos"), ent("CodAlumno"), txt("GrupoSanguineo"),
                          memo("Observaciones")}},
        {"DatosMedicos_Enfermedad", {ent("CodDatosMedicos"), ent("CodEnfermedad"),
                                     memo("Observaciones")}},
        {"IncidenciaAlumno", {id("IDIncidenciaAlumno"), ent("CodAlumno"), txt("Fecha"),
                              memo("Descripcion")}},

        // --- Families, payers and bank accounts.
        {"Familia", {id("IDFamilia"), txt("Nombre")}},
        {"MiembroFamilia", {id("IDMiembroFamilia"), ent("CodFamilia"), ent("CodDireccion"),
                            txt("Nombre"), txt("Apellido_1"), txt("Apellido_2"),
                            txt("Parentesco")}},
        {"Alumno_MiembroFamilia", {ent("CodAlumno"), ent("CodMiembroFamilia")}},
        {"MiembroFamiliaPagador", {id("IDMiembroFamiliaPagador"), ent("CodMiembroFamilia")}},
        {"MiembroFamiliaPagador_Cuenta", {ent("CodMiembroFamiliaPagador"), ent("CodCuenta")}},
        {"Sucursal", {id("IDSucursal"), txt("Nombre"), txt("CodigoBanco"), txt("CodigoSucursal")}},
        {"Cuenta", {id("IDCuenta"), ent("CodSucursal"), txt("DigitoControl"), txt("NumeroCuenta")}},
        {"Centro_Cuenta_Emisor", {ent("CodCentro"), ent("CodCuenta"), txt("Sufijo")}},

        // --- Staff.
        {"Personal", {id("IDPersonal"), txt("Nombre"), txt("Apellido_1"), txt("Apellido_2"),
                      ent("CodFamilia"), ent("CodDireccion"), ent("CodCuenta")}},
        {"IncidenciaPersonal", {id("IDIncidenciaPersonal"), ent("CodPersonal"), txt("Fecha"),
                                memo("Descripcion")}},

        // --- Subjects and grades.
        {"TipoMateria", {id("IDTipoMateria"), txt("Descripcion"), ent("CodEspecificarTipoMateria")}},
        {"Materia", {id("IDMateria"), txt("Nombre"), bol("Optativa"), ent("CodTipoEnsenanza"),
                     ent("CodTipoMateria")}},
        {"MateriaDetalles", {id("IDMateriaDetalles"), ent("CodMateria"), ent("CodSeccion"),
                             ent("CodTipoMateria"), ent("CodPersonal"), ent("CodPersonalAsociado")}},
        {"Seccion_MateriaDetalles", {ent("CodSeccion"), ent("CodMateriaDetalles")}},
        {"Alumno_MateriaDetalles", {idLargo("IDAlumno_MateriaDetalles"), ent("CodAlumno"),
                                    ent("CodMateriaDetalles"), ent("CodNumEvaluacion")}},
        {"tiponota", {id("IDTipoNota"), txt("Descripcion"), ent("Orden"), bol("Abreviatura"),
                      bol("Evaluacion"), bol("Materia")}},
        {"SistemaCalificacion", {id("IDSistemaCalificacion"), txt("Descripcion"),
                                 ent("CodTipoEnsenanza"), ent("CodTipoNota")}},
        {"Nota", {id("IDNota"), txt("Descripcion"), bol("Aprobado"), ent("CodSistemaCalificacion"),
                  ent("CodTipoNota")}},
        // Final is matched with -1 on both back ends by the step that reads
        // the final periods of a section.
        {"NumEvaluacion", {id("IDNumEvaluacion"), txt("Descripcion"), boolM("Final"), ent("Orden")}},
        {"Seccion_NumEvaluacion", {ent("CodSeccion"), ent("CodNumEvaluacion"), txt("Fecha")}},
        // Positional, nine values: id, student, period, then six zeros.
        {"Alumno_NumEvaluacion", {idLargo("IDAlumno_NumEvaluacion"), ent("CodAlumno"),
                                  ent("CodNumEvaluacion"), ent("Promocion"), bol("PromocionPCPI"),
                                  bol("PromocionDiversificacion"), ent("FaltasJustificadas"),
                                  ent("FaltasInjustificadas"), ent("Retrasos")}},
        // Positional, sixteen values: id, student-subject row, period, eleven
        // zeros, the section's follow-up flag (0 or 1 on both back ends, hence
        // an integer), a final zero.
        {"Evaluacion", {idLargo("IDEvaluacion"), largo("CodAlumno_MateriaDetalles"),
                        ent("CodNumEvaluacion"), ent("CodNota"), ent("RE_AC_DIV"), bol("Evaluado"),
                        ent("FaltasJustificadas"), ent("FaltasInjustificadas"), ent("Retrasos"),
                        ent("CodActitud"), ent("CodComportamiento"), ent("CodInteres"),
                        ent("CodTrabajo"), ent("CodObservacion"), ent("Seguimiento"),
                        ent("CodNotaSeguimiento")}},
        // Positional, ten values: id, student-subject row, period, seven zeros.
        {"EvaluacionActa", {idLargo("IDEvaluacionActa"), largo("CodAlumno_MateriaDetalles"),
                            ent("CodNumEvaluacion"), ent("CodNota"), ent("RE_AC_DIV"),
                            bol("UltimaEvaluada"), bol("Evaluado"), ent("CodNotaExtraordinaria"),
                            bol("MatriculaHonor"), bol("Exento")}},
        {"FechaNotas", {id("IDFechaNotas"), ent("CodNumEvaluacion"), txt("Fecha")}},
        {"Publicacion", {id("IDPublicacion"), ent("CodNumEvaluacion"), txt("Fecha"),
                         memo("Texto")}},
        {"Publicacion_Evaluacion", {ent("CodPublicacion"), largo("CodEvaluacion")}},
        {"BloqueoNotas", {ent("CodSeccion"), ent("CodNumEvaluacion"), ent("CodUsuario")}},
        {"BloqueoRegistros", {txt("Tabla"), largo("IDRegistro"), ent("CodUsuario")}},
        {"ConsejoOrientador_Nota", {id("IDConsejoOrientador_Nota"), ent("CodAlumno"),
                                    ent("CodNumEvaluacion"), memo("Texto")}},

        // --- Pending subjects carried into the next year.
        // Positional: (id, student, subject detail, 0, course of the subject).
        {"AlumnoPte_MatDet", {id("IDAlumnoPte_MatDet"), ent("CodAlumno"), ent("CodMatDet"),
                              bol("Superada"), ent("CodCurso")}},
        // Positional: (section, student, 0, 0).
        {"Seccion_AlumnoPte", {ent("CodSeccion"), ent("CodAlumno"), ent("RE_AC_DIV"),
                               ent("Diversificacion")}},
        {"EvaluacionPte", {idLargo("IDEvaluacionPte"), ent("CodAlumnoPte_MatDet"),
                           ent("CodNumEvaluacion"), ent("CodNota"), bol("Evaluado")}},
        {"EvaluacionActaPte", {idLargo("IDEvaluacionActaPte"), ent("CodAlumnoPte_MatDet"),
                               ent("CodNumEvaluacion"), ent("CodNota"), ent("RE_AC_DIV"),
                               bol("UltimaEvaluada")}},
        {"PublicacionPte", {id("IDPublicacionPte"), ent("CodNumEvaluacion"), txt("Fecha")}},
        {"Profesor_Pte", {ent("CodPersonal"), ent("CodMatDet")}},

        // --- Historic grades. CursoEscolarHistorico is positional (id, name,
        // flag) and its flag is written -1 on both back ends by the grade
        // transfer dialog.
        {"CursoEscolarHistorico", {id("IDCursoEscolarHistorico"), txt("Nombre"),
                                   boolM("HistoricoAplicacion")}},
        // Positional, seventeen values. The flags are written -1/0 on both
        // back ends; Repite is the student's Repetidor as stored.
        {"EvaluacionHistorica", {idLargo("IDEvaluacionHistorica"), ent("CodAlumno"),
                                 ent("CodMateria"), ent("CodCursoEscolar"),
                                 ent("CodTipoEnsenanza"), ent("CodCurso"), ent("CodNota"),
                                 ent("RE_AC_DIV"), ent("Promocion"), ent("CodNumEvaluacion"),
                                 ent("CodCursoEscolarHistorico"), txt("FechaEvaluacion"),
                                 boolM("MateriaPendiente"), boolM("Repite"), ent("Orden"),
                                 boolM("PromocionPCPI"), boolM("PromocionDiversificacion")}},
        // Edit lock of one historic course. Positional: (historic year,
        // teaching type, course, user).
        {"bloqueohistorico", {ent("CodCursoEscolarHistorico"), ent("CodTipoEnsenanza"),
                              ent("CodCurso"), ent("CodUsuario")}},

        // --- Pre-enrolment.
        {"Prematriculacion", {id("IDPrematriculacion"), ent("CodAlumno"), ent("CodTipoEnsenanza"),
                              ent("CodCurso"), bol("Anticipado"), txt("Fecha")}},
        {"Prematriculacion_Ponderacion", {ent("CodPrematriculacion"), ent("CodPonderacion"),
                                          real("Puntos")}},
        {"PrematriculacionAux", {id("IDPrematriculacionAux"), ent("CodAlumno"),
                                 ent("CodPrematriculacion")}},

        // --- Extracurricular activities. TipoActividad: 0 a run of months
        // without a fixed pattern, 1 a single month, 2 a run of months.
        {"Actividad", {id("IDActividad"), txt("Nombre"), ent("TipoActividad"), txt("FechaInicio"),
                       txt("FechaFin")}},
        {"ActividadSemanal", {id("IDAS"), ent("DiaSemana"), txt("HoraInicio"), txt("HoraFin")}},
        {"Actividad_ActividadSemanal", {ent("CodActividad"), ent("CodActividadSemanal")}},
        {"Actividad_Centro", {ent("CodActividad"), ent("CodCentro")}},
        {"Actividad_Personal", con({ent("CodActividad"), ent("CodPersonal")}, meses())},
        // Positional: (activity, student type, pesetas text, euros text).
        {"Actividad_TipoAlumno", {ent("CodActividad"), ent("CodTipoAlumno"),
                                  txt("PrecioGeneralPta"), txt("PrecioGeneralEuro")}},
        {"ActividadCalendario", {id("IDActividadCalendario"), ent("CodActividad"), txt("Fecha")}},
        {"Alumno_Actividad_Miembro", con({ent("CodActividad"), ent("CodAlumno"),
                                          txt("PrecioEuros"), txt("PrecioPesetas")},
                                         meses())},

        // --- Billing, emptied at every closing.
        {"Recibo", {id("IDRecibo"), ent("CodMiembroFamiliaPagador"), txt("Fecha"),
                    real("Importe"), txt("Concepto")}},
        {"ReciboPendiente", {id("IDReciboP"), ent("CodMiembroFamiliaPagador"), txt("Fecha"),
                             real("Importe"), bol("Pagado")}},
        {"Cobro", {id("IDCobro"), ent("CodRecibo"), txt("Fecha"), real("Importe")}},
        {"CobroPendiente", {id("IDCobroPendiente"), ent("CodReciboP"), txt("Fecha"),
                            real("Importe")}},
        {"Pago", {id("IDPago"), ent("CodPersonal"), txt("Fecha"), real("Importe")}},
        {"PagoPendiente", {id("IDPagoPendiente"), ent("CodPersonal"), txt("Fecha"),
                           real("Importe")}},
        {"Devolucion", {id("IDDevolucion"), ent("CodRecibo"), txt("Fecha"), real("Importe")}},
        {"Remesa", {id("IDRemesa"), txt("Fecha"), real("Importe")}},
        {"Disco", {id("IDDisco"), ent("CodRemesa"), txt("Fecha"), memo("Contenido")}},
        {"Disco_Emisor", {ent("CodDisco"), ent("CodCuenta")}},
        {"Remesa_Presentador_Disco", {ent("CodRemesa"), ent("CodCuenta"), ent("CodDisco")}},
        {"SeguridadDisco", {id("IDSeguridadDisco"), ent("CodDisco"), txt("Fecha")}},
        {"FacturacionLog", {id("IDFacturacionLog"), txt("Fecha"), memo("Texto")}},

        // --- Housekeeping, emptied at every closing.
        {"Insercion", {id("IDInsercion"), txt("Tabla"), largo("IDRegistro"), txt("Fecha")}},
        {"Mensaje", {id("IDMensaje"), ent("CodUsuario"), txt("Fecha"), memo("Texto"),
                     bol("Leido")}},
        {"Papelera", {id("IDPapelera"), txt("Tabla"), largo("IDRegistro"), txt("Fecha")}},
        {"SQLRecuperacion", {id("IDSQLRecuperacion"), txt("Fecha"), memo("Sentencia")}},
        // One row: the next ids of the year's working tables.
        {"UltimoID", {largo("UltimoEvaluacion"), largo("UltimoEvaluacionActa"),
                      largo("UltimoAlumno_MateriaDetalles"), ent("UltimoSeccion"),
                      ent("UltimoMateriaDetalles"), ent("UltimoPublicacion")}},

        // --- The closing wizard's stored decisions. Positional, in the
        // order below; their flags are written -1/0 on both back ends.
        {"CIERRECURSO_SECCION", {id("IDSeccion")}},
        {"CIERRECURSO_SECCION_ALUMNO", {ent("CodSeccion"), id("IDAlumno"), boolM("SinAsignar"),
                                        boolM("Promociona"), boolM("Repite"), boolM("Baja"),
                                        txt("FechaBaja"), ent("NIDTipoEnsenanza"), ent("NIDCurso"),
                                        ent("NIDSeccion"), txt("NTipoEnsenanza"), txt("NCurso"),
                                        txt("NSeccion")}},
        {"CIERRECURSO_ACTIVIDAD", {id("IDActividad"), txt("FechaInicio"), txt("FechaFin")}},
        {"CIERRECURSO_ACTIVIDAD_ALUMNO", {ent("CodActividad"), ent("IDAlumno"), boolM("Pasar"),
                                          txt("Euros"), txt("Pesetas")}},
        {"CIERRECURSO_ACTIVIDAD_PRECIO_CURSO", {ent("CodActividad"), ent("CodCurso"),
                                                txt("Euros"), txt("Pesetas")}},
        {"CIERRECURSO_ACTIVIDAD_PRECIO_TIPOALUMNO", {ent("CodActividad"), ent("CodTipoAlumno"),
                                                     txt("Euros"), txt("Pesetas")}},
    };
}

QString tipoSql(const Columna& c, Proveedor p) {
    const bool pg = p == Proveedor::PostgreSQL;
    switch (c.tipo) {
    case TipoColumna::Entero:
    case TipoColumna::Booleano: return QStringLiteral("INTEGER");
    case TipoColumna::EnteroLargo: return pg ? QStringLiteral("BIGINT") : QStringLiteral("INTEGER");
    case TipoColumna::Texto:
        if (pg && c.longitud > 0) return QStringLiteral("VARCHAR(%1)").arg(c.longitud);
        return QStringLiteral("TEXT");
    case TipoColumna::Memo: return QStringLiteral("TEXT");
    case TipoColumna::Real: return pg ? QStringLiteral("DOUBLE PRECISION") : QStringLiteral("REAL");
    case TipoColumna::Binario: return pg ? QStringLiteral("BYTEA") : QStringLiteral("BLOB");
    }
    return QStringLiteral("TEXT");
}

QString definicionColumna(const Columna& c, Proveedor p) {
    QString s = c.nombre + QLatin1Char(' ') + tipoSql(c, p);
    if (c.clave) s += QStringLiteral(" NOT NULL PRIMARY KEY");
    if (c.tipo == TipoColumna::Booleano) {
        const int v = Dialecto::verdadero(p);
        QString valores = QStringLiteral("0, %1").arg(v);
        if (c.admiteMenosUno && v != -1) valores += QStringLiteral(", -1");
        s += QStringLiteral(" CHECK (%1 IN (%2))").arg(c.nombre, valores);
    }
    return s;
}

}  // namespace

const QVector<Tabla>& tablas(TipoBase tipo) {
    static const QVector<Tabla> appEntrada = definirAppEntrada();
    static const QVector<Tabla> centro = definirCentro();
    return tipo == TipoBase::AppEntrada ? appEntrada : centro;
}

QStringList sentenciasCreacion(TipoBase tipo, Proveedor proveedor) {
    QStringList r;
    for (const Tabla& t : tablas(tipo)) {
        QStringList cols;
        for (const Columna& c : t.columnas) cols << definicionColumna(c, proveedor);
        r << QStringLiteral("CREATE TABLE %1 (%2)").arg(t.nombre, cols.join(QStringLiteral(", ")));
    }
    // Every reference to another table ("cod…") is indexed, as the suite's
    // databases are: the closing joins and filters on them row after row,
    // and without an index each of those is a scan of the whole table.
    for (const Tabla& t : tablas(tipo))
        for (const Columna& c : t.columnas)
            if (!c.clave && c.nombre.startsWith(QLatin1String("cod"), Qt::CaseInsensitive))
                r << QStringLiteral("CREATE INDEX ix_%1_%2 ON %1 (%2)").arg(t.nombre, c.nombre);
    // A link table without a key of its own is looked up by both its ends.
    for (const Tabla& t : tablas(tipo)) {
        QStringList refs;
        bool conClave = false;
        for (const Columna& c : t.columnas) {
            conClave = conClave || c.clave;
            if (c.nombre.startsWith(QLatin1String("cod"), Qt::CaseInsensitive)) refs << c.nombre;
        }
        if (!conClave && refs.size() == 2)
            r << QStringLiteral("CREATE INDEX ix_%1_enlace ON %1 (%2)").arg(t.nombre, refs.join(QStringLiteral(", ")));
    }
    return r;
}

void crearEsquema(Conexion& con, TipoBase tipo) {
    Transaccion t(con);
    for (const QString& sql : sentenciasCreacion(tipo, con.proveedor())) con.Execute(sql);
    t.confirmar();
}

}  // namespace ncc::suite

// What the closing reads or writes that this schema cannot hold as written:
//
// - Access-only SQL kept in some statements: "SELECT TOP 1 ...", the
//   brackets of "UPDATE [EvaluacionHistorica]" and "INSERT INTO
//   [CursoEscolarHistorico]", "CLng(0 & MAX(...))", "ISNULL(...)", text
//   concatenation with "+" in ORDER BY (Apellido_1 + Apellido_2 + Nombre),
//   and the literal "No" for false in the new-historic-year dialog. The
//   code writes them portably (LIMIT 1, no brackets, COALESCE, ||, 0).
// - "abreviatura=true AND evaluacion=true AND materia=true" (subject grade
//   list): the literal true is 1 on both back ends, which the SQLite files,
//   holding -1, never match; the code compares with the back end's true.
// - NumEvaluacion.Final is read with -1 on both back ends by one step and
//   with the back end's true by the others; the column accepts both on the
//   server, and which one a server database holds is the data's choice.
// - The names of the columns written only positionally with zeros
//   (Evaluacion's eleven, EvaluacionActa's seven, Alumno_NumEvaluacion's
//   last three, AlumnoPte_MatDet's fourth, Seccion_AlumnoPte's last two),
//   of Alumno_Baja (all but the student id) and of the tables only emptied
//   at the closing are this schema's own; the closing relies only on their
//   count and order.
// - The historic chooser lists the teaching types with "idtipoensenanza IN
//   (SELECT idtipoensenanza FROM Centro_TipoEnsenanza WHERE codcentro=..)":
//   Centro_TipoEnsenanza has no idtipoensenanza of its own (its column is
//   codTipoEnsenanza), so the inner name is the outer table's and the test
//   only asks whether the school has any teaching type. Giving the table an
//   IDTipoEnsenanza column would silently change what the chooser lists.
// - UltimoID is a one-row table without a key; Seccion_Alumno,
//   Seccion_AlumnoPte, bloqueohistorico and the link tables have no id
//   column of their own and so no key.
// - Alumno_Baja has no key: a student may be archived by more than one
//   closing run of the same year (a partial closing leaves it active).
// - Access database passwords, SQL Server logins and the compaction and
//   backup files have no place in a schema.
