      * Field attribute values (the subset this application sets).
       01  DFHBMSCA.
           02  DFHBMPEM  PIC X  VALUE X'19'.
           02  DFHBMUNP  PIC X  VALUE X'40'.
           02  DFHBMPRO  PIC X  VALUE X'60'.
           02  DFHBMBRY  PIC X  VALUE X'F8'.
           02  DFHBMASB  PIC X  VALUE X'F8'.
