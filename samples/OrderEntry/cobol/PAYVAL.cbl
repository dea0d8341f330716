       IDENTIFICATION DIVISION.
       PROGRAM-ID. PAYVAL.
      *---------------------------------------------------------------*
      * PAYVAL - checks a card number (Luhn digit) and its expiry;    *
      * a card it cannot check is reported on the error screen.       *
      *---------------------------------------------------------------*
       DATA DIVISION.
       WORKING-STORAGE SECTION.
       01  WS-LUHN.
           05  WS-SUM                  PIC S9(4) COMP.
           05  WS-DIGIT                PIC 9.
           05  WS-DOUBLE               PIC 99.
           05  WS-IX                   PIC S9(4) COMP.
       01  WS-ERROR-AREA.
           COPY ERRCOMM.
       LINKAGE SECTION.
       01  DFHCOMMAREA.
           05  PY-ORDER-NO             PIC 9(8).
           05  PY-AMOUNT               PIC S9(7)V99 COMP-3.
           05  PY-CARD-NO              PIC X(16).
           05  PY-EXPIRY               PIC X(4).
           05  PY-RESULT               PIC X.
           05  PY-RESULT-TEXT          PIC X(60).
       PROCEDURE DIVISION.
       0000-MAIN.
           MOVE ZERO TO WS-SUM.
           PERFORM VARYING WS-IX FROM 16 BY -1 UNTIL WS-IX < 1
               MOVE PY-CARD-NO(WS-IX:1) TO WS-DIGIT
               IF FUNCTION MOD(WS-IX, 2) = 1
                   COMPUTE WS-DOUBLE = WS-DIGIT * 2
                   IF WS-DOUBLE > 9
                       SUBTRACT 9 FROM WS-DOUBLE
                   END-IF
                   ADD WS-DOUBLE TO WS-SUM
               ELSE
                   ADD WS-DIGIT TO WS-SUM
               END-IF
           END-PERFORM.
           IF FUNCTION MOD(WS-SUM, 10) = ZERO
               MOVE 'V' TO PY-RESULT
           ELSE
               MOVE 'E' TO PY-RESULT
               MOVE 'CARD NUMBER CHECK DIGIT IS WRONG' TO PY-RESULT-TEXT
               MOVE 'PAYVAL' TO ER-PROGRAM
               MOVE PY-RESULT-TEXT TO ER-REASON
               MOVE 'ORDP' TO ER-RETRY-TRANSID
               EXEC CICS LINK PROGRAM('ERRSCR')
                         COMMAREA(WS-ERROR-AREA) END-EXEC
           END-IF.
           EXEC CICS RETURN END-EXEC.
