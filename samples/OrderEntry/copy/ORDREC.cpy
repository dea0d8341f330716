      *---------------------------------------------------------------*
      * ORDREC - order header and order line rows                     *
      *---------------------------------------------------------------*
       01  ORDER-HEADER.
           05  OH-ORDER-NO             PIC 9(8).
           05  OH-CUSTOMER-NO          PIC X(8).
           05  OH-ORDER-DATE           PIC 9(8).
           05  OH-DELIVERY-DATE        PIC 9(8).
           05  OH-PRIORITY             PIC X.
               88  OH-RUSH             VALUE 'R'.
               88  OH-NORMAL           VALUE 'N' ' '.
           05  OH-TOTAL                PIC S9(9)V99 COMP-3.
           05  OH-STATUS               PIC XX.
       01  ORDER-LINE.
           05  OL-ORDER-NO             PIC 9(8).
           05  OL-LINE-NO              PIC S9(4) COMP.
           05  OL-PRODUCT-ID           PIC X(10).
           05  OL-QUANTITY             PIC S9(5) COMP-3.
           05  OL-UNIT-PRICE           PIC S9(7)V99 COMP-3.
