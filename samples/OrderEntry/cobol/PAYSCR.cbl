       IDENTIFICATION DIVISION.
       PROGRAM-ID. PAYSCR.
      *---------------------------------------------------------------*
      * PAYSCR - captures a card payment for an order (transaction    *
      * ORDP) and has PAYPROC process it.                             *
      *---------------------------------------------------------------*
       DATA DIVISION.
       WORKING-STORAGE SECTION.
       01  WS-RESP                     PIC S9(8) COMP.
       01  WS-PAYMENT.
           05  PY-ORDER-NO             PIC 9(8).
           05  PY-AMOUNT               PIC S9(7)V99 COMP-3.
           05  PY-CARD-NO              PIC X(16).
           05  PY-EXPIRY.
               10  PY-EXP-MM           PIC 99.
               10  PY-EXP-YY           PIC 99.
           05  PY-RESULT               PIC X.
               88  PY-ACCEPTED         VALUE 'A'.
           05  PY-RESULT-TEXT          PIC X(60).
       01  WS-PAID-SO-FAR              PIC S9(9)V99 COMP-3.
       01  WS-AMOUNT-NUM               PIC 9(7)V99.
           COPY PAYMS.
           EXEC SQL INCLUDE SQLCA END-EXEC.
       LINKAGE SECTION.
       01  DFHCOMMAREA.
           COPY ORDCOMM.
       PROCEDURE DIVISION.
       0000-MAIN.
           IF EIBCALEN > ZERO AND CA-CALLING-PGM = 'PGMSEL'
               MOVE LOW-VALUES TO PAYMAPO
               MOVE CA-ORDER-NO TO PORDNOO
               EXEC CICS SEND MAP('PAYMAP') MAPSET('PAYMS')
                         FROM(PAYMAPO) ERASE END-EXEC
               EXEC CICS RETURN TRANSID('ORDP') END-EXEC
           END-IF.
           EXEC CICS RECEIVE MAP('PAYMAP') MAPSET('PAYMS')
                     INTO(PAYMAPI) RESP(WS-RESP) END-EXEC.
           MOVE LOW-VALUES TO PAYMAPO.
           IF PORDNOI NOT NUMERIC
               MOVE 'ORDER NUMBER MUST BE NUMERIC' TO PMSGO
           ELSE IF PAMOUNTI = SPACES
               MOVE 'ENTER THE AMOUNT PAID' TO PMSGO
           ELSE IF PCARDNOI NOT NUMERIC OR PCARDNOL < 16
               MOVE 'CARD NUMBER HAS 16 DIGITS' TO PMSGO
           ELSE IF PEXPIRYI(1:2) > '12'
               MOVE 'EXPIRY MONTH IS 01 TO 12' TO PMSGO
           ELSE
               PERFORM 2000-PAY
           END-IF.
           EXEC CICS SEND MAP('PAYMAP') MAPSET('PAYMS')
                     FROM(PAYMAPO) ERASE END-EXEC.
           EXEC CICS RETURN TRANSID('ORDP') END-EXEC.
       2000-PAY.
           MOVE PORDNOI TO PY-ORDER-NO.
           COMPUTE WS-AMOUNT-NUM = FUNCTION NUMVAL(PAMOUNTI).
           MOVE WS-AMOUNT-NUM TO PY-AMOUNT.
           MOVE PCARDNOI TO PY-CARD-NO.
           MOVE PEXPIRYI TO PY-EXPIRY.
           EXEC SQL
               SELECT COALESCE(SUM(AMOUNT), 0) INTO :WS-PAID-SO-FAR
                 FROM ORDSCHEMA.PAYMENT
                WHERE ORDER_NO = :PY-ORDER-NO
           END-EXEC.
           EXEC CICS LINK PROGRAM('PAYPROC')
                     COMMAREA(WS-PAYMENT) END-EXEC.
           MOVE PY-RESULT-TEXT TO PMSGO.
