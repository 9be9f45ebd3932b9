// The sample school. Everything is drawn from one seeded generator in a fixed
// order, so a seed names one school; the rows then go to the databases in
// large multi-row INSERTs, one transaction per database.
#include "suite/Demo.h"
#include "platform/BasesDatos.h"
#include "platform/CadenaConexion.h"
#include "platform/Conexion.h"
#include "suite/Esquema.h"
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <QVector>
#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <random>

namespace ncc::suite {

namespace {

constexpr int IdCentro = 1;
constexpr int IdUsuario = 1;
constexpr int IdCursoActual = 3;
const char* const NombreCursoActual = "2025/2026";
const char* const NombreCentro = "Colegio Nuestra Señora de la Peña";

QString u(const char* s) { return QString::fromUtf8(s); }

// ---------------------------------------------------------------------------
// Rows to one database, gathered per table and sent many rows per statement.
// Columns not given take 0 (numbers, flags) or Null (texts, pictures); a
// column the schema does not have is a fault of this generator.
// ---------------------------------------------------------------------------
class Escritor {
public:
    Escritor(Conexion& con, TipoBase tipo) : con_(con) {
        for (const Tabla& t : tablas(tipo)) {
            auto l = std::make_shared<Lote>();
            l->tabla = &t;
            QStringList nombres;
            for (int i = 0; i < t.columnas.size(); ++i) {
                const Columna& c = t.columnas[i];
                nombres << c.nombre;
                l->indices.insert(c.nombre.toLower(), i);
                switch (c.tipo) {
                case TipoColumna::Texto:
                case TipoColumna::Memo: l->vacia.append(QVariant(QMetaType(QMetaType::QString))); break;
                case TipoColumna::Binario: l->vacia.append(QVariant(QMetaType(QMetaType::QByteArray))); break;
                case TipoColumna::Real: l->vacia.append(QVariant(0.0)); break;
                default: l->vacia.append(QVariant(0)); break;
                }
            }
            l->cabecera = QStringLiteral("INSERT INTO %1 (%2) VALUES ").arg(t.nombre, nombres.join(QLatin1Char(',')));
            l->marcas = QLatin1Char('(') + QStringList(t.columnas.size(), QStringLiteral("?")).join(QLatin1Char(',')) +
                        QLatin1Char(')');
            // Well inside the parameter limits of both back ends.
            l->porSentencia = std::max(1, std::min(200, 990 / int(t.columnas.size())));
            lotes_.insert(t.nombre.toLower(), l);
        }
    }

    using Par = std::pair<const char*, QVariant>;

    void fila(const char* tabla, std::initializer_list<Par> valores) { filaDe(tabla, valores); }
    void fila(const char* tabla, const QVector<Par>& valores) { filaDe(tabla, valores); }

    void terminar() {
        for (auto& l : lotes_)
            if (l->enEspera > 0) volcar(*l);
    }

    int total(const char* tabla) { return lote(tabla).total; }

private:
    template <class Lista>
    void filaDe(const char* tabla, const Lista& valores) {
        Lote& l = lote(tabla);
        QVector<QVariant> f = l.vacia;
        for (const auto& [nombre, valor] : valores) {
            const auto it = l.indices.constFind(QString::fromLatin1(nombre).toLower());
            if (it == l.indices.constEnd())
                throw Error(errores::CampoNoEncontrado,
                            QStringLiteral("La tabla %1 no tiene la columna %2").arg(l.tabla->nombre, QString::fromLatin1(nombre)));
            f[*it] = valor;
        }
        for (const QVariant& v : f) l.pendientes.append(v);
        ++l.enEspera;
        ++l.total;
        if (l.enEspera == l.porSentencia) volcar(l);
    }

    struct Lote {
        const Tabla* tabla = nullptr;
        QHash<QString, int> indices;
        QVector<QVariant> vacia;
        QString cabecera, marcas;
        int porSentencia = 1;
        QVariantList pendientes;
        int enEspera = 0;
        int total = 0;
    };

    Lote& lote(const char* tabla) {
        const auto it = lotes_.constFind(QString::fromLatin1(tabla).toLower());
        if (it == lotes_.constEnd())
            throw Error(errores::ElementoNoEncontrado, QStringLiteral("No existe la tabla %1").arg(QString::fromLatin1(tabla)));
        return **it;
    }

    void volcar(Lote& l) {
        QString sql = l.cabecera;
        sql.reserve(sql.size() + l.enEspera * (l.marcas.size() + 1));
        for (int i = 0; i < l.enEspera; ++i) {
            if (i) sql += QLatin1Char(',');
            sql += l.marcas;
        }
        con_.Execute(sql, l.pendientes);
        l.pendientes.clear();
        l.enEspera = 0;
    }

