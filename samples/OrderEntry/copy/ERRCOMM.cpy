      *---------------------------------------------------------------*
      * ERRCOMM - COMMAREA of the error screen program ERRSCR         *
      *---------------------------------------------------------------*
           05  ER-PROGRAM              PIC X(8).
           05  ER-REASON               PIC X(60).
           05  ER-RESP                 PIC S9(8) COMP.
           05  ER-RESP2                PIC S9(8) COMP.
           05  ER-RETRY-TRANSID        PIC X(4).
