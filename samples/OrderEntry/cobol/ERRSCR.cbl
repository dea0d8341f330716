       IDENTIFICATION DIVISION.
       PROGRAM-ID. ERRSCR.
      *---------------------------------------------------------------*
      * ERRSCR - shows an application error, logs it to the error     *
      * log and lets the operator retry or return to the menu.        *
      *---------------------------------------------------------------*
       DATA DIVISION.
       WORKING-STORAGE SECTION.
       01  WS-RESP                     PIC S9(8) COMP.
       01  WS-ERROR-LOG-RECORD.
           05  EL-TIME                 PIC S9(15) COMP-3.
           05  EL-PROGRAM              PIC X(8).
           05  EL-REASON               PIC X(60).
           05  EL-RESP                 PIC S9(8) COMP.
           COPY ERRMS.
       LINKAGE SECTION.
       01  DFHCOMMAREA.
           COPY ERRCOMM.
       PROCEDURE DIVISION.
       0000-MAIN.
           EXEC CICS ASKTIME ABSTIME(EL-TIME) END-EXEC.
           MOVE ER-PROGRAM TO EL-PROGRAM.
           MOVE ER-REASON TO EL-REASON.
           MOVE ER-RESP TO EL-RESP.
           EXEC CICS WRITEQ TD QUEUE('ERRL') FROM(WS-ERROR-LOG-RECORD)
                     RESP(WS-RESP) END-EXEC.
           MOVE LOW-VALUES TO ERRMAPO.
           MOVE ER-PROGRAM TO XPGMO.
           MOVE ER-REASON TO XREASONO.
           EXEC CICS SEND MAP('ERRMAP') MAPSET('ERRMS')
                     FROM(ERRMAPO) ERASE END-EXEC.
           EXEC CICS RECEIVE MAP('ERRMAP') MAPSET('ERRMS')
                     INTO(ERRMAPI) RESP(WS-RESP) END-EXEC.
           IF XACTIONI = 'R' OR XACTIONI = 'r'
               EXEC CICS START TRANSID(ER-RETRY-TRANSID) END-EXEC
           ELSE IF XACTIONI = 'M'
               EXEC CICS START TRANSID('ORDM') END-EXEC
           END-IF.
           EXEC CICS RETURN END-EXEC.