    Conexion& con_;
    QHash<QString, std::shared_ptr<Lote>> lotes_;
};

// ---------------------------------------------------------------------------
// The generator: only std::mt19937's own sequence, never a library
// distribution, whose results differ between standard libraries.
// ---------------------------------------------------------------------------
class Azar {
public:
    explicit Azar(quint32 semilla) : g_(semilla) {}
    quint32 bajo(quint32 m) { return m == 0 ? 0 : quint32(g_() % m); }  // [0, m)
    int entre(int a, int b) { return a + int(bajo(quint32(b - a + 1))); }
    bool milesimas(int p) { return bajo(1000) < quint32(p); }
    double real() { return double(g_()) / 4294967296.0; }
    template <class T>
    const T& de(const QVector<T>& v) { return v[int(bajo(quint32(v.size())))]; }
    template <class T>
    void barajar(QVector<T>& v) {
        for (int i = int(v.size()) - 1; i > 0; --i) std::swap(v[i], v[int(bajo(quint32(i + 1)))]);
    }

private:
    std::mt19937 g_;
};

QString fecha(int a, int m, int d) {
    return QStringLiteral("%1/%2/%3").arg(a, 4, 10, QLatin1Char('0')).arg(m, 2, 10, QLatin1Char('0')).arg(d, 2, 10, QLatin1Char('0'));
}

QString euros(int centimos) { return QString::number(centimos / 100.0, 'f', 2).replace(QLatin1Char('.'), QLatin1Char(',')); }
QString pesetas(int centimos) { return QString::number(qRound64(centimos * 166.386 / 100.0)); }

QString letraDni(int numero) { return QString(QLatin1Char("TRWAGMYFPDXBNJZSQVHLCKE"[numero % 23])); }

QVector<QString> lista(std::initializer_list<const char*> l) {
    QVector<QString> v;
    for (const char* s : l) v.append(u(s));
    return v;
}

// ---------------------------------------------------------------------------
// The school's fixed catalogues.
// ---------------------------------------------------------------------------
struct DefTipo {
    int id;
    const char* nombre;
    int orden;
    bool enCentro;
};
// Types 1 and 2 keep no history of most courses, 5 and 9 hold the
// work-placement module, 6 and 7 keep their history when students move.
const DefTipo Tipos[] = {
    {1, "Educación Infantil", 1, true},
    {2, "Educación Primaria", 2, true},
    {3, "Educación Secundaria Obligatoria", 3, true},
    {4, "Bachillerato", 4, true},
    {5, "Ciclo Formativo de Grado Medio: Gestión Administrativa", 7, true},
    {6, "Programa de Cualificación Profesional Inicial", 5, true},
    {7, "Formación Profesional Básica", 6, true},
    {8, "Educación Especial", 9, false},
    {9, "Ciclo Formativo de Grado Superior: Desarrollo de Aplicaciones Web", 8, true},
};

struct DefCurso {
    int tipo;
    const char* descripcion;
    int orden;
    bool finCiclo;
    int promocion;  // 0: direct promotion, without promotion data
    bool reAc;
    bool diversificacion;
    int edad;       // age at the start of the year
    int peso;       // share of the students, in tenths
};
const DefCurso Cursos[] = {
    {1, "3 años", 1, false, 0, false, false, 3, 10}, {1, "4 años", 2, false, 0, false, false, 4, 10},
    {1, "5 años", 3, true, 0, false, false, 5, 10},
    {2, "1º", 1, false, 1, true, false, 6, 10},      {2, "2º", 2, true, 1, true, false, 7, 10},
    {2, "3º", 3, false, 1, true, false, 8, 10},      {2, "4º", 4, true, 1, true, false, 9, 10},
    {2, "5º", 5, false, 1, true, false, 10, 10},     {2, "6º", 6, true, 1, true, false, 11, 10},
    {3, "1º", 1, false, 1, true, false, 12, 11},     {3, "2º", 2, true, 1, true, false, 13, 11},
    {3, "3º", 3, false, 1, true, true, 14, 11},      {3, "4º", 4, true, 1, true, true, 15, 11},
    {4, "1º", 1, false, 1, false, false, 16, 9},     {4, "2º", 2, true, 1, false, false, 17, 9},
    {6, "1º", 1, true, 0, false, false, 16, 3},
    {7, "1º", 1, false, 1, false, false, 15, 4},     {7, "2º", 2, true, 1, false, false, 16, 3},
    {5, "1º", 1, false, 1, false, false, 16, 5},     {5, "2º", 2, true, 1, false, false, 17, 5},
    {9, "1º", 1, false, 1, false, false, 18, 5},     {9, "2º", 2, true, 1, false, false, 19, 5},
};
constexpr int NumCursos = int(sizeof(Cursos) / sizeof(Cursos[0]));

// Subject kinds (TipoMateria): 1 core and 2 optional (graded every term and
// in the final acts), 3 tutorial (terms only), 4 one-term subject (its own
// term), 5 work placement (its own final act only).
struct DefTipoMateria {
    int id;
    const char* descripcion;
    int especificar;
};
const DefTipoMateria TiposMateria[] = {
    {1, "Materia común", 1},
    {2, "Materia optativa", 1},
    {3, "Tutoría", 3},
    {4, "Materia de evaluación única", 2},
    {5, "Formación en centros de trabajo", 4},
};

struct DefMateria {
    int tipo;
    const char* nombre;
    int tipoMateria;
    int grupo;          // optional subjects of one group: each student takes one
    const char* cursos; // the course orders that have it
};
const DefMateria Materias[] = {
    {1, "Crecimiento en Armonía", 1, 0, "123"},
    {1, "Descubrimiento y Exploración del Entorno", 1, 0, "123"},
    {1, "Comunicación y Representación de la Realidad", 1, 0, "123"},
    {2, "Lengua Castellana y Literatura", 1, 0, "123456"},
    {2, "Matemáticas", 1, 0, "123456"},
    {2, "Conocimiento del Medio Natural, Social y Cultural", 1, 0, "123456"},
    {2, "Lengua Extranjera: Inglés", 1, 0, "123456"},
    {2, "Educación Física", 1, 0, "123456"},
    {2, "Educación Artística", 1, 0, "123456"},
    {2, "Religión Católica", 2, 1, "123456"},
    {2, "Atención Educativa", 2, 1, "123456"},
    {2, "Educación en Valores Cívicos y Éticos", 4, 0, "5"},
    {2, "Tutoría", 3, 0, "123456"},
    {3, "Lengua Castellana y Literatura", 1, 0, "1234"},
    {3, "Matemáticas", 1, 0, "1234"},
    {3, "Geografía e Historia", 1, 0, "1234"},
    {3, "Biología y Geología", 1, 0, "134"},
    {3, "Física y Química", 1, 0, "234"},
    {3, "Lengua Extranjera: Inglés", 1, 0, "1234"},
    {3, "Educación Física", 1, 0, "1234"},
    {3, "Tecnología y Digitalización", 1, 0, "123"},
    {3, "Música", 1, 0, "12"},
    {3, "Educación Plástica, Visual y Audiovisual", 1, 0, "13"},
    {3, "Religión Católica", 2, 1, "1234"},
    {3, "Atención Educativa", 2, 1, "1234"},
    {3, "Segunda Lengua Extranjera: Francés", 2, 2, "1234"},
    {3, "Taller de Comprensión Lectora", 2, 2, "1234"},
    {3, "Proyecto Interdisciplinar", 4, 0, "3"},
    {3, "Tutoría", 3, 0, "1234"},
    {4, "Lengua Castellana y Literatura", 1, 0, "12"},
    {4, "Lengua Extranjera: Inglés", 1, 0, "12"},
    {4, "Filosofía", 1, 0, "1"},
    {4, "Historia de la Filosofía", 1, 0, "2"},
    {4, "Historia de España", 1, 0, "2"},
    {4, "Educación Física", 1, 0, "1"},
    {4, "Matemáticas", 2, 3, "12"},
    {4, "Latín", 2, 3, "12"},
    {4, "Física y Química", 2, 4, "1"},
    {4, "Economía", 2, 4, "1"},
    {4, "Biología", 2, 5, "2"},
    {4, "Geografía", 2, 5, "2"},
    {4, "Tutoría", 3, 0, "12"},
    {6, "Operaciones Auxiliares de Montaje de Equipos Informáticos", 1, 0, "1"},
    {6, "Módulo de Formación Básica", 1, 0, "1"},
    {6, "Formación y Orientación Laboral", 1, 0, "1"},
    {6, "Formación en Centros de Trabajo", 5, 0, "1"},
    {7, "Ciencias Aplicadas", 1, 0, "12"},
    {7, "Comunicación y Sociedad", 1, 0, "12"},
    {7, "Equipos Eléctricos y Electrónicos", 1, 0, "1"},
    {7, "Instalación y Mantenimiento de Redes", 1, 0, "2"},
    {7, "Formación en Centros de Trabajo", 5, 0, "2"},
    {7, "Tutoría", 3, 0, "12"},
    {5, "Comunicación Empresarial y Atención al Cliente", 1, 0, "1"},
    {5, "Operaciones Administrativas de Compraventa", 1, 0, "1"},
    {5, "Técnica Contable", 1, 0, "1"},
    {5, "Tratamiento Informático de la Información", 1, 0, "1"},
    {5, "Inglés Profesional", 1, 0, "1"},
    {5, "Formación y Orientación Laboral", 1, 0, "1"},
    {5, "Operaciones Administrativas de Recursos Humanos", 1, 0, "2"},
    {5, "Tratamiento de la Documentación Contable", 1, 0, "2"},
    {5, "Empresa en el Aula", 1, 0, "2"},
    {5, "Operaciones Auxiliares de Gestión de Tesorería", 1, 0, "2"},
    {5, "Formación en Centros de Trabajo", 5, 0, "2"},
    {9, "Programación", 1, 0, "1"},
    {9, "Bases de Datos", 1, 0, "1"},
    {9, "Sistemas Informáticos", 1, 0, "1"},
    {9, "Lenguajes de Marcas y Sistemas de Gestión de Información", 1, 0, "1"},
    {9, "Entornos de Desarrollo", 1, 0, "1"},
    {9, "Desarrollo Web en Entorno Cliente", 1, 0, "2"},
    {9, "Desarrollo Web en Entorno Servidor", 1, 0, "2"},
    {9, "Despliegue de Aplicaciones Web", 1, 0, "2"},
    {9, "Diseño de Interfaces Web", 1, 0, "2"},
    {9, "Proyecto de Desarrollo de Aplicaciones Web", 4, 0, "2"},
    {9, "Formación en Centros de Trabajo", 5, 0, "2"},
};
constexpr int NumMaterias = int(sizeof(Materias) / sizeof(Materias[0]));

// Evaluation periods. The final ones are grouped by Orden: 1 and 2 (June
// and the extraordinary session), 51 to 53 (the vocational courses: first
// and second final session and the work placement), 3 (pending subjects).
struct DefEvaluacion {
    int id;
    const char* descripcion;
    bool final_;
    int orden;
};
const DefEvaluacion Evaluaciones[] = {
    {1, "1ª Evaluación", false, 1},
    {2, "2ª Evaluación", false, 2},
    {3, "3ª Evaluación", false, 3},
    {4, "Evaluación Final Ordinaria", true, 1},
    {5, "Evaluación Final Extraordinaria", true, 2},
    {6, "Evaluación Final de Materias Pendientes", true, 3},
    {7, "Primera Evaluación Final (Ciclos)", true, 51},
    {8, "Segunda Evaluación Final (Ciclos)", true, 52},
    {9, "Evaluación Final de Formación en Centros de Trabajo", true, 53},
};
constexpr int EvPendientes = 6;
constexpr int EvFct = 9;

struct DefProvincia {
    int id;
    const char* nombre;
};
const DefProvincia Provincias[] = {
    {5, "Ávila"},   {8, "Barcelona"}, {13, "Ciudad Real"}, {15, "A Coruña"}, {16, "Cuenca"},
    {19, "Guadalajara"}, {28, "Madrid"}, {29, "Málaga"}, {40, "Segovia"}, {41, "Sevilla"},
    {45, "Toledo"}, {46, "Valencia"}, {48, "Bizkaia"}, {50, "Zaragoza"},
};

struct DefPoblacion {
    const char* nombre;
    const char* cp;  // first digits of its postcodes
    int provincia;
};
const DefPoblacion Poblaciones[] = {
    {"Madrid", "280", 28}, {"Madrid", "280", 28}, {"Madrid", "280", 28}, {"Madrid", "280", 28},
    {"Alcobendas", "2810", 28}, {"Getafe", "2890", 28}, {"Leganés", "2891", 28},
    {"Alcalá de Henares", "2880", 28}, {"Pozuelo de Alarcón", "2822", 28}, {"Las Rozas de Madrid", "2823", 28},
    {"San Sebastián de los Reyes", "2870", 28}, {"Majadahonda", "2822", 28}, {"Móstoles", "2893", 28},
    {"Azuqueca de Henares", "1920", 19}, {"Seseña", "4522", 45}, {"El Espinar", "4040", 40},
};

const QVector<QString>& nombresChico() {
    static const auto v = lista({"Alejandro", "Daniel", "Pablo", "Hugo", "Álvaro", "Adrián", "David", "Javier", "Diego",
                                 "Mario", "Sergio", "Marcos", "Manuel", "Iván", "Lucas", "Jorge", "Íñigo", "Martín",
                                 "Nicolás", "Gonzalo", "Rubén", "Raúl", "Andrés", "Jesús", "José Luis", "Óscar",
                                 "Ángel", "Joaquín", "Tomás", "Sebastián"});
    return v;
}
const QVector<QString>& nombresChica() {
    static const auto v = lista({"Lucía", "María", "Paula", "Laura", "Marta", "Sara", "Carmen", "Alba", "Ana", "Sofía",
                                 "Claudia", "Irene", "Elena", "Nerea", "Noelia", "Begoña", "Inés", "Ainhoa", "Aitana",
                                 "Julia", "Cristina", "Rocío", "Marina", "Lorena", "Ángela", "Nuria", "María José",
                                 "Mónica", "Pilar", "Verónica"});
    return v;
}
const QVector<QString>& apellidos() {
    static const auto v = lista({"García", "Fernández", "González", "Rodríguez", "López", "Martínez", "Sánchez", "Pérez",
        "Gómez", "Martín", "Jiménez", "Ruiz", "Hernández", "Díaz", "Moreno", "Muñoz", "Álvarez", "Romero", "Alonso",
        "Gutiérrez", "Navarro", "Torres", "Domínguez", "Vázquez", "Ramos", "Gil", "Ramírez", "Serrano", "Blanco",
        "Molina", "Morales", "Suárez", "Ortega", "Delgado", "Castro", "Ortiz", "Rubio", "Marín", "Sanz", "Núñez",
        "Iglesias", "Medina", "Garrido", "Cortés", "Castillo", "Santos", "Lozano", "Guerrero", "Cano", "Prieto",
        "Méndez", "Cruz", "Calvo", "Gallego", "Vidal", "León", "Márquez", "Herrera", "Peña", "Flores", "Cabrera",
        "Campos", "Vega", "Fuentes", "Carrasco", "Díez", "Caballero", "Reyes", "Nieto", "Aguilar", "Pascual",
        "Santana", "Herrero", "Lorenzo", "Montero", "Hidalgo", "Giménez", "Ibáñez", "Ferrer", "Durán", "Santiago",
        "Benítez", "Mora", "Vicente", "Vargas", "Arias", "Carmona", "Crespo", "Román", "Pastor", "Soto", "Sáez",
        "Velasco", "Moya", "Soler", "Parra", "Esteban", "Bravo", "Gallardo", "Rojas", "O'Donnell", "D'Alessandro",
        "Echeverría", "Zubizarreta", "Goñi", "Muñiz", "Ordóñez", "Cañete"});
    return v;
}
const QVector<QString>& calles() {
    static const auto v = lista({"Calle Mayor", "Calle de Alcalá", "Avenida de la Constitución", "Calle del Doctor Esquerdo",
        "Paseo de la Castellana", "Calle de Bravo Murillo", "Calle Real", "Plaza de España", "Calle de San Bernardo",
        "Calle de Peñalver", "Calle de Núñez de Balboa", "Avenida de Andalucía", "Calle de O'Donnell",
        "Calle de la Princesa", "Calle de Toledo", "Avenida de Europa", "Calle del Olivo", "Calle de los Almendros",
        "Ronda de Segovia", "Calle de Cañaveral", "Travesía de la Iglesia", "Calle de Ramón y Cajal"});
    return v;
}

// ---------------------------------------------------------------------------
// The school, as drawn.
// ---------------------------------------------------------------------------
struct Curso {
    int id = 0;
    const DefCurso* def = nullptr;
    QVector<int> secciones;
    QVector<int> alumnos;  // not pre-enrolled
};

struct Seccion {
    int id = 0;
    int curso = 0;
    QString descripcion;
    int numPlazas = 0;
    bool seguimiento = false;
    QVector<int> alumnos;                 // in OrdenSeccion order
    QVector<int> evaluaciones;            // its periods
    QHash<int, int> detalles;             // subject -> MateriaDetalles id
};

struct Alumno {
    int id = 0;
    QString nombre, ap1, ap2;
    int familia = 0, direccion = 0, curso = 0, seccion = 0, tipoAlumno = 1, foto = 0;
    bool repetidor = false, anticipado = false, baja = false;
    QString fechaBaja;
    // The first pupils are placed by hand so that even a small school has
    // every case: fijo is their number, caso 1 fails a subject in the first
    // final session and passes it in the next, caso 2 fails it in both and
    // carries a pending subject from last year.
    int fijo = -1;
    int caso = 0;
    double aptitud = 0.5;
};

struct Familia {
    int id = 0;
    QString ap1, ap2;
    int direccion = 0;
    QVector<int> miembros;  // MiembroFamilia ids
    QVector<QString> nombresMiembros;
    QVector<int> hijos;     // indices into alumnos
    int pagador = 0;        // MiembroFamiliaPagador id
    int cuenta = 0;
};

class Generador {
public:
    Generador(Escritor& centro, Escritor& borrado, Conexion& con, const OpcionesDemo& o)
        : w_(centro), b_(borrado), verdad_(con.verdadero()), az_(o.semilla), n_(o.alumnos) {}

