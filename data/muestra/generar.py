#!/usr/bin/python3
"""Writes centro.xml, the sample exchange document of a mid-size secondary
school: 12 courses, 25 units, about 150 subject records, 60 employees, 30
rooms, activities, and two time frames with their slots.

The data is fixed (no randomness), so running this again gives the same file.
It deliberately holds what real exports hold: subject names repeated across
courses, names that collide on their codes, long names, blank values, keys
with blanks around them, records with a single value and repeated records.

    /usr/bin/python3 data/muestra/generar.py
"""

import os
from xml.sax.saxutils import escape, quoteattr

AQUI = os.path.dirname(os.path.abspath(__file__))

# Course offers of the school: key, name. 30313 (3º Diversificación) is a
# course the shipped level table does not know.
CURSOS = [
    ("30101", "1º Educación Secundaria Obligatoria"),
    ("30102", "2º Educación Secundaria Obligatoria"),
    ("30103", "3º Educación Secundaria Obligatoria"),
    ("30313", "3º Programa de Diversificación Curricular"),
    ("30104", "4º Educación Secundaria Obligatoria"),
    (" 40101 ", "1º Bachillerato (Ciencias y Tecnología)"),
    ("40102", "2º Bachillerato (Ciencias y Tecnología)"),
    ("40201", "1º Bachillerato (Humanidades y Ciencias Sociales)"),
    ("40202", "2º Bachillerato (Humanidades y Ciencias Sociales)"),
    ("60101", "1º C.F.G.M. Gestión Administrativa"),
    ("60102", "2º C.F.G.M. Gestión Administrativa"),
    ("50101", "  1º F.P. Básica Informática y Comunicaciones"),
]

# Teaching units: key, name, course key.
UNIDADES = [
    ("710001", "1º ESO A", "30101"),
    ("710002", "1º ESO B", "30101"),
    ("710003", "1º ESO C", "30101"),
    ("710004", "1º ESO D", "30101"),
    ("710005", "2º ESO A", "30102"),
    ("710006", "2º ESO B", "30102"),
    ("710007", "2º ESO C", "30102"),
    ("710008", "2º eso c", "30102"),  # typed in small letters
    ("710009", "3º ESO A", " 30103 "),
    ("710010", "3º ESO B", "30103"),
    ("710011", "3º ESO C", "30103"),
    ("710012", "3º PDC", "30313"),
    ("710013", "4º ESO A", "30104"),
    ("710014", "4º ESO B", "30104"),
    ("710015", "4º ESO C", "30104"),
    ("710016", "1º BACHILLERATO A", "40101"),
    ("710017", "1º BACHILLERATO B", "40101"),
    ("710018", "1º BACHILLERATO C", "40201"),
    ("710019", "2º BACHILLERATO A", "40102"),
    ("710020", "2º BACHILLERATO A", "40202"),  # the same name in another course
    ("710021", "2º BACHILLERATO  A", "40202"),  # and once more, with a double blank
    ("710022", "1º CFGM Gestión Administrativa", "60101"),
    ("710023", "2º CFGM Gestión Administrativa", "60102"),
    ("710024", "1º FPB Informática", "50101"),
    ("710025", "Aula de enlace", "30199"),  # a course the school no longer offers
]

LARGA = ("Proyecto interdisciplinar de investigación sobre sostenibilidad, "
         "medio ambiente y desarrollo del entorno rural")

