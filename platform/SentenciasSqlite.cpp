#include "platform/SentenciasSqlite.h"
#include "platform/Error.h"
#include "platform/ValorNulo.h"
#include <QByteArray>
#include <QDateTime>
#include <QVector>
#include <new>
#include <sqlite3.h>

namespace ncc {

namespace {

int enlazarTexto(sqlite3_stmt* s, int i, const QString& t) {
    return sqlite3_bind_text16(s, i, t.utf16(), int(t.size() * sizeof(QChar)), SQLITE_TRANSIENT);
}

int enlazar(sqlite3_stmt* s, int i, const QVariant& v, int verdadero) {
    if (seEscribeNulo(v)) return sqlite3_bind_null(s, i);
    switch (v.typeId()) {
    case QMetaType::Bool: return sqlite3_bind_int(s, i, v.toBool() ? verdadero : 0);
    case QMetaType::Int: return sqlite3_bind_int(s, i, v.toInt());
    case QMetaType::UInt:
    case QMetaType::LongLong: return sqlite3_bind_int64(s, i, v.toLongLong());
    case QMetaType::Double: return sqlite3_bind_double(s, i, v.toDouble());
    case QMetaType::QByteArray: {
        const QByteArray b = v.toByteArray();
        return sqlite3_bind_blob(s, i, b.constData(), int(b.size()), SQLITE_TRANSIENT);
    }
    case QMetaType::QDateTime: return enlazarTexto(s, i, v.toDateTime().toString(Qt::ISODateWithMs));
    case QMetaType::QTime: return enlazarTexto(s, i, v.toTime().toString(QStringLiteral("hh:mm:ss.zzz")));
    default: return enlazarTexto(s, i, v.toString());
    }
}

QVariant valorColumna(sqlite3_stmt* s, int i) {
    switch (sqlite3_column_type(s, i)) {
    case SQLITE_INTEGER: return QVariant(qint64(sqlite3_column_int64(s, i)));
    case SQLITE_FLOAT: return QVariant(sqlite3_column_double(s, i));
    case SQLITE_NULL: return QVariant(QMetaType::fromType<QString>());
    case SQLITE_BLOB: {
        const char* b = static_cast<const char*>(sqlite3_column_blob(s, i));
        return QVariant(QByteArray(b, sqlite3_column_bytes(s, i)));
    }
    default: {
        // The text as the file holds it, UTF-8, converted once by Qt
        // (asked for UTF-16, SQLite would convert it into a copy first).
        const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(s, i));
        const int bytes = sqlite3_column_bytes(s, i);
        if (!t && sqlite3_errcode(sqlite3_db_handle(s)) == SQLITE_NOMEM) throw std::bad_alloc();
        return QVariant(QString::fromUtf8(t, bytes));
    }
    }
}

// A text holds one statement: what SQLite left after the first must be
// blank (Qt refused the same).
void comprobarUnaSola(const QString& sql, const void* resto) {
    if (!resto) return;
    const qsizetype desde = static_cast<const QChar*>(resto) - sql.constData();
    if (desde < sql.size() && !QStringView(sql).mid(desde).trimmed().isEmpty())
        throw Error(SQLITE_MISUSE, QStringLiteral("No se pueden ejecutar varias sentencias a la vez"));
}

}  // namespace

// One run of a statement: a statement with values is the connection's,
// kept prepared and left reset with its values cleared; one without is
// prepared for this run and finalized after it (its text usually carries its
// ids and is seldom repeated).
class SentenciasSqlite::Uso {
public:
    Uso(SentenciasSqlite& d, const QString& sql, const QVariantList& valores, int verdadero)
        : d_(d), guardada_(!valores.isEmpty()) {
        if (guardada_) {
            s_ = d.preparar(sql);
        } else {
            const int r = sqlite3_prepare16_v2(d.base_, sql.utf16(), int(sql.size() * sizeof(QChar)), &s_, &resto_);
            if (r != SQLITE_OK) d.lanzar(r);
        }
        try {
            if (!guardada_) comprobarUnaSola(sql, resto_);
            for (int i = 0; i < valores.size(); ++i)
                if (const int r = enlazar(s_, i + 1, valores[i], verdadero); r != SQLITE_OK) d.lanzar(r);
        } catch (...) {
            soltar();
            throw;
        }
    }
    ~Uso() { soltar(); }
    void soltar() {
        if (!s_) return;
        if (guardada_) {
            sqlite3_reset(s_);
            sqlite3_clear_bindings(s_);
        } else {
            sqlite3_finalize(s_);
        }
        s_ = nullptr;
    }
    Uso(const Uso&) = delete;
    Uso& operator=(const Uso&) = delete;

    // Whether a row was read; a failure is thrown with its code.
    bool paso() {
        const int r = sqlite3_step(s_);
        if (r == SQLITE_ROW) return true;
        if (r == SQLITE_DONE) return false;
        // The statement's own error, as the reset gives it.
        const int codigo = sqlite3_reset(s_);
        d_.lanzar(codigo != SQLITE_OK ? codigo : r);
    }
    sqlite3_stmt* sentencia() const { return s_; }

private:
    SentenciasSqlite& d_;
    bool guardada_;
    sqlite3_stmt* s_ = nullptr;
    const void* resto_ = nullptr;  // what follows the first statement of the text
};

SentenciasSqlite::~SentenciasSqlite() {
    for (sqlite3_stmt* s : std::as_const(preparadas_)) sqlite3_finalize(s);
}

sqlite3_stmt* SentenciasSqlite::preparar(const QString& sql) {
    if (sqlite3_stmt* s = preparadas_.value(sql)) return s;
    sqlite3_stmt* s = nullptr;
    const void* resto = nullptr;
    const int r = sqlite3_prepare16_v3(base_, sql.utf16(), int(sql.size() * sizeof(QChar)), SQLITE_PREPARE_PERSISTENT,
                                       &s, &resto);
    if (r != SQLITE_OK) lanzar(r);
    try {
        comprobarUnaSola(sql, resto);
    } catch (...) {
        sqlite3_finalize(s);
        throw;
    }
    preparadas_.insert(sql, s);
    return s;
}

void SentenciasSqlite::lanzar(int codigo) const {
    // SQLite's own "out of memory" is the program's, as anywhere else.
    if ((codigo & 0xff) == SQLITE_NOMEM) throw std::bad_alloc();
    const auto* texto = static_cast<const QChar*>(sqlite3_errmsg16(base_));
    QString t = texto ? QString(texto).trimmed() : QString();
    if (t.isEmpty()) t = QString::fromUtf8(sqlite3_errstr(codigo));
    throw Error(codigo, t);
}

int SentenciasSqlite::ejecutar(const QString& sql, const QVariantList& valores, int verdadero) {
    Uso u(*this, sql, valores, verdadero);
    u.paso();
    return sqlite3_changes(base_);
}

Recordset SentenciasSqlite::abrir(const QString& sql, const QVariantList& valores, int verdadero) {
    Uso u(*this, sql, valores, verdadero);
    sqlite3_stmt* s = u.sentencia();
    const int n = sqlite3_column_count(s);
    QStringList columnas;
    columnas.reserve(n);
    for (int i = 0; i < n; ++i) columnas << QString(static_cast<const QChar*>(sqlite3_column_name16(s, i)));
    QVector<QVariant> leidos;
    while (u.paso())
        for (int i = 0; i < n; ++i) leidos.append(valorColumna(s, i));
    return Recordset(std::move(columnas), std::move(leidos));
}

}  // namespace ncc