    void generar() {
        catalogos();
        familiasYAlumnos();
        secciones();
        direcciones();
        personal();
        cuentas();
        escribirAlumnos();
        fotosYMedicos();
        prematriculas();
        materiasYNotas();
        pendientes();
        historico();
        actividades();
        recibos();
        varios();
        borrados();
    }

    int activos = 0, bajas = 0, anticipados = 0, repetidores = 0, recibosSinPagar = 0;

private:
    QVariant v(bool b) const { return QVariant(b ? verdad_ : 0); }

    // -- Catalogues ---------------------------------------------------------
    void catalogos() {
        w_.fila("CursoEscolar", {{"IDCursoEscolar", IdCursoActual}, {"Nombre", u(NombreCursoActual)},
                                 {"CodCentro", IdCentro}, {"CodUsuario", IdUsuario}, {"Activa", -1}});
        w_.fila("CalendarioEscolar", {{"IDCalendarioEscolar", 1}, {"FechaInicio", fecha(2025, 9, 8)},
                                      {"FechaFin", fecha(2026, 6, 23)}, {"Descripcion", u("Calendario escolar 2025/2026")}});
        w_.fila("CursoEscolar_CalendarioEscolar", {{"CodCursoEscolar", IdCursoActual}, {"CodCalendarioEscolar", 1}});
        for (const auto& p : Provincias) w_.fila("Provincia", {{"IDProvincia", p.id}, {"Descripcion", u(p.nombre)}});
        for (const auto& t : Tipos) {
            w_.fila("TipoEnsenanza", {{"IDTipoEnsenanza", t.id}, {"Nombre", u(t.nombre)}, {"Orden", t.orden}});
            if (t.enCentro) w_.fila("Centro_TipoEnsenanza", {{"CodCentro", IdCentro}, {"CodTipoEnsenanza", t.id}});
        }
        for (int i = 0; i < NumCursos; ++i) {
            Curso c;
            c.id = i + 1;
            c.def = &Cursos[i];
            cursos_.append(c);
        }
        const char* tiposAlumno[] = {"Ordinario", "Becado", "Hijo de empleado", "Familia numerosa"};
        for (int i = 0; i < 4; ++i) w_.fila("TipoAlumno", {{"IDTipoAlumno", i + 1}, {"Descripcion", u(tiposAlumno[i])}});
        for (const auto& t : TiposMateria)
            w_.fila("TipoMateria", {{"IDTipoMateria", t.id}, {"Descripcion", u(t.descripcion)}, {"CodEspecificarTipoMateria", t.especificar}});
        for (int i = 0; i < NumMaterias; ++i) {
            const DefMateria& m = Materias[i];
            w_.fila("Materia", {{"IDMateria", i + 1}, {"Nombre", u(m.nombre)}, {"Optativa", v(m.grupo != 0)},
                                {"CodTipoEnsenanza", m.tipo}, {"CodTipoMateria", m.tipoMateria}});
        }
        w_.fila("tiponota", {{"IDTipoNota", 1}, {"Descripcion", u("Calificación de materia")}, {"Orden", 1},
                             {"Abreviatura", v(true)}, {"Evaluacion", v(true)}, {"Materia", v(true)}});
        // One grading system per teaching type; Infantil grades in words.
        for (const auto& t : Tipos) {
            w_.fila("SistemaCalificacion", {{"IDSistemaCalificacion", t.id},
                                            {"Descripcion", t.id == 1 ? u("Valoración cualitativa") : u("Calificación numérica")},
                                            {"CodTipoEnsenanza", t.id}, {"CodTipoNota", 1}});
            const QVector<QString> notas = t.id == 1 ? lista({"No conseguido", "En proceso", "Conseguido"})
                                                     : lista({"Insuficiente", "Suficiente", "Bien", "Notable", "Sobresaliente"});
            for (int k = 0; k < notas.size(); ++k)
                w_.fila("Nota", {{"IDNota", t.id * 10 + k + 1}, {"Descripcion", notas[k]},
                                 {"Aprobado", v(t.id == 1 ? k == 2 : k > 0)}, {"CodSistemaCalificacion", t.id}, {"CodTipoNota", 1}});
        }
        for (const auto& e : Evaluaciones)
            w_.fila("NumEvaluacion", {{"IDNumEvaluacion", e.id}, {"Descripcion", u(e.descripcion)},
                                      {"Final", v(e.final_)}, {"Orden", e.orden}});
        const char* bancos[][3] = {{"Banco Santander - Oficina Goya", "0049", "1500"},
                                   {"BBVA - Oficina Príncipe de Vergara", "0182", "2370"},
                                   {"CaixaBank - Oficina Manuel Becerra", "2100", "1578"},
                                   {"Bankinter - Oficina Alcobendas", "0128", "0030"},
                                   {"Ibercaja - Oficina Getafe", "2085", "8140"},
                                   {"Caja Rural de Castilla-La Mancha - Seseña", "3081", "0175"}};
        for (int i = 0; i < 6; ++i)
            w_.fila("Sucursal", {{"IDSucursal", i + 1}, {"Nombre", u(bancos[i][0])}, {"CodigoBanco", u(bancos[i][1])},
                                 {"CodigoSucursal", u(bancos[i][2])}});
    }

    // -- Families and students -----------------------------------------------
    QString nombre(bool chica) { return az_.de(chica ? nombresChica() : nombresChico()); }

    int cursoAlAzar() {
        int total = 0;
        for (const auto& c : Cursos) total += c.peso;
        int r = int(az_.bajo(quint32(total)));
        for (int i = 0; i < NumCursos; ++i) {
            if (r < Cursos[i].peso) return i + 1;
            r -= Cursos[i].peso;
        }
        return 1;
    }

    void familiasYAlumnos() {
        // Family sizes first, then who is pre-enrolled and who left.
        QVector<int> tamanos;
        int restan = n_;
        // The first families always exist, with surnames the closing must
        // handle (apostrophes, Spanish letters) and several children.
        const int fijas[] = {3, 2, 2, 1};
        for (int t : fijas) {
            if (restan <= 0) break;
            tamanos.append(std::min(t, restan));
            restan -= tamanos.last();
        }
        while (restan > 0) {
            const int r = int(az_.bajo(100));
            int t = r < 62 ? 1 : r < 88 ? 2 : r < 97 ? 3 : 4;
            t = std::min(t, restan);
            tamanos.append(t);
            restan -= t;
        }
        // Courses of the pupils of the first families.
        const int cursosFijos[] = {22, 12, 8, 20, 11, 15, 13, 18};
        const int casos[] = {1, 2, 0, 1, 0, 0, 0, 0};
        const int nFijos = std::min(n_, 8);
        QVector<int> orden;
        for (int i = nFijos; i < n_; ++i) orden.append(i);
        az_.barajar(orden);
        const int nAnticipados = std::max(2, n_ * 3 / 100);
        const int nBajas = std::max(2, n_ * 4 / 100);
        QVector<char> clase(n_, 'a');
        for (int i = 0; i < nAnticipados; ++i) clase[orden[i]] = 'p';
        for (int i = nAnticipados; i < nAnticipados + nBajas; ++i) clase[orden[i]] = 'b';

        const QString fijos[][2] = {{u("O'Donnell"), u("Núñez")}, {u("D'Alessandro"), u("Muñoz")},
                                    {u("Ibáñez"), u("Peña")}, {u("Muñoz"), u("Ordóñez")}};
        int indice = 0;
        for (int f = 0; f < tamanos.size(); ++f) {
            Familia fam;
            fam.id = f + 1;
            if (f < 4) {
                fam.ap1 = fijos[f][0];
                fam.ap2 = fijos[f][1];
            } else {
                fam.ap1 = az_.de(apellidos());
                do fam.ap2 = az_.de(apellidos()); while (fam.ap2 == fam.ap1);
            }
            const bool monoparental = f >= 4 && az_.milesimas(90);
            fam.nombresMiembros.append(nombre(false) + QLatin1Char(' ') + fam.ap1);
            if (!monoparental) fam.nombresMiembros.append(nombre(true) + QLatin1Char(' ') + fam.ap2);
            for (int h = 0; h < tamanos[f]; ++h, ++indice) {
                Alumno a;
                a.id = indice + 1;
                a.nombre = nombre(az_.milesimas(500));
                a.ap1 = fam.ap1;
                // A few students with one surname only, as some families from abroad.
                a.ap2 = (f >= 4 && az_.milesimas(8)) ? QString() : fam.ap2;
                a.familia = fam.id;
                a.aptitud = 0.35 + 0.65 * az_.real();
                if (indice < nFijos) {
                    a.fijo = indice;
                    a.curso = cursosFijos[indice];
                    a.caso = casos[indice];
                } else switch (clase[indice]) {
                case 'p':
                    // Pre-enrolled for next year: new three-year-olds, and a few
                    // pupils coming from other schools into secondary.
                    a.anticipado = true;
                    a.curso = az_.milesimas(750) ? 1 : 10;
                    break;
                case 'b':
                    a.baja = true;
                    a.fechaBaja = fecha(2026, az_.entre(1, 4), az_.entre(1, 28));
                    a.curso = cursoAlAzar();
                    break;
                default: a.curso = cursoAlAzar(); break;
                }
                if (!a.anticipado && cursos_[a.curso - 1].def->tipo != 1 && az_.milesimas(70)) a.repetidor = true;
                fam.hijos.append(indice);
                alumnos_.append(a);
            }
            familias_.append(fam);
        }
        // A school always has repeaters.
        bool hay = false;
        for (const Alumno& a : alumnos_) hay = hay || a.repetidor;
        if (!hay)
            for (Alumno& a : alumnos_)
                if (!a.anticipado && cursos_[a.curso - 1].def->tipo != 1) {
                    a.repetidor = true;
                    break;
                }
        for (const Familia& f : familias_)
            for (int h : f.hijos) {
                Alumno& a = alumnos_[h];
                if (f.hijos.size() >= 3) a.tipoAlumno = 4;
                else if (az_.milesimas(50)) a.tipoAlumno = 2;
            }
    }

