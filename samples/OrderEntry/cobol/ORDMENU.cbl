       IDENTIFICATION DIVISION.
       PROGRAM-ID. ORDMENU.
      *---------------------------------------------------------------*
      * ORDMENU - order entry main menu (transaction ORDM).           *
      * Pseudo-conversational: shows the menu, reads the option and   *
      * transfers control to the function chosen.                     *
      *---------------------------------------------------------------*
       ENVIRONMENT DIVISION.
       DATA DIVISION.
       WORKING-STORAGE SECTION.
       01  WS-COMMAREA.
           COPY ORDCOMM.
       01  WS-MENU-STATE.
           05  WS-TODAY                PIC 9(8).
           05  WS-TODAY-R REDEFINES WS-TODAY.
               10  WS-YYYY             PIC 9(4).
               10  WS-MM               PIC 99.
               10  WS-DD               PIC 99.
           05  WS-ABSTIME              PIC S9(15) COMP-3.
           05  WS-RESP                 PIC S9(8) COMP.
           05  WS-OPTION               PIC X.
               88  WS-OPT-ORDER        VALUE '1'.
               88  WS-OPT-INQUIRY      VALUE '2'.
               88  WS-OPT-SHIPPING     VALUE '3'.
               88  WS-OPT-PAYMENT      VALUE '4'.
               88  WS-OPT-VALID        VALUE '1' THRU '4'.
       01  WS-LOG-RECORD.
           05  LOG-TERMID              PIC X(4).
           05  LOG-OPTION              PIC X.
           05  LOG-TIME                PIC S9(15) COMP-3.
           COPY ORDMNUS.
           COPY DFHAID.
       LINKAGE SECTION.
       01  DFHCOMMAREA.
           COPY ORDCOMM.
       PROCEDURE DIVISION.
       0000-MAIN.
           IF EIBCALEN = ZERO
               PERFORM 1000-FIRST-TIME
           ELSE
               MOVE DFHCOMMAREA TO WS-COMMAREA
               PERFORM 2000-PROCESS-MENU
           END-IF.
           EXEC CICS RETURN TRANSID('ORDM')
                     COMMAREA(WS-COMMAREA)
                     LENGTH(LENGTH OF WS-COMMAREA)
           END-EXEC.
       1000-FIRST-TIME.
           MOVE LOW-VALUES TO ORDMNUO.
           PERFORM 8000-SEND-MENU.
       2000-PROCESS-MENU.
           IF EIBAID = DFHPF3
               EXEC CICS SEND CONTROL ERASE FREEKB END-EXEC
               EXEC CICS RETURN END-EXEC
           END-IF.
           EXEC CICS RECEIVE MAP('ORDMNU') MAPSET('ORDMNUS')
                     INTO(ORDMNUI) RESP(WS-RESP)
           END-EXEC.
           MOVE OPTIONI TO WS-OPTION.
           IF OPTIONI = SPACES OR OPTIONL = ZERO
               MOVE 'PLEASE SELECT AN OPTION' TO MNUMSGO
               PERFORM 8000-SEND-MENU
           ELSE IF NOT WS-OPT-VALID
               MOVE 'OPTION MUST BE 1 TO 4' TO MNUMSGO
               PERFORM 8000-SEND-MENU
           ELSE IF CUSTNOI = SPACES AND OPTIONI = '1'
               MOVE 'ENTER A CUSTOMER NUMBER FOR A NEW ORDER'
                 TO MNUMSGO
               PERFORM 8000-SEND-MENU
           ELSE
               PERFORM 3000-LOG-CHOICE
               PERFORM 4000-DISPATCH
           END-IF.
       3000-LOG-CHOICE.
           MOVE EIBTRMID TO LOG-TERMID.
           MOVE WS-OPTION TO LOG-OPTION.
           EXEC CICS ASKTIME ABSTIME(LOG-TIME) END-EXEC.
           EXEC CICS WRITEQ TD QUEUE('MNLG') FROM(WS-LOG-RECORD)
                     LENGTH(LENGTH OF WS-LOG-RECORD)
           END-EXEC.
       4000-DISPATCH.
           MOVE CUSTNOI TO CA-CUSTOMER-NO.
           MOVE 'ORDMENU' TO CA-CALLING-PGM.
           EVALUATE TRUE
               WHEN WS-OPT-ORDER
                   SET CA-FN-NEW-ORDER TO TRUE
                   EXEC CICS XCTL PROGRAM('ORDROUT')
                             COMMAREA(WS-COMMAREA) END-EXEC
               WHEN WS-OPT-INQUIRY
                   SET CA-FN-INQUIRY TO TRUE
                   EXEC CICS XCTL PROGRAM('CUSTINQ')
                             COMMAREA(WS-COMMAREA) END-EXEC
               WHEN WS-OPT-SHIPPING
                   EXEC CICS START TRANSID('ORDS') END-EXEC
               WHEN OTHER
                   EXEC CICS START TRANSID('ORDX') END-EXEC
           END-EVALUATE.
       8000-SEND-MENU.
           EXEC CICS ASKTIME ABSTIME(WS-ABSTIME) END-EXEC.
           EXEC CICS FORMATTIME ABSTIME(WS-ABSTIME)
                     YYYYMMDD(WS-TODAY) END-EXEC.
           MOVE WS-TODAY TO MNUDATEO.
           EXEC CICS SEND MAP('ORDMNU') MAPSET('ORDMNUS')
                     FROM(ORDMNUO) ERASE CURSOR
           END-EXEC.