# Subjects by course. A name appears in every course that offers it.
MATERIAS_POR_CURSO = {
    "30101": [
        "Biología y Geología", "Educación Física", "Educación Plástica, Visual y Audiovisual",
        "Geografía e Historia", "Lengua Castellana y Literatura",
        "Primera Lengua Extranjera: Inglés", "Matemáticas", "Música",
        "Segunda Lengua Extranjera: Francés", "Religión Católica", "Atención Educativa",
        "Refuerzo de Matemáticas", "Refuerzo de Lengua", "Oratoria y Debate",
    ],
    "30102": [
        "Educación Física", "Física y Química", "Geografía e Historia",
        "Lengua Castellana y Literatura", "Primera Lengua Extranjera: Inglés", "Matemáticas",
        "Música", "Tecnología y Digitalización", "Segunda Lengua Extranjera: Francés",
        "Religión Católica", "Atención Educativa",
        "Educación en Valores Cívicos y Éticos", "Refuerzo de Matemáticas",
        "Refuerzo de Lengua",
    ],
    "30103": [
        "Biología y Geología", "Educación Física", "Educación Plástica, Visual y Audiovisual",
        "Física y Química", "Geografía e Historia", "Lengua Castellana y Literatura",
        "Primera Lengua Extranjera: Inglés", "Matemáticas", "Tecnología y Digitalización",
        "Segunda Lengua Extranjera: Francés", "Religión Católica", "Atención Educativa",
        "Cultura Clásica", "Oratoria y Debate", "Computación y Robótica",
    ],
    "30313": [
        "Ámbito Lingüístico y Social", "Ámbito Científico y Tecnológico",
        "EDUCACIÓN FÍSICA", "Primera Lengua Extranjera: Inglés",
        "Tecnología y Digitalización", "Religión Católica", "Atención Educativa",
    ],
    "30104": [
        "Educación Física", "Geografía e Historia", "Lengua Castellana y Literatura",
        "Primera Lengua Extranjera: Inglés", "Matemáticas A", "Matemáticas B",
        "Biología y Geología", "Física y Química", "Economía y Emprendimiento", "Latín",
        "Tecnología", "Digitalización", "Formación y Orientación Personal y Profesional",
        "Filosofía", "MÚSICA", "Expresión Artística", "Religión Católica",
        "Atención Educativa", "Educación en Valores Cívicos y Éticos", LARGA,
    ],
    "40101": [
        "Filosofía", "Lengua Castellana y Literatura I", "Primera Lengua Extranjera I: Inglés",
        "Educación Física", "Matemáticas I", "Física y Química",
        "Biología, Geología y Ciencias Ambientales", "Dibujo Técnico I",
        "Tecnología e Ingeniería I", "Anatomía Aplicada",
        "Tecnologías de la Información y la Comunicación I", "Cultura Científica",
        "Religión Católica", LARGA + " y urbano",
    ],
    "40102": [
        "Historia de España", "Historia de la Filosofía", "Lengua Castellana y Literatura II",
        "Primera Lengua Extranjera II: Inglés", "Matemáticas II", "Física", "Química",
        "Biología", "Dibujo Técnico II", "Tecnología e Ingeniería II",
        "Geología y Ciencias Ambientales", "Psicología", "Religión Católica",
    ],
    "40201": [
        "Filosofía", "Lengua Castellana y Literatura I", "Primera Lengua Extranjera I: Inglés",
        "Educación Física", "Matemáticas Aplicadas a las Ciencias Sociales I",
        "Historia del Mundo Contemporáneo", "Latín I", "Griego I", "Economía",
        "Literatura Universal", "Lenguaje y Práctica Musical", "Religión Católica",
    ],
    "40202": [
        "Historia de España", "Historia de la Filosofía", "Lengua Castellana y Literatura II",
        "Primera Lengua Extranjera II: Inglés",
        "Matemáticas Aplicadas a las Ciencias Sociales II", "Latín II", "Griego II",
        "Geografía", "Historia del Arte", "Empresa y Diseño de Modelos de Negocio",
        "Historia de la Música y de la Danza", "EDUCACIÓN FÍSICA Y SALUD",
        "Religión Católica",
    ],
    "60101": [
        "Comunicación empresarial y atención al cliente",
        "Operaciones administrativas de compraventa", "Empresa y administración",
        "Tratamiento informático de la información", "Técnica contable",
        "Inglés profesional", "Itinerario Personal para la Empleabilidad I",
    ],
    "60102": [
        "Operaciones administrativas de recursos humanos",
        "Tratamiento de la documentación contable", "Empresa en el aula",
        "Operaciones auxiliares de gestión de tesorería",
        "Itinerario Personal para la Empleabilidad II", "Formación en centros de trabajo",
    ],
    "50101": [
        "Montaje y mantenimiento de sistemas y componentes informáticos",
        "Operaciones auxiliares para la configuración y la explotación",
        "Ciencias aplicadas I", "Comunicación y sociedad I",
        "EDUCACIÓN FÍSICA Y DEPORTIVA", "Tutoría",
    ],
}

ACTIVIDADES = [
    ("S", "2", "Guardia"),
    ("S", "48", "Guardia de recreo"),
    ("S", "5", "Tutoría lectiva"),
    ("N", "6", "Atención a familias"),
    ("N", "12", "Reunión de departamento"),
    ("N", "13", "Reunión de equipo educativo"),
    ("N", "14", "Reunión de tutores con Orientación"),
    ("N", "21", "Jefatura de departamento"),
    ("N", "22", "Coordinación de la biblioteca escolar"),
    ("N", "23", "Coordinación TIC"),
    ("N", "24", "Coordinación del programa bilingüe"),
    ("S", "31", "Atención al alumnado con materias pendientes de cursos anteriores"),
    ("N", "35", "Plan de Convivencia: mediación escolar"),
    ("N", " 40 ", "  Servicio de guardia de biblioteca  "),
    ("N", "48", "Guardia de recreo (patio norte)"),  # the same key twice
]

