       IDENTIFICATION DIVISION.
       PROGRAM-ID. STOCKCHK.
      *---------------------------------------------------------------*
      * STOCKCHK - decides whether a quantity can be promised, from   *
      * the stock figures that STOCKDB reads.                         *
      *---------------------------------------------------------------*
       DATA DIVISION.
       WORKING-STORAGE SECTION.
       01  WS-SEGMENT-AREA.
           05  SG-PRODUCT-ID           PIC X(10).
           05  SG-ON-HAND              PIC S9(7) COMP-3.
           05  SG-RESERVED             PIC S9(7) COMP-3.
           05  SG-STATUS               PIC XX.
       01  WS-FREE                     PIC S9(7) COMP-3.
       LINKAGE SECTION.
       01  DFHCOMMAREA.
           05  SK-PRODUCT-ID           PIC X(10).
           05  SK-QUANTITY             PIC S9(5) COMP-3.
           05  SK-AVAILABLE            PIC X.
           05  SK-ON-HAND              PIC S9(7) COMP-3.
       PROCEDURE DIVISION.
       0000-MAIN.
           MOVE SK-PRODUCT-ID TO SG-PRODUCT-ID.
           EXEC CICS LINK PROGRAM('STOCKDB')
                     COMMAREA(WS-SEGMENT-AREA) END-EXEC.
           MOVE 'N' TO SK-AVAILABLE.
           IF SG-STATUS = SPACES
               COMPUTE WS-FREE = SG-ON-HAND - SG-RESERVED
               MOVE SG-ON-HAND TO SK-ON-HAND
               IF WS-FREE >= SK-QUANTITY
                   MOVE 'Y' TO SK-AVAILABLE
               END-IF
           END-IF.
           EXEC CICS RETURN END-EXEC.