    void secciones() {
        for (int i = 0; i < alumnos_.size(); ++i)
            if (!alumnos_[i].anticipado) cursos_[alumnos_[i].curso - 1].alumnos.append(i);
        for (Curso& c : cursos_) {
            const int ns = std::max(1, int((c.alumnos.size() + 24) / 25));
            QVector<int> miembros = c.alumnos;
            az_.barajar(miembros);
            for (int s = 0; s < ns; ++s) {
                Seccion sec;
                sec.id = secciones_.size() + 1;
                sec.curso = c.id;
                sec.descripcion = s < 26 ? QString(QChar(u'A' + s)) : QStringLiteral("%1%2").arg(QChar(u'A' + s / 26 - 1)).arg(QChar(u'A' + s % 26));
                sec.numPlazas = c.def->tipo == 1 ? 25 : 25 + az_.entre(0, 5);
                sec.seguimiento = c.def->tipo == 2;
                c.secciones.append(sec.id);
                secciones_.append(sec);
            }
            for (int k = 0; k < miembros.size(); ++k) {
                Seccion& sec = secciones_[c.secciones[k % ns] - 1];
                sec.alumnos.append(miembros[k]);
                alumnos_[miembros[k]].seccion = sec.id;
            }
        }
        // Order within the section as the suite numbers it: by surnames and name.
        for (Seccion& s : secciones_)
            std::stable_sort(s.alumnos.begin(), s.alumnos.end(), [this](int x, int y) {
                const Alumno& a = alumnos_[x];
                const Alumno& b = alumnos_[y];
                return a.ap1 + a.ap2 + a.nombre < b.ap1 + b.ap2 + b.nombre;
            });
        for (Seccion& s : secciones_) {
            const Curso& c = cursos_[s.curso - 1];
            const int tipo = c.def->tipo;
            // One of the sections is one seat short: the closing raises its places.
            int activosSeccion = 0;
            for (int i : s.alumnos) activosSeccion += alumnos_[i].baja ? 0 : 1;
            if (s.id == 12 && activosSeccion > 1) s.numPlazas = activosSeccion - 1;
            QVector<int> delegados;
            if (tipo >= 3)
                for (int i : s.alumnos)
                    if (!alumnos_[i].baja && delegados.size() < 2) delegados.append(alumnos_[i].id);
            w_.fila("Seccion", {{"IDSeccion", s.id}, {"Descripcion", s.descripcion}, {"CodCurso", s.curso},
                                {"NumPlazas", s.numPlazas}, {"Seguimiento", v(s.seguimiento)},
                                {"CodDelegado", delegados.value(0)}, {"CodSubdelegado", delegados.value(1)}});
            // Evaluation periods of the section, dated as the year went.
            s.evaluaciones = {1, 2, 3};
            if (tipo == 5 || tipo == 9) {
                s.evaluaciones << 7 << 8;
                if (c.def->orden == 2) s.evaluaciones << EvFct;
            } else {
                s.evaluaciones << 4;
                if (tipo == 3 || tipo == 4 || tipo == 6 || tipo == 7) s.evaluaciones << 5;
                if (tipo == 3 || tipo == 4) s.evaluaciones << EvPendientes;
            }
            for (int e : s.evaluaciones) {
                QString f;
                switch (e) {
                case 1: f = fecha(2025, 12, az_.entre(17, 19)); break;
                case 2: f = fecha(2026, 3, az_.entre(24, 27)); break;
                case 3: f = fecha(2026, 6, az_.entre(15, 19)); break;
                case 4: f = fecha(2026, 6, 23); break;
                case 5: f = az_.milesimas(150) ? QString() : fecha(2026, 6, 29); break;  // not dated yet
                case 6: f = fecha(2026, 5, 22); break;
                case 7: f = fecha(2026, c.def->orden == 2 ? 3 : 6, c.def->orden == 2 ? 20 : 12); break;
                case 8: f = fecha(2026, 6, 22); break;
                default: f = fecha(2026, 6, 26); break;
                }
                w_.fila("Seccion_NumEvaluacion", {{"CodSeccion", s.id}, {"CodNumEvaluacion", e}, {"Fecha", f}});
            }
        }
        for (const Curso& c : cursos_) {
            int plazas = 0, ocupadas = 0;
            for (int s : c.secciones) {
                plazas += secciones_[s - 1].numPlazas;
                for (int i : secciones_[s - 1].alumnos) ocupadas += alumnos_[i].baja ? 0 : 1;
            }
            const DefCurso& d = *c.def;
            w_.fila("Curso", {{"IDCurso", c.id}, {"Descripcion", u(d.descripcion)}, {"CodTipoEnsenanza", d.tipo},
                              {"Orden", d.orden}, {"NumPlazasLibres", std::max(0, plazas - ocupadas)},
                              {"FinCiclo", v(d.finCiclo)}, {"Promocion", d.promocion}, {"RE_AC", v(d.reAc)},
                              {"Diversificacion", v(d.diversificacion)}});
        }
    }

    // -- Addresses, staff and bank accounts ----------------------------------
    int nuevaDireccion() {
        const int id = ++ultimaDireccion_;
        const DefPoblacion& p = Poblaciones[az_.bajo(sizeof(Poblaciones) / sizeof(Poblaciones[0]))];
        QString cp = u(p.cp);
        while (cp.size() < 5) cp += QString::number(az_.entre(cp.size() == 3 ? 0 : 1, 9));
        if (cp.startsWith(QLatin1String("280")) && cp == QLatin1String("28000")) cp = QStringLiteral("28001");
        const QString direccion = QStringLiteral("%1, %2").arg(az_.de(calles())).arg(az_.entre(1, 180)) +
                                  (az_.milesimas(600) ? QStringLiteral(", %1º %2").arg(az_.entre(1, 9)).arg(QChar(u'A' + az_.entre(0, 3))) : QString());
        const QString telefono = az_.milesimas(500) ? QStringLiteral("91") + QString::number(az_.entre(1000000, 9999999))
                                                    : QStringLiteral("6") + QString::number(az_.entre(10000000, 99999999));
        w_.fila("Direccion", {{"IDDireccion", id}, {"Direccion", direccion}, {"Poblacion", u(p.nombre)},
                              {"CodigoPostal", cp}, {"CodProvincia", p.provincia}, {"Telefono", telefono}});
        return id;
    }

    int nuevaCuenta() {
        const int id = ++ultimaCuenta_;
        w_.fila("Cuenta", {{"IDCuenta", id}, {"CodSucursal", az_.entre(1, 6)},
                           {"DigitoControl", QStringLiteral("%1").arg(az_.entre(0, 99), 2, 10, QLatin1Char('0'))},
                           {"NumeroCuenta", QStringLiteral("%1%2").arg(az_.entre(10000, 99999)).arg(az_.entre(10000, 99999))}});
        return id;
    }

    void direcciones() {
        // The school's own address and logo come first.
        const int dirCentro = nuevaDireccion();
        w_.fila("Foto", {{"IDFoto", ++ultimaFoto_}, {"Foto", imagen(0)}});
        w_.fila("Centro", {{"IDCentro", IdCentro}, {"Nombre", u(NombreCentro)}, {"CodigoCentro", u("28012345")},
                           {"CodDireccion", dirCentro}, {"CodFoto", ultimaFoto_}});
        for (Familia& f : familias_) {
            f.direccion = nuevaDireccion();
            for (int h : f.hijos) alumnos_[h].direccion = f.direccion;
        }
    }

    void personal() {
        const int n = std::max(14, n_ / 12);
        for (int p = 0; p < n; ++p) {
            const int id = p + 1;
            int familia = 0, direccion = 0;
            QString nom, ap1, ap2;
            const int otras = int(familias_.size()) - 4;
            const int suya = otras > 0 ? 4 + (p / 6) * 7 % otras : -1;
            if (p % 6 == 1 && suya >= 0 && !personalFamilia_.contains(familias_[suya].id)) {
                // A teacher who is also a parent of pupils: same family and address.
                Familia& f = familias_[suya];
                familia = f.id;
                direccion = f.direccion;
                const QString completo = f.nombresMiembros.last();
                nom = completo.section(QLatin1Char(' '), 0, -2);
                ap1 = completo.section(QLatin1Char(' '), -1);
                ap2 = az_.de(apellidos());
                for (int h : f.hijos) alumnos_[h].tipoAlumno = 3;
                personalFamilia_.insert(f.id, id);
            } else if (p % 6 == 3 && otras > 1) {
                // Lives at a pupil's family address (a grandparent who teaches).
                const Familia& f = familias_[4 + ((p / 6) * 7 + 1) % otras];
                direccion = f.direccion;
                nom = nombre(az_.milesimas(600));
                ap1 = f.ap2;
                ap2 = az_.de(apellidos());
            } else {
                direccion = nuevaDireccion();
                nom = nombre(az_.milesimas(600));
                ap1 = az_.de(apellidos());
                ap2 = az_.de(apellidos());
                if (p % 9 == 5) {
                    // Staff with a family of their own and no pupils in the school.
                    familia = familias_.size() + 1 + personalPropia_.size();
                    personalPropia_.append(familia);
                    w_.fila("Familia", {{"IDFamilia", familia}, {"Nombre", ap1 + QLatin1Char(' ') + ap2}});
                    w_.fila("MiembroFamilia", {{"IDMiembroFamilia", ++ultimoMiembro_}, {"CodFamilia", familia},
                                               {"CodDireccion", direccion}, {"Nombre", nombre(az_.milesimas(500))},
                                               {"Apellido_1", az_.de(apellidos())}, {"Apellido_2", az_.de(apellidos())},
                                               {"Parentesco", u("Cónyuge")}});
                }
            }
            const int cuenta = nuevaCuenta();
            if (familia && familia <= familias_.size()) familias_[familia - 1].cuenta = cuenta;  // the family pays from it
            w_.fila("Personal", {{"IDPersonal", id}, {"Nombre", nom}, {"Apellido_1", ap1}, {"Apellido_2", ap2},
                                 {"CodFamilia", familia}, {"CodDireccion", direccion}, {"CodCuenta", cuenta}});
            personal_.append(id);
        }
    }

    void cuentas() {
        const int cuentaCentro = nuevaCuenta();
        w_.fila("Centro_Cuenta_Emisor", {{"CodCentro", IdCentro}, {"CodCuenta", cuentaCentro}, {"Sufijo", u("000")}});
        int anterior = 0;
        for (Familia& f : familias_) {
            w_.fila("Familia", {{"IDFamilia", f.id}, {"Nombre", f.ap1 + QLatin1Char(' ') + f.ap2}});
            for (int m = 0; m < f.nombresMiembros.size(); ++m) {
                const int id = ++ultimoMiembro_;
                f.miembros.append(id);
                const QString completo = f.nombresMiembros[m];
                // Now and then a parent lives elsewhere.
                const int dir = (m == 1 && az_.milesimas(50)) ? nuevaDireccion() : f.direccion;
                w_.fila("MiembroFamilia", {{"IDMiembroFamilia", id}, {"CodFamilia", f.id}, {"CodDireccion", dir},
                                           {"Nombre", completo.section(QLatin1Char(' '), 0, -2)},
                                           {"Apellido_1", completo.section(QLatin1Char(' '), -1)},
                                           {"Apellido_2", az_.de(apellidos())},
                                           {"Parentesco", m == 0 ? u("Padre") : u("Madre")}});
                for (int h : f.hijos)
                    w_.fila("Alumno_MiembroFamilia", {{"CodAlumno", alumnos_[h].id}, {"CodMiembroFamilia", id}});
            }
            f.pagador = ++ultimoPagador_;
            w_.fila("MiembroFamiliaPagador", {{"IDMiembroFamiliaPagador", f.pagador},
                                              {"CodMiembroFamilia", f.miembros.value(f.miembros.size() > 1 ? int(az_.bajo(2)) : 0)}});
            int cuenta = f.cuenta;
            if (!cuenta) {
                const int r = int(az_.bajo(1000));
                // Most pay by direct debit; a few share an account with
                // another family (grandparents paying for two), some pay cash.
                if ((f.id == 2 || r < 30) && anterior) cuenta = anterior;
                else if (r < 920 || f.id == 1) cuenta = nuevaCuenta();
            }
            if (cuenta) {
                w_.fila("MiembroFamiliaPagador_Cuenta", {{"CodMiembroFamiliaPagador", f.pagador}, {"CodCuenta", cuenta}});
                anterior = cuenta;
            }
            f.cuenta = cuenta;
        }
    }

