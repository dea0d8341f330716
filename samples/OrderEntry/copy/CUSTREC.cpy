      *---------------------------------------------------------------*
      * CUSTREC - customer row (ORDSCHEMA.CUSTOMER / customer master) *
      *---------------------------------------------------------------*
       01  CUSTOMER-RECORD.
           05  CUST-NO                 PIC X(8).
           05  CUST-NAME               PIC X(30).
           05  CUST-ADDRESS.
               10  CUST-STREET         PIC X(30).
               10  CUST-CITY           PIC X(20).
               10  CUST-POSTCODE       PIC X(10).
               10  CUST-COUNTRY        PIC X(2).
           05  CUST-CREDIT-LIMIT       PIC S9(7)V99 COMP-3.
           05  CUST-BALANCE            PIC S9(7)V99 COMP-3.
           05  CUST-STATUS             PIC X.
               88  CUST-ACTIVE         VALUE 'A'.
               88  CUST-BLOCKED        VALUE 'B'.
           05  FILLER                  PIC X(9).
