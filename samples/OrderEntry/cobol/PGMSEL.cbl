       IDENTIFICATION DIVISION.
       PROGRAM-ID. PGMSEL.
      *---------------------------------------------------------------*
      * PGMSEL - selects the next program of the order flow from the  *
      * function code and transfers control to it.                    *
      *---------------------------------------------------------------*
       DATA DIVISION.
       WORKING-STORAGE SECTION.
       01  WS-NEXT-PROGRAM             PIC X(8).
       01  WS-RESP                     PIC S9(8) COMP.
       LINKAGE SECTION.
       01  DFHCOMMAREA.
           COPY ORDCOMM.
       PROCEDURE DIVISION.
       0000-MAIN.
           EVALUATE TRUE
               WHEN CA-FN-PAYMENT
                   MOVE 'PAYSCR' TO WS-NEXT-PROGRAM
               WHEN CA-FN-NEW-ORDER
                   MOVE 'PAYSCR' TO WS-NEXT-PROGRAM
                   SET CA-FN-PAYMENT TO TRUE
               WHEN OTHER
                   EXEC CICS RETURN END-EXEC
           END-EVALUATE.
           MOVE 'PGMSEL' TO CA-CALLING-PGM.
           EXEC CICS XCTL PROGRAM(WS-NEXT-PROGRAM)
                     COMMAREA(DFHCOMMAREA) RESP(WS-RESP) END-EXEC.
           EXEC CICS RETURN END-EXEC.
