       IDENTIFICATION DIVISION.
       PROGRAM-ID. ORDUPD.
      *---------------------------------------------------------------*
      * ORDUPD - writes the order header and its lines to DB2 and has *
      * the booking logged by AUDITLOG.                               *
      *---------------------------------------------------------------*
       DATA DIVISION.
       WORKING-STORAGE SECTION.
       01  WS-NEXT-ORDER-NO            PIC S9(9) COMP.
       01  WS-AUDIT-AREA.
           05  AU-EVENT                PIC X(8) VALUE 'ORDBOOK'.
           05  AU-KEY                  PIC X(16).
           05  AU-USER                 PIC X(8).
           COPY ORDREC.
           EXEC SQL INCLUDE SQLCA END-EXEC.
       LINKAGE SECTION.
       01  DFHCOMMAREA.
           COPY ORDCOMM.
       PROCEDURE DIVISION.
       0000-MAIN.
           EXEC SQL
               SELECT NEXT VALUE FOR ORDSCHEMA.ORDER_SEQ
                 INTO :WS-NEXT-ORDER-NO
                 FROM SYSIBM.SYSDUMMY1
           END-EXEC.
           MOVE WS-NEXT-ORDER-NO TO OH-ORDER-NO CA-ORDER-NO.
           MOVE CA-CUSTOMER-NO TO OH-CUSTOMER-NO.
           MOVE CA-ORDER-TOTAL TO OH-TOTAL.
           MOVE 'OP' TO OH-STATUS.
           EXEC SQL
               INSERT INTO ORDSCHEMA.ORDERS
                      (ORDER_NO, CUST_NO, TOTAL, STATUS)
               VALUES (:OH-ORDER-NO, :OH-CUSTOMER-NO,
                       :OH-TOTAL, :OH-STATUS)
           END-EXEC.
           MOVE OH-ORDER-NO TO OL-ORDER-NO.
           MOVE 1 TO OL-LINE-NO.
           EXEC SQL
               INSERT INTO ORDSCHEMA."Order Lines"
                      (ORDER_NO, LINE_NO, PRODUCT_ID, QUANTITY)
               VALUES (:OL-ORDER-NO, :OL-LINE-NO,
                       :OL-PRODUCT-ID, :OL-QUANTITY)
           END-EXEC.
           IF SQLCODE NOT = ZERO
               MOVE 12 TO CA-RETURN-CODE
               MOVE 'ORDER COULD NOT BE STORED' TO CA-MESSAGE
               EXEC CICS SYNCPOINT ROLLBACK END-EXEC
           ELSE
               MOVE OH-ORDER-NO TO AU-KEY
               MOVE EIBTRMID TO AU-USER
               EXEC CICS LINK PROGRAM('AUDITLOG')
                         COMMAREA(WS-AUDIT-AREA) END-EXEC
           END-IF.
           EXEC CICS RETURN END-EXEC.
