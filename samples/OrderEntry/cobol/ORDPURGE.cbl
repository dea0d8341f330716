       IDENTIFICATION DIVISION.
       PROGRAM-ID. ORDPURGE.
      *---------------------------------------------------------------*
      * ORDPURGE - nightly batch: moves delivered orders older than   *
      * the retention period to the archive file and deletes them.   *
      *---------------------------------------------------------------*
       ENVIRONMENT DIVISION.
       INPUT-OUTPUT SECTION.
       FILE-CONTROL.
           SELECT ARCHIVE-FILE ASSIGN TO ORDARCH
                  ORGANIZATION IS SEQUENTIAL.
           SELECT NOTES-FILE ASSIGN TO ORDNOTES
                  ORGANIZATION IS SEQUENTIAL.
       DATA DIVISION.
       FILE SECTION.
       FD  ARCHIVE-FILE RECORDING MODE F.
       01  ARCHIVE-RECORD              PIC X(120).
       FD  NOTES-FILE RECORDING MODE V.
       01  NOTES-RECORD                PIC X(200).
       WORKING-STORAGE SECTION.
       01  WS-RETENTION-DAYS           PIC S9(4) COMP VALUE 400.
       01  WS-COUNTERS.
           05  WS-READ                 PIC S9(9) COMP-3 VALUE ZERO.
           05  WS-ARCHIVED             PIC S9(9) COMP-3 VALUE ZERO.
       01  WS-EOF                      PIC X VALUE 'N'.
           88  END-OF-ORDERS           VALUE 'Y'.
       01  WS-AUDIT-AREA.
           05  AU-EVENT                PIC X(8) VALUE 'PURGE'.
           05  AU-KEY                  PIC X(16).
           05  AU-USER                 PIC X(8) VALUE 'BATCH'.
           COPY ORDREC.
           EXEC SQL INCLUDE SQLCA END-EXEC.
           EXEC SQL DECLARE OLD-ORDERS CURSOR WITH HOLD FOR
               SELECT ORDER_NO, CUST_NO, TOTAL, STATUS
                 FROM ORDSCHEMA.ORDERS
                WHERE STATUS = 'DL'
                  AND ORDER_DATE < CURRENT DATE - 400 DAYS
           END-EXEC.
       PROCEDURE DIVISION.
       0000-MAIN.
           OPEN OUTPUT ARCHIVE-FILE INPUT NOTES-FILE.
           EXEC SQL OPEN OLD-ORDERS END-EXEC.
           PERFORM UNTIL END-OF-ORDERS
               EXEC SQL FETCH OLD-ORDERS
                   INTO :OH-ORDER-NO, :OH-CUSTOMER-NO,
                        :OH-TOTAL, :OH-STATUS
               END-EXEC
               IF SQLCODE = 100
                   SET END-OF-ORDERS TO TRUE
               ELSE
                   ADD 1 TO WS-READ
                   PERFORM 1000-ARCHIVE
               END-IF
           END-PERFORM.
           EXEC SQL CLOSE OLD-ORDERS END-EXEC.
           EXEC SQL
               DELETE FROM ARCHIVE.ORDER_LINE_HISTORY
                WHERE ARCHIVED_ON < CURRENT DATE - 10 YEARS
           END-EXEC.
           CLOSE ARCHIVE-FILE NOTES-FILE.
           DISPLAY 'ORDPURGE READ ' WS-READ ' ARCHIVED ' WS-ARCHIVED.
           STOP RUN.
       1000-ARCHIVE.
           MOVE ORDER-HEADER TO ARCHIVE-RECORD.
           WRITE ARCHIVE-RECORD.
           EXEC SQL
               DELETE FROM ORDSCHEMA.ORDERS
                WHERE ORDER_NO = :OH-ORDER-NO
           END-EXEC.
           ADD 1 TO WS-ARCHIVED.
           MOVE OH-ORDER-NO TO AU-KEY.
           CALL 'AUDITLOG' USING WS-AUDIT-AREA.