    QByteArray imagen(int semilla) {
        // A tiny PNG-looking picture: the suite only stores and deletes them.
        QByteArray b("\x89PNG\r\n\x1a\n", 8);
        for (int i = 0; i < 48; ++i) b.append(char((semilla * 31 + i * 17) & 0xff));
        return b;
    }

    void escribirAlumnos() {
        for (Alumno& a : alumnos_) {
            if (a.anticipado) ++anticipados;
            else if (a.baja) ++bajas;
            else ++activos;
            if (a.repetidor) ++repetidores;
            if (az_.milesimas(400)) {
                a.foto = ++ultimaFoto_;
                w_.fila("Foto", {{"IDFoto", a.foto}, {"Foto", imagen(a.id)}});
            }
        }
        for (const Seccion& s : secciones_)
            for (int k = 0; k < s.alumnos.size(); ++k) ordenSeccion_.insert(s.alumnos[k], k + 1);
        for (int i = 0; i < alumnos_.size(); ++i) {
            const Alumno& a = alumnos_[i];
            const DefCurso& d = *cursos_[a.curso - 1].def;
            const int nacimiento = 2025 - d.edad - (a.repetidor ? 1 : 0);
            const int dni = az_.entre(10000000, 79999999);
            const int ingreso = a.anticipado ? 2026 : std::max(2019, 2025 - (d.edad - 3));
            w_.fila("Alumno", {{"IDAlumno", a.id}, {"Nombre", a.nombre}, {"Apellido_1", a.ap1}, {"Apellido_2", a.ap2},
                               {"Matricula", QString::number(2000 + a.id)},
                               {"DNI", d.edad >= 14 ? QString::number(dni) + letraDni(dni) : QString()},
                               {"FechaNacimiento", fecha(nacimiento, az_.entre(1, 12), az_.entre(1, 28))},
                               {"FechaIngreso", fecha(ingreso, 9, ingreso == 2026 ? 8 : az_.entre(7, 10))},
                               {"FechaBaja", a.baja ? a.fechaBaja : QString()},
                               {"CodTipoEnsenanza", d.tipo}, {"CodCurso", a.curso}, {"CodSeccion", a.seccion},
                               {"OrdenSeccion", ordenSeccion_.value(i)}, {"Repetidor", a.repetidor ? -1 : 0},
                               {"Anticipado", a.anticipado ? -1 : 0}, {"CodFamilia", a.familia},
                               {"CodDireccion", a.direccion}, {"CodFoto", a.foto}, {"CodTipoAlumno", a.tipoAlumno}});
        }
        for (const Seccion& s : secciones_) {
            const DefCurso& d = *cursos_[s.curso - 1].def;
            for (int i : s.alumnos) {
                int reac = 0, div = 0, itinerario = 0;
                if (d.diversificacion && az_.milesimas(120)) { reac = 3; div = 1; }
                else if (d.reAc && az_.milesimas(80)) reac = az_.entre(1, 2);
                if (d.tipo == 4) itinerario = az_.entre(1, 3);
                w_.fila("Seccion_Alumno", {{"CodSeccion", s.id}, {"CodAlumno", alumnos_[i].id}, {"RE_AC_DIV", reac},
                                           {"Diversificacion", div}, {"Itinerario", itinerario}});
            }
        }
    }

    void fotosYMedicos() {
        const QVector<QString> grupos = lista({"A+", "A-", "B+", "0+", "0-", "AB+"});
        const QVector<QString> notas = lista({"Alergia a los frutos secos.", "Asma leve; lleva inhalador en la mochila.",
                                              "Intolerancia a la lactosa.", "Celiaquía: menú sin gluten en el comedor.",
                                              "Usa gafas graduadas.", "Diabetes tipo 1; control de glucosa antes del recreo."});
        int id = 0;
        for (const Alumno& a : alumnos_) {
            if (!az_.milesimas(150) && a.id != 1) continue;
            ++id;
            w_.fila("DatosMedicos", {{"IDDatosMedicos", id}, {"CodAlumno", a.id}, {"GrupoSanguineo", az_.de(grupos)},
                                     {"Observaciones", az_.de(notas)}});
            const int n = az_.entre(a.id == 1 ? 1 : 0, 2);
            for (int k = 0; k < n; ++k)
                w_.fila("DatosMedicos_Enfermedad", {{"CodDatosMedicos", id}, {"CodEnfermedad", az_.entre(1, 12)},
                                                    {"Observaciones", u("Informe médico entregado en secretaría")}});
        }
    }

    void prematriculas() {
        int id = 0, aux = 0;
        auto una = [&](const Alumno& a, int tipo, int curso, bool anticipado) {
            ++id;
            w_.fila("Prematriculacion", {{"IDPrematriculacion", id}, {"CodAlumno", a.id}, {"CodTipoEnsenanza", tipo},
                                         {"CodCurso", curso}, {"Anticipado", v(anticipado)},
                                         {"Fecha", fecha(2026, az_.entre(3, 5), az_.entre(1, 28))}});
            w_.fila("Prematriculacion_Ponderacion", {{"CodPrematriculacion", id}, {"CodPonderacion", 1}, {"Puntos", double(az_.entre(0, 4))}});
            w_.fila("Prematriculacion_Ponderacion", {{"CodPrematriculacion", id}, {"CodPonderacion", 2}, {"Puntos", 1.5 * az_.entre(0, 2)}});
            if (az_.milesimas(500)) w_.fila("PrematriculacionAux", {{"IDPrematriculacionAux", ++aux}, {"CodAlumno", a.id}, {"CodPrematriculacion", id}});
        };
        for (const Alumno& a : alumnos_) {
            const DefCurso& d = *cursos_[a.curso - 1].def;
            if (a.anticipado) una(a, d.tipo, a.curso, true);
            // Applications to other studies that never became an enrolment.
            else if (!a.baja && d.finCiclo && d.tipo >= 3 && az_.milesimas(100)) una(a, 4, 14, false);
        }
    }

    // -- Subjects and grades -------------------------------------------------
    int nota(int tipo, bool aprobado, double aptitud) {
        if (tipo == 1) return tipo * 10 + (aprobado ? 3 : 2);
        if (!aprobado) return tipo * 10 + 1;
        const double r = az_.real() * 0.6 + aptitud * 0.4;
        return tipo * 10 + (r < 0.35 ? 2 : r < 0.6 ? 3 : r < 0.8 ? 4 : 5);
    }

    static bool enCurso(const DefMateria& m, int orden) { return QByteArray(m.cursos).contains(char('0' + orden)); }

    void materiasYNotas() {
        qint64 idAmd = 0, idEv = 0, idActa = 0, idAne = 0;
        int idMd = 0;
        for (Seccion& s : secciones_) {
            const DefCurso& d = *cursos_[s.curso - 1].def;
            QVector<int> suyas;
            for (int m = 0; m < NumMaterias; ++m)
                if (Materias[m].tipo == d.tipo && enCurso(Materias[m], d.orden)) suyas.append(m);
            for (int m : suyas) {
                const int id = ++idMd;
                s.detalles.insert(m + 1, id);
                w_.fila("MateriaDetalles", {{"IDMateriaDetalles", id}, {"CodMateria", m + 1}, {"CodSeccion", s.id},
                                            {"CodTipoMateria", Materias[m].tipoMateria}, {"CodPersonal", az_.de(personal_)},
                                            {"CodPersonalAsociado", az_.milesimas(150) ? az_.de(personal_) : 0}});
                w_.fila("Seccion_MateriaDetalles", {{"CodSeccion", s.id}, {"CodMateriaDetalles", id}});
            }
            QVector<int> finales;
            for (int e : s.evaluaciones)
                if (e == 4 || e == 5 || e == 7 || e == 8) finales.append(e);
            for (int i : s.alumnos) {
                Alumno& a = alumnos_[i];
                const double apt = a.aptitud - (a.repetidor ? 0.1 : 0.0);
                int suspensas = 0;
                bool casoHecho = false;
                QVector<int> elegidas;
                QSet<int> gruposVistos;
                for (int m : suyas) {
                    const DefMateria& dm = Materias[m];
                    if (dm.grupo) {
                        if (gruposVistos.contains(dm.grupo)) continue;
                        // The first subject of the group that the student chose.
                        QVector<int> opciones;
                        for (int o : suyas)
                            if (Materias[o].grupo == dm.grupo) opciones.append(o);
                        gruposVistos.insert(dm.grupo);
                        elegidas.append(az_.de(opciones));
                    } else {
                        elegidas.append(m);
                    }
                }
                for (int m : elegidas) {
                    const DefMateria& dm = Materias[m];
                    const int especificar = TiposMateria[dm.tipoMateria - 1].especificar;
                    const int propia = especificar == 2 ? 2 : especificar == 4 ? (d.tipo == 5 || d.tipo == 9 ? EvFct : 4) : 0;
                    const qint64 amd = ++idAmd;
                    w_.fila("Alumno_MateriaDetalles", {{"IDAlumno_MateriaDetalles", amd}, {"CodAlumno", a.id},
                                                       {"CodMateriaDetalles", s.detalles.value(m + 1)}, {"CodNumEvaluacion", propia}});
                    // Term grades.
                    QVector<int> terminos;
                    if (especificar == 1 || especificar == 3) terminos = {1, 2, 3};
                    else if (especificar == 2) terminos = {propia};
                    for (int e : terminos) {
                        const bool evaluado = !a.baja || e == 1;
                        const bool aprueba = az_.real() < 0.45 + 0.6 * apt;
                        w_.fila("Evaluacion", {{"IDEvaluacion", ++idEv}, {"CodAlumno_MateriaDetalles", amd}, {"CodNumEvaluacion", e},
                                               {"CodNota", evaluado && especificar != 3 ? nota(d.tipo, aprueba, apt) : 0},
                                               {"Evaluado", v(evaluado)}, {"Seguimiento", s.seguimiento ? 1 : 0}});
                    }
                    if (a.baja) continue;
                    // Final acts: the first session for everyone, the next one
                    // only for what was failed; the last one is the one that counts.
                    QVector<QPair<int, int>> actas;
                    if (especificar == 1) {
                        bool aprobada = d.tipo == 1 || az_.real() < 0.55 + 0.5 * apt;
                        const bool forzada = a.caso && !casoHecho;
                        if (forzada) {
                            aprobada = false;
                            casoHecho = true;
                        }
                        actas.append({finales.value(0, 4), nota(d.tipo, aprobada, apt)});
                        if (!aprobada && finales.size() > 1) {
                            aprobada = forzada ? a.caso == 1 : az_.milesimas(500);
                            actas.append({finales[1], nota(d.tipo, aprobada, apt)});
                        }
                        if (!aprobada) ++suspensas;
                    } else if (especificar == 4) {
                        const bool aprobada = az_.milesimas(930);
                        actas.append({propia, nota(d.tipo, aprobada, apt)});
                        if (!aprobada) ++suspensas;
                    }
                    for (int k = 0; k < actas.size(); ++k)
                        w_.fila("EvaluacionActa", {{"IDEvaluacionActa", ++idActa}, {"CodAlumno_MateriaDetalles", amd},
                                                   {"CodNumEvaluacion", actas[k].first}, {"CodNota", actas[k].second},
                                                   {"UltimaEvaluada", v(k == actas.size() - 1)}, {"Evaluado", v(true)}});
                }
                // Promotion data, on the final periods of the section.
                const bool ultimoDeEtapa = d.tipo == 4 || d.tipo == 5 || d.tipo == 9 ? d.orden == 2 : false;
                const bool promociona = suspensas <= (ultimoDeEtapa ? 0 : 2);
                promocion_.insert(a.id, promociona);
                const bool pcpi = !promociona && d.tipo == 3 && d.orden == 2 && az_.milesimas(300);
                const bool div = promociona && d.tipo == 3 && d.orden == 2 && az_.milesimas(100);
                for (int e : s.evaluaciones) {
                    const bool esFinal = Evaluaciones[e - 1].final_;
                    const int valor = (a.baja || !esFinal || d.promocion == 0) ? 0 : (promociona ? 1 : 2);
                    if (a.baja && esFinal) continue;
                    w_.fila("Alumno_NumEvaluacion", {{"IDAlumno_NumEvaluacion", ++idAne}, {"CodAlumno", a.id},
                                                     {"CodNumEvaluacion", e}, {"Promocion", valor},
                                                     {"PromocionPCPI", v(esFinal && pcpi)},
                                                     {"PromocionDiversificacion", v(esFinal && div)},
                                                     {"FaltasJustificadas", esFinal ? 0 : az_.entre(0, 4)},
                                                     {"FaltasInjustificadas", esFinal ? 0 : (az_.milesimas(200) ? az_.entre(1, 6) : 0)}});
                }
            }
        }
        ultimos_ = {idEv + 1, idActa + 1, idAmd + 1, qint64(secciones_.size()) + 1, qint64(idMd) + 1};
    }