# Employees: key, post date, post code, first surname, second surname, name.
EMPLEADOS = [
    ("1000101", "01/09/2015", "590004", "García", "López", "Ana"),
    ("1000102", "01/09/2016", "590006", "Gómez", "Luna", "Antonio"),
    ("1000103", "01/09/2018", "590005", "gil", "lara", "andrés"),
    ("1000104", "01/09/2012", "590011", "Pérez", "", "Juan"),
    ("1000105", "01/09/2019", "590007", " Ruiz", "Serrano", "María José"),
    ("1000106", "01/09/2010", "590001", "Álvarez", "Fernández", "Lucía"),
    ("1000107", "01/09/2020", "590008", "Martínez", "Sánchez", "Pedro"),
    ("1000108", "01/09/2014", "590009", "Moreno", "Sáez", "Pilar"),
    ("1000109", "01/09/2021", "590010", "Jiménez", "Ortega", "Carmen"),
    ("1000110", "01/09/2017", "590012", "Navarro", "Gil", "Javier"),
    ("1000111", "01/09/2009", "590016", "Romero", "Castillo", "Isabel"),
    ("1000112", "01/09/2022", "590017", "Torres", "Delgado", "Francisco"),
    ("1000113", "01/09/2013", "590018", "Domínguez", "Vázquez", "Elena"),
    ("1000114", "01/09/2011", "590019", "Ramos", "Gil", "Raquel"),
    ("1000115", "01/09/2023", "590004", "Muñoz", "Ibáñez", "Sergio"),
    ("1000116", "01/09/2008", "590006", "Morales", "Santos", "Rosa"),
    ("1000117", "01/09/2016", "590005", "Ortiz", "Marín", "David"),
    ("1000118", "01/09/2015", "590007", "Rubio", "Núñez", "Beatriz"),
    ("1000119", "01/09/2019", "590011", "Molina", "Medina", "Alberto"),
    ("1000120", "01/09/2018", "590001", "Suárez", "Cortés", "Nuria"),
    ("1000121", "01/09/2014", "590008", "Castro", "Garrido", "Manuel"),
    ("1000122", "01/09/2020", "590009", "Ortega", "Rubio", "Cristina"),
    ("1000123", "01/09/2012", "590010", "Delgado", "Molina", "Óscar"),
    ("1000124", "01/09/2017", "590012", "Sanz", "Iglesias", "Silvia"),
    ("1000125", "01/09/2021", "590016", "Herrera", "Peña", "Jorge"),
    ("1000126", "01/09/2010", "590017", "Garrido", "León", "Marta"),
    ("1000127", "01/09/2013", "590018", "Gallego", "Lozano", "Alejandro"),
    ("1000128", "01/09/2022", "590019", "Prieto", "Cano", "Patricia"),
    ("1000129", "01/09/2009", "590004", "Méndez", "Calvo", "Ignacio"),
    ("1000130", "01/09/2011", "590006", "Vidal", "Fuentes", "Laura"),
    ("1000131", "01/09/2016", "590005", "Caballero", "Nieto", "Rubén"),
    ("1000132", "01/09/2023", "590007", "Cruz", "Aguilar", "Sonia"),
    ("1000133", "01/09/2015", "590011", "Pascual", "Herrero", "Álvaro"),
    ("1000134", "01/09/2019", "590001", "Márquez", "Lorenzo", "Eva"),
    ("1000135", "01/09/2018", "590008", "Montero", "Hidalgo", "Daniel"),
    ("1000136", "01/09/2014", "590009", "Giménez", "Ibáñez", "Teresa"),
    ("1000137", "01/09/2020", "590010", "Santana", "Bravo", "Luis"),
    ("1000138", "01/09/2012", "590012", "Vega", "Cabrera", "Mercedes"),
    ("1000139", "01/09/2017", "590016", "Campos", "Fuentes", "Pablo"),
    ("1000140", "01/09/2021", "590017", "Reyes", "Carrasco", "Inmaculada"),
    ("1000141", "01/09/2010", "590018", "Flores", "Arias", "Ramón"),
    ("1000142", "01/09/2013", "590019", "Benítez", "Pastor", "Yolanda"),
    ("1000143", "01/09/2022", "590004", "Mora", "Soto", "Enrique"),
    ("1000144", "01/09/2009", "590006", "Vicente", "Crespo", "Noelia"),
    ("1000145", "01/09/2011", "590005", "Ríos", "Sáez", "Víctor"),
    ("1000146", "01/09/2016", "590007", "Parra", "Esteban", "Ángela"),
    ("1000147", "01/09/2023", "590011", "Carmona", "Rey", "Guillermo"),
    ("1000148", "01/09/2015", "590001", "Díez", "Vargas", "Montserrat"),
    ("1000149", "01/09/2019", "590008", "Cabello", "Pardo", "Marcos"),
    ("1000150", "01/09/2018", "590009", "Lara", "Soler", "Julia"),
    ("1000151", "01/09/2014", "590010", "Robles", "Mesa", "Héctor"),
    ("1000152", "01/09/2020", "590012", "Aguilar", "Santiago", "Irene"),
    ("1000153", "01/09/2012", "590016", "Ferrer", "Rojas", "Emilio"),
    ("1000154", "01/09/2017", "590017", "Gil", "Luque", "Amparo"),  # GLA again
    ("1000155", "01/09/2021", "590018", "Izquierdo", "Bermúdez", "Tomás"),
    ("1000156", "01/09/2010", "590019", "Sosa", "Rivas", "Alicia"),
    ("1000157", "", "590004", "Cuesta", "de la Fuente", "Miguel Ángel"),  # no post date
    ("   1000158  ", "01/09/2023", "", "Ibarra", "Quintana", "Nerea"),  # key with blanks
    ("10001590000099", "01/09/2024", "590006", "Zamora", "Ureña", "Gonzalo"),  # long key
    ("1000160", "01/09/2024", "590005", "", "", ""),  # name not yet entered
]

