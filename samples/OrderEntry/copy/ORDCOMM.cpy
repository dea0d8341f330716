      *---------------------------------------------------------------*
      * ORDCOMM - COMMAREA passed between the order-entry programs.   *
      *           Length 120 bytes; keep in step with CA-LENGTH.      *
      *---------------------------------------------------------------*
           05  CA-FUNCTION             PIC X(4).
               88  CA-FN-NEW-ORDER     VALUE 'NEWO'.
               88  CA-FN-INQUIRY       VALUE 'INQR'.
               88  CA-FN-SHIPPING      VALUE 'SHIP'.
               88  CA-FN-PAYMENT       VALUE 'PAYM'.
           05  CA-CUSTOMER-NO          PIC X(8).
           05  CA-ORDER-NO             PIC 9(8).
           05  CA-ORDER-TOTAL          PIC S9(9)V99 COMP-3.
           05  CA-LINE-COUNT           PIC S9(4)    COMP.
           05  CA-RETURN-CODE          PIC S9(8)    BINARY.
           05  CA-CALLING-PGM          PIC X(8).
           05  CA-MESSAGE              PIC X(60).
           05  FILLER                  PIC X(20).