    // The section of the course one below, with its subject details: where
    // a pending subject of last year is taught and examined again.
    const Seccion* seccionInferior(const Curso& c) const {
        for (const Curso& o : cursos_)
            if (o.def->tipo == c.def->tipo && o.def->orden == c.def->orden - 1 && !o.secciones.isEmpty())
                return &secciones_[o.secciones.first() - 1];
        return nullptr;
    }

    void pendientes() {
        int id = 0;
        qint64 idEv = 0, idActa = 0;
        QSet<int> profesores;
        for (const Alumno& a : alumnos_) {
            if (a.anticipado || a.baja) continue;
            const Curso& c = cursos_[a.curso - 1];
            if ((c.def->tipo != 3 && c.def->tipo != 4) || c.def->orden < 2) continue;
            if (!az_.milesimas(90) && a.caso != 2) continue;
            const Seccion* inf = seccionInferior(c);
            if (!inf) continue;
            QVector<int> comunes;
            for (auto it = inf->detalles.constBegin(); it != inf->detalles.constEnd(); ++it)
                if (Materias[it.key() - 1].tipoMateria == 1) comunes.append(it.key());
            if (comunes.isEmpty()) continue;
            std::sort(comunes.begin(), comunes.end());
            const int materia = az_.de(comunes);
            const int md = inf->detalles.value(materia);
            ++id;
            w_.fila("AlumnoPte_MatDet", {{"IDAlumnoPte_MatDet", id}, {"CodAlumno", a.id}, {"CodMatDet", md},
                                         {"Superada", v(false)}, {"CodCurso", inf->curso}});
            w_.fila("Seccion_AlumnoPte", {{"CodSeccion", a.seccion}, {"CodAlumno", a.id}});
            for (int e = 1; e <= 2; ++e)
                w_.fila("EvaluacionPte", {{"IDEvaluacionPte", ++idEv}, {"CodAlumnoPte_MatDet", id}, {"CodNumEvaluacion", e},
                                          {"CodNota", nota(c.def->tipo, az_.milesimas(550), a.aptitud)}, {"Evaluado", v(true)}});
            w_.fila("EvaluacionActaPte", {{"IDEvaluacionActaPte", ++idActa}, {"CodAlumnoPte_MatDet", id},
                                          {"CodNumEvaluacion", EvPendientes},
                                          {"CodNota", nota(c.def->tipo, az_.milesimas(600), a.aptitud)},
                                          {"UltimaEvaluada", v(true)}});
            if (!profesores.contains(md)) {
                profesores.insert(md);
                w_.fila("Profesor_Pte", {{"CodPersonal", az_.de(personal_)}, {"CodMatDet", md}});
            }
            pendienteDe_.insert(a.id, qMakePair(materia, inf->curso));
        }
    }

    // -- Historic years ------------------------------------------------------
    // The course a student was in last year and its teaching type.
    QPair<int, int> cursoAnterior(const Alumno& a) const {
        const DefCurso& d = *cursos_[a.curso - 1].def;
        if (a.repetidor) return {a.curso, d.tipo};
        for (int i = 0; i < NumCursos; ++i)
            if (Cursos[i].tipo == d.tipo && Cursos[i].orden == d.orden - 1) return {i + 1, d.tipo};
        if (d.tipo == 3 && d.orden == 1) return {9, 2};   // from 6º of Primaria
        if (d.tipo == 4 && d.orden == 1) return {13, 3};  // from 4º of ESO
        return {0, 0};
    }

    void historico() {
        w_.fila("CursoEscolarHistorico", {{"IDCursoEscolarHistorico", 1}, {"Nombre", u("2023/2024")}, {"HistoricoAplicacion", -1}});
        w_.fila("CursoEscolarHistorico", {{"IDCursoEscolarHistorico", 2}, {"Nombre", u("2024/2025")}, {"HistoricoAplicacion", -1}});
        w_.fila("CursoEscolarHistorico", {{"IDCursoEscolarHistorico", 3}, {"Nombre", u("Expedientes de traslado")}, {"HistoricoAplicacion", 0}});
        qint64 id = 0;
        for (const Alumno& a : alumnos_) {
            if (a.anticipado) continue;
            const auto [curso, tipo] = cursoAnterior(a);
            if (!curso || tipo == 1) continue;
            const DefCurso& prev = *cursos_[curso - 1].def;
            // Types 1 and 2 leave history only at the end of a cycle.
            if (tipo == 2 && !prev.finCiclo) continue;
            int orden = 0;
            const bool repitio = a.repetidor;
            const int anio = 2;  // 2024/2025
            if (pendienteDe_.contains(a.id)) {
                const auto [materia, cursoPte] = pendienteDe_.value(a.id);
                w_.fila("EvaluacionHistorica", historica(++id, a.id, materia, anio, tipo, cursoPte, tipo * 10 + 1, 0, 4, 2,
                                                    fecha(2025, 6, 20), true, false, ++orden));
            }
            int hechas = 0;
            for (int m = 0; m < NumMaterias && hechas < 6; ++m) {
                const DefMateria& dm = Materias[m];
                if (dm.tipo != tipo || dm.tipoMateria != 1 || !enCurso(dm, prev.orden)) continue;
                if (pendienteDe_.contains(a.id) && pendienteDe_.value(a.id).first == m + 1) continue;
                ++hechas;
                const bool aprobada = !repitio || az_.milesimas(500);
                w_.fila("EvaluacionHistorica", historica(++id, a.id, m + 1, anio, tipo, curso, nota(tipo, aprobada, a.aptitud), 0,
                                                    repitio ? 2 : 1, 4, fecha(2025, 6, 20), false, false, ++orden));
            }
        }
        // Two pupils who came from another school with their grades.
        int traslados = 0;
        for (const Alumno& a : alumnos_) {
            if (traslados == 2) break;
            const DefCurso& d = *cursos_[a.curso - 1].def;
            if (a.anticipado || a.baja || d.tipo != 3 || d.orden < 2) continue;
            ++traslados;
            int orden = 0;
            for (int m = 0; m < NumMaterias && orden < 3; ++m)
                if (Materias[m].tipo == 3 && Materias[m].tipoMateria == 1 && enCurso(Materias[m], d.orden - 1))
                    w_.fila("EvaluacionHistorica", historica(++id, a.id, m + 1, 1, 3, a.curso - 1, 30 + az_.entre(2, 5), 0, 1, 4,
                                                        fecha(2024, 6, 21), false, false, ++orden, 3));
        }
    }

    QVector<Escritor::Par> historica(qint64 id, int alumno, int materia, int cursoEscolar, int tipo, int curso, int nota, int reac,
                           int promocion, int evaluacion, const QString& f, bool pendiente, bool repite, int orden,
                           int historico = 2) {
        const QVariant h[] = {QVariant(id), alumno, materia, cursoEscolar, tipo, curso, nota, reac, promocion, evaluacion,
                              historico, f, pendiente ? -1 : 0, repite ? -1 : 0, orden, 0, 0};
        return {{"IDEvaluacionHistorica", h[0]}, {"CodAlumno", h[1]}, {"CodMateria", h[2]}, {"CodCursoEscolar", h[3]},
                {"CodTipoEnsenanza", h[4]}, {"CodCurso", h[5]}, {"CodNota", h[6]}, {"RE_AC_DIV", h[7]},
                {"Promocion", h[8]}, {"CodNumEvaluacion", h[9]}, {"CodCursoEscolarHistorico", h[10]},
                {"FechaEvaluacion", h[11]}, {"MateriaPendiente", h[12]}, {"Repite", h[13]}, {"Orden", h[14]},
                {"PromocionPCPI", h[15]}, {"PromocionDiversificacion", h[16]}};
    }

    // -- Activities ----------------------------------------------------------
    static QString mascara(int inicio, int fin, int tipo) {
        // Calendar order (January first), then rotated to school-year order.
        QString m(12, QLatin1Char('0'));
        if (inicio == 0) return m;
        if (tipo == 1) m[inicio - 1] = QLatin1Char('1');
        else
            for (int k = inicio;; k = k % 12 + 1) {
                m[k - 1] = QLatin1Char('1');
                if (k == fin) break;
            }
        return m.mid(8) + m.left(8);
    }

