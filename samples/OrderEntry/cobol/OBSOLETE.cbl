       IDENTIFICATION DIVISION.
       PROGRAM-ID. OBSOLETE.
      *---------------------------------------------------------------*
      * OBSOLETE - one-off conversion of the 1998 order file. Kept in *
      * the library; nothing calls it any more.                       *
      *---------------------------------------------------------------*
       DATA DIVISION.
       WORKING-STORAGE SECTION.
       01  WS-OLD-ORDER.
           05  WO-ORDER-NO             PIC 9(6).
           05  WO-CUSTOMER             PIC X(6).
           05  WO-AMOUNT               PIC S9(5)V99.
       01  WS-NEW-ORDER-NO             PIC 9(8).
       PROCEDURE DIVISION.
       0000-MAIN.
           MOVE WO-ORDER-NO TO WS-NEW-ORDER-NO.
           ADD 10000000 TO WS-NEW-ORDER-NO.
           DISPLAY 'CONVERTED ' WO-ORDER-NO ' TO ' WS-NEW-ORDER-NO.
           STOP RUN.
