// The string table of the component, as the suite ships it for Spanish
// (Spain). The texts are kept exactly as the users know them, typos, double
// blanks and trailing blanks included: other programs of the suite and the
// users' own notes quote them. Ids group by window: below 1000 the common
// texts; each window owns a block of 1000 whose first entry (N000) is a marker
// with the window's name and is never shown.
#include "platform/Textos.h"
#include <QHash>
#include <iterator>

namespace ncc::textos {

struct EntradaTexto {
    int id;
    const char* texto;  // UTF-8
};

namespace {

constexpr EntradaTexto tabla[] = {
    // Common texts.
    {100, "NORVA GESTIÓN ESCOLAR"},
    {330, "Promocionar"},
    {331, "Ayuda"},
    {332, "< Anterior"},
    {333, "Siguiente >"},
    {334, "Aceptar"},
    {335, "Cancelar"},
    {336, "Finalizar"},
    {337, "Efectuar cambios"},
    {338, "Deshacer cambios"},
    {339, "Aplicar"},
    {340, "Sel. Todos"},
    {341, "Sel. Ninguno"},
    {500, "Error"},
    {706, "No se puede establecer la ruta de la base de datos"},
    {707, "Error crítico. Finalize el proceso de cierre de curso escolar e inicielo de nuevo. Si no realiza esta recomendación podrían faltar datos en el siguiente Curso Escolar"},
    {708, "Error al restaurar las bases de datos originales. Si se dispone de una copia de seguridad de las bases de datos, salga del cierre de Curso Escolar y restaurela"},
    {709, "No se puede obtener la ruta de la base de datos"},
    {710, "Ha dejado alguna actividad sin promocionar. Si realiza el proceso de cierre de curso  se eliminarán. ¿Desea continuar?"},
    {711, "No ha promocionado ningún curso"},
    {712, "No se puede establecer la contraseña de la Base de Datos"},
    {713, "Realizando cierre... Espere por favor"},
    {714, "Proceso de cierre"},
    {715, "Los alumnos que formaban parte de esta actividad han cambiado. Deberá crearla de nuevo"},

    // 1000: frmCierreCursoE.
    {1000, "FRMCIERRECURSOE"},
    {1001, "Asistente para Cierre del Curso Escolar Actual"},
    {1120, "Centro:"},
    {1121, "Curso escolar actual:"},
    {1122, "Curso escolar al que promocionan:"},
    {1150, "Salir"},
    {1180, "Hay recibos pendientes de pagar o de cobrar. Si se realiza el cierre estos quedarán pendientes. ¿Desea continuar?"},
    {1181, "Debe introducir el nombre del curso escolar al que se promocionará"},
    {1182, "Hay alumnos sin evaluar. Si realiza el cierre no podrá evaluarlos. ¿Desea continuar?"},
    {1183, "Se dispone a realizar el cierre de Curso Escolar. Esta operación no puede ser deshecha.\r\nSi finaliza el cierre del curso escolar actual, no podrá realizar modificación alguna sobre dicho curso escolar.\r\nLe recomendamos que haga una copia de las bases de datos antes de realizar este proceso.\r\n\r\n ¿Desea continuar con el cierre de curso escolar?."},
    {1184, "Operación cancelada por el usuario"},
    {1185, "¿Desea iniciar el proceso de Cierre de Curso Escolar?"},
    {1186, "No se han promocionado las actividades, ¿desea de todas formas iniciar el cierre de curso escolar?"},

    // 2000: frmCierreAlumnos.
    {2000, "FRMCIERREALUMNOS"},
    {2001, "Asistente para cierre de curso escolar. Selección de alumnos"},
    {2110, "Promocionar alumnos desde:"},
    {2112, "Alumnos:"},
    {2120, "Opciones"},
    {2130, "Seleccione tipo de enseñanza, curso y sección donde promocionarán los alumnos"},
    {2131, "Seleccione tipo de enseñanza, curso y sección donde repetirán los alumnos"},
    {2132, "Tipo de Enseñanza"},
    {2133, "Curso"},
    {2134, "Sección"},
    {2150, "Guardar datos alumnos"},
    {2151, "Cargar datos alumnos"},
    {2170, "Curso y sección"},
    {2171, "Promoción"},
    {2172, "Alumno"},
    {2173, "Promociona"},
    {2174, "Repite"},
    {2175, "Baja"},
    {2176, "Fecha baja"},
    {2180, "¿Desea abandonar el asistente?"},
    {2181, "Error al crear el curso escolar"},
    {2182, "Proceso realizado satisfactoriamene"},
    {2183, "Atención no se ha encontrado el curso al que pertenece la sección"},
    {2184, "Los datos de esta sección ya han sido modificados. ¿Desea borrar las modificaciones y cargar los datos nuevamente de la base de datos?"},
    {2185, "No se ha encontrado ningna seccion válida para promocionar"},
    {2186, "No se ha encontrado ninguna actividad definida"},
    {2187, "Ha dejado alguna sección sin promocionar. Si realiza el proceso de cierre de curso se eliminarán los alumnos de las secciones no promocionadas. ¿Desea continuar?"},
    {2188, "Pulse Si para eliminar todas las modificaciones realizadas y realizar la promoción desde el principio"},
    {2189, "Pulse No para mantener las modificaciones realizadas sobre la sección"},
    {2190, "No hay suficientes plazas en la sección seleccionada para albergar a todos los alumnos. ¿Desea continuar de todas formas?"},
    {2191, "Hay alumnos que promocionan que no están asignados a ningún curso. ¿Desea continuar?"},
    {2192, "Hay secciones que contienen más alumnos que plazas disponibles. Se actualizará el número de plazas de la sección al número de alumnos existentes en ella"},
    {2193, "No hay datos para realizar el cierre de curso escolar"},
    {2194, "¿Desea almacenar los datos de promoción de alumnos?"},
    {2195, "¿Desea cargar los últimos datos almacenados de la promoción de alumnos?"},
    {2196, "El número de plazas ocupadas no debe exceder de 200 alumnos"},

    // 3000: frmCierreActividades.
    {3000, "FRMCIERREACTIVIDADES"},
    {3001, "Asistente para cierre de curso escolar. Selección de actividades"},
    {3110, "Promocionar alumnos desde la actividad:"},
    {3111, "Opciones:"},
    {3112, "Alumnos:"},
    {3150, "Establecer precios"},
    {3151, "Guardar datos actividades"},
    {3152, "Cargar datos actividades"},
    {3170, "Actividad"},
    {3171, "Inicio"},
    {3172, "Fin"},
    {3173, "Alumno"},
    {3174, "Tipo alumno"},
    {3175, "Nuevo curso y sección"},
    {3176, "Pasar"},
    {3177, "Euros"},
    {3178, "Pesetas"},
    {3179, "Si"},
    {3180, "No"},
    {3181, "Baja"},
    {3182, "Sin fecha"},
    {3183, "Fecha inicio:"},
    {3184, "Fecha fin:"},
    {3190, "Los datos de esta actividad ya han sido modificados. ¿Desea borrar las modificaciones y cargar los datos nuevamente de la base de datos?"},
    {3191, "Pulse Si para eliminar todas las modificaciones realizadas y realizar la promoción desde el principio"},
    {3192, "Pulse No para mantener las modificaciones realizadas sobre la actividad"},
    {3193, "¿Desea almacenar los datos de promoción de actividades?"},
    {3194, "¿Desea cargar los últimos datos almacenados de la promoción de actividades?"},

    // 4000: frmPrecioActividad.
    {4000, "FRMPRECIOACTIVIDAD"},
    {4001, "Asistente para el Cierre de Curso Escolar. Selección de precios"},
    {4110, "Precios por:"},
    {4150, "Limpiar"},
    {4170, "Tipo alumno"},
    {4171, "Curso"},
    {4172, "Euros"},
    {4173, "Pesetas"},
    {4174, "Euros:"},
    {4175, "Pesetas:"},
    {4180, "No hay ningún curso en el que haya alumnos que participen en la actividad seleccionada"},
    {4181, "No hay registrados tipos de alumno"},
    {4190, "Tipo de alumno"},
    {4191, "Curso"},

    // 5000: frmProceso.
    {5000, "FRMPROCESO"},
    {5001, "Cierre de Curso Escolar"},

    // 6000: frmHistoricoCurso.
    {6000, "FRMHISTORICOCURSO"},
    {6001, "Editor de Cursos Históricos"},
    {6011, "Curso Escolar Histórico"},
    {6030, "Histórico de la Aplicación"},
    {6031, "Histórico del Usuario"},
    {6050, "MENSAJES DE ERROR"},
    {6051, "Ya hay algún usuario modificando este curso escolar histórico. Usted sólo podrá entrar en modo lectura."},

    // 7000: frmEditarHistorico.
    {7000, "FRMEDITARHISTORICO"},
    {7010, "Materia"},
    {7011, "Listar Materias"},
    {7012, "Listar Alumno"},
    {7013, "Propiedades"},
    {7050, "MENSAJES DE ERROR"},
    {7051, "Error al insertar en la base de datos"},
    {7052, "¿Desea guardar los cambios en el curso escolar histórico?"},

    // 8000: frmSelMateria.
    {8000, "FRMSELMATERIA"},
    {8001, "Listado de Materias"},
    {8010, "Seleccionadas:"},
    {8011, "Disponibles:"},
    {8030, "<<- Todos"},
    {8031, "<- Agregar"},
    {8032, "Quitar ->"},
    {8033, "Todos ->>"},
    {8050, "MENSAJES "},
    {8051, "¿Desea introducir la materia "},
    {8052, " en todos los alumnos?"},
    {8053, "Se eliminará la materia "},
    {8054, " de la sección.¿Desea continuar? "},
    {8055, "Hay alumnos evaluados para esa materia en el curso histórico. ¿Desea eliminar la materia y sus notas?"},
    {8056, "Hay alumnos evaluados para algunas materias ¿Desea eliminar todas materias y sus notas?"},

    // 9000: frmSelMatAl.
    {9000, "FRMSELMATAL"},
    {9050, "El alumno tiene materias evaluadas. ¿Desea eliminar todas las materias y sus notas?"},
    {9051, "El alumno está evaluado para esa asignatura ¿Desea eliminar la materia y sus notas?"},

    // 10000: frmSelHAlumno.
    {10000, "FRMSELHALUMNO"},
    {10001, "Listado de Alumnos"},
    {10010, "Seleccionados:"},
    {10030, "Agregar"},
    {10050, "MENSAJES"},
    {10051, "Los siguientes alumnos ya tienen notas asociadas para este curso histórico "},
    {10052, "pero para otro tipo de enseñanza o curso:"},
    {10053, "¿Desea asociarlos a un nuevo curso y borrar los datos existentes hasta ahora?"},
    {10054, "Existen alumnos con materias evaluadas. Si los elimina perderá todas las notas. ¿Desea continuar?."},

    // 11000: frmNCursoEscolar.
    {11000, "FRMNCURSOESCOLAR"},
    {11001, "Nuevo Curso Escolar Histórico"},
    {11010, "Nombre del Curso Escolar:"},
    {11030, "MENSAJES"},
    {11031, "Introduzca un nombre de curso histórico"},

    // 12000: frmPropMatAl.
    {12000, "FRMPROPMATAL"},
    {12010, "Materia:"},
    {12011, "Nota:"},
    {12012, "Medidas Especiales"},
    {12013, "Fecha de Evaluación"},
    {12014, "Evaluación"},

    // 13000: frmPropAlumno.
    {13000, "FRMPROPALUMNO"},
    {13010, "Alumno:"},
    {13011, "Materia:"},
    {13012, "Promociona..."},
    {13013, "... A Diversificación"},
    {13014, "... A PCPI"},
    {13030, "Listar"},
    {13050, "MENSAJES"},
    {13051, "Materia"},
    {13052, "Nota"},
    {13053, "Propiedades del alumno "},

    // 15000: the rehearsal of the closing.
    {15000, "ENSAYOCIERRE"},
    {15001, "Ensayar cierre"},
    {15002, "Ensayo del cierre de curso escolar"},
    {15010, "Comprobaciones previas al cierre"},
    {15011, "Creación de las bases de datos del nuevo curso escolar"},
    {15012, "Promoción de los alumnos"},
    {15013, "Eliminación de los datos de las familias de los alumnos que causan baja"},
    {15014, "Numeración de los alumnos en sus secciones"},
    {15015, "Asignación de los alumnos a sus nuevas secciones"},
    {15016, "Actualización de las fechas de evaluación"},
    {15017, "Paso de las materias de los alumnos"},
    {15018, "Paso de las notas y evaluaciones de los alumnos"},
    {15019, "Paso de las notas al histórico"},
    {15020, "Eliminación de los datos de los alumnos que causan baja"},
    {15021, "Paso de las actividades al nuevo curso escolar"},
    {15022, "Limpieza final de las bases de datos del nuevo curso escolar"},
    {15023, "Registro del nuevo curso escolar"},
    {15024, "Compactación de las bases de datos del nuevo curso escolar"},
    {15025, "Copia de las bases de datos del centro para el ensayo"},
    {15030, "Ensayo realizado satisfactoriamente. El cierre de curso escolar haría lo siguiente:"},
    {15031, "El ensayo del cierre de curso escolar ha fallado en el paso:"},
    {15032, "Mensaje del cierre:"},
    {15033, "No se ha modificado ningún dato del centro. Corrija el problema antes de realizar el cierre de curso escolar."},
    {15034, "El cierre preguntaría (en el ensayo se ha respondido Sí):"},
    {15035, "Avisos del cierre:"},
    {15036, "No se ha modificado ningún dato del centro: el ensayo se ha hecho sobre copias de sus bases de datos, que ya se han borrado."},
    {15037, "El ensayo del cierre no está disponible en este programa."},
    {15038, "No se ha modificado ningún dato del centro: el ensayo se ha hecho sobre copias de sus bases de datos. Alguna copia no se ha podido borrar; se borrará la próxima vez que entre en la aplicación."},

    // 16000: the closing report, offered by frmProceso once the closing is
    // done.
    {16000, "INFORMECIERRE"},
    {16001, "Se ha guardado el informe del cierre de curso en:"},
    {16002, "¿Desea abrirlo ahora?"},

    // 17500: the wizard's own aids: the proposal of a whole closing, shown
    // beside the decisions the user confirmed; the report without a viewer.
    {17500, "PROPUESTA"},
    {17501, "&Proponer todo"},
    {17502, "(propuesta)"},
    {17503, "Propuesta sin revisar: ábrala para ver o cambiar lo propuesto."},
    {17504, "No hay ningún programa instalado para ver el informe. Puede abrirlo desde su carpeta:"},
};

}  // namespace

QHash<int, QString> crearTabla() {
    QHash<int, QString> h;
    h.reserve(int(std::size(tabla)));
    for (const auto& e : tabla) h.insert(e.id, QString::fromUtf8(e.texto));
    return h;
}

}  // namespace ncc::textos
