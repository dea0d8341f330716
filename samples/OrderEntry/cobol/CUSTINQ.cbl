       IDENTIFICATION DIVISION.
       PROGRAM-ID. CUSTINQ.
      *---------------------------------------------------------------*
      * CUSTINQ - customer inquiry from the customer master (VSAM).   *
      *---------------------------------------------------------------*
       DATA DIVISION.
       WORKING-STORAGE SECTION.
       01  WS-RESP                     PIC S9(8) COMP.
       01  WS-KEY                      PIC X(8).
       01  WS-CREDIT-EDIT              PIC -Z,ZZZ,ZZ9.99.
           COPY CUSTREC.
           COPY CUSTMS.
           COPY DFHAID.
       LINKAGE SECTION.
       01  DFHCOMMAREA.
           COPY ORDCOMM.
       PROCEDURE DIVISION.
       0000-MAIN.
           IF EIBAID = DFHPF3
               EXEC CICS XCTL PROGRAM('ORDMENU') END-EXEC
           END-IF.
           MOVE LOW-VALUES TO CUSTMAPO.
           IF EIBCALEN > ZERO AND CA-CALLING-PGM = 'ORDMENU'
               MOVE CA-CUSTOMER-NO TO WS-KEY QCUSTNOO
               PERFORM 2000-SHOW-CUSTOMER
           ELSE
               EXEC CICS RECEIVE MAP('CUSTMAP') MAPSET('CUSTMS')
                         INTO(CUSTMAPI) RESP(WS-RESP) END-EXEC
               IF QCUSTNOI = SPACES OR QCUSTNOI = LOW-VALUES
                   MOVE 'ENTER A CUSTOMER NUMBER' TO QMSGO
               ELSE
                   MOVE QCUSTNOI TO WS-KEY
                   PERFORM 2000-SHOW-CUSTOMER
               END-IF
           END-IF.
           EXEC CICS SEND MAP('CUSTMAP') MAPSET('CUSTMS')
                     FROM(CUSTMAPO) ERASE END-EXEC.
           EXEC CICS RETURN TRANSID('ORDI') END-EXEC.
       2000-SHOW-CUSTOMER.
           EXEC CICS READ FILE('CUSTFILE') INTO(CUSTOMER-RECORD)
                     RIDFLD(WS-KEY) RESP(WS-RESP) END-EXEC.
           IF WS-RESP = DFHRESP(NOTFND)
               MOVE 'CUSTOMER NOT FOUND' TO QMSGO
           ELSE
               MOVE CUST-NAME TO QNAMEO
               MOVE CUST-STREET TO QADDR1O
               STRING CUST-POSTCODE ' ' CUST-CITY DELIMITED BY SIZE
                      INTO QADDR2O
               MOVE CUST-CREDIT-LIMIT TO WS-CREDIT-EDIT
               MOVE WS-CREDIT-EDIT TO QCREDITO
               IF CUST-BLOCKED
                   MOVE 'CUSTOMER IS BLOCKED FOR NEW ORDERS' TO QMSGO
               END-IF
           END-IF.
