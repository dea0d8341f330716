       IDENTIFICATION DIVISION.
       PROGRAM-ID. HELPSCR.
      *---------------------------------------------------------------*
      * HELPSCR - shows the help text of the calling program.         *
      *---------------------------------------------------------------*
       DATA DIVISION.
       WORKING-STORAGE SECTION.
       01  WS-HELP-TEXTS.
           05  FILLER PIC X(76) VALUE
               'ENTER CUSTOMER, PRODUCT AND QUANTITY, THEN ENTER.'.
           05  FILLER PIC X(76) VALUE
               'PF4 FINDS A CUSTOMER BY NAME. PF3 RETURNS TO MENU.'.
           05  FILLER PIC X(76) VALUE
               'RUSH ORDERS (PRIORITY R) SHIP THE NEXT WORKING DAY.'.
           05  FILLER PIC X(76) VALUE
               'PRICES SHOWN ARE BEFORE TAX AND SHIPPING.'.
       01  WS-HELP-TABLE REDEFINES WS-HELP-TEXTS.
           05  WS-HELP-LINE            PIC X(76) OCCURS 4 TIMES.
           COPY HLPMS.
       LINKAGE SECTION.
       01  DFHCOMMAREA.
           COPY ORDCOMM.
       PROCEDURE DIVISION.
       0000-MAIN.
           MOVE LOW-VALUES TO HLPMAPO.
           MOVE CA-CALLING-PGM TO HTOPICO.
           MOVE WS-HELP-LINE(1) TO HLINE1O.
           MOVE WS-HELP-LINE(2) TO HLINE2O.
           MOVE WS-HELP-LINE(3) TO HLINE3O.
           MOVE WS-HELP-LINE(4) TO HLINE4O.
           EXEC CICS SEND MAP('HLPMAP') MAPSET('HLPMS')
                     FROM(HLPMAPO) ERASE END-EXEC.
           EXEC CICS RETURN END-EXEC.