    void actividades() {
        struct DefActividad {
            const char* nombre;
            int tipo;
            QString inicio, fin;
            int centimos;
            int permil;  // share of the pupils who take part
        };
        const QVector<DefActividad> lista_ = {
            {"Comedor escolar", 0, fecha(2025, 9, 8), fecha(2026, 6, 19), 12350, 420},
            {"Inglés extraescolar", 2, fecha(2025, 10, 1), fecha(2026, 5, 29), 3500, 160},
            {"Viaje de estudios a Salamanca", 1, fecha(2026, 3, 12), fecha(2026, 3, 14), 18500, 60},
            {"Natación en la piscina municipal", 2, fecha(2025, 10, 6), fecha(2026, 2, 27), 2800, 120},
            {"Coro del colegio", 0, QString(), QString(), 0, 50},
            {"Ajedrez", 2, fecha(2026, 1, 12), fecha(2026, 4, 30), 1800, 60},
            {"Excursión al Museo del Prado", 1, fecha(2025, 11, 20), fecha(2025, 11, 20), 1200, 90},
        };
        const char* meses[] = {"Enero", "Febrero", "Marzo", "Abril", "Mayo", "Junio", "Julio", "Agosto",
                               "Septiembre", "Octubre", "Noviembre", "Diciembre"};
        int idAs = 0, idCal = 0;
        for (int k = 0; k < lista_.size(); ++k) {
            const DefActividad& d = lista_[k];
            const int id = k + 1;
            w_.fila("Actividad", {{"IDActividad", id}, {"Nombre", u(d.nombre)}, {"TipoActividad", d.tipo},
                                  {"FechaInicio", d.inicio}, {"FechaFin", d.fin}});
            w_.fila("Actividad_Centro", {{"CodActividad", id}, {"CodCentro", IdCentro}});
            const int mi = d.inicio.isEmpty() ? 0 : d.inicio.mid(5, 2).toInt();
            const int mf = d.fin.isEmpty() ? 0 : d.fin.mid(5, 2).toInt();
            const QString mask = mascara(mi, mf, d.tipo);
            // Month flags in calendar order, from the school-year mask.
            const QString cal = mask.mid(4) + mask.left(4);
            auto conMeses = [&](QVector<Escritor::Par> base) {
                for (int m = 0; m < 12; ++m) base.append({meses[m], cal[m] == QLatin1Char('1') ? -1 : 0});
                base.append({"MesesRealizacion", mask});
                return base;
            };
            // Prices by student type: grants and large families pay less.
            const int descuento[] = {100, 50, 80, 85};
            for (int t = 0; t < 4 && d.centimos; ++t) {
                const int c = d.centimos * descuento[t] / 100;
                w_.fila("Actividad_TipoAlumno", {{"CodActividad", id}, {"CodTipoAlumno", t + 1},
                                                 {"PrecioGeneralPta", pesetas(c)}, {"PrecioGeneralEuro", euros(c)}});
            }
            if (d.tipo != 1) {
                const int dias = d.tipo == 0 && d.centimos ? 5 : 2;
                for (int dia = 0; dia < dias; ++dia) {
                    const int as = ++idAs;
                    const int semana = dias == 5 ? dia + 1 : (k % 2 ? 2 : 1) + dia * 2;
                    const bool comedor = d.tipo == 0 && d.centimos;
                    w_.fila("ActividadSemanal", {{"IDAS", as}, {"DiaSemana", semana},
                                                 {"HoraInicio", comedor ? u("13:30") : u("16:30")},
                                                 {"HoraFin", comedor ? u("15:00") : u("17:30")}});
                    w_.fila("Actividad_ActividadSemanal", {{"CodActividad", id}, {"CodActividadSemanal", as}});
                }
            } else {
                w_.fila("ActividadCalendario", {{"IDActividadCalendario", ++idCal}, {"CodActividad", id}, {"Fecha", d.inicio}});
            }
            const int monitores = k == 0 ? 3 : 1;
            QSet<int> vistos;
            for (int p = 0; p < monitores; ++p) {
                const int per = az_.de(personal_);
                if (vistos.contains(per)) continue;
                vistos.insert(per);
                w_.fila("Actividad_Personal", conMeses({{"CodActividad", id}, {"CodPersonal", per}}));
            }
            for (const Alumno& a : alumnos_) {
                if (a.anticipado) continue;
                const int tipo = cursos_[a.curso - 1].def->tipo;
                if (k == 2 && !(tipo == 3 && cursos_[a.curso - 1].def->orden == 4)) continue;  // the 4º ESO trip
                if (k == 0 && tipo > 3) continue;
                const bool fijo = a.fijo >= 0 && (k == 2 || (k + a.fijo) % 2 == 0);
                if (!az_.milesimas(k == 2 ? 700 : d.permil) && !fijo) continue;
                const int c = d.centimos * descuento[a.tipoAlumno - 1] / 100;
                w_.fila("Alumno_Actividad_Miembro",
                         conMeses({{"CodActividad", id}, {"CodAlumno", a.id}, {"PrecioEuros", euros(c)}, {"PrecioPesetas", pesetas(c)}}));
            }
        }
    }

    // -- Receipts and the rest -----------------------------------------------
    void recibos() {
        int id = 0, idP = 0;
        for (const Familia& f : familias_) {
            for (int mes = 9; mes <= 12; ++mes)
                if (az_.milesimas(250))
                    w_.fila("Recibo", {{"IDRecibo", ++id}, {"CodMiembroFamiliaPagador", f.pagador}, {"Fecha", fecha(2025, mes, 5)},
                                       {"Importe", double(az_.entre(30, 180))}, {"Concepto", u("Cuota de actividades y comedor")}});
            const bool debe = az_.milesimas(50) || f.id == 3;
            if (debe || az_.milesimas(80)) {
                ++idP;
                if (debe) ++recibosSinPagar;
                w_.fila("ReciboPendiente", {{"IDReciboP", idP}, {"CodMiembroFamiliaPagador", f.pagador},
                                            {"Fecha", fecha(2026, az_.entre(1, 5), 5)},
                                            {"Importe", az_.entre(2500, 19000) / 100.0}, {"Pagado", v(!debe)}});
            }
        }
    }

    void varios() {
        w_.fila("UltimoID", {{"UltimoEvaluacion", ultimos_.value(0)}, {"UltimoEvaluacionActa", ultimos_.value(1)},
                             {"UltimoAlumno_MateriaDetalles", ultimos_.value(2)}, {"UltimoSeccion", int(ultimos_.value(3))},
                             {"UltimoMateriaDetalles", int(ultimos_.value(4))}, {"UltimoPublicacion", 1}});
        int incidencias = 0;
        for (const Alumno& a : alumnos_)
            if (!a.anticipado && az_.milesimas(30))
                w_.fila("IncidenciaAlumno", {{"IDIncidenciaAlumno", ++incidencias}, {"CodAlumno", a.id},
                                             {"Fecha", fecha(2026, az_.entre(1, 5), az_.entre(1, 28))},
                                             {"Descripcion", u("Retraso reiterado en la entrada de la mañana")}});
        w_.fila("Mensaje", {{"IDMensaje", 1}, {"CodUsuario", IdUsuario}, {"Fecha", fecha(2026, 6, 1)},
                            {"Texto", u("Recordad revisar las actas antes del cierre de curso.")}, {"Leido", v(false)}});
        w_.fila("FechaNotas", {{"IDFechaNotas", 1}, {"CodNumEvaluacion", 4}, {"Fecha", fecha(2026, 6, 24)}});
    }

    void borrados() {
        // The deleted-records twin holds what the secretary removed this year.
        b_.fila("Alumno", {{"IDAlumno", n_ + 1}, {"Nombre", u("Iñaki")}, {"Apellido_1", u("Echeverría")},
                           {"Apellido_2", u("Goñi")}, {"CodTipoEnsenanza", 2}, {"CodCurso", 5}, {"FechaBaja", fecha(2025, 10, 3)}});
        b_.fila("Alumno", {{"IDAlumno", n_ + 2}, {"Nombre", u("Chloé")}, {"Apellido_1", u("D'Alessandro")},
                           {"Apellido_2", QString()}, {"CodTipoEnsenanza", 3}, {"CodCurso", 11}, {"FechaBaja", fecha(2025, 11, 17)}});
        b_.fila("Familia", {{"IDFamilia", familias_.size() + personalPropia_.size() + 1}, {"Nombre", u("Echeverría Goñi")}});
    }

