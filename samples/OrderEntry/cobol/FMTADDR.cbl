       IDENTIFICATION DIVISION.
       PROGRAM-ID. FMTADDR.
      *---------------------------------------------------------------*
      * FMTADDR - builds the one-line postal address of a customer in *
      * the form the country expects.                                 *
      *---------------------------------------------------------------*
       DATA DIVISION.
       WORKING-STORAGE SECTION.
       01  WS-POINTER                  PIC S9(4) COMP.
       LINKAGE SECTION.
       01  DFHCOMMAREA.
           05  FA-STREET               PIC X(30).
           05  FA-CITY                 PIC X(20).
           05  FA-POSTCODE             PIC X(10).
           05  FA-COUNTRY              PIC X(2).
               88  FA-POSTCODE-FIRST   VALUE 'DE' 'FR' 'NL' 'CH'.
           05  FA-LINE                 PIC X(60).
       PROCEDURE DIVISION.
       0000-MAIN.
           MOVE SPACES TO FA-LINE.
           MOVE 1 TO WS-POINTER.
           STRING FA-STREET DELIMITED BY '  ' ', '
                  DELIMITED BY SIZE INTO FA-LINE POINTER WS-POINTER.
           IF FA-POSTCODE-FIRST
               STRING FA-POSTCODE DELIMITED BY ' ' ' ' FA-CITY
                      DELIMITED BY '  ' INTO FA-LINE
                      POINTER WS-POINTER
           ELSE
               STRING FA-CITY DELIMITED BY '  ' ' ' FA-POSTCODE
                      DELIMITED BY ' ' INTO FA-LINE
                      POINTER WS-POINTER
           END-IF.
           EXEC CICS RETURN END-EXEC.
