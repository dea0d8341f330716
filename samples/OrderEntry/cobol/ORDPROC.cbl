       IDENTIFICATION DIVISION.
       PROGRAM-ID. ORDPROC.
      *---------------------------------------------------------------*
      * ORDPROC - books an order: stock check, credit authorisation   *
      * (external module CRDAUTH) and the database update by ORDUPD.  *
      *---------------------------------------------------------------*
       DATA DIVISION.
       WORKING-STORAGE SECTION.
       01  WS-STOCK-AREA.
           05  SK-PRODUCT-ID           PIC X(10).
           05  SK-QUANTITY             PIC S9(5) COMP-3.
           05  SK-AVAILABLE            PIC X.
               88  SK-IN-STOCK         VALUE 'Y'.
           05  SK-ON-HAND              PIC S9(7) COMP-3.
       01  WS-CREDIT-AREA.
           05  CR-CUSTOMER-NO          PIC X(8).
           05  CR-AMOUNT               PIC S9(9)V99 COMP-3.
           05  CR-DECISION             PIC X.
               88  CR-APPROVED         VALUE 'A'.
               88  CR-DECLINED         VALUE 'D'.
           05  CR-REFERENCE            PIC X(12).
       LINKAGE SECTION.
       01  DFHCOMMAREA.
           COPY ORDCOMM.
       PROCEDURE DIVISION.
       0000-MAIN.
           MOVE ZERO TO CA-RETURN-CODE.
           EXEC CICS LINK PROGRAM('STOCKCHK')
                     COMMAREA(WS-STOCK-AREA) END-EXEC.
           IF NOT SK-IN-STOCK
               MOVE 4 TO CA-RETURN-CODE
               MOVE 'NOT ENOUGH STOCK FOR THIS QUANTITY' TO CA-MESSAGE
               EXEC CICS RETURN END-EXEC
           END-IF.
           MOVE CA-CUSTOMER-NO TO CR-CUSTOMER-NO.
           MOVE CA-ORDER-TOTAL TO CR-AMOUNT.
           CALL 'CRDAUTH' USING WS-CREDIT-AREA.
           IF CR-DECLINED
               MOVE 8 TO CA-RETURN-CODE
               MOVE 'CREDIT NOT APPROVED' TO CA-MESSAGE
           ELSE
               EXEC CICS LINK PROGRAM('ORDUPD')
                         COMMAREA(DFHCOMMAREA) END-EXEC
           END-IF.
           EXEC CICS RETURN END-EXEC.
