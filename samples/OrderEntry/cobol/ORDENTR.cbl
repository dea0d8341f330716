       IDENTIFICATION DIVISION.
       PROGRAM-ID. ORDENTR.
      *---------------------------------------------------------------*
      * ORDENTR - order entry (transaction ORDE).                     *
      * Reads an order line from map ORDENT, validates it with the    *
      * help of CUSTIO and DATEVAL, prices it from the PRODUCT table, *
      * lets ORDPROC book it and shows the confirmation map ORDCNF.   *
      *---------------------------------------------------------------*
       DATA DIVISION.
       WORKING-STORAGE SECTION.
       01  WS-COMMAREA.
           COPY ORDCOMM.
       01  WS-WORK.
           05  WS-RESP                 PIC S9(8) COMP.
           05  WS-QTY                  PIC 9(5).
           05  WS-UNIT-PRICE           PIC S9(7)V99 COMP-3.
           05  WS-LINE-TOTAL           PIC S9(9)V99 COMP-3.
           05  WS-PRICE-EDIT           PIC Z,ZZZ,ZZ9.99.
           05  WS-ERROR-FLAG           PIC X VALUE 'N'.
               88  WS-ERROR            VALUE 'Y'.
               88  WS-NO-ERROR         VALUE 'N'.
       01  WS-DATE-AREA.
           05  DV-DATE                 PIC 9(8).
           05  DV-VALID                PIC X.
           05  DV-DAYS-AHEAD           PIC S9(4) COMP.
       01  WS-PRODUCT.
           05  PR-PRODUCT-ID           PIC X(10).
           05  PR-DESCRIPTION          PIC X(40).
           05  PR-UNIT-PRICE           PIC S9(7)V99 COMP-3.
           05  PR-ACTIVE               PIC X.
           COPY ORDENTS.
           COPY DFHAID.
           COPY DFHBMSCA.
           EXEC SQL INCLUDE SQLCA END-EXEC.
       LINKAGE SECTION.
       01  DFHCOMMAREA.
           COPY ORDCOMM.
       PROCEDURE DIVISION.
       0000-MAIN.
           IF EIBCALEN > ZERO
               MOVE DFHCOMMAREA TO WS-COMMAREA
           END-IF.
           EVALUATE TRUE
               WHEN EIBCALEN = ZERO OR CA-CALLING-PGM = 'ORDROUT'
                   PERFORM 1000-NEW-SCREEN
               WHEN EIBAID = DFHPF3
                   EXEC CICS XCTL PROGRAM('ORDMENU') END-EXEC
               WHEN EIBAID = DFHPF1
                   EXEC CICS LINK PROGRAM('HELPSCR')
                             COMMAREA(WS-COMMAREA) END-EXEC
                   PERFORM 8000-SEND-ORDER
               WHEN EIBAID = DFHPF4
                   EXEC CICS LINK PROGRAM('CUSTLKP')
                             COMMAREA(WS-COMMAREA) END-EXEC
                   PERFORM 8000-SEND-ORDER
               WHEN OTHER
                   PERFORM 2000-RECEIVE-ORDER
           END-EVALUATE.
           MOVE 'ORDENTR' TO CA-CALLING-PGM.
           EXEC CICS RETURN TRANSID('ORDE') COMMAREA(WS-COMMAREA)
           END-EXEC.
       1000-NEW-SCREEN.
           MOVE LOW-VALUES TO ORDENTO.
           MOVE CA-CUSTOMER-NO TO ECUSTNOO.
           PERFORM 8000-SEND-ORDER.
       2000-RECEIVE-ORDER.
           EXEC CICS RECEIVE MAP('ORDENT') MAPSET('ORDENTS')
                     INTO(ORDENTI) RESP(WS-RESP)
           END-EXEC.
           SET WS-NO-ERROR TO TRUE.
           PERFORM 3000-VALIDATE.
           IF WS-NO-ERROR
               PERFORM 4000-PRICE-LINE
           END-IF.
           IF WS-NO-ERROR
               PERFORM 5000-BOOK-ORDER
           ELSE
               PERFORM 8000-SEND-ORDER
           END-IF.
       3000-VALIDATE.
           IF ECUSTNOI = SPACES OR ECUSTNOL = ZERO
               MOVE 'CUSTOMER NUMBER IS REQUIRED' TO EMSGO
               MOVE -1 TO ECUSTNOL
               SET WS-ERROR TO TRUE
           ELSE
               MOVE ECUSTNOI TO CA-CUSTOMER-NO
               EXEC CICS LINK PROGRAM('CUSTIO')
                         COMMAREA(WS-COMMAREA) END-EXEC
               IF CA-RETURN-CODE NOT = ZERO
                   MOVE CA-MESSAGE TO EMSGO
                   SET WS-ERROR TO TRUE
               ELSE
                   MOVE CA-MESSAGE(1:30) TO ECUSTNMO
               END-IF
           END-IF.
           IF EPRODIDI = SPACES
               MOVE 'PRODUCT IS REQUIRED' TO EMSGO
               SET WS-ERROR TO TRUE
           END-IF.
           IF EQTYI NOT NUMERIC OR EQTYI = ZERO
               MOVE 'QUANTITY MUST BE A NUMBER ABOVE ZERO' TO EMSGO
               MOVE DFHBMBRY TO EQTYA
               SET WS-ERROR TO TRUE
           END-IF.
           IF EPRIOI NOT = 'R' AND EPRIOI NOT = 'N'
               MOVE 'PRIORITY IS R (RUSH) OR N (NORMAL)' TO EMSGO
               SET WS-ERROR TO TRUE
           END-IF.
           IF EDLVDTI NOT = SPACES
               MOVE EDLVDTI TO DV-DATE
               EXEC CICS LINK PROGRAM('DATEVAL')
                         COMMAREA(WS-DATE-AREA) END-EXEC
               IF DV-VALID NOT = 'Y'
                   MOVE 'DELIVERY DATE IS NOT A VALID DATE' TO EMSGO
                   SET WS-ERROR TO TRUE
               END-IF
           END-IF.
       4000-PRICE-LINE.
           MOVE EPRODIDI TO PR-PRODUCT-ID.
           EXEC SQL
               SELECT DESCRIPTION, UNIT_PRICE, ACTIVE
                 INTO :PR-DESCRIPTION, :PR-UNIT-PRICE, :PR-ACTIVE
                 FROM ORDSCHEMA.PRODUCT
                WHERE PRODUCT_ID = :PR-PRODUCT-ID
           END-EXEC.
           IF SQLCODE = 100 OR PR-ACTIVE NOT = 'Y'
               MOVE 'PRODUCT NOT FOUND OR NOT FOR SALE' TO EMSGO
               SET WS-ERROR TO TRUE
           ELSE
               MOVE EQTYI TO WS-QTY
               COMPUTE WS-LINE-TOTAL = WS-QTY * PR-UNIT-PRICE
               MOVE WS-LINE-TOTAL TO WS-PRICE-EDIT
               MOVE WS-PRICE-EDIT TO EPRICEO
           END-IF.
       5000-BOOK-ORDER.
           MOVE WS-LINE-TOTAL TO CA-ORDER-TOTAL.
           MOVE 1 TO CA-LINE-COUNT.
           EXEC CICS LINK PROGRAM('ORDPROC')
                     COMMAREA(WS-COMMAREA) END-EXEC.
           IF CA-RETURN-CODE = ZERO
               EXEC CICS LINK PROGRAM('ORDCONF')
                         COMMAREA(WS-COMMAREA) END-EXEC
               MOVE LOW-VALUES TO ORDCNFO
               MOVE CA-ORDER-NO TO CORDNOO
               MOVE WS-PRICE-EDIT TO CTOTALO
               MOVE CA-MESSAGE TO CMSGO
               EXEC CICS SEND MAP('ORDCNF') MAPSET('ORDENTS')
                         FROM(ORDCNFO) ERASE END-EXEC
           ELSE
               MOVE CA-MESSAGE TO EMSGO
               PERFORM 8000-SEND-ORDER
           END-IF.
       8000-SEND-ORDER.
           EXEC CICS SEND MAP('ORDENT') MAPSET('ORDENTS')
                     FROM(ORDENTO) ERASE CURSOR
           END-EXEC.
