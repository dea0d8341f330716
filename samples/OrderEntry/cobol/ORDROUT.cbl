       IDENTIFICATION DIVISION.
       PROGRAM-ID. ORDROUT.
      *---------------------------------------------------------------*
      * ORDROUT - routes a menu choice to the program that serves it. *
      * Has no screen of its own: it checks the COMMAREA and passes   *
      * control on with XCTL.                                         *
      *---------------------------------------------------------------*
       DATA DIVISION.
       WORKING-STORAGE SECTION.
       01  WS-TARGET                   PIC X(8).
       01  WS-RESP                     PIC S9(8) COMP.
       LINKAGE SECTION.
       01  DFHCOMMAREA.
           COPY ORDCOMM.
       PROCEDURE DIVISION.
       0000-MAIN.
           IF EIBCALEN < LENGTH OF DFHCOMMAREA
               EXEC CICS ABEND ABCODE('ORD1') END-EXEC
           END-IF.
           EVALUATE TRUE
               WHEN CA-FN-NEW-ORDER
                   MOVE 'ORDENTR' TO WS-TARGET
               WHEN OTHER
                   MOVE 'ORDENTR' TO WS-TARGET
                   SET CA-FN-NEW-ORDER TO TRUE
           END-EVALUATE.
           MOVE 'ORDROUT' TO CA-CALLING-PGM.
           EXEC CICS XCTL PROGRAM(WS-TARGET)
                     COMMAREA(DFHCOMMAREA) RESP(WS-RESP)
           END-EXEC.
           EXEC CICS ABEND ABCODE('ORD2') END-EXEC.
