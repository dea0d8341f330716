       IDENTIFICATION DIVISION.
       PROGRAM-ID. PAYPROC.
      *---------------------------------------------------------------*
      * PAYPROC - processes a card payment: validation by PAYVAL,     *
      * authorisation by the external module CRDAUTH.                 *
      *---------------------------------------------------------------*
       DATA DIVISION.
       WORKING-STORAGE SECTION.
       01  WS-CREDIT-AREA.
           05  CR-CUSTOMER-NO          PIC X(8).
           05  CR-AMOUNT               PIC S9(9)V99 COMP-3.
           05  CR-DECISION             PIC X.
               88  CR-APPROVED         VALUE 'A'.
           05  CR-REFERENCE            PIC X(12).
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
           EXEC CICS LINK PROGRAM('PAYVAL')
                     COMMAREA(DFHCOMMAREA) END-EXEC.
           IF PY-RESULT = 'V'
               MOVE PY-CARD-NO(1:8) TO CR-CUSTOMER-NO
               MOVE PY-AMOUNT TO CR-AMOUNT
               CALL 'CRDAUTH' USING WS-CREDIT-AREA
               IF CR-APPROVED
                   MOVE 'A' TO PY-RESULT
                   STRING 'PAYMENT ACCEPTED, REFERENCE ' CR-REFERENCE
                          DELIMITED BY SIZE INTO PY-RESULT-TEXT
               ELSE
                   MOVE 'D' TO PY-RESULT
                   MOVE 'PAYMENT DECLINED' TO PY-RESULT-TEXT
               END-IF
           END-IF.
           EXEC CICS RETURN END-EXEC.
