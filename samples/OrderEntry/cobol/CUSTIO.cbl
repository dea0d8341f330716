       IDENTIFICATION DIVISION.
       PROGRAM-ID. CUSTIO.
      *---------------------------------------------------------------*
      * CUSTIO - customer access for the online programs: checks that *
      * the customer exists and may order, touches the last-order    *
      * date, and returns the formatted name in CA-MESSAGE.           *
      *---------------------------------------------------------------*
       DATA DIVISION.
       WORKING-STORAGE SECTION.
       01  WS-ADDRESS-AREA.
           05  FA-STREET               PIC X(30).
           05  FA-CITY                 PIC X(20).
           05  FA-POSTCODE             PIC X(10).
           05  FA-COUNTRY              PIC X(2).
           05  FA-LINE                 PIC X(60).
           COPY CUSTREC.
           EXEC SQL INCLUDE SQLCA END-EXEC.
       LINKAGE SECTION.
       01  DFHCOMMAREA.
           COPY ORDCOMM.
       PROCEDURE DIVISION.
       0000-MAIN.
           MOVE ZERO TO CA-RETURN-CODE.
           MOVE CA-CUSTOMER-NO TO CUST-NO.
           EXEC SQL
               SELECT NAME, STREET, CITY, POSTCODE, COUNTRY,
                      CREDIT_LIMIT, BALANCE, STATUS
                 INTO :CUST-NAME, :CUST-STREET, :CUST-CITY,
                      :CUST-POSTCODE, :CUST-COUNTRY,
                      :CUST-CREDIT-LIMIT, :CUST-BALANCE, :CUST-STATUS
                 FROM ORDSCHEMA.CUSTOMER
                WHERE CUST_NO = :CUST-NO
           END-EXEC.
           EVALUATE TRUE
               WHEN SQLCODE = 100
                   MOVE 4 TO CA-RETURN-CODE
                   MOVE 'CUSTOMER NOT FOUND' TO CA-MESSAGE
               WHEN CUST-BLOCKED
                   MOVE 8 TO CA-RETURN-CODE
                   MOVE 'CUSTOMER IS BLOCKED' TO CA-MESSAGE
               WHEN OTHER
                   PERFORM 1000-FORMAT-NAME
                   PERFORM 2000-TOUCH-CUSTOMER
           END-EVALUATE.
           EXEC CICS RETURN END-EXEC.
       1000-FORMAT-NAME.
           MOVE CUST-STREET TO FA-STREET.
           MOVE CUST-CITY TO FA-CITY.
           MOVE CUST-POSTCODE TO FA-POSTCODE.
           MOVE CUST-COUNTRY TO FA-COUNTRY.
           EXEC CICS LINK PROGRAM('FMTADDR')
                     COMMAREA(WS-ADDRESS-AREA) END-EXEC.
           MOVE CUST-NAME TO CA-MESSAGE.
       2000-TOUCH-CUSTOMER.
           EXEC SQL
               UPDATE ORDSCHEMA.CUSTOMER
                  SET LAST_ORDER_DATE = CURRENT DATE
                WHERE CUST_NO = :CUST-NO
           END-EXEC.