# Rooms: key, name. Some rooms have no key in the school system.
DEPENDENCIAS = [
    ("101", "Aula 101"), ("102", "Aula 102"), ("103", "Aula 103"), ("104", "Aula 104"),
    ("105", "Aula 105"), ("106", "Aula 106"), ("201", "Aula 201"), ("202", "Aula 202"),
    ("203", "Aula 203"), ("204", "Aula 204"), (" 205 ", "Aula 205"), ("206", "Aula 206"),
    ("4711AB", "Aula 1"), ("4711CD", "Aula 2"),
    ("", "Laboratorio de Física"), ("", "Laboratorio de Química"),
    ("", "Laboratorio de Biología y Geología"),
    ("", "Aula de Informática 1"), ("", "Aula de Informática 2"),
    ("TEC1", "Taller de Tecnología"), ("PLA1", "Aula de Plástica"), ("MUS1", "Aula de Música"),
    ("GIM", "Gimnasio"), ("BIB", "Biblioteca"), ("SUM", "Salón de actos"),
    ("N1-A05", "Aula de desdoble (edificio norte)"),
    ("N2-A05", "Aula de desdoble (edificio nuevo)"),
    ("101", "Aula 101 (desdoble)"),  # the same key twice
    ("gim", "Pista polideportiva"),
    ("", ""),
]

JORNADAS = [
    ("JM", "Jornada de mañana", "15/09/2026", "23/06/2027"),
    ("JT", "Jornada de tarde", "15/09/2026", "23/06/2027"),
]

TRAMOS = [
    ("1001", "1ª hora", 510, 565, "JM"),
    ("1002", "2ª hora", 565, 620, "JM"),
    ("1003", "3ª hora", 620, 675, "JM"),
    ("1004", "Recreo", 675, 705, "JM"),
    ("1005", "4ª hora", 705, 760, "JM"),
    ("1006", "5ª hora", 760, 815, "JM"),
    ("1007", "6ª hora", 815, 870, "JM"),
    ("2001", "1ª hora", 930, 985, "JT"),
    ("2002", "2ª hora", 985, 1040, "JT"),
    ("2003", "3ª hora", 1040, 1095, "JT"),
    ("2004", "Recreo", 1095, 1110, "JT"),
    ("2005", "4ª hora", 1110, 1165, "JT"),
    ("2006", "5ª hora", 1165, 1220, "JT"),
]


