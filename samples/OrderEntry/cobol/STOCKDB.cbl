       IDENTIFICATION DIVISION.
       PROGRAM-ID. STOCKDB.
      *---------------------------------------------------------------*
      * STOCKDB - reads the stock segment of a product from the IMS   *
      * inventory database (PSB ORDPSB, segment STOCKSEG).            *
      *---------------------------------------------------------------*
       DATA DIVISION.
       WORKING-STORAGE SECTION.
       01  WS-PSB-NAME                 PIC X(8) VALUE 'ORDPSB'.
       01  WS-SSA.
           05  FILLER                  PIC X(9) VALUE 'STOCKSEG('.
           05  FILLER                  PIC X(10) VALUE 'PRODID   ='.
           05  SSA-PRODUCT-ID          PIC X(10).
           05  FILLER                  PIC X VALUE ')'.
       01  WS-STOCK-SEGMENT.
           05  SS-PRODUCT-ID           PIC X(10).
           05  SS-WAREHOUSE            PIC X(4).
           05  SS-ON-HAND              PIC S9(7) COMP-3.
           05  SS-RESERVED             PIC S9(7) COMP-3.
           05  SS-REORDER-LEVEL        PIC S9(7) COMP-3.
       LINKAGE SECTION.
       01  DFHCOMMAREA.
           05  SG-PRODUCT-ID           PIC X(10).
           05  SG-ON-HAND              PIC S9(7) COMP-3.
           05  SG-RESERVED             PIC S9(7) COMP-3.
           05  SG-STATUS               PIC XX.
       PROCEDURE DIVISION.
       0000-MAIN.
           EXEC DLI SCHEDULE PSB((WS-PSB-NAME)) END-EXEC.
           MOVE SG-PRODUCT-ID TO SSA-PRODUCT-ID.
           EXEC DLI GU USING PCB(1) SEGMENT(STOCKSEG)
                    INTO(WS-STOCK-SEGMENT)
                    WHERE(PRODID = SSA-PRODUCT-ID)
           END-EXEC.
           MOVE DIBSTAT TO SG-STATUS.
           IF DIBSTAT = SPACES
               MOVE SS-ON-HAND TO SG-ON-HAND
               MOVE SS-RESERVED TO SG-RESERVED
           END-IF.
           EXEC DLI TERM END-EXEC.
           EXEC CICS RETURN END-EXEC.
