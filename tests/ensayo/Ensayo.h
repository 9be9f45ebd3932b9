#pragma once
// What the rehearsal tests look at: the school exactly as it is (the bytes
// of its SQLite files, every row of its server databases) and what a
// rehearsal could leave behind (its temporary folders, its notes, its
// server databases, the journal of its run).
#include "cierre/Muestra.h"
#include "host/EnsayoCierre.h"
#include <QCryptographicHash>
#include <QStandardPaths>

namespace ncc::pruebas {

// SQLite: every file of the school's folder with the hash of its bytes;
// server: every row of the four databases.
inline std::map<QString, QStringList> estadoEscuela(const Muestra& m) {
    std::map<QString, QStringList> r;
    if (!m.esServidor()) {
        // The rehearsal's report ("Ensayo cierre …pdf") lands beside the
        // school's databases: it is not one of them.
        for (const QString& f : QDir(m.carpeta).entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
            if (f == QLatin1String("Ensayo cierre 2025-2026.pdf")) continue;
            r[f] = {QString::fromLatin1(
                QCryptographicHash::hash(bytesDe(QDir(m.carpeta).filePath(f)), QCryptographicHash::Sha256).toHex())};
        }
        return r;
    }
    for (const QString& b : Muestra::bases()) {
        Conexion con(m.cadena(b));
        con.Open();
        r[b] = EscuelaPrueba::instantanea(con);
        con.Close();
    }
    return r;
}

// What rehearsals have left: folders in the temporary folder, notes in the
// user's data, databases on the test server.
inline QStringList restosDeEnsayos() {
    QStringList r;
    for (const QString& d : QDir(QDir::tempPath()).entryList({QStringLiteral("ncc-ensayo-*")}, QDir::Dirs))
        r << QStringLiteral("carpeta ") + d;
    const QString datos = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    for (const QString& f : QDir(QDir(datos).filePath(QStringLiteral("ncc/ensayos"))).entryList(QDir::Files))
        r << QStringLiteral("nota ") + f;
    if (hayServidor())
        for (const QString& n : servidor::conPrefijo(plantillaServidor(), QLatin1String(host::PrefijoEnsayo)))
            r << QStringLiteral("base ") + n;
    return r;
}

// A broken table in the year's database: a closing fails halfway.
inline void romperHistorico(const QString& cadenaCentro) {
    Conexion centro(cadenaCentro);
    centro.Open();
    centro.Execute(QStringLiteral("DROP TABLE EvaluacionHistorica"));
}

inline QString unir(const QStringList& l) { return l.join(QLatin1Char('\n')); }

}  // namespace ncc::pruebas