def materias():
    """(course key, subject key, name, optional) records in document order,
    with the awkward records that real exports hold."""
    filas = []
    clave = 100000
    for curso, nombres in MATERIAS_POR_CURSO.items():
        for nombre in nombres:
            clave += 1
            filas.append((curso, str(clave), nombre, "N"))
    # Religion is given twice in 1º ESO under two keys (two teaching lines).
    filas.insert(10, ("30101", "109901", "Religión Católica", "S"))
    # A record sent twice as it is: its second copy adds nothing.
    filas.insert(30, filas[29])
    # Keys with blanks around them, and a name with blanks around it.
    filas.append((" 40101 ", "  109902 ", "  Anatomía Aplicada ", "S"))
    # A blank name cannot be coded; a record with two values has no name.
    filas.append(("30104", "109903", "   ", "S"))
    filas.append(("30104", "109904"))
    return filas


def dato(nombre, valor, sangria):
    return "%s<dato nombre_dato=%s>%s</dato>\n" % (sangria, quoteattr(nombre), escape(valor))


def grupo(seq, campos, filas, sueltos=()):
    """A group with one record per row; `sueltos` are raw records written
    after them (for records with fewer values)."""
    partes = ["    <grupo_datos seq=%s registros=\"%d\">\n" % (quoteattr(seq), len(filas) + len(sueltos))]
    for fila in filas:
        partes.append("      <grupo_datos>\n")
        for nombre, valor in zip(campos, fila):
            partes.append(dato(nombre, str(valor), "        "))
        partes.append("      </grupo_datos>\n")
    for suelto in sueltos:
        partes.append("      <grupo_datos>\n")
        for nombre, valor in suelto:
            partes.append(dato(nombre, valor, "        "))
        partes.append("      </grupo_datos>\n")
    partes.append("    </grupo_datos>\n")
    return "".join(partes)


def documento():
    campos_materias = ["X_OFERTAMATRIG", "X_MATERIAOMG", "D_MATERIAC", "L_OPTATIVA"]
    materias_completas = [m for m in materias() if len(m) == 4]
    materias_cortas = [list(zip(campos_materias, m)) for m in materias() if len(m) < 4]
    xml = ['<?xml version="1.0" encoding="UTF-8"?>\n',
           '<SERVICIO modulo="HORARIOS" tipo="O" autor="Secretaría del centro" fecha="02/07/2026">\n',
           # The year comes first, with no text node before it: the export
           # takes it from the first child of BLOQUE_DATOS.
           '  <BLOQUE_DATOS><grupo_datos seq="ANNO_ACADEMICO">'
           '<dato nombre_dato="C_ANNO">2026</dato></grupo_datos>\n']
    xml.append(grupo("CURSOS_DEL_CENTRO", ["X_OFERTAMATRIG", "D_OFERTAMATRIG"], CURSOS,
                     [[("X_OFERTAMATRIG", "30105")]]))
    xml.append(grupo("UNIDADES", ["X_UNIDAD", "T_NOMBRE", "X_OFERTAMATRIG"], UNIDADES,
                     [[("X_UNIDAD", "710026")]]))
    xml.append(grupo("MATERIAS", campos_materias, materias_completas,
                     materias_cortas + [[("X_OFERTAMATRIG", "30101")]]))
    xml.append(grupo("ACTIVIDADES", ["L_LECTIVA", "X_ACTIVIDAD", "D_ACTIVIDAD"], ACTIVIDADES,
                     [[("L_LECTIVA", "S")]]))
    xml.append(grupo("EMPLEADOS",
                     ["X_EMPLEADO", "F_TOMAPOS", "X_PUESTO", "APELLIDO1", "APELLIDO2", "NOMBRE"],
                     EMPLEADOS, [[("X_EMPLEADO", "1000199")],
                                 [("X_EMPLEADO", "1000198"), ("F_TOMAPOS", "01/09/2025"),
                                  ("X_PUESTO", "590004"), ("APELLIDO1", "Velasco")]]))
    xml.append(grupo("DEPENDENCIAS", ["X_DEPENDENCIA", "D_DEPENDENCIA"], DEPENDENCIAS,
                     [[("X_DEPENDENCIA", "999")]]))
    xml.append(grupo("JORNADAS_ESCOLARES", ["X_JORNADA", "D_JORNADA", "F_INICIO", "F_FIN"],
                     JORNADAS))
    xml.append(grupo("TRAMOS_HORARIOS",
                     ["X_TRAMO", "T_HORCEN", "N_INICIO", "N_FIN", "X_JORNADA"], TRAMOS))
    xml.append("  </BLOQUE_DATOS>\n</SERVICIO>\n")
    return "".join(xml)


def main():
    with open(os.path.join(AQUI, "centro.xml"), "w", encoding="utf-8", newline="\n") as f:
        f.write(documento())


if __name__ == "__main__":
    main()
