       IDENTIFICATION DIVISION.
       PROGRAM-ID. DATEVAL.
      *---------------------------------------------------------------*
      * DATEVAL - checks a YYYYMMDD date and counts the days from     *
      * today. Pure logic: no files, no tables.                       *
      *---------------------------------------------------------------*
       DATA DIVISION.
       WORKING-STORAGE SECTION.
       01  WS-DAYS-IN-MONTH-TEXT       PIC X(24)
                                   VALUE '312831303130313130313031'.
       01  WS-DAYS-TABLE REDEFINES WS-DAYS-IN-MONTH-TEXT.
           05  WS-MONTH-DAYS           PIC 99 OCCURS 12 TIMES.
       01  WS-ABSTIME                  PIC S9(15) COMP-3.
       01  WS-TODAY                    PIC 9(8).
       01  WS-LEAP-REM                 PIC S9(4) COMP.
       LINKAGE SECTION.
       01  DFHCOMMAREA.
           05  DV-DATE.
               10  DV-YYYY             PIC 9(4).
               10  DV-MM               PIC 99.
               10  DV-DD               PIC 99.
           05  DV-VALID                PIC X.
           05  DV-DAYS-AHEAD           PIC S9(4) COMP.
       PROCEDURE DIVISION.
       0000-MAIN.
           MOVE 'N' TO DV-VALID.
           IF DV-DATE IS NUMERIC AND DV-MM >= 1 AND DV-MM <= 12
               DIVIDE DV-YYYY BY 4 GIVING WS-LEAP-REM
                      REMAINDER WS-LEAP-REM
               IF WS-LEAP-REM = ZERO
                   MOVE 29 TO WS-MONTH-DAYS(2)
               END-IF
               IF DV-DD >= 1 AND DV-DD <= WS-MONTH-DAYS(DV-MM)
                   MOVE 'Y' TO DV-VALID
               END-IF
           END-IF.
           IF DV-VALID = 'Y'
               EXEC CICS ASKTIME ABSTIME(WS-ABSTIME) END-EXEC
               EXEC CICS FORMATTIME ABSTIME(WS-ABSTIME)
                         YYYYMMDD(WS-TODAY) END-EXEC
               COMPUTE DV-DAYS-AHEAD =
                   FUNCTION INTEGER-OF-DATE(DV-DATE)
                 - FUNCTION INTEGER-OF-DATE(WS-TODAY)
           END-IF.
           EXEC CICS RETURN END-EXEC.