    Escritor& w_;
    Escritor& b_;
    int verdad_;
    Azar az_;
    int n_;
    QVector<Curso> cursos_;
    QVector<Seccion> secciones_;
    QVector<Alumno> alumnos_;
    QVector<Familia> familias_;
    QVector<int> personal_;
    QVector<int> personalPropia_;
    QHash<int, int> personalFamilia_;
    QHash<int, int> ordenSeccion_;
    QHash<int, bool> promocion_;
    QHash<int, QPair<int, int>> pendienteDe_;
    QVector<qint64> ultimos_;
    int ultimaDireccion_ = 0, ultimaCuenta_ = 0, ultimaFoto_ = 0, ultimoMiembro_ = 0, ultimoPagador_ = 0;
};

// ---------------------------------------------------------------------------
// The four databases.
// ---------------------------------------------------------------------------
struct Destino {
    // Connection strings, in the order AppEntrada, BorradoAppEntrada, A, B.
    QStringList cadenas;
    QStringList nombres;  // what the user sees: file names or catalogs
    QString donde;        // folder or server, for the messages
    // How the application entry names the year's databases: on SQLite
    // relative to its own folder, so that a copy of the folder is a school
    // of its own and never reaches back to the original's files.
    QStringList registradas;
};

void escribirAppEntrada(Conexion& con, const QStringList& cadenas, const std::function<QString(int, bool)>& cadenaAnio) {
    Escritor w(con, TipoBase::AppEntrada);
    w.fila("Centro", {{"IDCentro", IdCentro}, {"Nombre", u(NombreCentro)}, {"CodigoCentro", u("28012345")},
                      {"Localidad", u("Madrid")}});
    w.fila("Usuario", {{"IDUsuario", IdUsuario}, {"Nombre", u("Secretaría")}, {"Administrador", QVariant(con.verdadero())}});
    const char* nombres[] = {"2023/2024", "2024/2025", NombreCursoActual};
    for (int anio = 1; anio <= IdCursoActual; ++anio) {
        const bool actual = anio == IdCursoActual;
        // Earlier years keep the names their databases had; only the
        // current year's databases are part of the sample.
        w.fila("CursoEscolar", {{"IDCursoEscolar", anio}, {"Nombre", u(nombres[anio - 1])}, {"CodCentro", IdCentro},
                                {"BD", actual ? cadenas[2] : cadenaAnio(anio, false)},
                                {"BDBorrado", actual ? cadenas[3] : cadenaAnio(anio, true)},
                                {"UltimoUtilizado", actual ? -1 : 0}, {"Activa", actual ? -1 : 0}});
        w.fila("CursoEscolar_Usuario", {{"CodCursoEscolar", anio}, {"CodUsuario", IdUsuario}});
    }
    w.terminar();
}

int contar(Conexion& con, const QString& sql) {
    Recordset r = con.Abrir(sql);
    return r.eof() ? 0 : int(r.entero(r.nombreCampo(0)));
}

ResumenDemo construir(const Destino& d, const OpcionesDemo& o, const std::function<QString(int, bool)>& cadenaAnio) {
    if (o.alumnos < MinimoAlumnosDemo)
        throw Error(errores::Desbordamiento, QStringLiteral("La escuela de demostración necesita al menos %1 alumnos").arg(MinimoAlumnosDemo));
    Conexion app(d.cadenas[0]), borradoApp(d.cadenas[1]), centro(d.cadenas[2]), borrado(d.cadenas[3]);
    for (Conexion* c : {&app, &borradoApp, &centro, &borrado}) c->Open();
    crearEsquema(app, TipoBase::AppEntrada);
    crearEsquema(borradoApp, TipoBase::AppEntrada);
    crearEsquema(centro, TipoBase::Centro);
    crearEsquema(borrado, TipoBase::Centro);

    ResumenDemo r;
    {
        Transaccion ta(centro), tb(borrado);
        Escritor wa(centro, TipoBase::Centro), wb(borrado, TipoBase::Centro);
        Generador g(wa, wb, centro, o);
        g.generar();
        wa.terminar();
        wb.terminar();
        ta.confirmar();
        tb.confirmar();
        r.activos = g.activos;
        r.bajas = g.bajas;
        r.anticipados = g.anticipados;
        r.repetidores = g.repetidores;
        r.recibosSinPagar = g.recibosSinPagar;
    }
    {
        Transaccion t(app);
        escribirAppEntrada(app, d.registradas.isEmpty() ? d.cadenas : d.registradas, cadenaAnio);
        t.confirmar();
    }
    r.appEntrada = d.cadenas[0];
    r.borradoAppEntrada = d.cadenas[1];
    r.centro = d.cadenas[2];
    r.borradoCentro = d.cadenas[3];
    r.idCentro = IdCentro;
    r.idCursoEscolar = IdCursoActual;
    r.cursoEscolar = u(NombreCursoActual);
    r.nombreCentro = u(NombreCentro);
    r.bases = d.nombres;
    r.donde = d.donde;
    const char* principales[] = {"Alumno", "Familia", "MiembroFamilia", "Personal", "Direccion", "Cuenta",
                                 "TipoEnsenanza", "Curso", "Seccion", "Materia", "MateriaDetalles",
                                 "Alumno_MateriaDetalles", "Evaluacion", "EvaluacionActa", "Alumno_NumEvaluacion",
                                 "AlumnoPte_MatDet", "CursoEscolarHistorico", "EvaluacionHistorica", "Actividad",
                                 "Alumno_Actividad_Miembro", "Prematriculacion", "ReciboPendiente", "DatosMedicos", "Foto"};
    for (const char* t : principales)
        r.filas.append({QString::fromLatin1(t), contar(centro, QStringLiteral("SELECT COUNT(*) AS n FROM %1").arg(QString::fromLatin1(t)))});
    for (Conexion* c : {&app, &borradoApp, &centro, &borrado}) c->Close();
    return r;
}

QString listaBases(const QStringList& nombres) { return nombres.join(QStringLiteral(", ")); }

}  // namespace

int ResumenDemo::numeroFilas(const QString& tabla) const {
    for (const auto& f : filas)
        if (f.first.compare(tabla, Qt::CaseInsensitive) == 0) return f.second;
    return -1;
}

QString ResumenDemo::texto() const {
    QString s;
    s += QStringLiteral("Escuela de demostración creada en %1\n").arg(donde);
    s += QStringLiteral("  Centro %1: %2, curso escolar %3 (id %4)\n").arg(idCentro).arg(nombreCentro, cursoEscolar).arg(idCursoEscolar);
    s += QStringLiteral("  Bases de datos: %1\n").arg(listaBases(bases));
    s += QStringLiteral("  Alumnos: %1 (%2 activos, %3 bajas, %4 prematriculados por anticipado, %5 repetidores)\n")
             .arg(numeroFilas(QStringLiteral("Alumno"))).arg(activos).arg(bajas).arg(anticipados).arg(repetidores);
    const QPair<const char*, const char*> etiquetas[] = {
        {"Familia", "Familias"}, {"MiembroFamilia", "Miembros de familia"}, {"Personal", "Personal"},
        {"Direccion", "Direcciones"}, {"Cuenta", "Cuentas bancarias"}, {"TipoEnsenanza", "Tipos de enseñanza"},
        {"Curso", "Cursos"}, {"Seccion", "Secciones"}, {"Materia", "Materias"},
        {"MateriaDetalles", "Materias por sección"}, {"Alumno_MateriaDetalles", "Matrículas en materias"},
        {"Evaluacion", "Notas de evaluación"}, {"EvaluacionActa", "Notas de acta"},
        {"Alumno_NumEvaluacion", "Evaluaciones de alumnos"}, {"AlumnoPte_MatDet", "Materias pendientes"},
        {"CursoEscolarHistorico", "Cursos históricos"}, {"EvaluacionHistorica", "Notas históricas"},
        {"Actividad", "Actividades"}, {"Alumno_Actividad_Miembro", "Inscripciones en actividades"},
        {"Prematriculacion", "Prematrículas"}, {"DatosMedicos", "Fichas médicas"}, {"Foto", "Fotos"}};
    for (const auto& [tabla, etiqueta] : etiquetas)
        s += QStringLiteral("  %1: %2\n").arg(QString::fromUtf8(etiqueta)).arg(numeroFilas(QString::fromLatin1(tabla)));
    s += QStringLiteral("  Recibos pendientes: %1 (%2 sin pagar)\n").arg(numeroFilas(QStringLiteral("ReciboPendiente"))).arg(recibosSinPagar);
    return s;
}

ResumenDemo crearDemoSQLite(const QString& carpeta, const OpcionesDemo& o) {
    if (!QDir().mkpath(carpeta))
        throw Error(errores::Archivo, QStringLiteral("No se puede crear la carpeta %1").arg(carpeta));
    const QDir dir(QFileInfo(carpeta).absoluteFilePath());
    const QStringList archivos{QStringLiteral("AppEntrada.db"), QStringLiteral("BorradoAppEntrada.db"),
                               QStringLiteral("A%1C%2.db").arg(IdCentro).arg(IdCursoActual),
                               QStringLiteral("B%1C%2.db").arg(IdCentro).arg(IdCursoActual)};
    QStringList presentes;
    for (const QString& a : archivos)
        if (archivos::existe(dir.filePath(a))) presentes << a;
    if (!presentes.isEmpty() && !o.reemplazar)
        throw ErrorDemoExiste(QStringLiteral("Ya hay una escuela en %1 (%2). Use --reemplazar para sustituirla por una nueva.")
                                  .arg(dir.path(), listaBases(presentes)));
    if (o.reemplazar) {
        // Also what an earlier closing of the sample left: the databases of
        // later years and any backup or compaction file.
        const QRegularExpression propios(QStringLiteral("^([AB]%1C\\d+B?|AppEntradaB|BorradoAppEntradaB|Compact|CompactB)\\.db$").arg(IdCentro));
        for (const QString& a : dir.entryList(QDir::Files))
            if (archivos.contains(a) || propios.match(a).hasMatch()) archivos::borrar(dir.filePath(a));
    }
    auto cadena = [&](const QString& archivo) {
        CadenaConexion c;
        c.fijar(QStringLiteral("Provider"), QStringLiteral("SQLite"));
        c.fijar(QStringLiteral("Data Source"), dir.filePath(archivo));
        return c.texto();
    };
    auto relativa = [&](const QString& archivo) {
        CadenaConexion c;
        c.fijar(QStringLiteral("Provider"), QStringLiteral("SQLite"));
        c.fijar(QStringLiteral("Data Source"), archivo);
        return c.texto();
    };
    Destino d;
    for (const QString& a : archivos) {
        d.cadenas << cadena(a);
        d.registradas << relativa(a);
    }
    d.nombres = archivos;
    d.donde = dir.path() + QStringLiteral(" (SQLite)");
    try {
        return construir(d, o, [&](int anio, bool b) {
            return relativa(QStringLiteral("%1%2C%3.db").arg(QLatin1Char(b ? 'B' : 'A')).arg(IdCentro).arg(anio));
        });
    } catch (...) {
        for (const QString& a : archivos) {
            try { archivos::borrar(dir.filePath(a)); } catch (...) {}
        }
        throw;
    }
}

ResumenDemo crearDemoServidor(const DatosConexion& enServidor, const OpcionesDemo& o) {
    const QStringList nombres{o.prefijo + QStringLiteral("AppEntrada"), o.prefijo + QStringLiteral("BorradoAppEntrada"),
                              o.prefijo + QStringLiteral("A%1C%2").arg(IdCentro).arg(IdCursoActual),
                              o.prefijo + QStringLiteral("B%1C%2").arg(IdCentro).arg(IdCursoActual)};
    DatosConexion base = enServidor;
    base.proveedor = Proveedor::PostgreSQL;
    const QString servidor = base.origen();
    QStringList presentes;
    for (const QString& n : nombres)
        if (servidor::existe(base, n)) presentes << n;
    if (!presentes.isEmpty() && !o.reemplazar)
        throw ErrorDemoExiste(QStringLiteral("Ya hay una escuela en el servidor %1 (%2). Use --reemplazar para sustituirla por una nueva.")
                                  .arg(servidor, listaBases(presentes)));
    if (o.reemplazar) {
        // Also the later years and backups an earlier closing left behind.
        Conexion c(base.conBase(QStringLiteral("postgres")));
        c.Open();
        const QRegularExpression propios(QStringLiteral("^(%1)([AB]%2C\\d+B?|AppEntradaB|BorradoAppEntradaB)$")
                                             .arg(QRegularExpression::escape(o.prefijo)).arg(IdCentro));
        QStringList sobran = presentes;
        for (Recordset r = c.Abrir(QStringLiteral("SELECT datname FROM pg_database")); !r.eof(); r.MoveNext())
            if (propios.match(r.texto(QStringLiteral("datname"))).hasMatch()) sobran << r.texto(QStringLiteral("datname"));
        c.Close();
        for (const QString& n : sobran) servidor::borrar(base, n);
    }
    auto cadena = [&](const QString& catalogo) { return base.conBase(catalogo).cadena(); };
    Destino d;
    QStringList creadas;
    try {
        for (const QString& n : nombres) {
            servidor::crear(base, n);
            creadas << n;
            d.cadenas << cadena(n);
        }
        d.nombres = nombres;
        d.donde = QStringLiteral("el servidor %1 (PostgreSQL)").arg(servidor);
        return construir(d, o, [&](int anio, bool b) {
            return cadena(o.prefijo + QStringLiteral("%1%2C%3").arg(QLatin1Char(b ? 'B' : 'A')).arg(IdCentro).arg(anio));
        });
    } catch (...) {
        for (const QString& n : creadas) {
            try { servidor::borrar(base, n); } catch (...) {}
        }
        throw;
    }
}

}  // namespace ncc::suite
