// The string table: every text the users know, exactly as they know it.
#include "comun/Lectura.h"
#include "comun/Utf8.h"
#include "platform/Textos.h"
#include <QMap>
#include <algorithm>
#include <gtest/gtest.h>

using namespace ncc;
using ncc::pruebas::enFila;


TEST(Textos, LaTablaTieneTodosSusTextosYNingunoMasExactosConSusErratasYBlancos) {
    const QList<int> ids = idsTextos();
    EXPECT_EQ(enFila({ids.size(), ids.first(), ids.last(), std::is_sorted(ids.begin(), ids.end())}),
              "217|100|17504|true");
    // Entries per block: the common texts, then one block per window.
    QMap<int, int> porBloque;
    for (int id : ids) porBloque[id / 1000]++;
    const QMap<int, int> esperado{{0, 24}, {1, 13}, {2, 36}, {3, 28}, {4, 14}, {5, 2},  {6, 7},
                                  {7, 8},  {8, 15}, {9, 3},  {10, 9}, {11, 5}, {12, 6}, {13, 11}, {15, 28},
                                  {16, 3}, {17, 5}};
    EXPECT_EQ(porBloque, esperado);
    for (int id : ids) EXPECT_FALSE(Texto(id).isEmpty()) << id;
    // What is not in the table is not there (a missing id's error is the
    // form loader's test's).
    EXPECT_EQ(enFila({existeTexto(101), existeTexto(1120)}), "false|true");

    // Exact texts, with their misspellings and blanks.
    const std::pair<int, const char*> textos[] = {
        {TituloProducto, "NORVA GESTIÓN ESCOLAR"}, {PalabraError, "Error"}, {1120, "Centro:"}, {3179, "Si"},
        {710, "Ha dejado alguna actividad sin promocionar. Si realiza el proceso de cierre de curso  se eliminarán. "
              "¿Desea continuar?"},
        {1183, "Se dispone a realizar el cierre de Curso Escolar. Esta operación no puede ser deshecha.\r\n"
               "Si finaliza el cierre del curso escolar actual, no podrá realizar modificación alguna sobre "
               "dicho curso escolar.\r\nLe recomendamos que haga una copia de las bases de datos antes de "
               "realizar este proceso.\r\n\r\n ¿Desea continuar con el cierre de curso escolar?."},
        {2182, "Proceso realizado satisfactoriamene"},
        {2185, "No se ha encontrado ningna seccion válida para promocionar"},
        {8050, "MENSAJES "}, {8052, " en todos los alumnos?"}, {8054, " de la sección.¿Desea continuar? "},
        {13053, "Propiedades del alumno "}, {7011, "Listar Materias"}, {332, "< Anterior"},
        {2188, "Pulse Si para eliminar todas las modificaciones realizadas y realizar la promoción desde el "
               "principio"},
    };
    for (const auto& [id, texto] : textos) EXPECT_EQ(Texto(id), u(texto)) << id;
    EXPECT_TRUE(Texto(707).startsWith(u("Error crítico. Finalize el proceso")) &&
                Texto(707).contains(u("e inicielo de nuevo")));
}
