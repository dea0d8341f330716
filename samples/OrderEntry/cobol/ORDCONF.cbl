       IDENTIFICATION DIVISION.
       PROGRAM-ID. ORDCONF.
      *---------------------------------------------------------------*
      * ORDCONF - completes a booked order: confirmation text, the    *
      * print request (transaction ORDX) and the next step chosen by  *
      * PGMSEL. Shows help when the order needs operator attention.   *
      *---------------------------------------------------------------*
       DATA DIVISION.
       WORKING-STORAGE SECTION.
       01  WS-RESP                     PIC S9(8) COMP.
       01  WS-CONFIRMATION.
           05  FILLER                  PIC X(6)  VALUE 'ORDER '.
           05  WC-ORDER-NO             PIC 9(8).
           05  FILLER                  PIC X(10) VALUE ' BOOKED - '.
           05  WC-LINES                PIC ZZ9.
           05  FILLER                  PIC X(7)  VALUE ' LINES.'.
       01  WS-PRINT-REQUEST.
           05  PQ-ORDER-NO             PIC 9(8).
           05  PQ-PRINTER              PIC X(4) VALUE 'PRT1'.
       LINKAGE SECTION.
       01  DFHCOMMAREA.
           COPY ORDCOMM.
       PROCEDURE DIVISION.
       0000-MAIN.
           MOVE CA-ORDER-NO TO WC-ORDER-NO PQ-ORDER-NO.
           MOVE CA-LINE-COUNT TO WC-LINES.
           MOVE WS-CONFIRMATION TO CA-MESSAGE.
           EXEC CICS START TRANSID('ORDX') FROM(WS-PRINT-REQUEST)
                     LENGTH(LENGTH OF WS-PRINT-REQUEST)
                     RESP(WS-RESP) END-EXEC.
           IF CA-ORDER-TOTAL > 10000
               EXEC CICS LINK PROGRAM('HELPSCR')
                         COMMAREA(DFHCOMMAREA) END-EXEC
           END-IF.
           EXEC CICS LINK PROGRAM('PGMSEL')
                     COMMAREA(DFHCOMMAREA) RESP(WS-RESP) END-EXEC.
           IF WS-RESP NOT = DFHRESP(NORMAL)
               EXEC CICS RETURN TRANSID('ORDM') END-EXEC
           END-IF.
           EXEC CICS RETURN END-EXEC.
