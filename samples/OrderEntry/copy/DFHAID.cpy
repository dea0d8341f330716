      * Attention identifiers (the subset this application tests).
       01  DFHAID.
           02  DFHNULL   PIC X  VALUE X'00'.
           02  DFHENTER  PIC X  VALUE X'7D'.
           02  DFHCLEAR  PIC X  VALUE X'6D'.
           02  DFHPF1    PIC X  VALUE X'F1'.
           02  DFHPF3    PIC X  VALUE X'F3'.
           02  DFHPF4    PIC X  VALUE X'F4'.
           02  DFHPF5    PIC X  VALUE X'F5'.
           02  DFHPF7    PIC X  VALUE X'F7'.
           02  DFHPF12   PIC X  VALUE X'7C'.
