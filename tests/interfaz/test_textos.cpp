// The string table: every text the users know, exactly as they know it.
#include "platform/Error.h"
#include "comun/Utf8.h"
#include "platform/Textos.h"
#include <QMap>
#include <algorithm>
#include <gtest/gtest.h>

using namespace ncc;


TEST(Textos, LaTablaTieneTodosSusTextosYNingunoMas) {
    const QList<int> ids = idsTextos();
    EXPECT_EQ(ids.size(), 217);
    EXPECT_EQ(ids.first(), 100);
    EXPECT_EQ(ids.last(), 17504);
    EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
    // Entries per block: the common texts, then one block per window.
    QMap<int, int> porBloque;
    for (int id : ids) porBloque[id / 1000]++;
    const QMap<int, int> esperado{{0, 24}, {1, 13}, {2, 36}, {3, 28}, {4, 14}, {5, 2},  {6, 7},
                                  {7, 8},  {8, 15}, {9, 3},  {10, 9}, {11, 5}, {12, 6}, {13, 11}, {15, 28},
                                  {16, 3}, {17, 5}};
    EXPECT_EQ(porBloque, esperado);
    for (int id : ids) EXPECT_FALSE(Texto(id).isEmpty()) << id;
}

TEST(Textos, TextosExactosConSusErratasYBlancos) {
    EXPECT_EQ(Texto(TituloProducto), u("NORVA GESTIÓN ESCOLAR"));
    EXPECT_EQ(Texto(PalabraError), u("Error"));
    EXPECT_EQ(Texto(710), u("Ha dejado alguna actividad sin promocionar. Si realiza el proceso de cierre de "
                            "curso  se eliminarán. ¿Desea continuar?"));
    EXPECT_EQ(Texto(1183),
              u("Se dispone a realizar el cierre de Curso Escolar. Esta operación no puede ser deshecha.\r\n"
                "Si finaliza el cierre del curso escolar actual, no podrá realizar modificación alguna sobre "
                "dicho curso escolar.\r\nLe recomendamos que haga una copia de las bases de datos antes de "
                "realizar este proceso.\r\n\r\n ¿Desea continuar con el cierre de curso escolar?."));
    EXPECT_EQ(Texto(1183).count(QStringLiteral("\r\n")), 4);
    EXPECT_EQ(Texto(2182), u("Proceso realizado satisfactoriamene"));
    EXPECT_EQ(Texto(2185), u("No se ha encontrado ningna seccion válida para promocionar"));
    EXPECT_TRUE(Texto(707).startsWith(u("Error crítico. Finalize el proceso")));
    EXPECT_TRUE(Texto(707).contains(u("e inicielo de nuevo")));
    EXPECT_EQ(Texto(8050), u("MENSAJES "));
    EXPECT_EQ(Texto(8052), u(" en todos los alumnos?"));
    EXPECT_EQ(Texto(8054), u(" de la sección.¿Desea continuar? "));
    EXPECT_EQ(Texto(13053), u("Propiedades del alumno "));
    EXPECT_EQ(Texto(7011), u("Listar Materias"));
    EXPECT_EQ(Texto(2188), u("Pulse Si para eliminar todas las modificaciones realizadas y realizar la "
                             "promoción desde el principio"));
    EXPECT_EQ(Texto(1120), u("Centro:"));
    EXPECT_EQ(Texto(3179), u("Si"));
    EXPECT_EQ(Texto(332), u("< Anterior"));
}

TEST(Textos, UnIdQueNoEstaLanzaErrorYNoDevuelveVacio) {
    EXPECT_FALSE(existeTexto(101));
    EXPECT_TRUE(existeTexto(1120));
    for (int id : {0, -1, 101, 1002, 9001, 13054, 99999}) {
        try {
            (void)Texto(id);
            ADD_FAILURE() << "no error for " << id;
        } catch (const Error& e) {
            EXPECT_EQ(e.numero(), errores::TextoNoEncontrado);
            EXPECT_TRUE(e.descripcion().contains(QString::number(id))) << e.descripcion().toStdString();
        }
    }
}
