       IDENTIFICATION DIVISION.
       PROGRAM-ID. SHIPSCR.
      *---------------------------------------------------------------*
      * SHIPSCR - shipping (transaction ORDS): rates a shipment with  *
      * SHIPCALC, lists recent shipments, hands over to payments.     *
      *---------------------------------------------------------------*
       DATA DIVISION.
       WORKING-STORAGE SECTION.
       01  WS-COMMAREA.
           COPY ORDCOMM.
       01  WS-RESP                     PIC S9(8) COMP.
       01  WS-RATE-AREA.
           05  RT-CARRIER              PIC X(4).
           05  RT-WEIGHT               PIC S9(5)V99 COMP-3.
           05  RT-COUNTRY              PIC X(2).
           05  RT-COST                 PIC S9(7)V99 COMP-3.
           05  RT-RC                   PIC S9(4) COMP.
       01  WS-COST-EDIT                PIC ZZZ,ZZ9.99.
       01  WS-LIST-LINE.
           05  LL-ORDER-NO             PIC 9(8).
           05  FILLER                  PIC XX VALUE SPACES.
           05  LL-CARRIER              PIC X(4).
           05  FILLER                  PIC X(5) VALUE SPACES.
           05  LL-WEIGHT               PIC ZZZZ9.
           05  FILLER                  PIC XX VALUE SPACES.
           05  LL-COST                 PIC ZZZ,ZZ9.99.
       01  WS-ORDER-STATUS             PIC XX.
           COPY SHIPMS.
           COPY DFHAID.
           EXEC SQL INCLUDE SQLCA END-EXEC.
       PROCEDURE DIVISION.
       0000-MAIN.
           EVALUATE TRUE
               WHEN EIBCALEN = ZERO
                   MOVE LOW-VALUES TO SHIPMAPO
                   PERFORM 8000-SEND-SHIP
               WHEN EIBAID = DFHPF3
                   EXEC CICS XCTL PROGRAM('ORDMENU') END-EXEC
               WHEN EIBAID = DFHPF5
                   SET CA-FN-PAYMENT TO TRUE
                   EXEC CICS XCTL PROGRAM('PGMSEL')
                             COMMAREA(WS-COMMAREA) END-EXEC
               WHEN EIBAID = DFHPF7
                   PERFORM 3000-LIST
               WHEN OTHER
                   PERFORM 2000-RATE
           END-EVALUATE.
           EXEC CICS RETURN TRANSID('ORDS') COMMAREA(WS-COMMAREA)
           END-EXEC.
       2000-RATE.
           EXEC CICS RECEIVE MAP('SHIPMAP') MAPSET('SHIPMS')
                     INTO(SHIPMAPI) RESP(WS-RESP) END-EXEC.
           IF SORDNOI NOT NUMERIC
               MOVE 'ORDER NUMBER MUST BE NUMERIC' TO SMSGO
           ELSE IF SCARRI = SPACES
               MOVE 'CHOOSE A CARRIER: DHL, UPS OR POST' TO SMSGO
           ELSE IF SWEIGHTI NOT NUMERIC OR SWEIGHTI = ZERO
               MOVE 'WEIGHT MUST BE A NUMBER ABOVE ZERO' TO SMSGO
           ELSE
               MOVE SORDNOI TO CA-ORDER-NO
               EXEC SQL
                   SELECT STATUS INTO :WS-ORDER-STATUS
                     FROM ORDSCHEMA.ORDERS
                    WHERE ORDER_NO = :CA-ORDER-NO
               END-EXEC
               MOVE SCARRI TO RT-CARRIER
               MOVE SWEIGHTI TO RT-WEIGHT
               EXEC CICS LINK PROGRAM('SHIPCALC')
                         COMMAREA(WS-RATE-AREA) END-EXEC
               MOVE RT-COST TO WS-COST-EDIT
               MOVE WS-COST-EDIT TO SCOSTO
           END-IF.
           PERFORM 8000-SEND-SHIP.
       3000-LIST.
           MOVE LOW-VALUES TO SHIPLSTO.
           MOVE CA-ORDER-NO TO LL-ORDER-NO.
           MOVE WS-LIST-LINE TO LLINE1O.
           EXEC CICS SEND MAP('SHIPLST') MAPSET('SHIPMS')
                     FROM(SHIPLSTO) ERASE END-EXEC.
       8000-SEND-SHIP.
           EXEC CICS SEND MAP('SHIPMAP') MAPSET('SHIPMS')
                     FROM(SHIPMAPO) ERASE CURSOR END-EXEC.
